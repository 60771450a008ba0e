#include "imaging/SaveJPG.h"

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

#include "imaging/StreamedImage.h"

namespace wlg {

namespace {

// libjpeg's error exit returns here instead of ending the program.
struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};
[[noreturn]] void JpegExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}
void JpegMessage(j_common_ptr) {}

// Compressed bytes go to the file a buffer at a time.
struct JpegOut {
  jpeg_destination_mgr mgr;
  PictureSink* sink;
  std::vector<JOCTET> buffer;
};
void JpegStart(j_compress_ptr info) {
  auto* out = reinterpret_cast<JpegOut*>(info->dest);
  out->mgr.next_output_byte = out->buffer.data();
  out->mgr.free_in_buffer = out->buffer.size();
}
bool JpegFlush(j_compress_ptr info, size_t bytes) {
  auto* out = reinterpret_cast<JpegOut*>(info->dest);
  if (WriteToDescriptor(out->sink->fd, {reinterpret_cast<const char*>(out->buffer.data()), bytes}))
    return true;
  out->sink->Fail(errno);
  return false;
}
boolean JpegEmpty(j_compress_ptr info) {
  auto* out = reinterpret_cast<JpegOut*>(info->dest);
  if (!JpegFlush(info, out->buffer.size()))
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
  JpegStart(info);
  return TRUE;
}
void JpegTerm(j_compress_ptr info) {
  auto* out = reinterpret_cast<JpegOut*>(info->dest);
  if (!JpegFlush(info, out->buffer.size() - out->mgr.free_in_buffer))
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
}

// Only trivially destructible locals live in this frame: libjpeg leaves it
// by longjmp on any error.
bool JpegRows(jpeg_compress_struct* info, JpegError* err, const StreamedPicture* p, QImage* band,
              std::vector<JSAMPROW>* rows) {
  if (setjmp(err->jump)) return false;
  jpeg_create_compress(info);
  info->image_width = static_cast<JDIMENSION>(p->width);
  info->image_height = static_cast<JDIMENSION>(p->height);
  info->input_components = 4;
  // The band's pixels as they lie in memory, so no row is converted here.
  info->in_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
  jpeg_set_defaults(info);  // YCbCr with 4:2:0 chroma, one pass: rows in, bytes out
  jpeg_set_quality(info, std::clamp(p->quality, 1, 100), TRUE);
  info->density_unit = 1;  // dots per inch
  info->X_density = info->Y_density =
      static_cast<UINT16>(std::clamp(std::lround(p->dpi), 1L, 65535L));
  info->dest = reinterpret_cast<jpeg_destination_mgr*>(info->client_data);
  jpeg_start_compress(info, TRUE);
  ForEachBand(*p, *band, false, [&](int, int count) {
    for (int y = 0; y < count; ++y) (*rows)[y] = band->scanLine(y);
    for (int done = 0; done < count;)
      done += static_cast<int>(jpeg_write_scanlines(info, rows->data() + done, count - done));
    return true;
  });
  jpeg_finish_compress(info);
  return true;
}

}  // namespace

bool EncodeJpeg(const StreamedPicture& p, PictureSink& sink, QImage& band) {
  jpeg_compress_struct info{};
  JpegError err{};
  info.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegExit;
  err.mgr.output_message = JpegMessage;
  JpegOut out{};
  out.sink = &sink;
  out.buffer.resize(size_t{1} << 16);
  out.mgr.init_destination = JpegStart;
  out.mgr.empty_output_buffer = JpegEmpty;
  out.mgr.term_destination = JpegTerm;
  info.client_data = &out;
  std::vector<JSAMPROW> rows(static_cast<size_t>(band.height()));
  const bool ok = JpegRows(&info, &err, &p, &band, &rows);
  jpeg_destroy_compress(&info);
  return ok || sink.Fail(EIO);
}

bool SaveJPG(const cDIBSection& dib, const std::string& fileName, int quality, std::string* error,
             ReplacedTimes dates) {
  if (!dib.DIBSectionBitsPtr()) {
    if (error) *error = "Failed to save to JPG " + fileName + ": the picture is empty";
    return false;
  }
  StreamedPicture p;
  p.width = dib.Width();
  p.height = dib.Height();
  p.quality = quality;
  p.bandRows = BandRowsFor(p.width);
  // Picture row y is the bitmap's row height - 1 - y (rows stored bottom-up).
  p.render = [&dib](int top, QImage& band) {
    const int rows = std::min(band.height(), dib.Height() - top);
    for (int y = 0; y < rows; ++y) {
      const uint8_t* in = dib.DIBSectionBitsPtr() +
                          static_cast<size_t>(dib.Height() - 1 - top - y) * dib.BytesPerScanLine();
      QRgb* px = reinterpret_cast<QRgb*>(band.scanLine(y));
      for (int x = 0; x < dib.Width(); ++x, in += 3) px[x] = qRgb(in[2], in[1], in[0]);
    }
  };
  return WritePicture(p, fileName, PictureKind::JPG, error, dates);
}

}  // namespace wlg
