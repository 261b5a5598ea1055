// The catalogue as the build assembles it into the program (see CMakeLists.txt beside this file).
#pragma once

#include <cstddef>
#include <span>

namespace brelinde {

struct EmbeddedResource {
  int id;
  const std::byte* begin;
  const std::byte* end;
};

// Every entry, in ascending id order. Defined in the file the build generates.
std::span<const EmbeddedResource> EmbeddedResources();

}  // namespace brelinde
