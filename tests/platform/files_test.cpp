#include "platform/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Errors.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

TEST(WriteWholeFile, ReplacesContentAndReportsFailures) {
  const test_support::TempFolder dir("brelinde-files");
  const std::string path = dir.Path() + "/page.htm";
  WriteWholeFile(path, std::string_view("a much longer first content"));
  WriteWholeFile(path, std::string_view("short"));
  EXPECT_EQ(ReadWholeFile(path), "short");
  EXPECT_THROW(WriteWholeFile(dir.Path() + "/missing/page.htm", std::string_view("x")),
               EFCreateError);
  EXPECT_THROW(ReadWholeFile(dir.Path() + "/missing.htm"), EInOutError);
}

}  // namespace
}  // namespace brelinde
