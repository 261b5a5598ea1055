#include "platform/browser/Patterns.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brelinde::browser {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

int Clamp(double v, int n) {
  if (!(v > 0)) return 0;  // also NaN
  if (v >= n) return n;
  return static_cast<int>(v);
}

// Collects spans in order, merging touching ones and dropping empty ones.
class Spans {
 public:
  explicit Spans(Span* out) : out_(out) {}
  void Add(int x0, int x1) {
    if (x1 <= x0) return;
    if (n_ > 0 && out_[n_ - 1].x1 >= x0) {
      out_[n_ - 1].x1 = std::max(out_[n_ - 1].x1, x1);
      return;
    }
    if (n_ < kMaxSpans) out_[n_++] = {x0, x1};
  }
  // Pixels whose centres x + 0.5 lie strictly between lo and hi.
  void Open(double lo, double hi, int n) {
    Add(lo == -kInf ? 0 : Clamp(std::floor(lo - 0.5) + 1, n), hi == kInf ? n : Clamp(std::ceil(hi - 0.5), n));
  }
  // Pixels whose centres lie in (lo, hi]: such intervals tile a row, and a front that has not
  // moved yet shows nothing, even where a pixel centre lies exactly on its start.
  void HalfOpen(double lo, double hi, int n) {
    Add(Clamp(std::floor(lo - 0.5) + 1, n), Clamp(std::floor(hi - 0.5) + 1, n));
  }
  // Everything of [0, n) outside the centres strictly between lo and hi.
  void OutsideOpen(double lo, double hi, int n) {
    Spans inner(tmp_);
    inner.Open(lo, hi, n);
    if (inner.n_ == 0) {
      Add(0, n);
      return;
    }
    Add(0, tmp_[0].x0);
    Add(tmp_[0].x1, n);
  }
  void All(int n) { Add(0, n); }
  int Count() const { return n_; }

 private:
  Span* out_;
  int n_ = 0;
  Span tmp_[1];
};

double Centre(int y) { return y + 0.5; }

// ---- the patterns, one small function each --------------------------------------------------

int BoxIn(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  const double a = (1 - f.p) * f.width / 2, b = (1 - f.p) * f.height / 2;
  if (std::abs(Centre(y) - f.height / 2.0) < b) {
    s.OutsideOpen(f.width / 2.0 - a, f.width / 2.0 + a, f.width);
  } else {
    s.All(f.width);
  }
  return s.Count();
}

int BoxOut(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  const double a = f.p * f.width / 2, b = f.p * f.height / 2;
  if (std::abs(Centre(y) - f.height / 2.0) < b) s.Open(f.width / 2.0 - a, f.width / 2.0 + a, f.width);
  return s.Count();
}

double HalfDiagonal(const PatternFrame& f) { return std::hypot(f.width, f.height) / 2; }

int CircleIn(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  const double r = (1 - f.p) * HalfDiagonal(f), dy = Centre(y) - f.height / 2.0;
  if (dy * dy < r * r) {
    const double hc = std::sqrt(r * r - dy * dy);
    s.OutsideOpen(f.width / 2.0 - hc, f.width / 2.0 + hc, f.width);
  } else {
    s.All(f.width);
  }
  return s.Count();
}

int CircleOut(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  const double r = f.p * HalfDiagonal(f), dy = Centre(y) - f.height / 2.0;
  if (dy * dy < r * r) {
    const double hc = std::sqrt(r * r - dy * dy);
    s.Open(f.width / 2.0 - hc, f.width / 2.0 + hc, f.width);
  }
  return s.Count();
}

int WipeUp(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  if (Centre(y) > f.height * (1 - f.p)) s.All(f.width);
  return s.Count();
}

int WipeDown(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  if (Centre(y) < f.height * f.p) s.All(f.width);
  return s.Count();
}

int WipeRight(const PatternFrame& f, int, Span* out) {
  Spans s(out);
  s.Open(-kInf, f.width * f.p, f.width);
  return s.Count();
}

int WipeLeft(const PatternFrame& f, int, Span* out) {
  Spans s(out);
  s.Open(f.width * (1 - f.p), kInf, f.width);
  return s.Count();
}

// Bands and cells begin and end between pixels, so that no pixel centre sits on the start or
// the end of a front: edge k of a line of n cells over size pixels.
int Edge(int k, int n, int size) { return static_cast<int>(std::lround(static_cast<double>(k) * size / n)); }

// The pair of edges [lo, hi) round position v (pixel index) among edges spaced step, the first
// at offset steps from 0.
void Enclosing(int v, double step, int offset, int span_steps, int size, int n, int& lo, int& hi) {
  long a = static_cast<long>(std::floor(((v + 0.5) / step - offset) / span_steps)) * span_steps + offset;
  const auto edge = [&](long k) {
    return static_cast<int>(std::lround(static_cast<double>(k) * size / n));
  };
  while (edge(a) > v) a -= span_steps;
  while (edge(a + span_steps) <= v) a += span_steps;
  lo = edge(a);
  hi = edge(a + span_steps);
}

constexpr int kBlinds = 10;

int VerticalBlinds(const PatternFrame& f, int, Span* out) {
  Spans s(out);
  for (int k = 0; k < kBlinds; ++k) {
    const int lo = Edge(k, kBlinds, f.width), hi = Edge(k + 1, kBlinds, f.width);
    s.HalfOpen(lo, lo + f.p * (hi - lo), f.width);
  }
  return s.Count();
}

int HorizontalBlinds(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  int lo = 0, hi = 0;
  Enclosing(y, f.height / static_cast<double>(kBlinds), 0, 1, f.height, kBlinds, lo, hi);
  if (Centre(y) <= lo + f.p * (hi - lo)) s.All(f.width);
  return s.Count();
}

constexpr int kCheckerCells = 12;  // cells across, square

int CheckerboardAcross(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  const double cell = f.width / static_cast<double>(kCheckerCells);
  const bool odd_row = static_cast<long>(std::floor(Centre(y) / cell)) % 2 != 0;
  // Each pair of cells has its own front, sweeping left to right over both; odd rows are
  // shifted by one cell.
  for (int a = odd_row ? -1 : 0; a < kCheckerCells; a += 2) {
    const int lo = Edge(a, kCheckerCells, f.width), hi = Edge(a + 2, kCheckerCells, f.width);
    s.HalfOpen(lo, lo + f.p * (hi - lo), f.width);
  }
  return s.Count();
}

int CheckerboardDown(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  const double cell = f.width / static_cast<double>(kCheckerCells);
  // Rows of cells have the columns' cell size; the pairs of odd columns start one cell lower.
  const auto shown = [&](int offset) {
    int lo = 0, hi = 0;
    Enclosing(y, cell, offset, 2, f.width, kCheckerCells, lo, hi);
    return Centre(y) <= lo + f.p * (hi - lo);
  };
  const bool even = shown(0), odd = shown(1);
  for (int col = 0; col < kCheckerCells; ++col)
    if (col % 2 == 0 ? even : odd)
      s.Add(Edge(col, kCheckerCells, f.width), Edge(col + 1, kCheckerCells, f.width));
  return s.Count();
}

// Runs of rows: patterns that sweep across the width have the same spans in every row.
int EveryRow(const PatternFrame& f, int) { return f.height; }

// The checkerboard across changes only where a row of cells ends. The edge is worked out in
// floating point like the pattern's own test, so one row is given away against rounding.
int CellRowEnd(const PatternFrame& f, int y) {
  const double cell = f.width / static_cast<double>(kCheckerCells);
  const double next_edge = (std::floor(Centre(y) / cell) + 1) * cell;  // first row centred at or past it
  const double end = std::ceil(next_edge - 0.5) - 1;
  return end <= y + 1 ? y + 1 : static_cast<int>(std::min<double>(end, f.height));
}

int SplitVerticalIn(const PatternFrame& f, int, Span* out) {
  Spans s(out);
  s.Open(-kInf, f.p * f.width / 2, f.width);
  s.Open(f.width - f.p * f.width / 2, kInf, f.width);
  return s.Count();
}

int SplitVerticalOut(const PatternFrame& f, int, Span* out) {
  Spans s(out);
  const double a = f.p * f.width / 2;
  s.Open(f.width / 2.0 - a, f.width / 2.0 + a, f.width);
  return s.Count();
}

int SplitHorizontalIn(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  const double a = f.p * f.height / 2, c = Centre(y);
  if (c < a || c > f.height - a) s.All(f.width);
  return s.Count();
}

int SplitHorizontalOut(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  if (std::abs(Centre(y) - f.height / 2.0) < f.p * f.height / 2) s.All(f.width);
  return s.Count();
}

// Strips: square blocks of about 1/16 of the shorter side, revealed one diagonal of blocks after
// the other from a corner. The grid is anchored at that corner so that the four mirror exactly.
struct StripGrid {
  int block, diagonals_shown;
};

StripGrid Strips(const PatternFrame& f) {
  const int block = std::max(1, static_cast<int>(std::lround(std::min(f.width, f.height) / 16.0)));
  const int cols = (f.width + block - 1) / block, rows = (f.height + block - 1) / block;
  const int diagonals = cols + rows - 1;
  return {block, std::min(diagonals, static_cast<int>(std::floor(f.p * diagonals)))};
}

int StripsRow(const PatternFrame& f, int y, Span* out, bool from_right, bool from_bottom) {
  Spans s(out);
  const StripGrid g = Strips(f);
  const int row = (from_bottom ? f.height - 1 - y : y) / g.block;
  const int blocks = g.diagonals_shown - row;  // blocks of this row shown, from the corner's side
  if (blocks > 0) {
    const int reach = static_cast<int>(std::min<long>(f.width, static_cast<long>(blocks) * g.block));
    if (from_right) {
      s.Add(f.width - reach, f.width);
    } else {
      s.Add(0, reach);
    }
  }
  return s.Count();
}

int StripsLeftDown(const PatternFrame& f, int y, Span* out) { return StripsRow(f, y, out, true, false); }
int StripsLeftUp(const PatternFrame& f, int y, Span* out) { return StripsRow(f, y, out, true, true); }
int StripsRightDown(const PatternFrame& f, int y, Span* out) { return StripsRow(f, y, out, false, false); }
int StripsRightUp(const PatternFrame& f, int y, Span* out) { return StripsRow(f, y, out, false, true); }

int RandomBarsHorizontal(const PatternFrame& f, int y, Span* out) {
  Spans s(out);
  if (f.ranks[y] <= f.threshold) s.All(f.width);
  return s.Count();
}

constexpr std::array<Pattern, kPatternCount> kPatterns = {{
    {"Box in", BoxIn, RankShape::kNone},
    {"Box out", BoxOut, RankShape::kNone},
    {"Circle in", CircleIn, RankShape::kNone},
    {"Circle out", CircleOut, RankShape::kNone},
    {"Wipe up", WipeUp, RankShape::kNone},
    {"Wipe down", WipeDown, RankShape::kNone},
    {"Wipe right", WipeRight, RankShape::kNone, EveryRow},
    {"Wipe left", WipeLeft, RankShape::kNone, EveryRow},
    {"Vertical blinds", VerticalBlinds, RankShape::kNone, EveryRow},
    {"Horizontal blinds", HorizontalBlinds, RankShape::kNone},
    {"Checkerboard across", CheckerboardAcross, RankShape::kNone, CellRowEnd},
    {"Checkerboard down", CheckerboardDown, RankShape::kNone},
    {"Random dissolve", nullptr, RankShape::kPixels},
    {"Split vertical in", SplitVerticalIn, RankShape::kNone, EveryRow},
    {"Split vertical out", SplitVerticalOut, RankShape::kNone, EveryRow},
    {"Split horizontal in", SplitHorizontalIn, RankShape::kNone},
    {"Split horizontal out", SplitHorizontalOut, RankShape::kNone},
    {"Strips left down", StripsLeftDown, RankShape::kNone},
    {"Strips left up", StripsLeftUp, RankShape::kNone},
    {"Strips right down", StripsRightDown, RankShape::kNone},
    {"Strips right up", StripsRightUp, RankShape::kNone},
    {"Random bars horizontal", RandomBarsHorizontal, RankShape::kRows},
    {"Random bars vertical", nullptr, RankShape::kColumns},
}};

}  // namespace

const std::array<Pattern, kPatternCount>& Patterns() { return kPatterns; }

}  // namespace brelinde::browser
