#include "platform/Random.h"

#include <time.h>

namespace brelinde {
namespace {
uint32_t g_seed = 0;
bool g_frozen = false;
}  // namespace

void Randomize() {
  if (g_frozen) return;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t ns = static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
  g_seed = static_cast<uint32_t>(ns);
}

// A 32-bit linear congruential step; the high bits of seed * n pick the result, so every n
// gets an even share of the period.
int32_t Random(int32_t n) {
  g_seed = g_seed * 134775813u + 1u;
  if (n <= 0) return 0;
  return static_cast<int32_t>((static_cast<uint64_t>(g_seed) * static_cast<uint32_t>(n)) >> 32);
}

void SetRandSeed(uint32_t seed) { g_seed = seed; }
uint32_t RandSeed() { return g_seed; }
void FreezeRandomize(bool frozen) { g_frozen = frozen; }

}  // namespace brelinde
