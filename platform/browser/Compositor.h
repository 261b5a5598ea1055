// Renders frame p of a transition from the old and the new page into an output frame. Plain
// C++: no toolkit, no clock, and no allocation per frame (everything a transition needs is made
// when it is prepared).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/browser/Frame.h"
#include "platform/browser/Patterns.h"

namespace brelinde::browser {

class Transition {
 public:
  enum class Kind { kCut, kFade, kReveal };

  // A cut: frame p < 1 shows the old page, p = 1 the new one.
  Transition() = default;
  static Transition Cut(int width, int height);
  static Transition Fade(int width, int height);
  // Reveal pattern 0 to 22 for frames of width x height; seed orders the random patterns.
  static Transition Reveal(int pattern, int width, int height, uint64_t seed);

  Kind kind() const { return kind_; }
  int pattern() const { return pattern_; }
  int width() const { return width_; }
  int height() const { return height_; }

  // Frame p (0 gives old exactly, 1 gives neu exactly). All three frames are width x height;
  // out may be neither old nor neu.
  void Render(const Frame& old_frame, const Frame& new_frame, Frame& out, double p) const;

 private:
  Kind kind_ = Kind::kCut;
  int pattern_ = -1;
  int width_ = 0, height_ = 0;
  std::vector<uint16_t> ranks_;
};

// The building blocks, open for the benchmark and the tests.

// How a row reaches memory. A frame larger than the cache would only push everything else out
// of it, and ordinary stores first read every output line they fill; streamed stores write
// whole lines past the cache. Both give the same pixels. After streamed rows, call
// FinishStreamedRows before anyone else reads the frame.
enum class Stores { kCached, kStreamed };
void FinishStreamedRows();

// out = old blended towards neu by weight/256 (weight 0 to 256), per channel.
void BlendRow(const uint32_t* old_row, const uint32_t* new_row, uint32_t* out, int n, unsigned weight,
              Stores stores = Stores::kCached);
// out[x] = rank[x] <= threshold ? neu[x] : old[x].
void SelectRow(const uint32_t* old_row, const uint32_t* new_row, uint32_t* out, const uint16_t* rank,
               int n, uint16_t threshold, Stores stores = Stores::kCached);
// out = old, but neu in the sorted, disjoint spans [x0, x1) (count of them) within [0, n).
void ComposeRow(const uint32_t* old_row, const uint32_t* new_row, uint32_t* out, int n, const Span* spans,
                int count, Stores stores = Stores::kCached);
// Ranks 1 to kRankLevels spread evenly over n items, in a random order.
void ShuffledRanks(std::vector<uint16_t>& ranks, size_t n, uint64_t seed);

}  // namespace brelinde::browser
