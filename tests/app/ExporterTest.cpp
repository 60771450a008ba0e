// The headless exporter: its command line, and the real program run on the
// shipped sample and on broken input.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>
#include <set>

#include "app/Exporter.h"
#include "solids/SolidTables.h"
#include "support/PictureCompare.h"

namespace wlg {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct RunResult {
  int code;
  std::string out, err;
};
RunResult Launch(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(120000);
  return {p.exitCode(), p.readAllStandardOutput().toStdString(),
          p.readAllStandardError().toStdString()};
}

RunResult Export(const QStringList& args) { return Launch(WHIRLIGONS_EXPORTER, args); }
std::string Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

qsizetype Count(const std::string& text, const char* what) {
  return QByteArray::fromStdString(text).count(what);
}

const QString kSample = QString(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";

TEST(ExporterArgs, UsageErrorsAndModes) {
  // No metafile of a tile, no mesh of the sphere, and no value a number
  // cannot hold or the windows would refuse.
  for (const QString line : {"a.wlg",
                             "a.wlg b.png c.png",
                             "--tile 5 a.wlg b.png",
                             "--tile x a.wlg b.png",
                             "--size 10x10 a.wlg b.png",
                             "--bogus a.wlg b.png",
                             "a.txt b.png",
                             "--tile 1 a.wlg b.emf",
                             "--sphere a.wlg b.obj",
                             "--zoom nan a.wlg b.png",
                             "--zoom inf a.wlg b.png",
                             "--zoom 0x10 a.wlg b.png",
                             "--theta 1e300 --solid Cube a.wlg b.png",
                             "--psi -1 --solid Cube a.wlg b.png",
                             "--size 99999999999x20 a.wlg b.png",
                             "--size 20x20x a.wlg b.png",
                             "--tile 2.5 a.wlg b.png",
                             "--quality nan --sphere a.wlg b.wrl",
                             "--cut --plot a.wlg b.svg",
                             "--cut a.wlg b.png",
                             "--page a4 a.wlg b.svg",
                             "--page a5 a.wlg b.pdf",
                             "--width-mm nan a.wlg b.svg",
                             "--width-mm 0 a.wlg b.dxf",
                             "--width-mm 10 --page a4 a.wlg b.pdf",
                             "--solid Cube a.wlg b.pdf",
                             "--net Cube a.wlg b.dxf",
                             "--net Cube --cut a.wlg b.pdf",
                             "--edge-mm 50 a.wlg b.pdf",
                             "--net Cube --edge-mm 0.5 a.wlg b.pdf",
                             "--net Cube --edge-mm nan a.wlg b.svg"}) {
    std::vector<std::string> args;
    for (const QString& arg : line.split(' ')) args.push_back(arg.toStdString());
    EXPECT_EQ(ParseExportArgs(args).exitCode, 2) << line.toStdString();
  }

  auto ok = ParseExportArgs({"--tile", "3", "--size", "640x480", "--zoom", "1.5", "--yes",
                             "--smooth", "My Pattern.WLG", "out.JPG"});
  ASSERT_TRUE(ok.request);
  const ExportRequest& r = *ok.request;
  EXPECT_EQ(r.mode, ExportRequest::Mode::Tile);
  EXPECT_EQ(QSize(r.width, r.height), QSize(640, 480));
  EXPECT_EQ(r.tile, 3);
  EXPECT_FLOAT_EQ(*r.zoom, 1.5f);
  EXPECT_TRUE(r.yes && r.smooth && !r.lines);
  EXPECT_EQ(r.pattern, "My Pattern.WLG");

  auto cut = ParseExportArgs({"--tile", "2", "--cut", "--width-mm", "300", "a.wlg", "b.dxf"});
  ASSERT_TRUE(cut.request);
  EXPECT_EQ(cut.request->vector.mode, VectorMode::Cut);
  EXPECT_EQ(cut.request->vector.widthMm, 300);

  auto help = ParseExportArgs({"--help"});
  EXPECT_TRUE(!help.request && help.exitCode == 0);
  EXPECT_THAT(help.out, HasSubstr("--tile N"));
  EXPECT_THAT(help.out, HasSubstr("OUT.{obj,glb,gltf,wrl,bmp,jpg,png,tif}"));
  EXPECT_THAT(help.out, HasSubstr("OUT.mtl"));
  EXPECT_THAT(help.out, HasSubstr("--net KEY"));
  EXPECT_THAT(help.out, HasSubstr("--edge-mm E"));
  auto net =
      ParseExportArgs({"--net", "Icosa", "--edge-mm", "40", "--page", "letter", "a.wlg", "b.svg"});
  ASSERT_TRUE(net.request);
  EXPECT_EQ(net.request->mode, ExportRequest::Mode::Net);
  EXPECT_EQ(net.request->net.edgeMm, 40);
  EXPECT_EQ(net.request->net.page, PageSize::Letter);
  EXPECT_EQ(ParseExportArgs({"--net", "Cube", "a.wlg", "b.pdf"}).request->net.page, PageSize::A4);
  EXPECT_EQ(ParseExportArgs({"--version"}).out, "1.14\n");
}

TEST(ExporterRun, TileOfASampleAsPictureAndSvg) {
  QTemporaryDir dir;
  const QString png = dir.filePath("tile.png"), svg = dir.filePath("tile.svg");
  // Success says nothing, on a machine without a desktop session too.
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("XDG_RUNTIME_DIR");
  env.remove("QT_QPA_PLATFORM");
  p.setProcessEnvironment(env);
  p.start(WHIRLIGONS_EXPORTER, {"--tile", "1", kSample, png});
  ASSERT_TRUE(p.waitForFinished(120000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_EQ(p.readAllStandardOutput().toStdString() + p.readAllStandardError().toStdString(), "");
  QImage img(png);
  ASSERT_EQ(img.size(), QSize(480, 480));
  // The sample's first rank fills in palette blue somewhere on the tile.
  bool blue = false;
  for (int y = 0; y < img.height() && !blue; ++y)
    for (int x = 0; x < img.width() && !blue; ++x) blue = img.pixelColor(x, y) == QColor(0, 0, 255);
  EXPECT_TRUE(blue);

  ASSERT_EQ(Export({"--tile", "1", kSample, svg}).code, 0);
  const std::string text = Read(svg);
  EXPECT_GT(Count(text, "<path"), 10);
  EXPECT_THAT(text, HasSubstr("fill=\"#0000ff\""));
  // The tile alone: no tessellation in the designer's drawing.
  const QString dxf = dir.filePath("tile.dxf");
  ASSERT_EQ(Export({"--tile", "1", "--cut", "--width-mm", "50", kSample, dxf}).code, 0);
  EXPECT_THAT(Read(dxf), HasSubstr("\nCut\n"));
  EXPECT_THAT(text, HasSubstr("width=\"127mm\""));  // 480 pixels at 96 dpi
}

// Pictures at any size: the options' ranges and combinations, then the
// sample redrawn larger, see-through and as TIFF, and the 3D and sphere
// pictures grown with --scale.
TEST(ExporterRaster, OptionsAndScaledPictures) {
  for (const char* line :
       {"--scale 0 a.wlg b.png", "--scale nan a.wlg b.png", "--scale inf a.wlg b.png",
        "--scale 101 a.wlg b.png", "--dpi 5 a.wlg b.png", "--dpi 1e9 a.wlg b.png",
        "--scale 2 --dpi 300 a.wlg b.png", "--scale 2 a.wlg b.svg", "--scale 2 a.wlg b.emf",
        "--transparent a.wlg b.jpg", "--transparent a.wlg b.bmp", "--scale-lines a.wlg b.png",
        "--dpi 300 --solid Cube a.wlg b.png", "--transparent --sphere a.wlg b.png",
        "--scale 2 --solid Cube a.wlg b.obj", "--scale 2 --sphere a.wlg b.wrl",
        "--scale 2 --net Cube a.wlg b.pdf", "--tile 1 a.wlg b.gif"}) {
    std::vector<std::string> args;
    for (const QString& arg : QString(line).split(' ')) args.push_back(arg.toStdString());
    EXPECT_EQ(ParseExportArgs(args).exitCode, 2) << line;
  }
  auto dpi = ParseExportArgs({"--dpi", "288", "--scale-lines", "--quiet", "a.wlg", "b.TIFF"});
  ASSERT_TRUE(dpi.request);
  EXPECT_DOUBLE_EQ(*dpi.request->scale, 3);
  EXPECT_TRUE(dpi.request->scaleLines && dpi.request->quiet);

  QTemporaryDir dir;
  const QString big = dir.filePath("big.png"), clear = dir.filePath("clear.tif");
  RunResult r = Export({"--scale", "2.5", "--size", "400x300", kSample, big});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_THAT(r.err, Not(HasSubstr("%")));  // no progress bar off a terminal
  EXPECT_EQ(QImage(big).size(), QSize(1000, 750));
  EXPECT_EQ(QImage(big).dotsPerMeterX(), 9449);  // 240 dpi, for print programs
  r = Export({"--tile", "1", "--transparent", kSample, clear});
  ASSERT_EQ(r.code, 0) << r.err;
  const QString convert = QStandardPaths::findExecutable("convert");
  if (!convert.isEmpty()) {
    const QString back = dir.filePath("clear.png");
    ASSERT_EQ(Launch(convert, {clear, "PNG32:" + back}).code, 0);
    const QImage tile(back);
    ASSERT_EQ(tile.size(), QSize(480, 480));
    EXPECT_EQ(qAlpha(tile.pixel(0, 0)), 0);
  }
  r = Export({"--scale", "100", "--size", "1001x20", kSample, big});
  EXPECT_EQ(r.code, 2);
  EXPECT_THAT(r.err, HasSubstr("at most 100000 a side"));

  const QString sphere = dir.filePath("sphere.png"), solid = dir.filePath("solid.png");
  ASSERT_EQ(Export({"--sphere", "--scale", "2", kSample, sphere}).code, 0);
  EXPECT_EQ(QImage(sphere).size(), QSize(800, 800));
  r = Export({"--solid", "Cube", "--yes", "--size", "300x200", "--scale", "2", kSample, solid});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(QImage(solid).size(), QSize(600, 400));
  r = Export({"--solid", "Cube", "--yes", "--scale", "90", kSample, solid});
  EXPECT_EQ(r.code, 2);
  EXPECT_THAT(r.err, HasSubstr("at most 16000 a side"));
}

// Antialiased pictures differ from the exact ones only along edges: every
// pixel inside a polygon (its 5 x 5 neighbourhood of one colour in the
// exact picture) keeps its palette colour, centroids included.
TEST(ExporterRun, AntialiasedPicturesKeepThePaletteColoursInside) {
  QTemporaryDir dir;
  const QString exact = dir.filePath("exact.png"), smooth = dir.filePath("smooth.png");
  for (const QStringList& mode :
       {QStringList{}, QStringList{"--tile", "1"}, QStringList{"--solid", "Cube", "--yes"},
        QStringList{"--tile", "2", "--scale", "1.5"}}) {
    ASSERT_EQ(Export(mode + QStringList{kSample, exact}).code, 0);
    const RunResult r = Export(mode + QStringList{"--antialias", kSample, smooth});
    ASSERT_EQ(r.code, 0) << r.err;
    const QImage a(exact), b(smooth);
    ASSERT_EQ(a.size(), b.size());
    int inside = 0, changed = 0, blends = 0;
    for (int y = 2; y < a.height() - 2; ++y)
      for (int x = 2; x < a.width() - 2; ++x) {
        const QRgb c = a.pixel(x, y);
        blends += b.pixel(x, y) != c;
        bool flat = true;
        for (int dy = -2; dy <= 2 && flat; ++dy)
          for (int dx = -2; dx <= 2 && flat; ++dx) flat = a.pixel(x + dx, y + dy) == c;
        if (!flat) continue;
        ++inside;
        changed += b.pixel(x, y) != c;
      }
    EXPECT_GT(inside, a.width() * a.height() / 4) << mode.join(' ').toStdString();
    EXPECT_EQ(changed, 0) << mode.join(' ').toStdString();
    EXPECT_GT(blends, 100) << mode.join(' ').toStdString();
  }
  const RunResult svg = Export({"--antialias", kSample, dir.filePath("a.svg")});
  EXPECT_EQ(svg.code, 2);
  EXPECT_THAT(svg.err, HasSubstr("--antialias is for pictures"));
}

// The sample's tessellation as layered SVG, PDF and DXF, read by programs
// we did not write: Inkscape finds a layer per colour the picture shows,
// librsvg and poppler draw what the PNG shows, ezdxf finds the layers and
// polylines in millimetres.
TEST(ExporterRun, VectorFilesReadByOtherPrograms) {
  const QString inkscape = QStandardPaths::findExecutable("inkscape"),
                rsvg = QStandardPaths::findExecutable("rsvg-convert"),
                pdftoppm = QStandardPaths::findExecutable("pdftoppm"),
                pdfinfo = QStandardPaths::findExecutable("pdfinfo"),
                python = QStandardPaths::findExecutable("python3", {"/usr/bin"});
  if (inkscape.isEmpty() || rsvg.isEmpty() || pdftoppm.isEmpty() || python.isEmpty())
    GTEST_SKIP() << "inkscape, rsvg-convert, poppler-utils or python3 is missing";
  QTemporaryDir dir;
  for (const char* ext : {"png", "svg", "pdf", "dxf"})
    ASSERT_EQ(Export({kSample, dir.filePath(QString("s.") + ext)}).code, 0) << ext;
  const QImage png(dir.filePath("s.png"));

  // The colours the picture shows in more than a few pixels, besides its
  // background and the black of the lines.
  std::map<QRgb, int> seen;
  for (int y = 0; y < png.height(); ++y)
    for (int x = 0; x < png.width(); ++x) ++seen[png.pixel(x, y) & 0xffffff];
  std::set<std::string> shown;
  for (auto [rgb, n] : seen)
    if (n > 50 && rgb != (png.pixel(0, 0) & 0xffffff) && rgb != 0)
      shown.insert(QString::asprintf("#%06x", rgb).toStdString());
  const RunResult query = Launch(inkscape, {"--query-all", dir.filePath("s.svg")});
  ASSERT_EQ(query.code, 0) << query.err;
  std::set<std::string> layers;
  const std::string svg = Read(dir.filePath("s.svg"));
  for (const QString& line : QString::fromStdString(query.out).split('\n'))
    if (line.startsWith("layer-colour-") || line.startsWith("layer-custom-")) {
      const auto m = QRegularExpression("id=\"" + line.section(',', 0, 0) +
                                        "\" inkscape:label=\"[^\"]* (#[0-9a-f]{6})\"")
                         .match(QString::fromStdString(svg));
      ASSERT_TRUE(m.hasMatch()) << line.toStdString();
      layers.insert(m.captured(1).toStdString());
    }
  EXPECT_EQ(layers, shown);
  EXPECT_THAT(query.out, HasSubstr("layer-outlines,"));
  EXPECT_THAT(svg, HasSubstr("width=\"211.6666mm\""));
  EXPECT_EQ(Count(svg, "<use"), 0);
  EXPECT_EQ(Count(svg, "transform"), 0);

  ASSERT_EQ(
      Launch(rsvg, {"-d", "96", "-p", "96", dir.filePath("s.svg"), "-o", dir.filePath("svg.png")})
          .code,
      0);
  const double svgShare =
      testing::ExpectDifferencesOnlyAtEdges(png, QImage(dir.filePath("svg.png")), "svg");
  ASSERT_EQ(Launch(pdftoppm,
                   {"-r", "96", "-png", "-singlefile", dir.filePath("s.pdf"), dir.filePath("pdf")})
                .code,
            0);
  const double pdfShare =
      testing::ExpectDifferencesOnlyAtEdges(png, QImage(dir.filePath("pdf.png")), "pdf");
  std::printf("edge pixels that differ from the PNG: SVG %.1f%%, PDF %.1f%%\n", 100 * svgShare,
              100 * pdfShare);
  if (!pdfinfo.isEmpty()) {
    EXPECT_THAT(Launch(pdfinfo, {dir.filePath("s.pdf")}).out, HasSubstr("600 x 450 pts"));
  }

  const char* script =
      "import sys, ezdxf\n"
      "doc = ezdxf.readfile(sys.argv[1])\n"
      "print('units', doc.header.get('$INSUNITS'))\n"
      "for e in doc.modelspace():\n"
      "    pts = list(e.get_points('xy'))\n"
      "    ok = all(-1 <= x <= 212.7 and -1 <= y <= 159.8 for x, y in pts)\n"
      "    print(e.dxftype(), e.dxf.layer, 'closed' if e.closed else 'open', 'in' if ok else "
      "'out')\n";
  const RunResult dxf = Launch(python, {"-c", script, dir.filePath("s.dxf")});
  if (dxf.err.find("No module named") != std::string::npos) GTEST_SKIP() << "no python3-ezdxf";
  ASSERT_EQ(dxf.code, 0) << dxf.err;
  EXPECT_THAT(dxf.out, HasSubstr("units 4\n"));
  EXPECT_EQ(Count(dxf.out, " out\n"), 0);
  for (const std::string& colour : shown)
    EXPECT_GT(Count(dxf.out, ("_" + colour.substr(1) + " closed").c_str()), 0) << colour;
  EXPECT_GT(Count(dxf.out, "LWPOLYLINE Outlines"), 0);
  EXPECT_EQ(Count(dxf.out, "\n") - 1, Count(dxf.out, "LWPOLYLINE"));
}

TEST(ExporterRun, FailuresExitOneNamingTheLineAndLeaveNoFile) {
  QTemporaryDir dir;
  const QString bad = dir.filePath("bad.wlg"), out = dir.filePath("out.png");
  {
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Created on: x\r\nCreated by: \r\n\r\nDesigner\r\nvsPoly,0,5\r\nTessellator\r\n");
  }
  const RunResult r = Export({"--tile", "1", bad, out});
  EXPECT_EQ(r.code, 1);
  EXPECT_THAT(r.err, HasSubstr("Sorry,there was an error loading the .wlg file"));
  EXPECT_THAT(r.err, HasSubstr("line "));
  EXPECT_FALSE(QFile::exists(out));

  EXPECT_EQ(Export({"--tile", "1", dir.filePath("none.wlg"), out}).code, 1);
  EXPECT_FALSE(QFile::exists(out));

  const RunResult unwritable = Export({"--tile", "1", kSample, "/nonexistent-folder/out.png"});
  EXPECT_EQ(unwritable.code, 1);
  EXPECT_FALSE(unwritable.err.empty());
}

TEST(ExporterSolid, ACubePictureNeedsYesToTheSetUpQuestion) {
  QTemporaryDir dir;
  const QString png = dir.filePath("cube.png"), again = dir.filePath("again.png");
  const RunResult asked = Export({"--solid", "Cube", kSample, png});
  EXPECT_EQ(asked.code, 1);
  EXPECT_THAT(asked.err,
              HasSubstr("3D geometry setup: Sorry, you must set Shape 1 inner/outer to 4 sides, "
                        "rotated, unstarred\nAutomatically make the change?"));
  EXPECT_FALSE(QFile::exists(png));
  const RunResult unknown = Export({"--solid", "Sphere", "--yes", kSample, png});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_THAT(unknown.err, HasSubstr("Tetra, Cube, Octa"));

  const RunResult r = Export({"--solid", "Cube", "--yes", kSample, png});
  ASSERT_EQ(r.code, 0) << r.err;
  const QImage img(png);
  ASSERT_EQ(img.size(), QSize(480, 480));
  // The solid fills the middle with many shades; the corner is background.
  const QColor back = img.pixelColor(0, 0);
  int shaded = 0;
  for (int y = 140; y < 340; y += 4)
    for (int x = 140; x < 340; x += 4) shaded += img.pixelColor(x, y) != back;
  EXPECT_GT(shaded, 1200);
  // Repeatable, whatever the case of the solid's name.
  ASSERT_EQ(Export({"--solid", "cube", "--yes", kSample, again}).code, 0);
  EXPECT_EQ(QImage(again), img);
}

// The triangles an OBJ text's faces split into: n - 2 for each face of n.
int ObjTriangles(const std::string& obj) {
  int triangles = 0;
  for (const QString& line : QString::fromStdString(obj).split("\r\n"))
    if (line.startsWith("f ")) triangles += line.split(' ', Qt::SkipEmptyParts).size() - 3;
  return triangles;
}

// A count in `assimp info` output ("Faces:  96").
int AssimpCount(const std::string& info, const char* what) {
  const auto m =
      QRegularExpression(QString(what) + R"(:\s+(\d+))").match(QString::fromStdString(info));
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// A reader CI installs: missing on a developer's machine it skips the test,
// in CI it fails it.
bool Missing(const QString& program, const char* what) {
  if (!program.isEmpty()) return false;
  if (!qEnvironmentVariableIsEmpty("CI")) ADD_FAILURE() << what << " is missing in CI";
  return true;
}

// Every solid of the sample as an OBJ mesh with its materials, a binary
// glTF and a VRML scene, opened in readers we did not write.
TEST(ExporterSolid, EverySolidAsMeshAndScene) {
  const QString assimp = QStandardPaths::findExecutable("assimp");
  const QString tovrml = QStandardPaths::findExecutable("tovrmlx3d");
  const QString node = QStandardPaths::findExecutable("node");
  if (Missing(assimp, "assimp") || Missing(tovrml, "tovrmlx3d") || Missing(node, "node"))
    GTEST_SKIP() << "assimp, tovrmlx3d or node is not installed";
  QTemporaryDir dir;
  QStringList gltf;
  for (const SolidInfo& solid : Solids()) {
    const QString key = QString::fromStdString(solid.key);
    SCOPED_TRACE(solid.key);
    const QString obj = dir.filePath(key + ".obj"), wrl = dir.filePath(key + ".wrl"),
                  glb = dir.filePath(key + ".glb");
    ASSERT_EQ(Export({"--solid", key, "--yes", kSample, obj}).code, 0);
    ASSERT_EQ(Export({"--solid", key, "--yes", kSample, glb}).code, 0);
    ASSERT_EQ(Export({"--solid", key, "--yes", "--lines", "--smooth", kSample, wrl}).code, 0);
    gltf << glb;
    const std::string o = Read(obj), w = Read(wrl);
    EXPECT_GE(Count(o, "\r\nf "), solid.faceCounts[0]);  // tile polygons on every face
    // --smooth and --lines reach the scene.
    EXPECT_THAT(w, HasSubstr("creaseAngle 99"));
    EXPECT_THAT(w, HasSubstr("IndexedLineSet"));
    // tovrmlx3d exits 0 even on warnings, so its stderr must be empty.
    const RunResult parsed = Launch(tovrml, {"--encoding", "classic", wrl});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(QString::fromStdString(parsed.err).trimmed(), "") << parsed.err;

    // The mesh and the glTF hold the same triangles and one material per
    // colour group used: the sample's solids have no polygon of no area.
    // assimp adds a default material only when a mesh names none.
    std::set<std::string> groups;
    for (const QString& line : QString::fromStdString(o).split("\r\n"))
      if (line.startsWith("usemtl ")) groups.insert(line.toStdString());
    for (const QString& file : {obj, glb}) {
      const RunResult info = Launch(assimp, {"info", file});
      ASSERT_EQ(info.code, 0) << info.err;
      EXPECT_EQ(AssimpCount(info.out, "Faces"), ObjTriangles(o)) << file.toStdString();
      EXPECT_EQ(AssimpCount(info.out, "Materials"), static_cast<int>(groups.size()));
      EXPECT_THAT(info.out, Not(HasSubstr("DefaultMaterial")));
    }
  }
  const QString text = dir.filePath("Cube.gltf"), mtl = dir.filePath("Cube.mtl");
  ASSERT_EQ(Export({"--solid", "Cube", "--yes", kSample, text}).code, 0);
  EXPECT_THAT(Read(text), HasSubstr("data:application/octet-stream;base64,"));
  gltf << text;
  // The validator's verdict on every file: no error and no warning.
  const RunResult valid =
      Launch(node, QStringList{QString(WHIRLIGONS_TESTS_DIR) + "/support/gltf-validate.js"} + gltf);
  if (valid.code == 3 && Missing({}, "gltf-validator")) GTEST_SKIP() << valid.err;
  EXPECT_EQ(valid.code, 0) << valid.out << valid.err;
  EXPECT_EQ(Count(valid.out, ": 0 errors, 0 warnings\n"), gltf.size()) << valid.out;

  // --yes answers the question about an existing materials file too.
  {
    QFile f(mtl);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("mine");
  }
  ASSERT_EQ(Export({"--solid", "Cube", "--yes", kSample, dir.filePath("Cube.obj")}).code, 0);
  EXPECT_THAT(Read(mtl), HasSubstr("newmtl wlg"));
}

// What a person prints: the PDF's pages at A4, one for a net that fits and
// more when the edge is long, rendered by poppler; the SVG's layers as
// Inkscape lists them.
TEST(ExporterNet, PagesAndLayersReadByOtherPrograms) {
  const QString inkscape = QStandardPaths::findExecutable("inkscape"),
                pdftoppm = QStandardPaths::findExecutable("pdftoppm"),
                pdfinfo = QStandardPaths::findExecutable("pdfinfo");
  if (inkscape.isEmpty() || pdftoppm.isEmpty() || pdfinfo.isEmpty())
    GTEST_SKIP() << "inkscape or poppler-utils is missing";
  QTemporaryDir dir;
  ASSERT_EQ(Export({"--net", "Icosa", "--yes", kSample, dir.filePath("i.pdf")}).code, 0);
  const std::string one = Launch(pdfinfo, {dir.filePath("i.pdf")}).out;
  EXPECT_THAT(one, HasSubstr("Pages:           1\n"));
  EXPECT_THAT(one, HasSubstr("(A4)"));
  ASSERT_EQ(
      Export({"--net", "Icosa", "--yes", "--edge-mm", "90", kSample, dir.filePath("m.pdf")}).code,
      0);
  const std::string many = Launch(pdfinfo, {dir.filePath("m.pdf")}).out;
  const auto pages = QRegularExpression(R"(Pages:\s+(\d+))").match(QString::fromStdString(many));
  ASSERT_TRUE(pages.hasMatch());
  EXPECT_GT(pages.captured(1).toInt(), 1);
  ASSERT_EQ(Launch(pdftoppm, {"-r", "20", "-png", dir.filePath("m.pdf"), dir.filePath("m")}).code,
            0);
  EXPECT_FALSE(QImage(dir.filePath("m-1.png")).isNull());

  ASSERT_EQ(
      Export({"--net", "Icosa", "--yes", "--edge-mm", "90", kSample, dir.filePath("m.svg")}).code,
      0);
  const RunResult query = Launch(inkscape, {"--query-all", dir.filePath("m.svg")});
  ASSERT_EQ(query.code, 0) << query.err;
  for (const char* layer : {"layer-tabs,", "layer-fold,", "layer-cut,", "layer-numbers,"})
    EXPECT_THAT(query.out, HasSubstr(layer));
  EXPECT_EQ(Count(Read(dir.filePath("m.svg")), "<inkscape:page "), pages.captured(1).toInt());

  const RunResult big =
      Export({"--net", "Cube", "--yes", "--edge-mm", "2000", kSample, dir.filePath("big.pdf")});
  EXPECT_EQ(big.code, 1);
  EXPECT_THAT(big.err, HasSubstr("too long for the page"));
  EXPECT_FALSE(QFile::exists(dir.filePath("big.pdf")));
}

}  // namespace
}  // namespace wlg
