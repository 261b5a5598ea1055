#include "protocol/ScreenSaver.h"

namespace brelinde {

TRunMode RunMode = rmNone;
WindowHandle ParentWindow = 0;

void SetSaverRunning(bool running) { Sys().SetScreenSaverRunning(running); }

}  // namespace brelinde
