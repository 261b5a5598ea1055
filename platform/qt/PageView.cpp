#include "platform/qt/PageView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <random>
#include <utility>

namespace brelinde {
namespace {

uint64_t FreshSeed() {
  std::random_device device;
  return (static_cast<uint64_t>(device()) << 32) ^ device();
}

QImage ImageOf(const browser::Frame& frame) {
  return QImage(reinterpret_cast<const uchar*>(frame.pixels.data()), frame.width, frame.height,
                frame.width * 4, QImage::Format_RGB32);
}

}  // namespace

PageView::PageView(QWidget* parent)
    : QWidget(parent),
      engine_([this](browser::RenderJob job) { worker_->Post(std::move(job)); }, FreshSeed()) {
  // The worker reports on its own thread; the result is handed to the user-interface thread.
  worker_ = std::make_unique<browser::RenderWorker>([this](browser::RenderResult result) {
    auto shared = std::make_shared<browser::RenderResult>(std::move(result));
    QMetaObject::invokeMethod(this, [this, shared] { OnResult(std::move(*shared)); }, Qt::QueuedConnection);
  });
  clock_.start();
  // Every pixel is painted from the frames; input belongs to the window beneath.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setContextMenuPolicy(Qt::NoContextMenu);
  WatchParent();
  UpdateGeometry();
}

PageView::~PageView() {
  // Stop the worker first: a result it hands over must not outlive the widget.
  worker_.reset();
  if (paced_window_) paced_window_->removeEventFilter(this);
  if (watched_parent_) watched_parent_->removeEventFilter(this);
}

double PageView::Now() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }

void PageView::Navigate(const std::string& path) {
  const bool was_animating = engine_.Animating();
  engine_.Navigate(path);
  if (was_animating) {
    update();  // the transition was finished at once
    emit TransitionFinished();
  }
}

QImage PageView::Snapshot() const { return ImageOf(engine_.Display()).copy(); }

void PageView::WatchParent() {
  QWidget* parent = parentWidget();
  if (parent == watched_parent_) return;
  if (watched_parent_) watched_parent_->removeEventFilter(this);
  watched_parent_ = parent;
  if (parent) parent->installEventFilter(this);
}

void PageView::UpdateGeometry() {
  // Only the part inside the parent can show: frames cover exactly that part.
  QRect visible = rect();
  if (QWidget* parent = parentWidget()) visible &= parent->rect().translated(-pos());
  const browser::ViewGeometry g{width(), height(),
                                browser::Rect{visible.x(), visible.y(), std::max(0, visible.width()),
                                              std::max(0, visible.height())}};
  if (g == engine_.Geometry()) return;
  const bool was_animating = engine_.Animating();
  engine_.SetGeometry(g);
  if (was_animating) emit TransitionFinished();
  update();
}

void PageView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UpdateGeometry();
}

void PageView::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  UpdateGeometry();
}

bool PageView::event(QEvent* event) {
  if (event->type() == QEvent::ParentChange) {
    WatchParent();
    UpdateGeometry();
  }
  return QWidget::event(event);
}

void PageView::OnResult(browser::RenderResult result) {
  if (!engine_.Accept(std::move(result), Now())) return;
  update();
  emit PageShown();
  if (engine_.Animating()) {
    last_frame_ = Now();
    ++frames_rendered_;  // Accept rendered frame 0
    RequestFrame();
  }
}

void PageView::RequestFrame() {
  QWidget* top = window();
  QWindow* handle = top ? top->windowHandle() : nullptr;
  if (handle != paced_window_) {
    if (paced_window_) paced_window_->removeEventFilter(this);
    paced_window_ = handle;
    if (handle) handle->installEventFilter(this);
  }
  if (!handle) {
    // Not on screen yet: the transition goes on by the clock and shows from the first paint on.
    update();
    return;
  }
  // A refresh period from the screen; Qt's xcb platform delivers update requests from a short
  // timer rather than from the vertical blank, so frames closer than that are skipped.
  const QScreen* screen = handle->screen();
  const double hz = screen && screen->refreshRate() > 1 ? screen->refreshRate() : 60.0;
  frame_interval_ = 1.0 / hz - 0.0025;
  handle->requestUpdate();
}

void PageView::RenderFrame() {
  const double now = Now();
  if (now - last_frame_ < frame_interval_) {
    paced_window_->requestUpdate();
    return;
  }
  last_frame_ = now;
  const bool playing = engine_.Advance(now);
  if (playing) ++frames_rendered_;
  update();
  if (playing) {
    paced_window_->requestUpdate();
  } else {
    emit TransitionFinished();
  }
}

bool PageView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == paced_window_ && event->type() == QEvent::UpdateRequest && engine_.Animating()) {
    RenderFrame();
  } else if (watched == watched_parent_ && event->type() == QEvent::Resize) {
    UpdateGeometry();
  }
  return QWidget::eventFilter(watched, event);
}

void PageView::paintEvent(QPaintEvent* event) {
  ++paints_;
  QPainter painter(this);
  const browser::Frame& frame = engine_.Display();
  const browser::Rect& v = engine_.Geometry().visible;
  if (!frame.Empty()) {
    painter.drawImage(QPoint(v.x, v.y), ImageOf(frame));
  }
  // Outside the visible part (or before the first page) nothing of ours shows; paint it black
  // so that no stale pixels remain anywhere in the widget.
  QRegion rest = QRegion(event->rect()) - QRect(v.x, v.y, frame.width, frame.height);
  for (const QRect& r : rest) painter.fillRect(r, Qt::black);
}

}  // namespace brelinde
