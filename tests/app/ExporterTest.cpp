// The headless exporter run on the shipped sample and on broken input, its
// files opened by readers we did not write.

#include <Model/COM/NMR_DLLInterfaces.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>
#include <set>
#include <tuple>

#include "app/Exporter.h"
#include "solids/SolidTables.h"
#include "support/PictureCompare.h"
#include "tessellator/Lattice.h"

namespace wlg {
namespace {

using ::testing::HasSubstr;

struct RunResult {
  int code;
  std::string out, err;
};
// With `bare`, as on a machine without a desktop session.
RunResult Launch(const QString& program, const QStringList& args, bool bare = false) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (bare) env.remove("XDG_RUNTIME_DIR"), env.remove("QT_QPA_PLATFORM");
  p.setProcessEnvironment(env);
  p.start(program, args);
  p.waitForFinished(120000);
  return {p.exitCode(), p.readAllStandardOutput().toStdString(),
          p.readAllStandardError().toStdString()};
}
qsizetype Count(const std::string& t, const char* what) {
  return QByteArray::fromStdString(t).count(what);
}
// A count a reader prints ("Faces:  96", "Pages:   3"), or -1.
int Number(const std::string& said, const char* label) {
  const auto m =
      QRegularExpression(QString(label) + R"(:\s+(\d+))").match(QString::fromStdString(said));
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}
std::vector<std::string> Words(const QString& line) {
  std::vector<std::string> w;
  for (const QString& s : line.split(' ', Qt::SkipEmptyParts)) w.push_back(s.toStdString());
  return w;
}
// A reader CI installs: missing, it skips the test, in CI it fails it.
bool Missing(const QString& program, const char* what) {
  if (!program.isEmpty()) return false;
  if (!qEnvironmentVariableIsEmpty("CI")) ADD_FAILURE() << what << " is missing in CI";
  return true;
}

// The 3MF read back by lib3mf: its triangle count (-1 when unreadable, -2
// when a triangle has no colour), and the colours used.
long ReadBack3mf(const std::string& bytes, std::set<Colour>& colours) {
  using namespace NMR;
  PLib3MFModel* m = nullptr;
  PLib3MFModelReader* r = nullptr;
  PLib3MFModelResourceIterator* it = nullptr;
  PLib3MFPropertyHandler* ph = nullptr;
  long count = -1;
  std::string copy = bytes;
  BOOL more = false;
  PLib3MFModelResource* res = nullptr;
  DWORD n = 0;
  if (lib3mf_createmodel(&m) == LIB3MF_OK && lib3mf_model_queryreader(m, "3mf", &r) == LIB3MF_OK &&
      lib3mf_reader_readfrombuffer(r, reinterpret_cast<BYTE*>(copy.data()), copy.size()) ==
          LIB3MF_OK &&
      lib3mf_model_getmeshobjects(m, &it) == LIB3MF_OK &&
      lib3mf_resourceiterator_movenext(it, &more) == LIB3MF_OK && more &&
      lib3mf_resourceiterator_getcurrent(it, &res) == LIB3MF_OK &&
      lib3mf_meshobject_gettrianglecount(res, &n) == LIB3MF_OK &&
      lib3mf_meshobject_createpropertyhandler(res, &ph) == LIB3MF_OK) {
    count = n;
    for (DWORD i = 0; i < n; ++i) {
      eModelPropertyType type = MODELPROPERTYTYPE_NONE;
      MODELMESH_TRIANGLECOLOR_SRGB c{};
      if (lib3mf_propertyhandler_getpropertytype(ph, i, &type) != LIB3MF_OK ||
          type != MODELPROPERTYTYPE_COLOR ||
          lib3mf_propertyhandler_getcolor(ph, i, &c) != LIB3MF_OK) {
        count = -2;
        break;
      }
      colours.insert(Rgb(c.m_Colors[0].m_Red, c.m_Colors[0].m_Green, c.m_Colors[0].m_Blue));
    }
  }
  for (PLib3MFBase* o : std::initializer_list<PLib3MFBase*>{ph, res, it, r, m})
    if (o) lib3mf_release(o);
  return count;
}

const QString kSample = QString(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";

// A folder for the files written. Run() takes the exporter's words:
// SAMPLE is the shipped sample, @name a file in the folder.
struct Files {
  QTemporaryDir dir;
  QString operator()(const QString& name) const { return dir.filePath(name); }
  std::string Read(const QString& name) const {
    QFile f((*this)(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
  }
  QStringList Args(const QString& line) const {
    QStringList args = line.split(' ', Qt::SkipEmptyParts);
    for (QString& a : args) a = a == "SAMPLE" ? kSample : a.startsWith('@') ? (*this)(a.mid(1)) : a;
    return args;
  }
  RunResult Run(const QString& line, bool bare = false) const {
    return Launch(WHIRLIGONS_EXPORTER, Args(line), bare);
  }
};

TEST(ExporterArgs, UsageErrorsAndModes) {
  // No metafile of a tile, no mesh of the sphere, no value a number cannot
  // hold or the windows would refuse, no option where it means nothing.
  const QString bad =
      "a.wlg; a.wlg b.png c.png; --tile 5 a.wlg b.png; --size 10x10 a.wlg b.png; "
      "--size 99999999999x20 a.wlg b.png; --size 20x20x a.wlg b.png; --bogus a.wlg b.png; "
      "a.txt b.png; --tile 1 a.wlg b.emf; --tile 1 a.wlg b.gif; --sphere a.wlg b.obj; "
      "--zoom nan a.wlg b.png; --zoom 0x10 a.wlg b.png; --theta 1e300 --solid Cube a.wlg b.png; "
      "--quality nan --sphere a.wlg b.wrl; --cut --plot a.wlg b.svg; --cut a.wlg b.png; "
      "--page a4 a.wlg b.svg; --page a5 a.wlg b.pdf; --width-mm nan a.wlg b.svg; "
      "--solid Cube a.wlg b.pdf; --net Cube a.wlg b.dxf; --net Cube --plot a.wlg b.pdf; "
      "--cut --engrave a.wlg b.svg; --net Cube --engrave a.wlg b.pdf; --numbers tabs a.wlg b.svg; "
      "--net Cube --numbers 2 a.wlg b.pdf; --net Cube --kerf 1 a.wlg b.svg; "
      "--edge-mm 50 a.wlg b.pdf; --edge-mm 0 a.wlg b.pdf; --hatch 1 a.wlg b.svg; "
      "--plot --hatch 0 a.wlg b.svg; --kerf 0.2 a.wlg b.svg; --cut --kerf 6 a.wlg b.svg; "
      "--net Cube --edge-mm 0.5 a.wlg b.pdf; --scale nan a.wlg b.png; --scale 101 a.wlg b.png; "
      "--dpi 5 a.wlg b.png; --scale 2 --dpi 300 a.wlg b.png; --scale 2 a.wlg b.svg; "
      "--transparent a.wlg b.jpg; --scale-lines a.wlg b.png; --dpi 300 --solid Cube a.wlg b.png; "
      "--transparent --sphere a.wlg b.png; --exact --solid Cube a.wlg b.glb; --exact a.wlg b.png; "
      "a.wlg b.wlg; --fill 10x10 a.wlg b.png; --fill-mm 300x1 a.wlg b.png; "
      "--fill 99x99 --tile 1 a.wlg b.png; --solid Cube --frames 0 a.wlg b.webp; "
      "--sphere --fps 61 a.wlg b.gif; --frames 9 a.wlg b.png; --solid Cube --lossy a.wlg b.gif; "
      "a.wlg b.mp4; --fold --solid Cube a.wlg b.webp; --net Cube --fold a.wlg b.pdf; "
      "--net Cube a.wlg b.gif; --net Cube --fold --edge-mm 9 a.wlg b.gif; "
      "--colours 3 --solid Cube a.wlg b.stl; --colours 0 --solid Cube a.wlg b.3mf; "
      "--colours 2 a.wlg b.png; --solid Cube --edge-mm 1001 a.wlg b.3mf; "
      "--solid Cube --relief 0 a.wlg b.3mf; --solid Cube --relief 20.5 a.wlg b.stl; "
      "--relief 1 a.wlg b.png; --net Cube --relief 1 a.wlg b.pdf";
  for (const QString& line : bad.split("; "))
    EXPECT_EQ(ParseExportArgs(Words(line)).exitCode, 2) << line.toStdString();
  const auto raised = ParseExportArgs(Words("--solid Cube --relief 20 a.wlg b.stl")).request;
  EXPECT_EQ(raised ? raised->print.mesh.reliefMm : 0, 20);
}

// The tile as picture, SVG and DXF, then pictures at any size: the sample
// redrawn larger, see-through as TIFF, and the 3D and sphere pictures grown
// with --scale or --dpi, up to their limits.
TEST(ExporterRun, TileAndScaledPictures) {
  const Files at;
  // Success says nothing, on a machine without a desktop session too; the
  // picture's kind is known from its name in any case.
  RunResult r = at.Run("--tile 1 SAMPLE @tile.PNG", true);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out + r.err, "");
  const QImage img(at("tile.PNG"));
  ASSERT_EQ(img.size(), QSize(480, 480));
  // The sample's first rank fills in palette blue somewhere on the tile.
  const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
  const auto* px = reinterpret_cast<const QRgb*>(rgb.constBits());
  EXPECT_NE(std::find(px, px + 480 * 480, qRgb(0, 0, 255)), px + 480 * 480);
  ASSERT_EQ(at.Run("--tile 1 SAMPLE @tile.svg").code, 0);
  const std::string svg = at.Read("tile.svg");
  EXPECT_GT(Count(svg, "<path"), 10);
  EXPECT_THAT(svg, HasSubstr("fill=\"#0000ff\""));
  EXPECT_THAT(svg, HasSubstr("width=\"127mm\""));  // 480 pixels at 96 dpi
  // The tile alone: no tessellation in the designer's drawing.
  ASSERT_EQ(at.Run("--tile 1 --cut --width-mm 50 SAMPLE @tile.dxf").code, 0);
  EXPECT_THAT(at.Read("tile.dxf"), HasSubstr("\nCut\n"));

  r = at.Run("--scale 2.5 --size 400x300 SAMPLE @big.png");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out + r.err, "");  // no progress bar off a terminal
  EXPECT_EQ(QImage(at("big.png")).size(), QSize(1000, 750));
  EXPECT_EQ(QImage(at("big.png")).dotsPerMeterX(), 9449);  // 240 dpi, for print programs
  ASSERT_EQ(at.Run("--dpi 288 --size 100x80 SAMPLE @dpi.png").code, 0);
  EXPECT_EQ(QImage(at("dpi.png")).size(), QSize(300, 240));
  ASSERT_EQ(at.Run("--tile 1 --transparent SAMPLE @clear.tif").code, 0);
  if (const QString convert = QStandardPaths::findExecutable("convert"); !convert.isEmpty()) {
    ASSERT_EQ(Launch(convert, {at("clear.tif"), "PNG32:" + at("clear.png")}).code, 0);
    const QImage tile(at("clear.png"));
    ASSERT_EQ(tile.size(), QSize(480, 480));
    EXPECT_EQ(qAlpha(tile.pixel(0, 0)), 0);
  }
  // Every picture kind takes a scale; the solid's name in any case.
  ASSERT_EQ(at.Run("--sphere --scale 2 SAMPLE @sphere.jpg").code, 0);
  EXPECT_EQ(QImage(at("sphere.jpg")).size(), QSize(800, 800));
  ASSERT_EQ(at.Run("--sphere --quality 3 SAMPLE @ball.wrl").code,
            0);  // the scene, its texture beside it
  EXPECT_EQ(QImage(at("ball.jpg")).size(), QSize(800, 600));
  ASSERT_EQ(at.Run("--solid cube --yes --size 300x200 --scale 2 SAMPLE @solid.bmp").code, 0);
  EXPECT_EQ(QImage(at("solid.bmp")).size(), QSize(600, 400));
}

// Print-sized JPEG and BMP files are streamed in bands: the exporter stays
// under 300 MB at its peak, and djpeg and identify read the files whole.
TEST(ExporterRun, BigJpegAndBmpStayInLittleMemory) {
  const Files at;
  ASSERT_EQ(at.Run("--size 1000x1000 --scale 20 SAMPLE @big.jpg").code, 0);  // 20,000 a side
  ASSERT_EQ(at.Run("--size 1000x1000 --scale 8 SAMPLE @big.bmp").code, 0);
  rusage children{};  // the largest peak of the processes this one waited for
  ::getrusage(RUSAGE_CHILDREN, &children);
  EXPECT_LT(children.ru_maxrss, 300 * 1024);  // kilobytes
  // Decoded whole: a short or broken file is a warning, exit 2.
  EXPECT_EQ(Launch("djpeg", {"-outfile", "/dev/null", at("big.jpg")}).code, 0);
  // ImageMagick's own policy stops at 16,000 a side; a looser one beside it.
  if (QFile f(at("policy.xml")); f.open(QIODevice::WriteOnly))
    f.write(R"(<policymap><policy domain="resource" name="width" value="100KP"/>)"
            R"(<policy domain="resource" name="height" value="100KP"/></policymap>)");
  qputenv("MAGICK_CONFIGURE_PATH", at.dir.path().toLocal8Bit());
  const RunResult said =
      Launch("identify", {"-ping", "-format", "%m %w %h,", at("big.jpg"), at("big.bmp")});
  qunsetenv("MAGICK_CONFIGURE_PATH");
  EXPECT_THAT(said.out, ::testing::MatchesRegex("JPEG 20000 20000,BMP3? 8000 8000,")) << said.err;
}

// Antialiased pictures keep every pixel amid a 5 x 5 patch of one colour in
// the exact picture at its palette colour, centroids included.
TEST(ExporterRun, AntialiasedPicturesKeepThePaletteColoursInside) {
  const Files at;
  for (const QString mode : {"", "--tile 1", "--solid Cube --yes", "--tile 2 --scale 1.5"}) {
    SCOPED_TRACE(mode.toStdString());
    ASSERT_EQ(at.Run(mode + " SAMPLE @exact.png").code, 0);
    const RunResult r = at.Run(mode + " --antialias SAMPLE @smooth.png");
    ASSERT_EQ(r.code, 0) << r.err;
    const QImage a(at("exact.png")), b(at("smooth.png"));
    ASSERT_EQ(a.size(), b.size());
    int inside = 0, changed = 0, blends = 0;
    for (int y = 2; y < a.height() - 2; ++y)
      for (int x = 2; x < a.width() - 2; ++x) {
        const QRgb c = a.pixel(x, y);
        bool flat = true;
        for (int d = 0; d < 25 && flat; ++d) flat = a.pixel(x + d % 5 - 2, y + d / 5 - 2) == c;
        blends += b.pixel(x, y) != c;
        inside += flat;
        changed += flat && b.pixel(x, y) != c;
      }
    EXPECT_GT(inside, a.width() * a.height() / 4);
    EXPECT_EQ(changed, 0);
    EXPECT_GT(blends, 100);
  }
}

// The sample and a net as SVG, PDF and DXF: Inkscape finds a layer per
// colour shown, librsvg and poppler draw what the PNG shows, the net has its
// A4 pages and layers, ezdxf finds the layers and polylines in millimetres.
TEST(ExporterRun, VectorFilesReadByOtherPrograms) {
  const QString inkscape = QStandardPaths::findExecutable("inkscape"),
                rsvg = QStandardPaths::findExecutable("rsvg-convert"),
                pdftoppm = QStandardPaths::findExecutable("pdftoppm"),
                pdfinfo = QStandardPaths::findExecutable("pdfinfo"),
                python = QStandardPaths::findExecutable("python3", {"/usr/bin"});
  if (inkscape.isEmpty() || rsvg.isEmpty() || pdftoppm.isEmpty() || pdfinfo.isEmpty() ||
      python.isEmpty())
    GTEST_SKIP() << "inkscape, rsvg-convert, poppler-utils or python3 is missing";
  const Files in;
  for (const char* name : {"s.png", "s.svg", "s.pdf", "s.dxf"})
    ASSERT_EQ(in.Run(QString("SAMPLE @") + name).code, 0) << name;
  const QImage png(in("s.png"));

  // The colours the picture shows in more than a few pixels, besides its
  // background and the black of the lines.
  std::map<QRgb, int> seen;
  for (int y = 0; y < png.height(); ++y)
    for (int x = 0; x < png.width(); ++x) ++seen[png.pixel(x, y) & 0xffffff];
  std::set<std::string> shown, layers;
  for (auto [rgb, n] : seen)
    if (n > 50 && rgb != (png.pixel(0, 0) & 0xffffff) && rgb != 0)
      shown.insert(QString::asprintf("#%06x", rgb).toStdString());
  const RunResult query = Launch(inkscape, {"--query-all", in("s.svg")});
  ASSERT_EQ(query.code, 0) << query.err;
  const std::string svg = in.Read("s.svg");
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
  EXPECT_EQ(Count(svg, "<use") + Count(svg, "transform"), 0);
  ASSERT_EQ(Launch(rsvg, {"-d", "96", "-p", "96", in("s.svg"), "-o", in("svg.png")}).code, 0);
  testing::ExpectDifferencesOnlyAtEdges(png, QImage(in("svg.png")), "svg");
  ASSERT_EQ(Launch(pdftoppm, {"-r", "96", "-png", "-singlefile", in("s.pdf"), in("pdf")}).code, 0);
  testing::ExpectDifferencesOnlyAtEdges(png, QImage(in("pdf.png")), "pdf");
  EXPECT_THAT(Launch(pdfinfo, {in("s.pdf")}).out, HasSubstr("600 x 450 pts"));

  // A net on one A4 page (edge 0, as the dialog takes it, is the default), or
  // on several when the edge is long.
  ASSERT_EQ(in.Run("--net Icosa --yes --edge-mm 0 SAMPLE @i.pdf").code, 0);
  const std::string one = Launch(pdfinfo, {in("i.pdf")}).out;
  EXPECT_TRUE(Number(one, "Pages") == 1 && Count(one, "(A4)") == 1) << one;
  for (const char* name : {"m.pdf", "m.svg"})
    ASSERT_EQ(in.Run(QString("--net Icosa --yes --edge-mm 90 SAMPLE @") + name).code, 0);
  const int pages = Number(Launch(pdfinfo, {in("m.pdf")}).out, "Pages");
  EXPECT_GT(pages, 1);
  ASSERT_EQ(Launch(pdftoppm, {"-r", "20", "-png", in("m.pdf"), in("m")}).code, 0);
  EXPECT_FALSE(QImage(in("m-1.png")).isNull());
  const RunResult netQuery = Launch(inkscape, {"--query-all", in("m.svg")});
  ASSERT_EQ(netQuery.code, 0) << netQuery.err;
  for (const char* layer : {"layer-tabs,", "layer-fold,", "layer-cut,", "layer-numbers,"})
    EXPECT_THAT(netQuery.out, HasSubstr(layer));
  ASSERT_EQ(
      in.Run("--net Icosa --yes --cut --engrave --kerf 0.1 --numbers tabs SAMPLE @l.svg").code, 0);
  const RunResult laser = Launch(inkscape, {"--query-all", in("l.svg")});
  for (const char* layer : {"layer-engrave,", "layer-score,", "layer-cut,"})
    EXPECT_THAT(laser.out, HasSubstr(layer));
  EXPECT_EQ(Count(in.Read("m.svg"), "<inkscape:page "), pages);

  const char* script =
      "import sys, ezdxf\n"
      "doc = ezdxf.readfile(sys.argv[1])\n"
      "print('units', doc.header.get('$INSUNITS'))\n"
      "for e in doc.modelspace():\n"
      "    ok = all(-1 <= x <= 212.7 and -1 <= y <= 159.8 for x, y in e.get_points('xy'))\n"
      "    print(e.dxftype(), e.dxf.layer, 'closed' if e.closed else 'open', 'in' if ok else "
      "'out')\n";
  const RunResult dxf = Launch(python, {"-c", script, in("s.dxf")});
  if (dxf.err.find("No module named") != std::string::npos) GTEST_SKIP() << "no python3-ezdxf";
  ASSERT_EQ(dxf.code, 0) << dxf.err;
  EXPECT_THAT(dxf.out, HasSubstr("units 4\n"));
  EXPECT_EQ(Count(dxf.out, " out\n"), 0);
  for (const std::string& colour : shown)
    EXPECT_GT(Count(dxf.out, ("_" + colour.substr(1) + " closed").c_str()), 0) << colour;
  EXPECT_GT(Count(dxf.out, "LWPOLYLINE Outlines"), 0);
  EXPECT_EQ(Count(dxf.out, "\n") - 1, Count(dxf.out, "LWPOLYLINE"));
}

// Failures exit 1 (2 for usage) with the reason, said once, and leave no
// file; questions need --yes.
TEST(ExporterRun, FailuresNameTheReasonAndLeaveNoFile) {
  const Files at;
  if (QFile f(at("bad.wlg")); f.open(QIODevice::WriteOnly))
    f.write("Created on: x\r\nCreated by: \r\n\r\nDesigner\r\nvsPoly,0,5\r\nTessellator\r\n");
  // What the error says, in parts split by |.
  const std::tuple<const char*, int, const char*> cases[] = {
      {"--tile 1 @bad.wlg @out.png", 1, "Sorry,there was an error loading the .wlg file|line "},
      {"--tile 1 @none.wlg @out.png", 1, ""},
      {"--tile 1 SAMPLE /nonexistent-folder/out.png", 1,
       "/nonexistent-folder/out.png: no such folder"},
      {"--solid Cube SAMPLE @out.png", 1,
       "3D geometry setup: Sorry, you must set Shape 1 inner/outer to 4 sides, rotated, "
       "unstarred\nAutomatically make the change?"},
      {"--solid Sphere --yes SAMPLE @out.png", 2, "Tetra, Cube, Octa"},
      {"--net Cube --yes --edge-mm 2000 SAMPLE @n.pdf", 1, "too long for the page"},
      {"--scale 100 --size 1001x20 SAMPLE @out.png", 2, "at most 100000 a side"},
      {"--solid Cube --yes --scale 90 SAMPLE @out.png", 2, "at most 16000 a side"},
      {"--scale 100 --size 656x20 SAMPLE @out.jpg", 2, "at most 65500 a side"},
      {"--scale 40 --size 1000x1000 SAMPLE @out.bmp", 2, "a BMP file holds at most 4 GB"},
      {"--antialias SAMPLE @a.svg", 2, "--antialias is for pictures"},
  };
  for (const auto& [line, code, says] : cases) {
    SCOPED_TRACE(line);
    const RunResult r = at.Run(line);
    EXPECT_EQ(r.code, code);
    for (const QString& part : QString(says).split('|', Qt::SkipEmptyParts))
      EXPECT_EQ(Count(r.err, part.toStdString().c_str()), 1) << r.err;
  }
  EXPECT_EQ(QDir(at.dir.path()).entryList(QDir::Files), QStringList{"bad.wlg"});
}

// A filled A3 sheet as a pattern the program loads again and as a cut
// file; a pattern whose tiles show no repeat writes nothing.
TEST(ExporterRun, FillWritesTheFilledSheetOrNothing) {
  const Files at;
  ASSERT_EQ(at.Run("--fill-mm 297x420 SAMPLE @a3.wlg").code, 0);
  const QStringList lines = QString::fromStdString(at.Read("a3.wlg")).split("\r\n");
  const qsizetype data = lines.indexOf("TessData");
  ASSERT_GT(data, 0);
  EXPECT_GT(lines[data + 1].trimmed().toInt(), 120);  // 1123 x 1587 px of 124.7 px hexagons
  const RunResult again = at.Run("@a3.wlg @again.png");
  EXPECT_EQ(again.code, 0) << again.err;
  ASSERT_EQ(at.Run("--fill-mm 297x420 --cut SAMPLE @a3.svg").code, 0);
  EXPECT_GT(Count(at.Read("a3.svg"), "<path"), 1000);
  // One tile alone shows no repeat.
  QStringList one = lines;
  one[data + 1] = " 1 ";
  one.remove(data + 3, lines[data + 1].trimmed().toInt() - 1);
  if (QFile f(at("one.wlg")); f.open(QIODevice::WriteOnly)) f.write(one.join("\r\n").toUtf8());
  const RunResult r = at.Run("--fill 400x400 @one.wlg @none.png");
  EXPECT_EQ(r.code, 1);
  EXPECT_THAT(r.err, HasSubstr(kNoLatticeMessage));
  EXPECT_FALSE(QFile::exists(at("none.png")));
}

// Every solid of the sample as an OBJ mesh with its materials, a binary
// glTF and a VRML scene, opened in readers we did not write.
TEST(ExporterSolid, EverySolidAsMeshAndScene) {
  const QString assimp = QStandardPaths::findExecutable("assimp"),
                tovrml = QStandardPaths::findExecutable("tovrmlx3d"),
                node = QStandardPaths::findExecutable("node");
  if (Missing(assimp, "assimp") || Missing(tovrml, "tovrmlx3d") || Missing(node, "node"))
    GTEST_SKIP() << "assimp, tovrmlx3d or node is not installed";
  const Files at;
  QStringList gltf;
  for (const SolidInfo& solid : Solids()) {
    SCOPED_TRACE(solid.key);
    const QString key = QString::fromStdString(solid.key), obj = at(key + ".obj"),
                  wrl = at(key + ".wrl"), glb = at(key + ".glb");
    for (const QString& file :
         {"@" + key + ".obj", "@" + key + ".glb", "--lines --smooth @" + key + ".wrl"})
      ASSERT_EQ(at.Run("--solid " + key + " --yes SAMPLE " + file).code, 0);
    gltf << glb;
    const std::string o = at.Read(key + ".obj"), w = at.Read(key + ".wrl");
    EXPECT_GE(Count(o, "\r\nf "), solid.faceCounts[0]);  // tile polygons on every face
    // --smooth and --lines reach the scene.
    EXPECT_THAT(w, HasSubstr("creaseAngle 99"));
    EXPECT_THAT(w, HasSubstr("IndexedLineSet"));
    // tovrmlx3d exits 0 even on warnings, so its stderr must be empty.
    const RunResult parsed = Launch(tovrml, {"--encoding", "classic", wrl});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_EQ(QString::fromStdString(parsed.err).trimmed(), "") << parsed.err;

    // The mesh and the glTF hold the same triangles (n - 2 for a face of n)
    // and one material per colour group used (assimp adds a default one only
    // when a mesh names none).
    std::set<std::string> groups;
    int triangles = 0;
    for (const QString& line : QString::fromStdString(o).split("\r\n")) {
      if (line.startsWith("usemtl ")) groups.insert(line.toStdString());
      if (line.startsWith("f ")) triangles += line.split(' ', Qt::SkipEmptyParts).size() - 3;
    }
    for (const QString& file : {obj, glb}) {
      const RunResult info = Launch(assimp, {"info", file});
      ASSERT_EQ(info.code, 0) << info.err;
      EXPECT_EQ(Number(info.out, "Faces"), triangles) << file.toStdString();
      EXPECT_EQ(Number(info.out, "Materials"), static_cast<int>(groups.size()));
      EXPECT_EQ(info.out.find("DefaultMaterial"), std::string::npos);
    }
  }
  ASSERT_EQ(at.Run("--solid Cube --yes SAMPLE @Cube.gltf").code, 0);
  EXPECT_THAT(at.Read("Cube.gltf"), HasSubstr("data:application/octet-stream;base64,"));
  gltf << at("Cube.gltf");
  // The validator's verdict on every file: no error and no warning.
  const RunResult valid =
      Launch(node, QStringList{QString(WHIRLIGONS_TESTS_DIR) + "/support/gltf-validate.js"} + gltf);
  if (valid.code == 3 && Missing({}, "gltf-validator")) GTEST_SKIP() << valid.err;
  EXPECT_EQ(valid.code, 0) << valid.out << valid.err;
  EXPECT_EQ(Count(valid.out, ": 0 errors, 0 warnings\n"), gltf.size()) << valid.out;

  // --yes answers the question about an existing materials file too.
  if (QFile f(at("Cube.mtl")); f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write("mine");
  ASSERT_EQ(at.Run("--solid Cube --yes SAMPLE @Cube.obj").code, 0);
  EXPECT_THAT(at.Read("Cube.mtl"), HasSubstr("newmtl wlg"));
}

// Printed solids read by PrusaSlicer, admesh and lib3mf:
// closed, nothing to repair, every triangle in a palette colour.
TEST(ExporterSolid, PrintedSolidsAreManifoldAndColouredForTheirReaders) {
  const QString prusa = QStandardPaths::findExecutable("prusa-slicer"),
                admesh = QStandardPaths::findExecutable("admesh");
  if (Missing(prusa, "prusa-slicer") || Missing(admesh, "admesh"))
    GTEST_SKIP() << "prusa-slicer or admesh is not installed";
  const Files at;
  for (const char* key : {"Cube", "TTet", "SIcos"}) {
    SCOPED_TRACE(key);
    const QString base = at(key), line = "--solid " + QString(key) + " --yes SAMPLE ";
    ASSERT_EQ(at.Run(line + "--colours 3 " + base + ".3mf").code, 0);
    ASSERT_EQ(at.Run(line + base + ".stl").code, 0);
    for (const char* ext : {".3mf", ".stl"}) {
      const RunResult info = Launch(prusa, {"--info", base + ext});
      EXPECT_THAT(info.out, HasSubstr("manifold = yes")) << info.out << info.err;
      EXPECT_EQ(info.out.find("open_edges"), std::string::npos) << info.out;
    }
    const RunResult fixed = Launch(admesh, {base + ".stl"});
    for (const char* label : {"Degenerate facets", "Edges fixed", "Facets removed",
                              "Facets reversed", "Backwards edges"})
      EXPECT_EQ(QRegularExpression(QString(label) + R"(\s+:\s+(\d+))")
                    .match(QString::fromStdString(fixed.out))
                    .captured(1),
                "0")
          << label << fixed.out;
    const auto volume =
        QRegularExpression(R"(Volume\s+:\s+([0-9.]+))").match(QString::fromStdString(fixed.out));
    EXPECT_GT(volume.captured(1).toDouble(), 0) << fixed.out;

    std::set<Colour> colours;
    const long count = ReadBack3mf(at.Read(QString(key) + ".3mf"), colours);
    EXPECT_GT(count, 0);
    EXPECT_LE(colours.size(), 3u);
    for (Colour c : colours)
      EXPECT_NE(std::find(Palette16.begin(), Palette16.end(), c), Palette16.end()) << c;
  }
  // One is sliced.
  const RunResult sliced =
      Launch(prusa, {"--export-gcode", at("TTet.stl"), "--output", at("TTet.gcode")});
  EXPECT_EQ(sliced.code, 0) << sliced.err;
  EXPECT_THAT(at.Read("TTet.gcode"), HasSubstr("G1 "));
}

}  // namespace
}  // namespace wlg
