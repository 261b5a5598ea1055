// Folders and environment variables that a test borrows and hands back as it found them.
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/Files.h"

namespace brelinde::test_support {

// A fresh folder in the temp folder, removed with all it holds when the object goes.
class TempFolder {
 public:
  explicit TempFolder(std::string_view prefix = "brelinde-test") {
    std::string templ =
        (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (!::mkdtemp(templ.data())) {
      throw std::runtime_error("mkdtemp " + templ + ": " + std::strerror(errno));
    }
    path_ = std::move(templ);
  }
  ~TempFolder() {
    std::error_code ignored;  // a destructor must not throw; a leftover folder harms no result
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }
  // Writes bytes to the file name in the folder; returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    std::string path = File(name);
    WriteWholeFile(path, bytes);
    return path;
  }

 private:
  std::string path_;
};

// Sets (or, with std::nullopt, unsets) an environment variable; puts back exactly what it held
// before, set or not, when the object goes. Set and Unset change it again in between.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    Put(value);
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

  void Set(const std::string& value) { Put(value); }
  void Unset() { Put(std::nullopt); }

 private:
  void Put(const std::optional<std::string>& value) {
    const int rc = value ? ::setenv(name_.c_str(), value->c_str(), 1) : ::unsetenv(name_.c_str());
    if (rc != 0) throw std::runtime_error("cannot change " + name_ + ": " + std::strerror(errno));
  }

  std::string name_;
  std::optional<std::string> old_;
};

// A config folder of the test's own, named by XDG_CONFIG_HOME for as long as it lives, so that
// nothing reaches the user's own hive.
class TempConfigHome : public TempFolder {
 public:
  explicit TempConfigHome(std::string_view prefix = "brelinde-config")
      : TempFolder(prefix), env_("XDG_CONFIG_HOME", Path()) {}

 private:
  ScopedEnv env_;  // put back before the folder goes
};

}  // namespace brelinde::test_support
