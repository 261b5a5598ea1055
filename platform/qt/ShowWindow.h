// The Qt host of the show window: turns Qt's events into message records for the form, runs the
// form's timer, puts the window inside a foreign X11 window for a preview, grabs pointer and
// keyboard for the full-screen show, and runs the window modally.
#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>

#include "platform/Forms.h"

class QSocketNotifier;

namespace brelinde {

class THostWindowWatch;

class TShowWindow : public QWidget, public TFormWindow {
 public:
  TShowWindow();
  ~TShowWindow() override;

  // The form whose window this is; its controls are children of this widget.
  void SetForm(TForm* form) { form_ = form; }

  // Shows the window, activates it once (the form's activation handler runs), then handles
  // messages until the quit message is taken or a close request has closed the window.
  void ShowModal();

  // Reports an error raised while a message was handled, in the application's error box. The
  // grabs are let go while the box is open, so that it can be answered.
  void ShowError(const std::exception& e);

  // Called when the preview's host window has been destroyed.
  std::function<void()> OnHostGone;

  // TFormWindow.
  void ApplyStyle(const TFormStyle& style) override;
  void CreateHandle(const TCreateParams& params) override;
  int Left() const override { return x(); }
  int Top() const override { return y(); }
  int Width() const override { return width(); }
  int Height() const override { return height(); }
  int ClientWidth() const override { return width(); }
  int ClientHeight() const override { return height(); }
  void SetBounds(int left, int top, int width, int height) override;
  void Maximize() override;
  void Minimize() override;
  bool Visible() const override { return isVisible(); }
  void Hide() override { hide(); }
  void SetDoubleBuffered(bool) override {}  // Qt always paints through a back buffer
  void SetApplicationToolWindow() override { tool_window_ = true; }
  void SetCapture() override;
  void ReleaseCapture() override;
  void Close() override;
  void PostQuitMessage(int exit_code) override;
  void ProcessMessages() override;
  void SetTimer(int interval_ms, bool enabled) override;
  TShiftState ShiftState() const override { return shift_; }

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Dispatch(uint32_t msg, uint32_t wparam, int32_t lparam);
  void CreateNativeWindow();
  void UpdateTimer();
  void TryGrab();
  void WakeUp();

  TForm* form_ = nullptr;
  TFormStyle style_;
  TCreateParams params_;
  bool maximized_ = false;
  bool tool_window_ = false;
  bool running_ = false;  // the modal run has activated the window: ticks may run
  bool active_ = false;
  bool quit_posted_ = false;
  bool close_requested_ = false;
  bool capture_ = false;
  TShiftState shift_ = 0;
  int timer_interval_ = 0;
  bool timer_enabled_ = false;
  QTimer timer_;
  QTimer grab_retry_;
  std::unique_ptr<THostWindowWatch> host_watch_;
};

// Runs the show: the screensaver flag and the hidden cursor for the full-screen show, the
// application object, the show window with its page view, the modal run. Returns when the show
// has ended. SIGTERM, SIGINT and SIGHUP end it in order, as a close does.
void StartShow();

}  // namespace brelinde
