// The exporter's solids: a sample put on a solid and written as a picture,
// an OBJ mesh or a VRML scene, and the set-up question it cannot answer
// without --yes.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace wlg {
namespace {

struct RunResult {
  int code;
  std::string out, err;
};

RunResult Export(const QStringList& args) {
  QProcess p;
  p.start(WHIRLIGONS_EXPORTER, args);
  p.waitForFinished(60000);
  return {p.exitCode(), p.readAllStandardOutput().toStdString(),
          p.readAllStandardError().toStdString()};
}

std::string Read(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

const QString kSample = QString(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";

TEST(ExporterSolid, ASampleOnTheCubeAsAPicture) {
  QTemporaryDir dir;
  const QString png = dir.filePath("cube.png");
  const RunResult r = Export({"--solid", "Cube", "--yes", kSample, png});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
  const QImage img(png);
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.size(), QSize(480, 480));
  // The solid fills the middle with many shades; the corner is background.
  const QColor back = img.pixelColor(0, 0);
  int shaded = 0;
  for (int y = 140; y < 340; y += 4)
    for (int x = 140; x < 340; x += 4) shaded += img.pixelColor(x, y) != back;
  EXPECT_GT(shaded, 1200);

  // Repeatable, and the angles and size are the user's.
  const QString again = dir.filePath("again.png");
  ASSERT_EQ(Export({"--solid", "cube", "--yes", kSample, again}).code, 0);
  EXPECT_EQ(QImage(again), img);
  const QString turned = dir.filePath("turned.png");
  ASSERT_EQ(Export({"--solid", "Cube", "--yes", "--theta", "40", "--phi", "30", "--size",
                    "300x200", kSample, turned})
                .code,
            0);
  const QImage t(turned);
  EXPECT_EQ(t.size(), QSize(300, 200));
  EXPECT_NE(t.pixelColor(150, 100), t.pixelColor(0, 0));  // still centred
}

TEST(ExporterSolid, MeshesAndScenes) {
  QTemporaryDir dir;
  const QString obj = dir.filePath("octa.obj");
  ASSERT_EQ(Export({"--solid", "Octa", "--yes", kSample, obj}).code, 0);
  const std::string o = Read(obj);
  EXPECT_EQ(o.rfind("#Object format knot produced by Whirligons\r\n", 0), 0u);
  // Eight triangles carrying the sample's first tile, every polygon a group
  // and a face line.
  EXPECT_GT(Count(o, "\r\ng wlg"), 8);
  EXPECT_EQ(Count(o, "\r\ng wlg"), Count(o, "\r\nf "));

  const QString wrl = dir.filePath("octa.wrl");
  ASSERT_EQ(Export({"--solid", "Octa", "--yes", kSample, wrl}).code, 0);
  const std::string w = Read(wrl);
  EXPECT_EQ(w.rfind("#VRML V2.0 utf8\r\n", 0), 0u);
  EXPECT_NE(w.find("creaseAngle 0.5"), std::string::npos);
  EXPECT_EQ(w.find("IndexedLineSet"), std::string::npos);

  const QString both = dir.filePath("both.wrl");
  ASSERT_EQ(Export({"--solid", "Octa", "--yes", "--lines", "--smooth", kSample, both}).code, 0);
  const std::string b = Read(both);
  EXPECT_NE(b.find("creaseAngle 99"), std::string::npos);
  EXPECT_NE(b.find("IndexedLineSet"), std::string::npos);
}

TEST(ExporterSolid, TheSetUpQuestionNeedsYes) {
  QTemporaryDir dir;
  const QString png = dir.filePath("cube.png");
  const RunResult r = Export({"--solid", "Cube", kSample, png});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("3D geometry setup: Sorry, you must set Shape 1 inner/outer to 4 sides, "
                       "rotated, unstarred\nAutomatically make the change?"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(QFile::exists(png));

  const RunResult bad = Export({"--solid", "Sphere", "--yes", kSample, png});
  EXPECT_EQ(bad.code, 2);
  EXPECT_NE(bad.err.find("Tetra, Cube, Octa"), std::string::npos) << bad.err;
}

}  // namespace
}  // namespace wlg
