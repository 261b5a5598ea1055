#include "pictures/JpegDecode.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "PictureFiles.h"
#include "pictures/JpegImage.h"
#include "pictures/Resources.h"
#include "platform/Errors.h"

namespace brelinde {
namespace {

using test_pictures::Bytes;
using test_pictures::PictureFile;
using Data = std::vector<std::byte>;

std::string JpegError(int code) { return "JPEG-Fehler #" + std::to_string(code); }

// The message of the EJPEG that f raises, or "" when it raises none.
std::string JpegErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EJPEG& e) {
    return e.what();
  }
  return "";
}

// Offset of the first marker `code` (0xFF code) among the header's segments.
size_t MarkerOffset(const Data& jpeg, int code) {
  size_t at = 2;
  while (at + 4 <= jpeg.size()) {
    if (static_cast<int>(jpeg[at + 1]) == code) return at;
    at += 2 + ((static_cast<size_t>(jpeg[at + 2]) << 8) | static_cast<size_t>(jpeg[at + 3]));
  }
  ADD_FAILURE() << "no marker " << code;
  return 0;
}

size_t ScanDataOffset(const Data& jpeg) {
  const size_t sos = MarkerOffset(jpeg, 0xDA);
  return sos + 2 + ((static_cast<size_t>(jpeg[sos + 2]) << 8) | static_cast<size_t>(jpeg[sos + 3]));
}

TEST(DecodeJpeg, FullScaleGivesTheSamePictureInBothFormats) {
  const auto slide = ResourceBytes(kFirstSlideId);
  const DecodedImage rgb = DecodeJpeg(slide, PixelFormat::RGB24);
  const DecodedImage bgrx = DecodeJpeg(slide, PixelFormat::BGRX32);
  ASSERT_EQ(rgb.width, 1024);
  ASSERT_EQ(rgb.height, 768);
  ASSERT_EQ(rgb.stride, 3072);
  ASSERT_EQ(bgrx.width, 1024);
  ASSERT_EQ(bgrx.height, 768);
  ASSERT_EQ(bgrx.stride, 4096);
  ASSERT_EQ(bgrx.pixels.size(), 4096u * 768);
  long mismatches = 0;
  std::vector<int> seen(256);
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      const uint8_t* p = &rgb.pixels[static_cast<size_t>(y) * 3072 + x * 3];
      const uint8_t* q = &bgrx.pixels[static_cast<size_t>(y) * 4096 + x * 4];
      mismatches += q[0] != p[2] || q[1] != p[1] || q[2] != p[0] || q[3] != 0xFF;
      ++seen[p[0]];
    }
  }
  EXPECT_EQ(mismatches, 0);
  // A photograph, not an empty buffer: its red channel spans most of the range.
  EXPECT_GT(std::count_if(seen.begin(), seen.end(), [](int n) { return n > 0; }), 200);
}

TEST(DecodeJpeg, ChoosesTheSmallestDctScaleThatStillCoversTheMinimum) {
  struct Case {
    int id, min_width, min_height;
    int eighths, width, height;
  };
  const int slide = kFirstSlideId, portrait = kFirstSlideId + 2, info = kInfoPictureId;
  const Case cases[] = {
      {slide, 0, 0, 8, 1024, 768},        // no minimum: full scale
      {slide, -5, -5, 8, 1024, 768},      // nor are negative bounds one
      {slide, 1920, 1080, 8, 1024, 768},  // larger than the picture: full, never enlarged
      {slide, 480, 360, 4, 512, 384},    {slide, 1, 1, 1, 128, 96},
      {slide, 129, 0, 2, 256, 192},  // only the width bounds
      {slide, 0, 97, 2, 256, 192},   // only the height bounds
      {slide, 896, 0, 7, 896, 672},      {slide, 897, 0, 8, 1024, 768},
      {portrait, 100, 200, 3, 216, 288}, {info, 1, 1, 1, 56, 31},  // 445/8 and 241/8 round up
      {info, 100, 0, 2, 112, 61},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.id << " min " << c.min_width << "x" << c.min_height);
    const auto bytes = ResourceBytes(c.id);
    const JpegSize size = ReadJpegSize(bytes);
    EXPECT_EQ(DctScaleEighths(size.width, size.height, c.min_width, c.min_height), c.eighths);
    for (PixelFormat format : {PixelFormat::RGB24, PixelFormat::BGRX32}) {
      const DecodedImage out = DecodeJpeg(bytes, format, c.min_width, c.min_height);
      EXPECT_EQ(out.width, c.width);
      EXPECT_EQ(out.height, c.height);
      const int bytes_per_pixel = format == PixelFormat::RGB24 ? 3 : 4;
      EXPECT_EQ(out.stride, (c.width * bytes_per_pixel + 3) / 4 * 4);
      EXPECT_EQ(out.pixels.size(), static_cast<size_t>(out.stride) * c.height);
    }
  }
}

// Every reader refuses the data with the same libjpeg message code.
void ExpectRefusedEverywhere(const Data& data, int code) {
  EXPECT_EQ(JpegErrorOf([&] { ReadJpegSize(data); }), JpegError(code));
  EXPECT_EQ(JpegErrorOf([&] { TJPEGImage().LoadFromBytes(data); }), JpegError(code));
  EXPECT_EQ(JpegErrorOf([&] { DecodeJpeg(data, PixelFormat::RGB24); }), JpegError(code));
  EXPECT_EQ(JpegErrorOf([&] { DecodeJpeg(data, PixelFormat::BGRX32, 100, 100); }), JpegError(code));
}

TEST(DecodeJpeg, BytesThatAreNoJpegFileGiveTheJpegError) {
  const struct {
    const char* name;
    Data data;
    int code;
  } cases[] = {
      {"nothing", {}, JERR_INPUT_EMPTY},
      {"text", Bytes("Brelinde"), JERR_NO_SOI},
      {"a bitmap", PictureFile("logo.bmp"), JERR_NO_SOI},
      {"a PNG signature", Bytes("\x89PNG\r\n\x1a\n"), JERR_NO_SOI},
      {"only the start marker", Bytes("\xFF\xD8"), JWRN_JPEG_EOF},
      {"start then end, no frame", Bytes("\xFF\xD8\xFF\xD9"), JERR_NO_IMAGE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectRefusedEverywhere(c.data, c.code);
  }
}

TEST(DecodeJpeg, DamagedHeadersAndScansGiveTheJpegError) {
  const Data info = PictureFile("info.jpg");
  const size_t dqt = MarkerOffset(info, 0xDB), sof = MarkerOffset(info, 0xC0);
  const size_t dht = MarkerOffset(info, 0xC4), sos = MarkerOffset(info, 0xDA);
  const size_t scan = ScanDataOffset(info), mid = (scan + info.size()) / 2, end = info.size();
  const struct {
    const char* name;
    std::vector<std::pair<size_t, int>> writes;  // offset, new byte
    int header_code;                             // 0: the header still reads
    int decode_code;
  } cases[] = {
      {"start marker", {{1, 0xD9}}, JERR_NO_SOI, JERR_NO_SOI},
      {"segment length", {{5, 0x01}}, JWRN_EXTRANEOUS_DATA, JWRN_EXTRANEOUS_DATA},
      {"quantisation table slot", {{dqt + 4, 0x04}}, JERR_DQT_INDEX, JERR_DQT_INDEX},
      {"12-bit precision", {{sof + 4, 12}}, JERR_BAD_PRECISION, JERR_BAD_PRECISION},
      {"zero width", {{sof + 7, 0}, {sof + 8, 0}}, JERR_EMPTY_IMAGE, JERR_EMPTY_IMAGE},
      {"no components", {{sof + 9, 0}}, JERR_EMPTY_IMAGE, JERR_EMPTY_IMAGE},
      {"component count beyond the segment", {{sof + 9, 4}}, JERR_BAD_LENGTH, JERR_BAD_LENGTH},
      {"sampling factor 5", {{sof + 11, 0x55}}, JERR_BAD_SAMPLING, JERR_BAD_SAMPLING},
      {"lossless frame", {{sof + 1, 0xC3}}, JERR_SOF_UNSUPPORTED, JERR_SOF_UNSUPPORTED},
      {"Huffman code count", {{dht + 6, 0xFF}}, JERR_BAD_HUFF_TABLE, JERR_BAD_HUFF_TABLE},
      {"Huffman table slot", {{dht + 4, 0x35}}, JERR_DHT_INDEX, JERR_DHT_INDEX},
      {"scan component", {{sos + 5, 9}}, JERR_BAD_COMPONENT_ID, JERR_BAD_COMPONENT_ID},
      {"missing quantisation table", {{sof + 12, 7}}, 0, JERR_NO_QUANT_TABLE},
      {"missing Huffman table", {{sos + 6, 0x33}}, 0, JERR_NO_HUFF_TABLE},
      {"progressive frame, sequential scan", {{sof + 1, 0xC2}}, 0, JERR_BAD_PROGRESSION},
      {"end marker inside the scan", {{mid, 0xFF}, {mid + 1, 0xD9}}, 0, JWRN_HIT_MARKER},
      {"restart marker inside the scan", {{mid, 0xFF}, {mid + 1, 0xD0}}, 0, JWRN_HIT_MARKER},
      {"end marker lost", {{end - 1, 0x00}}, 0, JWRN_JPEG_EOF},
      {"a second start marker at the end", {{end - 1, 0xD8}}, 0, JERR_SOI_DUPLICATE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Data data = info;
    for (const auto& [at, value] : c.writes) data.at(at) = static_cast<std::byte>(value);
    if (c.header_code != 0) {
      ExpectRefusedEverywhere(data, c.header_code);
      continue;
    }
    EXPECT_EQ(ReadJpegSize(data).width, 445);
    EXPECT_EQ(JpegErrorOf([&] { DecodeJpeg(data, PixelFormat::RGB24); }), JpegError(c.decode_code));
    EXPECT_EQ(JpegErrorOf([&] { DecodeJpeg(data, PixelFormat::BGRX32, 1, 1); }),
              JpegError(c.decode_code));
  }
}

TEST(DecodeJpeg, ATruncatedFileGivesTheJpegError) {
  const Data info = PictureFile("info.jpg");
  const size_t sof = MarkerOffset(info, 0xC0), sos = MarkerOffset(info, 0xDA);
  const size_t scan = ScanDataOffset(info);
  const struct {
    const char* name;
    size_t keep;
    bool header_whole;
  } cuts[] = {
      {"first byte only", 1, false},
      {"start marker only", 2, false},
      {"inside the JFIF segment", 10, false},
      {"inside the frame header", sof + 6, false},
      {"just before the scan header", sos, false},
      {"inside the scan header", sos + 6, false},
      {"just after the scan header", scan, true},
      {"half of the scan", (scan + info.size()) / 2, true},
      {"end marker missing", info.size() - 2, true},
      {"half the end marker", info.size() - 1, true},
  };
  for (const auto& c : cuts) {
    SCOPED_TRACE(c.name);
    const Data data(info.begin(), info.begin() + static_cast<long>(c.keep));
    if (c.header_whole) {
      EXPECT_EQ(ReadJpegSize(data).height, 241);
      EXPECT_EQ(JpegErrorOf([&] { DecodeJpeg(data, PixelFormat::RGB24); }),
                JpegError(JWRN_JPEG_EOF));
    } else {
      ExpectRefusedEverywhere(data, JWRN_JPEG_EOF);
    }
  }
  // And wherever the cut falls, the decode fails rather than showing a partial picture.
  for (size_t keep = 0; keep < info.size(); keep += 97) {
    const Data data(info.begin(), info.begin() + static_cast<long>(keep));
    EXPECT_NE(JpegErrorOf([&] { DecodeJpeg(data, PixelFormat::BGRX32); }), "") << "cut " << keep;
  }
}

TEST(DecodeJpeg, AnOutputBeyondTheLimitIsRefusedBeforeItsMemoryIsTaken) {
  Data huge = PictureFile("info.jpg");
  const size_t sof = MarkerOffset(huge, 0xC0);
  for (size_t at : {sof + 5, sof + 7}) {  // height, width := 16384
    huge[at] = std::byte{0x40};
    huge[at + 1] = std::byte{0x00};
  }
  const JpegSize size = ReadJpegSize(huge);
  EXPECT_EQ(size.width, 16384);
  EXPECT_EQ(size.height, 16384);
  ASSERT_GT(int64_t{16384} * 16384, kMaxDecodedPixels);
  EXPECT_EQ(JpegErrorOf([&] { DecodeJpeg(huge, PixelFormat::BGRX32); }),
            JpegError(JERR_IMAGE_TOO_BIG));
  // Scaled to 1/8 it is within the limit; then the data, made for 445 x 241, runs out.
  const std::string scaled =
      JpegErrorOf([&] { DecodeJpeg(huge, PixelFormat::BGRX32, 2048, 2048); });
  EXPECT_NE(scaled, "");
  EXPECT_NE(scaled, JpegError(JERR_IMAGE_TOO_BIG));
}

}  // namespace
}  // namespace brelinde
