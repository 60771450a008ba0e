// The headless exporter: its command line, and the real program run on the
// shipped samples and on broken input.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/Exporter.h"

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

const QString kSample = QString(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";

TEST(ExporterArgs, UsageErrorsAndModes) {
  EXPECT_EQ(ParseExportArgs({"a.wlg"}).exitCode, 2);
  EXPECT_EQ(ParseExportArgs({"a.wlg", "b.png", "c.png"}).exitCode, 2);
  EXPECT_EQ(ParseExportArgs({"--tile", "5", "a.wlg", "b.png"}).exitCode, 2);
  EXPECT_EQ(ParseExportArgs({"--tile", "x", "a.wlg", "b.png"}).exitCode, 2);
  EXPECT_EQ(ParseExportArgs({"--size", "10x10", "a.wlg", "b.png"}).exitCode, 2);
  EXPECT_EQ(ParseExportArgs({"--bogus", "a.wlg", "b.png"}).exitCode, 2);
  EXPECT_EQ(ParseExportArgs({"a.txt", "b.png"}).exitCode, 2);
  EXPECT_EQ(ParseExportArgs({"--tile", "1", "a.wlg", "b.emf"}).exitCode, 2);  // no metafile of a tile
  EXPECT_EQ(ParseExportArgs({"--sphere", "a.wlg", "b.obj"}).exitCode, 2);

  auto ok = ParseExportArgs({"--tile", "3", "--size", "640x480", "--zoom", "1.5", "--yes",
                             "My Pattern.WLG", "out.JPG"});
  ASSERT_TRUE(ok.request);
  EXPECT_EQ(ok.request->mode, ExportRequest::Mode::Tile);
  EXPECT_EQ(ok.request->tile, 3);
  EXPECT_EQ(ok.request->width, 640);
  EXPECT_EQ(ok.request->height, 480);
  EXPECT_FLOAT_EQ(*ok.request->zoom, 1.5f);
  EXPECT_TRUE(ok.request->yes);
  EXPECT_EQ(ok.request->pattern, "My Pattern.WLG");

  auto help = ParseExportArgs({"--help"});
  EXPECT_FALSE(help.request);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--tile N"), std::string::npos);
  EXPECT_EQ(ParseExportArgs({"--version"}).out, "1.14\n");
}

TEST(ExporterRun, TileOfASampleIsTheTileCanvas) {
  QTemporaryDir dir;
  const QString png = dir.filePath("tile.png");
  const RunResult r = Export({"--tile", "1", kSample, png});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
  QImage img(png);
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.size(), QSize(480, 480));
  // The sample's first rank fills in palette blue somewhere on the tile.
  bool blue = false;
  for (int y = 0; y < img.height() && !blue; ++y)
    for (int x = 0; x < img.width() && !blue; ++x) blue = img.pixelColor(x, y) == QColor(0, 0, 255);
  EXPECT_TRUE(blue);

  // The same file gives the same picture every time.
  const QString again = dir.filePath("again.png");
  ASSERT_EQ(Export({"--tile", "1", kSample, again}).code, 0);
  EXPECT_EQ(QImage(again), img);
}

TEST(ExporterRun, TileAsSvgHoldsThePaths) {
  QTemporaryDir dir;
  const QString svg = dir.filePath("tile.svg");
  ASSERT_EQ(Export({"--tile", "1", kSample, svg}).code, 0);
  QFile f(svg);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray text = f.readAll();
  EXPECT_TRUE(text.startsWith("<?xml"));
  EXPECT_GT(text.count("<path"), 10);
  EXPECT_TRUE(text.contains("fill=\"#0000ff\""));
}

TEST(ExporterRun, BrokenPatternsFailWithTheLoadMessageAndLine) {
  QTemporaryDir dir;
  const QString bad = dir.filePath("bad.wlg");
  {
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Created on: x\r\nCreated by: \r\n\r\nDesigner\r\nvsPoly,0,5\r\nTessellator\r\n");
  }
  const QString out = dir.filePath("out.png");
  const RunResult r = Export({"--tile", "1", bad, out});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("Sorry,there was an error loading the .wlg file"), std::string::npos);
  EXPECT_NE(r.err.find("line "), std::string::npos) << r.err;
  EXPECT_FALSE(QFile::exists(out));

  const RunResult missing = Export({"--tile", "1", dir.filePath("none.wlg"), out});
  EXPECT_EQ(missing.code, 1);
  EXPECT_FALSE(QFile::exists(out));
}

TEST(ExporterRun, UnwritableOutputFailsWithoutAPartialFile) {
  const RunResult r = Export({"--tile", "1", kSample, "/nonexistent-folder/out.png"});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(r.err.empty());
}

}  // namespace
}  // namespace wlg
