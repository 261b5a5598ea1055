// Scaling a decoded picture to the size it is shown at: area averaging where it shrinks,
// bilinear where it grows, each axis on its own.
#pragma once

#include <cstdint>

#include "platform/browser/Frame.h"

namespace brelinde::browser {

// A picture of 32-bit B, G, R, X pixels in rows stride bytes apart.
struct PixelView {
  const uint8_t* pixels = nullptr;
  int width = 0, height = 0;
  int stride = 0;
};

// The picture scaled to width x height (both > 0), opaque.
Frame Resample(const PixelView& source, int width, int height);

// Only the part (in scaled coordinates) of the picture scaled to scaled_width x scaled_height,
// written into dest at dest_x, dest_y: a large picture of which little shows costs little.
void ResampleInto(const PixelView& source, int scaled_width, int scaled_height, const Rect& part, Frame& dest,
                  int dest_x, int dest_y);

inline PixelView ViewOf(const Frame& f) {
  return {reinterpret_cast<const uint8_t*>(f.pixels.data()), f.width, f.height, f.width * 4};
}

}  // namespace brelinde::browser
