// The picture files of the source tree, to compare the program's catalogue and output with.
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace brelinde::test_pictures {

inline std::vector<std::byte> Bytes(std::string_view s) {
  const auto b = std::as_bytes(std::span(s.data(), s.size()));
  return {b.begin(), b.end()};
}

// name relative to pictures/, e.g. "info.jpg" or "slides/slide02.jpg"
inline std::vector<std::byte> PictureFile(const std::string& name) {
  return Bytes(ReadWholeFile(std::string(BRELINDE_SOURCE_DIR) + "/pictures/" + name));
}

inline std::string SlideName(int n) {
  char name[32];
  std::snprintf(name, sizeof name, "slides/slide%02d.jpg", n);
  return name;
}

}  // namespace brelinde::test_pictures
