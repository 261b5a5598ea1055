// The operating-system services on Linux with X11.
#pragma once

#include "platform/System.h"

struct _XDisplay;

namespace brelinde {

class PosixSystem : public System {
 public:
  PosixSystem();
  ~PosixSystem() override;

  std::string TempPath() override;
  std::string CreateTempFile(const std::string& dir, const std::string& prefix) override;
  bool RemoveFile(const std::string& path) override;

  TPoint GetCursorPos() override;
  int ShowCursor(bool show) override;
  WindowHandle GetForegroundWindow() override;
  bool SetForegroundWindow(WindowHandle window) override;
  bool EnableWindow(WindowHandle window, bool enable) override;
  std::optional<TRect> GetWindowRect(WindowHandle window) override;
  int GetSystemMetrics(int index) override;

  std::optional<uint32_t> GetVersionPlatformId() override;
  std::string SystemDirectory() override;
  LibraryHandle LoadLib(const std::string& path) override;
  void* GetProcAddress(LibraryHandle library, const std::string& name) override;
  void FreeLibrary(LibraryHandle library) override;

  void SetScreenSaverRunning(bool running) override;
  bool OpenUrl(const std::string& url) override;

 private:
  _XDisplay* Conn();  // our own connection, opened on first use; nullptr without a display

  _XDisplay* display_ = nullptr;
  bool display_tried_ = false;
  int cursor_count_ = 0;
  unsigned temp_counter_ = 0;
};

// The per-user temp folder used when TMPDIR is not set: created for its owner only.
std::string DefaultTempFolder();

}  // namespace brelinde
