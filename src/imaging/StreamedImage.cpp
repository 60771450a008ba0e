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

namespace {

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
  auto* sink = static_cast<PictureSink*>(png_get_io_ptr(png));
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
  ForEachBand(p, *band, false, [&](int, int rows) {
    for (int y = 0; y < rows; ++y) {
      ToRgb(band->constScanLine(y), p.width, p.alpha, row->data());
      png_write_row(png, row->data());
    }
    return true;
  });
  png_write_end(png, info);
  return true;
}

}  // namespace

bool EncodePng(const StreamedPicture& p, PictureSink& sink, QImage& band) {
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

namespace {

tsize_t TiffRead(thandle_t h, tdata_t buf, tsize_t size) {
  return ::read(static_cast<PictureSink*>(h)->fd, buf, static_cast<size_t>(size));
}
tsize_t TiffWrite(thandle_t h, tdata_t buf, tsize_t size) {
  auto* sink = static_cast<PictureSink*>(h);
  if (!WriteToDescriptor(sink->fd, {static_cast<const char*>(buf), static_cast<size_t>(size)})) {
    sink->Fail(errno);
    return -1;
  }
  return size;
}
toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
  return static_cast<toff_t>(
      ::lseek(static_cast<PictureSink*>(h)->fd, static_cast<off_t>(off), whence));
}
int TiffClose(thandle_t) { return 0; }  // the descriptor belongs to the caller
toff_t TiffSize(thandle_t h) {
  struct stat st {};
  return ::fstat(static_cast<PictureSink*>(h)->fd, &st) == 0 ? static_cast<toff_t>(st.st_size) : 0;
}
int TiffMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void TiffUnmap(thandle_t, tdata_t, toff_t) {}

}  // namespace

bool EncodeTiff(const StreamedPicture& p, PictureSink& sink, QImage& band) {
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
  ForEachBand(p, band, false, [&](int top, int rows) {
    for (int y = 0; ok && y < rows; ++y) {
      ToRgb(band.constScanLine(y), p.width, p.alpha, row.data());
      ok = TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(top + y), 0) == 1;
    }
    return ok;
  });
  ok = ok && TIFFFlush(tif) == 1;
  TIFFClose(tif);
  return ok || sink.Fail(EIO);
}

// ---- BMP

namespace {

void Put16(uchar*& at, uint32_t v) {
  *at++ = static_cast<uchar>(v);
  *at++ = static_cast<uchar>(v >> 8);
}
void Put32(uchar*& at, uint32_t v) {
  Put16(at, v);
  Put16(at, v >> 16);
}

}  // namespace

// A 24-bit bottom-up BMP with the 40-byte header, laid out as Qt's own BMP
// writer lays it out, so a window's picture keeps the bytes it always had.
// Rows are stored bottom first, so the bands come last first.
bool EncodeBmp(const StreamedPicture& p, PictureSink& sink, QImage& band) {
  const size_t stride = (static_cast<size_t>(p.width) * 3 + 3) & ~size_t{3};
  const uint64_t pixels = uint64_t{stride} * static_cast<uint64_t>(p.height);
  const auto dpm = static_cast<uint32_t>(std::lround(p.dpi / 0.0254));
  uchar header[54] = {'B', 'M'};
  uchar* at = header + 2;
  Put32(at, static_cast<uint32_t>(sizeof header + pixels));  // the whole file
  Put32(at, 0);                                              // reserved
  Put32(at, sizeof header);                                  // where the pixels start
  Put32(at, 40);
  Put32(at, static_cast<uint32_t>(p.width));
  Put32(at, static_cast<uint32_t>(p.height));  // positive: bottom-up
  Put16(at, 1);                                // planes
  Put16(at, 24);                               // bits per pixel
  Put32(at, 0);                                // no compression
  Put32(at, static_cast<uint32_t>(pixels));
  Put32(at, dpm ? dpm : 2834);
  Put32(at, dpm ? dpm : 2834);
  if (!WriteToDescriptor(sink.fd, {reinterpret_cast<const char*>(header), sizeof header}))
    return sink.Fail(errno);
  std::vector<uchar> rows(stride * static_cast<size_t>(band.height()), 0);
  bool ok = true;
  ForEachBand(p, band, true, [&](int, int count) {
    uchar* out = rows.data();
    for (int y = count - 1; y >= 0; --y, out += stride) {
      const QRgb* px = reinterpret_cast<const QRgb*>(band.constScanLine(y));
      uchar* o = out;
      for (int x = 0; x < p.width; ++x) {
        *o++ = static_cast<uchar>(qBlue(px[x]));
        *o++ = static_cast<uchar>(qGreen(px[x]));
        *o++ = static_cast<uchar>(qRed(px[x]));
      }
    }
    ok = WriteToDescriptor(
        sink.fd, {reinterpret_cast<const char*>(rows.data()), stride * static_cast<size_t>(count)});
    return ok || sink.Fail(errno);
  });
  return ok;
}
}  // namespace wlg
