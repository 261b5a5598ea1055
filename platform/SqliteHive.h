// The user hive as an SQLite file that sqlite3 and other tools can read:
//   keys(path TEXT PRIMARY KEY COLLATE NOCASE)
//   vals(key TEXT COLLATE NOCASE, name TEXT COLLATE NOCASE, type INTEGER, data BLOB,
//        PRIMARY KEY(key,name))
// The root key "" is implicit (never a row of keys); its values have key ''.
//
// Several processes use the file at once (the dialog and a show): it runs in WAL mode with full
// sync, every change is one IMMEDIATE transaction, and a busy timeout lets a writer wait for the
// other instead of failing. A process killed mid-write leaves the last committed state.
//
// A file that cannot be opened or is not such a database is left exactly as it is: reads find
// nothing, writes fail, and one line on stderr (once per process) names the file.
#pragma once

#include <functional>
#include <string>

#include "platform/Registry.h"

struct sqlite3;

namespace brelinde {

// $XDG_CONFIG_HOME/brelinde/registry.db; ~/.config/brelinde/registry.db when XDG_CONFIG_HOME is
// unset, empty or not an absolute path.
std::string DefaultHivePath();

// How long a write waits for another process's write to finish before it fails.
inline constexpr int kHiveBusyTimeoutMs = 5000;

class SqliteHive final : public Hive {
 public:
  // Connects lazily: a read of a file that does not exist finds nothing and creates nothing; the
  // first write creates the missing folders (for the owner only) and the file.
  explicit SqliteHive(std::string path);
  ~SqliteHive() override;
  SqliteHive(const SqliteHive&) = delete;
  SqliteHive& operator=(const SqliteHive&) = delete;

  const std::string& Path() const { return path_; }

  std::optional<std::string> FindKey(const std::string& key) override;
  std::optional<std::string> CreateKey(const std::string& key) override;
  std::optional<RegValue> GetValue(const std::string& key, const std::string& name) override;
  bool SetValue(const std::string& key, const std::string& name, const RegValue& value) override;
  std::vector<std::string> SubKeyNames(const std::string& key) override;
  std::vector<std::pair<std::string, RegValue>> Values(const std::string& key) override;
  bool DeleteValue(const std::string& key, const std::string& name) override;
  bool DeleteKey(const std::string& key) override;
  std::string LastError() const override { return last_error_; }

 private:
  enum class State { kUnconnected, kAbsent, kReadable, kReady, kUnusable };

  // Connects for reading (false: nothing to read) or for writing (false: cannot write).
  bool Connect(bool for_write);
  bool Open(bool for_write);
  // Runs step (an SQLite call's result code) again while the file is busy, up to the timeout.
  int Retrying(const std::function<int()>& step);
  bool CreateSchema();
  bool CheckTables();
  void MarkUnusable(const std::string& why);
  bool Begin();
  bool Commit();
  void Rollback();
  bool Failed(const std::string& what);  // records the connection's error; always false
  std::vector<std::string> AllKeyPaths();

  std::string path_;
  sqlite3* db_ = nullptr;
  State state_ = State::kUnconnected;
  bool write_ready_ = false;  // journal mode and tables seen to for writing
  std::string last_error_;
};

}  // namespace brelinde
