#pragma once
// The canvas's own 1-pixel line, for its thin outlines.

#include <QRgb>
#include <QtGlobal>

#include "platform/Canvas.h"

namespace wlg {

// Sets every pixel of the line from a to b, both ends included, that lies in
// the w x h picture. The pixels are those of stepping from a to b one by
// one; the steps outside the picture are skipped, not taken, so a line
// reaching a million pixels past the picture costs what its part inside
// costs.
void PixelLine(QRgb* bits, qsizetype stride, int w, int h, IPoint a, IPoint b, QRgb colour);

}  // namespace wlg
