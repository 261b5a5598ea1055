// A picture of 32-bit pixels, 0xFFRRGGBB in memory order B, G, R, X: the layout the compositor,
// the resampler and the toolkit's RGB32 images share, so frames pass between them uncopied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brelinde::browser {

inline constexpr uint32_t kOpaque = 0xFF000000u;

inline constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return kOpaque | (uint32_t{r} << 16) | (uint32_t{g} << 8) | uint32_t{b};
}

struct Frame {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // rows of width pixels, no padding

  Frame() = default;
  Frame(int w, int h, uint32_t fill = kOpaque)
      : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill) {}

  bool Empty() const { return width <= 0 || height <= 0; }
  uint32_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
  const uint32_t* Row(int y) const {
    return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
  }
  uint32_t At(int x, int y) const { return Row(y)[x]; }
  size_t Bytes() const { return pixels.size() * sizeof(uint32_t); }
  bool SameSize(const Frame& o) const { return width == o.width && height == o.height; }
};

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool Empty() const { return width <= 0 || height <= 0; }
  bool operator==(const Rect&) const = default;
};

inline Rect Intersect(const Rect& a, const Rect& b) {
  const int x0 = a.x > b.x ? a.x : b.x;
  const int y0 = a.y > b.y ? a.y : b.y;
  const int x1 = a.Right() < b.Right() ? a.Right() : b.Right();
  const int y1 = a.Bottom() < b.Bottom() ? a.Bottom() : b.Bottom();
  if (x1 <= x0 || y1 <= y0) return Rect{x0, y0, 0, 0};
  return Rect{x0, y0, x1 - x0, y1 - y0};
}

}  // namespace brelinde::browser
