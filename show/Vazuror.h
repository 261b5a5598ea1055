// The show window: a frameless black window, full screen or inside a host's preview window, in
// which the page view plays one picture after another. Plain C++: the toolkit host gives it a
// window (TFormWindow) and the page view (TWebBrowserView) and feeds it messages and timer ticks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/JpegImage.h"
#include "platform/Forms.h"

namespace brelinde {

class TVazuror : public TForm {
 public:
  // An invisible image control: holds one picture while it is measured and written out. With
  // AutoSize on, loading a picture gives the control the picture's size.
  struct TImage {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool AutoSize = false;
    bool Stretch = false;
    bool Visible = true;
    TJPEGImage Picture;

    void LoadFromResource(int id) {
      Picture.LoadFromResource(id);
      if (AutoSize) {
        Width = Picture.Width();
        Height = Picture.Height();
      }
    }
  };

  // Applies the declared properties, creates the window (creation parameters) and runs
  // FormCreate. Raises EWindowError when the preview's host window does not exist.
  TVazuror(TFormWindow& window, TWebBrowserView& browser);
  ~TVazuror() override;

  // Controls.
  TImage Image1;
  TWebBrowserView& WebBrowser1;
  TMemo Memo1;
  TListBox ListBox1;
  TTimer Timer1;

  // Event handlers.
  void FormCreate();
  void FormActivate();
  void FormClose(TCloseAction& action);
  void FormKeyDown(uint16_t& key, TShiftState shift);
  void Timer1Timer();

  // The input filter of the full-screen show; the hook's other state is FOldWindowProc.
  void SaverWindowProc(TMessage& message);
  void TryFinishShow();
  void ReadEffect();

  void CreateParams(TCreateParams& params) override;
  void TimerTick() override { Timer1Timer(); }  // Timer1's OnTimer

  // Fields.
  TWndMethod FOldWindowProc;
  int32_t FTicksLeft = 0;
  int32_t FEffect = 0;
  int32_t FSlideIndex = 0;
  std::string FTransitionMeta;
  std::string FPictureFile;
  std::string FPageFile;

 protected:
  void WndProc(TMessage& message) override;

 private:
  friend void FinishShow();

  void PlaceBrowser();
  void ShowNextPicture();
  void WritePage(const std::string& page);

  // Set by FinishShow: from then on nothing writes a file or shows a page.
  bool FShowEnded = false;
  // The files of earlier activations of this show, deleted with the current pair at the end.
  std::vector<std::string> FEarlierFiles;
};

// The one show window of the process (nullptr when there is none).
extern TVazuror* Vazuror;

// True when "Page_Transitions" was off before the show and is switched off again at its end.
extern bool RestoreTransitionsOff;

// Explorer's navigation sound: muted for the show by a marker behind its file name.
void MuteNavigationSound();
void RestoreNavigationSound();
// The browser's page-transition switch: on for the show, back off afterwards if it was off.
void EnablePageTransitions();
void RestorePageTransitions();

// Ends the show: clears the screensaver flag, stops the timer, puts the two registry values
// back, deletes the show's temp files and posts the quit message. Running it again changes
// nothing more.
void FinishShow();

}  // namespace brelinde
