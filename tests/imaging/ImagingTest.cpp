#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>
#include <vector>

#include "imaging/DIBSection.h"
#include "imaging/EmfRecorder.h"
#include "imaging/PictureFiles.h"
#include "imaging/SaveJPG.h"

namespace wlg {
namespace {

using Bytes = std::vector<int>;

std::string PathIn(const QTemporaryDir& dir, const char* name) {
  return dir.filePath(QString::fromLatin1(name)).toStdString();
}
QByteArray ReadAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// Writes bytes; a non-zero 'secs' also back-dates the file's modification time.
void Plant(const std::string& path, const QByteArray& bytes, qint64 secs = 0) {
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_EQ(f.write(bytes), bytes.size());
  ASSERT_TRUE(f.flush());
  if (secs) {
    ASSERT_TRUE(
        f.setFileTime(QDateTime::fromSecsSinceEpoch(secs), QFileDevice::FileModificationTime));
  }
}
qint64 ModifiedSecs(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).lastModified().toSecsSinceEpoch();
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

TEST(DIBSectionTest, SizesRowPaddingAndRefusals) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(100, 50));
  EXPECT_EQ(dib.BytesPerScanLine(), 300);
  EXPECT_EQ(dib.BytesPerScanLine() - dib.Width() * 3, 0);
  ASSERT_TRUE(dib.Create(101, 50));  // a second Create replaces the first bitmap
  EXPECT_EQ(dib.BytesPerScanLine(), 304);
  EXPECT_EQ(dib.BytesPerScanLine() - dib.Width() * 3, 1);

  for (auto [w, h] : std::vector<std::pair<int, int>>{
           {0, 10}, {10, 0}, {-3, 5}, {cDIBSection::MaxSide + 1, 1}, {60000, 60000}}) {
    EXPECT_FALSE(dib.Create(w, h)) << w << "x" << h;
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);  // the earlier bitmap is gone too
    EXPECT_EQ(dib.Width(), 0);
  }
  EXPECT_FALSE(dib.CopyFrom(Quadrants(4, 4)));
}

TEST(DIBSectionTest, CopyFromStoresRowsBottomUpInBlueGreenRedOrder) {
  QImage img(3, 2, QImage::Format_ARGB32);
  img.fill(QColor(1, 2, 3));
  img.setPixelColor(0, 0, QColor(10, 20, 30));  // top left
  img.setPixelColor(2, 1, QColor(40, 50, 60));  // bottom right
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  ASSERT_TRUE(dib.CopyFrom(img));
  const uint8_t* bits = dib.DIBSectionBitsPtr();
  ASSERT_EQ(dib.BytesPerScanLine(), 12);
  EXPECT_EQ(Bytes(bits + 12, bits + 15), (Bytes{30, 20, 10}));  // last row = top of the image
  EXPECT_EQ(Bytes(bits + 6, bits + 12), (Bytes{60, 50, 40, 0, 0, 0}));  // then the padding

  // A smaller image covers only the top-left corner; the rest stays black.
  ASSERT_TRUE(dib.Create(3, 2));
  QImage small(1, 1, QImage::Format_RGB32);
  small.fill(QColor(200, 100, 50));
  ASSERT_TRUE(dib.CopyFrom(small));
  bits = dib.DIBSectionBitsPtr();
  EXPECT_EQ(Bytes(bits, bits + 3), (Bytes{0, 0, 0}));
  EXPECT_EQ(Bytes(bits + 12, bits + 18), (Bytes{50, 100, 200, 0, 0, 0}));
}

TEST(SaveJpgTest, WritesAnUprightPictureThatReadersDecode) {
  QTemporaryDir dir;
  const std::string path = PathIn(dir, "q.jpg");
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(101, 77));  // odd width: padded rows
  ASSERT_TRUE(dib.CopyFrom(Quadrants(101, 77)));
  std::string error;
  ASSERT_TRUE(SaveJPG(dib, path, 90, &error)) << error;
  ExpectQuadrants(QImage(QString::fromStdString(path), "JPG"), 101, 77);

  const QString djpeg = QStandardPaths::findExecutable("djpeg");
  if (!djpeg.isEmpty())
    ExpectQuadrants(QImage::fromData(RunTool(djpeg, {"-ppm", QString::fromStdString(path)}), "PPM"),
                    101, 77);
}

TEST(SaveJpgTest, ReplacedFileKeepsItsDatesAndPermissions) {
  QTemporaryDir dir;
  const std::string path = PathIn(dir, "old.jpg");
  Plant(path, "not a jpeg", 1'000'000'000);
  const auto ownerGroupOther = QFileDevice::Permissions::fromInt(0x7077);
  const auto chosen = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
  ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(path), chosen));
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(8, 8));
  std::string error;
  ASSERT_TRUE(SaveJPG(dib, path, 90, &error)) << error;
  EXPECT_TRUE(ReadAll(path).startsWith("\xff\xd8"));
  EXPECT_EQ(ModifiedSecs(path), 1'000'000'000);
  EXPECT_EQ(QFileInfo(QString::fromStdString(path)).permissions() & ownerGroupOther, chosen);
}

TEST(SaveJpgTest, FailuresLeaveNoFileAndKeepAnEarlierOne) {
  QTemporaryDir dir;
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(8, 8));
  std::string error;
  EXPECT_FALSE(SaveJPG(dib, PathIn(dir, "missing/x.jpg"), 90, &error));
  EXPECT_EQ(error, "Failed to save to JPG -1");
  EXPECT_TRUE(Entries(dir).isEmpty());

  // An empty bitmap (after a failed Create) is not written over an earlier file.
  const std::string earlier = PathIn(dir, "earlier.jpg");
  Plant(earlier, "earlier bytes");
  EXPECT_FALSE(dib.Create(0, 8));
  error.clear();
  EXPECT_FALSE(SaveJPG(dib, earlier, 90, &error));
  EXPECT_EQ(error, "Failed to save to JPG -1");
  EXPECT_EQ(ReadAll(earlier), QByteArray("earlier bytes"));
  EXPECT_EQ(Entries(dir), QStringList{"earlier.jpg"});
}

TEST(PictureFilesTest, ReadOnlyFolderRefusesEveryWriterAndKeepsTheEarlierFile) {
  QTemporaryDir dir;
  const std::string earlier = PathIn(dir, "p.jpg");
  Plant(earlier, "earlier bytes");
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  struct Restore {
    QString path;
    ~Restore() {
      QFile::setPermissions(
          path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
  } restore{dir.path()};
  if (QFile probe(dir.filePath("probe")); probe.open(QIODevice::WriteOnly)) {
    probe.remove();
    GTEST_SKIP() << "folder permissions are not enforced for this user";
  }
  std::string error;
  for (PictureKind kind : {PictureKind::JPG, PictureKind::BMP, PictureKind::PNG}) {
    error.clear();
    EXPECT_FALSE(SaveCanvasPicture(Quadrants(10, 10), earlier, kind, &error));
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(EmfRecorder::Create(earlier, 10, 10, &error), nullptr);
  EXPECT_EQ(ReadAll(earlier), QByteArray("earlier bytes"));
  EXPECT_EQ(Entries(dir), QStringList{"p.jpg"});
}

TEST(PictureFilesTest, OutputNameNeedsABaseBeforeTheLastDot) {
  EXPECT_EQ(PictureOutputName("abc.png", "jpg"), "abc.jpg");
  EXPECT_EQ(PictureOutputName("ab.x", "bmp"), "ab.bmp");  // last dot at position 3
  EXPECT_EQ(PictureOutputName("a.b.c", "jpg"), "a.b.jpg");
  EXPECT_EQ(PictureOutputName("/tmp/a.jpeg", "jpg"), "/tmp/a.jpg");
  EXPECT_EQ(PictureOutputName("/tmp/x.y/name.z", "bmp"), "/tmp/x.y/name.bmp");

  EXPECT_EQ(PictureOutputName("a.jpg", "jpg"), std::nullopt);  // position 2
  EXPECT_EQ(PictureOutputName(".jpg", "jpg"), std::nullopt);   // position 1
  EXPECT_EQ(PictureOutputName("abc", "jpg"), std::nullopt);
  EXPECT_EQ(PictureOutputName("/tmp/x.y/name", "jpg"), std::nullopt);  // dot only in a folder
  EXPECT_EQ(PictureOutputName("/tmp/.hidden", "jpg"), std::nullopt);   // no base name
}

TEST(PictureFilesTest, CanvasPicturesReadBackInEveryKind) {
  QTemporaryDir dir;
  const QImage canvas = Quadrants(30, 20);
  std::string error;
  const std::string bmp = PathIn(dir, "c.bmp"), png = PathIn(dir, "c.png"),
                    jpg = PathIn(dir, "c.jpg");

  ASSERT_TRUE(SaveCanvasPicture(canvas, bmp, PictureKind::BMP, &error)) << error;
  const QByteArray bytes = ReadAll(bmp);
  ASSERT_GT(bytes.size(), 30);
  EXPECT_TRUE(bytes.startsWith("BM"));
  EXPECT_EQ(uint8_t(bytes[28]), 24);  // bits per pixel
  EXPECT_EQ(QImage(QString::fromStdString(bmp)).convertToFormat(QImage::Format_RGB32), canvas);
  if (const QString identify = QStandardPaths::findExecutable("identify"); !identify.isEmpty()) {
    const QString said = RunTool(identify, {"-format", "%m %w %h", QString::fromStdString(bmp)});
    EXPECT_TRUE(QRegularExpression("^BMP[23]? 30 20$").match(said).hasMatch())
        << said.toStdString();
  }

  ASSERT_TRUE(SaveCanvasPicture(canvas, png, PictureKind::PNG, &error)) << error;
  EXPECT_EQ(QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32), canvas);

  // A window's JPEG replaces an earlier file outright: it gets fresh dates.
  Plant(jpg, "old", 1'000'000'000);
  ASSERT_TRUE(SaveCanvasPicture(canvas, jpg, PictureKind::JPG, &error)) << error;
  EXPECT_GT(ModifiedSecs(jpg), 1'000'001'000);
  ExpectQuadrants(QImage(QString::fromStdString(jpg)), 30, 20);

  EXPECT_FALSE(SaveCanvasPicture(QImage(), PathIn(dir, "none.jpg"), PictureKind::JPG, &error));
  EXPECT_EQ(Entries(dir).size(), 3);
}

TEST(EmfRecorderTest, FrameFollowsTheCanvasSize) {
  const EmfFrame f = EmfFrameFor(400, 300);  // 6000 x 4500 twips
  EXPECT_EQ(Bytes({f.left, f.top, f.right, f.bottom}), (Bytes{0, 0, 10582, 7937}));
}

TEST(EmfRecorderTest, RecordsEachFigureAsAPathWithItsOwnPenAndBrush) {
  QTemporaryDir dir;
  const std::string path = PathIn(dir, "t.emf");
  std::string error;
  auto emf = EmfRecorder::Create(path, 400, 300, &error);
  ASSERT_NE(emf, nullptr) << error;
  const IPoint triangle[] = {{10, 10}, {390, 10}, {200, 290}};
  const IPoint zigzag[] = {{0, 0}, {50, 100}, {100, 0}, {150, 100}};
  emf->ClosedPath(triangle, 3, 3, true, Rgb(255, 128, 0));
  emf->OpenPath(zigzag, 4, 2);
  EXPECT_TRUE(Entries(dir).isEmpty());  // nothing appears until the metafile is closed
  ASSERT_TRUE(emf->Close(&error)) << error;

  const QByteArray b = ReadAll(path);
  ASSERT_GE(b.size(), 108);
  EXPECT_EQ(Int32At(b, 0), 1);
  EXPECT_EQ(b.mid(40, 4), QByteArray(" EMF"));
  EXPECT_EQ(Int32At(b, 48), b.size());
  EXPECT_EQ(Bytes({Int32At(b, 24), Int32At(b, 28), Int32At(b, 32), Int32At(b, 36)}),
            (Bytes{0, 0, 10582, 7937}));

  // Walk the records: counts by type, pen widths and brush colours in order.
  std::map<int, int> count;
  Bytes penWidths, brushColours;
  int last = 0;
  for (qsizetype at = 0; at + 8 <= b.size(); at += Int32At(b, at + 4)) {
    ASSERT_GE(Int32At(b, at + 4), 8);
    last = Int32At(b, at);
    ++count[last];
    if (last == 38) penWidths.push_back(Int32At(b, at + 16));     // EMR_CREATEPEN
    if (last == 39) brushColours.push_back(Int32At(b, at + 16));  // EMR_CREATEBRUSHINDIRECT
  }
  EXPECT_EQ(last, 14);          // EMR_EOF
  EXPECT_EQ(count[59], 2);      // BEGINPATH
  EXPECT_EQ(count[63], 1);      // STROKEANDFILLPATH: the triangle
  EXPECT_EQ(count[64], 1);      // STROKEPATH: the zigzag
  EXPECT_EQ(count[54], 3 + 3);  // LINETO: back to the start only for the closed figure
  EXPECT_EQ(penWidths, (Bytes{3, 2}));
  EXPECT_EQ(brushColours, (Bytes{int(Rgb(255, 128, 0))}));
  EXPECT_EQ(count[40], 3);  // DELETEOBJECT: both pens and the brush
}

TEST(EmfRecorderTest, AThirdPartyReaderDrawsTheFiguresInCanvasPixels) {
  const QString conv = QStandardPaths::findExecutable("emf2svg-conv");
  if (conv.isEmpty()) GTEST_SKIP() << "emf2svg-conv is not installed";
  QTemporaryDir dir;
  const std::string path = PathIn(dir, "r.emf");
  std::string error;
  auto emf = EmfRecorder::Create(path, 400, 300, &error);
  ASSERT_NE(emf, nullptr) << error;
  const IPoint square[] = {{10, 20}, {110, 20}, {110, 120}, {10, 120}};
  emf->ClosedPath(square, 4, 1, true, Rgb(0, 0, 255));
  emf->ClosedPath(square, 4, 1, false, Rgb(0, 0, 255));
  ASSERT_TRUE(emf->Close(&error)) << error;

  RunTool(conv, {"-i", QString::fromStdString(path), "-o", dir.filePath("r.svg")});
  const QString svg = QString::fromUtf8(ReadAll(PathIn(dir, "r.svg")));
  EXPECT_TRUE(
      svg.contains("M 10.0000,20.0000 L 110.0000,20.0000 L 110.0000,120.0000 "
                   "L 10.0000,120.0000 L 10.0000,20.0000"))
      << svg.toStdString();
  EXPECT_EQ(svg.count("fill=\"#0000FF\""), 1) << svg.toStdString();
  // The picture is as large as the canvas: logical units are canvas pixels.
  const auto size =
      QRegularExpression("<svg[^>]*width=\"([0-9.]+)\" height=\"([0-9.]+)\"").match(svg);
  ASSERT_TRUE(size.hasMatch()) << svg.toStdString();
  EXPECT_NEAR(size.captured(1).toDouble(), 400, 1.5);
  EXPECT_NEAR(size.captured(2).toDouble(), 300, 1.5);
}

TEST(EmfRecorderTest, FailedOrAbandonedRecordingsLeaveNoFile) {
  QTemporaryDir dir;
  std::string error;
  EXPECT_EQ(EmfRecorder::Create(PathIn(dir, "missing/t.emf"), 400, 300, &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(Entries(dir).isEmpty());

  const std::string earlier = PathIn(dir, "t.emf");
  Plant(earlier, "earlier bytes");
  const IPoint line[] = {{0, 0}, {5, 5}};
  auto emf = EmfRecorder::Create(earlier, 400, 300, &error);
  ASSERT_NE(emf, nullptr) << error;
  emf->OpenPath(line, 2, 1);
  emf.reset();  // dropped without Close
  EXPECT_EQ(ReadAll(earlier), QByteArray("earlier bytes"));
  EXPECT_EQ(Entries(dir), QStringList{"t.emf"});

  emf = EmfRecorder::Create(earlier, 400, 300, &error);
  ASSERT_NE(emf, nullptr) << error;
  ASSERT_TRUE(emf->Close(&error)) << error;
  EXPECT_EQ(ReadAll(earlier).mid(40, 4), QByteArray(" EMF"));
  EXPECT_FALSE(emf->Close(&error));  // a second Close writes nothing
  EXPECT_EQ(Entries(dir), QStringList{"t.emf"});
}

}  // namespace
}  // namespace wlg
