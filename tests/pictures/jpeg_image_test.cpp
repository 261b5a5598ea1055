#include "pictures/JpegImage.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "PictureFiles.h"
#include "pictures/Resources.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "tests/support/TestFolders.h"

namespace brelinde {
namespace {

namespace fs = std::filesystem;
using test_pictures::Bytes;
using test_pictures::PictureFile;
using test_pictures::SlideName;

std::string JpegError(int code) { return "JPEG-Fehler #" + std::to_string(code); }

class JpegImageTest : public ::testing::Test {
 protected:
  test_support::TempFolder dir_{"brelinde-pictures"};
};

TEST_F(JpegImageTest, EverySlideMeasuresAndIsWrittenBackByteForByte) {
  const std::string path = dir_.Path() + "/ins1A2B.jpg";
  TJPEGImage image;  // one object for all, as the show's control holds one
  for (int n = 0; n < kSlideCount; ++n) {
    SCOPED_TRACE(SlideName(n));
    image.LoadFromResource(kFirstSlideId + n);
    const bool portrait = n == 2 || n == 12;
    EXPECT_EQ(image.Width(), portrait ? 576 : 1024);
    EXPECT_EQ(image.Height(), 768);
    image.SaveToFile(path);
    EXPECT_EQ(Bytes(ReadWholeFile(path)), PictureFile(SlideName(n)));
    EXPECT_FALSE(image.HasBitmap()) << "a slide is never decoded";
  }
}

TEST_F(JpegImageTest, ASmallPictureWrittenOverALargerOneLeavesOnlyItsOwnBytes) {
  const std::string path = dir_.Path() + "/picture.jpg";
  TJPEGImage image;
  image.LoadFromResource(kFirstSlideId + 19);  // the largest slide
  image.SaveToFile(path);
  image.LoadFromResource(kFirstSlideId + 8);  // the smallest
  image.SaveToFile(path);
  EXPECT_EQ(fs::file_size(path), PictureFile(SlideName(8)).size());
  EXPECT_EQ(Bytes(ReadWholeFile(path)), PictureFile(SlideName(8)));
}

TEST_F(JpegImageTest, TheInfoPictureMeasures445x241AndIsDrawnOnceIn24BitColour) {
  TJPEGImage image;
  image.LoadFromResource(kInfoPictureId);
  EXPECT_EQ(image.Width(), 445);
  EXPECT_EQ(image.Height(), 241);
  EXPECT_FALSE(image.HasBitmap());
  const DecodedImage& bitmap = image.Bitmap();
  EXPECT_EQ(bitmap.width, 445);
  EXPECT_EQ(bitmap.height, 241);
  EXPECT_EQ(bitmap.stride, 1336);  // 445 * 3 rounded up to whole 32-bit words
  EXPECT_EQ(bitmap.pixels.size(), 1336u * 241);
  EXPECT_EQ(&image.Bitmap(), &bitmap) << "kept for later paints";
  image.LoadFromResource(kFirstSlideId);
  EXPECT_FALSE(image.HasBitmap()) << "a new picture drops the old bitmap";
}

TEST_F(JpegImageTest, WritingRefusesLinksMissingFoldersAndAnEmptyObject) {
  TJPEGImage image;
  image.LoadFromResource(kFirstSlideId);

  const std::string victim = dir_.Path() + "/victim.txt";
  const std::string link = dir_.Path() + "/link.jpg";
  WriteWholeFile(victim, std::string_view("keep me"));
  ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
  EXPECT_THROW(image.SaveToFile(link), EFCreateError);
  EXPECT_EQ(ReadWholeFile(victim), "keep me");

  const std::string missing = dir_.Path() + "/missing/picture.jpg";
  try {
    image.SaveToFile(missing);
    ADD_FAILURE() << "wrote into a missing folder";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Datei \"" + missing + "\" kann nicht erstellt werden. No such file or directory");
  }

  const std::string path = dir_.Path() + "/never.jpg";
  try {
    TJPEGImage().SaveToFile(path);
    ADD_FAILURE() << "an empty object was written";
  } catch (const EJPEG& e) {
    EXPECT_EQ(std::string(e.what()), JpegError(JERR_EMPTY_IMAGE));
  }
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(JpegImageTest, LoadingCopiesTheBytesAndParsesOnlyTheHeader) {
  // Cut inside the entropy-coded data: the header is whole, so the picture measures; only
  // drawing it needs the rest.
  auto bytes = PictureFile("info.jpg");
  bytes.resize(bytes.size() / 2);
  TJPEGImage image;
  image.LoadFromBytes(bytes);
  const auto copy = bytes;
  std::fill(bytes.begin(), bytes.end(), std::byte{0});
  EXPECT_EQ(image.Width(), 445);
  EXPECT_EQ(image.Height(), 241);
  EXPECT_TRUE(std::equal(image.Data().begin(), image.Data().end(), copy.begin(), copy.end()));
  image.LoadFromBytes(image.Data());  // its own bytes: copied before the old ones are dropped
  EXPECT_EQ(image.Width(), 445);
  EXPECT_TRUE(std::equal(image.Data().begin(), image.Data().end(), copy.begin(), copy.end()));
  try {
    image.Bitmap();
    ADD_FAILURE() << "a cut file was drawn";
  } catch (const EJPEG& e) {
    EXPECT_EQ(std::string(e.what()), JpegError(JWRN_JPEG_EOF));
  }
}

TEST_F(JpegImageTest, AFailedLoadLeavesTheObjectEmpty) {
  TJPEGImage image;
  image.LoadFromResource(kInfoPictureId);
  image.Bitmap();
  EXPECT_THROW(image.LoadFromBytes(Bytes("not a picture")), EJPEG);
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(image.Width(), 0);
  EXPECT_EQ(image.Height(), 0);
  EXPECT_FALSE(image.HasBitmap());

  image.LoadFromResource(kFirstSlideId);
  EXPECT_THROW(image.LoadFromResource(106), EResNotFound);
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(image.Width(), 0);
}

}  // namespace
}  // namespace brelinde
