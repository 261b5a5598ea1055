// The reveal patterns. A pattern only says which spans [x0, x1) of a row show the new page at
// progress p; the compositor does all the copying. The random ones compare a rank, made once per
// transition, with the frame's threshold.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace brelinde::browser {

struct Span {
  int x0 = 0, x1 = 0;
};

// More than any row of any pattern yields (checkerboards: one per cell, 12 across, plus ends).
inline constexpr int kMaxSpans = 32;

// Ranks run from 1 to kRankLevels; a pixel, row or column shows the new page once its rank is at
// most the frame's threshold, round(p * kRankLevels).
inline constexpr uint16_t kRankLevels = 65535;

// What a pattern sees of one frame.
struct PatternFrame {
  int width = 0, height = 0;
  double p = 0.0;
  uint16_t threshold = 0;
  const uint16_t* ranks = nullptr;  // the pattern's ranks, when it has any
};

// Writes the sorted, disjoint spans of row y that show the new page; returns their number.
using RowSpansFn = int (*)(const PatternFrame& frame, int y, Span* spans);

// The end of the run of rows from y on that have the spans of row y: at least y + 1, and never
// past a row whose spans differ, so that the compositor works the spans out once per run.
using RowRunFn = int (*)(const PatternFrame& frame, int y);

// What a pattern's ranks are made for.
enum class RankShape { kNone, kPixels, kRows, kColumns };

struct Pattern {
  std::string_view name;
  RowSpansFn spans;  // nullptr: the compositor selects pixel by pixel with the ranks
  RankShape ranks;
  RowRunFn run = nullptr;  // nullptr: every row has its own spans
};

inline constexpr int kPatternCount = 23;

// The reveal patterns by number, 0 to 22, in the order of the settings dialog's list.
const std::array<Pattern, kPatternCount>& Patterns();

}  // namespace brelinde::browser
