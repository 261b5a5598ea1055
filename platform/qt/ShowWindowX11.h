// The show window's plain Xlib work, apart from the Qt code (Xlib's macros clash with Qt's names).
#pragma once

#include <cstdint>

struct _XDisplay;

namespace brelinde {

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

// Asks the window manager for no task-bar and pager entry (before the window is mapped).
void SetSkipTaskbar(unsigned long window);

}  // namespace brelinde
