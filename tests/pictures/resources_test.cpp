#include "pictures/Resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PictureFiles.h"
#include "platform/Errors.h"

namespace brelinde {
namespace {

using test_pictures::PictureFile;
using test_pictures::SlideName;

TEST(ResourceBytes, EveryIdYieldsTheWholeFileOfItsPicture) {
  std::vector<std::pair<int, std::string>> catalogue = {{kInfoPictureId, "info.jpg"}};
  for (int n = 0; n < kSlideCount; ++n) catalogue.emplace_back(kFirstSlideId + n, SlideName(n));
  for (const auto& [id, file] : catalogue) {
    SCOPED_TRACE(file);
    const auto bytes = ResourceBytes(id);
    const auto expected = PictureFile(file);
    ASSERT_EQ(bytes.size(), expected.size());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), expected.begin()));
  }
}

TEST(ResourceBytes, AnIdOutsideTheCatalogueIsNotFound) {
  for (int id : {-1, 0, 104, 106, 109, 134, 65535}) {
    try {
      ResourceBytes(id);
      ADD_FAILURE() << "id " << id << " was found";
    } catch (const EResNotFound& e) {
      EXPECT_EQ(std::string(e.what()), "Ressource " + std::to_string(id) + " wurde nicht gefunden");
    }
  }
}

}  // namespace
}  // namespace brelinde
