#include "imaging/EmfRecorder.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Numbers.h"
#include "platform/SafeFile.h"

// libEMF's Windows-style headers define a great many names and macros; they
// stay in this one file, included after everything else.
#include <libEMF/emf.h>

namespace wlg {

EmfFrame EmfFrameFor(int widthPx, int heightPx) {
  EmfFrame f;
  f.right = static_cast<int>(RoundHalfEven(widthPx * 15 / 0.567));
  f.bottom = static_cast<int>(RoundHalfEven(heightPx * 15 / 0.567));
  return f;
}

namespace {

void PutInt32(std::string& bytes, size_t offset, int32_t value) {
  const auto u = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((u >> (8 * i)) & 0xff);
}

uint32_t GetUInt32(const std::string& bytes, size_t offset) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i)
    u |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  return u;
}

// libEMF ignores the reference device and always describes a fixed one of
// about 81 dpi, so its logical units would not be the canvas pixels the
// frame was computed from. The header is rewritten to name a 96-dpi device
// (480 pixels per 127 mm, exactly 15 twips per pixel) covering the canvas,
// with the canvas as the bounds. False when the header is not the expected
// one.
bool DescribeCanvasDevice(std::string& bytes, int widthPx, int heightPx) {
  constexpr size_t HeaderWithMicrometres = 108;
  if (bytes.size() < HeaderWithMicrometres || GetUInt32(bytes, 0) != 1 ||
      std::memcmp(bytes.data() + 40, " EMF", 4) != 0)
    return false;
  const uint32_t size = GetUInt32(bytes, 4);
  const uint32_t descriptionAt = GetUInt32(bytes, 64);
  if (size < HeaderWithMicrometres || (descriptionAt != 0 && descriptionAt < HeaderWithMicrometres))
    return false;
  const int blocksX = (widthPx + 479) / 480, blocksY = (heightPx + 479) / 480;
  PutInt32(bytes, 8, 0);  // bounds, inclusive, in device pixels
  PutInt32(bytes, 12, 0);
  PutInt32(bytes, 16, widthPx - 1);
  PutInt32(bytes, 20, heightPx - 1);
  PutInt32(bytes, 72, blocksX * 480);  // device size in pixels
  PutInt32(bytes, 76, blocksY * 480);
  PutInt32(bytes, 80, blocksX * 127);  // in millimetres
  PutInt32(bytes, 84, blocksY * 127);
  PutInt32(bytes, 100, blocksX * 127000);  // in micrometres
  PutInt32(bytes, 104, blocksY * 127000);
  return true;
}

// libEMF takes a Windows description, "app\0title\0\0", and reads up to the
// second NUL: an empty one needs both.
constexpr char EmptyDescription[2] = {'\0', '\0'};

}  // namespace

struct EmfRecorder::Impl {
  std::string fileName;
  int width = 0, height = 0;
  // libEMF writes the whole metafile when it is closed; it goes to memory
  // first, so the header can be completed before anything reaches the disk.
  char* buffer = nullptr;
  size_t length = 0;
  FILE* stream = nullptr;
  HDC dc = 0;

  explicit Impl(std::string name) : fileName(std::move(name)) {}
  ~Impl() {
    if (dc) DeleteEnhMetaFile(CloseEnhMetaFileWithFILE(dc));
    if (stream) std::fclose(stream);
    std::free(buffer);
  }

  // stroke: a black pen of penWidth; fill: a solid brush of fillColour.
  // A closed figure with neither stroke nor fill is never asked for.
  void Figure(const IPoint* pts, int count, int penWidth, bool closed, bool stroke, bool fill,
              Colour fillColour) {
    if (!dc || count <= 0) return;
    HPEN pen = stroke ? CreatePen(PS_SOLID, penWidth, RGB(0, 0, 0)) : 0;
    HGDIOBJ oldPen = stroke ? SelectObject(dc, pen) : 0;
    HBRUSH brush = 0;
    HGDIOBJ oldBrush = 0;
    if (closed) {
      // Colour numbers are laid out as COLORREFs: red in the low byte.
      brush = CreateSolidBrush(static_cast<COLORREF>(fillColour));
      oldBrush = SelectObject(dc, brush);
    }
    BeginPath(dc);
    MoveToEx(dc, pts[0].x, pts[0].y, nullptr);
    for (int i = 1; i < count; ++i) LineTo(dc, pts[i].x, pts[i].y);
    if (closed) LineTo(dc, pts[0].x, pts[0].y);
    EndPath(dc);
    if (!stroke)
      FillPath(dc);
    else if (closed && fill)
      StrokeAndFillPath(dc);
    else
      StrokePath(dc);
    if (stroke) {
      SelectObject(dc, oldPen);
      DeleteObject(pen);
    }
    if (closed) {
      SelectObject(dc, oldBrush);
      DeleteObject(brush);
    }
  }
};

EmfRecorder::EmfRecorder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
EmfRecorder::~EmfRecorder() = default;

std::unique_ptr<EmfRecorder> EmfRecorder::Create(const std::string& fileName, int widthPx,
                                                 int heightPx, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = "Failed to create " + fileName + ": " + why;
    return nullptr;
  };
  if (widthPx <= 0 || heightPx <= 0) return fail("the canvas is empty");
  auto impl = std::make_unique<Impl>(fileName);
  impl->width = widthPx;
  impl->height = heightPx;
  // A missing or unwritable folder is found before anything is drawn.
  if (!CheckWritable(fileName, nullptr)) return fail(WriteFailureReason(fileName, 0));
  impl->stream = open_memstream(&impl->buffer, &impl->length);
  if (!impl->stream) return fail("out of memory");
  const EmfFrame f = EmfFrameFor(widthPx, heightPx);
  const RECT frame{f.left, f.top, f.right, f.bottom};
  impl->dc = CreateEnhMetaFileWithFILEA(0, impl->stream, &frame, EmptyDescription);
  if (!impl->dc) return fail("the metafile could not be started");
  return std::unique_ptr<EmfRecorder>(new EmfRecorder(std::move(impl)));
}

void EmfRecorder::Record(const RecordedFigure& f) {
  if (f.part != RecordedFigure::Part::Rank) {
    // The tile's own outlines are white faces, so the inner one lies on
    // top of the outer one.
    impl_->Figure(f.pixels, f.count, f.penWidth, true, true, true, Rgb(255, 255, 255));
    return;
  }
  if (!f.stroked && !(f.closed && f.filled)) return;
  impl_->Figure(f.pixels, f.count, f.penWidth, f.closed, f.stroked, f.filled, f.fill);
}

bool EmfRecorder::Close(std::string* error) {
  Impl& m = *impl_;
  auto fail = [&](const std::string& why) {
    if (error) *error = "Failed to write " + m.fileName + ": " + why;
    return false;
  };
  if (!m.dc) return fail("the metafile is already closed");
  HENHMETAFILE metafile = CloseEnhMetaFileWithFILE(m.dc);
  m.dc = 0;
  if (!metafile) return fail("the metafile could not be closed");
  DeleteEnhMetaFile(metafile);
  const bool streamed = std::fflush(m.stream) == 0 && !std::ferror(m.stream);
  std::fclose(m.stream);
  m.stream = nullptr;
  if (!streamed) return fail("out of memory");

  std::string bytes(m.buffer, m.length);
  if (!DescribeCanvasDevice(bytes, m.width, m.height))
    return fail("the metafile header is not as expected");
  return WriteFileAtomically(m.fileName, bytes, error);
}

}  // namespace wlg
