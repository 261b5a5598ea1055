#include "platform/qt/ShowWindowX11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace brelinde {
namespace {

// Foreign windows may vanish at any moment; their errors must not end the process.
int g_x_error = 0;
int RecordXError(Display*, XErrorEvent* e) {
  g_x_error = e->error_code;
  return 0;
}

}  // namespace

X11DestroyWatch::X11DestroyWatch(uint32_t window) : window_(window) {
  display_ = XOpenDisplay(nullptr);
  if (!display_) return;
  XSync(display_, False);
  g_x_error = 0;
  auto* old = XSetErrorHandler(RecordXError);
  XSelectInput(display_, window_, StructureNotifyMask);
  XSync(display_, False);
  XSetErrorHandler(old);
  watching_ = g_x_error == 0;
}

X11DestroyWatch::~X11DestroyWatch() {
  if (display_) XCloseDisplay(display_);
}

int X11DestroyWatch::Fd() const { return display_ ? ConnectionNumber(display_) : -1; }

bool X11DestroyWatch::Drain() {
  if (!display_) return false;
  bool gone = false;
  while (XPending(display_) > 0) {
    XEvent ev;
    XNextEvent(display_, &ev);
    if (ev.type == DestroyNotify && ev.xdestroywindow.window == window_) gone = true;
  }
  return gone;
}

void SetSkipTaskbar(unsigned long window) {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return;
  Atom state = XInternAtom(d, "_NET_WM_STATE", False);
  Atom skip[2] = {XInternAtom(d, "_NET_WM_STATE_SKIP_TASKBAR", False),
                  XInternAtom(d, "_NET_WM_STATE_SKIP_PAGER", False)};
  XChangeProperty(d, window, state, XA_ATOM, 32, PropModeAppend, reinterpret_cast<unsigned char*>(skip), 2);
  XCloseDisplay(d);
}

}  // namespace brelinde
