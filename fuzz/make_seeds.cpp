// Writes the fuzzer's seed corpus: a few slides scaled down by the decoder, then encoded again
// by libjpeg in the variants a reader meets (baseline, progressive, grey, restart markers,
// arithmetic coding, 4:4:4, optimised tables), plus the info picture as it is carried.
// Usage: make_fuzz_seeds OUT_DIR
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "pictures/JpegDecode.h"
#include "pictures/Resources.h"
#include "platform/Files.h"

namespace {

using namespace brelinde;

struct Variant {
  const char* name;
  bool progressive, grey, restart, arithmetic, full_chroma, optimise;
};

constexpr Variant kVariants[] = {
    {"baseline", false, false, false, false, false, false},
    {"progressive", true, false, false, false, false, false},
    {"grey", false, true, false, false, false, false},
    {"restart", false, false, true, false, false, false},
    {"arithmetic", false, false, false, true, false, false},
    {"444", false, false, false, false, true, true},
    {"progressive-grey-restart", true, true, true, false, false, true},
};

// libjpeg's default error handler ends this tool with its message, which is what a tool wants.
std::vector<unsigned char> Encode(const DecodedImage& rgb, const Variant& v) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long out_size = 0;
  jpeg_mem_dest(&c, &out, &out_size);
  c.image_width = static_cast<JDIMENSION>(rgb.width);
  c.image_height = static_cast<JDIMENSION>(rgb.height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 80, TRUE);
  if (v.grey) jpeg_set_colorspace(&c, JCS_GRAYSCALE);
  if (v.progressive) jpeg_simple_progression(&c);
  if (v.restart) c.restart_in_rows = 1;
  if (v.arithmetic) c.arith_code = TRUE;
  if (v.full_chroma) c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
  c.optimize_coding = v.optimise ? TRUE : FALSE;
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row =
        const_cast<JSAMPROW>(rgb.pixels.data() + static_cast<size_t>(c.next_scanline) * rgb.stride);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<unsigned char> bytes(out, out + out_size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

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
      const auto bytes = Encode(small, v);
      WriteWholeFile(dir + "/slide" + std::to_string(n) + "-" + v.name + ".jpg",
                     std::as_bytes(std::span(bytes.data(), bytes.size())));
      ++count;
    }
  }
  std::printf("%d seeds in %s\n", count, dir.c_str());
  return 0;
}
