#include "pictures/JpegDecode.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared before it

#include <jerror.h>
#include <jpeglib.h>

#include "platform/Errors.h"

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo with its colour-space extensions (JCS_EXT_BGRX) is required"
#endif

namespace brelinde {
namespace {

// Bounds libjpeg's own buffers (whole-image coefficients of a progressive file, for one): a
// header that claims a huge picture fails with JERR_NO_BACKING_STORE instead of taking memory.
constexpr long kMaxLibjpegMemory = 256L << 20;
constexpr JDIMENSION kRowsPerRead = 16;

// libjpeg's default error manager prints and ends the process. Ours keeps the message code and
// jumps back to the setjmp in Decompressor::Guarded, from where it is raised as EJPEG.
struct ErrorTrap {
  jpeg_error_mgr mgr;  // first member: libjpeg hands &mgr back to the handlers
  std::jmp_buf jump;
  int code;
};

JpegMessageObserver g_observer = nullptr;

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  if (g_observer != nullptr) g_observer(cinfo->err->msg_code);
  auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
  trap->code = cinfo->err->msg_code;
  std::longjmp(trap->jump, 1);
}

// Level -1 is a warning: the data is corrupt or ends early, and libjpeg would go on with made-up
// data. Refused like an error. Trace messages (level >= 0) are dropped.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0) JumpBack(cinfo);
  if (g_observer != nullptr) g_observer(cinfo->err->msg_code);
}

void Silent(j_common_ptr) {}

[[noreturn]] void Raise(int code) {
  throw EJPEG(Format(msg::kJpegError, static_cast<long long>(code)));
}

// One decompression object, destroyed on every path (an error leaves it fit only for that).
class Decompressor {
 public:
  Decompressor() {
    cinfo_.err = jpeg_std_error(&trap_.mgr);
    trap_.mgr.error_exit = JumpBack;
    trap_.mgr.emit_message = OnMessage;
    trap_.mgr.output_message = Silent;
    auto create = [this] {
      jpeg_create_decompress(&cinfo_);
      cinfo_.mem->max_memory_to_use = kMaxLibjpegMemory;
    };
    if (!Guarded(create)) {
      jpeg_destroy_decompress(&cinfo_);
      Raise(trap_.code);
    }
  }
  ~Decompressor() { jpeg_destroy_decompress(&cinfo_); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  jpeg_decompress_struct& cinfo() { return cinfo_; }

  // Runs a step of libjpeg calls; a libjpeg error or warning inside it is raised as EJPEG.
  template <class Step>
  void Run(Step step) {
    if (!Guarded(step)) Raise(trap_.code);
  }

  void ReadHeader(std::span<const std::byte> data) {
    Run([&] {
      jpeg_mem_src(&cinfo_, reinterpret_cast<const unsigned char*>(data.data()), data.size());
      jpeg_read_header(&cinfo_, TRUE);
    });
  }

 private:
  // The frames between this setjmp and libjpeg's longjmp are libjpeg's and the step's, and a
  // step keeps nothing with a destructor, so the jump skips no C++ cleanup.
  template <class Step>
  bool Guarded(Step& step) {
    if (setjmp(trap_.jump) != 0) return false;
    step();
    return true;
  }

  ErrorTrap trap_{};
  jpeg_decompress_struct cinfo_{};
};

}  // namespace

void SetJpegMessageObserver(JpegMessageObserver observer) { g_observer = observer; }

JpegSize ReadJpegSize(std::span<const std::byte> data) {
  Decompressor d;
  d.ReadHeader(data);
  return {static_cast<int>(d.cinfo().image_width), static_cast<int>(d.cinfo().image_height)};
}

int DctScaleEighths(int width, int height, int min_width, int min_height) {
  if (min_width <= 0 && min_height <= 0) return 8;
  // libjpeg rounds a scaled size up: ceil(size * n / 8).
  auto scaled = [](int size, int n) { return (static_cast<int64_t>(size) * n + 7) / 8; };
  for (int n = 1; n < 8; ++n) {
    if (scaled(width, n) >= min_width && scaled(height, n) >= min_height) return n;
  }
  return 8;
}

DecodedImage DecodeJpeg(std::span<const std::byte> data, PixelFormat format, int min_width,
                        int min_height) {
  Decompressor d;
  d.ReadHeader(data);
  jpeg_decompress_struct& c = d.cinfo();
  c.out_color_space = format == PixelFormat::RGB24 ? JCS_RGB : JCS_EXT_BGRX;
  c.scale_num = static_cast<unsigned>(DctScaleEighths(
      static_cast<int>(c.image_width), static_cast<int>(c.image_height), min_width, min_height));
  c.scale_denom = 8;
  d.Run([&] { jpeg_calc_output_dimensions(&c); });
  if (static_cast<int64_t>(c.output_width) * c.output_height > kMaxDecodedPixels) {
    Raise(JERR_IMAGE_TOO_BIG);
  }

  DecodedImage out;
  out.width = static_cast<int>(c.output_width);
  out.height = static_cast<int>(c.output_height);
  const int bytes_per_pixel = format == PixelFormat::RGB24 ? 3 : 4;
  out.stride = (out.width * bytes_per_pixel + 3) & ~3;
  const size_t stride = static_cast<size_t>(out.stride);
  // Reserved, then grown row by row: a file that ends early fails before the memory of rows it
  // never reaches is touched. Growing within the reserve never moves the buffer.
  out.pixels.reserve(stride * c.output_height);
  d.Run([&] {
    jpeg_start_decompress(&c);
    while (c.output_scanline < c.output_height) {
      const JDIMENSION first = c.output_scanline;
      const JDIMENSION count = std::min(kRowsPerRead, c.output_height - first);
      out.pixels.resize((first + count) * stride);
      JSAMPROW rows[kRowsPerRead];
      for (JDIMENSION i = 0; i < count; ++i) rows[i] = out.pixels.data() + (first + i) * stride;
      jpeg_read_scanlines(&c, rows, count);
    }
    jpeg_finish_decompress(&c);
  });
  return out;
}

}  // namespace brelinde
