// A scriptable stand-in for the operating-system services, for tests. It records every call
// that changes something in Log, in order, and answers from the fields below.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/PosixSystem.h"
#include "platform/System.h"

namespace brelinde {

class FakeSystem : public System {
 public:
  // Answers; a test sets what it needs.
  std::string temp_path;  // must name a real folder when temp files are made
  bool temp_path_fails = false;
  TPoint cursor{};
  int cursor_count = 0;
  WindowHandle foreground = 0;
  std::map<WindowHandle, TRect> windows;
  int scroll_metric = 16;
  std::optional<uint32_t> platform_id = kPlatformWin32NT;
  std::string system_directory = "C:\\WINDOWS\\SYSTEM";
  // path -> (entry name -> function); a path not listed fails to load
  std::map<std::string, std::map<std::string, void*>> libraries;
  bool saver_running = false;
  std::vector<std::string> opened_urls;
  std::vector<std::string> log;

  std::string TempPath() override {
    log.push_back("TempPath");
    if (temp_path_fails) throw EInOutError(Format(msg::kTempFolderUnusable, {temp_path, "fake"}));
    return temp_path;
  }
  std::string CreateTempFile(const std::string& dir, const std::string& prefix) override {
    log.push_back("CreateTempFile " + prefix);
    return real_.CreateTempFile(dir, prefix);
  }
  bool RemoveFile(const std::string& path) override {
    log.push_back("RemoveFile " + path);
    return real_.RemoveFile(path);
  }
  TPoint GetCursorPos() override { return cursor; }
  int ShowCursor(bool show) override {
    log.push_back(show ? "ShowCursor true" : "ShowCursor false");
    return cursor_count += show ? 1 : -1;
  }
  WindowHandle GetForegroundWindow() override { return foreground; }
  bool SetForegroundWindow(WindowHandle w) override {
    log.push_back("SetForegroundWindow " + std::to_string(w));
    foreground = w;
    return true;
  }
  bool EnableWindow(WindowHandle w, bool enable) override {
    log.push_back("EnableWindow " + std::to_string(w) + (enable ? " true" : " false"));
    return true;
  }
  std::optional<TRect> GetWindowRect(WindowHandle w) override {
    auto it = windows.find(w);
    if (it == windows.end()) return std::nullopt;
    return it->second;
  }
  int GetSystemMetrics(int) override { return scroll_metric; }
  std::optional<uint32_t> GetVersionPlatformId() override { return platform_id; }
  std::string SystemDirectory() override { return system_directory; }
  LibraryHandle LoadLib(const std::string& path) override {
    log.push_back("LoadLib " + path);
    auto it = libraries.find(path);
    return it == libraries.end() ? nullptr : &it->second;
  }
  void* GetProcAddress(LibraryHandle library, const std::string& name) override {
    auto* entries = static_cast<std::map<std::string, void*>*>(library);
    auto it = entries->find(name);
    return it == entries->end() ? nullptr : it->second;
  }
  void FreeLibrary(LibraryHandle) override { log.push_back("FreeLibrary"); }
  void SetScreenSaverRunning(bool running) override {
    log.push_back(running ? "SetScreenSaverRunning true" : "SetScreenSaverRunning false");
    saver_running = running;
  }
  bool OpenUrl(const std::string& url) override {
    log.push_back("OpenUrl " + url);
    opened_urls.push_back(url);
    return true;
  }

 private:
  PosixSystem real_;  // the file services stay real: tests use a real temp folder
};

// Installs a fake for the lifetime of a test.
class ScopedFakeSystem {
 public:
  ScopedFakeSystem() { SetSystem(&fake_); }
  ~ScopedFakeSystem() { SetSystem(nullptr); }
  FakeSystem* operator->() { return &fake_; }
  FakeSystem& operator*() { return fake_; }

 private:
  FakeSystem fake_;
};

}  // namespace brelinde
