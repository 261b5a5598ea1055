#include "show/SlideOrder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Random.h"

namespace brelinde {
namespace {

std::vector<std::string> Numbers(int n) {
  std::vector<std::string> list;
  for (int i = 0; i < n; ++i) list.push_back(std::to_string(i));
  return list;
}

TEST(ShuffleStrings, KeepsTheEntries) {
  for (int n : {0, 1, 2, 24}) {
    std::vector<std::string> list = Numbers(n);
    ShuffleStrings(list);
    std::vector<std::string> sorted = list;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> expected = Numbers(n);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected) << n;
  }
}

// n exchanges of Random(count) pairs, a first then b, replayed from the same seed.
TEST(ShuffleStrings, MakesNExchangesOfTwoDraws) {
  FreezeRandomize(true);
  for (uint32_t seed : {1u, 77u, 123456u}) {
    SetRandSeed(seed);
    std::vector<std::string> expected = Numbers(24);
    for (int i = 0; i < 24; ++i) {
      const int32_t a = Random(24);
      const int32_t b = Random(24);
      std::swap(expected[a], expected[b]);
    }
    const uint32_t after = RandSeed();
    SetRandSeed(seed);
    std::vector<std::string> list = Numbers(24);
    ShuffleStrings(list);
    EXPECT_EQ(list, expected);
    EXPECT_EQ(RandSeed(), after);
  }
  // An empty list draws nothing; a list of one draws twice and stays.
  SetRandSeed(5);
  std::vector<std::string> empty;
  ShuffleStrings(empty);
  EXPECT_EQ(RandSeed(), 5u);
  std::vector<std::string> one = {"0"};
  ShuffleStrings(one);
  EXPECT_NE(RandSeed(), 5u);
  EXPECT_EQ(one, std::vector<std::string>{"0"});
  FreezeRandomize(false);
}

}  // namespace
}  // namespace brelinde
