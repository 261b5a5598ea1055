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

// Tells the system that a full-screen screensaver runs (true) or has stopped (false).
void SetSaverRunning(bool running);

}  // namespace brelinde
