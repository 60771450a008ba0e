// Redrawn pictures at any scale, a band at a time, and the PNG and TIFF
// files they stream into, read back by other programs.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "imaging/BandedRaster.h"
#include "imaging/StreamedImage.h"
#include "support/DesignerHarness.h"
#include "support/PictureCompare.h"

namespace wlg {
namespace {

const std::string kSample = std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";

// Where two pictures first differ, for failure messages.
std::string FirstDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return "sizes differ";
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y))
        return std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(a.pixel(x, y)) +
               " vs " + std::to_string(b.pixel(x, y));
  return "same";
}

// The picture drawn a few rows at a time.
QImage InBands(const BandedRaster& r, int rows) {
  QImage whole(r.Width(), r.Height(), BandedRaster::kFormat);
  QImage band(r.Width(), rows, BandedRaster::kFormat);
  for (int top = 0; top < r.Height(); top += rows) {
    r.RenderBand(top, band);
    for (int y = 0; y < rows && top + y < r.Height(); ++y)
      std::copy_n(band.constScanLine(y), band.bytesPerLine(), whole.scanLine(top + y));
  }
  return whole;
}

TEST(BandedRaster, SampleRedrawMatchesTheCanvasWithoutSeams) {
  testing::DesignerHarness h;
  h.Start("\"" + kSample + "\"");
  h.tess.Show();
  auto& canvas = h.tess.picT().canvas;
  VectorRecorder recorder(canvas.Width(), canvas.Height(), h.tess.TessBackColour());
  h.tess.RecordRedraw(recorder);
  const QImage window = canvas.Image().copy();

  const BandedRaster same(recorder.Drawing(), {});
  ASSERT_EQ(QSize(same.Width(), same.Height()), window.size());
  const double differ = testing::ExpectDifferencesOnlyAtEdges(window, same.Render(), "scale 1");
  EXPECT_LT(differ, 0.05);

  for (double scale : {1.0, 2.5}) {
    const BandedRaster r(recorder.Drawing(), {scale, true, false});
    const QImage whole = r.Render();
    const QImage bands = InBands(r, 7);
    EXPECT_EQ(FirstDifference(bands, whole), "same") << "bands of 7 rows at scale " << scale;
  }
}

// A red square with a black one-pixel outline, and an open line.
VectorDrawing Square() {
  VectorDrawing d;
  d.width = 40;
  d.height = 40;
  d.background = 0xffffff;
  d.points = {{10, 10}, {30, 10}, {30, 30}, {10, 30}, {5, 35}, {35, 35}};
  VectorFigure fill;
  fill.count = 4;
  fill.filled = true;
  fill.fill = 0x0000ff;  // red
  d.figures.push_back(fill);
  VectorFigure line;
  line.first = 4;
  line.count = 2;
  line.closed = false;
  d.figures.push_back(line);
  return d;
}

// Dark pixels down column x from row y0 on.
int DarkRun(const QImage& img, int x, int y0) {
  int n = 0;
  for (int y = y0; y < img.height() && qGray(img.pixel(x, y)) < 64; ++y) ++n;
  return n;
}
int FirstDark(const QImage& img, int x, int from) {
  for (int y = from; y < img.height(); ++y)
    if (qGray(img.pixel(x, y)) < 64) return y;
  return -1;
}

TEST(BandedRaster, ScaledFlatColoursAndLineWidths) {
  const VectorDrawing d = Square();
  for (bool scaleLines : {false, true}) {
    const QImage img = BandedRaster(d, {3, scaleLines, false}).Render();
    ASSERT_EQ(img.size(), QSize(120, 120));
    // Inside the square red, outside white, whatever the pens.
    for (int y = 36; y < 84; ++y)
      for (int x = 36; x < 84; ++x) ASSERT_EQ(img.pixel(x, y), qRgb(255, 0, 0)) << x << "," << y;
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(115, 60), qRgb(255, 255, 255));
    // The square's top edge and the open line at the same width.
    const int want = scaleLines ? 3 : 1;
    const int top = FirstDark(img, 60, 0), line = FirstDark(img, 60, 95);
    ASSERT_GE(top, 0);
    ASSERT_GE(line, 0);
    EXPECT_EQ(DarkRun(img, 60, top), want) << "square's edge, scale lines " << scaleLines;
    EXPECT_EQ(DarkRun(img, 60, line), want) << "open line, scale lines " << scaleLines;
  }
  // See-through: the background clear, the figures opaque.
  const QImage clear = BandedRaster(d, {2, false, true}).Render();
  EXPECT_EQ(qAlpha(clear.pixel(2, 2)), 0);
  EXPECT_EQ(clear.pixel(40, 40), qRgb(255, 0, 0));
}

QString Tool(const char* name) { return QStandardPaths::findExecutable(name); }
QString RunTool(const QString& tool, const QStringList& args, int* code) {
  QProcess p;
  p.start(tool, args);
  p.waitForFinished(60000);
  *code = p.exitCode();
  return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

TEST(StreamedImage, PngAndTiffReadByOtherPrograms) {
  QTemporaryDir dir;
  const VectorDrawing d = Square();
  const BandedRaster r(d, {4, false, true});
  StreamedPicture p;
  p.width = r.Width();
  p.height = r.Height();
  p.alpha = true;
  p.bandRows = 13;  // bands that do not divide the height
  p.render = [&r](int top, QImage& band) { r.RenderBand(top, band); };
  const QImage want = r.Render().convertToFormat(QImage::Format_ARGB32);
  for (const char* name : {"s.png", "s.tif"}) {
    const std::string path = dir.filePath(name).toStdString();
    StreamedKind kind;
    ASSERT_TRUE(StreamedKindOf(FileExtension(path), &kind));
    std::string error;
    ASSERT_TRUE(SaveStreamedPicture(p, path, kind, &error)) << error;
    int code = 0;
    const QString convert = Tool("convert");
    if (convert.isEmpty()) GTEST_SKIP() << "ImageMagick is not installed";
    const QString back = dir.filePath(QString(name) + ".back.png");
    RunTool(convert, {dir.filePath(name), "PNG32:" + back}, &code);
    ASSERT_EQ(code, 0) << name;
    const QImage got = QImage(back).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(FirstDifference(got, want), "same") << name;
  }
  int code = 0;
  if (const QString pngcheck = Tool("pngcheck"); !pngcheck.isEmpty()) {
    const QString said = RunTool(pngcheck, {dir.filePath("s.png")}, &code);
    EXPECT_EQ(code, 0) << said.toStdString();
    EXPECT_TRUE(said.contains("160x160") && said.contains("RGB+alpha")) << said.toStdString();
  }
  if (const QString tiffinfo = Tool("tiffinfo"); !tiffinfo.isEmpty()) {
    const QString said = RunTool(tiffinfo, {dir.filePath("s.tif")}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(said.contains("Image Width: 160 Image Length: 160") &&
                said.contains("Extra Samples: 1<unassoc-alpha>"))
        << said.toStdString();
  }
  // A folder that is not there: the reason, and no file.
  const std::string missing = dir.filePath("no/such.png").toStdString();
  std::string error;
  EXPECT_FALSE(SaveStreamedPicture(p, missing, StreamedKind::PNG, &error));
  EXPECT_EQ(error, "Failed to save " + missing + ": no such folder");
}

}  // namespace
}  // namespace wlg
