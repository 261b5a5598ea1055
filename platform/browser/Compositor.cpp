#include "platform/browser/Compositor.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/browser/ViewRandom.h"

namespace brelinde::browser {

namespace {

// Frames above this size are written with streamed stores: with the old and the new frame beside
// it, they fill a last-level cache of some tens of megabytes, so the output would not stay there
// for its reader anyway.
constexpr size_t kStreamAbove = size_t{4} << 20;

#if defined(__SSE2__)
constexpr bool kCanStream = true;

__m128i Load4(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// How many pixels of a row at out come before its first 16-byte boundary (at most n).
int HeadBeforeBoundary(const uint32_t* out, int n) {
  return std::min(n, static_cast<int>((16 - reinterpret_cast<uintptr_t>(out) % 16) % 16 / 4));
}

// BlendRow's arithmetic for one pixel, for the ends of a streamed row.
uint32_t BlendPixel(uint32_t a, uint32_t b, uint16_t wa, uint16_t wb) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint16_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    out |= uint32_t{static_cast<uint16_t>(static_cast<uint16_t>(ca * wa + cb * wb + 128) >> 8)} << shift;
  }
  return out;
}

// Writes out[0, n): pixels before the first 16-byte boundary and after the last one one by one
// with pixel(x), the four-pixel chunks between with chunk(x), streamed. Chunks come in order of
// x, so that each output line fills completely before the next.
template <class Chunk, class Pixel>
void StreamRow(uint32_t* out, int n, Chunk chunk, Pixel pixel) {
  const int head = HeadBeforeBoundary(out, n);
  int x = 0;
  for (; x < head; ++x) out[x] = pixel(x);
  for (; x + 4 <= n; x += 4) _mm_stream_si128(reinterpret_cast<__m128i*>(out + x), chunk(x));
  for (; x < n; ++x) out[x] = pixel(x);
}

// Streams a row that comes in pieces [x0, x1) from one source or another, in order of x and
// together covering the row. Chunks inside a piece go straight from the source; a chunk across
// the edge of pieces is put together from them first.
class SpanWriter {
 public:
  SpanWriter(uint32_t* out, int n)
      : out_(out),
        head_(HeadBeforeBoundary(out, n)),
        body_end_(head_ + (n - head_) / 4 * 4) {}

  void Put(const uint32_t* src, int x0, int x1) {
    // The pixels before the first 16-byte boundary and after the last one, one by one.
    for (int x = x0; x < std::min(x1, head_); ++x) out_[x] = src[x];
    for (int x = std::max(x0, body_end_); x < x1; ++x) out_[x] = src[x];
    const int lo = std::max(x0, head_), hi = std::min(x1, body_end_);
    if (lo >= hi) return;
    int c = head_ + (lo - head_) / 4 * 4;  // the chunk lo falls in
    if (lo > c) {
      // The chunk began in an earlier piece: this piece takes over from lane lo - c on.
      const __m128i mine = _mm_cmpgt_epi32(_mm_setr_epi32(0, 1, 2, 3), _mm_set1_epi32(lo - c - 1));
      pending_ = _mm_or_si128(_mm_and_si128(mine, Load4(src + c)), _mm_andnot_si128(mine, pending_));
      if (hi < c + 4) return;
      Stream(c, pending_);
      c += 4;
    }
    for (; c + 4 <= hi; c += 4) Stream(c, Load4(src + c));
    if (c < hi) pending_ = Load4(src + c);  // the pieces that follow fill in the rest
  }

 private:
  void Stream(int x, __m128i v) { _mm_stream_si128(reinterpret_cast<__m128i*>(out_ + x), v); }

  uint32_t* out_;
  int head_, body_end_;
  __m128i pending_ = _mm_setzero_si128();
};
#else
constexpr bool kCanStream = false;
#endif

}  // namespace

void FinishStreamedRows() {
#if defined(__SSE2__)
  _mm_sfence();
#endif
}

void BlendRow(const uint32_t* old_row, const uint32_t* new_row, uint32_t* out, int n, unsigned weight,
              Stores stores) {
  const uint16_t wb = static_cast<uint16_t>(weight), wa = static_cast<uint16_t>(256 - weight);
#if defined(__SSE2__)
  if (stores == Stores::kStreamed) {
    // The same 16-bit arithmetic as below, eight channels at a time.
    const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi16(128);
    const __m128i va = _mm_set1_epi16(static_cast<short>(wa)), vb = _mm_set1_epi16(static_cast<short>(wb));
    const auto blend = [&](__m128i a, __m128i b) {
      const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(a, va), _mm_mullo_epi16(b, vb)), half);
      return _mm_srli_epi16(sum, 8);
    };
    StreamRow(
        out, n,
        [&](int x) {
          const __m128i a = Load4(old_row + x), b = Load4(new_row + x);
          return _mm_packus_epi16(blend(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)),
                                  blend(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)));
        },
        [&](int x) { return BlendPixel(old_row[x], new_row[x], wa, wb); });
    return;
  }
#else
  (void)stores;
#endif
  // Byte-wise in 16-bit arithmetic, so that the vectoriser packs 8 or 16 channels per step;
  // 255 * 256 + 128 still fits.
  const auto* a = reinterpret_cast<const uint8_t*>(old_row);
  const auto* b = reinterpret_cast<const uint8_t*>(new_row);
  auto* o = reinterpret_cast<uint8_t*>(out);
  const size_t bytes = static_cast<size_t>(n) * 4;
  for (size_t i = 0; i < bytes; ++i)
    o[i] = static_cast<uint8_t>(static_cast<uint16_t>(a[i] * wa + b[i] * wb + 128) >> 8);
}

void SelectRow(const uint32_t* old_row, const uint32_t* new_row, uint32_t* out, const uint16_t* rank,
               int n, uint16_t threshold, Stores stores) {
#if defined(__SSE2__)
  if (stores == Stores::kStreamed) {
    // rank <= threshold where the saturating rank - threshold is 0; SSE2 has no unsigned compare.
    const __m128i limit = _mm_set1_epi16(static_cast<short>(threshold)), zero = _mm_setzero_si128();
    StreamRow(
        out, n,
        [&](int x) {
          const __m128i r = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(rank + x));
          const __m128i shown16 = _mm_cmpeq_epi16(_mm_subs_epu16(r, limit), zero);
          const __m128i shown = _mm_unpacklo_epi16(shown16, shown16);
          return _mm_or_si128(_mm_and_si128(shown, Load4(new_row + x)), _mm_andnot_si128(shown, Load4(old_row + x)));
        },
        [&](int x) { return rank[x] <= threshold ? new_row[x] : old_row[x]; });
    return;
  }
#else
  (void)stores;
#endif
  for (int x = 0; x < n; ++x) {
    const uint32_t m = 0u - static_cast<uint32_t>(rank[x] <= threshold);
    out[x] = (new_row[x] & m) | (old_row[x] & ~m);
  }
}

void ComposeRow(const uint32_t* old_row, const uint32_t* new_row, uint32_t* out, int n, const Span* spans,
                int count, Stores stores) {
#if defined(__SSE2__)
  if (stores == Stores::kStreamed) {
    SpanWriter writer(out, n);
    int x = 0;
    for (int i = 0; i < count; ++i) {
      writer.Put(old_row, x, spans[i].x0);
      writer.Put(new_row, spans[i].x0, spans[i].x1);
      x = spans[i].x1;
    }
    writer.Put(old_row, x, n);
    return;
  }
#else
  (void)stores;
#endif
  int x = 0;
  for (int i = 0; i < count; ++i) {
    if (spans[i].x0 > x) std::memcpy(out + x, old_row + x, static_cast<size_t>(spans[i].x0 - x) * 4);
    std::memcpy(out + spans[i].x0, new_row + spans[i].x0, static_cast<size_t>(spans[i].x1 - spans[i].x0) * 4);
    x = spans[i].x1;
  }
  if (x < n) std::memcpy(out + x, old_row + x, static_cast<size_t>(n - x) * 4);
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
  const Stores stores = kCanStream && out.Bytes() > kStreamAbove ? Stores::kStreamed : Stores::kCached;
  if (kind_ == Kind::kFade) {
    const unsigned weight = static_cast<unsigned>(std::lround(p * 256));
    for (int y = 0; y < h; ++y) BlendRow(old_frame.Row(y), new_frame.Row(y), out.Row(y), w, weight, stores);
  } else if (const Pattern& pattern = Patterns()[static_cast<size_t>(pattern_)]; !pattern.spans) {
    const uint16_t threshold = static_cast<uint16_t>(std::lround(p * kRankLevels));
    // Pixel ranks run along the rows; column ranks are the same for every row.
    const bool per_pixel = pattern.ranks == RankShape::kPixels;
    for (int y = 0; y < h; ++y) {
      const uint16_t* rank = ranks_.data() + (per_pixel ? static_cast<size_t>(y) * static_cast<size_t>(w) : 0);
      SelectRow(old_frame.Row(y), new_frame.Row(y), out.Row(y), rank, w, threshold, stores);
    }
  } else {
    PatternFrame frame{w, h, p, static_cast<uint16_t>(std::lround(p * kRankLevels)), ranks_.data()};
    Span spans[kMaxSpans];
    int n = 0;
    for (int y = 0, run_end = 0; y < h; ++y) {
      if (y == run_end) {
        n = pattern.spans(frame, y, spans);
        run_end = pattern.run ? pattern.run(frame, y) : y + 1;
      }
      ComposeRow(old_frame.Row(y), new_frame.Row(y), out.Row(y), w, spans, n, stores);
    }
  }
  if (stores == Stores::kStreamed) FinishStreamedRows();
}

}  // namespace brelinde::browser
