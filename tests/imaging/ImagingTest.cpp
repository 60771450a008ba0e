// Picture writers: the DIB section, JPEG and BMP files, the output name
// rule and the metafile recorder, read back by outside readers where present.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <vector>

#include "imaging/DIBSection.h"
#include "imaging/EmfRecorder.h"
#include "imaging/PictureFiles.h"
#include "imaging/SaveJPG.h"

namespace wlg {
namespace {

using Bytes = std::vector<int>;

std::string In(const QTemporaryDir& dir, const char* name) {
  return dir.filePath(QString::fromLatin1(name)).toStdString();
}
QByteArray ReadAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QStringList Entries(const QTemporaryDir& dir) {
  return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}
int32_t Int32At(const QByteArray& b, qsizetype at) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= uint32_t(uint8_t(b[at + i])) << (8 * i);
  return int32_t(u);
}
QByteArray RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  EXPECT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return p.readAllStandardOutput();
}

// Four solid quadrants, so that a flip or swapped channels both show.
const QColor QuadrantColours[4] = {{220, 30, 30}, {20, 200, 40}, {30, 40, 210}, {255, 255, 255}};
QImage Quadrants(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      img.setPixelColor(x, y, QuadrantColours[(y >= h / 2) * 2 + (x >= w / 2)]);
  return img;
}
void ExpectQuadrants(const QImage& got, int w, int h) {
  ASSERT_EQ(got.size(), QSize(w, h));
  for (int q = 0; q < 4; ++q) {
    const QColor a = got.pixelColor((q % 2 * 2 + 1) * w / 4, (q / 2 * 2 + 1) * h / 4);
    const QColor& b = QuadrantColours[q];
    EXPECT_NEAR(a.red(), b.red(), 12) << "quadrant " << q;
    EXPECT_NEAR(a.green(), b.green(), 12) << "quadrant " << q;
    EXPECT_NEAR(a.blue(), b.blue(), 12) << "quadrant " << q;
  }
}

TEST(DIBSectionTest, RowsArePaddedAndBadSizesRefused) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(100, 50));
  EXPECT_EQ(dib.BytesPerScanLine(), 300);
  ASSERT_TRUE(dib.Create(101, 50));  // a second Create replaces the first bitmap
  EXPECT_EQ(dib.BytesPerScanLine(), 304);

  for (auto [w, h] : {std::pair{0, 10}, {-3, 5}, {cDIBSection::MaxSide + 1, 1}, {60000, 60000}}) {
    EXPECT_FALSE(dib.Create(w, h)) << w << "x" << h;
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);  // the earlier bitmap is gone too
  }
  EXPECT_FALSE(dib.CopyFrom(Quadrants(4, 4)));
}

TEST(SaveJpgTest, FailuresLeaveNoFileAndKeepAnEarlierOne) {
  QTemporaryDir dir;
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(8, 8));
  std::string error;
  EXPECT_FALSE(SaveJPG(dib, In(dir, "missing/x.jpg"), 90, &error));
  EXPECT_EQ(error, "Failed to save " + In(dir, "missing/x.jpg") + ": no such folder");
  EXPECT_TRUE(Entries(dir).isEmpty());

  // An empty bitmap (after a failed Create) is not written over an earlier file.
  const std::string earlier = In(dir, "earlier.jpg");
  if (QFile f(QString::fromStdString(earlier)); f.open(QIODevice::WriteOnly))
    f.write("earlier bytes");
  EXPECT_FALSE(dib.Create(0, 8));
  EXPECT_FALSE(SaveJPG(dib, earlier, 90, &error));
  EXPECT_EQ(ReadAll(earlier), QByteArray("earlier bytes"));
  EXPECT_EQ(Entries(dir), QStringList{"earlier.jpg"});
}

TEST(PictureFilesTest, OutputNameNeedsTheLastDotPastPositionTwo) {
  const std::pair<const char*, const char*> cases[] = {{"a.b.c", "a.b.jpg"},
                                                       {"ab.x", "ab.jpg"},
                                                       {"a.jpg", nullptr},
                                                       {"/tmp/x.y/name", nullptr},
                                                       {"/tmp/.hidden", nullptr}};
  for (auto [chosen, written] : cases) {
    EXPECT_EQ(PictureOutputName(chosen, "jpg"),
              written ? std::optional<std::string>(written) : std::nullopt)
        << chosen;
  }
}

TEST(PictureFilesTest, CanvasPicturesReadBackInEveryKind) {
  QTemporaryDir dir;
  const QImage canvas = Quadrants(31, 20);  // odd width: padded rows in BMP and DIB
  std::string error;
  const std::string bmp = In(dir, "c.bmp"), jpg = In(dir, "c.jpg");
  ASSERT_TRUE(SaveCanvasPicture(canvas, bmp, PictureKind::BMP, &error)) << error;
  ASSERT_TRUE(SaveCanvasPicture(canvas, jpg, PictureKind::JPG, &error)) << error;
  EXPECT_EQ(uint8_t(ReadAll(bmp).at(28)), 24);  // bits per pixel
  EXPECT_EQ(QImage(QString::fromStdString(bmp)).convertToFormat(QImage::Format_RGB32), canvas);
  ExpectQuadrants(QImage(QString::fromStdString(jpg)), 31, 20);
  if (const QString identify = QStandardPaths::findExecutable("identify"); !identify.isEmpty()) {
    for (const std::string& file : {bmp, jpg}) {
      const QString said = RunTool(identify, {"-format", "%m %w %h", QString::fromStdString(file)});
      EXPECT_TRUE(QRegularExpression("^(BMP[23]?|JPEG) 31 20$").match(said).hasMatch())
          << said.toStdString();
    }
  }
  if (const QString djpeg = QStandardPaths::findExecutable("djpeg"); !djpeg.isEmpty())
    ExpectQuadrants(QImage::fromData(RunTool(djpeg, {"-ppm", QString::fromStdString(jpg)})), 31,
                    20);
}

TEST(EmfRecorderTest, EachFigureIsAPathWithItsPenAndBrushInCanvasPixels) {
  QTemporaryDir dir;
  const std::string path = In(dir, "r.emf");
  std::string error;
  auto emf = EmfRecorder::Create(path, 400, 300, &error);
  ASSERT_NE(emf, nullptr) << error;
  const IPoint square[] = {{10, 20}, {110, 20}, {110, 120}, {10, 120}};
  auto figure = [&](int count, int pen, bool closed, bool filled, Colour fill) {
    RecordedFigure f;
    f.pixels = square;
    f.count = count;
    f.penWidth = pen;
    f.closed = closed;
    f.filled = filled;
    f.fill = fill;
    emf->Record(f);
  };
  figure(4, 3, true, true, Rgb(255, 128, 0));
  figure(4, 1, true, false, Rgb(0, 0, 255));
  figure(3, 2, false, false, 0);
  EXPECT_TRUE(Entries(dir).isEmpty());  // nothing appears until the metafile is closed
  ASSERT_TRUE(emf->Close(&error)) << error;

  // The frame in hundredths of a millimetre (400 x 300 pixels of 15 twips),
  // then the records: pens and brushes in order, the end record last.
  const QByteArray b = ReadAll(path);
  ASSERT_GE(b.size(), 108);
  EXPECT_EQ(Bytes({Int32At(b, 24), Int32At(b, 28), Int32At(b, 32), Int32At(b, 36)}),
            (Bytes{0, 0, 10582, 7937}));
  Bytes pens, brushes;
  int last = 0;
  for (qsizetype at = 0; at + 8 <= b.size(); at += Int32At(b, at + 4)) {
    ASSERT_GE(Int32At(b, at + 4), 8);
    last = Int32At(b, at);
    if (last == 38) pens.push_back(Int32At(b, at + 16));     // EMR_CREATEPEN
    if (last == 39) brushes.push_back(Int32At(b, at + 16));  // EMR_CREATEBRUSHINDIRECT
  }
  EXPECT_EQ(last, 14);  // EMR_EOF
  EXPECT_EQ(pens, (Bytes{3, 1, 2}));
  EXPECT_EQ(brushes, (Bytes{int(Rgb(255, 128, 0)), int(Rgb(0, 0, 255))}));

  const QString conv = QStandardPaths::findExecutable("emf2svg-conv");
  if (conv.isEmpty()) GTEST_SKIP() << "emf2svg-conv is not installed";
  RunTool(conv, {"-i", QString::fromStdString(path), "-o", dir.filePath("r.svg")});
  const QString svg = QString::fromUtf8(ReadAll(In(dir, "r.svg")));
  EXPECT_EQ(svg.count("<path"), 3) << svg.toStdString();
  EXPECT_EQ(svg.count("M 10.0000,20.0000 L 110.0000,20.0000 L 110.0000,120.0000 "
                      "L 10.0000,120.0000 L 10.0000,20.0000"),
            2);  // closed figures end where they began
  // The picture is as large as the canvas: logical units are canvas pixels.
  const auto size =
      QRegularExpression("<svg[^>]*width=\"([0-9.]+)\" height=\"([0-9.]+)\"").match(svg);
  ASSERT_TRUE(size.hasMatch()) << svg.toStdString();
  EXPECT_NEAR(size.captured(1).toDouble(), 400, 1.5);
  EXPECT_NEAR(size.captured(2).toDouble(), 300, 1.5);
}

}  // namespace
}  // namespace wlg
