// The show window driven through a fake host: creation and placement, the registry side effects,
// activation, the tick schedule and the pictures, the input filter, the password paths, the end.
#include "show/Vazuror.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "pictures/Resources.h"
#include "platform/Errors.h"
#include "platform/FakeSystem.h"
#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/Registry.h"
#include "platform/SqliteHive.h"
#include "protocol/ScreenSaver.h"
#include "show/SlidePages.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

namespace fs = std::filesystem;

// The window side, recording what the form asks of it. Pending "messages" are actions that
// ProcessMessages runs, so a test can put input, ticks or a close inside a tick.
class FakeWindow : public TFormWindow {
 public:
  TFormStyle style;
  std::optional<TCreateParams> params;
  int left = 0, top = 0, width = 0, height = 0;
  TRect screen{0, 0, 1280, 1024};
  bool visible = true, maximized = false, double_buffered = false, tool_window = false;
  bool captured = false;
  int release_captures = 0;
  int close_requests = 0;
  int quit_posts = 0;
  int timer_interval = 0;
  bool timer_enabled = false;
  std::deque<std::function<void()>> pending;

  void ApplyStyle(const TFormStyle& s) override { style = s; }
  void CreateHandle(const TCreateParams& p) override {
    if (p.WndParent != 0 && !Sys().GetWindowRect(p.WndParent)) {
      throw EWindowError(Format(msg::kNoSuchWindow, static_cast<long long>(p.WndParent)));
    }
    params = p;
  }
  int Left() const override { return left; }
  int Top() const override { return top; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  int ClientWidth() const override { return width; }
  int ClientHeight() const override { return height; }
  void SetBounds(int l, int t, int w, int h) override { left = l, top = t, width = w, height = h; }
  void Maximize() override {
    maximized = true;
    SetBounds(screen.left, screen.top, screen.Width(), screen.Height());
  }
  void Minimize() override { visible = false; }
  bool Visible() const override { return visible; }
  void Hide() override { visible = false; }
  void SetDoubleBuffered(bool on) override { double_buffered = on; }
  void SetApplicationToolWindow() override { tool_window = true; }
  void SetCapture() override { captured = true; }
  void ReleaseCapture() override {
    captured = false;
    ++release_captures;
  }
  void Close() override { ++close_requests; }
  void PostQuitMessage(int) override { ++quit_posts; }
  void ProcessMessages() override {
    while (!pending.empty()) {
      auto action = std::move(pending.front());
      pending.pop_front();
      action();
    }
  }
  void SetTimer(int interval, bool enabled) override {
    timer_interval = interval;
    timer_enabled = enabled;
  }
  TShiftState ShiftState() const override { return 0; }
};

// One navigation as the page view saw it: the page text and the picture it names, at that moment.
struct Navigation {
  std::string page;
  int picture = -1;  // slide number whose bytes the picture file held; -1 for the blank page
};

class FakeBrowser : public TWebBrowserView {
 public:
  std::vector<Navigation> navigations;
  std::string last_path;
  int left = 0, top = 0, width = 0, height = 0;
  bool visible = true;

  std::function<void()> on_next_navigate;  // runs once, at the start of the next navigation

  void Navigate(const std::string& path) override {
    if (auto once = std::exchange(on_next_navigate, nullptr)) once();
    last_path = path;
    Navigation n{ReadWholeFile(path)};
    const size_t src = n.page.find("<img src=\"");
    if (src != std::string::npos) {
      const size_t start = src + 10;
      const std::string picture = ReadWholeFile(n.page.substr(start, n.page.find('"', start) - start));
      for (int k = 0; k < kSlideCount; ++k) {
        auto bytes = ResourceBytes(kFirstSlideId + k);
        if (picture.size() == bytes.size() && std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const std::byte*>(picture.data()))) {
          n.picture = k;
        }
      }
      EXPECT_GE(n.picture, 0) << "the picture file is no slide, byte for byte";
    }
    navigations.push_back(std::move(n));
  }
  int Left() const override { return left; }
  int Top() const override { return top; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  int ClientWidth() const override { return width; }
  void SetLeft(int v) override { left = v; }
  void SetTop(int v) override { top = v; }
  void SetWidth(int v) override { width = v; }
  void SetHeight(int v) override { height = v; }
  void SetClientWidth(int v) override { width = v; }
  bool Visible() const override { return visible; }
  void SetVisible(bool v) override { visible = v; }
};

std::string Dword(int32_t v) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[static_cast<size_t>(i)] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
  return data;
}
std::string Sz(const std::string& s) { return s + '\0'; }

constexpr const char* kSoundKey = "AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.current";
constexpr const char* kMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kSettingsKey = "Software\\Kaltvor\\Kaltvor - Brelinde";

class VazurorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir_.Path() + "/tmp");
    fake_->temp_path = dir_.Path() + "/tmp/";
    fake_->cursor = {500, 500};
    fake_->scroll_metric = 16;
    hive_ = std::make_unique<SqliteHive>(dir_.Path() + "/registry.db");
    SetHive(hive_.get());
    RunMode = rmSaver;
    ParentWindow = 0;
    RestoreTransitionsOff = false;
    StartCursorPos = {};
    SetApplicationExceptionHandler([this](const std::exception& e) { reported_.push_back(e.what()); });
  }
  void TearDown() override {
    form_.reset();
    SetApplicationExceptionHandler(nullptr);
    FreezeRandomize(false);
    SetHive(nullptr);
    hive_.reset();
  }

  TVazuror& Create() {
    form_ = std::make_unique<TVazuror>(window_, browser_);
    return *form_;
  }
  // The modal run's start: the window is activated once.
  TVazuror& CreateAndActivate() {
    Create();
    Send(WM_ACTIVATE, WA_ACTIVE);
    return *form_;
  }
  void Send(uint32_t msg, uint32_t wparam = 0) {
    TMessage m{msg, wparam, 0, 0};
    form_->Perform(m);
  }
  // Ticks until the next picture is shown; returns how many ticks that took.
  int TicksToNextPicture() {
    const size_t before = browser_.navigations.size();
    for (int ticks = 1; ticks <= 200; ++ticks) {
      form_->Timer1Timer();
      EXPECT_GE(form_->FTicksLeft, 0);
      EXPECT_LE(form_->FTicksLeft, 89);
      if (browser_.navigations.size() != before) return ticks;
    }
    ADD_FAILURE() << "no picture within 200 ticks";
    return -1;
  }
  std::vector<std::string> TempFiles() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.Path() + "/tmp")) names.push_back(e.path().filename());
    return names;
  }
  void SetValue(const std::string& key, const std::string& name, RegValue value) {
    ASSERT_TRUE(hive_->CreateKey(key));
    ASSERT_TRUE(hive_->SetValue(key, name, value));
  }
  std::optional<RegValue> Value(const std::string& key, const std::string& name) { return hive_->GetValue(key, name); }

  ScopedFakeSystem fake_;
  test_support::TempFolder dir_{"brelinde-show"};
  std::unique_ptr<SqliteHive> hive_;
  FakeWindow window_;
  FakeBrowser browser_;
  std::unique_ptr<TVazuror> form_;
  std::vector<std::string> reported_;
};

// ---- Creation and placement -----------------------------------------------------------------

TEST_F(VazurorTest, FullScreenWindowIsMaximisedWithTheBrowserOverhanging) {
  window_.screen = {0, 0, 1024, 768};
  TVazuror& show = Create();
  EXPECT_TRUE(window_.style.border_none);
  EXPECT_EQ(window_.style.color, 0x000000u);
  EXPECT_TRUE(window_.style.stay_on_top);
  EXPECT_TRUE(window_.style.key_preview);
  EXPECT_EQ(window_.params->WndParent, 0);
  EXPECT_TRUE(window_.maximized);
  EXPECT_TRUE(window_.tool_window);
  EXPECT_TRUE(window_.double_buffered);
  EXPECT_EQ(window_.timer_interval, 100);
  EXPECT_TRUE(window_.timer_enabled);
  EXPECT_EQ(browser_.left, 720) << "out of sight, at the declared width, until activation places it";
  EXPECT_EQ(show.FTicksLeft, 20);
  EXPECT_EQ(show.FEffect, 23) << "the fade when no effect is stored";
  EXPECT_FALSE(show.Image1.Visible);
  EXPECT_TRUE(show.Image1.AutoSize);
  EXPECT_TRUE(reported_.empty());

  Send(WM_ACTIVATE, WA_ACTIVE);
  EXPECT_EQ((std::vector<int>{browser_.left, browser_.top, browser_.width, browser_.height}),
            (std::vector<int>{-2, -2, 1044, 788}));
  EXPECT_TRUE(window_.captured);
}

TEST_F(VazurorTest, PreviewIsAChildOfItsHostAtItsTopLeftCorner) {
  RunMode = rmPreview;
  ParentWindow = 4711;
  fake_->windows[4711] = TRect{300, 200, 452, 312};  // 152 x 112
  Create();
  ASSERT_TRUE(window_.params);
  EXPECT_EQ(window_.params->WndParent, 4711);
  EXPECT_EQ(window_.params->Style, WS_CHILD | WS_VISIBLE);
  EXPECT_FALSE(window_.maximized);
  EXPECT_EQ((std::vector<int>{window_.left, window_.top, window_.width, window_.height}),
            (std::vector<int>{0, 0, 152, 112}));
  Send(WM_ACTIVATE, WA_ACTIVE);
  EXPECT_EQ(browser_.left, -2);
  EXPECT_EQ(browser_.top, -2);
  EXPECT_EQ(browser_.height, 112 + 16 + 4);
  EXPECT_EQ(browser_.ClientWidth(), 700) << "never narrower than 700";
  EXPECT_FALSE(window_.captured) << "a preview never captures the mouse";
  EXPECT_FALSE(fake_->saver_running);
}

TEST_F(VazurorTest, PreviewOfAWindowThatDoesNotExistFailsBeforeChangingAnything) {
  RunMode = rmPreview;
  ParentWindow = 999;
  SetValue(kMainKey, "Page_Transitions", {REG_DWORD, Dword(0)});
  try {
    Create();
    FAIL() << "created";
  } catch (const EWindowError& e) {
    EXPECT_EQ(std::string(e.what()), "Das Fenster 999 existiert nicht.");
  }
  EXPECT_EQ(Value(kMainKey, "Page_Transitions")->data, Dword(0));
  EXPECT_EQ(Vazuror, nullptr);
}

TEST_F(VazurorTest, StoredEffectReachesTheShowUnchanged) {
  for (int32_t effect : {0, 24, -1, 25}) {
    SetValue(kSettingsKey, "Effect", {REG_DWORD, Dword(effect)});
    EXPECT_EQ(Create().FEffect, effect);
  }
}

// A creation step that fails is reported once; the steps after it stay undone, but the window
// keeps its standard handling and the show runs.
TEST_F(VazurorTest, FailingCreationStepIsReportedAndTheShowStillRuns) {
  SetValue(kSettingsKey, "Effect", {REG_SZ, Sz("5")});
  Create();
  ASSERT_EQ(reported_.size(), 1u);
  EXPECT_EQ(reported_[0], "Ungültiger Datentyp für 'Effect'");
  EXPECT_EQ(form_->FEffect, 0);
  form_.reset();
  reported_.clear();

  // Fails at step 2, before the placement, the tick count and the effect.
  SetValue(kMainKey, "Page_Transitions", {REG_SZ, Sz("1")});
  RunMode = rmPreview;
  ParentWindow = 4711;
  fake_->windows[4711] = TRect{0, 0, 152, 112};
  Create();
  ASSERT_EQ(reported_.size(), 1u);
  EXPECT_EQ(form_->FTicksLeft, 0);
  Send(WM_ACTIVATE, WA_ACTIVE);
  ASSERT_EQ(browser_.navigations.size(), 1u);
  Send(WM_KEYDOWN, 'A');  // the filter passes it on to the standard handling
  EXPECT_EQ(window_.close_requests, 1);
}

// ---- Registry values of other software ----------------------------------------------------

struct TransitionsCase {
  std::optional<int32_t> before;
  std::optional<int32_t> during, after;
};

TEST_F(VazurorTest, PageTransitionsAreOnForTheShowAndPutBack) {
  const std::vector<TransitionsCase> cases = {
      {0, 1, 0}, {1, 1, 1}, {5, 1, 1}, {std::nullopt, std::nullopt, std::nullopt}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before ? std::to_string(*c.before) : "absent");
    hive_->DeleteKey("Software");
    ASSERT_TRUE(hive_->CreateKey(kMainKey));
    if (c.before) SetValue(kMainKey, "Page_Transitions", {REG_DWORD, Dword(*c.before)});
    RestoreTransitionsOff = false;
    CreateAndActivate();
    auto during = Value(kMainKey, "Page_Transitions");
    EXPECT_EQ(during.has_value(), c.during.has_value());
    if (during) {
      EXPECT_EQ(during->data, Dword(*c.during));
    }
    FinishShow();
    auto after = Value(kMainKey, "Page_Transitions");
    EXPECT_EQ(after.has_value(), c.after.has_value());
    if (after) {
      EXPECT_EQ(after->data, Dword(*c.after));
    }
    form_.reset();
  }
  // Without the key nothing is created.
  hive_->DeleteKey("Software");
  CreateAndActivate();
  FinishShow();
  EXPECT_FALSE(hive_->FindKey(kMainKey));
}

struct SoundCase {
  const char* name;
  std::optional<RegValue> before;
  std::string during, after;
};

TEST_F(VazurorTest, NavigationSoundIsMutedForTheShowAndPutBack) {
  const std::vector<SoundCase> cases = {
      {"a path", RegValue{REG_SZ, Sz("C:\\Windows\\Media\\start.wav")}, "C:\\Windows\\Media\\start.wav[deactivated]",
       "C:\\Windows\\Media\\start.wav"},
      {"empty", RegValue{REG_SZ, Sz("")}, "[deactivated]", ""},
      {"stale marker", RegValue{REG_SZ, Sz("a[deactivated]b")}, "a[deactivated]b[deactivated]", "a"},
      {"expandable", RegValue{REG_EXPAND_SZ, Sz("%SystemRoot%\\x.wav")}, "%SystemRoot%\\x.wav[deactivated]",
       "%SystemRoot%\\x.wav"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetValue(kSoundKey, "", *c.before);
    CreateAndActivate();
    EXPECT_EQ(Value(kSoundKey, ""), (RegValue{REG_SZ, Sz(c.during)}));
    FinishShow();
    EXPECT_EQ(Value(kSoundKey, ""), (RegValue{REG_SZ, Sz(c.after)})) << "always written back as a plain string";
    form_.reset();
  }
  // A key without a default value, and no key at all: nothing is written or created.
  hive_->DeleteKey("AppEvents");
  ASSERT_TRUE(hive_->CreateKey(kSoundKey));
  CreateAndActivate();
  FinishShow();
  EXPECT_FALSE(Value(kSoundKey, ""));
  form_.reset();
  hive_->DeleteKey("AppEvents");
  CreateAndActivate();
  FinishShow();
  EXPECT_FALSE(hive_->FindKey("AppEvents"));
}

// ---- Activation, ticks and pictures -------------------------------------------------------

TEST_F(VazurorTest, ActivationShowsTheBlankPageAndInstallsTheFilter) {
  SetValue(kSettingsKey, "Effect", {REG_DWORD, Dword(5)});
  TVazuror& show = CreateAndActivate();
  EXPECT_EQ(show.ListBox1.Items.size(), 24u);
  EXPECT_EQ(show.ListBox1.Items.front(), "0");
  EXPECT_EQ(show.ListBox1.Items.back(), "23");
  EXPECT_EQ(show.FSlideIndex, 24);
  EXPECT_EQ(StartCursorPos, (TPoint{500, 500}));
  EXPECT_EQ(fs::path(show.FPictureFile).parent_path(), fs::path(dir_.Path() + "/tmp"));
  EXPECT_EQ(show.FPictureFile.substr(show.FPictureFile.size() - 4), ".jpg");
  EXPECT_EQ(show.FPageFile.substr(show.FPageFile.size() - 4), ".htm");
  ASSERT_EQ(browser_.navigations.size(), 1u);
  EXPECT_EQ(browser_.last_path, show.FPageFile);
  EXPECT_EQ(browser_.navigations[0].page, BuildBlankPage(TransitionMeta(5)));
  EXPECT_EQ(TempFiles(), std::vector<std::string>{fs::path(show.FPageFile).filename().string()});
}

TEST_F(VazurorTest, FirstPictureOnTick21ThenEvery61To90TicksEachOncePerCycle) {
  window_.screen = {0, 0, 1280, 1024};
  TVazuror& show = CreateAndActivate();
  EXPECT_EQ(TicksToNextPicture(), 21);
  std::set<int> gaps;
  for (int i = 1; i < 3 * 24; ++i) {
    const int gap = TicksToNextPicture();
    EXPECT_GE(gap, 61);
    EXPECT_LE(gap, 90);
    gaps.insert(gap);
  }
  EXPECT_GT(gaps.size(), 10u) << "the wait is drawn anew after each picture";
  ASSERT_EQ(browser_.navigations.size(), 1u + 3 * 24);
  for (int cycle = 0; cycle < 3; ++cycle) {
    std::set<int> seen;
    for (int i = 0; i < 24; ++i) seen.insert(browser_.navigations[1 + cycle * 24 + i].picture);
    EXPECT_EQ(seen.size(), 24u) << "cycle " << cycle;
  }
  // The page is the slide page for this window and this picture file.
  const Navigation& last = browser_.navigations.back();
  const auto& picture = last.picture == 2 || last.picture == 12 ? "height=\"100%\"" : "width=\"100%\"";
  EXPECT_EQ(last.page, BuildSlidePage(TransitionMeta(23), 1280, 1024, show.FPictureFile, picture));
  EXPECT_TRUE(browser_.visible);
  EXPECT_EQ(TempFiles().size(), 2u);
}

TEST_F(VazurorTest, EffectIndexOnEveryPage) {
  SetValue(kSettingsKey, "Effect", {REG_DWORD, Dword(7)});
  CreateAndActivate();
  for (int i = 0; i < 5; ++i) TicksToNextPicture();
  for (const auto& n : browser_.navigations) EXPECT_NE(n.page.find(TransitionMeta(7)), std::string::npos);
  form_.reset();
  browser_.navigations.clear();

  // Random: each page chooses anew between the fade and the browser's random reveal.
  SetValue(kSettingsKey, "Effect", {REG_DWORD, Dword(24)});
  CreateAndActivate();
  for (int i = 0; i < 60; ++i) TicksToNextPicture();
  const std::string fade = "blendTrans(Duration=3)";
  const std::string reveal = "revealTrans(Duration=3,transition=23)";
  int fades = 0, reveals = 0;
  for (const auto& n : browser_.navigations) {
    const bool is_fade = n.page.find(fade) != std::string::npos;
    const bool is_reveal = n.page.find(reveal) != std::string::npos;
    EXPECT_NE(is_fade, is_reveal);
    fades += is_fade;
    reveals += is_reveal;
  }
  EXPECT_GT(reveals, fades);
}

TEST_F(VazurorTest, SecondActivationStartsANewCycleAndKeepsTheCount) {
  // In a preview activations reach the standard handling, so the window can be activated again.
  RunMode = rmPreview;
  ParentWindow = 4711;
  fake_->windows[4711] = TRect{0, 0, 152, 112};
  TVazuror& show = CreateAndActivate();
  TicksToNextPicture();
  for (int i = 0; i < 7; ++i) show.Timer1Timer();
  const int ticks_left = show.FTicksLeft;
  const std::string old_page = show.FPageFile, old_picture = show.FPictureFile;
  Send(WM_ACTIVATE, WA_CLICKACTIVE);
  EXPECT_EQ(show.FTicksLeft, ticks_left);
  EXPECT_EQ(show.FSlideIndex, 24);
  EXPECT_EQ(show.ListBox1.Items.front(), "0");
  EXPECT_NE(show.FPageFile, old_page);
  EXPECT_NE(show.FPictureFile, old_picture);
  EXPECT_EQ(browser_.navigations.back().page, BuildBlankPage(TransitionMeta(23)));
  EXPECT_EQ(TicksToNextPicture(), ticks_left + 1);
  EXPECT_EQ(TempFiles().size(), 4u);
  // Every file of both activations is gone at the end.
  FinishShow();
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(VazurorTest, NestedTickNeverYieldsTwoPictures) {
  TVazuror& show = CreateAndActivate();
  for (int i = 0; i < 20; ++i) show.Timer1Timer();
  ASSERT_EQ(show.FTicksLeft, 0);
  // A tick nested in step 15 of the picture tick finds the fresh count and only counts down.
  int fresh = -1, after_nested = -1;
  browser_.on_next_navigate = [&] {
    window_.pending.push_back([&] {
      fresh = show.FTicksLeft;
      show.Timer1Timer();
      after_nested = show.FTicksLeft;
    });
  };
  show.Timer1Timer();
  EXPECT_EQ(browser_.navigations.size(), 2u);
  EXPECT_GE(fresh, 60);
  EXPECT_EQ(after_nested, fresh - 1);

  // A tick whose step 1 runs a nested picture tick: the outer one finds that fresh count.
  while (show.FTicksLeft > 0) show.Timer1Timer();
  window_.pending.push_back([&] {
    show.Timer1Timer();
    fresh = show.FTicksLeft;
  });
  show.Timer1Timer();
  EXPECT_EQ(browser_.navigations.size(), 3u);
  EXPECT_EQ(show.FTicksLeft, fresh - 1);
}

TEST_F(VazurorTest, FinishShowDuringATickLeavesNothingBehind) {
  TVazuror& show = CreateAndActivate();
  for (int i = 0; i < 20; ++i) show.Timer1Timer();
  window_.pending.push_back([] { FinishShow(); });
  show.Timer1Timer();  // would show the first picture
  EXPECT_EQ(browser_.navigations.size(), 1u) << "an ended show shows no picture";
  EXPECT_TRUE(TempFiles().empty());
  EXPECT_FALSE(window_.timer_enabled);
  EXPECT_EQ(window_.quit_posts, 1);
  // Further ticks that were due do nothing either.
  show.Timer1Timer();
  EXPECT_TRUE(TempFiles().empty());
}

TEST_F(VazurorTest, FinishShowTwiceLeavesTheStateOfOnce) {
  SetValue(kMainKey, "Page_Transitions", {REG_DWORD, Dword(0)});
  SetValue(kSoundKey, "", {REG_SZ, Sz("x.wav")});
  CreateAndActivate();
  fake_->saver_running = true;
  FinishShow();
  FinishShow();
  EXPECT_EQ(Value(kMainKey, "Page_Transitions")->data, Dword(0));
  EXPECT_EQ(Value(kSoundKey, "")->data, Sz("x.wav"));
  EXPECT_TRUE(TempFiles().empty());
  EXPECT_FALSE(fake_->saver_running);
  EXPECT_EQ(window_.quit_posts, 2);
  EXPECT_EQ(TRegistry::OpenKeys(), 0);
}

TEST_F(VazurorTest, MinimiseHidesAndTheShowGoesOn) {
  TVazuror& show = CreateAndActivate();
  Send(WM_SYSCOMMAND, SC_MINIMIZE | 0x2);
  EXPECT_FALSE(window_.visible);
  EXPECT_EQ(window_.quit_posts, 0);
  EXPECT_EQ(TicksToNextPicture(), 21);
  EXPECT_EQ(show.FTicksLeft >= 60, true);
}

// ---- The input filter ---------------------------------------------------------------------

struct FilterRow {
  uint32_t msg;
  uint32_t wparam;
  bool close_attempt;
  bool passed_on;  // reaches the standard handling
};

TEST_F(VazurorTest, FilterTableRowByRow) {
  const std::vector<FilterRow> rows = {
      {WM_ACTIVATE, WA_INACTIVE, true, false},
      {WM_ACTIVATE, 0x00010000, true, false},  // low word 0, high word set
      {WM_ACTIVATE, WA_ACTIVE, false, false},
      {WM_ACTIVATE, WA_CLICKACTIVE, false, false},
      {WM_ACTIVATEAPP, 0, true, false},
      {WM_ACTIVATEAPP, 1, false, false},
      {WM_NCACTIVATE, 0, true, false},
      {WM_NCACTIVATE, 1, false, false},
      {WM_KEYDOWN, 'A', true, false},
      {WM_KEYUP, 'A', true, false},
      {WM_SYSKEYDOWN, 0x12, true, false},
      {WM_SYSKEYUP, 0x12, true, false},
      {WM_LBUTTONDOWN, 0, true, false},
      {WM_RBUTTONDOWN, 0, true, false},
      {WM_MBUTTONDOWN, 0, true, false},
      {WM_MOUSEMOVE, 0, false, false},  // no real movement
      {WM_LBUTTONUP, 0, false, true},
      {WM_RBUTTONUP, 0, false, true},
      {WM_MBUTTONUP, 0, false, true},
      {WM_LBUTTONDBLCLK, 0, false, true},
      {WM_MOUSEWHEEL, 0x00780000, false, true},
      {WM_XBUTTONDOWN, 0, false, true},
      {WM_CHAR, 'a', false, true},
      {WM_SYSCOMMAND, SC_MAXIMIZE, false, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "message " << row.msg << " wParam " << row.wparam);
    window_ = FakeWindow{};
    TVazuror& show = CreateAndActivate();
    std::vector<uint32_t> passed;
    TWndMethod standard = show.FOldWindowProc;
    show.FOldWindowProc = [&](TMessage& m) {
      passed.push_back(m.Msg);
      standard(m);
    };
    TMessage m{row.msg, row.wparam, 0, 0};
    show.Perform(m);
    EXPECT_EQ(window_.release_captures, row.close_attempt ? 1 : 0);
    EXPECT_EQ(window_.quit_posts, row.close_attempt ? 1 : 0) << "NT: the first close attempt ends the show";
    EXPECT_EQ(!passed.empty(), row.passed_on);
    EXPECT_EQ(m.Result, 0);
    EXPECT_EQ(window_.captured, true) << "the capture is taken again in both cases";
    form_.reset();
  }
}

TEST_F(VazurorTest, MovementCountsOnlyBeyondFivePixelsFromTheStart) {
  struct Move {
    TPoint to;
    bool ends;
  };
  const std::vector<Move> moves = {
      {{505, 505}, false}, {{495, 495}, false}, {{505, 495}, false}, {{506, 500}, true},
      {{500, 494}, true},  {{494, 506}, true},
  };
  for (const auto& move : moves) {
    SCOPED_TRACE(testing::Message() << move.to.x << "," << move.to.y);
    window_ = FakeWindow{};
    fake_->cursor = {500, 500};
    CreateAndActivate();
    fake_->cursor = move.to;
    Send(WM_MOUSEMOVE);
    EXPECT_EQ(window_.quit_posts, move.ends ? 1 : 0);
    form_.reset();
  }
  // Slow drift adds up: measured from the start, not from the last message.
  window_ = FakeWindow{};
  fake_->cursor = {500, 500};
  CreateAndActivate();
  for (int x = 501; x <= 505; ++x) {
    fake_->cursor = {x, 500};
    Send(WM_MOUSEMOVE);
  }
  EXPECT_EQ(window_.quit_posts, 0);
  fake_->cursor = {506, 500};
  Send(WM_MOUSEMOVE);
  EXPECT_EQ(window_.quit_posts, 1);
}

TEST_F(VazurorTest, PreviewFilterPassesEverythingAndAKeyCloses) {
  RunMode = rmPreview;
  ParentWindow = 4711;
  fake_->windows[4711] = TRect{0, 0, 152, 112};
  CreateAndActivate();
  fake_->cursor = {900, 900};
  Send(WM_MOUSEMOVE);
  Send(WM_LBUTTONDOWN);
  Send(WM_ACTIVATE, WA_INACTIVE);
  EXPECT_EQ(window_.release_captures, 0);
  EXPECT_EQ(window_.quit_posts, 0);
  EXPECT_EQ(window_.close_requests, 0);
  Send(WM_KEYDOWN, 'X');
  EXPECT_EQ(window_.close_requests, 1);
  // The modal run closes the window: FormClose ends the show.
  EXPECT_TRUE(form_->DoClose());
  EXPECT_FALSE(window_.visible);
  EXPECT_TRUE(TempFiles().empty());
  EXPECT_EQ(window_.quit_posts, 1);
}

// ---- The password paths -------------------------------------------------------------------

int32_t g_verify_answer = 0;
int g_verify_calls = 0;
int32_t FakeVerify(WindowHandle) {
  ++g_verify_calls;
  return g_verify_answer;
}

class VazurorPasswordTest : public VazurorTest {
 protected:
  void SetUp() override {
    VazurorTest::SetUp();
    fake_->platform_id = kPlatformWin32Windows;
    fake_->system_directory = "/sys";
    fake_->libraries["/sys/PASSWORD.CPL"]["VerifyScreenSavePwd"] = reinterpret_cast<void*>(FakeVerify);
    SetValue("Control Panel\\desktop", "ScreenSaveUsePassword", {REG_DWORD, Dword(1)});
    g_verify_calls = 0;
  }
};

TEST_F(VazurorPasswordTest, RefusedPasswordResumesTheShowFromTheNewCursorPosition) {
  g_verify_answer = 0;
  TVazuror& show = CreateAndActivate();
  fake_->cursor = {600, 600};  // where the dialog left the cursor
  Send(WM_KEYDOWN, 'A');
  EXPECT_EQ(g_verify_calls, 1);
  EXPECT_EQ(window_.quit_posts, 0);
  EXPECT_TRUE(window_.captured);
  EXPECT_EQ(StartCursorPos, (TPoint{600, 600}));
  // The filter is back: a key is consumed again and tries once more.
  Send(WM_KEYDOWN, 'A');
  EXPECT_EQ(g_verify_calls, 2);
  EXPECT_EQ(window_.close_requests, 0);
  // Movement is measured from the new position.
  fake_->cursor = {605, 595};
  Send(WM_MOUSEMOVE);
  EXPECT_EQ(g_verify_calls, 2);
  // The pictures go on.
  EXPECT_EQ(TicksToNextPicture(), 21);
  EXPECT_EQ(show.FTicksLeft >= 60, true);
}

TEST_F(VazurorPasswordTest, AcceptedPasswordEndsTheShowAndTheFilterStaysOff) {
  g_verify_answer = 1;
  CreateAndActivate();
  Send(WM_LBUTTONDOWN);
  EXPECT_EQ(g_verify_calls, 1);
  EXPECT_EQ(window_.quit_posts, 1);
  EXPECT_TRUE(TempFiles().empty());
  // A key before the quit is taken goes to the standard handling: the close path runs it again.
  Send(WM_KEYDOWN, 'A');
  EXPECT_EQ(g_verify_calls, 1);
  EXPECT_EQ(window_.close_requests, 1);
  EXPECT_TRUE(form_->DoClose());
  EXPECT_EQ(window_.quit_posts, 2);
}

TEST_F(VazurorPasswordTest, RegistryErrorLeavesTheFilterOffAndTheMouseFree) {
  SetValue("Control Panel\\desktop", "ScreenSaveUsePassword", {REG_SZ, Sz("1")});
  TVazuror& show = CreateAndActivate();
  TMessage m{WM_KEYDOWN, 'A', 0, 0};
  EXPECT_THROW(show.Perform(m), ERegistryException);
  EXPECT_FALSE(window_.captured);
  EXPECT_EQ(window_.quit_posts, 0);
  // From now on the standard handling: a key closes the window.
  Send(WM_KEYDOWN, 'A');
  EXPECT_EQ(window_.close_requests, 1);
}

}  // namespace
}  // namespace brelinde
