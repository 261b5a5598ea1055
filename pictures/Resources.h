// The picture catalogue carried inside the program file: each id yields one complete JPEG file.
#pragma once

#include <cstddef>
#include <span>

namespace brelinde {

// 105 is the dialog's info picture, kFirstSlideId + n is slide n (0..23); 106 to 109 are unused.
inline constexpr int kInfoPictureId = 105, kFirstSlideId = 110, kSlideCount = 24;

// The bytes of resource id, in place in the program image (valid for the whole run).
// Throws EResNotFound "Ressource <id> wurde nicht gefunden" for an id the program does not carry.
std::span<const std::byte> ResourceBytes(int id);

}  // namespace brelinde
