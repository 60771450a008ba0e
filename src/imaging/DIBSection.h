#pragma once
// A 24-bit device-independent bitmap: rows stored bottom-up, pixels in blue,
// green, red order, every row padded to a multiple of 4 bytes. The JPEG
// writer compresses straight from these rows.

#include <cstdint>
#include <vector>

class QImage;

namespace wlg {

class cDIBSection {
 public:
  cDIBSection() = default;
  ~cDIBSection() { ClearUp(); }
  cDIBSection(const cDIBSection&) = delete;
  cDIBSection& operator=(const cDIBSection&) = delete;

  // Releases any earlier bitmap, then makes a black one of width x height.
  // False for non-positive sizes, sizes beyond what a JPEG can hold, or when
  // the memory cannot be had; the object is then empty.
  bool Create(int width, int height);

  // Row length in bytes: width x 3 rounded up to a multiple of 4.
  int BytesPerScanLine() const { return (width_ * 3 + 3) & ~3; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // First byte of the bottom row; null when there is no bitmap.
  uint8_t* DIBSectionBitsPtr() { return bits_.empty() ? nullptr : bits_.data(); }
  const uint8_t* DIBSectionBitsPtr() const { return bits_.empty() ? nullptr : bits_.data(); }

  void ClearUp();

  // Copies the image into the bitmap from the top-left corner, as a plain
  // source copy of width x height pixels; whatever the image does not cover
  // keeps its colour. False when there is no bitmap or no image.
  bool CopyFrom(const QImage& image);

  // Largest side accepted by Create (the JPEG format's own limit).
  static constexpr int MaxSide = 65500;
  // Largest pixel buffer accepted by Create.
  static constexpr int64_t MaxBytes = int64_t{1} << 30;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> bits_;
};

}  // namespace wlg
