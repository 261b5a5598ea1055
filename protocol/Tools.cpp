#include "protocol/Tools.h"

#include "platform/System.h"

namespace brelinde {

bool IsWinNT() {
  const auto platform = Sys().GetVersionPlatformId();
  return platform && *platform == kPlatformWin32NT;
}

std::string SystemLibraryPath(const std::string& file) {
  std::string path = Sys().SystemDirectory();
  if (!path.empty() && path.back() != kPathSeparator) path += kPathSeparator;
  return path + file;
}

}  // namespace brelinde
