// Small pictures and page files made by the tests themselves.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/JpegEncode.h"

namespace brelinde::browser::testing {

struct Rgb8 {
  uint8_t r, g, b;
};

// A baseline JPEG of width x height whose pixel (x, y) has colour(x, y).
inline std::string MakeJpeg(int width, int height, const std::function<Rgb8(int, int)>& colour,
                            int quality = 95) {
  const size_t stride = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> rgb(stride * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb8 p = colour(x, y);
      uint8_t* at = rgb.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
      at[0] = p.r;
      at[1] = p.g;
      at[2] = p.b;
    }
  }
  return test_support::EncodeJpeg(rgb.data(), width, height, stride, {.quality = quality});
}

inline std::string MakeSolidJpeg(int width, int height, Rgb8 colour) {
  return MakeJpeg(width, height, [colour](int, int) { return colour; });
}

// Near equality of two colours, for pictures that went through JPEG.
inline bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

}  // namespace brelinde::browser::testing
