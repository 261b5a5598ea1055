// Encodes made-up pictures with libjpeg, for the tests and the fuzzer's seeds. libjpeg's default
// error handler ends the program with its message: for pictures we make ourselves that is a fault.
#pragma once

#include <jpeglib.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace brelinde::test_support {

// The encoder's choices; the defaults give a baseline JPEG with 4:2:0 chroma.
struct JpegOptions {
  int quality = 95;
  bool progressive = false, grey = false, restart = false, arithmetic = false, full_chroma = false,
       optimise = false;
};

// The JPEG file of a width x height picture of R, G, B bytes in rows stride bytes apart.
inline std::string EncodeJpeg(const uint8_t* rgb, int width, int height, size_t stride,
                              const JpegOptions& options = {}) {
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
  jpeg_set_quality(&c, options.quality, TRUE);
  if (options.grey) jpeg_set_colorspace(&c, JCS_GRAYSCALE);
  if (options.progressive) jpeg_simple_progression(&c);
  if (options.restart) c.restart_in_rows = 1;
  if (options.arithmetic) c.arith_code = TRUE;
  if (options.full_chroma) c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
  c.optimize_coding = options.optimise ? TRUE : FALSE;
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<size_t>(c.next_scanline) * stride);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

}  // namespace brelinde::test_support
