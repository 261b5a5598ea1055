#include "show/SlideOrder.h"

#include "platform/Random.h"

namespace brelinde {

void ShuffleStrings(std::vector<std::string>& list) {
  Randomize();
  const size_t n = list.size();
  for (size_t i = 0; i < n; ++i) {
    const auto a = static_cast<size_t>(Random(static_cast<int32_t>(list.size())));
    const auto b = static_cast<size_t>(Random(static_cast<int32_t>(list.size())));
    std::string old_b = list[b];
    std::string old_a = list[a];
    list[b] = std::move(old_a);
    list[a] = std::move(old_b);
  }
}

}  // namespace brelinde
