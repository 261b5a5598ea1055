#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <optional>
#include <vector>

#include "platform/browser/Compositor.h"
#include "platform/browser/Patterns.h"
#include "show/TransitionCatalogue.h"

namespace brelinde::browser {
namespace {

// Old and new differ at every pixel, and each pixel tells where it came from: an output pixel
// must be exactly the old or the new frame's pixel at the same place.
Frame OldFrame(int w, int h) {
  Frame f(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) f.Row(y)[x] = Rgb(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0);
  return f;
}
Frame NewFrame(int w, int h) {
  Frame f(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) f.Row(y)[x] = Rgb(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 255);
  return f;
}

// Which pixels of frame p show the new page; fails the test on a pixel from anywhere else.
std::vector<bool> NewPixels(const Transition& t, double p) {
  const Frame a = OldFrame(t.width(), t.height()), b = NewFrame(t.width(), t.height());
  Frame out(t.width(), t.height(), 0);
  t.Render(a, b, out, p);
  std::vector<bool> shown(out.pixels.size());
  for (size_t i = 0; i < out.pixels.size(); ++i) {
    shown[i] = out.pixels[i] == b.pixels[i];
    if (!shown[i] && out.pixels[i] != a.pixels[i]) {
      ADD_FAILURE() << "pixel " << i << " is neither old nor new at p=" << p;
      break;
    }
  }
  return shown;
}

double Share(const std::vector<bool>& shown) {
  size_t n = 0;
  for (bool s : shown) n += s;
  return static_cast<double>(n) / static_cast<double>(shown.size());
}

// The area of a centred circle of radius r inside a w x h rectangle, as a share of the rectangle.
double CircleShare(double r, int w, int h) {
  const int steps = 20000;
  double area = 0;
  for (int i = 0; i < steps; ++i) {
    const double y = -h / 2.0 + (i + 0.5) * h / steps;
    if (std::abs(y) < r) area += std::min<double>(w, 2 * std::sqrt(r * r - y * y)) * h / steps;
  }
  return area / (static_cast<double>(w) * h);
}

struct Expectation {
  int pattern;
  std::function<double(double p, int w, int h)> share;  // the area formula
  std::function<double(int w, int h)> tolerance;      // one pixel row or column, or one band
};

double Row(int, int h) { return 1.0 / h; }
double Column(int w, int) { return 1.0 / w; }
double RowAndColumn(int w, int h) { return 1.0 / h + 1.0 / w; }
double Diagonal(double w, double h) { return std::hypot(w, h); }

const std::vector<Expectation>& AreaFormulas() {
  static const std::vector<Expectation> formulas = {
      {0, [](double p, int, int) { return 1 - (1 - p) * (1 - p); }, RowAndColumn},
      {1, [](double p, int, int) { return p * p; }, RowAndColumn},
      {2, [](double p, int w, int h) { return 1 - CircleShare((1 - p) * Diagonal(w, h) / 2, w, h); },
       RowAndColumn},
      {3, [](double p, int w, int h) { return CircleShare(p * Diagonal(w, h) / 2, w, h); }, RowAndColumn},
      {4, [](double p, int, int) { return p; }, Row},
      {5, [](double p, int, int) { return p; }, Row},
      {6, [](double p, int, int) { return p; }, Column},
      {7, [](double p, int, int) { return p; }, Column},
      {8, [](double p, int, int) { return p; }, [](int w, int) { return 10.0 / w; }},
      {9, [](double p, int, int) { return p; }, [](int, int h) { return 10.0 / h; }},
      {12, [](double p, int, int) { return p; }, Row},
      {13, [](double p, int, int) { return p; }, Column},
      {14, [](double p, int, int) { return p; }, Column},
      {15, [](double p, int, int) { return p; }, Row},
      {16, [](double p, int, int) { return p; }, Row},
      {21, [](double p, int, int) { return p; }, Row},
      {22, [](double p, int, int) { return p; }, Column},
  };
  return formulas;
}

struct Size {
  int w, h;
};
const std::vector<Size> kSizes = {{160, 120}, {161, 121}, {90, 150}, {7, 5}};

TEST(Transitions, EveryPatternStartsOldEndsNewAndOnlyGrows) {
  ASSERT_EQ(Patterns().size(), 23u);
  for (int pattern = 0; pattern < kPatternCount; ++pattern) {
    EXPECT_EQ(Patterns()[static_cast<size_t>(pattern)].name, kTransitionNames[static_cast<size_t>(pattern)]);
    for (const Size s : kSizes) {
      SCOPED_TRACE(::testing::Message() << Patterns()[static_cast<size_t>(pattern)].name << " " << s.w
                                        << "x" << s.h);
      const Transition t = Transition::Reveal(pattern, s.w, s.h, 1234);
      std::vector<bool> before = NewPixels(t, 0.0);
      EXPECT_EQ(Share(before), 0.0);
      const int steps = 48;
      for (int i = 1; i <= steps; ++i) {
        const double p = static_cast<double>(i) / steps;
        std::vector<bool> now = NewPixels(t, p);
        for (size_t k = 0; k < now.size(); ++k) {
          if (before[k] && !now[k]) {
            ADD_FAILURE() << "pixel " << k << " went back to the old page at p=" << p;
            break;
          }
        }
        before = std::move(now);
      }
      EXPECT_EQ(Share(before), 1.0);
      // Just short of the ends, the patterns themselves are empty and full but for a centre
      // row or column (where a band is not smaller than a pixel).
      if (s.w >= 20 && s.h >= 20) {
        const double one_line = 1.0 / s.w + 1.0 / s.h;
        EXPECT_LE(Share(NewPixels(t, 1e-9)), one_line);
        EXPECT_GE(Share(NewPixels(t, 1 - 1e-9)), 1 - one_line);
      }
    }
  }
}

TEST(Transitions, SharesFollowTheAreaFormulas) {
  for (const Expectation& e : AreaFormulas()) {
    for (const Size s : {Size{160, 120}, Size{161, 121}, Size{90, 150}}) {
      const Transition t = Transition::Reveal(e.pattern, s.w, s.h, 99);
      for (const double p : {0.25, 0.5, 0.75}) {
        EXPECT_NEAR(Share(NewPixels(t, p)), e.share(p, s.w, s.h), e.tolerance(s.w, s.h) + 1e-9)
            << Patterns()[static_cast<size_t>(e.pattern)].name << " " << s.w << "x" << s.h << " p=" << p;
      }
    }
  }
}

TEST(Transitions, MirroredPatternsMirrorEachOther) {
  enum Flip { kLeftRight, kTopBottom };
  struct Pair {
    int a, b;
    Flip flip;
  };
  const std::vector<Pair> pairs = {
      {4, 5, kTopBottom},   {6, 7, kLeftRight},   {17, 19, kLeftRight}, {18, 20, kLeftRight},
      {17, 18, kTopBottom}, {19, 20, kTopBottom},
      // The centred ones mirror themselves both ways.
      {0, 0, kLeftRight},   {0, 0, kTopBottom},   {1, 1, kLeftRight},   {1, 1, kTopBottom},
      {2, 2, kLeftRight},   {2, 2, kTopBottom},   {3, 3, kLeftRight},   {3, 3, kTopBottom},
      {13, 13, kLeftRight}, {14, 14, kLeftRight}, {15, 15, kTopBottom}, {16, 16, kTopBottom},
  };
  for (const Size s : {Size{160, 120}, Size{161, 121}, Size{90, 151}}) {
    for (const Pair& pair : pairs) {
      const Transition ta = Transition::Reveal(pair.a, s.w, s.h, 1), tb = Transition::Reveal(pair.b, s.w, s.h, 1);
      for (const double p : {0.1, 0.3, 0.5, 0.7, 0.9}) {
        const std::vector<bool> a = NewPixels(ta, p), b = NewPixels(tb, p);
        int mismatches = 0;
        for (int y = 0; y < s.h; ++y) {
          for (int x = 0; x < s.w; ++x) {
            const int mx = pair.flip == kLeftRight ? s.w - 1 - x : x;
            const int my = pair.flip == kTopBottom ? s.h - 1 - y : y;
            mismatches += a[static_cast<size_t>(y * s.w + x)] != b[static_cast<size_t>(my * s.w + mx)];
          }
        }
        EXPECT_EQ(mismatches, 0) << pair.a << " vs " << pair.b << " " << s.w << "x" << s.h << " p=" << p;
      }
    }
  }
}

TEST(Transitions, CheckerboardsShowACheckerboardHalfway) {
  const int w = 240, h = 120, cell = w / 12;
  for (const int pattern : {10, 11}) {
    const std::vector<bool> shown = NewPixels(Transition::Reveal(pattern, w, h, 0), 0.5);
    for (int y = cell / 2; y < h; y += cell) {
      for (int x = cell / 2; x < w; x += cell) {
        const bool expected = ((x / cell) + (y / cell)) % 2 == 0;
        EXPECT_EQ(shown[static_cast<size_t>(y * w + x)], expected)
            << Patterns()[static_cast<size_t>(pattern)].name << " cell " << x / cell << "," << y / cell;
      }
    }
  }
}

TEST(Transitions, StripsAdvanceFromTheirCorner) {
  const int w = 160, h = 96;
  struct Corner {
    int pattern, x, y;  // the corner pixel that turns first
  };
  for (const Corner c : {Corner{17, w - 1, 0}, Corner{18, w - 1, h - 1}, Corner{19, 0, 0}, Corner{20, 0, h - 1}}) {
    const Transition t = Transition::Reveal(c.pattern, w, h, 0);
    const std::vector<bool> early = NewPixels(t, 0.1);
    EXPECT_TRUE(early[static_cast<size_t>(c.y * w + c.x)]) << c.pattern;
    EXPECT_FALSE(early[static_cast<size_t>((h - 1 - c.y) * w + (w - 1 - c.x))]) << c.pattern;
    EXPECT_NEAR(Share(NewPixels(t, 0.5)), 0.5, 0.1) << c.pattern;
  }
}

TEST(Transitions, RandomOrdersDependOnTheSeedOnly) {
  for (const int pattern : {12, 21, 22}) {
    const std::vector<bool> a = NewPixels(Transition::Reveal(pattern, 64, 48, 5), 0.5);
    EXPECT_EQ(a, NewPixels(Transition::Reveal(pattern, 64, 48, 5), 0.5));
    EXPECT_NE(a, NewPixels(Transition::Reveal(pattern, 64, 48, 6), 0.5));
  }
}

TEST(Transitions, FadeBlendsEveryChannelFromOldToNew) {
  const int w = 37, h = 11;
  const Frame a = OldFrame(w, h), b = NewFrame(w, h);
  const Transition t = Transition::Fade(w, h);
  Frame out(w, h), previous(w, h);
  for (int i = 0; i <= 32; ++i) {
    const double p = i / 32.0;
    t.Render(a, b, out, p);
    if (i == 0) {
      EXPECT_EQ(out.pixels, a.pixels);
    }
    if (i == 32) {
      EXPECT_EQ(out.pixels, b.pixels);
    }
    for (size_t k = 0; k < out.pixels.size(); ++k) {
      const uint32_t o = out.pixels[k];
      ASSERT_EQ(o >> 24, 0xFFu);
      const int blue = static_cast<int>(o & 0xFF);
      ASSERT_NEAR(blue, 255 * p, 1.0) << "p=" << p;
      ASSERT_EQ(o & 0xFFFF00u, a.pixels[k] & 0xFFFF00u);  // equal channels stay put
      if (i > 0) {
        ASSERT_GE(blue, static_cast<int>(previous.pixels[k] & 0xFF));
      }
    }
    previous = out;
  }
}

TEST(Transitions, ACutShowsTheOldPageUntilTheEnd) {
  const Transition t = Transition::Cut(20, 10);
  EXPECT_EQ(Share(NewPixels(t, 0.99)), 0.0);
  EXPECT_EQ(Share(NewPixels(t, 1.0)), 1.0);
}

TEST(Transitions, RefusesFramesOfAnotherSize) {
  const Transition t = Transition::Reveal(0, 20, 10, 0);
  Frame a(20, 10), b(20, 10), out(21, 10);
  EXPECT_THROW(t.Render(a, b, out, 0.5), std::invalid_argument);
  EXPECT_THROW(Transition::Reveal(23, 20, 10, 0), std::out_of_range);
  EXPECT_THROW(Transition::Reveal(-1, 20, 10, 0), std::out_of_range);
}

// Large frames are written with streamed stores, four pixels at a time from 16-byte boundaries
// on: every width, every alignment of the output row and spans of any length, also shorter than
// such a chunk and several in one, must give exactly the pixels of ordinary stores, and leave
// the pixels beside the row alone.
TEST(Transitions, StreamedRowsEqualCachedRows) {
  struct Case {
    int n;
    std::vector<Span> spans;
  };
  const std::vector<Case> cases = {
      {1, {}},          {1, {{0, 1}}},        {3, {{1, 2}}},        {4, {{0, 4}}},
      {5, {{4, 5}}},    {7, {{0, 1}, {2, 3}, {5, 6}}},              {8, {{1, 3}, {5, 7}}},
      {37, {}},         {37, {{0, 37}}},      {37, {{3, 4}, {5, 9}, {10, 11}, {12, 13}, {30, 37}}},
      {64, {{0, 17}, {18, 19}, {21, 40}, {63, 64}}},                {130, {{2, 128}}},
  };
  constexpr uint32_t kGuard = 0xDEADBEEFu;
  for (const Case& c : cases) {
    std::vector<uint32_t> a(static_cast<size_t>(c.n)), b(a.size());
    std::vector<uint16_t> rank(a.size());
    for (size_t x = 0; x < a.size(); ++x) {
      a[x] = Rgb(static_cast<uint8_t>(x), 10, 200);
      b[x] = Rgb(static_cast<uint8_t>(3 * x), 250, 7);
      rank[x] = static_cast<uint16_t>((x * 7919) % 61);
    }
    std::vector<uint32_t> expected(a);
    for (const Span& s : c.spans)
      for (int x = s.x0; x < s.x1; ++x) expected[static_cast<size_t>(x)] = b[static_cast<size_t>(x)];
    for (int shift = 0; shift < 4; ++shift) {
      SCOPED_TRACE(testing::Message() << "n=" << c.n << " shift=" << shift);
      std::vector<uint32_t> buffer(static_cast<size_t>(c.n) + 8, kGuard), cached(a.size());
      uint32_t* out = buffer.data() + shift;
      const auto row = [&] { return std::vector<uint32_t>(out, out + c.n); };
      const auto untouched = [&] {
        return buffer[static_cast<size_t>(shift + c.n)] == kGuard && (shift == 0 || buffer[static_cast<size_t>(shift - 1)] == kGuard);
      };

      ComposeRow(a.data(), b.data(), out, c.n, c.spans.data(), static_cast<int>(c.spans.size()), Stores::kStreamed);
      FinishStreamedRows();
      EXPECT_EQ(row(), expected);
      EXPECT_TRUE(untouched());

      for (const unsigned weight : {0u, 1u, 77u, 128u, 255u, 256u}) {
        BlendRow(a.data(), b.data(), cached.data(), c.n, weight);
        BlendRow(a.data(), b.data(), out, c.n, weight, Stores::kStreamed);
        FinishStreamedRows();
        EXPECT_EQ(row(), cached) << "weight " << weight;
      }
      for (const uint16_t threshold : {uint16_t{0}, uint16_t{30}, uint16_t{65535}}) {
        SelectRow(a.data(), b.data(), cached.data(), rank.data(), c.n, threshold);
        SelectRow(a.data(), b.data(), out, rank.data(), c.n, threshold, Stores::kStreamed);
        FinishStreamedRows();
        EXPECT_EQ(row(), cached) << "threshold " << threshold;
      }
      EXPECT_TRUE(untouched());
    }
  }
}


// The compositor works a row's spans out once per run of rows: every row of a run must have
// exactly the spans of its first row, at sizes where cells do not divide the height evenly too.
TEST(Transitions, RowsOfARunShareTheirSpans) {
  for (const Pattern& pattern : Patterns()) {
    if (!pattern.run) continue;
    for (const Size s : {Size{160, 120}, Size{161, 121}, Size{1921, 1081}, Size{90, 150}, Size{7, 5}}) {
      for (const double p : {0.01, 0.3, 0.5, 0.77, 0.99}) {
        SCOPED_TRACE(testing::Message() << pattern.name << " " << s.w << "x" << s.h << " p=" << p);
        const PatternFrame frame{s.w, s.h, p, static_cast<uint16_t>(std::lround(p * kRankLevels)), nullptr};
        Span first[kMaxSpans], row[kMaxSpans];
        for (int y = 0; y < s.h;) {
          const int end = pattern.run(frame, y), n = pattern.spans(frame, y, first);
          ASSERT_GT(end, y);
          ASSERT_LE(end, s.h);
          for (int r = y + 1; r < end; ++r) {
            ASSERT_EQ(pattern.spans(frame, r, row), n) << "row " << r;
            for (int i = 0; i < n; ++i) ASSERT_TRUE(row[i].x0 == first[i].x0 && row[i].x1 == first[i].x1) << "row " << r;
          }
          y = end;
        }
      }
    }
  }
}
}  // namespace
}  // namespace brelinde::browser
