#include "protocol/ScreenSaver.h"

#include "platform/Registry.h"
#include "protocol/Tools.h"

namespace brelinde {

TRunMode RunMode = rmNone;
WindowHandle ParentWindow = 0;
TPoint StartCursorPos{};

namespace {

constexpr const char* kPasswordLibrary = "PASSWORD.CPL";
constexpr const char* kVerifyEntry = "VerifyScreenSavePwd";
constexpr const char* kChangeLibrary = "MPR.DLL";
constexpr const char* kChangeEntry = "PwdChangePasswordA";
constexpr const char* kPasswordProvider = "SCRSAVE";
constexpr const char* kDesktopKey = "Control Panel\\desktop";
constexpr const char* kUsePasswordValue = "ScreenSaveUsePassword";

using VerifyScreenSavePwdProc = int32_t(BRELINDE_WINAPI*)(WindowHandle owner);
using PwdChangePasswordProc = uint32_t(BRELINDE_WINAPI*)(const char* provider, WindowHandle owner,
                                                         uint32_t reserved1, uint32_t reserved2);

// Whether the user has a screensaver password at all; the key is never created.
bool UsesPassword() {
  TRegistry reg;
  if (!reg.OpenKey(kDesktopKey, false)) return false;
  if (!reg.ValueExists(kUsePasswordValue)) return false;
  return reg.ReadInteger(kUsePasswordValue) != 0;
}

// Asks the platform's verification dialog; a library that cannot be loaded lets the show end.
bool AskVerificationService() {
  System& sys = Sys();
  LibraryHandle library = sys.LoadLib(SystemLibraryPath(kPasswordLibrary));
  if (!library) return true;
  // A library without the entry cannot ask either: the show may end, as without the library.
  bool answer = true;
  if (auto* entry = reinterpret_cast<VerifyScreenSavePwdProc>(sys.GetProcAddress(library, kVerifyEntry))) {
    answer = (static_cast<uint32_t>(entry(sys.GetForegroundWindow())) & 0xFF) != 0;
  }
  sys.FreeLibrary(library);
  return answer;
}

}  // namespace

void SetSaverRunning(bool running) { Sys().SetScreenSaverRunning(running); }

bool VerifyPassword() {
  if (IsWinNT()) return true;
  if (!UsesPassword()) return true;
  System& sys = Sys();
  sys.ShowCursor(true);
  const bool answer = AskVerificationService();
  sys.ShowCursor(false);
  StartCursorPos = sys.GetCursorPos();
  return answer;
}

void ChangePassword() {
  System& sys = Sys();
  LibraryHandle library = sys.LoadLib(SystemLibraryPath(kChangeLibrary));
  if (!library) return;
  if (auto* entry = reinterpret_cast<PwdChangePasswordProc>(sys.GetProcAddress(library, kChangeEntry))) {
    entry(kPasswordProvider, ParentWindow, 0, 0);
  }
  sys.FreeLibrary(library);
}

}  // namespace brelinde
