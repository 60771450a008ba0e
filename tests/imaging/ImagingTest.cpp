// Picture writers: JPEG, BMP, metafiles, and pictures redrawn at any scale a
// band at a time into PNG and TIFF files; read back by outside readers.

#include <gtest/gtest.h>

#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainterPath>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <array>
#include <charconv>
#include <cstring>
#include <numeric>
#include <random>

#include "imaging/BandedRaster.h"
#include "imaging/DIBSection.h"
#include "imaging/EmfRecorder.h"
#include "imaging/PictureFiles.h"
#include "imaging/SaveJPG.h"
#include "imaging/VisibleParts.h"
#include "support/DesignerHarness.h"
#include "support/PictureCompare.h"

namespace wlg {
namespace {

std::string In(const QTemporaryDir& dir, const char* name) {
  return dir.filePath(QString::fromLatin1(name)).toStdString();
}
QByteArray ReadAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QByteArray RunTool(const char* name, const QStringList& args) {
  QProcess p;
  p.start(QStandardPaths::findExecutable(name), args);
  EXPECT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return p.readAllStandardOutput();
}

// Four solid quadrants, so that a flip or swapped channels both show.
const QRgb kQuadrants[4] = {qRgb(220, 30, 30), qRgb(20, 200, 40), qRgb(30, 40, 210),
                            qRgb(255, 255, 255)};
QImage Quadrants(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int i = 0; i < w * h; ++i)
    img.setPixel(i % w, i / w, kQuadrants[(i / w >= h / 2) * 2 + (i % w >= w / 2)]);
  return img;
}
void ExpectQuadrants(const QImage& got) {
  for (int q = 0; q < 4; ++q) {
    const QRgb a = got.pixel((q % 2 * 2 + 1) * got.width() / 4, (q / 2 * 2 + 1) * got.height() / 4),
               b = kQuadrants[q];
    EXPECT_LE(abs(qRed(a) - qRed(b)) + abs(qGreen(a) - qGreen(b)) + abs(qBlue(a) - qBlue(b)), 30);
  }
}

// Bad sizes are refused; the empty bitmap left is not written over a file.
TEST(SaveJpgTest, BadSizesAreRefusedAndKeepAnEarlierFile) {
  QTemporaryDir dir;
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(101, 50));
  for (auto [w, h] : {std::pair{-3, 5}, {cDIBSection::MaxSide + 1, 1}, {60000, 60000}}) {
    EXPECT_FALSE(dib.Create(w, h)) << w << "x" << h;
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);  // the earlier bitmap is gone too
  }
  const std::string earlier = In(dir, "earlier.jpg");
  if (QFile f(QString::fromStdString(earlier)); f.open(QIODevice::WriteOnly)) f.write("earlier");
  std::string error;
  EXPECT_FALSE(SaveJPG(dib, earlier, 90, &error));
  EXPECT_EQ(ReadAll(earlier), QByteArray("earlier"));
  EXPECT_EQ(PictureOutputName("a.b.c", "jpg"), std::optional<std::string>("a.b.jpg"));
  EXPECT_EQ(PictureOutputName("/tmp/.hidden", "jpg"), std::nullopt);
}

TEST(PictureFilesTest, CanvasPicturesReadBackInEveryKind) {
  QTemporaryDir dir;
  // Odd width: padded rows in BMP and DIB; three bands of 64, 64 and 22 rows.
  const QImage canvas = Quadrants(31, 150);
  std::string error;
  const std::string bmp = In(dir, "c.bmp"), jpg = In(dir, "c.jpg");
  ASSERT_TRUE(WritePicture(canvas, bmp, PictureKind::BMP, &error)) << error;
  ASSERT_TRUE(WritePicture(canvas, jpg, PictureKind::JPG, &error)) << error;
  // A window's BMP has the bytes Qt's own writer gave it.
  const QString qt = dir.filePath("qt.bmp");
  ASSERT_TRUE(canvas.convertToFormat(QImage::Format_RGB888).save(qt, "BMP"));
  EXPECT_EQ(ReadAll(bmp), ReadAll(qt.toStdString()));
  const QString said = RunTool("identify", {"-format", "%m %w %h,", QString::fromStdString(bmp),
                                            QString::fromStdString(jpg)});
  EXPECT_TRUE(said.contains(QRegularExpression("^BMP[23]? 31 150,JPEG 31 150,$"))) << said.data();
  ExpectQuadrants(QImage::fromData(RunTool("djpeg", {"-ppm", QString::fromStdString(jpg)})));
}

// Read by emf2svg-conv: a path per figure, in canvas pixels; no file until closed.
TEST(EmfRecorderTest, FiguresReadBackAsPathsInCanvasPixels) {
  QTemporaryDir dir;
  const std::string path = In(dir, "r.emf");
  std::string error;
  auto emf = EmfRecorder::Create(path, 400, 300, &error);
  ASSERT_NE(emf, nullptr) << error;
  const IPoint square[] = {{10, 20}, {110, 20}, {110, 120}, {10, 120}};
  emf->Record(
      {.pixels = square, .count = 4, .penWidth = 3, .filled = true, .fill = Rgb(255, 128, 0)});
  emf->Record({.pixels = square, .count = 4, .fill = Rgb(0, 0, 255)});
  emf->Record({.pixels = square, .count = 3, .closed = false, .penWidth = 2});
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
  ASSERT_TRUE(emf->Close(&error)) << error;
  RunTool("emf2svg-conv", {"-i", QString::fromStdString(path), "-o", dir.filePath("r.svg")});
  const QString svg = QString::fromUtf8(ReadAll(In(dir, "r.svg")));
  EXPECT_EQ(svg.count("M 10.0000,20.0000 L 110.0000,20.0000 L 110.0000,120.0000 "
                      "L 10.0000,120.0000 L 10.0000,20.0000"),
            2);  // closed figures end where they began
  EXPECT_TRUE(
      svg.contains(QRegularExpression("width=\"(399|400)\\.0+\" height=\"(299|300)\\.0+\"")));
  EXPECT_EQ(svg.count("<path"), 3);
  EXPECT_EQ(svg.count("fill=\"#FF8000\""), 1);
}

TEST(BandedRaster, SampleRedrawMatchesTheCanvas) {
  testing::DesignerHarness h;
  h.Start("\"" WHIRLIGONS_SAMPLES_DIR "/sample.wlg\"");
  h.tess.Show();
  auto& canvas = h.tess.picT().canvas;
  VectorRecorder recorder(canvas.Width(), canvas.Height(), h.tess.TessBackColour());
  h.tess.RecordRedraw(recorder);
  EXPECT_LT(testing::ExpectDifferencesOnlyAtEdges(
                canvas.Image(), BandedRaster(recorder.Drawing(), {}).Render(), "scale 1"),
            0.05);
}

// A red square with a black one-pixel outline, and an open line.
const VectorDrawing kSquare{.width = 40,
                            .height = 40,
                            .background = 0xffffff,
                            .points = {{10, 10}, {30, 10}, {30, 30}, {10, 30}, {5, 35}, {35, 35}},
                            .figures = {{.count = 4, .filled = true, .fill = 0x0000ff},
                                        {.first = 4, .count = 2, .closed = false}}};

// A figure of one point (a printed dot) and a fill without area are in no
// vector file, in any mode; the square and the line are.
TEST(VectorPlan, FiguresWithoutLengthOrAreaAreLeftOut) {
  VectorDrawing d = kSquare;
  d.points.insert(d.points.end(), {{20, 20}, {20, 20}, {20, 20.0001}, {0, 0}, {10, 10}, {20, 20}});
  d.figures.push_back({.first = 6, .count = 3});
  d.figures.push_back({.first = 9, .count = 3, .stroked = false, .filled = true, .fill = 0xff});
  for (VectorMode mode : {VectorMode::Picture, VectorMode::Cut, VectorMode::Plot}) {
    double least = HUGE_VAL, drawn = 0;
    for (const PlanLayer& layer : BuildVectorPlan(d, {.mode = mode}).layers) {
      if (layer.kind == PlanLayer::Kind::Background) continue;
      for (const PlanPath& p : layer.paths) {
        // A fill's size is its area, a stroke's its length.
        QPainterPath path(p.points.empty() ? QPointF() : QPointF(p.points[0].x, p.points[0].y));
        for (const DPoint& v : p.points) path.lineTo(v.x, v.y);
        if (p.closed) path.closeSubpath();
        double size = path.length(), twice = 0;
        for (size_t i = 0; i < p.points.size(); ++i) {
          const DPoint a = p.points[i], b = p.points[(i + 1) % p.points.size()];
          twice += a.x * b.y - b.x * a.y;
        }
        if (layer.kind == PlanLayer::Kind::Fill) size = std::abs(twice) / 2;
        least = std::min(least, size);
        drawn += size;
      }
    }
    EXPECT_GT(least, 1e-3) << int(mode);
    EXPECT_GT(drawn, 20) << int(mode);
  }
}

// A laser file: red hairlines, and the island inside a piece is cut before
// the piece's own contour, though the contour starts nearer the origin.
TEST(VectorPlan, CutLinesAreRedHairlinesInnerFirst) {
  const VectorDrawing d{
      .width = 40,
      .height = 40,
      .points = {{1, 1}, {39, 1}, {39, 39}, {1, 39}, {15, 15}, {25, 15}, {25, 25}},
      .figures = {{.count = 4, .filled = true, .fill = 0xff},
                  {.first = 4, .count = 3, .filled = true, .fill = 0xff00}}};
  const VectorPlan plan = BuildVectorPlan(d, {.mode = VectorMode::Cut});
  ASSERT_EQ(plan.layers.size(), 1u);
  EXPECT_EQ(HexColour(plan.layers[0].colour), "#ff0000");
  ASSERT_EQ(plan.layers[0].paths.size(), 2u);
  EXPECT_EQ(plan.layers[0].paths[0].points.size(), 3u) << "the island comes first";
  EXPECT_EQ(plan.layers[0].paths[1].strokeMm, kHairlineMm);
  // With a 0.2 mm kerf the beam runs 0.1 mm outside the piece, inside the island.
  const VectorPlan kerf = BuildVectorPlan(d, {.mode = VectorMode::Cut, .kerfMm = 0.2});
  auto box = [&kerf](int i) {
    QPolygonF q;
    for (const DPoint& v : kerf.layers.at(0).paths.at(i).points) q << QPointF(v.x, v.y);
    return q.boundingRect();
  };
  const double mm = 25.4 / 96;
  EXPECT_NEAR(box(1).left(), 1 * mm - 0.1, 1e-3);
  EXPECT_NEAR(box(1).width(), 38 * mm + 0.2, 1e-3);
  EXPECT_GT(box(0).top(), 15 * mm + 0.05);
  EXPECT_LT(box(0).right(), 25 * mm - 0.05);
  // A sheet of such pieces, far apart: every island is found inside its own.
  VectorDrawing sheet{.width = 1000, .height = 1000};
  for (int k = 0; k < 400; ++k) {
    const double x = 50.0 * (k % 20), y = 50.0 * (k / 20);
    for (int i = 0; i < 7; ++i) sheet.points.push_back({x + d.points[i].x, y + d.points[i].y});
    sheet.figures.push_back({.first = 7u * k, .count = 4, .filled = true, .fill = 0xff});
    sheet.figures.push_back({.first = 7u * k + 4, .count = 3, .filled = true, .fill = 0xff00});
  }
  const std::vector<PlanPath> cuts =
      BuildVectorPlan(sheet, {.mode = VectorMode::Cut}).layers.at(0).paths;
  ASSERT_EQ(cuts.size(), 800u);
  for (size_t i = 0; i < cuts.size(); ++i) ASSERT_EQ(cuts[i].points.size(), i < 400 ? 3u : 4u);
}

// Hatched at 1 mm, the square's pen draws its outline and lines whose length
// is its area over the spacing, all inside it.
TEST(VectorPlan, PlotterHatchFillsTheRegion) {
  const VectorPlan plan = BuildVectorPlan(kSquare, {.mode = VectorMode::Plot, .hatchMm = 1});
  const double mm = 25.4 / 96, side = 20 * mm, left = 10 * mm;  // the square, on the page
  double length = 0;
  for (const PlanPath& p : plan.layers.at(0).paths)
    for (size_t i = 0; i < p.points.size(); ++i) {
      const DPoint a = p.points[i], b = p.points[(i + 1) % p.points.size()];
      if (i + 1 < p.points.size() || p.closed) length += std::hypot(b.x - a.x, b.y - a.y);
      EXPECT_TRUE(a.x > left - 1e-6 && a.x < left + side + 1e-6 && a.y > left - 1e-6 &&
                  a.y < left + side + 1e-6);
    }
  EXPECT_EQ(plan.layers.at(0).colour, Colour(0x0000ff));
  EXPECT_NEAR(length, 4 * side + side * side / 1, side);

  // A fill reaching far past the page is hatched over the page alone: there
  // is no paper beyond it, and the lines there would be past counting.
  for (const double reach : {1e4, 1e6}) {
    const VectorDrawing huge{
        .width = 40,
        .height = 40,
        .points = {{-reach, -reach}, {reach, -reach}, {reach, reach}, {-reach, reach}},
        .figures = {{.count = 4, .filled = true, .fill = 0xff}}};
    const double page = 40 * mm;
    double hatched = 0;
    const VectorPlan plot = BuildVectorPlan(huge, {.mode = VectorMode::Plot, .hatchMm = 1});
    for (const PlanPath& p : plot.layers.at(0).paths) {
      auto inside = [page](DPoint a) {
        return a.x > -1e-6 && a.x < page + 1e-6 && a.y > -1e-6 && a.y < page + 1e-6;
      };
      if (p.closed && p.points.size() == 4 && !inside(p.points[0])) continue;  // the outline
      for (size_t i = 0; i < p.points.size(); ++i) {
        ASSERT_TRUE(inside(p.points[i])) << reach;
        if (i > 0)
          hatched +=
              std::hypot(p.points[i].x - p.points[i - 1].x, p.points[i].y - p.points[i - 1].y);
      }
    }
    EXPECT_NEAR(hatched, page * page / 1, page) << reach;
  }
}

// Tiles of five overlapping pentagons, repeated at fractional offsets so
// that each hides parts of its neighbours, and one turned: what shows of
// every figure is what the figure-by-figure reference finds.
TEST(VisibleParts, RepeatedTilesHideAsFigureByFigure) {
  VectorDrawing d{.width = 400, .height = 300};
  auto tile = [&d](int item, double x, double y, double turn) {
    for (int k = 0; k < 5; ++k) {
      const uint32_t first = static_cast<uint32_t>(d.points.size());
      for (int j = 0; j < 5; ++j) {
        const double a = turn + j * 2 * M_PI / 5, cx = 12 * std::cos(k * 1.3),
                     cy = 12 * std::sin(k * 1.3);
        d.points.push_back({x + cx + 15 * std::cos(a), y + cy + 15 * std::sin(a)});
      }
      d.figures.push_back({.first = first,
                           .count = 5,
                           .item = item,
                           .filled = true,
                           .fill = Colour(0x101010u * (1 + k % 3))});
    }
  };
  int item = 0;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 6; ++col) tile(item++, 40 + 41.37 * col, 40 + 39.91 * row, 0);
  tile(item++, 120.5, 100.25, 0.4);
  for (bool edges : {false, true}) {
    const VisibleDrawing fast = VisibleParts(d, edges), slow = VisibleParts(d, edges, false);
    ASSERT_EQ(fast.fillOrder, slow.fillOrder);
    int cut = 0;
    for (size_t i = 0; i < d.figures.size(); ++i) {
      // The shown area and its first moments, the shown length and its:
      // equal whatever order the rings and pieces come in.
      auto measure = [&](const VisibleFigure& v) {
        std::array<double, 6> m{};
        for (const auto& ring : v.fillRings)
          for (size_t j = 0; j < ring.size(); ++j) {
            const DPoint a = ring[j], b = ring[(j + 1) % ring.size()];
            const double c = a.x * b.y - b.x * a.y;
            m[0] += c / 2;
            m[1] += (a.x + b.x) * c / 6;
            m[2] += (a.y + b.y) * c / 6;
          }
        for (const auto& piece : v.outlinePieces)
          for (size_t j = 0; j + 1 < piece.size(); ++j) {
            const DPoint a = piece[j], b = piece[j + 1];
            const double l = std::hypot(b.x - a.x, b.y - a.y);
            m[3] += l;
            m[4] += l * (a.x + b.x) / 2;
            m[5] += l * (a.y + b.y) / 2;
          }
        if (v.fillWhole) m[0] = m[1] = m[2] = 1e9;
        if (v.outlineWhole) m[3] = m[4] = m[5] = 1e9;
        return m;
      };
      const std::array<double, 6> a = measure(fast.figures[i]), b = measure(slow.figures[i]);
      for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(std::abs(a[k]), std::abs(b[k]), 1e-4 * std::abs(b[k]) + 0.05) << i << " " << k;
      cut += !slow.figures[i].fillWhole;
    }
    EXPECT_GT(cut, 60) << "most figures are partly hidden";
  }
}

// Numbers in the files: as exact decimal rounding prints them, trailing
// zeros dropped, halves and whole numbers included.
TEST(VectorPlan, DecimalsAsExactRoundingGivesThem) {
  std::mt19937_64 rng(7);
  for (int i = 0; i < 200000; ++i) {
    const int decimals = i % 7;
    double v = std::uniform_real_distribution<double>(-2000, 2000)(rng);
    if (i % 3 == 1) v = std::round(v * 8) / 8;  // halves of the last digit
    if (i % 3 == 2) v *= 1e-6;
    char buf[64];
    auto end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals).ptr;
    std::string want(buf, end);
    if (decimals > 0) want.erase(want.find_last_not_of('0') + 1);
    if (want.back() == '.') want.pop_back();
    if (want == "-0") want = "0";
    std::string got;
    AppendDecimal(got, v, decimals);
    ASSERT_EQ(got, want) << v << " to " << decimals;
  }
}

// Scaled three times: flat colours stay flat, lines keep or scale their width.
TEST(BandedRaster, ScaledFlatColoursAndLineWidths) {
  for (bool scaleLines : {false, true}) {
    SCOPED_TRACE(scaleLines);
    const QImage img = BandedRaster(kSquare, {3, scaleLines, false}).Render();
    for (int y = 36; y < 84; ++y)
      for (int x = 36; x < 84; ++x) ASSERT_EQ(img.pixel(x, y), qRgb(255, 0, 0)) << x << "," << y;
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));
    // Down column 60: the square's top edge, and the open line, as wide.
    QString dark;
    for (int y = 0; y < 120; ++y) dark += qGray(img.pixel(60, y)) < 64 ? '#' : '.';
    EXPECT_EQ(dark.count('#'), scaleLines ? 9 : 3) << dark.toStdString();
  }
}

// Smooth pictures drawn in bands of any height are the picture drawn whole:
// no seam where bands meet, and edges still blended.
TEST(BandedRaster, SmoothBandsJoinWithoutSeams) {
  VectorDrawing d = kSquare;
  d.points.insert(d.points.end(), {{3.3, 2.1}, {37.7, 9.4}, {12.2, 38.6}});
  d.figures.push_back({.first = 6, .count = 3, .filled = true, .fill = 0x00ff00});
  const BandedRaster r(d, {2.5, true, false, true});
  const QImage whole = r.Render();
  int blends = 0;
  for (int y = 0; y < whole.height(); ++y)
    for (int x = 0; x < whole.width(); ++x) {
      const QRgb c = whole.pixel(x, y) & 0xffffff;
      blends += c != 0xffffff && c != 0x00ff00 && c != 0x0000ff && c != 0;
    }
  EXPECT_GT(blends, 100);
  for (int rows : {1, 7, 16}) {
    QImage joined(whole.size(), whole.format());
    for (int top = 0; top < r.Height(); top += rows) {
      QImage band(r.Width(), std::min(rows, r.Height() - top), BandedRaster::kFormat);
      r.RenderBand(top, band);
      for (int y = 0; y < band.height(); ++y)
        std::memcpy(joined.scanLine(top + y), band.constScanLine(y), band.bytesPerLine());
    }
    EXPECT_EQ(joined, whole) << rows;
  }
}

// Streamed in bands that do not divide the height, read back by ImageMagick.
TEST(StreamedImage, PngAndTiffReadByOtherPrograms) {
  QTemporaryDir dir;
  const BandedRaster r(kSquare, {4, false, true});
  const StreamedPicture p{.width = r.Width(),
                          .height = r.Height(),
                          .alpha = true,
                          .bandRows = 13,
                          .render = [&r](int top, QImage& band) { r.RenderBand(top, band); }};
  const QImage want = r.Render().convertToFormat(QImage::Format_ARGB32);
  for (auto [name, kind] : {std::pair{"s.png", PictureKind::PNG}, {"s.tif", PictureKind::TIFF}}) {
    const std::string path = In(dir, name);
    std::string error;
    ASSERT_TRUE(WritePicture(p, path, kind, &error)) << error;
    const QString back = dir.filePath(QString(name) + ".png");
    RunTool("convert", {QString::fromStdString(path), "PNG32:" + back});
    QImage got = QImage(back).convertToFormat(QImage::Format_ARGB32);
    got.setColorSpace(want.colorSpace());
    EXPECT_EQ(got, want) << name;
  }
}

// A drawing large enough to be written in parts side by side reads as one:
// entity handles run on, each pen width is set where it changes and only
// there, each path keeps its own width. And the DXF's references hold.
TEST(VectorFiles, LargeDrawingsWrittenInPartsReadAsOne) {
  VectorPlan plan;
  plan.pageWidthMm = plan.pageHeightMm = plan.drawingWidthMm = plan.drawingHeightMm = 200;
  PlanLayer fills{.kind = PlanLayer::Kind::Fill, .id = "fill-1", .label = "Colour 1", .colour = 9};
  PlanLayer lines{.kind = PlanLayer::Kind::Stroke, .id = "outlines", .label = "Outlines"};
  lines.dashMm = {1, 2};
  std::vector<double> widths;
  for (int i = 0; i < 40000; ++i) {
    const double x = i % 200, y = i / 200 % 200;
    PlanPath p{.points = {{x, y}, {x + 1, y}, {x, y + 1}}};
    if (i < 10000) {
      fills.paths.push_back(p);
      continue;
    }
    p.closed = i % 2;
    p.strokeMm = 0.1 * (1 + i / 7 % 3);
    widths.push_back(p.strokeMm);
    lines.paths.push_back(p);
  }
  plan.layers = {fills, lines};
  const int changes = 1 + static_cast<int>(std::inner_product(
                              widths.begin() + 1, widths.end(), widths.begin(), 0, std::plus<>(),
                              [](double a, double b) { return a != b ? 1 : 0; }));

  std::string dxf, why;
  ASSERT_TRUE(DxfBytes(plan, dxf, &why)) << why;
  const QStringList records = QString::fromStdString(dxf).split('\n');
  int polylines = 0;
  for (qsizetype i = records.indexOf("ENTITIES"), last = -1; i + 3 < records.size(); ++i) {
    if (records[i] == "ENDSEC") break;
    if (records[i] != "LWPOLYLINE" && records[i] != "POLYLINE") continue;
    ASSERT_EQ(records[i + 1].trimmed(), "5");
    const int handle = records[i + 2].toInt(nullptr, 16);
    if (last >= 0) ASSERT_EQ(handle, last + 1) << "polyline " << polylines;
    last = handle;
    ++polylines;
  }
  EXPECT_EQ(polylines, 40000);
  // The dimension style names the text style written before it.
  const qsizetype style = records.lastIndexOf("STYLE", records.indexOf("DIMSTYLE"));
  const qsizetype textStyle = records.indexOf("340", records.indexOf("DIMSTYLE"));
  ASSERT_TRUE(style > 0 && textStyle > 0);
  EXPECT_EQ(records[textStyle + 1], records[style + 2]);

  std::string pdf;
  ASSERT_TRUE(PdfBytes(plan, pdf));
  QByteArray content;
  static const QRegularExpression stream("/Length (\\d+) /Filter /FlateDecode >>\nstream\n");
  const QByteArray bytes = QByteArray::fromStdString(pdf);
  for (auto m = stream.globalMatch(QString::fromLatin1(bytes)); m.hasNext();) {
    const auto s = m.next();
    QByteArray packed(4, '\0');
    qToBigEndian<quint32>(64u << 20, packed.data());
    packed += bytes.mid(s.capturedEnd(), s.captured(1).toInt());
    content += qUncompress(packed);
  }
  EXPECT_EQ(content.count(" w\n"), changes);
  EXPECT_EQ(content.count("f*\n"), 10000);
  EXPECT_EQ(content.count("S\n"), 30000);

  const QString svg = QString::fromStdString(LayeredSvg(plan));
  static const QRegularExpression path(
      "<path d=\"[^\"]*\" fill=\"none\"[^>]*stroke-width=\"([0-9.]+)\"");
  size_t k = 0;
  for (auto m = path.globalMatch(svg); m.hasNext(); ++k)
    ASSERT_DOUBLE_EQ(m.next().captured(1).toDouble(), k < widths.size() ? widths[k] : -1) << k;
  EXPECT_EQ(k, widths.size());
  EXPECT_EQ(svg.count("fill-rule=\"evenodd\""), 10000);
  EXPECT_EQ(svg.count("</g>"), 2);
}

}  // namespace
}  // namespace wlg
