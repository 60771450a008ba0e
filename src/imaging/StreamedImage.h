#pragma once
// The encoders behind WritePicture: each takes the picture's bands one at
// a time and writes its file to an open descriptor, so a picture never has
// to be whole in memory.

#include <QImage>
#include <algorithm>
#include <cerrno>

#include "imaging/PictureFiles.h"

namespace wlg {

// What an encoder saw go wrong: the errno of a failed write, else EIO.
struct PictureSink {
  int fd = -1;
  int err = 0;
  bool Fail(int e) {
    if (err == 0) err = e ? e : EIO;
    return false;
  }
};

// 'band' is the picture's width wide and bandRows high (kBandFormat).
bool EncodePng(const StreamedPicture& p, PictureSink& sink, QImage& band);
bool EncodeTiff(const StreamedPicture& p, PictureSink& sink, QImage& band);
bool EncodeBmp(const StreamedPicture& p, PictureSink& sink, QImage& band);
bool EncodeJpeg(const StreamedPicture& p, PictureSink& sink, QImage& band);  // SaveJPG.cpp

inline constexpr QImage::Format kBandFormat = QImage::Format_ARGB32_Premultiplied;

// Rows top .. top + rows - 1 of every band, in the given order.
template <typename Each>
void ForEachBand(const StreamedPicture& p, QImage& band, bool lastFirst, Each each) {
  const int step = band.height(), count = (p.height + step - 1) / step;
  for (int i = 0; i < count; ++i) {
    const int top = (lastFirst ? count - 1 - i : i) * step;
    const int rows = std::min(step, p.height - top);
    p.render(top, band);
    if (!each(top, rows)) return;
    if (p.progress) p.progress(double(i + 1) / count);
  }
}

}  // namespace wlg
