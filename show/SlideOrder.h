// Mixing the slide order.
#pragma once

#include <string>
#include <vector>

namespace brelinde {

// Reseeds from the clock, then makes as many random exchanges as the list has entries.
// (Not a uniform permutation; the show has always mixed this way.)
void ShuffleStrings(std::vector<std::string>& list);

}  // namespace brelinde
