#include "platform/qt/ShowWindow.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QWheelEvent>
#include <QWindow>

#include "platform/Errors.h"
#include "platform/System.h"
#include "platform/qt/Application.h"
#include "platform/qt/X11Windows.h"

namespace brelinde {

namespace {

int32_t MakeLParam(int low, int high) {
  return static_cast<int32_t>((static_cast<uint32_t>(high & 0xFFFF) << 16) | static_cast<uint32_t>(low & 0xFFFF));
}

// The Windows virtual-key code of a Qt key, as far as one exists (0 otherwise).
uint32_t VirtualKey(const QKeyEvent* e) {
  const int k = e->key();
  if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return static_cast<uint32_t>(k);
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 0x70 + static_cast<uint32_t>(k - Qt::Key_F1);
  switch (k) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: return 0x09;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Meta: return 0x5B;
    case Qt::Key_Menu: return 0x5D;
    default: return 0;
  }
}

TShiftState ShiftOf(Qt::KeyboardModifiers m) {
  TShiftState s = 0;
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::AltModifier) s |= ssAlt;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  return s;
}

}  // namespace

// Watches the preview's host window and reports its destruction.
class THostWindowWatch {
 public:
  THostWindowWatch(WindowHandle host, std::function<void()> gone)
      : watch_(static_cast<uint32_t>(host)), gone_(std::move(gone)) {
    if (watch_.Fd() < 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(watch_.Fd(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
      if (watch_.Drain()) Gone();
    });
    // Gone before it could be watched: report at the first turn of the loop.
    if (!watch_.Watching()) QTimer::singleShot(0, notifier_.get(), [this] { Gone(); });
  }

 private:
  void Gone() {
    if (reported_) return;
    reported_ = true;
    if (gone_) gone_();
  }

  X11DestroyWatch watch_;
  std::function<void()> gone_;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool reported_ = false;
};

TShowWindow::TShowWindow() : QWidget(nullptr) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (form_) Guarded([this] { form_->TimerTick(); });
  });
  grab_retry_.setInterval(50);
  connect(&grab_retry_, &QTimer::timeout, this, [this] { TryGrab(); });
  qApp->installEventFilter(this);
}

TShowWindow::~TShowWindow() {
  qApp->removeEventFilter(this);
  if (capture_) ReleaseCapture();
}

void TShowWindow::ApplyStyle(const TFormStyle& style) {
  style_ = style;
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor::fromRgb(style.color));
  setPalette(p);
}

void TShowWindow::CreateHandle(const TCreateParams& params) {
  if (params.WndParent != 0 && !Sys().GetWindowRect(params.WndParent)) {
    throw EWindowError(Format(msg::kNoSuchWindow, static_cast<long long>(params.WndParent)));
  }
  params_ = params;
}

void TShowWindow::SetBounds(int left, int top, int width, int height) {
  maximized_ = false;
  setGeometry(left, top, width, height);
}

void TShowWindow::Maximize() {
  // Covers the whole screen with or without a window manager.
  maximized_ = true;
  setGeometry(QGuiApplication::primaryScreen()->geometry());
}

void TShowWindow::Minimize() { showMinimized(); }

void TShowWindow::CreateNativeWindow() {
  Qt::WindowFlags flags = Qt::Window;
  if (style_.border_none) flags |= Qt::FramelessWindowHint;
  if (style_.stay_on_top) flags |= Qt::WindowStaysOnTopHint;
  // A full-screen saver is not managed: no frame, no task-bar entry, above the desktop.
  if (params_.WndParent == 0 && maximized_) flags |= Qt::X11BypassWindowManagerHint;
  const QRect geometry = this->geometry();
  setWindowFlags(flags);
  setGeometry(geometry);
  winId();
  if (params_.WndParent != 0) {
    QWindow* host = QWindow::fromWinId(static_cast<WId>(static_cast<uint32_t>(params_.WndParent)));
    host->setParent(nullptr);
    windowHandle()->setParent(host);
    setGeometry(geometry);
    host_watch_ = std::make_unique<THostWindowWatch>(params_.WndParent, [this] {
      if (OnHostGone) Guarded(OnHostGone);
    });
  } else if (tool_window_ && !(flags & Qt::X11BypassWindowManagerHint)) {
    // No task-bar button: the window manager reads this state when the window is mapped.
    DropTaskBarEntry(winId());
  }
}

void TShowWindow::ShowModal() {
  CreateNativeWindow();
  show();
  raise();
  activateWindow();
  setFocus(Qt::ActiveWindowFocusReason);
  // The window must be on the screen before the activation grabs the input.
  QElapsedTimer waited;
  waited.start();
  while (!(windowHandle() && windowHandle()->isExposed()) && waited.elapsed() < 2000 && !quit_posted_) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  running_ = true;
  UpdateTimer();
  active_ = true;
  Dispatch(WM_ACTIVATE, WA_ACTIVE, 0);
  for (;;) {
    if (quit_posted_) break;
    if (close_requested_) {
      close_requested_ = false;
      bool closed = true;
      Guarded([&] { closed = form_->DoClose(); });
      if (closed) break;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  running_ = false;
  UpdateTimer();
  if (capture_) ReleaseCapture();
}

void TShowWindow::Dispatch(uint32_t msg, uint32_t wparam, int32_t lparam) {
  if (!form_) return;
  TMessage message{msg, wparam, lparam, 0};
  Guarded([&] { form_->Perform(message); });
}

bool TShowWindow::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* k = static_cast<QKeyEvent*>(e);
      shift_ = ShiftOf(k->modifiers());
      const bool alt = k->modifiers() & Qt::AltModifier;
      const bool down = e->type() == QEvent::KeyPress;
      const uint32_t msg = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
      uint32_t lparam = 1 | ((k->nativeScanCode() & 0xFF) << 16);
      if (alt) lparam |= 1u << 29;
      if (k->isAutoRepeat()) lparam |= 1u << 30;
      if (!down) lparam |= 3u << 30;
      Dispatch(msg, VirtualKey(k), static_cast<int32_t>(lparam));
      return true;
    }
    case QEvent::MouseMove: {
      auto* m = static_cast<QMouseEvent*>(e);
      const QPoint p = m->position().toPoint();
      Dispatch(WM_MOUSEMOVE, 0, MakeLParam(p.x(), p.y()));
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      auto* m = static_cast<QMouseEvent*>(e);
      const QPoint p = m->position().toPoint();
      const int kind = e->type() == QEvent::MouseButtonPress ? 0 : e->type() == QEvent::MouseButtonRelease ? 1 : 2;
      uint32_t msg = 0;
      switch (m->button()) {
        case Qt::LeftButton: msg = WM_LBUTTONDOWN; break;
        case Qt::RightButton: msg = WM_RBUTTONDOWN; break;
        case Qt::MiddleButton: msg = WM_MBUTTONDOWN; break;
        default: msg = WM_XBUTTONDOWN; break;
      }
      if (msg == WM_XBUTTONDOWN) msg += static_cast<uint32_t>(std::min(kind, 1));  // no double click message
      else msg += static_cast<uint32_t>(kind);
      Dispatch(msg, 0, MakeLParam(p.x(), p.y()));
      return true;
    }
    case QEvent::Wheel: {
      auto* w = static_cast<QWheelEvent*>(e);
      const QPoint p = w->globalPosition().toPoint();
      Dispatch(WM_MOUSEWHEEL, static_cast<uint32_t>(w->angleDelta().y() & 0xFFFF) << 16, MakeLParam(p.x(), p.y()));
      return true;
    }
    case QEvent::WindowActivate:
      if (running_ && !active_) {
        active_ = true;
        Dispatch(WM_ACTIVATE, WA_ACTIVE, 0);
      }
      return QWidget::event(e);
    case QEvent::WindowDeactivate:
      if (running_ && active_) {
        active_ = false;
        Dispatch(WM_ACTIVATE, WA_INACTIVE, 0);
      }
      return QWidget::event(e);
    case QEvent::Close:
      // The form decides: a close request is WM_CLOSE through the hook.
      e->ignore();
      Dispatch(WM_CLOSE, 0, 0);
      return true;
    case QEvent::WindowStateChange:
      if (windowState() & Qt::WindowMinimized) {
        Dispatch(WM_SYSCOMMAND, SC_MINIMIZE, 0);
      }
      return QWidget::event(e);
    default:
      return QWidget::event(e);
  }
}

// The page view and any other child: keys reach the form first (key preview); mouse input over
// them goes to the show window itself, as it does for the captured mouse.
bool TShowWindow::eventFilter(QObject* watched, QEvent* e) {
  if (watched == this || !watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  if (widget->window() != this) return false;
  switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
      return event(e);
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      auto* m = static_cast<QMouseEvent*>(e);
      QMouseEvent mapped(m->type(), mapFromGlobal(m->globalPosition()), m->globalPosition(), m->button(),
                         m->buttons(), m->modifiers());
      event(&mapped);
      return true;
    }
    default:
      return false;
  }
}

void TShowWindow::ShowError(const std::exception& e) {
  const bool had_capture = capture_;
  if (had_capture) ReleaseCapture();
  TApplication::ShowException(e);
  // Unless the handling of the box's own messages took it again (or ended the show).
  if (had_capture && !capture_ && !quit_posted_) SetCapture();
}

void TShowWindow::SetCapture() {
  capture_ = true;
  grabMouse();
  grabKeyboard();
  TryGrab();
}

// The pointer and keyboard grabs of X11 fail while the window is not viewable or another client
// holds one; keep trying while the capture is wanted.
void TShowWindow::TryGrab() {
  QWindow* w = windowHandle();
  const bool ok = capture_ && w && w->setMouseGrabEnabled(true) && w->setKeyboardGrabEnabled(true);
  if (capture_ && !ok) {
    if (!grab_retry_.isActive()) grab_retry_.start();
  } else {
    grab_retry_.stop();
  }
}

void TShowWindow::ReleaseCapture() {
  capture_ = false;
  grab_retry_.stop();
  releaseKeyboard();
  releaseMouse();
}

void TShowWindow::Close() {
  close_requested_ = true;
  WakeUp();
}

void TShowWindow::PostQuitMessage(int) {
  quit_posted_ = true;
  WakeUp();
}

void TShowWindow::WakeUp() {
  if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
}

void TShowWindow::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TShowWindow::SetTimer(int interval_ms, bool enabled) {
  timer_interval_ = interval_ms;
  timer_enabled_ = enabled;
  UpdateTimer();
}

void TShowWindow::UpdateTimer() {
  // Ticks start with the modal run, after the first activation.
  if (running_ && timer_enabled_ && timer_interval_ > 0) {
    if (!timer_.isActive() || timer_.interval() != timer_interval_) timer_.start(timer_interval_);
  } else {
    timer_.stop();
  }
}

}  // namespace brelinde
