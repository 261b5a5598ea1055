// The operating-system services the program uses, behind one interface, so that every
// window's logic runs against a scriptable fake in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace brelinde {

struct TPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool operator==(const TRect&) const = default;
};

// Window handles are 32-bit signed, as the command line carries them; on X11 a window id.
// (Names avoid the Windows headers' A/W macros so a Win32 implementation can sit beside this.)
using WindowHandle = int32_t;
using LibraryHandle = void*;

// The platform identifier of the version record: 2 is the NT family.
inline constexpr uint32_t kPlatformWin32Windows = 1;
inline constexpr uint32_t kPlatformWin32NT = 2;

inline constexpr int SM_CXHSCROLL = 21;
inline constexpr int SM_CYVSCROLL = 20;

class System {
 public:
  virtual ~System() = default;

  // Temp folder with a trailing separator. Throws EInOutError when it cannot be used.
  virtual std::string TempPath() = 0;
  // Creates a new empty file "<first three of prefix><hex>.tmp" in dir exclusively and
  // returns its full path. Throws EInOutError when no file can be created there.
  virtual std::string CreateTempFile(const std::string& dir, const std::string& prefix) = 0;
  // Clears the file's attributes and deletes it; false when that failed. Never follows a link.
  virtual bool RemoveFile(const std::string& path) = 0;

  virtual TPoint GetCursorPos() = 0;
  // Raises (true) or lowers (false) the cursor's display count; the cursor shows while >= 0.
  virtual int ShowCursor(bool show) = 0;
  virtual WindowHandle GetForegroundWindow() = 0;
  virtual bool SetForegroundWindow(WindowHandle window) = 0;
  // Enables or disables input to a foreign window; false where the platform cannot.
  virtual bool EnableWindow(WindowHandle window, bool enable) = 0;
  // Screen rectangle of a window; nullopt when the handle names no window.
  virtual std::optional<TRect> GetWindowRect(WindowHandle window) = 0;
  virtual int GetSystemMetrics(int index) = 0;

  // Platform identifier of the version query; nullopt when the query failed.
  virtual std::optional<uint32_t> GetVersionPlatformId() = 0;
  // The system folder; empty when the query fails.
  virtual std::string SystemDirectory() = 0;
  virtual LibraryHandle LoadLib(const std::string& path) = 0;
  virtual void* GetProcAddress(LibraryHandle library, const std::string& name) = 0;
  virtual void FreeLibrary(LibraryHandle library) = 0;

  // SPI_SETSCREENSAVERRUNNING: tells the system a full-screen saver runs (or stopped).
  virtual void SetScreenSaverRunning(bool running) = 0;
  // Opens a web page the desktop's usual way; the result is only informative.
  virtual bool OpenUrl(const std::string& url) = 0;
};

// The process-wide services; the real ones unless a test installed others.
System& Sys();
// Installs services for this process (tests); nullptr goes back to the real ones.
void SetSystem(System* system);

}  // namespace brelinde
