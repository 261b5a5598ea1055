#include "platform/browser/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace brelinde::browser {
namespace {

// For each output index, the source indices it reads and their weights (summing to 1).
struct Taps {
  std::vector<int> first;    // per output: first source index
  std::vector<int> count;    // per output: number of taps
  std::vector<int> offset;   // per output: index into weights
  std::vector<float> weights;
};

Taps MakeTaps(int src, int dst) {
  Taps t;
  t.first.resize(static_cast<size_t>(dst));
  t.count.resize(static_cast<size_t>(dst));
  t.offset.resize(static_cast<size_t>(dst));
  const double scale = static_cast<double>(src) / dst;
  for (int i = 0; i < dst; ++i) {
    t.offset[static_cast<size_t>(i)] = static_cast<int>(t.weights.size());
    if (scale > 1.0) {
      // Shrinking: the output pixel is the mean of the source area it covers.
      const double a = i * scale, b = (i + 1) * scale;
      const int s0 = static_cast<int>(std::floor(a));
      const int s1 = std::min(src, static_cast<int>(std::ceil(b)));
      t.first[static_cast<size_t>(i)] = s0;
      t.count[static_cast<size_t>(i)] = s1 - s0;
      for (int s = s0; s < s1; ++s) {
        const double cover = std::min<double>(b, s + 1) - std::max<double>(a, s);
        t.weights.push_back(static_cast<float>(cover / scale));
      }
    } else {
      // Growing (or equal): bilinear between the two nearest source centres.
      const double centre = (i + 0.5) * scale - 0.5;
      int s0 = static_cast<int>(std::floor(centre));
      double frac = centre - s0;
      if (s0 < 0) {
        s0 = 0;
        frac = 0;
      }
      if (s0 >= src - 1) {
        s0 = src - 1;
        frac = 0;
      }
      t.first[static_cast<size_t>(i)] = s0;
      if (frac == 0) {
        t.count[static_cast<size_t>(i)] = 1;
        t.weights.push_back(1.0f);
      } else {
        t.count[static_cast<size_t>(i)] = 2;
        t.weights.push_back(static_cast<float>(1 - frac));
        t.weights.push_back(static_cast<float>(frac));
      }
    }
  }
  return t;
}

}  // namespace

Frame Resample(const PixelView& source, int width, int height) {
  if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0)
    throw std::invalid_argument("Resample: empty picture or target");
  if (width == source.width && height == source.height) {
    Frame same(width, height);
    for (int y = 0; y < height; ++y) {
      const uint8_t* in = source.pixels + static_cast<size_t>(y) * static_cast<size_t>(source.stride);
      uint32_t* out = same.Row(y);
      std::memcpy(out, in, static_cast<size_t>(width) * 4);
      for (int x = 0; x < width; ++x) out[x] |= kOpaque;
    }
    return same;
  }
  const Taps tx = MakeTaps(source.width, width);
  const Taps ty = MakeTaps(source.height, height);

  // Horizontal pass over every source row: width x source.height, 3 channels as floats.
  const size_t row_floats = static_cast<size_t>(width) * 3;
  std::vector<float> tmp(row_floats * static_cast<size_t>(source.height));
  for (int y = 0; y < source.height; ++y) {
    const uint8_t* in = source.pixels + static_cast<size_t>(y) * static_cast<size_t>(source.stride);
    float* out = tmp.data() + row_floats * static_cast<size_t>(y);
    for (int x = 0; x < width; ++x) {
      const size_t xi = static_cast<size_t>(x);
      const float* w = tx.weights.data() + tx.offset[xi];
      const uint8_t* p = in + static_cast<size_t>(tx.first[xi]) * 4;
      float b = 0, g = 0, r = 0;
      for (int k = 0; k < tx.count[xi]; ++k, p += 4) {
        b += w[k] * p[0];
        g += w[k] * p[1];
        r += w[k] * p[2];
      }
      out[xi * 3 + 0] = b;
      out[xi * 3 + 1] = g;
      out[xi * 3 + 2] = r;
    }
  }

  // Vertical pass: each output row is a weighted sum of whole intermediate rows.
  Frame result(width, height);
  std::vector<float> acc(row_floats);
  for (int y = 0; y < height; ++y) {
    const size_t yi = static_cast<size_t>(y);
    std::fill(acc.begin(), acc.end(), 0.0f);
    const float* w = ty.weights.data() + ty.offset[yi];
    for (int k = 0; k < ty.count[yi]; ++k) {
      const float* row = tmp.data() + row_floats * static_cast<size_t>(ty.first[yi] + k);
      const float wk = w[k];
      for (size_t i = 0; i < row_floats; ++i) acc[i] += wk * row[i];
    }
    uint32_t* out = result.Row(y);
    for (int x = 0; x < width; ++x) {
      const size_t xi = static_cast<size_t>(x) * 3;
      const auto channel = [](float v) {
        return static_cast<uint32_t>(std::clamp(v + 0.5f, 0.0f, 255.0f));
      };
      out[x] = kOpaque | channel(acc[xi + 2]) << 16 | channel(acc[xi + 1]) << 8 | channel(acc[xi]);
    }
  }
  return result;
}

}  // namespace brelinde::browser
