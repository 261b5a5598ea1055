// The password check and change through the platform's services: the NT answer, and the older
// family's registry switch, library loading and entry calls, scripted through the fake system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/FakeSystem.h"
#include "platform/Registry.h"
#include "platform/SqliteHive.h"
#include "protocol/ScreenSaver.h"
#include "protocol/Tools.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

// What the fake library entries were called with, and what they answer.
int32_t g_verify_answer = 0;
std::vector<WindowHandle> g_verify_owners;
struct ChangeCall {
  std::string provider;
  WindowHandle owner;
  uint32_t a, b;
};
std::vector<ChangeCall> g_change_calls;

int32_t FakeVerifyScreenSavePwd(WindowHandle owner) {
  g_verify_owners.push_back(owner);
  return g_verify_answer;
}
uint32_t FakePwdChangePassword(const char* provider, WindowHandle owner, uint32_t a, uint32_t b) {
  g_change_calls.push_back({provider, owner, a, b});
  return 0;
}

void* Entry(auto* function) { return reinterpret_cast<void*>(function); }

class PasswordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hive_ = std::make_unique<SqliteHive>(dir_.Path() + "/registry.db");
    SetHive(hive_.get());
    g_verify_answer = 0;
    g_verify_owners.clear();
    g_change_calls.clear();
    fake_->platform_id = kPlatformWin32Windows;
    fake_->system_directory = "/sys";
    fake_->cursor = {300, 400};
    fake_->foreground = 77;
    StartCursorPos = {1, 2};
    ParentWindow = 0;
  }
  void TearDown() override {
    SetHive(nullptr);
    hive_.reset();
  }

  void SetUsePassword(RegValue value) {
    ASSERT_TRUE(hive_->CreateKey("Control Panel\\desktop"));
    ASSERT_TRUE(hive_->SetValue("Control Panel\\desktop", "ScreenSaveUsePassword", value));
  }
  void SetUsePassword(int32_t on) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((static_cast<uint32_t>(on) >> (8 * i)) & 0xFF);
    SetUsePassword(RegValue{REG_DWORD, data});
  }
  void ProvideVerifier() { fake_->libraries["/sys/PASSWORD.CPL"]["VerifyScreenSavePwd"] = Entry(FakeVerifyScreenSavePwd); }
  bool LogHas(const std::string& line) {
    for (const auto& l : fake_->log) {
      if (l == line) return true;
    }
    return false;
  }

  ScopedFakeSystem fake_;
  test_support::TempFolder dir_{"brelinde-password"};
  std::unique_ptr<SqliteHive> hive_;
};

TEST_F(PasswordTest, IsWinNTAnswersOnlyForPlatformTwo) {
  const std::vector<std::pair<std::optional<uint32_t>, bool>> cases = {
      {kPlatformWin32NT, true}, {kPlatformWin32Windows, false}, {0u, false}, {std::nullopt, false}};
  for (const auto& [platform, nt] : cases) {
    fake_->platform_id = platform;
    EXPECT_EQ(IsWinNT(), nt) << (platform ? std::to_string(*platform) : "failed query");
  }
}

TEST_F(PasswordTest, SystemLibraryPathAddsOneSeparator) {
  const std::string sep(1, kPathSeparator);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/sys", "/sys" + sep + "MPR.DLL"},
      {"/sys" + sep, "/sys" + sep + "MPR.DLL"},
      {"", "MPR.DLL"},  // a failed query loads the library by its bare name
  };
  for (const auto& [dir, want] : cases) {
    fake_->system_directory = dir;
    EXPECT_EQ(SystemLibraryPath("MPR.DLL"), want) << dir;
  }
}

TEST_F(PasswordTest, NTFamilyEndsAtOnceWithoutTouchingAnything) {
  fake_->platform_id = kPlatformWin32NT;
  SetUsePassword(1);
  ProvideVerifier();
  EXPECT_TRUE(VerifyPassword());
  EXPECT_TRUE(fake_->log.empty()) << fake_->log.front();
  EXPECT_EQ(StartCursorPos, (TPoint{1, 2}));
}

TEST_F(PasswordTest, NoPasswordSetEndsWithoutDialogAndCreatesNoKey) {
  ProvideVerifier();
  // No key at all.
  EXPECT_TRUE(VerifyPassword());
  EXPECT_FALSE(hive_->FindKey("Control Panel\\desktop")) << "the key was created";
  // The key without the value.
  ASSERT_TRUE(hive_->CreateKey("Control Panel\\desktop"));
  EXPECT_TRUE(VerifyPassword());
  // The value 0.
  SetUsePassword(0);
  EXPECT_TRUE(VerifyPassword());
  EXPECT_TRUE(fake_->log.empty()) << fake_->log.front();
  EXPECT_TRUE(g_verify_owners.empty());
  EXPECT_EQ(StartCursorPos, (TPoint{1, 2}));
  EXPECT_EQ(TRegistry::OpenKeys(), 0);
}

TEST_F(PasswordTest, AsksTheServiceAndTakesOnlyTheLowestByte) {
  SetUsePassword(1);
  ProvideVerifier();
  const std::vector<std::pair<int32_t, bool>> cases = {{1, true}, {0, false}, {256, false}, {0x101, true}, {-1, true}};
  for (const auto& [answer, may_end] : cases) {
    fake_->log.clear();
    StartCursorPos = {1, 2};
    g_verify_answer = answer;
    EXPECT_EQ(VerifyPassword(), may_end) << answer;
    const std::vector<std::string> want = {"ShowCursor true", "LoadLib /sys/PASSWORD.CPL", "FreeLibrary",
                                           "ShowCursor false"};
    EXPECT_EQ(fake_->log, want);
    EXPECT_EQ(StartCursorPos, (TPoint{300, 400})) << "measured from the end of the dialog";
  }
  EXPECT_EQ(fake_->cursor_count, 0);
  EXPECT_EQ(g_verify_owners, std::vector<WindowHandle>(5, 77)) << "owned by the foreground window";
}

TEST_F(PasswordTest, MissingLibraryOrEntryLetsTheShowEnd) {
  SetUsePassword(1);
  // No library: shown and hidden, position reset, answer true.
  EXPECT_TRUE(VerifyPassword());
  EXPECT_EQ(fake_->log, (std::vector<std::string>{"ShowCursor true", "LoadLib /sys/PASSWORD.CPL", "ShowCursor false"}));
  EXPECT_EQ(StartCursorPos, (TPoint{300, 400}));
  // A library without the entry: nothing is called, the library is freed, answer true.
  fake_->log.clear();
  fake_->libraries["/sys/PASSWORD.CPL"];
  StartCursorPos = {1, 2};
  EXPECT_TRUE(VerifyPassword());
  EXPECT_EQ(fake_->log, (std::vector<std::string>{"ShowCursor true", "LoadLib /sys/PASSWORD.CPL", "FreeLibrary",
                                                  "ShowCursor false"}));
  EXPECT_EQ(StartCursorPos, (TPoint{300, 400}));
  EXPECT_TRUE(g_verify_owners.empty());
}

TEST_F(PasswordTest, SwitchOfTheWrongTypeRaisesTheReadErrorAndTouchesNothing) {
  SetUsePassword(RegValue{REG_SZ, std::string("1\0", 2)});
  ProvideVerifier();
  try {
    VerifyPassword();
    FAIL() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(std::string(e.what()), "Ungültiger Datentyp für 'ScreenSaveUsePassword'");
  }
  EXPECT_TRUE(fake_->log.empty());
  EXPECT_EQ(StartCursorPos, (TPoint{1, 2}));
  EXPECT_EQ(TRegistry::OpenKeys(), 0) << "the accessor was not released";
}

TEST_F(PasswordTest, ChangePasswordCallsTheServiceOnceWithTheOwner) {
  ParentWindow = 1234;
  // Without the library: nothing shown.
  ChangePassword();
  EXPECT_EQ(fake_->log, (std::vector<std::string>{"LoadLib /sys/MPR.DLL"}));
  // The library without the entry: freed, nothing called.
  fake_->log.clear();
  fake_->libraries["/sys/MPR.DLL"];
  ChangePassword();
  EXPECT_EQ(fake_->log, (std::vector<std::string>{"LoadLib /sys/MPR.DLL", "FreeLibrary"}));
  EXPECT_TRUE(g_change_calls.empty());
  // With the entry.
  fake_->libraries["/sys/MPR.DLL"]["PwdChangePasswordA"] = Entry(FakePwdChangePassword);
  ChangePassword();
  ParentWindow = 0;
  ChangePassword();
  ASSERT_EQ(g_change_calls.size(), 2u);
  EXPECT_EQ(g_change_calls[0].provider, "SCRSAVE");
  EXPECT_EQ(g_change_calls[0].owner, 1234);
  EXPECT_EQ(g_change_calls[0].a, 0u);
  EXPECT_EQ(g_change_calls[0].b, 0u);
  EXPECT_EQ(g_change_calls[1].owner, 0) << "no window on the command line";
}

}  // namespace
}  // namespace brelinde
