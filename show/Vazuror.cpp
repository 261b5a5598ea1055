#include "show/Vazuror.h"

#include <cstdlib>

#include "config/SettingsStore.h"
#include "pictures/Resources.h"
#include "platform/Errors.h"
#include "platform/Random.h"
#include "platform/Registry.h"
#include "platform/System.h"
#include "protocol/CommandLine.h"
#include "protocol/ScreenSaver.h"
#include "show/SlideOrder.h"
#include "show/SlidePages.h"
#include "show/TempNames.h"

namespace brelinde {

TVazuror* Vazuror = nullptr;
bool RestoreTransitionsOff = false;

namespace {

constexpr const char* kNavigatingKey = "AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.current";
constexpr const char* kDefaultValue = "";
constexpr std::string_view kSoundMarker = "[deactivated]";
constexpr const char* kBrowserMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kPageTransitions = "Page_Transitions";

constexpr int kTicksBeforeFirstPicture = 20;
constexpr int kTicksBetweenPicturesMin = 60;  // plus Random(30): 60 to 89
constexpr int kTicksBetweenPicturesSpread = 30;
constexpr int kTimerInterval = 100;  // ms
constexpr int kMinBrowserClientWidth = 700;

}  // namespace

// ---- Registry values of other software, changed for the show --------------------------------

void MuteNavigationSound() {
  TRegistry reg;
  if (!reg.OpenKey(kNavigatingKey, false)) return;
  if (reg.ValueExists(kDefaultValue)) {
    reg.WriteString(kDefaultValue, reg.ReadString(kDefaultValue) + std::string(kSoundMarker));
  }
  reg.CloseKey();
}

void RestoreNavigationSound() {
  TRegistry reg;
  if (!reg.OpenKey(kNavigatingKey, false)) return;
  if (reg.ValueExists(kDefaultValue)) {
    std::string sound = reg.ReadString(kDefaultValue);
    if (const size_t marker = sound.find(kSoundMarker); marker != std::string::npos) sound.resize(marker);
    reg.WriteString(kDefaultValue, sound);
  }
  reg.CloseKey();
}

void EnablePageTransitions() {
  TRegistry reg;
  if (!reg.OpenKey(kBrowserMainKey, false)) return;
  if (reg.ValueExists(kPageTransitions)) {
    RestoreTransitionsOff = reg.ReadInteger(kPageTransitions) == 0;
    reg.WriteInteger(kPageTransitions, 1);
  }
  reg.CloseKey();
}

void RestorePageTransitions() {
  TRegistry reg;
  if (!reg.OpenKey(kBrowserMainKey, false)) return;
  if (reg.ValueExists(kPageTransitions)) reg.WriteInteger(kPageTransitions, 0);
  reg.CloseKey();
}

// ---- Creation -----------------------------------------------------------------------------

TVazuror::TVazuror(TFormWindow& window, TWebBrowserView& browser)
    : TForm(window), WebBrowser1(browser), Timer1(window) {
  // The form data.
  TFormStyle style;
  style.border_none = true;
  style.color = 0x000000;
  style.stay_on_top = true;
  style.key_preview = true;
  style.scroll_bars = false;
  window.ApplyStyle(style);
  window.SetBounds(774, 365, 720, 664);

  Image1.Left = 40;
  Image1.Top = 16;
  Image1.Width = 169;
  Image1.Height = 328;
  Image1.AutoSize = true;
  Image1.Stretch = true;
  Image1.Visible = false;

  WebBrowser1.SetLeft(88);
  WebBrowser1.SetTop(412);
  WebBrowser1.SetWidth(257);
  WebBrowser1.SetHeight(185);

  Memo1.Visible = false;
  ListBox1.Visible = false;

  Timer1.SetInterval(kTimerInterval);
  Timer1.SetEnabled(true);

  OnActivate = [this] { FormActivate(); };
  OnClose = [this](TCloseAction& action) { FormClose(action); };
  OnKeyDown = [this](uint16_t& key, TShiftState shift) { FormKeyDown(key, shift); };

  // The window must exist (inside its host, for a preview) before the show changes anything.
  CreateHandle();
  Vazuror = this;
  DoCreate([this] { FormCreate(); });
}

TVazuror::~TVazuror() {
  if (Vazuror == this) Vazuror = nullptr;
}

void TVazuror::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  if (ParentWindow != 0) {
    params.WndParent = ParentWindow;
    params.Style = WS_CHILD | WS_VISIBLE;
  }
}

void TVazuror::FormCreate() {
  // First, so that a failing step below cannot leave the filter without the standard handling.
  FOldWindowProc = WindowProc;
  MuteNavigationSound();
  EnablePageTransitions();
  WebBrowser1.SetLeft(Width());
  Window().SetDoubleBuffered(true);
  if (RunMode == rmPreview) {
    const auto host = Sys().GetWindowRect(ParentWindow);
    if (!host) throw EWindowError(Format(msg::kNoSuchWindow, static_cast<long long>(ParentWindow)));
    Window().SetBounds(0, 0, host->Width(), host->Height());
  } else {
    Window().Maximize();
  }
  Window().SetApplicationToolWindow();
  SetHeight(ClientHeight());
  FTicksLeft = kTicksBeforeFirstPicture;
  ReadEffect();
}

void TVazuror::ReadEffect() { FEffect = ReadStoredEffect(); }

// ---- Activation and ticks -----------------------------------------------------------------

void TVazuror::FormActivate() {
  if (FShowEnded) return;  // an ended show writes no more files
  Randomize();
  ListBox1.Items.clear();
  for (int n = 0; n < kSlideCount; ++n) ListBox1.Items.push_back(std::to_string(n));
  FSlideIndex = static_cast<int32_t>(ListBox1.Items.size());
  StartCursorPos = Sys().GetCursorPos();
  for (const std::string* earlier : {&FPictureFile, &FPageFile}) {
    if (!earlier->empty()) FEarlierFiles.push_back(*earlier);
  }
  FPictureFile = MakeTempName("jpg");
  FPageFile = MakeTempName("htm");
  FTransitionMeta = TransitionMeta(FEffect);
  WritePage(BuildBlankPage(FTransitionMeta));
  WebBrowser1.Navigate(FPageFile);
  PlaceBrowser();
  WindowProc = [this](TMessage& message) { SaverWindowProc(message); };
  if (RunMode == rmSaver) Window().SetCapture();
}

void TVazuror::Timer1Timer() {
  if (FShowEnded) return;
  Window().ProcessMessages();
  if (FShowEnded) return;  // the show ended while messages were handled: nothing more to write
  if (FTicksLeft > 0) {
    --FTicksLeft;
  } else {
    ShowNextPicture();
  }
  Window().ProcessMessages();
}

void TVazuror::ShowNextPicture() {
  ++FSlideIndex;
  if (FSlideIndex >= static_cast<int32_t>(ListBox1.Items.size())) {
    FSlideIndex = 0;
    ShuffleStrings(ListBox1.Items);
  }
  FTicksLeft = Random(kTicksBetweenPicturesSpread) + kTicksBetweenPicturesMin;
  Image1.Visible = false;
  const int32_t picture = StrToInt(ListBox1.Items.at(static_cast<size_t>(FSlideIndex)));
  Image1.LoadFromResource(kFirstSlideId + picture);
  Image1.Picture.SaveToFile(FPictureFile);
  const int picture_width = Image1.Width;
  const int picture_height = Image1.Height;
  const std::string_view fit = FitAttribute(Width(), Height(), picture_width, picture_height);
  FTransitionMeta = TransitionMeta(FEffect);
  WritePage(BuildSlidePage(FTransitionMeta, Width(), Height(), FPictureFile, fit));
  WebBrowser1.Navigate(FPageFile);
  WebBrowser1.SetVisible(true);
}

void TVazuror::WritePage(const std::string& page) {
  Memo1.Text = page;
  Memo1.SaveToFile(FPageFile);
}

// The browser view overhangs the window so that its border and scroll bars lie outside it.
void TVazuror::PlaceBrowser() {
  System& sys = Sys();
  WebBrowser1.SetHeight(sys.GetSystemMetrics(SM_CYVSCROLL) + Height() + 4);
  WebBrowser1.SetWidth(sys.GetSystemMetrics(SM_CXHSCROLL) + Width() + 4);
  WebBrowser1.SetTop(-2);
  WebBrowser1.SetLeft(-2);
  if (WebBrowser1.ClientWidth() < kMinBrowserClientWidth) WebBrowser1.SetClientWidth(kMinBrowserClientWidth);
}

// ---- Messages and input -------------------------------------------------------------------

void TVazuror::WndProc(TMessage& message) {
  // Minimising hides the window; the show goes on.
  if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_MINIMIZE) {
    Hide();
    return;
  }
  TForm::WndProc(message);
}

void TVazuror::SaverWindowProc(TMessage& message) {
  if (RunMode != rmSaver) {
    FOldWindowProc(message);
    return;
  }
  switch (message.Msg) {
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      if (LoWord(message.WParam) == WA_INACTIVE) TryFinishShow();
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      TryFinishShow();
      break;
    case WM_MOUSEMOVE: {
      const TPoint now = Sys().GetCursorPos();
      if (std::abs(now.x - StartCursorPos.x) > MouseThreshold ||
          std::abs(now.y - StartCursorPos.y) > MouseThreshold) {
        TryFinishShow();
      }
      break;
    }
    default:
      FOldWindowProc(message);
      break;
  }
}

void TVazuror::TryFinishShow() {
  Window().ReleaseCapture();
  WindowProc = FOldWindowProc;
  if (VerifyPassword()) {
    FinishShow();
  } else {
    WindowProc = [this](TMessage& message) { SaverWindowProc(message); };
  }
  Window().SetCapture();
}

void TVazuror::FormKeyDown(uint16_t&, TShiftState) { Close(); }

void TVazuror::FormClose(TCloseAction&) { FinishShow(); }

// ---- The end ------------------------------------------------------------------------------

void FinishShow() {
  TVazuror* show = Vazuror;
  if (!show) return;
  show->FShowEnded = true;
  if (RunMode == rmSaver) SetSaverRunning(false);
  show->Timer1.SetEnabled(false);
  RestoreNavigationSound();
  if (RestoreTransitionsOff) RestorePageTransitions();
  System& sys = Sys();
  sys.RemoveFile(show->FPageFile);
  sys.RemoveFile(show->FPictureFile);
  for (const std::string& earlier : show->FEarlierFiles) sys.RemoveFile(earlier);
  show->Window().PostQuitMessage(0);
}

}  // namespace brelinde
