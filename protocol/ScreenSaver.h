// The screensaver protocol's process-wide state and its services.
#pragma once

#include <cstdint>

#include "platform/System.h"

namespace brelinde {

enum TRunMode : uint8_t {
  rmNone = 0,            // the first argument carries no mode letter
  rmConfig = 1,          // the settings dialog (also: no argument at all)
  rmChangePassword = 2,  // change the screensaver password
  rmPreview = 3,         // the show inside the host window ParentWindow
  rmSaver = 4,           // the full-screen show
};

// Written once by ParseCommandLine; read by everything after it.
extern TRunMode RunMode;
extern WindowHandle ParentWindow;

// Where mouse movement is measured from (screen pixels): set when the show window is activated
// and after the password dialog.
extern TPoint StartCursorPos;
// How far the mouse may move from StartCursorPos, in pixels on each axis, before the show ends.
inline constexpr int32_t MouseThreshold = 5;

// Tells the system that a full-screen screensaver runs (true) or has stopped (false).
void SetSaverRunning(bool running);

// Whether the full-screen show may end: true at once on the NT family or when the user has no
// screensaver password; otherwise the answer of the platform's password dialog. On that asking
// path the cursor is shown for the dialog and StartCursorPos is reset afterwards.
bool VerifyPassword();

// Runs the platform's dialog that changes the screensaver password, owned by ParentWindow.
// Silent when the service is missing.
void ChangePassword();

}  // namespace brelinde
