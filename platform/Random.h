// The process-wide pseudo-random generator.
#pragma once

#include <cstdint>

namespace brelinde {

// Reseeds from the clock: the low 32 bits of the high-resolution counter.
void Randomize();
// An integer from 0 to n - 1 (0 when n <= 0).
int32_t Random(int32_t n);
// The generator's state, to repeat a sequence in tests.
void SetRandSeed(uint32_t seed);
uint32_t RandSeed();
// While set, Randomize() keeps the seed as it is, so a test can script the draws.
void FreezeRandomize(bool frozen);

}  // namespace brelinde
