#include "imaging/StreamedImage.h"

#include <png.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <vector>

#include "platform/SafeFile.h"

namespace wlg {

int BandRowsFor(int width, size_t budgetBytes) {
  const size_t row = static_cast<size_t>(std::max(width, 1)) * 4;
  return static_cast<int>(std::clamp<size_t>(budgetBytes / row, 16, 512));
}

bool StreamedKindOf(const std::string& lowerExt, StreamedKind* kind) {
  if (lowerExt == "png") {
    *kind = StreamedKind::PNG;
    return true;
  }
  if (lowerExt == "tif" || lowerExt == "tiff") {
    *kind = StreamedKind::TIFF;
    return true;
  }
  return false;
}

namespace {

// What a writer saw go wrong: the errno of a failed write, else EIO.
struct Sink {
  int fd = -1;
  int err = 0;
  bool Fail(int e) {
    if (err == 0) err = e ? e : EIO;
    return false;
  }
};

// A band's row as the files hold it: red, green, blue (and alpha) bytes.
void ToRgb(const uchar* argb, int width, bool alpha, uchar* out) {
  const QRgb* px = reinterpret_cast<const QRgb*>(argb);
  for (int x = 0; x < width; ++x) {
    const QRgb p = px[x];
    *out++ = static_cast<uchar>(qRed(p));
    *out++ = static_cast<uchar>(qGreen(p));
    *out++ = static_cast<uchar>(qBlue(p));
    if (alpha) *out++ = static_cast<uchar>(qAlpha(p));
  }
}

// ---- PNG

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
  if (!WriteToDescriptor(sink->fd, {reinterpret_cast<const char*>(data), length})) {
    sink->Fail(errno);
    png_error(png, "write failed");
  }
}
void PngFlush(png_structp) {}
[[noreturn]] void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

// Only trivially destructible locals live in this frame: libpng leaves it
// by longjmp on any error.
bool PngRows(png_structp png, png_infop info, const StreamedPicture& p, QImage* band,
             std::vector<uchar>* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height), 8,
               p.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  const auto dpm = static_cast<png_uint_32>(std::lround(p.dpi / 0.0254));
  png_set_pHYs(png, info, dpm, dpm, PNG_RESOLUTION_METER);
  // Flat colours repeat from row to row, so only the cheap filters pay.
  // Window-sized pictures compress well at zlib's usual level for little
  // time; a fast level keeps a print-sized one from spending most of its
  // time in zlib.
  png_set_filter(png, 0, PNG_FILTER_NONE | PNG_FILTER_UP);
  const bool big = static_cast<double>(p.width) * p.height > 16e6;
  png_set_compression_level(png, big ? 3 : 6);
  png_write_info(png, info);
  for (int top = 0; top < p.height; top += band->height()) {
    const int rows = std::min(band->height(), p.height - top);
    p.render(top, *band);
    for (int y = 0; y < rows; ++y) {
      ToRgb(band->constScanLine(y), p.width, p.alpha, row->data());
      png_write_row(png, row->data());
    }
    if (p.progress) p.progress(double(top + rows) / p.height);
  }
  png_write_end(png, info);
  return true;
}

bool WritePng(const StreamedPicture& p, Sink& sink, QImage& band) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, PngError, PngWarning);
  if (!png) return sink.Fail(ENOMEM);
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return sink.Fail(ENOMEM);
  }
  png_set_write_fn(png, &sink, PngWrite, PngFlush);
  std::vector<uchar> row(static_cast<size_t>(p.width) * (p.alpha ? 4 : 3));
  const bool ok = PngRows(png, info, p, &band, &row);
  png_destroy_write_struct(&png, &info);
  return ok || sink.Fail(EIO);
}

// ---- TIFF

tsize_t TiffRead(thandle_t h, tdata_t buf, tsize_t size) {
  return ::read(static_cast<Sink*>(h)->fd, buf, static_cast<size_t>(size));
}
tsize_t TiffWrite(thandle_t h, tdata_t buf, tsize_t size) {
  auto* sink = static_cast<Sink*>(h);
  if (!WriteToDescriptor(sink->fd, {static_cast<const char*>(buf), static_cast<size_t>(size)})) {
    sink->Fail(errno);
    return -1;
  }
  return size;
}
toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
  return static_cast<toff_t>(::lseek(static_cast<Sink*>(h)->fd, static_cast<off_t>(off), whence));
}
int TiffClose(thandle_t) { return 0; }  // the descriptor belongs to the caller
toff_t TiffSize(thandle_t h) {
  struct stat st {};
  return ::fstat(static_cast<Sink*>(h)->fd, &st) == 0 ? static_cast<toff_t>(st.st_size) : 0;
}
int TiffMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void TiffUnmap(thandle_t, tdata_t, toff_t) {}

bool WriteTiff(const StreamedPicture& p, Sink& sink, QImage& band) {
  // libtiff reports through global handlers; the save's own message is
  // the one the user sees.
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  const int channels = p.alpha ? 4 : 3;
  // A classic TIFF cannot pass 4 GB; a picture that might is written as a
  // BigTIFF.
  const double raw = double(p.width) * p.height * channels;
  TIFF* tif = TIFFClientOpen("picture", raw > 3.5e9 ? "w8" : "w", &sink, TiffRead, TiffWrite,
                             TiffSeek, TiffClose, TiffSize, TiffMap, TiffUnmap);
  if (!tif) return sink.Fail(EIO);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(p.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(p.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, channels);
  if (p.alpha) {
    const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(p.dpi));
  TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(p.dpi));
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  std::vector<uchar> row(static_cast<size_t>(p.width) * channels);
  bool ok = true;
  for (int top = 0; ok && top < p.height; top += band.height()) {
    const int rows = std::min(band.height(), p.height - top);
    p.render(top, band);
    for (int y = 0; ok && y < rows; ++y) {
      ToRgb(band.constScanLine(y), p.width, p.alpha, row.data());
      ok = TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(top + y), 0) == 1;
    }
    if (ok && p.progress) p.progress(double(top + rows) / p.height);
  }
  ok = ok && TIFFFlush(tif) == 1;
  TIFFClose(tif);
  return ok || sink.Fail(EIO);
}

}  // namespace

bool SaveStreamedPicture(const StreamedPicture& p, const std::string& path, StreamedKind kind,
                         std::string* error) {
  if (!CheckWritable(path, error)) return false;
  QImage band(p.width, std::clamp(p.bandRows, 1, std::max(p.height, 1)),
              QImage::Format_ARGB32_Premultiplied);
  if (p.width <= 0 || p.height <= 0 || band.isNull()) {
    if (error) *error = WriteFailedText(path, ENOMEM);
    return false;
  }
  return WriteFileStreamed(
      path,
      [&](int fd) {
        Sink sink{fd};
        const bool ok =
            kind == StreamedKind::PNG ? WritePng(p, sink, band) : WriteTiff(p, sink, band);
        if (!ok) errno = sink.err;
        return ok;
      },
      error);
}

bool SaveImageStreamed(const QImage& image, const std::string& path, StreamedKind kind, bool alpha,
                       std::string* error) {
  const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  StreamedPicture p;
  p.width = source.width();
  p.height = source.height();
  p.alpha = alpha;
  p.bandRows = 64;
  p.render = [&source](int top, QImage& band) {
    const int rows = std::min(band.height(), source.height() - top);
    for (int y = 0; y < rows; ++y)
      std::copy_n(source.constScanLine(top + y), source.bytesPerLine(), band.scanLine(y));
  };
  return SaveStreamedPicture(p, path, kind, error);
}

}  // namespace wlg
