// The image object that holds one picture: its JPEG file's bytes, kept as loaded, and the size
// its frame header states. Nothing is decoded until Bitmap() is asked for.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pictures/JpegDecode.h"

namespace brelinde {

class TJPEGImage {
 public:
  // Copies the bytes of catalogue entry id once into the object and reads width and height from
  // the header. Throws EResNotFound for an unknown id, EJPEG for data that is not a JPEG file.
  // A load replaces what the object held; after a failed load the object is empty.
  void LoadFromResource(int id);
  void LoadFromBytes(std::span<const std::byte> bytes);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return data_.empty(); }
  // The stored bytes, exactly as loaded.
  std::span<const std::byte> Data() const { return data_; }

  // Creates path (an existing file is emptied) and writes the stored bytes to it; a symbolic
  // link at path is refused. Throws EFCreateError; an empty object throws EJPEG
  // (JERR_EMPTY_IMAGE) and leaves the path alone.
  void SaveToFile(const std::string& path) const;

  // The picture decoded at full scale to 24-bit colour, made on the first call and kept for later
  // paints until the next load. Throws EJPEG when the data cannot be decoded.
  const DecodedImage& Bitmap() const;
  bool HasBitmap() const { return bitmap_.has_value(); }

 private:
  void Clear();

  std::vector<std::byte> data_;
  int width_ = 0, height_ = 0;
  mutable std::optional<DecodedImage> bitmap_;
};

}  // namespace brelinde
