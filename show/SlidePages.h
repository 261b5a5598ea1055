// The two pages the show writes for its browser view, and the transition element they carry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brelinde {

// The Page-Exit element for an effect index; effect 24 draws Random(23), no other draws.
std::string TransitionMeta(int32_t effect);

// The black page shown before the first picture.
std::string BuildBlankPage(std::string_view meta);

// "height=\"100%\"" when the picture scaled to the window's height is narrower than the
// window, else "width=\"100%\"".
std::string_view FitAttribute(int32_t w, int32_t h, int32_t picture_width, int32_t picture_height);

// The page of one picture in a window of w x h.
std::string BuildSlidePage(std::string_view meta, int32_t w, int32_t h, std::string_view picture_file,
                           std::string_view fit);

}  // namespace brelinde
