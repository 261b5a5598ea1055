// StartShow: the show as one mode of the program.
#include <fcntl.h>
#include <cerrno>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
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
      try {
        FinishShow();
      } catch (const std::exception& e) {
        HandleApplicationException(e);
      }
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

}  // namespace

void StartShow() {
  const bool saver = RunMode == rmSaver;
  if (saver) {
    SetSaverRunning(true);
    Sys().ShowCursor(false);
  }
  std::unique_ptr<TApplication> app;
  std::unique_ptr<StopSignals> stop_signals;
  std::unique_ptr<TShowWindow> window;
  std::unique_ptr<TVazuror> show;
  try {
    if (!QApplication::instance()) app = std::make_unique<TApplication>();
    SetApplicationExceptionHandler([](const std::exception& e) { TApplication::ShowException(e); });
    stop_signals = std::make_unique<StopSignals>();
    window = std::make_unique<TShowWindow>();
    auto* view = new PageView(window.get());
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
