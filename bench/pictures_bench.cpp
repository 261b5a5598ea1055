// The picture store's costs: what a show tick pays per slide (copy and header parse), and what
// the page view pays to decode one, at full scale and DCT-scaled.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <string>

#include "pictures/JpegDecode.h"
#include "pictures/JpegImage.h"
#include "pictures/Resources.h"

namespace brelinde {
namespace {

constexpr int kSlide = kFirstSlideId;  // slide 0: 1024 x 768, the largest file

void BM_ReadHeader(benchmark::State& state) {
  const auto bytes = ResourceBytes(kSlide);
  for (auto _ : state) benchmark::DoNotOptimize(ReadJpegSize(bytes));
}
BENCHMARK(BM_ReadHeader)->Unit(benchmark::kMicrosecond);

// The show's tick: copy out of the catalogue, parse the header, write the picture file.
void BM_LoadAndSaveSlide(benchmark::State& state) {
  const std::string path = "/tmp/brelinde-bench-" + std::to_string(getpid()) + ".jpg";
  TJPEGImage image;
  for (auto _ : state) {
    image.LoadFromResource(kSlide);
    image.SaveToFile(path);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_LoadAndSaveSlide)->Unit(benchmark::kMicrosecond);

void BM_Decode(benchmark::State& state, PixelFormat format, int min_width, int min_height) {
  const auto bytes = ResourceBytes(kSlide);
  DecodedImage out;
  for (auto _ : state) {
    out = DecodeJpeg(bytes, format, min_width, min_height);
    benchmark::DoNotOptimize(out.pixels.data());
  }
  state.counters["width"] = out.width;
  state.counters["height"] = out.height;
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK_CAPTURE(BM_Decode, full_rgb24, PixelFormat::RGB24, 0, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, full_bgrx32, PixelFormat::BGRX32, 0, 0)->Unit(benchmark::kMillisecond);
// The smallest DCT scale that covers a 1920 x 1080 screen: full scale for a 1024 x 768 slide.
BENCHMARK_CAPTURE(BM_Decode, min_1920x1080_bgrx32, PixelFormat::BGRX32, 1920, 1080)
    ->Unit(benchmark::kMillisecond);
// ... and a 480 x 360 preview window: 1/2.
BENCHMARK_CAPTURE(BM_Decode, min_480x360_bgrx32, PixelFormat::BGRX32, 480, 360)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brelinde

BENCHMARK_MAIN();
