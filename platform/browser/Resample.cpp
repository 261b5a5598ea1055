#include "platform/browser/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brelinde::browser {
namespace {

// Weights in fixed point with 8 fraction bits: a weighted 8-bit channel then fits 16 bits, so
// both passes run on 16-bit lanes (two channels per 32-bit word in the first pass).
constexpr int kWeightBits = 8;
constexpr int kWeightOne = 1 << kWeightBits;

// For each output index, the source indices it reads and their weights (summing to one).
struct Taps {
  std::vector<int> first;   // per output: first source index
  std::vector<int> count;   // per output: number of taps
  std::vector<int> offset;  // per output: index into weights
  std::vector<int32_t> weights;
};

// Taps of outputs from to to (exclusive) of a scale from src to dst, indexed from 0.
Taps MakeTaps(int src, int dst, int from, int to) {
  Taps t;
  const size_t n = static_cast<size_t>(to - from);
  t.first.resize(n);
  t.count.resize(n);
  t.offset.resize(n);
  const double scale = static_cast<double>(src) / dst;
  std::vector<double> w;
  for (int i = from; i < to; ++i) {
    const size_t ii = static_cast<size_t>(i - from);
    w.clear();
    if (scale > 1.0) {
      // Shrinking: the output pixel is the mean of the source area it covers.
      const double a = i * scale, b = (i + 1) * scale;
      const int s0 = static_cast<int>(std::floor(a));
      const int s1 = std::min(src, static_cast<int>(std::ceil(b)));
      t.first[ii] = s0;
      for (int s = s0; s < s1; ++s) w.push_back((std::min<double>(b, s + 1) - std::max<double>(a, s)) / scale);
    } else {
      // Growing (or equal): bilinear between the two nearest source centres.
      const double centre = (i + 0.5) * scale - 0.5;
      int s0 = static_cast<int>(std::floor(centre));
      double frac = centre - s0;
      if (s0 < 0) s0 = 0, frac = 0;
      if (s0 >= src - 1) s0 = src - 1, frac = 0;
      t.first[ii] = s0;
      w.push_back(1 - frac);
      if (frac > 0) w.push_back(frac);
    }
    // Quantise so that the weights sum to exactly one: a flat picture stays flat.
    t.offset[ii] = static_cast<int>(t.weights.size());
    t.count[ii] = static_cast<int>(w.size());
    int32_t sum = 0;
    for (double v : w) {
      const int32_t q = static_cast<int32_t>(std::lround(v * kWeightOne));
      t.weights.push_back(q);
      sum += q;
    }
    auto largest = std::max_element(t.weights.begin() + t.offset[ii], t.weights.end());
    *largest += kWeightOne - sum;
  }
  return t;
}

}  // namespace

Frame Resample(const PixelView& source, int width, int height) {
  if (width <= 0 || height <= 0) throw std::invalid_argument("Resample: empty target");
  Frame result(width, height);
  ResampleInto(source, width, height, Rect{0, 0, width, height}, result, 0, 0);
  return result;
}

void ResampleInto(const PixelView& source, int scaled_width, int scaled_height, const Rect& part, Frame& dest,
                  int dest_x, int dest_y) {
  if (scaled_width <= 0 || scaled_height <= 0 || source.width <= 0 || source.height <= 0)
    throw std::invalid_argument("Resample: empty picture or target");
  const Rect r = Intersect(part, Rect{0, 0, scaled_width, scaled_height});
  if (r.Empty()) return;
  if (dest_x < 0 || dest_y < 0 || dest_x + r.width > dest.width || dest_y + r.height > dest.height)
    throw std::invalid_argument("Resample: part outside the destination");
  const int width = r.width, height = r.height;
  if (scaled_width == source.width && scaled_height == source.height) {
    for (int y = 0; y < height; ++y) {
      const uint8_t* in = source.pixels + static_cast<size_t>(y + r.y) * static_cast<size_t>(source.stride) +
                          static_cast<size_t>(r.x) * 4;
      uint32_t* out = dest.Row(dest_y + y) + dest_x;
      std::memcpy(out, in, static_cast<size_t>(width) * 4);
      for (int x = 0; x < width; ++x) out[x] |= kOpaque;
    }
    return;
  }
  const Taps tx = MakeTaps(source.width, scaled_width, r.x, r.Right());
  const Taps ty = MakeTaps(source.height, scaled_height, r.y, r.Bottom());

  // Which source rows the vertical pass reads: only those are scaled horizontally.
  std::vector<uint8_t> needed(static_cast<size_t>(source.height), 0);
  for (int y = 0; y < height; ++y)
    for (int k = 0; k < ty.count[static_cast<size_t>(y)]; ++k)
      needed[static_cast<size_t>(ty.first[static_cast<size_t>(y)] + k)] = 1;

  // Horizontal pass: width x source.height, 4 channels of 16 bits with 8 fraction bits.
  const size_t row_values = static_cast<size_t>(width) * 4;
  // The intermediate rows live on in a buffer of the calling thread: a fresh one per picture
  // would cost more in page faults than the scaling itself.
  thread_local std::vector<uint16_t> scratch;
  scratch.resize(std::max(scratch.size(), row_values * static_cast<size_t>(source.height)));
  uint16_t* const tmp_base = scratch.data();
  // Where every output reads two neighbours (growing), each output pixel is one blend of two
  // adjacent source pixels: one 16-bit multiply per channel, 8 channels per SSE2 step.
  const bool pairs = source.width >= 2 && std::all_of(tx.count.begin(), tx.count.end(), [](int c) { return c <= 2; });
  std::vector<int> pair_first;
  std::vector<uint16_t> pair_weights;  // per output: w0 x4, w1 x4
  if (pairs) {
    pair_first.resize(static_cast<size_t>(width));
    pair_weights.resize(static_cast<size_t>(width) * 8);
    for (int x = 0; x < width; ++x) {
      const size_t xi = static_cast<size_t>(x);
      int first = tx.first[xi];
      uint16_t w0 = static_cast<uint16_t>(tx.weights[static_cast<size_t>(tx.offset[xi])]);
      uint16_t w1 = tx.count[xi] == 2 ? static_cast<uint16_t>(tx.weights[static_cast<size_t>(tx.offset[xi]) + 1]) : 0;
      if (first + 1 >= source.width) {  // never read past the row's end
        first -= 1;
        w1 = w0;
        w0 = 0;
      }
      pair_first[xi] = first;
      for (int c = 0; c < 4; ++c) {
        pair_weights[xi * 8 + static_cast<size_t>(c)] = w0;
        pair_weights[xi * 8 + 4 + static_cast<size_t>(c)] = w1;
      }
    }
  }
  for (int y = 0; y < source.height; ++y) {
    if (!needed[static_cast<size_t>(y)]) continue;
    const uint8_t* in = source.pixels + static_cast<size_t>(y) * static_cast<size_t>(source.stride);
    uint16_t* out = tmp_base + row_values * static_cast<size_t>(y);
    if (pairs) {
      for (int x = 0; x < width; ++x) {
        const size_t xi = static_cast<size_t>(x);
        const uint8_t* p = in + static_cast<size_t>(pair_first[xi]) * 4;
        const uint16_t* w = pair_weights.data() + xi * 8;
#if defined(__SSE2__)
        const __m128i px = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
        const __m128i prod = _mm_mullo_epi16(px, _mm_loadu_si128(reinterpret_cast<const __m128i*>(w)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + xi * 4), _mm_add_epi16(prod, _mm_srli_si128(prod, 8)));
#else
        for (int c = 0; c < 4; ++c)
          out[xi * 4 + static_cast<size_t>(c)] = static_cast<uint16_t>(p[c] * w[c] + p[4 + c] * w[4 + c]);
#endif
      }
      continue;
    }
    for (int x = 0; x < width; ++x) {
      const size_t xi = static_cast<size_t>(x);
      const int32_t* w = tx.weights.data() + tx.offset[xi];
      const uint8_t* p = in + static_cast<size_t>(tx.first[xi]) * 4;
      uint32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
      for (int k = 0; k < tx.count[xi]; ++k, p += 4) {
        const uint32_t wk = static_cast<uint32_t>(w[k]);
        c0 += wk * p[0];
        c1 += wk * p[1];
        c2 += wk * p[2];
        c3 += wk * p[3];
      }
      out[xi * 4 + 0] = static_cast<uint16_t>(c0);
      out[xi * 4 + 1] = static_cast<uint16_t>(c1);
      out[xi * 4 + 2] = static_cast<uint16_t>(c2);
      out[xi * 4 + 3] = static_cast<uint16_t>(c3);
    }
  }

  // Vertical pass: each output row is a weighted sum of whole intermediate rows, in 16-bit lanes:
  // the high half of value * (weight << 8), i.e. value * weight / 256.
  std::vector<uint16_t> acc(row_values);
  for (int y = 0; y < height; ++y) {
    const size_t yi = static_cast<size_t>(y);
    const int32_t* w = ty.weights.data() + ty.offset[yi];
    auto* out = reinterpret_cast<uint8_t*>(dest.Row(dest_y + y) + dest_x);
    size_t i = 0;
#if defined(__SSE2__)
    if (ty.count[yi] == 2) {
      const uint16_t* r0 = tmp_base + row_values * static_cast<size_t>(ty.first[yi]);
      const uint16_t* r1 = r0 + row_values;
      const __m128i w0 = _mm_set1_epi16(static_cast<short>(std::min(w[0], 255) << 8));
      const __m128i w1 = _mm_set1_epi16(static_cast<short>(std::min(w[1], 255) << 8));
      const __m128i half = _mm_set1_epi16(128);
      for (; i + 16 <= row_values; i += 16) {
        const auto blend = [&](size_t at) {
          const __m128i a = _mm_mulhi_epu16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + at)), w0);
          const __m128i b = _mm_mulhi_epu16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + at)), w1);
          return _mm_srli_epi16(_mm_adds_epu16(_mm_add_epi16(a, b), half), 8);
        };
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(blend(i), blend(i + 8)));
      }
    }
#endif
    for (size_t j = i; j < row_values; ++j) acc[j] = 0;
    for (int k = 0; k < ty.count[yi]; ++k) {
      const uint16_t* row = tmp_base + row_values * static_cast<size_t>(ty.first[yi] + k);
      const uint32_t wk = static_cast<uint32_t>(w[k]);
      for (size_t j = i; j < row_values; ++j) acc[j] = static_cast<uint16_t>(acc[j] + ((row[j] * wk) >> 8));
    }
    for (size_t j = i; j < row_values; ++j) out[j] = static_cast<uint8_t>(std::min(255u, (acc[j] + 128u) >> 8));
  }
  // The fourth byte carries no colour: make every pixel opaque.
  for (int y = 0; y < height; ++y) {
    uint32_t* out = dest.Row(dest_y + y) + dest_x;
    for (int x = 0; x < width; ++x) out[x] |= kOpaque;
  }
}

}  // namespace brelinde::browser
