// The view's own generator for its random choices (pattern 23, dissolve and bar orders). The
// process-wide generator is not touched: its sequence of draws belongs to the show.
#pragma once

#include <cstdint>

namespace brelinde::browser {

class ViewRandom {
 public:
  explicit ViewRandom(uint64_t seed) : state_(seed) {}

  // splitmix64
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // An integer from 0 to n - 1 (n > 0).
  uint32_t Below(uint32_t n) {
    return static_cast<uint32_t>(((Next() >> 32) * n) >> 32);
  }

 private:
  uint64_t state_;
};

}  // namespace brelinde::browser
