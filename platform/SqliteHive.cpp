#include "platform/SqliteHive.h"

#include <fcntl.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include "platform/Errors.h"

namespace brelinde {
namespace {

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys(path TEXT PRIMARY KEY COLLATE NOCASE);"
    "CREATE TABLE IF NOT EXISTS vals(key TEXT COLLATE NOCASE, name TEXT COLLATE NOCASE,"
    " type INTEGER, data BLOB, PRIMARY KEY(key,name));";

// One prepared statement, finalised on every path.
class Stmt {
 public:
  Stmt(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) stmt_ = nullptr;
  }
  ~Stmt() { sqlite3_finalize(stmt_); }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  Stmt& Text(int i, const std::string& s) {
    sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Stmt& Blob(int i, const std::string& s) {
    sqlite3_bind_blob(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Stmt& Int(int i, int64_t v) {
    sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  int Step() { return sqlite3_step(stmt_); }
  std::string Column(int i) const {
    // Text or blob alike: the bytes as stored (an editor may have written either).
    const void* p = sqlite3_column_blob(stmt_, i);
    const int n = sqlite3_column_bytes(stmt_, i);
    return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
  }
  int64_t ColumnInt(int i) const { return sqlite3_column_int64(stmt_, i); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Waits a millisecond at a time for another process's transaction, up to the busy timeout.
// SQLite's own timeout backs off to 100 ms sleeps, which makes two busy writers take turns far
// slower than their transactions last.
int WaitWhileBusy(void*, int count) {
  thread_local std::chrono::steady_clock::time_point since;
  const auto now = std::chrono::steady_clock::now();
  if (count == 0) since = now;
  if (now - since >= std::chrono::milliseconds(kHiveBusyTimeoutMs)) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return 1;
}

// Creates the missing folders of dir, each for its owner only; existing ones are left as they are.
bool MakeFolders(const std::string& dir, std::string& why) {
  std::string part;
  size_t pos = 0;
  while (pos <= dir.size()) {
    size_t next = dir.find('/', pos);
    if (next == std::string::npos) next = dir.size();
    part = dir.substr(0, next);
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      why = part + ": " + std::strerror(errno);
      return false;
    }
    pos = next + 1;
  }
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) {
    why = dir + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    why = dir + ": " + std::strerror(ENOTDIR);
    return false;
  }
  return true;
}

// Creates the file for its owner only if it is missing; an existing file is never truncated.
bool MakeFile(const std::string& path, std::string& why) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  ::close(fd);
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

bool IsUnder(const std::string& path, const std::string& key) {
  return path.size() > key.size() && path[key.size()] == '\\' &&
         SameName(std::string_view(path).substr(0, key.size()), key);
}

}  // namespace

std::string DefaultHivePath() {
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
    config = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd* pw = ::getpwuid(::getuid());
      home = pw ? pw->pw_dir : nullptr;
    }
    // Without any home the file cannot be placed; the empty path makes the hive unusable.
    if (!home || !*home) return std::string();
    config = std::string(home) + "/.config";
  }
  while (config.size() > 1 && config.back() == '/') config.pop_back();
  return config + "/brelinde/registry.db";
}

SqliteHive::SqliteHive(std::string path) : path_(std::move(path)) {}

SqliteHive::~SqliteHive() { sqlite3_close_v2(db_); }

void SqliteHive::MarkUnusable(const std::string& why) {
  // close_v2: statements still in scope are finalised later, and an open transaction rolls back.
  sqlite3_close_v2(db_);
  db_ = nullptr;
  state_ = State::kUnusable;
  last_error_ = why;
  // Once per file and process: a show opens several keys, the user needs to read it once.
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard lock(mutex);
  if (reported.insert(path_).second) {
    const std::string line = Format(msg::kHiveUnusable, {path_, why});
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

bool SqliteHive::Connect(bool for_write) {
  if (!Open(for_write)) return false;
  if (!for_write) return state_ == State::kReady;
  if (!write_ready_) {
    // WAL lets a show read while the dialog writes, and it is kept in the file. Switching needs a
    // moment when nobody reads, so a busy file is waited for. Where WAL cannot work (no shared
    // memory on the file system) the rollback journal stays: just as safe, only slower to share.
    Retrying([this] {
      Stmt mode(db_, "PRAGMA journal_mode=WAL");
      const int rc = mode.ok() ? mode.Step() : sqlite3_errcode(db_);
      return rc == SQLITE_ROW ? SQLITE_OK : rc;
    });
    if (state_ == State::kReadable && !CreateSchema()) return false;
    write_ready_ = true;
  }
  return true;
}

bool SqliteHive::Open(bool for_write) {
  if (db_) return true;
  if (state_ == State::kUnusable) return false;
  if (state_ == State::kAbsent && !for_write) return false;

  if (path_.empty()) {
    MarkUnusable(std::string(msg::kHiveNoHomeFolder));
    return false;
  }
  std::string why;
  if (for_write) {
    if (!MakeFolders(FolderOf(path_), why) || !MakeFile(path_, why)) {
      MarkUnusable(why);
      return false;
    }
  } else {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) {
        state_ = State::kAbsent;  // nothing stored yet: every read finds nothing
        last_error_.clear();
        return false;
      }
      MarkUnusable(std::strerror(errno));
      return false;
    }
  }

  // Without SQLITE_OPEN_CREATE: the file exists by now, made by MakeFile with owner-only rights.
  if (sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    MarkUnusable(db_ ? sqlite3_errmsg(db_) : "out of memory");
    return false;
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_handler(db_, WaitWhileBusy, nullptr);
  // Every commit reaches the disk before the write returns.
  sqlite3_exec(db_, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);

  // The first read of the file: anything but an SQLite database fails here.
  int64_t found = 0;
  const int rc = Retrying([&] {
    Stmt tables(db_,
                "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
                "('keys','vals')");
    const int step = tables.ok() ? tables.Step() : sqlite3_errcode(db_);
    if (step == SQLITE_ROW) found = tables.ColumnInt(0);
    return step == SQLITE_ROW ? SQLITE_OK : step;
  });
  if (rc != SQLITE_OK) {
    MarkUnusable(sqlite3_errmsg(db_));
    return false;
  }
  if (found == 2) return CheckTables();
  state_ = State::kReadable;  // an empty database (or one we only started): nothing to read yet
  return true;
}

int SqliteHive::Retrying(const std::function<int()>& step) {
  // The busy timeout already waits inside SQLite, but a few lock conflicts (a file changing its
  // journal mode, a rollback journal that looks hot for a moment) come back at once: those wait
  // here, up to the same timeout.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kHiveBusyTimeoutMs);
  for (;;) {
    const int rc = step();
    if ((rc & 0xff) != SQLITE_BUSY && (rc & 0xff) != SQLITE_LOCKED) return rc;
    if (std::chrono::steady_clock::now() >= deadline) return rc;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool SqliteHive::CreateSchema() {
  if (!Begin()) return false;
  if (sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
    const std::string why = sqlite3_errmsg(db_);
    Rollback();
    MarkUnusable(why);
    return false;
  }
  if (!Commit()) return false;
  return CheckTables();
}

bool SqliteHive::CheckTables() {
  // Tables of these names but of another shape belong to some other program's file.
  Stmt keys(db_, "SELECT path FROM keys LIMIT 0");
  Stmt vals(db_, "SELECT key, name, type, data FROM vals LIMIT 0");
  if (!keys.ok() || !vals.ok()) {
    MarkUnusable(sqlite3_errmsg(db_));
    return false;
  }
  state_ = State::kReady;
  return true;
}

bool SqliteHive::Begin() {
  // IMMEDIATE takes the write lock at once, so no other writer can slip in between read and write.
  const int rc =
      Retrying([this] { return sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); });
  return rc == SQLITE_OK || Failed("BEGIN");
}

bool SqliteHive::Commit() {
  // A commit that finds readers in the way keeps its transaction open and can be tried again.
  const int rc =
      Retrying([this] { return sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr); });
  if (rc == SQLITE_OK) return true;
  Failed("COMMIT");
  Rollback();
  return false;
}

void SqliteHive::Rollback() {
  if (db_ && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool SqliteHive::Failed(const std::string& what) {
  last_error_ = what + ": " + sqlite3_errmsg(db_);
  const int rc = sqlite3_extended_errcode(db_) & 0xff;
  if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) MarkUnusable(last_error_);
  return false;
}

std::optional<std::string> SqliteHive::FindKey(const std::string& key) {
  if (key.empty()) return std::string();  // the root always exists
  if (!Connect(false)) return std::nullopt;
  Stmt find(db_, "SELECT path FROM keys WHERE path=?");
  if (!find.ok()) {
    Failed("SELECT");
    return std::nullopt;
  }
  if (find.Text(1, key).Step() != SQLITE_ROW) return std::nullopt;
  return find.Column(0);
}

std::optional<std::string> SqliteHive::CreateKey(const std::string& key) {
  last_error_.clear();
  // Opening an existing key writes nothing: a show that opens its keys leaves the file alone.
  if (auto existing = FindKey(key)) return existing;
  if (!Connect(true)) return std::nullopt;
  if (!Begin()) return std::nullopt;
  // Each parent keeps its stored spelling; only the missing names take the caller's.
  std::string base;
  size_t pos = 0;
  while (pos <= key.size()) {
    size_t next = key.find('\\', pos);
    if (next == std::string::npos) next = key.size();
    const std::string candidate =
        (base.empty() ? std::string() : base + '\\') + key.substr(pos, next - pos);
    Stmt find(db_, "SELECT path FROM keys WHERE path=?");
    if (!find.ok()) {
      Failed("SELECT");
      Rollback();
      return std::nullopt;
    }
    const int rc = find.Text(1, candidate).Step();
    if (rc == SQLITE_ROW) {
      base = find.Column(0);
    } else {
      Stmt insert(db_, "INSERT INTO keys(path) VALUES(?)");
      if (rc != SQLITE_DONE || !insert.ok() || insert.Text(1, candidate).Step() != SQLITE_DONE) {
        Failed("INSERT");
        Rollback();
        return std::nullopt;
      }
      base = candidate;
    }
    pos = next + 1;
  }
  if (!Commit()) return std::nullopt;
  return base;
}

std::optional<RegValue> SqliteHive::GetValue(const std::string& key, const std::string& name) {
  if (!Connect(false)) return std::nullopt;
  Stmt get(db_, "SELECT type, data FROM vals WHERE key=? AND name=?");
  if (!get.ok()) {
    Failed("SELECT");
    return std::nullopt;
  }
  if (get.Text(1, key).Text(2, name).Step() != SQLITE_ROW) return std::nullopt;
  return RegValue{static_cast<uint32_t>(get.ColumnInt(0)), get.Column(1)};
}

bool SqliteHive::SetValue(const std::string& key, const std::string& name, const RegValue& value) {
  last_error_.clear();
  if (!Connect(true) || !Begin()) return false;
  // A key deleted by another process since it was opened takes no values, as in the registry.
  if (!key.empty()) {
    Stmt find(db_, "SELECT 1 FROM keys WHERE path=?");
    if (!find.ok()) {
      Failed("SELECT");
      Rollback();
      return false;
    }
    const int rc = find.Text(1, key).Step();
    if (rc != SQLITE_ROW) {
      if (rc == SQLITE_DONE)
        last_error_ = Format(msg::kHiveKeyGone, key);
      else
        Failed("SELECT");
      Rollback();
      return false;
    }
  }
  // An upsert, not a replace: the stored spelling of the name stays.
  Stmt put(db_,
           "INSERT INTO vals(key, name, type, data) VALUES(?,?,?,?) ON CONFLICT(key, name) "
           "DO UPDATE SET type=excluded.type, data=excluded.data");
  if (!put.ok() ||
      put.Text(1, key).Text(2, name).Int(3, value.type).Blob(4, value.data).Step() != SQLITE_DONE) {
    Failed("INSERT");
    Rollback();
    return false;
  }
  return Commit();
}

std::vector<std::string> SqliteHive::AllKeyPaths() {
  std::vector<std::string> paths;
  if (!Connect(false)) return paths;
  Stmt all(db_, "SELECT path FROM keys");
  if (!all.ok()) {
    Failed("SELECT");
    return paths;
  }
  while (all.Step() == SQLITE_ROW) paths.push_back(all.Column(0));
  return paths;
}

std::vector<std::string> SqliteHive::SubKeyNames(const std::string& key) {
  std::vector<std::string> names;
  for (const std::string& path : AllKeyPaths()) {
    std::string rest;
    if (key.empty()) {
      rest = path;
    } else if (IsUnder(path, key)) {
      rest = path.substr(key.size() + 1);
    } else {
      continue;
    }
    if (rest.find('\\') == std::string::npos) names.push_back(rest);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) <
             std::tolower(static_cast<unsigned char>(y));
    });
  });
  return names;
}

std::vector<std::pair<std::string, RegValue>> SqliteHive::Values(const std::string& key) {
  std::vector<std::pair<std::string, RegValue>> values;
  if (!Connect(false)) return values;
  Stmt all(db_, "SELECT name, type, data FROM vals WHERE key=? ORDER BY rowid");
  if (!all.ok()) {
    Failed("SELECT");
    return values;
  }
  all.Text(1, key);
  while (all.Step() == SQLITE_ROW) {
    values.emplace_back(all.Column(0),
                        RegValue{static_cast<uint32_t>(all.ColumnInt(1)), all.Column(2)});
  }
  return values;
}

bool SqliteHive::DeleteValue(const std::string& key, const std::string& name) {
  last_error_.clear();
  if (!Connect(true) || !Begin()) return false;
  Stmt del(db_, "DELETE FROM vals WHERE key=? AND name=?");
  if (!del.ok() || del.Text(1, key).Text(2, name).Step() != SQLITE_DONE) {
    Failed("DELETE");
    Rollback();
    return false;
  }
  const bool deleted = sqlite3_changes(db_) > 0;
  if (!Commit()) return false;
  return deleted;
}

bool SqliteHive::DeleteKey(const std::string& key) {
  last_error_.clear();
  if (key.empty()) {
    last_error_ = msg::kHiveRootNotDeleted;
    return false;
  }
  if (!Connect(true) || !Begin()) return false;
  // The whole subtree in one transaction: a key never loses only part of its subkeys.
  std::vector<std::string> doomed;
  Stmt all(db_, "SELECT path FROM keys");
  if (!all.ok()) {
    Failed("SELECT");
    Rollback();
    return false;
  }
  while (all.Step() == SQLITE_ROW) {
    std::string path = all.Column(0);
    if (SameName(path, key) || IsUnder(path, key)) doomed.push_back(std::move(path));
  }
  for (const std::string& path : doomed) {
    Stmt vals(db_, "DELETE FROM vals WHERE key=?");
    Stmt keys(db_, "DELETE FROM keys WHERE path=?");
    if (!vals.ok() || !keys.ok() || vals.Text(1, path).Step() != SQLITE_DONE ||
        keys.Text(1, path).Step() != SQLITE_DONE) {
      Failed("DELETE");
      Rollback();
      return false;
    }
  }
  if (!Commit()) return false;
  return !doomed.empty();
}

}  // namespace brelinde
