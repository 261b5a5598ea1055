// What a form's logic needs from its window, without a toolkit.
//
// A form is plain C++ (TForm and its subclasses). Its window lives in a toolkit host, which
// implements TFormWindow, turns the toolkit's events into message records with the Windows
// message numbers and hands each one to TForm::Perform. Every message passes through the form's
// replaceable hook, WindowProc, which holds the standard handling (TForm::WndProc) by default.
#pragma once

#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Files.h"
#include "platform/System.h"

namespace brelinde {

// The page view that stands in for the browser control (WebBrowser1 of the show window).
class TWebBrowserView {
 public:
  virtual ~TWebBrowserView() = default;

  // Shows the page file at path (a plain local path), playing the Page-Exit transition of the
  // page it leaves. Raises an error when the page file cannot be read; never waits for pictures.
  virtual void Navigate(const std::string& path) = 0;

  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The view draws no border of its own, so its client width is its width.
  virtual int ClientWidth() const = 0;
  virtual void SetLeft(int left) = 0;
  virtual void SetTop(int top) = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  virtual void SetClientWidth(int width) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

// ---- Messages -----------------------------------------------------------------------------

// One message as the hook sees it. A record that comes from the system arrives with Result 0.
struct TMessage {
  uint32_t Msg = 0;
  uint32_t WParam = 0;
  int32_t LParam = 0;
  int32_t Result = 0;
};

inline constexpr uint32_t WM_ACTIVATE = 0x0006;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
inline constexpr uint32_t WM_NCACTIVATE = 0x0086;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102;
inline constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
inline constexpr uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
inline constexpr uint32_t WM_XBUTTONDOWN = 0x020B;
inline constexpr uint32_t WM_XBUTTONUP = 0x020C;

// Low word of WM_ACTIVATE's wParam.
inline constexpr uint32_t WA_INACTIVE = 0;
inline constexpr uint32_t WA_ACTIVE = 1;
inline constexpr uint32_t WA_CLICKACTIVE = 2;

// WM_SYSCOMMAND codes; the low four bits of wParam belong to the system.
inline constexpr uint32_t SC_MINIMIZE = 0xF020;
inline constexpr uint32_t SC_MAXIMIZE = 0xF030;
inline constexpr uint32_t SC_CLOSE = 0xF060;
inline constexpr uint32_t SC_SCREENSAVE = 0xF140;

// Window styles of the creation parameters.
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t WS_POPUP = 0x80000000;
inline constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;

inline constexpr uint32_t LoWord(uint32_t value) { return value & 0xFFFF; }
inline constexpr uint32_t HiWord(uint32_t value) { return value >> 16; }

// A bound message handler: the type of the hook and of FOldWindowProc.
using TWndMethod = std::function<void(TMessage&)>;

// ---- The window side ----------------------------------------------------------------------

// The form's look, as its form data declares it.
struct TFormStyle {
  bool border_none = false;  // no frame, no caption
  uint32_t color = 0xF0F0F0;  // background, 0xRRGGBB
  bool stay_on_top = false;
  bool key_preview = false;  // key-downs of the controls reach the form's OnKeyDown first
  bool scroll_bars = true;
};

// What the system is asked for just before the form's window is created.
struct TCreateParams {
  uint32_t Style = WS_POPUP;
  uint32_t ExStyle = 0;
  WindowHandle WndParent = 0;  // a foreign window to become a child of; 0 for none
};

enum TShiftFlag : uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = uint8_t;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

// The window of a form, as the toolkit host provides it. Sizes are in pixels; for a window
// without a frame the outer size and the client size are the same.
class TFormWindow {
 public:
  virtual ~TFormWindow() = default;

  virtual void ApplyStyle(const TFormStyle& style) = 0;
  // Creates the system window with these parameters. A WndParent that names no window raises
  // EWindowError.
  virtual void CreateHandle(const TCreateParams& params) = 0;

  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  // WindowState := maximised: the window covers the whole screen.
  virtual void Maximize() = 0;
  virtual void Minimize() = 0;
  virtual bool Visible() const = 0;
  virtual void Hide() = 0;
  virtual void SetDoubleBuffered(bool on) = 0;
  // WS_EX_TOOLWINDOW on the application's own hidden window: no task-bar button.
  virtual void SetApplicationToolWindow() = 0;

  // Mouse capture: all mouse input goes to this window, also over its child windows.
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;

  // Close of a modal window: sets its modal result; the modal run then closes it (TForm::DoClose)
  // once the message under way has been handled.
  virtual void Close() = 0;
  // Posts the quit message; the modal run ends when it takes it.
  virtual void PostQuitMessage(int exit_code) = 0;
  // Lets every pending message of the thread be handled (which may run further handlers, nested).
  virtual void ProcessMessages() = 0;

  // The form's one timer: while enabled, the host calls TForm::TimerTick every interval ms.
  virtual void SetTimer(int interval_ms, bool enabled) = 0;

  // The keyboard's shift state at the message being handled.
  virtual TShiftState ShiftState() const = 0;
};

// The form's timer, as declared data; the host runs it and calls TForm::TimerTick.
class TTimer {
 public:
  explicit TTimer(TFormWindow& window) : window_(window) {}
  int Interval() const { return interval_; }
  bool Enabled() const { return enabled_; }
  void SetInterval(int ms) {
    interval_ = ms;
    window_.SetTimer(interval_, enabled_);
  }
  void SetEnabled(bool enabled) {
    enabled_ = enabled;
    window_.SetTimer(interval_, enabled_);
  }

 private:
  TFormWindow& window_;
  int interval_ = 1000;
  bool enabled_ = true;
};

// An invisible multi-line text box: only a buffer through which text is saved.
struct TMemo {
  std::string Text;
  bool Visible = true;
  // Creates (or empties) path and writes Text exactly, with nothing added; never through a link.
  void SaveToFile(const std::string& path) const { WriteWholeFile(path, Text); }
};

// An invisible list box: only a list of strings in insertion order.
struct TListBox {
  std::vector<std::string> Items;
  bool Visible = true;
};

// ---- Forms --------------------------------------------------------------------------------

class TForm {
 public:
  explicit TForm(TFormWindow& window);
  virtual ~TForm() = default;
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  // The replaceable message hook; the standard handling by default.
  TWndMethod WindowProc;
  // Hands a message to the hook: the host calls this for every message of the window.
  void Perform(TMessage& message) { WindowProc(message); }

  // Events, as the form data binds them.
  std::function<void()> OnActivate;
  std::function<void(TCloseAction&)> OnClose;
  std::function<void(uint16_t& key, TShiftState shift)> OnKeyDown;

  TFormWindow& Window() { return window_; }
  int Width() const { return window_.Width(); }
  int Height() const { return window_.Height(); }
  int ClientWidth() const { return window_.ClientWidth(); }
  int ClientHeight() const { return window_.ClientHeight(); }
  void SetHeight(int height) { window_.SetBounds(window_.Left(), window_.Top(), window_.Width(), height); }
  void Close() { window_.Close(); }
  void Hide() { window_.Hide(); }

  // The modal run's close of the window after Close(): OnClose, then its action (hide by
  // default). False when OnClose refused the close (caNone): the run goes on.
  bool DoClose();
  // One expiry of the form's timer.
  virtual void TimerTick() {}
  // The creation parameters: the standard ones, then the form's own adjustments.
  virtual void CreateParams(TCreateParams& params);

 protected:
  // The standard handling of a message.
  virtual void WndProc(TMessage& message);
  // Creates the system window from CreateParams.
  void CreateHandle();
  // Runs the creation handler; an error in it is reported by the application, and the window is
  // created all the same (the steps after the failing one stay undone).
  void DoCreate(const std::function<void()>& on_create);

 private:
  TFormWindow& window_;
};

// Reports an error raised while a message was handled (an error box titled with the
// application's title); the run goes on. Installed by the application object; tests record.
using TExceptionHandler = std::function<void(const std::exception&)>;
inline TExceptionHandler& ApplicationExceptionHandler() {
  static TExceptionHandler handler;
  return handler;
}
inline void SetApplicationExceptionHandler(TExceptionHandler handler) {
  ApplicationExceptionHandler() = std::move(handler);
}
inline void HandleApplicationException(const std::exception& e) {
  if (auto& handler = ApplicationExceptionHandler()) {
    handler(e);
  } else {
    std::fprintf(stderr, "brelinde: %s\n", e.what());
  }
}

// Runs a handler at a message's boundary: an error it raises is reported, the handler does not
// resume, and the run goes on. The toolkit is never unwound by an exception.
template <class F>
void Guarded(F&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    HandleApplicationException(e);
  }
}

// ---- TForm, inline: the class is small and every form and host uses all of it ----------------

inline TForm::TForm(TFormWindow& window) : window_(window) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
}

inline void TForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_ACTIVATE:
      if (LoWord(message.WParam) != WA_INACTIVE && OnActivate) OnActivate();
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (OnKeyDown) {
        uint16_t key = static_cast<uint16_t>(message.WParam);
        OnKeyDown(key, window_.ShiftState());
      }
      break;
    case WM_CLOSE:
      Close();
      break;
    case WM_SYSCOMMAND:
      if ((message.WParam & 0xFFF0) == SC_MINIMIZE) window_.Minimize();
      if ((message.WParam & 0xFFF0) == SC_CLOSE) Close();
      break;
    default:
      break;
  }
}

inline bool TForm::DoClose() {
  TCloseAction action = TCloseAction::caHide;
  if (OnClose) OnClose(action);
  if (action == TCloseAction::caNone) return false;
  if (action == TCloseAction::caMinimize) window_.Minimize();
  else window_.Hide();
  return true;
}

inline void TForm::CreateParams(TCreateParams& params) { params = TCreateParams{}; }

inline void TForm::CreateHandle() {
  TCreateParams params;
  CreateParams(params);
  window_.CreateHandle(params);
}

inline void TForm::DoCreate(const std::function<void()>& on_create) { Guarded(on_create); }

}  // namespace brelinde
