#pragma once
// Two renders of one picture may differ along edges, never amid 5 x 5 pixels
// of one colour in the first. Returns the share of pixels that differ.

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>

namespace wlg::testing {

inline double ExpectDifferencesOnlyAtEdges(const QImage& png, const QImage& other,
                                           const char* what) {
  const QImage a = png.convertToFormat(QImage::Format_RGB32);
  const QImage b = other.convertToFormat(QImage::Format_RGB32);
  if (a.size() != b.size()) return ADD_FAILURE() << what << ": sizes differ", 1;
  int differ = 0, inFlat = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (p == q) continue;
      ++differ;
      bool flat = true;
      for (int d = 0; d < 25 && flat; ++d)
        flat = a.pixel(std::clamp(x + d % 5 - 2, 0, a.width() - 1),
                       std::clamp(y + d / 5 - 2, 0, a.height() - 1)) == p;
      inFlat += flat && std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                                std::abs(qBlue(p) - qBlue(q)) >
                            24;
    }
  EXPECT_EQ(inFlat, 0) << what;
  return double(differ) / (a.width() * a.height());
}

}  // namespace wlg::testing
