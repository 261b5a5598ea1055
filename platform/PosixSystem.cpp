#include "platform/PosixSystem.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/scrnsaver.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Errors.h"
#include "platform/X11ErrorTrap.h"

namespace brelinde {
namespace {

[[noreturn]] void ThrowTempFolder(const std::string& dir, const std::string& why) {
  throw EInOutError(Format(msg::kTempFolderUnusable, {dir, why}));
}

}  // namespace

std::string DefaultTempFolder() {
  const std::string dir = "/tmp/brelinde-" + std::to_string(::getuid());
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) ThrowTempFolder(dir, std::strerror(errno));
  struct stat st{};
  if (::lstat(dir.c_str(), &st) != 0) ThrowTempFolder(dir, std::strerror(errno));
  // Someone else may have planted it first: only our own private folder will do.
  if (!S_ISDIR(st.st_mode)) ThrowTempFolder(dir, "kein Ordner");
  if (st.st_uid != ::getuid()) ThrowTempFolder(dir, "gehört einem anderen Benutzer");
  if ((st.st_mode & 077) != 0) ThrowTempFolder(dir, "für andere Benutzer zugänglich");
  return dir;
}

PosixSystem::PosixSystem() = default;

PosixSystem::~PosixSystem() {
  if (display_) XCloseDisplay(display_);
}

Display* PosixSystem::Conn() {
  if (!display_tried_) {
    display_tried_ = true;
    const char* name = std::getenv("DISPLAY");
    if (name && *name) display_ = XOpenDisplay(name);
  }
  return display_;
}

std::string PosixSystem::TempPath() {
  std::string dir;
  const char* env = std::getenv("TMPDIR");
  if (env && *env) {
    dir = env;
    struct stat st{};
    if (::stat(dir.c_str(), &st) != 0) ThrowTempFolder(dir, std::strerror(errno));
    if (!S_ISDIR(st.st_mode)) ThrowTempFolder(dir, std::strerror(ENOTDIR));
  } else {
    dir = DefaultTempFolder();
  }
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string PosixSystem::CreateTempFile(const std::string& dir, const std::string& prefix) {
  std::string base = dir;
  if (!base.empty() && base.back() != '/') base += '/';
  base += prefix.substr(0, 3);
  // Like the Windows service: a 16-bit hexadecimal number, tried upward until a name is free.
  if (temp_counter_ == 0) temp_counter_ = static_cast<unsigned>(::getpid()) ^ static_cast<unsigned>(::time(nullptr));
  for (unsigned tries = 0; tries < 0x10000; ++tries) {
    unsigned number = (temp_counter_++ & 0xFFFF);
    if (number == 0) continue;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", number);
    std::string path = base + hex + ".tmp";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    if (errno != EEXIST) ThrowTempFolder(dir, std::strerror(errno));
  }
  ThrowTempFolder(dir, std::strerror(EEXIST));
}

bool PosixSystem::RemoveFile(const std::string& path) {
  return !path.empty() && ::unlink(path.c_str()) == 0;  // unlink removes a link, never its target
}

TPoint PosixSystem::GetCursorPos() {
  ::Display* d = Conn();
  if (!d) return {};
  Window root_return, child;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  XQueryPointer(d, DefaultRootWindow(d), &root_return, &child, &rx, &ry, &wx, &wy, &mask);
  return {rx, ry};
}

int PosixSystem::ShowCursor(bool show) {
  const bool was_visible = cursor_count_ >= 0;
  cursor_count_ += show ? 1 : -1;
  const bool visible = cursor_count_ >= 0;
  if (::Display* d = Conn(); d && was_visible != visible) {
    // XFixes hides the cursor for as long as this client is connected, and no longer.
    if (visible) XFixesShowCursor(d, DefaultRootWindow(d));
    else XFixesHideCursor(d, DefaultRootWindow(d));
    XFlush(d);
  }
  return cursor_count_;
}

WindowHandle PosixSystem::GetForegroundWindow() {
  ::Display* d = Conn();
  if (!d) return 0;
  // With a window manager the active window is published on the root window.
  Atom active = XInternAtom(d, "_NET_ACTIVE_WINDOW", True);
  if (active != None) {
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, DefaultRootWindow(d), active, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success && data) {
      Window w = count == 1 ? *reinterpret_cast<Window*>(data) : 0;
      XFree(data);
      if (w) return static_cast<WindowHandle>(w);
    }
  }
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(d, &focus, &revert);
  if (focus == PointerRoot || focus == None) return 0;
  return static_cast<WindowHandle>(focus);
}

bool PosixSystem::SetForegroundWindow(WindowHandle window) {
  ::Display* d = Conn();
  if (!d || window == 0) return false;
  X11ErrorTrap trap(d);
  const Window w = static_cast<Window>(static_cast<uint32_t>(window));
  XRaiseWindow(d, w);
  XSetInputFocus(d, w, RevertToParent, CurrentTime);
  return !trap.Failed();
}

bool PosixSystem::EnableWindow(WindowHandle, bool) {
  // X11 has no way to disable another client's window; the dialog is transient for it instead.
  return false;
}

std::optional<TRect> PosixSystem::GetWindowRect(WindowHandle window) {
  ::Display* d = Conn();
  if (!d || window == 0) return std::nullopt;
  X11ErrorTrap trap(d);
  const Window w = static_cast<Window>(static_cast<uint32_t>(window));
  XWindowAttributes attrs{};
  if (!XGetWindowAttributes(d, w, &attrs) || trap.Failed()) return std::nullopt;
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(d, w, attrs.root, 0, 0, &x, &y, &child);
  if (trap.Failed()) return std::nullopt;
  return TRect{x, y, x + attrs.width, y + attrs.height};
}

int PosixSystem::GetSystemMetrics(int index) {
  // The classic scroll-bar thickness at 96 dots per inch.
  if (index == SM_CXHSCROLL || index == SM_CYVSCROLL) return 17;
  return 0;
}

std::optional<uint32_t> PosixSystem::GetVersionPlatformId() {
  // The screen locker of the desktop owns passwords here, as the NT family's logon does.
  return kPlatformWin32NT;
}

std::string PosixSystem::SystemDirectory() {
#ifdef BRELINDE_SYSTEM_DIR
  return BRELINDE_SYSTEM_DIR;
#else
  return "/usr/lib/brelinde";
#endif
}

LibraryHandle PosixSystem::LoadLib(const std::string& path) {
  return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* PosixSystem::GetProcAddress(LibraryHandle library, const std::string& name) {
  return library ? ::dlsym(library, name.c_str()) : nullptr;
}

void PosixSystem::FreeLibrary(LibraryHandle library) {
  if (library) ::dlclose(library);
}

void PosixSystem::SetScreenSaverRunning(bool running) {
  // The nearest X11 counterpart: keep the server's own blanking away while our show runs. The
  // suspension belongs to this connection, so it also ends if the process is killed.
  if (::Display* d = Conn()) {
    int event_base = 0, error_base = 0;
    if (XScreenSaverQueryExtension(d, &event_base, &error_base)) {
      XScreenSaverSuspend(d, running ? True : False);
      XFlush(d);
    }
  }
}

bool PosixSystem::OpenUrl(const std::string& url) {
  // xdg-open is the desktop's way to open a page; a grandchild runs it so nothing waits for it.
  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    if (::fork() == 0) {
      ::setsid();
      char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(url.c_str()), nullptr};
      ::execvp("xdg-open", argv);
      ::_exit(127);
    }
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

namespace {
System* g_installed = nullptr;
}  // namespace

System& Sys() {
  if (g_installed) return *g_installed;
  static PosixSystem real;
  return real;
}

void SetSystem(System* system) {
  g_installed = system;
}

}  // namespace brelinde
