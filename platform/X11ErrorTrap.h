// Catches the X errors of a few requests about windows of other clients, which may vanish at any
// moment: such an error must not end the process.
#pragma once

struct _XDisplay;

namespace brelinde {

class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(_XDisplay* display);
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Waits for the server's answers to the requests so far; true when one of them failed.
  bool Failed();

 private:
  _XDisplay* display_;
  int (*old_handler_)(_XDisplay*, void*);
};

}  // namespace brelinde
