// Small pictures and page files made by the tests themselves.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace brelinde::browser::testing {

struct Rgb8 {
  uint8_t r, g, b;
};

// A baseline JPEG of width x height whose pixel (x, y) has colour(x, y).
inline std::string MakeJpeg(int width, int height, const std::function<Rgb8(int, int)>& colour,
                            int quality = 95) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
    for (int x = 0; x < width; ++x) {
      const Rgb8 p = colour(x, y);
      row[static_cast<size_t>(x) * 3 + 0] = p.r;
      row[static_cast<size_t>(x) * 3 + 1] = p.g;
      row[static_cast<size_t>(x) * 3 + 2] = p.b;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
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
