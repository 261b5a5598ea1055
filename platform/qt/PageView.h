// The page view widget: WebBrowser1 of the show window. It reads each page it is sent to,
// renders it off the user-interface thread and plays the Page-Exit transition of the page it
// leaves, one frame per display refresh. It takes no focus and no input: mouse and keys reach
// the window beneath.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Forms.h"
#include "platform/browser/PageViewEngine.h"
#include "platform/browser/RenderWorker.h"

namespace brelinde {

class PageView : public QWidget, public TWebBrowserView {
  Q_OBJECT

 public:
  explicit PageView(QWidget* parent = nullptr);
  ~PageView() override;

  // TWebBrowserView. Navigate raises EInOutError when the page file cannot be read.
  void Navigate(const std::string& path) override;
  int Left() const override { return x(); }
  int Top() const override { return y(); }
  int Width() const override { return width(); }
  int Height() const override { return height(); }
  int ClientWidth() const override { return width(); }
  void SetLeft(int left) override { move(left, y()); }
  void SetTop(int top) override { move(x(), top); }
  void SetWidth(int width) override { resize(width, height()); }
  void SetHeight(int height) override { resize(width(), height); }
  void SetClientWidth(int width) override { resize(width, height()); }
  bool Visible() const override { return !isHidden(); }
  void SetVisible(bool visible) override { setVisible(visible); }

  // What shows now, the visible part of the view (for tests and tools).
  QImage Snapshot() const;
  bool Animating() const { return engine_.Animating(); }
  bool Loading() const { return engine_.Loading(); }
  // Frames rendered by the compositor and paints of the widget, counted since creation.
  int64_t FramesRendered() const { return frames_rendered_; }
  int64_t Paints() const { return paints_; }

 signals:
  // A navigation's page has arrived: its transition starts now (or it was cut in).
  void PageShown();
  // The transition playing has ended; the new page shows alone.
  void TransitionFinished();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  double Now() const;
  void UpdateGeometry();
  void WatchParent();
  void OnResult(browser::RenderResult result);
  void RequestFrame();
  void RenderFrame();

  browser::PageViewEngine engine_;
  std::unique_ptr<browser::RenderWorker> worker_;
  QElapsedTimer clock_;
  QPointer<QWidget> watched_parent_;
  QPointer<QWindow> paced_window_;
  double last_frame_ = -1;
  double frame_interval_ = 0;
  int64_t frames_rendered_ = 0;
  int64_t paints_ = 0;
};

}  // namespace brelinde
