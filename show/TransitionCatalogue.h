// The 25 transitions, by effect index, with the names the settings dialog lists.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace brelinde {

inline constexpr int32_t kEffectFade = 23;
inline constexpr int32_t kEffectRandom = 24;
inline constexpr int32_t kDefaultEffect = kEffectFade;
// The browser view's own number for "pick one of the reveal patterns at random".
inline constexpr int32_t kRevealRandom = 23;
inline constexpr int32_t kRevealPatternCount = 23;  // reveal numbers 0 to 22

inline constexpr std::array<std::string_view, 25> kTransitionNames = {
    "Box in",
    "Box out",
    "Circle in",
    "Circle out",
    "Wipe up",
    "Wipe down",
    "Wipe right",
    "Wipe left",
    "Vertical blinds",
    "Horizontal blinds",
    "Checkerboard across",
    "Checkerboard down",
    "Random dissolve",
    "Split vertical in",
    "Split vertical out",
    "Split horizontal in",
    "Split horizontal out",
    "Strips left down",
    "Strips left up",
    "Strips right down",
    "Strips right up",
    "Random bars horizontal",
    "Random bars vertical",
    "Fade",
    "Random",
};

}  // namespace brelinde
