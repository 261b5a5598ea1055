// A stand-in for a screensaver host's preview window: an X11 window of the given size, whose id
// (decimal) is printed once it is mapped. Commands on stdin: "destroy" destroys the window and
// answers "destroyed"; end of input ends the program.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  const int width = argc > 1 ? std::atoi(argv[1]) : 152;
  const int height = argc > 2 ? std::atoi(argv[2]) : 112;
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "host_window: no display\n");
    return 1;
  }
  const int screen = DefaultScreen(d);
  Window w = XCreateSimpleWindow(d, RootWindow(d, screen), 100, 100, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, BlackPixel(d, screen), WhitePixel(d, screen));
  XSelectInput(d, w, StructureNotifyMask);
  XMapWindow(d, w);
  for (;;) {
    XEvent ev;
    XNextEvent(d, &ev);
    if (ev.type == MapNotify) break;
  }
  std::printf("%lu\n", w);
  std::fflush(stdout);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line == "destroy") {
      XDestroyWindow(d, w);
      XSync(d, False);
      std::printf("destroyed\n");
      std::fflush(stdout);
    }
  }
  XCloseDisplay(d);
  return 0;
}
