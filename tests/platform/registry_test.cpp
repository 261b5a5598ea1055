#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/SqliteHive.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using test_support::ScopedEnv;
using test_support::TempConfigHome;

// A config folder of the test's own, named by XDG_CONFIG_HOME for the accessors under test.
class RegistryTest : public ::testing::Test {
 protected:

  // Puts a value into the hive as it lies there, whatever its type and length.
  void Store(const std::string& key, const std::string& name, const RegValue& value) {
    SqliteHive hive(hive_path_);
    ASSERT_TRUE(hive.CreateKey(key));
    ASSERT_TRUE(hive.SetValue(key, name, value)) << hive.LastError();
  }
  std::optional<RegValue> Stored(const std::string& key, const std::string& name) {
    SqliteHive hive(hive_path_);
    return hive.GetValue(key, name);
  }

  TempConfigHome dir_{"brelinde-registry"};
  std::string hive_path_ = dir_.Path() + "/brelinde/registry.db";
};

// The result of a call as text, or "!" and the message of the registry error it raised.
std::string Outcome(const std::function<std::string()>& call) {
  try {
    return call();
  } catch (const ERegistryException& e) {
    return "!"s + e.what();
  }
}

const std::string kKey = "Software\\Test";
const std::string kGetFailed = "!Fehler beim Holen der Daten für 'Wert'";
const std::string kBadType = "!Ungültiger Datentyp für 'Wert'";
const std::string kSetFailed = "!Fehler beim Setzen der Daten für 'Wert'";

RegValue Sz(const std::string& bytes) { return {REG_SZ, bytes}; }

TEST_F(RegistryTest, EveryOperationOnEveryStoredForm) {
  struct Case {
    const char* form;
    std::optional<RegValue> stored;
    bool exists;
    std::string integer;  // ReadInteger
    std::string text;     // ReadString
  };
  const Case cases[] = {
      {"REG_SZ of 4 bytes", Sz("abc\0"s), true, kBadType, "abc"},
      {"REG_SZ of 5 bytes", Sz("abcd\0"s), true, kGetFailed, "abcd"},
      {"empty REG_SZ", Sz("\0"s), true, kBadType, ""},
      {"REG_SZ of no bytes", Sz(""), true, kBadType, ""},
      {"REG_SZ with a NUL inside", Sz("ab\0cd\0"s), true, kGetFailed, "ab"},
      {"REG_SZ without its NUL", Sz("xyz"), true, kBadType, "xyz"},
      {"REG_EXPAND_SZ", RegValue{REG_EXPAND_SZ, "%HOME%\\ding.wav\0"s}, true, kGetFailed,
       "%HOME%\\ding.wav"},
      {"REG_EXPAND_SZ of 4 bytes", RegValue{REG_EXPAND_SZ, "%A%\0"s}, true, kBadType, "%A%"},
      {"REG_DWORD 42", RegValue{REG_DWORD, "\x2a\0\0\0"s}, true, "42", kBadType},
      {"REG_DWORD -1", RegValue{REG_DWORD, "\xff\xff\xff\xff"s}, true, "-1", kBadType},
      {"REG_DWORD 0x80000000", RegValue{REG_DWORD, "\0\0\0\x80"s}, true, "-2147483648", kBadType},
      {"REG_DWORD of 2 bytes", RegValue{REG_DWORD, "\x02\x01"s}, true, "258", kBadType},
      {"REG_DWORD of 8 bytes", RegValue{REG_DWORD, "\1\0\0\0\0\0\0\0"s}, true, kGetFailed,
       kBadType},
      {"REG_BINARY of 2 bytes", RegValue{REG_BINARY, "\x01\x02"s}, true, kBadType, kBadType},
      {"REG_BINARY of 4 bytes", RegValue{REG_BINARY, "\x01\0\0\0"s}, true, kBadType, kBadType},
      {"REG_BINARY of 8 bytes", RegValue{REG_BINARY, "12345678"s}, true, kGetFailed, kBadType},
      {"REG_BINARY of no bytes", RegValue{REG_BINARY, ""}, true, kBadType, kBadType},
      {"REG_MULTI_SZ", RegValue{7, "a\0b\0\0"s}, true, kGetFailed, kBadType},
      {"absent", std::nullopt, false, kGetFailed, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.form);
    const auto reset = [&] {
      SqliteHive hive(hive_path_);
      ASSERT_TRUE(hive.CreateKey(kKey));
      hive.DeleteValue(kKey, "Wert");
      if (c.stored) {
        ASSERT_TRUE(hive.SetValue(kKey, "Wert", *c.stored));
      }
    };
    reset();
    {
      TRegistry reg;
      ASSERT_TRUE(reg.OpenKey(kKey, false));
      EXPECT_EQ(reg.ValueExists("Wert"), c.exists);
      EXPECT_EQ(Outcome([&] { return std::to_string(reg.ReadInteger("Wert")); }), c.integer);
      EXPECT_EQ(Outcome([&] { return reg.ReadString("Wert"); }), c.text);
      // Whatever was there, a string write stores a plain REG_SZ (an expandable one changes type).
      reg.WriteString("Wert", "C:\\neu.wav[deactivated]");
      EXPECT_EQ(reg.ReadString("Wert"), "C:\\neu.wav[deactivated]");
    }
    EXPECT_EQ(Stored(kKey, "Wert"), Sz("C:\\neu.wav[deactivated]\0"s));
    reset();
    {
      TRegistry reg;
      ASSERT_TRUE(reg.OpenKey(kKey, false));
      reg.WriteInteger("Wert", -2);
      EXPECT_EQ(reg.ReadInteger("Wert"), -2);
    }
    EXPECT_EQ(Stored(kKey, "Wert"), (RegValue{REG_DWORD, "\xfe\xff\xff\xff"s}));
  }
}

TEST_F(RegistryTest, DefaultValueAndNamesWithoutCase) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.current", true));
    EXPECT_FALSE(reg.ValueExists(""));
    reg.WriteString("", "ding.wav");
    reg.WriteInteger("Effect", 5);
  }
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("appevents\\SCHEMES\\apps\\explorer\\navigating\\.CURRENT", false));
    EXPECT_EQ(reg.CurrentPath(), "AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.current");
    EXPECT_TRUE(reg.ValueExists(""));
    EXPECT_EQ(reg.ReadString(""), "ding.wav");
    EXPECT_FALSE(reg.ValueExists("(Default)"));
    EXPECT_TRUE(reg.ValueExists("EFFECT"));
    EXPECT_EQ(reg.ReadInteger("eFFECT"), 5);
    reg.WriteInteger("EFFECT", 6);  // the same value: the stored spelling stays
    EXPECT_EQ(reg.ReadInteger("Effect"), 6);
  }
  SqliteHive hive(hive_path_);
  const auto values = hive.Values("AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.current");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].first, "");
  EXPECT_EQ(values[1].first, "Effect");
  // A new key under a differently spelt parent takes the parent's stored spelling.
  ASSERT_EQ(hive.CreateKey("APPEVENTS\\Other"), "AppEvents\\Other");
  EXPECT_EQ(hive.SubKeyNames("appevents"), (std::vector<std::string>{"Other", "Schemes"}));
}

TEST_F(RegistryTest, OpenCreatesParentsOnlyWhenAllowed) {
  SqliteHive hive(hive_path_);
  {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("Software\\Kaltvor\\Kaltvor - Brelinde", false));
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_FALSE(fs::exists(dir_.Path() + "/brelinde")) << "a read created the hive";
    EXPECT_TRUE(reg.OpenKey("\\Software\\Kaltvor\\Kaltvor - Brelinde", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Kaltvor\\Kaltvor - Brelinde");
  }
  EXPECT_TRUE(hive.FindKey("Software"));
  EXPECT_TRUE(hive.FindKey("Software\\Kaltvor"));
  EXPECT_TRUE(hive.Values("Software\\Kaltvor\\Kaltvor - Brelinde").empty());
  TRegistry reg;
  EXPECT_TRUE(reg.OpenKey("Software\\Kaltvor\\", false));
  EXPECT_FALSE(reg.OpenKey("Software\\\\Kaltvor", true));  // an empty name inside
  EXPECT_FALSE(hive.FindKey("Software\\\\Kaltvor"));
}

TEST_F(RegistryTest, AfterAFailedOpenNoKeyIsCurrent) {
  Store("", "Wert", RegValue{REG_DWORD, "\1\0\0\0"s});  // in the root
  Store(kKey, "Wert", RegValue{REG_DWORD, "\2\0\0\0"s});
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  ASSERT_TRUE(reg.ValueExists("Wert"));
  EXPECT_FALSE(reg.OpenKey("Control Panel\\desktop", false));
  // Neither the key open before nor the root answers for the missing one.
  EXPECT_FALSE(reg.ValueExists("Wert"));
  EXPECT_EQ(Outcome([&] { return std::to_string(reg.ReadInteger("Wert")); }), kGetFailed);
  EXPECT_EQ(Outcome([&] { return reg.ReadString("Wert"); }), "");
  EXPECT_EQ(Outcome([&] { return (reg.WriteInteger("Wert", 3), ""s); }), kSetFailed);
  EXPECT_EQ(Outcome([&] { return (reg.WriteString("Wert", "x"), ""s); }), kSetFailed);
  EXPECT_EQ(Stored("", "Wert"), (RegValue{REG_DWORD, "\1\0\0\0"s}));
  EXPECT_EQ(Stored(kKey, "Wert"), (RegValue{REG_DWORD, "\2\0\0\0"s}));
  EXPECT_FALSE(Stored("Control Panel\\desktop", "Wert"));
}

TEST_F(RegistryTest, WriteToAKeyDeletedMeanwhileFails) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  ASSERT_TRUE(SqliteHive(hive_path_).DeleteKey("Software"));
  EXPECT_EQ(Outcome([&] { return (reg.WriteInteger("Wert", 1), ""s); }), kSetFailed);
  EXPECT_FALSE(SqliteHive(hive_path_).FindKey(kKey));
}

TEST_F(RegistryTest, EveryPathClosesTheKeyAndTheFile) {
  Store(kKey, "Wert", Sz("text\0"s));
  const auto read_as_integer = [] {
    TRegistry reg;
    reg.OpenKey(kKey, false);
    EXPECT_EQ(TRegistry::OpenKeys(), 1);
    return reg.ReadInteger("Wert");
  };
  EXPECT_THROW(read_as_integer(), ERegistryException);
  EXPECT_EQ(TRegistry::OpenKeys(), 0);
  {
    TRegistry reg;
    reg.OpenKey(kKey, false);
    reg.CloseKey();
    EXPECT_EQ(TRegistry::OpenKeys(), 0);
    EXPECT_FALSE(reg.ValueExists("Wert"));  // closed means closed, not the root
  }
  // The last connection to the file is gone: SQLite folded its log back and removed it.
  EXPECT_FALSE(fs::exists(hive_path_ + "-wal"));
}

TEST_F(RegistryTest, HiveFileIsAPlainSqliteDatabaseForItsOwner) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, true));
    reg.WriteInteger("Effect", 23);
    reg.WriteString("", "Fade");
  }
  EXPECT_EQ(fs::status(dir_.Path() + "/brelinde").permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(hive_path_).permissions() & (fs::perms::group_all | fs::perms::others_all),
            fs::perms::none);

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2(hive_path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  const auto rows = [db](const char* sql) {
    std::string out;
    sqlite3_exec(
        db, sql,
        [](void* out, int n, char** cols, char**) {
          for (int i = 0; i < n; ++i) *static_cast<std::string*>(out) += cols[i] + "|"s;
          *static_cast<std::string*>(out) += "\n";
          return 0;
        },
        &out, nullptr);
    return out;
  };
  EXPECT_EQ(rows("SELECT path FROM keys ORDER BY path"), "Software|\nSoftware\\Test|\n");
  EXPECT_EQ(rows("SELECT key, name, type, hex(data) FROM vals ORDER BY name"),
            "Software\\Test||1|4661646500|\n"
            "Software\\Test|Effect|4|17000000|\n");
  sqlite3_close(db);
}

TEST_F(RegistryTest, UnusableHiveFileIsReportedOnceAndLeftAlone) {
  struct Case {
    const char* what;
    std::function<void(const std::string& hive)> make;
  };
  const Case cases[] = {{"not a database",
                         [](const std::string& hive) {
                           fs::create_directories(fs::path(hive).parent_path());
                           WriteWholeFile(hive, std::string_view("my notes, not a database\n"));
                         }},
                        {"a folder", [](const std::string& hive) { fs::create_directories(hive); }},
                        {"a database of another program",
                         [](const std::string& hive) {
                           fs::create_directories(fs::path(hive).parent_path());
                           sqlite3* db = nullptr;
                           sqlite3_open(hive.c_str(), &db);
                           sqlite3_exec(db, "CREATE TABLE keys(k); CREATE TABLE vals(v)", nullptr,
                                        nullptr, nullptr);
                           sqlite3_close(db);
                         }},
                        {"no folder possible", [](const std::string& hive) {
                           fs::create_directories(fs::path(hive).parent_path().parent_path());
                           WriteWholeFile(fs::path(hive).parent_path(), std::string_view("a file"));
                         }}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A path of its own per case: the report comes once per file and process.
    const std::string dir = dir_.Path() + "/case" + std::to_string(n++);
    const ScopedEnv config_home("XDG_CONFIG_HOME", dir);
    const std::string hive = dir + "/brelinde/registry.db";
    c.make(hive);
    const std::string before = fs::is_regular_file(hive) ? ReadWholeFile(hive) : "";

    testing::internal::CaptureStderr();
    for (int round = 0; round < 2; ++round) {
      TRegistry reg;
      EXPECT_FALSE(reg.OpenKey(kKey, false));
      EXPECT_FALSE(reg.ValueExists("Wert"));
      EXPECT_FALSE(reg.OpenKey(kKey, true));
      EXPECT_EQ(Outcome([&] { return (reg.WriteInteger("Wert", 1), ""s); }), kSetFailed);
      // Even the root, which always opens, takes no write.
      EXPECT_TRUE(reg.OpenKey("", false));
      EXPECT_FALSE(reg.ValueExists("Wert"));
      EXPECT_EQ(Outcome([&] { return (reg.WriteString("Wert", "x"), ""s); }), kSetFailed);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("Registrierungsdatei \"" + hive + "\" ist nicht verwendbar"),
              std::string::npos)
        << err;
    if (!before.empty()) {
      EXPECT_EQ(ReadWholeFile(hive), before);
    }
    EXPECT_FALSE(fs::exists(hive + "-wal"));
    EXPECT_FALSE(fs::exists(hive + "-journal"));
  }
}

TEST(HivePath, FollowsXdgConfigHome) {
  const ScopedEnv home("HOME", "/home/anna");
  ScopedEnv config_home("XDG_CONFIG_HOME", "/srv/cfg/");
  EXPECT_EQ(DefaultHivePath(), "/srv/cfg/brelinde/registry.db");
  config_home.Set("relative/cfg");  // not absolute: ignored
  EXPECT_EQ(DefaultHivePath(), "/home/anna/.config/brelinde/registry.db");
  config_home.Unset();
  EXPECT_EQ(DefaultHivePath(), "/home/anna/.config/brelinde/registry.db");
}

}  // namespace
}  // namespace brelinde
