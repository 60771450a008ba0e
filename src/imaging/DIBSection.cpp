#include "imaging/DIBSection.h"

#include <QImage>
#include <algorithm>
#include <cstring>
#include <new>

namespace wlg {

bool cDIBSection::Create(int width, int height) {
  ClearUp();
  if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide) return false;
  const int64_t stride = (int64_t{width} * 3 + 3) & ~int64_t{3};
  if (stride * height > MaxBytes) return false;
  try {
    bits_.assign(static_cast<size_t>(stride * height), 0);
  } catch (const std::bad_alloc&) {
    bits_.clear();
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

void cDIBSection::ClearUp() {
  std::vector<uint8_t>().swap(bits_);
  width_ = 0;
  height_ = 0;
}

bool cDIBSection::CopyFrom(const QImage& image) {
  if (bits_.empty() || image.isNull()) return false;
  // Qt does the pixel conversion; this only moves whole rows into place.
  const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
  const int rows = std::min(height_, bgr.height());
  const size_t rowBytes = static_cast<size_t>(std::min(width_, bgr.width())) * 3;
  const int stride = BytesPerScanLine();
  for (int y = 0; y < rows; ++y) {
    // Image row y (counted from the top) is bitmap row height - 1 - y.
    uint8_t* dst = bits_.data() + static_cast<size_t>(height_ - 1 - y) * stride;
    std::memcpy(dst, bgr.constScanLine(y), rowBytes);
  }
  return true;
}

}  // namespace wlg
