#include "pictures/JpegImage.h"

#include <jerror.h>
#include <jpeglib.h>

#include "pictures/Resources.h"
#include "platform/Errors.h"
#include "platform/Files.h"

namespace brelinde {

void TJPEGImage::Clear() {
  data_.clear();
  width_ = height_ = 0;
  bitmap_.reset();
}

void TJPEGImage::LoadFromResource(int id) {
  Clear();  // an unknown id leaves no picture behind, like any failed load
  LoadFromBytes(ResourceBytes(id));
}

void TJPEGImage::LoadFromBytes(std::span<const std::byte> bytes) {
  std::vector<std::byte> data(bytes.begin(), bytes.end());  // first: bytes may be our own Data()
  Clear();
  const JpegSize size = ReadJpegSize(data);
  data_ = std::move(data);
  width_ = size.width;
  height_ = size.height;
}

void TJPEGImage::SaveToFile(const std::string& path) const {
  if (data_.empty()) throw EJPEG(Format(msg::kJpegError, static_cast<long long>(JERR_EMPTY_IMAGE)));
  WriteWholeFile(path, data_);
}

const DecodedImage& TJPEGImage::Bitmap() const {
  if (!bitmap_) bitmap_ = DecodeJpeg(data_, PixelFormat::RGB24);
  return *bitmap_;
}

}  // namespace brelinde
