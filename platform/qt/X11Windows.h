// What the show window and the settings dialog ask of the X11 window system about windows of
// other clients and about the task bar. Xlib stays inside the .cpp: its macros clash with Qt.
#pragma once

#include <QWindow>
#include <cstdint>
#include <memory>

#include "platform/System.h"

struct _XDisplay;

namespace brelinde {

// A stand-in for another client's window, to be a transient or embedding parent; nullptr where
// the window system names no foreign windows (the offscreen platform of tests, for one).
std::unique_ptr<QWindow> ForeignWindow(WindowHandle window);

// Asks that the window get no task-bar or pager entry (_NET_WM_STATE_SKIP_TASKBAR): set on the
// window before it is mapped or while nobody manages it, asked of the window manager once it
// manages the window. Nothing where there is no X11.
void DropTaskBarEntry(WId window);

// Watches a foreign window for its destruction, on a connection of its own.
class X11DestroyWatch {
 public:
  explicit X11DestroyWatch(uint32_t window);
  ~X11DestroyWatch();
  X11DestroyWatch(const X11DestroyWatch&) = delete;
  X11DestroyWatch& operator=(const X11DestroyWatch&) = delete;

  // The connection's socket, to wait on; -1 without a display.
  int Fd() const;
  // False when the window was already gone when the watch began.
  bool Watching() const { return watching_; }
  // Reads what arrived; true once the window has been destroyed.
  bool Drain();

 private:
  _XDisplay* display_ = nullptr;
  unsigned long window_ = 0;
  bool watching_ = false;
};

}  // namespace brelinde
