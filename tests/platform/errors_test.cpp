#include "platform/Errors.h"

#include <gtest/gtest.h>

namespace brelinde {
namespace {

TEST(Format, FillsPlaceholdersInOrder) {
  EXPECT_EQ(Format(msg::kInvalidInteger, "abc"), "'abc' ist kein gültiger Integerwert");
  EXPECT_EQ(Format(msg::kJpegError, 42), "JPEG-Fehler #42");
  EXPECT_EQ(Format(msg::kFileCreateError, {"/x/y", "No such file"}),
            "Datei \"/x/y\" kann nicht erstellt werden. No such file");
  EXPECT_EQ(Format("100% %s", "sicher"), "100% sicher");
  EXPECT_EQ(Format("%s und %s", {"eins"}), "eins und %s");
}

TEST(StartUpErrorReport, NamesClassAndModuleThenTheMessage) {
  const EConvertError e(Format(msg::kInvalidInteger, "abc"));
  EXPECT_EQ(StartUpErrorReport(e, "brelinde"),
            "Exception EConvertError in Modul brelinde.\n'abc' ist kein gültiger Integerwert");
}

}  // namespace
}  // namespace brelinde
