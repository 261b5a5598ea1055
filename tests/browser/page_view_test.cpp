#include "platform/qt/PageView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <memory>

#include "platform/Errors.h"
#include "show/SlidePages.h"
#include "tests/browser/TestPictures.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

using browser::testing::MakeSolidJpeg;
using browser::testing::Near;
using test_support::TempFolder;

// The show window's stand-in: records the input that reaches it.
class Window : public QWidget {
 public:
  Window() {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
  }
  int presses = 0, moves = 0, keys = 0;

 protected:
  void mousePressEvent(QMouseEvent*) override { ++presses; }
  void mouseMoveEvent(QMouseEvent*) override { ++moves; }
  void keyPressEvent(QKeyEvent*) override { ++keys; }
};

class PageViewTest : public ::testing::Test {
 protected:
  static constexpr int kW = 120, kH = 90, kMetric = 16;

  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "browser_qt_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);  // lives for the whole program
  }

  PageViewTest() {
    window_ = std::make_unique<Window>();
    window_->resize(kW, kH);
    view_ = new PageView(window_.get());
    // The show's browser geometry.
    view_->SetHeight(kMetric + kH + 4);
    view_->SetWidth(kMetric + kW + 4);
    view_->SetTop(-2);
    view_->SetLeft(-2);
    window_->show();
    window_->activateWindow();
    window_->setFocus();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  std::string Page(const std::string& meta, const std::string& name, browser::testing::Rgb8 c) {
    const std::string picture = dir_.Write(name + ".jpg", MakeSolidJpeg(kW * 2, kH * 2, c));
    return dir_.Write(name + ".htm", BuildSlidePage(meta, kW, kH, picture, "width=\"100%\""));
  }

  // Navigates and waits for the page to arrive.
  void Show(const std::string& path) {
    QSignalSpy shown(view_, &PageView::PageShown);
    view_->Navigate(path);
    ASSERT_TRUE(shown.wait(5000));
  }

  TempFolder dir_{"brelinde-browser"};
  std::unique_ptr<Window> window_;
  PageView* view_ = nullptr;
};

TEST_F(PageViewTest, PlacementAsTheShowSetsIt) {
  EXPECT_EQ(view_->Left(), -2);
  EXPECT_EQ(view_->Top(), -2);
  EXPECT_EQ(view_->Width(), kW + 4 + kMetric);
  EXPECT_EQ(view_->Height(), kH + 4 + kMetric);
  EXPECT_EQ(view_->ClientWidth(), view_->Width());
  view_->SetClientWidth(700);
  EXPECT_EQ(view_->Width(), 700);
  EXPECT_EQ(view_->ClientWidth(), 700);
  EXPECT_TRUE(view_->Visible());
  view_->SetVisible(false);
  EXPECT_FALSE(view_->Visible());
  view_->SetVisible(true);
  EXPECT_TRUE(view_->Visible());
}

TEST_F(PageViewTest, InputOverTheViewReachesTheWindowBeneath) {
  EXPECT_EQ(view_->focusPolicy(), Qt::NoFocus);
  QWindow* handle = window_->windowHandle();
  ASSERT_NE(handle, nullptr);
  QTest::mouseMove(handle, QPoint(30, 30));
  QTest::mouseMove(handle, QPoint(60, 40));
  QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(60, 40));
  QTest::keyClick(handle, Qt::Key_A);
  EXPECT_GE(window_->moves, 1);
  EXPECT_EQ(window_->presses, 1);
  EXPECT_EQ(window_->keys, 1);
  EXPECT_NE(QApplication::focusWidget(), view_);
}

TEST_F(PageViewTest, PlaysTheTransitionFramePacedAndThenStaysIdle) {
  Show(dir_.Write("blank.htm", BuildBlankPage("<meta http-equiv=Page-Exit content=revealTrans(Duration=0.5,transition=6)>")));
  EXPECT_FALSE(view_->Animating());
  const QImage black = view_->Snapshot();
  ASSERT_EQ(black.size(), QSize(kW, kH));  // only the part inside the window
  EXPECT_EQ(black.pixel(0, 0), 0xFF000000u);

  QSignalSpy finished(view_, &PageView::TransitionFinished);
  const int64_t frames_before = view_->FramesRendered();
  QElapsedTimer clock;
  clock.start();
  Show(Page("<meta http-equiv=Page-Exit content=blendTrans(Duration=1)>", "red", {220, 20, 20}));
  EXPECT_TRUE(view_->Animating());
  ASSERT_TRUE(finished.wait(5000));
  const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
  const int64_t frames = view_->FramesRendered() - frames_before;
  EXPECT_GE(seconds, 0.45);
  std::printf("%lld frames in %.3f s\n", static_cast<long long>(frames), seconds);
  // Paced by the display: well above a dozen frames in half a second, never above its rate.
  EXPECT_GE(frames, 10);
  EXPECT_LE(static_cast<double>(frames), seconds * 100 + 2);

  // The picture fills the window exactly: the view's border and overhang lie outside.
  const QImage shown = window_->grab().toImage();
  for (const QPoint p : {QPoint(0, 0), QPoint(kW - 1, 0), QPoint(0, kH - 1), QPoint(kW - 1, kH - 1)})
    EXPECT_TRUE(Near(shown.pixel(p), 0xFFDC1414u, 8)) << p.x() << "," << p.y() << " " << std::hex << shown.pixel(p);

  // No transition plays: no frame and no paint.
  const int64_t paints = view_->Paints(), rendered = view_->FramesRendered();
  QTest::qWait(300);
  EXPECT_EQ(view_->Paints(), paints);
  EXPECT_EQ(view_->FramesRendered(), rendered);
}

TEST_F(PageViewTest, ANavigationDuringATransitionCutsToItsPageAtOnce) {
  Show(dir_.Write("blank.htm", BuildBlankPage("<meta http-equiv=Page-Exit content=blendTrans(Duration=5)>")));
  Show(Page("<meta http-equiv=Page-Exit content=blendTrans(Duration=5)>", "red", {220, 20, 20}));
  ASSERT_TRUE(view_->Animating());
  view_->Navigate(Page("<meta http-equiv=Page-Exit content=blendTrans(Duration=5)>", "blue", {20, 20, 220}));
  EXPECT_FALSE(view_->Animating());
  EXPECT_TRUE(Near(view_->Snapshot().pixel(kW / 2, kH / 2), 0xFFDC1414u, 8));
}

TEST_F(PageViewTest, AMissingPageFileRaises) {
  EXPECT_THROW(view_->Navigate(dir_.File("missing.htm")), EInOutError);
  EXPECT_FALSE(view_->Loading());
}

TEST_F(PageViewTest, GoesAwayWhileAPictureIsStillLoading) {
  view_->Navigate(Page("", "red", {220, 20, 20}));
  window_.reset();  // the view with it, its worker still busy or with a result on its way
  QTest::qWait(50);
}

}  // namespace
}  // namespace brelinde
