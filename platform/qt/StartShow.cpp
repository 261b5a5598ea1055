// StartShow: the show as one mode of the program.
#include <fcntl.h>
#include <cerrno>
#include <signal.h>
#include <unistd.h>

#include <QEvent>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "platform/System.h"
#include "platform/qt/Application.h"
#include "platform/qt/PageView.h"
#include "platform/qt/ShowWindow.h"
#include "protocol/ScreenSaver.h"
#include "show/Vazuror.h"

namespace brelinde {
namespace {

int g_signal_pipe[2] = {-1, -1};

void OnStopSignal(int signo) {
  const int saved = errno;
  const char byte = static_cast<char>(signo);
  [[maybe_unused]] ssize_t n = ::write(g_signal_pipe[1], &byte, 1);
  errno = saved;
}

// SIGTERM (a screensaver daemon stopping us), SIGINT and SIGHUP end the show in order, on the
// user-interface thread: the handler only writes a byte that the message loop reads.
class StopSignals {
 public:
  StopSignals() {
    if (g_signal_pipe[0] < 0 && ::pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(g_signal_pipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] {
      char bytes[16];
      while (::read(g_signal_pipe[0], bytes, sizeof bytes) > 0) {
      }
      Guarded(FinishShow);
    });
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signo : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signo, &action, nullptr);
  }

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};

// With BRELINDE_FRAME_LOG=path, one line per painted frame of the page view and per page that
// starts showing or transition that ends: "<ns since the epoch> paint|shown|finished". The
// benchmark reads frame rates and the split between transitions and the still time from it.
class FrameLog : public QObject {
 public:
  FrameLog(PageView* view, const char* path) : file_(std::fopen(path, "a")) {
    if (!file_) return;
    view->installEventFilter(this);
    connect(view, &PageView::PageShown, this, [this] { Line("shown"); });
    connect(view, &PageView::TransitionFinished, this, [this] { Line("finished"); });
  }
  ~FrameLog() override {
    if (file_) std::fclose(file_);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) Line("paint");
    return false;
  }

 private:
  void Line(const char* what) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(file_, "%lld%09ld %s\n", static_cast<long long>(now.tv_sec), now.tv_nsec, what);
    std::fflush(file_);
  }

  std::FILE* file_;
};

}  // namespace

void StartShow() {
  const bool saver = RunMode == rmSaver;
  if (saver) {
    SetSaverRunning(true);
    Sys().ShowCursor(false);
  }
  // While the show runs, its window reports errors (it lets go of the input for the box first).
  struct HandlerScope {
    TExceptionHandler previous = ApplicationExceptionHandler();
    ~HandlerScope() { SetApplicationExceptionHandler(previous); }
  } handler_scope;
  std::unique_ptr<TApplication> app;
  std::unique_ptr<StopSignals> stop_signals;
  std::unique_ptr<TShowWindow> window;
  std::unique_ptr<TVazuror> show;
  std::unique_ptr<FrameLog> frame_log;
  try {
    if (!QApplication::instance()) app = std::make_unique<TApplication>();
    stop_signals = std::make_unique<StopSignals>();
    window = std::make_unique<TShowWindow>();
    SetApplicationExceptionHandler([w = window.get()](const std::exception& e) { w->ShowError(e); });
    auto* view = new PageView(window.get());
    if (const char* path = std::getenv("BRELINDE_FRAME_LOG"); path && *path) {
      frame_log = std::make_unique<FrameLog>(view, path);
    }
    show = std::make_unique<TVazuror>(*window, *view);
    window->SetForm(show.get());
  } catch (...) {
    // The window could not be created: nothing may stay as if a show ran.
    if (saver) {
      Sys().ShowCursor(true);
      SetSaverRunning(false);
    }
    throw;
  }
  // A preview whose host window goes away ends like a close.
  window->OnHostGone = [] { FinishShow(); };
  try {
    window->ShowModal();
  } catch (...) {
    FinishShow();
    throw;
  }
}

}  // namespace brelinde
