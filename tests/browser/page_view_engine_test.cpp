#include "platform/browser/PageViewEngine.h"
#include "platform/browser/RenderWorker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "platform/Errors.h"
#include "platform/Random.h"
#include "show/SlidePages.h"
#include "tests/browser/TestPictures.h"
#include "tests/support/TestFolders.h"

namespace brelinde::browser {
namespace {

using testing::MakeSolidJpeg;
using testing::Near;
using test_support::TempFolder;

constexpr uint32_t kBlack = 0xFF000000u;

std::string Reveal(int n) { return "<meta http-equiv=Page-Exit content=revealTrans(Duration=3,transition=" + std::to_string(n) + ")>"; }
const std::string kFade = "<meta http-equiv=Page-Exit content=blendTrans(Duration=3)>";

// An engine whose jobs run when the test says so, in the window of a show of w x h.
class EngineTest : public ::testing::Test {
 protected:
  static constexpr int kW = 64, kH = 48;

  EngineTest()
      : engine_([this](RenderJob job) { jobs_.push_back(std::move(job)); }, 42,
                [this](const std::string& line) { warnings_.push_back(line); }) {
    engine_.SetGeometry({kW + 20, kH + 20, Rect{2, 2, kW, kH}});
  }

  // Runs every queued job, in order, and hands the results in at time now.
  int RunJobs(double now) {
    int accepted = 0;
    std::vector<RenderJob> jobs;
    jobs.swap(jobs_);
    for (const RenderJob& job : jobs) accepted += engine_.Accept(RunRenderJob(job), now);
    return accepted;
  }

  std::string Page(const std::string& meta, const std::string& name, testing::Rgb8 colour) {
    const std::string picture = dir_.Write(name + ".jpg", MakeSolidJpeg(kW, kH, colour));
    return dir_.Write(name + ".htm", BuildSlidePage(meta, kW, kH, picture, "width=\"100%\""));
  }

  std::string Blank(const std::string& meta) { return dir_.Write("blank.htm", BuildBlankPage(meta)); }

  bool Is(const Frame& f, testing::Rgb8 c) const {
    for (uint32_t p : f.pixels)
      if (!Near(p, Rgb(c.r, c.g, c.b), 6)) return false;
    return !f.Empty();
  }

  TempFolder dir_{"brelinde-browser"};
  std::vector<RenderJob> jobs_;
  std::vector<std::string> warnings_;
  PageViewEngine engine_;
};

const testing::Rgb8 kRed{220, 20, 20}, kBlue{20, 20, 220}, kGreen{20, 200, 20};

TEST_F(EngineTest, TheFirstPageCutsInAndTheNextPlaysThePageExitOfTheOneLeft) {
  engine_.Navigate(Blank(Reveal(6)));  // wipe right
  EXPECT_TRUE(engine_.Loading());
  EXPECT_EQ(RunJobs(10.0), 1);
  EXPECT_FALSE(engine_.Animating());
  EXPECT_TRUE(Is(engine_.Display(), {0, 0, 0}));

  engine_.Navigate(Page(kFade, "red", kRed));
  EXPECT_TRUE(Is(engine_.Display(), {0, 0, 0}));  // the picture is not ready yet
  EXPECT_EQ(RunJobs(20.0), 1);
  ASSERT_TRUE(engine_.Animating());
  EXPECT_TRUE(Is(engine_.Display(), {0, 0, 0}));  // frame 0 is the old page
  ASSERT_TRUE(engine_.Advance(21.5));
  EXPECT_DOUBLE_EQ(engine_.Progress(), 0.5);
  const Frame& mid = engine_.Display();
  EXPECT_TRUE(Near(mid.At(0, 10), Rgb(kRed.r, kRed.g, kRed.b), 6));
  EXPECT_EQ(mid.At(kW - 1, 10), kBlack);
  EXPECT_FALSE(engine_.Advance(23.0));
  EXPECT_TRUE(Is(engine_.Display(), kRed));

  // The red page's exit is a fade.
  engine_.Navigate(Page(Reveal(0), "blue", kBlue));
  RunJobs(30.0);
  engine_.Advance(31.5);
  const uint32_t halfway = engine_.Display().At(kW / 2, kH / 2);
  EXPECT_TRUE(Near(halfway, Rgb((kRed.r + kBlue.r) / 2, 20, (kRed.b + kBlue.b) / 2), 8)) << std::hex << halfway;
  EXPECT_TRUE(warnings_.empty());
}

TEST_F(EngineTest, ANavigationDuringATransitionFinishesItAtOnce) {
  engine_.Navigate(Blank(kFade));
  RunJobs(0);
  engine_.Navigate(Page(Reveal(5), "red", kRed));
  RunJobs(1.0);
  engine_.Advance(2.0);
  ASSERT_TRUE(engine_.Animating());
  engine_.Navigate(Page(kFade, "blue", kBlue));
  EXPECT_FALSE(engine_.Animating());
  EXPECT_TRUE(Is(engine_.Display(), kRed));
  ASSERT_EQ(jobs_.size(), 1u);
  EXPECT_EQ(jobs_[0].transition.kind, Transition::Kind::kReveal);  // the red page's wipe down
  EXPECT_EQ(jobs_[0].transition.pattern, 5);
  RunJobs(3.0);
  EXPECT_TRUE(engine_.Animating());
}

TEST_F(EngineTest, ALaterNavigationSupersedesOneStillLoading) {
  engine_.Navigate(Blank(kFade));
  RunJobs(0);
  engine_.Navigate(Page(kFade, "red", kRed));
  engine_.Navigate(Page(kFade, "green", kGreen));
  EXPECT_EQ(RunJobs(1.0), 1);  // the red page's result is stale
  engine_.Advance(10.0);
  EXPECT_TRUE(Is(engine_.Display(), kGreen));
}

TEST_F(EngineTest, RevealNumbersOutsideThePatternsCutAndTwentyThreePicksOne) {
  const uint32_t seed = RandSeed();
  struct Case {
    ExitTransition exit;
    Transition::Kind kind;
  };
  const std::vector<Case> cases = {
      {{ExitTransition::Kind::kReveal, 3, 24}, Transition::Kind::kCut},
      {{ExitTransition::Kind::kReveal, 3, 99}, Transition::Kind::kCut},
      {{ExitTransition::Kind::kReveal, 3, -1}, Transition::Kind::kCut},
      {{ExitTransition::Kind::kReveal, 0, 4}, Transition::Kind::kCut},
      {{ExitTransition::Kind::kBlend, -2, 0}, Transition::Kind::kCut},
      {{ExitTransition::Kind::kNone, 3, 0}, Transition::Kind::kCut},
      {{ExitTransition::Kind::kBlend, 2.5, 0}, Transition::Kind::kFade},
      {{ExitTransition::Kind::kReveal, 3, 22}, Transition::Kind::kReveal},
  };
  for (const Case& c : cases) EXPECT_EQ(engine_.Choose(c.exit).kind, c.kind) << c.exit.reveal;
  std::set<int> picked;
  for (int i = 0; i < 2000; ++i) {
    const TransitionChoice choice = engine_.Choose({ExitTransition::Kind::kReveal, 3, 23});
    ASSERT_EQ(choice.kind, Transition::Kind::kReveal);
    picked.insert(choice.pattern);
  }
  EXPECT_EQ(picked.size(), 23u);
  EXPECT_EQ(*picked.begin(), 0);
  EXPECT_EQ(*picked.rbegin(), 22);
  EXPECT_EQ(RandSeed(), seed);  // the process-wide generator was not drawn from
}

TEST_F(EngineTest, AMissingPageFileRaisesAndChangesNothing) {
  engine_.Navigate(Page(kFade, "red", kRed));
  RunJobs(0);
  EXPECT_THROW(engine_.Navigate(dir_.File("gone.htm")), EInOutError);
  EXPECT_TRUE(jobs_.empty());
  EXPECT_FALSE(engine_.Loading());
  EXPECT_TRUE(Is(engine_.Display(), kRed));
}

TEST_F(EngineTest, AMissingPictureShowsThePageWithoutItAndWarnsOnce) {
  engine_.Navigate(Blank(kFade));
  RunJobs(0);
  const std::string page = dir_.Write("nopic.htm", BuildSlidePage(kFade, kW, kH, dir_.File("none.jpg"), "width=\"100%\""));
  engine_.Navigate(page);
  RunJobs(1);
  engine_.Advance(5);
  EXPECT_TRUE(Is(engine_.Display(), {0, 0, 0}));
  ASSERT_EQ(warnings_.size(), 1u);
  EXPECT_NE(warnings_[0].find(dir_.File("none.jpg")), std::string::npos);
}

TEST_F(EngineTest, ANewGeometryRendersTheShownPageAgainAtItsSize) {
  engine_.Navigate(Page(kFade, "red", kRed));
  RunJobs(0);
  engine_.Navigate(Page(kFade, "blue", kBlue));
  RunJobs(1);
  ASSERT_TRUE(engine_.Animating());
  const ViewGeometry bigger{kW + 40, kH + 40, Rect{2, 2, kW + 20, kH + 10}};
  engine_.SetGeometry(bigger);
  EXPECT_FALSE(engine_.Animating());
  EXPECT_EQ(engine_.Display().width, kW + 20);
  EXPECT_EQ(engine_.Display().height, kH + 10);
  EXPECT_TRUE(Is(engine_.Display(), {0, 0, 0}));  // the background, until the picture is scaled
  EXPECT_EQ(RunJobs(2), 1);
  // The page's cell stays 64 x 48 at the content origin; beyond it the background shows.
  EXPECT_TRUE(Near(engine_.Display().At(10, 10), Rgb(kBlue.r, kBlue.g, kBlue.b), 6));
  EXPECT_EQ(engine_.Display().At(kW + 5, 10), kBlack);
  // A navigation still loading is rendered again at the new size.
  engine_.Navigate(Page(kFade, "green", kGreen));
  engine_.SetGeometry({kW + 20, kH + 20, Rect{2, 2, kW, kH}});
  ASSERT_EQ(jobs_.size(), 3u);  // the stale navigation, the refresh, the navigation again
  EXPECT_EQ(RunJobs(3), 2);
  EXPECT_TRUE(engine_.Animating());
}

}  // namespace
}  // namespace brelinde::browser

namespace brelinde::browser {
namespace {

TEST(RenderWorker, RunsJobsOffTheCallingThreadAndDropsSupersededOnes) {
  std::mutex mutex;
  std::condition_variable cv;
  std::vector<uint64_t> done;
  std::thread::id worker_thread;
  {
    RenderWorker worker([&](RenderResult r) {
      std::lock_guard lock(mutex);
      done.push_back(r.id);
      worker_thread = std::this_thread::get_id();
      cv.notify_all();
    });
    for (uint64_t id = 1; id <= 20; ++id) {
      RenderJob job;
      job.id = id;
      job.page = ParsePage(BuildBlankPage(""));
      job.geometry = {300, 300, Rect{0, 0, 300, 300}};
      job.transition = {Transition::Kind::kReveal, 12, id, 1};
      worker.Post(std::move(job));
    }
    std::unique_lock lock(mutex);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(20), [&] { return !done.empty() && done.back() == 20; }));
  }
  EXPECT_NE(worker_thread, std::this_thread::get_id());
  EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
}

}  // namespace
}  // namespace brelinde::browser
