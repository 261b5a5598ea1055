#include "platform/qt/X11Windows.h"

#include <QGuiApplication>

#include "platform/X11ErrorTrap.h"

// Xlib's macros clash with Qt's names: it comes after every Qt header.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace brelinde {
namespace {

bool OnX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

Display* X11Display() {
  if (!OnX11()) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->display() : nullptr;
}

// An EWMH window manager announces itself on the root window.
bool WindowManagerRuns(Display* display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                        XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
                     data && count == 1;
  if (data) XFree(data);
  return found;
}

bool Mapped(Display* display, Window w) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display, w, &attributes) && attributes.map_state != IsUnmapped;
}

}  // namespace

std::unique_ptr<QWindow> ForeignWindow(WindowHandle window) {
  if (!OnX11() || window == 0) return nullptr;
  return std::unique_ptr<QWindow>(QWindow::fromWinId(static_cast<WId>(static_cast<uint32_t>(window))));
}

void DropTaskBarEntry(WId window) {
  Display* display = X11Display();
  if (!display) return;
  const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
  const Atom skip[2] = {XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False),
                        XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False)};
  const Window w = static_cast<Window>(window);
  if (Mapped(display, w) && WindowManagerRuns(display)) {
    // A mapped window's state belongs to the window manager: ask it.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = w;
    event.xclient.message_type = state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 1;  // _NET_WM_STATE_ADD
    event.xclient.data.l[1] = static_cast<long>(skip[0]);
    event.xclient.data.l[2] = static_cast<long>(skip[1]);
    event.xclient.data.l[3] = 1;  // from a normal application
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
  } else {
    // Nobody manages the window yet; a manager that takes it later reads the property.
    XChangeProperty(display, w, state, XA_ATOM, 32, PropModeAppend,
                    reinterpret_cast<const unsigned char*>(skip), 2);
  }
  XFlush(display);
}

X11DestroyWatch::X11DestroyWatch(uint32_t window) : window_(window) {
  display_ = XOpenDisplay(nullptr);
  if (!display_) return;
  X11ErrorTrap trap(display_);
  XSelectInput(display_, window_, StructureNotifyMask);
  watching_ = !trap.Failed();
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

}  // namespace brelinde
