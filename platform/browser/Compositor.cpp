#include "platform/browser/Compositor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "platform/browser/ViewRandom.h"

namespace brelinde::browser {

void BlendRow(const uint32_t* old_row, const uint32_t* new_row, uint32_t* out, int n, unsigned weight) {
  // Byte-wise in 16-bit arithmetic, so that the vectoriser packs 8 or 16 channels per step;
  // 255 * 256 + 128 still fits.
  const auto* a = reinterpret_cast<const uint8_t*>(old_row);
  const auto* b = reinterpret_cast<const uint8_t*>(new_row);
  auto* o = reinterpret_cast<uint8_t*>(out);
  const uint16_t wb = static_cast<uint16_t>(weight), wa = static_cast<uint16_t>(256 - weight);
  const size_t bytes = static_cast<size_t>(n) * 4;
  for (size_t i = 0; i < bytes; ++i)
    o[i] = static_cast<uint8_t>(static_cast<uint16_t>(a[i] * wa + b[i] * wb + 128) >> 8);
}

void SelectRow(const uint32_t* old_row, const uint32_t* new_row, uint32_t* out, const uint16_t* rank,
               int n, uint16_t threshold) {
  for (int x = 0; x < n; ++x) {
    const uint32_t m = 0u - static_cast<uint32_t>(rank[x] <= threshold);
    out[x] = (new_row[x] & m) | (old_row[x] & ~m);
  }
}

void ShuffledRanks(std::vector<uint16_t>& ranks, size_t n, uint64_t seed) {
  ranks.resize(n);
  for (size_t i = 0; i < n; ++i)
    ranks[i] = static_cast<uint16_t>(1 + (static_cast<uint64_t>(i) * kRankLevels) / n);
  ViewRandom random(seed);
  for (size_t i = n; i > 1; --i) {
    const size_t j = random.Below(static_cast<uint32_t>(i));
    std::swap(ranks[i - 1], ranks[j]);
  }
}

Transition Transition::Cut(int width, int height) {
  Transition t;
  t.width_ = width;
  t.height_ = height;
  return t;
}

Transition Transition::Fade(int width, int height) {
  Transition t = Cut(width, height);
  t.kind_ = Kind::kFade;
  return t;
}

Transition Transition::Reveal(int pattern, int width, int height, uint64_t seed) {
  if (pattern < 0 || pattern >= kPatternCount) throw std::out_of_range("reveal pattern");
  Transition t = Cut(width, height);
  t.kind_ = Kind::kReveal;
  t.pattern_ = pattern;
  const size_t w = static_cast<size_t>(std::max(width, 0)), h = static_cast<size_t>(std::max(height, 0));
  switch (Patterns()[static_cast<size_t>(pattern)].ranks) {
    case RankShape::kNone:
      break;
    case RankShape::kPixels:
      ShuffledRanks(t.ranks_, w * h, seed);
      break;
    case RankShape::kRows:
      ShuffledRanks(t.ranks_, h, seed);
      break;
    case RankShape::kColumns:
      ShuffledRanks(t.ranks_, w, seed);
      break;
  }
  return t;
}

void Transition::Render(const Frame& old_frame, const Frame& new_frame, Frame& out, double p) const {
  if (!old_frame.SameSize(new_frame) || !old_frame.SameSize(out) || out.width != width_ ||
      out.height != height_)
    throw std::invalid_argument("Transition::Render: frame sizes differ");
  if (out.Empty()) return;
  if (!(p > 0)) {  // also NaN
    std::memcpy(out.pixels.data(), old_frame.pixels.data(), out.Bytes());
    return;
  }
  if (p >= 1 || kind_ == Kind::kCut) {
    std::memcpy(out.pixels.data(), (p >= 1 ? new_frame : old_frame).pixels.data(), out.Bytes());
    return;
  }
  const int w = width_, h = height_;
  if (kind_ == Kind::kFade) {
    const unsigned weight = static_cast<unsigned>(std::lround(p * 256));
    for (int y = 0; y < h; ++y) BlendRow(old_frame.Row(y), new_frame.Row(y), out.Row(y), w, weight);
    return;
  }
  const Pattern& pattern = Patterns()[static_cast<size_t>(pattern_)];
  PatternFrame frame{w, h, p, static_cast<uint16_t>(std::lround(p * kRankLevels)), ranks_.data()};
  if (!pattern.spans) {
    // Pixel ranks run along the rows; column ranks are the same for every row.
    const bool per_pixel = pattern.ranks == RankShape::kPixels;
    for (int y = 0; y < h; ++y) {
      const uint16_t* rank = ranks_.data() + (per_pixel ? static_cast<size_t>(y) * static_cast<size_t>(w) : 0);
      SelectRow(old_frame.Row(y), new_frame.Row(y), out.Row(y), rank, w, frame.threshold);
    }
    return;
  }
  Span spans[kMaxSpans];
  for (int y = 0; y < h; ++y) {
    const uint32_t* a = old_frame.Row(y);
    const uint32_t* b = new_frame.Row(y);
    uint32_t* o = out.Row(y);
    const int n = pattern.spans(frame, y, spans);
    int x = 0;
    for (int i = 0; i < n; ++i) {
      if (spans[i].x0 > x) std::memcpy(o + x, a + x, static_cast<size_t>(spans[i].x0 - x) * 4);
      std::memcpy(o + spans[i].x0, b + spans[i].x0, static_cast<size_t>(spans[i].x1 - spans[i].x0) * 4);
      x = spans[i].x1;
    }
    if (x < w) std::memcpy(o + x, a + x, static_cast<size_t>(w - x) * 4);
  }
}

}  // namespace brelinde::browser
