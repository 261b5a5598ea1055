// Writes the fuzzer's seed corpus: a few slides scaled down by the decoder, then encoded again
// by libjpeg in the variants a reader meets (baseline, progressive, grey, restart markers,
// arithmetic coding, 4:4:4, optimised tables), plus the info picture as it is carried.
// Usage: make_fuzz_seeds OUT_DIR
#include <cstdio>
#include <string>

#include "pictures/JpegDecode.h"
#include "pictures/Resources.h"
#include "platform/Files.h"
#include "tests/support/JpegEncode.h"

namespace {

using namespace brelinde;

struct Variant {
  const char* name;
  test_support::JpegOptions options;
};

constexpr int kQuality = 80;
constexpr Variant kVariants[] = {
    {"baseline", {.quality = kQuality}},
    {"progressive", {.quality = kQuality, .progressive = true}},
    {"grey", {.quality = kQuality, .grey = true}},
    {"restart", {.quality = kQuality, .restart = true}},
    {"arithmetic", {.quality = kQuality, .arithmetic = true}},
    {"444", {.quality = kQuality, .full_chroma = true, .optimise = true}},
    {"progressive-grey-restart",
     {.quality = kQuality, .progressive = true, .grey = true, .restart = true, .optimise = true}},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  WriteWholeFile(dir + "/info.jpg", ResourceBytes(kInfoPictureId));
  int count = 1;
  for (int n : {0, 2, 8, 19}) {  // landscape and portrait, the largest and the smallest file
    const DecodedImage small =
        DecodeJpeg(ResourceBytes(kFirstSlideId + n), PixelFormat::RGB24, 96, 72);
    for (const Variant& v : kVariants) {
      WriteWholeFile(dir + "/slide" + std::to_string(n) + "-" + v.name + ".jpg",
                     test_support::EncodeJpeg(small.pixels.data(), small.width, small.height,
                                              static_cast<size_t>(small.stride), v.options));
      ++count;
    }
  }
  std::printf("%d seeds in %s\n", count, dir.c_str());
  return 0;
}
