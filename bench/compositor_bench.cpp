// One compositor frame of each of the 25 transitions at 1920 x 1080 and 3840 x 2160, beside a plain
// memcpy of one frame (the physical floor: every transition writes a whole frame), and the page
// work behind a change of slide: decode and scale a 1024 x 768 slide to a 1920 x 1080 screen.
// Each transition's counter x_memcpy is its frame time over the memcpy's at the same size.
// Frames are not left in the cache between iterations (each iteration takes the next of enough
// frame sets to exceed the last-level cache), for the copy and the transitions alike: in the
// running program the compositor's inputs are never cache-hot, as a whole frame is copied to the
// window's backing store and on to the display between two frames.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "platform/browser/Compositor.h"
#include "platform/browser/PageRender.h"
#include "platform/browser/Resample.h"
#include "show/SlidePages.h"
#include "show/TransitionCatalogue.h"

namespace brelinde::browser {
namespace {

using Clock = std::chrono::steady_clock;

Frame Filled(int w, int h, uint32_t seed) {
  Frame f(w, h);
  for (size_t i = 0; i < f.pixels.size(); ++i) f.pixels[i] = kOpaque | static_cast<uint32_t>(i * 2654435761u + seed);
  return f;
}

constexpr size_t kBeyondCache = size_t{128} << 20;

// How many sets of `frames` frames of w x h it takes to exceed the cache.
size_t SetsBeyondCache(int w, int h, int frames) {
  const size_t set = static_cast<size_t>(w) * static_cast<size_t>(h) * 4 * static_cast<size_t>(frames);
  return std::max<size_t>(2, (kBeyondCache + set - 1) / set);
}

struct CopySets {
  std::vector<Frame> from, to;
  CopySets(int w, int h) {
    for (size_t i = 0; i < SetsBeyondCache(w, h, 2); ++i) {
      from.push_back(Filled(w, h, static_cast<uint32_t>(i)));
      to.emplace_back(w, h);
    }
  }
};

// The median time of one frame copy at this size, measured once per size and kept for the ratios.
double MemcpySeconds(int w, int h) {
  static std::vector<std::pair<int, double>> known;
  for (const auto& [key, s] : known)
    if (key == w * 100000 + h) return s;
  CopySets sets(w, h);
  std::vector<double> times;
  for (size_t i = 0; i < 61; ++i) {
    const size_t k = i % sets.from.size();
    const auto t0 = Clock::now();
    std::memcpy(sets.to[k].pixels.data(), sets.from[k].pixels.data(), sets.from[k].Bytes());
    benchmark::ClobberMemory();
    times.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
  }
  std::nth_element(times.begin(), times.begin() + 30, times.end());
  known.emplace_back(w * 100000 + h, times[30]);
  return times[30];
}

void BM_Memcpy(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  CopySets sets(w, h);
  size_t k = 0;
  for (auto _ : state) {
    std::memcpy(sets.to[k].pixels.data(), sets.from[k].pixels.data(), sets.from[k].Bytes());
    benchmark::ClobberMemory();
    k = (k + 1) % sets.from.size();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sets.from[0].Bytes()));
}

// effect: 0 to 22 reveal patterns, 23 fade, 24 random (a pattern picked per transition).
void BM_Transition(benchmark::State& state) {
  const int effect = static_cast<int>(state.range(0));
  const int w = static_cast<int>(state.range(1)), h = static_cast<int>(state.range(2));
  std::vector<Frame> olds, news, outs;
  for (size_t i = 0; i < SetsBeyondCache(w, h, 3); ++i) {
    olds.push_back(Filled(w, h, static_cast<uint32_t>(2 * i)));
    news.push_back(Filled(w, h, static_cast<uint32_t>(2 * i + 1)));
    outs.emplace_back(w, h);
  }
  std::vector<Transition> transitions;
  if (effect == kEffectFade) {
    transitions.push_back(Transition::Fade(w, h));
  } else if (effect == kEffectRandom) {
    for (int pattern = 0; pattern < kPatternCount; ++pattern)
      transitions.push_back(Transition::Reveal(pattern, w, h, 7));
  } else {
    transitions.push_back(Transition::Reveal(effect, w, h, 7));
  }
  const double reference = MemcpySeconds(w, h);
  // Progress walks through the whole transition, as a show plays it.
  int64_t frame = 0;
  const auto t0 = Clock::now();
  for (auto _ : state) {
    const double p = (static_cast<double>(frame % 90) + 0.5) / 90.0;
    const size_t k = static_cast<size_t>(frame) % olds.size();
    transitions[static_cast<size_t>(frame) % transitions.size()].Render(olds[k], news[k], outs[k], p);
    benchmark::ClobberMemory();
    ++frame;
  }
  const double per_frame = std::chrono::duration<double>(Clock::now() - t0).count() / static_cast<double>(frame);
  state.counters["x_memcpy"] = per_frame / reference;
  state.SetLabel(std::string(kTransitionNames[static_cast<size_t>(effect)]));
}

void TransitionArgs(benchmark::internal::Benchmark* b) {
  for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}})
    for (int effect = 0; effect < static_cast<int>(kTransitionNames.size()); ++effect) b->Args({effect, w, h});
}

// Decode and scale a 1024 x 768 slide for a 1920 x 1080 screen, as the page view's worker does
// it: read the file, measure, DCT-scaled decode, resample to 1440 x 1080, paint the page.
void BM_SlideForScreen(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const std::string picture = BRELINDE_SOURCE_DIR "/pictures/slides/slide00.jpg";
  RenderJob job;
  job.page = ParsePage(BuildSlidePage(TransitionMeta(kEffectFade), w, h, picture, FitAttribute(w, h, 1024, 768)));
  job.geometry = {w + 20, h + 20, Rect{2, 2, w, h}};
  job.transition = {Transition::Kind::kFade, 0, 0, 3};
  for (auto _ : state) {
    RenderResult r = RunRenderJob(job);
    if (!r.warning.empty()) state.SkipWithError(r.warning.c_str());
    benchmark::DoNotOptimize(r.frame.pixels.data());
  }
}

void BM_Resample(benchmark::State& state) {
  const Frame source = Filled(1024, 768, 3);
  for (auto _ : state) {
    Frame out = Resample(ViewOf(source), static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    benchmark::DoNotOptimize(out.pixels.data());
  }
}

BENCHMARK(BM_Memcpy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Transition)->Apply(TransitionArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SlideForScreen)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample)->Args({1440, 1080})->Args({149, 112})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brelinde::browser

BENCHMARK_MAIN();
