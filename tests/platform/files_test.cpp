#include "platform/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/Errors.h"

namespace brelinde {
namespace {

namespace fs = std::filesystem;

TEST(WriteWholeFile, ReplacesContentAndReportsFailures) {
  char templ[] = "/tmp/brelinde-files-XXXXXX";
  const std::string dir = mkdtemp(templ);
  const std::string path = dir + "/page.htm";
  WriteWholeFile(path, std::string_view("a much longer first content"));
  WriteWholeFile(path, std::string_view("short"));
  EXPECT_EQ(ReadWholeFile(path), "short");
  EXPECT_THROW(WriteWholeFile(dir + "/missing/page.htm", std::string_view("x")), EFCreateError);
  EXPECT_THROW(ReadWholeFile(dir + "/missing.htm"), EInOutError);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace brelinde
