#include "pictures/Resources.h"

#include <algorithm>

#include "pictures/EmbeddedResources.h"
#include "platform/Errors.h"

namespace brelinde {

std::span<const std::byte> ResourceBytes(int id) {
  const auto table = EmbeddedResources();
  const auto it = std::lower_bound(table.begin(), table.end(), id,
                                   [](const EmbeddedResource& r, int key) { return r.id < key; });
  if (it == table.end() || it->id != id) {
    throw EResNotFound(Format(msg::kResourceNotFound, static_cast<long long>(id)));
  }
  return {it->begin, it->end};
}

}  // namespace brelinde
