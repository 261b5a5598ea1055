// What the settings dialog asks of the X11 window system when a host window owns it.
#pragma once

#include <QWindow>
#include <memory>

#include "platform/System.h"

namespace brelinde {

// A stand-in for another client's window, to be the dialog's transient parent; nullptr where
// the window system names no foreign windows (the offscreen platform of tests, for one).
std::unique_ptr<QWindow> ForeignWindow(WindowHandle window);

// Asks that the mapped window get no task-bar entry (_NET_WM_STATE_SKIP_TASKBAR): through the
// window manager when one runs, else on the window itself. Nothing where there is no X11.
void DropTaskBarEntry(WId window);

}  // namespace brelinde
