#include "show/TempNames.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/PosixSystem.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

namespace fs = std::filesystem;

class TempNamesTest : public ::testing::Test {
 protected:
  test_support::TempFolder dir_{"brelinde-test"};
  test_support::ScopedEnv tmpdir_{"TMPDIR", dir_.Path()};
};

TEST_F(TempNamesTest, NameLiesInTheTempFolderAndLeavesNoReservation) {
  const std::string jpg = MakeTempName("jpg");
  const std::string htm = MakeTempName("htm");
  for (const std::string& path : {jpg, htm}) {
    EXPECT_EQ(fs::path(path).parent_path(), fs::path(dir_.Path()));
    EXPECT_EQ(fs::path(path).filename().string().substr(0, 3), "ins");
    EXPECT_FALSE(fs::exists(path));
  }
  EXPECT_EQ(jpg.substr(jpg.size() - 4), ".jpg");
  EXPECT_EQ(htm.substr(htm.size() - 4), ".htm");
  EXPECT_TRUE(fs::is_empty(dir_.Path())) << "a reservation file was left behind";
}

TEST_F(TempNamesTest, WriteRefusesALinkPlantedAtTheName) {
  const std::string path = MakeTempName("htm");
  const std::string target = dir_.Path() + "/victim";
  WriteWholeFile(target, std::string_view("precious"));
  fs::create_symlink(target, path);
  try {
    WriteWholeFile(path, std::string_view("<html>"));
    ADD_FAILURE() << "the write followed the link";
  } catch (const EFCreateError& e) {
    EXPECT_NE(std::string(e.what()).find("Datei \"" + path + "\" kann nicht erstellt werden. "),
              std::string::npos);
  }
  EXPECT_EQ(ReadWholeFile(target), "precious");
}

TEST_F(TempNamesTest, UnusableTempFolderGivesAClearError) {
  tmpdir_.Set(dir_.Path() + "/missing");
  try {
    MakeTempName("jpg");
    ADD_FAILURE() << "no error for a missing temp folder";
  } catch (const EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find(dir_.Path() + "/missing"), std::string::npos) << e.what();
  }
}

TEST(DefaultTempFolder, IsPrivateToItsOwner) {
  const std::string dir = DefaultTempFolder();
  struct stat st{};
  ASSERT_EQ(lstat(dir.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_uid, getuid());
  EXPECT_EQ(st.st_mode & 077, 0u);
}

}  // namespace
}  // namespace brelinde
