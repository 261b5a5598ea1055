#include "platform/X11ErrorTrap.h"

#include <X11/Xlib.h>

namespace brelinde {
namespace {

int g_x_error = 0;
int RecordXError(Display*, XErrorEvent* e) {
  g_x_error = e->error_code;
  return 0;
}

using Handler = int (*)(Display*, XErrorEvent*);

}  // namespace

X11ErrorTrap::X11ErrorTrap(_XDisplay* display) : display_(display) {
  XSync(display_, False);
  g_x_error = 0;
  old_handler_ = reinterpret_cast<int (*)(_XDisplay*, void*)>(XSetErrorHandler(RecordXError));
}

X11ErrorTrap::~X11ErrorTrap() { XSetErrorHandler(reinterpret_cast<Handler>(old_handler_)); }

bool X11ErrorTrap::Failed() {
  XSync(display_, False);
  return g_x_error != 0;
}

}  // namespace brelinde
