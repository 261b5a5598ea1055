// libjpeg-turbo behind two calls: the header's size, and decoding to pixels with DCT scaling.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace brelinde {

// RGB24: bytes R,G,B per pixel (the dialog's 24-bit colour).
// BGRX32: bytes B,G,R,0xFF per pixel, a little-endian 0xFFRRGGBB uint32 (QImage::Format_RGB32).
enum class PixelFormat { RGB24, BGRX32 };

struct DecodedImage {
  int width = 0, height = 0;
  int stride = 0;  // bytes from one row to the next, a multiple of 4
  std::vector<uint8_t> pixels;
};

struct JpegSize {
  int width = 0, height = 0;
};

// Every failure of libjpeg, warnings included, is raised as EJPEG "JPEG-Fehler #<code>" with
// libjpeg's message code (J_MESSAGE_CODE in jerror.h). Warnings count as errors because each one
// means the data is corrupt or cut short and the picture libjpeg would make of it is not the one
// that was stored; a truncated file therefore fails to decode instead of showing grey rows.

// The frame header's width and height. Reads the markers up to the first scan, decodes nothing:
// a file cut inside its entropy-coded data still measures.
JpegSize ReadJpegSize(std::span<const std::byte> data);

// The n of the DCT scale n/8 that DecodeJpeg uses: the smallest n from 1 to 8 whose output is at
// least min_width x min_height (a bound <= 0 constrains nothing; both <= 0 is full scale). When
// even full scale is smaller, full scale: enlarging is left to whoever draws the picture.
int DctScaleEighths(int width, int height, int min_width, int min_height);

// The whole picture decoded to format at the scale above. Output larger than kMaxDecodedPixels is
// refused with JERR_IMAGE_TOO_BIG before any pixel memory is taken.
inline constexpr int64_t kMaxDecodedPixels = int64_t{1} << 26;
DecodedImage DecodeJpeg(std::span<const std::byte> data, PixelFormat format, int min_width = 0,
                        int min_height = 0);

// Receives the code of every message libjpeg reports while reading, traces included (one per
// marker and table it parses). The system itself sets none; the fuzzer uses it to see which
// paths of the uninstrumented library an input reached. Set it before any decoding starts.
using JpegMessageObserver = void (*)(int code);
void SetJpegMessageObserver(JpegMessageObserver observer);

}  // namespace brelinde
