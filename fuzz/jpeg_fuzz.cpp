// Header parse and decode of arbitrary bytes. A picture or EJPEG are the only allowed outcomes;
// a crash, a sanitizer report, a leak, another exception or a wrongly shaped picture is a fault.
#include <cstddef>
#include <cstdint>
#include <span>

#include "pictures/JpegDecode.h"
#include "pictures/JpegImage.h"
#include "platform/Errors.h"

namespace {

using namespace brelinde;

// libjpeg's messages (one per marker and table it parses, and every warning and error) stand in
// for the coverage of the uninstrumented library.
constexpr size_t kCounters = 512;
__attribute__((used, section("__libfuzzer_extra_counters"))) uint8_t g_messages[kCounters];

void CountMessage(int code) {
  uint8_t& counter = g_messages[static_cast<size_t>(code) % kCounters];
  if (counter < 255) ++counter;
}

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

int Scaled(int size, int eighths) { return static_cast<int>((int64_t{size} * eighths + 7) / 8); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetJpegMessageObserver(CountMessage);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  TJPEGImage image;
  try {
    image.LoadFromBytes(bytes);
  } catch (const EJPEG&) {
    Check(image.Empty() && image.Width() == 0);
    return 0;
  }
  Check(image.Width() > 0 && image.Height() > 0 && image.Data().size() == size);

  // As the page view asks: full scale, or a window of 1/divisor of the picture, either format.
  const int divisor = static_cast<int>(size % 5);
  const int min_width = divisor == 0 ? 0 : image.Width() / divisor;
  const int min_height = divisor == 0 ? 0 : image.Height() / divisor;
  const PixelFormat format = (size / 5) % 2 == 0 ? PixelFormat::RGB24 : PixelFormat::BGRX32;
  DecodedImage out;
  try {
    out = DecodeJpeg(image.Data(), format, min_width, min_height);
  } catch (const EJPEG&) {
    return 0;
  }
  const int eighths = DctScaleEighths(image.Width(), image.Height(), min_width, min_height);
  Check(out.width == Scaled(image.Width(), eighths) &&
        out.height == Scaled(image.Height(), eighths));
  const int bytes_per_pixel = format == PixelFormat::RGB24 ? 3 : 4;
  Check(out.stride % 4 == 0 && out.stride >= out.width * bytes_per_pixel);
  Check(out.pixels.size() == static_cast<size_t>(out.stride) * out.height);
  if (format == PixelFormat::BGRX32) {
    for (int y = 0; y < out.height; ++y) {
      const uint8_t* row = out.pixels.data() + static_cast<size_t>(y) * out.stride;
      for (int x = 0; x < out.width; ++x) Check(row[x * 4 + 3] == 0xFF);
    }
  }
  return 0;
}
