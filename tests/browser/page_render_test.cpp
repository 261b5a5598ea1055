#include "platform/browser/PageRender.h"

#include <gtest/gtest.h>

#include "platform/browser/Resample.h"
#include "show/SlidePages.h"
#include "tests/browser/TestPictures.h"
#include "tests/support/TestFolders.h"

namespace brelinde::browser {
namespace {

using testing::MakeJpeg;
using testing::MakeSolidJpeg;
using testing::Near;
using test_support::TempFolder;

constexpr uint32_t kBlack = 0xFF000000u;

// The show's geometry for a window of w x h: the view at -2,-2, 4 + metric larger.
ViewGeometry ShowGeometry(int w, int h, int metric = 16) {
  return {w + 4 + metric, h + 4 + metric, Rect{2, 2, w, h}};
}

TEST(PageLayout, FitsThePictureToTheCellAndCentresIt) {
  struct Case {
    int w, h, pw, ph;
    Rect picture;  // in window coordinates
  };
  const std::vector<Case> cases = {
      {1024, 768, 1024, 768, {0, 0, 1024, 768}},
      {1366, 768, 1024, 768, {171, 0, 1024, 768}},
      {1280, 1024, 1024, 768, {0, 32, 1280, 960}},
      {1280, 1024, 576, 768, {256, 0, 768, 1024}},
      {152, 112, 1024, 768, {1, 0, 149, 112}},
      {1920, 1080, 1024, 768, {240, 0, 1440, 1080}},
  };
  for (const Case& c : cases) {
    const std::string_view fit = FitAttribute(c.w, c.h, c.pw, c.ph);
    const PageDocument page = ParsePage(BuildSlidePage(TransitionMeta(3), c.w, c.h, "/p.jpg", fit));
    const ViewGeometry g = ShowGeometry(c.w, c.h);
    const PageLayout layout = LayoutPage(page, g.width, g.height, c.pw, c.ph);
    ASSERT_TRUE(layout.has_picture);
    const Rect in_window{layout.picture.x - 2, layout.picture.y - 2, layout.picture.width,
                         layout.picture.height};
    EXPECT_EQ(in_window, c.picture) << c.w << "x" << c.h << " picture " << c.pw << "x" << c.ph;
    EXPECT_EQ(layout.clip, (Rect{2, 2, c.w, c.h}));
    EXPECT_EQ(layout.background, kBlack);
  }
}

TEST(PageLayout, PlainPicturesAndPercentagesOutsideACell) {
  const PageDocument natural = ParsePage("<body style='margin:0'><img src='/x.jpg'>");
  EXPECT_EQ(LayoutPage(natural, 300, 200, 40, 30).picture, (Rect{2, 2, 40, 30}));
  const PageDocument half = ParsePage("<body><center><img src='/x.jpg' width='50%'></center>");
  // Content: 300 - 4 border - 16 margin = 280 wide at x 10; half of it is 140, centred.
  EXPECT_EQ(LayoutPage(half, 300, 200, 40, 30).picture, (Rect{80, 10, 140, 105}));
  EXPECT_FALSE(LayoutPage(natural, 300, 200, 0, 0).has_picture);
}

TEST(PaintPage, BackgroundEverywhereButThePictureAndOnlyTheVisiblePart) {
  PageLayout layout;
  layout.background = 0xFF112233u;
  layout.has_picture = true;
  layout.picture = {5, 4, 10, 6};
  layout.clip = {2, 2, 12, 20};  // cuts the picture's right 3 columns
  Frame picture(10, 6, 0xFFFFFFFFu);
  const ViewGeometry g{40, 30, Rect{2, 2, 20, 10}};
  Frame out;
  const PixelView view = ViewOf(picture);
  PaintPage(layout, g, &view, out);
  ASSERT_EQ(out.width, 20);
  ASSERT_EQ(out.height, 10);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      const int vx = x + 2, vy = y + 2;
      const bool in = vx >= 5 && vx < 14 && vy >= 4 && vy < 10;
      EXPECT_EQ(out.At(x, y), in ? 0xFFFFFFFFu : 0xFF112233u) << x << "," << y;
    }
  }
}

TEST(RenderJob, DecodesScalesAndPlacesThePicture) {
  TempFolder dir("brelinde-browser");
  const testing::Rgb8 red{200, 30, 40};
  // A portrait picture in a landscape window: fitted by height, centred with black beside it.
  const std::string picture = dir.Write("p.jpg", MakeSolidJpeg(60, 80, red));
  const int w = 200, h = 150;
  RenderJob job;
  job.page = ParsePage(BuildSlidePage(TransitionMeta(23), w, h, picture, FitAttribute(w, h, 60, 80)));
  job.geometry = ShowGeometry(w, h);
  job.transition = {Transition::Kind::kFade, 0, 1, 3};
  const RenderResult r = RunRenderJob(job);
  EXPECT_EQ(r.warning, "");
  ASSERT_EQ(r.frame.width, w);
  ASSERT_EQ(r.frame.height, h);
  EXPECT_EQ(r.transition.kind(), Transition::Kind::kFade);
  // 60 x 80 at height 150 is 112.5, rounded 113 wide, from x 43.
  for (const int y : {0, 75, 149}) {
    EXPECT_EQ(r.frame.At(42, y), kBlack);
    EXPECT_TRUE(Near(r.frame.At(43, y), Rgb(200, 30, 40), 6)) << std::hex << r.frame.At(43, y);
    EXPECT_TRUE(Near(r.frame.At(155, y), Rgb(200, 30, 40), 6));
    EXPECT_EQ(r.frame.At(156, y), kBlack);
  }
}

TEST(RenderJob, AMissingOrBrokenPictureLeavesTheBackgroundAndOneLine) {
  TempFolder dir("brelinde-browser");
  const std::string broken = dir.Write("broken.jpg", "not a picture at all");
  const std::string cut = dir.Write("cut.jpg", MakeSolidJpeg(64, 48, {1, 2, 3}).substr(0, 40));
  for (const std::string& path : {dir.File("missing.jpg"), broken, cut}) {
    RenderJob job;
    job.page = ParsePage(BuildSlidePage(TransitionMeta(0), 64, 48, path, "width=\"100%\""));
    job.geometry = ShowGeometry(64, 48);
    job.transition = {Transition::Kind::kReveal, 12, 7, 3};
    const RenderResult r = RunRenderJob(job);
    EXPECT_EQ(r.warning.find("Bild \"" + path + "\" wird nicht angezeigt: "), 0u) << r.warning;
    EXPECT_EQ(r.warning.find('\n'), std::string::npos);
    for (uint32_t p : r.frame.pixels) ASSERT_EQ(p, kBlack);
    EXPECT_EQ(r.transition.pattern(), 12);
  }
}

TEST(Resample, AveragesWhenShrinkingAndInterpolatesWhenGrowing) {
  // Columns alternate black and white: halving averages each pair to grey.
  Frame stripes(8, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 8; ++x) stripes.Row(y)[x] = x % 2 ? 0xFFFFFFFFu : kBlack;
  const Frame half = Resample(ViewOf(stripes), 4, 1);
  for (uint32_t p : half.pixels) EXPECT_TRUE(Near(p, Rgb(128, 128, 128), 1)) << std::hex << p;
  // A ramp enlarged stays a ramp, monotonic and within the end values.
  Frame ramp(4, 1);
  for (int x = 0; x < 4; ++x) ramp.Row(0)[x] = Rgb(static_cast<uint8_t>(x * 80), 0, 0);
  const Frame big = Resample(ViewOf(ramp), 13, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 1; x < 13; ++x) EXPECT_GE(big.At(x, y) >> 16 & 0xFF, big.At(x - 1, y) >> 16 & 0xFF);
    EXPECT_EQ(big.At(0, y), Rgb(0, 0, 0));
    EXPECT_EQ(big.At(12, y), Rgb(240, 0, 0));
  }
  const Frame same = Resample(ViewOf(ramp), 4, 1);
  EXPECT_EQ(same.pixels, ramp.pixels);
}

TEST(Resample, APartIsThatPartOfTheWhole) {
  Frame source(37, 23);
  for (size_t i = 0; i < source.pixels.size(); ++i) source.pixels[i] = kOpaque | static_cast<uint32_t>(i * 2654435761u);
  for (const auto& [w, h] : {std::pair{101, 67}, std::pair{13, 9}}) {
    const Frame whole = Resample(ViewOf(source), w, h);
    const Rect part{w / 3, h / 4, w / 2, h / 2};
    Frame out(part.width + 3, part.height + 2, 0);
    ResampleInto(ViewOf(source), w, h, part, out, 3, 2);
    for (int y = 0; y < part.height; ++y)
      for (int x = 0; x < part.width; ++x)
        ASSERT_EQ(out.At(x + 3, y + 2), whole.At(x + part.x, y + part.y)) << w << " " << x << "," << y;
    EXPECT_EQ(out.At(0, 0), 0u);  // nothing written outside
  }
}

}  // namespace
}  // namespace brelinde::browser
