#pragma once
// Two renders of one picture, compared as a person would: they may differ
// along edges (smoothing, half-pixel positions), never inside a flat area.

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>

namespace wlg::testing {

// Pixels that differ between two renders of one picture lie on its edges:
// none in an area the PNG shows as one flat colour 5 x 5 pixels wide.
// Returns the share of pixels that differ at all.
inline double ExpectDifferencesOnlyAtEdges(const QImage& png, const QImage& other,
                                           const char* what) {
  const QImage a = png.convertToFormat(QImage::Format_RGB32);
  const QImage b = other.convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(a.size(), b.size()) << what;
  if (a.size() != b.size()) return 1;
  int differ = 0, inFlat = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (p == q) continue;
      ++differ;
      bool flat = true;
      for (int dy = -2; dy <= 2 && flat; ++dy)
        for (int dx = -2; dx <= 2 && flat; ++dx) {
          const int u = std::clamp(x + dx, 0, a.width() - 1),
                    v = std::clamp(y + dy, 0, a.height() - 1);
          flat = a.pixel(u, v) == p;
        }
      const int d = std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                    std::abs(qBlue(p) - qBlue(q));
      inFlat += flat && d > 24;
    }
  EXPECT_EQ(inFlat, 0) << what;
  return double(differ) / (a.width() * a.height());
}

}  // namespace wlg::testing
