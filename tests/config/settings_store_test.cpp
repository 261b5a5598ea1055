#include "config/SettingsStore.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/SqliteHive.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

using namespace std::string_literals;

const std::string kKey(kSettingsKey);

class SettingsStoreTest : public ::testing::Test {
 protected:
  SqliteHive HiveFile() { return SqliteHive(DefaultHivePath()); }
  test_support::TempConfigHome dir_{"brelinde-settings"};
};

TEST_F(SettingsStoreTest, AbsentKeyGivesTheFadeAndLeavesAnEmptyKey) {
  EXPECT_EQ(ReadStoredEffect(), 23);
  EXPECT_EQ(HiveFile().FindKey(kKey), kKey);
  EXPECT_TRUE(HiveFile().Values(kKey).empty());
  EXPECT_EQ(TRegistry::OpenKeys(), 0);
}

TEST_F(SettingsStoreTest, StoredEffectReachesTheReaderUnchanged) {
  for (int32_t effect : {24, 0, -1, 25, 23, INT32_MIN}) {
    SCOPED_TRACE(effect);
    SaveStoredSettings(std::nullopt, effect);
    EXPECT_EQ(ReadStoredEffect(), effect);
  }
}

TEST_F(SettingsStoreTest, EffectOfAnotherTypeRaisesTheReadError) {
  struct Case {
    RegValue stored;
    std::string error;
  };
  const Case cases[] = {
      {{REG_SZ, "23\0"s}, "Ungültiger Datentyp für 'Effect'"},
      {{REG_SZ, "twenty\0"s}, "Fehler beim Holen der Daten für 'Effect'"},
      {{REG_BINARY, "\x17\0\0\0"s}, "Ungültiger Datentyp für 'Effect'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    {
      SqliteHive hive = HiveFile();
      ASSERT_TRUE(hive.CreateKey(kKey));
      ASSERT_TRUE(hive.SetValue(kKey, "Effect", c.stored));
    }
    try {
      ReadStoredEffect();
      ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.what(), c.error);
    }
    EXPECT_EQ(TRegistry::OpenKeys(), 0);
  }
}

TEST_F(SettingsStoreTest, SaveWritesThePageOnlyForTheFirstThreePages) {
  SaveStoredSettings(2, 7);  // Links
  EXPECT_EQ(HiveFile().GetValue(kKey, "ActiveTabSheet"), (RegValue{REG_DWORD, "\2\0\0\0"s}));
  EXPECT_EQ(HiveFile().GetValue(kKey, "Effect"), (RegValue{REG_DWORD, "\7\0\0\0"s}));
  SaveStoredSettings(std::nullopt, -1);  // Tips: the page number stays as it was
  EXPECT_EQ(HiveFile().GetValue(kKey, "ActiveTabSheet"), (RegValue{REG_DWORD, "\2\0\0\0"s}));
  EXPECT_EQ(HiveFile().GetValue(kKey, "Effect"), (RegValue{REG_DWORD, "\xff\xff\xff\xff"s}));
  for (int32_t page : {0, 4}) {
    EXPECT_THROW(SaveStoredSettings(page, 5), std::invalid_argument);
  }
  EXPECT_EQ(HiveFile().GetValue(kKey, "Effect"), (RegValue{REG_DWORD, "\xff\xff\xff\xff"s}));
}

TEST_F(SettingsStoreTest, KeyThatCannotBeMadeReadsTheDefaultAndFailsTheFirstWrite) {
  // The config folder is a file: no hive can be made there.
  const std::string blocked = dir_.Path() + "/blocked";
  WriteWholeFile(blocked, std::string_view("x"));
  const test_support::ScopedEnv config_home("XDG_CONFIG_HOME", blocked);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadStoredEffect(), 23);
  const struct {
    std::optional<int32_t> page;
    const char* error;
  } cases[] = {{1, "Fehler beim Setzen der Daten für 'ActiveTabSheet'"},
               {std::nullopt, "Fehler beim Setzen der Daten für 'Effect'"}};
  for (const auto& c : cases) {
    try {
      SaveStoredSettings(c.page, 3);
      ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.what(), std::string(c.error));
    }
  }
  EXPECT_NE(testing::internal::GetCapturedStderr().find(blocked), std::string::npos);
  EXPECT_EQ(TRegistry::OpenKeys(), 0);
}

// A hive whose writes can be made to fail, and which records what was asked of it.
class RecordingHive : public Hive {
 public:
  bool fail_writes = false;
  std::vector<std::string> writes;

  std::optional<std::string> FindKey(const std::string& key) override {
    return key.empty() || keys_.count(key) ? std::optional(key) : std::nullopt;
  }
  std::optional<std::string> CreateKey(const std::string& key) override {
    keys_.insert(key);
    return key;
  }
  std::optional<RegValue> GetValue(const std::string& key, const std::string& name) override {
    auto it = values_.find(key + "|" + name);
    return it == values_.end() ? std::nullopt : std::optional(it->second);
  }
  bool SetValue(const std::string& key, const std::string& name, const RegValue& value) override {
    writes.push_back(name);
    if (fail_writes) return false;
    values_[key + "|" + name] = value;
    return true;
  }
  std::vector<std::string> SubKeyNames(const std::string&) override { return {}; }
  std::vector<std::pair<std::string, RegValue>> Values(const std::string&) override { return {}; }
  bool DeleteValue(const std::string&, const std::string&) override { return false; }
  bool DeleteKey(const std::string&) override { return false; }
  std::string LastError() const override { return fail_writes ? "disk full" : ""; }

 private:
  std::set<std::string> keys_;
  std::map<std::string, RegValue> values_;
};

TEST(SettingsStore, FailingWriteStopsBeforeTheNext) {
  RecordingHive hive;
  SetHive(&hive);
  hive.fail_writes = true;
  EXPECT_THROW(SaveStoredSettings(3, 12), ERegistryException);
  EXPECT_EQ(hive.writes, std::vector<std::string>{"ActiveTabSheet"});
  hive.fail_writes = false;
  hive.writes.clear();
  SaveStoredSettings(3, 12);
  EXPECT_EQ(hive.writes, (std::vector<std::string>{"ActiveTabSheet", "Effect"}));
  EXPECT_EQ(ReadStoredEffect(), 12);
  SetHive(nullptr);
}

}  // namespace
}  // namespace brelinde
