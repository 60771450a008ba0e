// Animations written by the exporter, read back by programs we did not
// write: webpmux and dwebp, gifsicle and ImageMagick, ffprobe and ffmpeg.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>

#include "animation/Animation.h"
#include "animation/FoldUp.h"
#include "animation/SpinFrames.h"
#include "solids/SolidKit.h"
#include "solids/SolidNet.h"
#include "solids/frm3D.h"
#include "support/PictureCompare.h"

namespace wlg {
namespace {

struct Said {
  int code;
  std::string out;
};
Said Launch(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  p.waitForFinished(120000);
  return {p.exitCode(), p.readAll().toStdString()};
}
bool Missing(const char* program) {
  if (!QStandardPaths::findExecutable(program).isEmpty()) return false;
  if (!qEnvironmentVariableIsEmpty("CI")) ADD_FAILURE() << program << " is missing in CI";
  return true;
}
// The first number after 'label' in a reader's report, or -1.
double Number(const std::string& said, const QString& label) {
  const auto m =
      QRegularExpression(label + R"([:= ]*\s*([0-9.]+))").match(QString::fromStdString(said));
  return m.hasMatch() ? m.captured(1).toDouble() : -1;
}
// The mean difference per colour channel, 0..255.
double MeanDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 255;
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
             std::abs(qBlue(p) - qBlue(q));
    }
  return sum / (3.0 * a.width() * a.height());
}

const QString kSample = QString(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";

// Twelve frames of the cube at 24 and 10 frames a second, in every kind,
// and six of the sphere; the first frame of each is the still picture.
TEST(AnimationFiles, EveryKindPassesItsReaderAndStartsAtTheStillPicture) {
  for (const char* p : {"webpmux", "dwebp", "gifsicle", "ffprobe", "ffmpeg", "convert"})
    if (Missing(p)) GTEST_SKIP() << p << " is not installed";
  QTemporaryDir dir;
  auto at = [&](const QString& name) { return dir.filePath(name); };
  auto run = [&](const QString& line) {
    QStringList args = line.split(' ');
    for (QString& a : args) a = a == "SAMPLE" ? kSample : a.startsWith('@') ? at(a.mid(1)) : a;
    return Launch(WHIRLIGONS_EXPORTER, args);
  };
  ASSERT_EQ(run("--solid Cube --yes --size 301x200 SAMPLE @still.png").code, 0);
  for (const char* kind : {"webp", "gif", "mp4", "webm"}) {
    const Said r =
        run(QString("--solid Cube --yes --size 301x200 --frames 12 SAMPLE @cube.") + kind);
    ASSERT_EQ(r.code, 0) << kind << r.out;
  }
  ASSERT_EQ(
      run("--solid Cube --yes --size 301x200 --frames 12 --fps 10 --no-loop SAMPLE @once.gif").code,
      0);
  ASSERT_EQ(run("--sphere --frames 6 --lossy SAMPLE @sphere.webp").code, 0);
  const QImage still(at("still.png"));

  Said info = Launch("webpmux", {"-info", at("cube.webp")});
  EXPECT_EQ(Number(info.out, "Number of frames"), 12) << info.out;
  EXPECT_EQ(Number(info.out, "Loop Count"), 0);
  EXPECT_EQ(Number(info.out, "Canvas size"), 301);
  info = Launch("webpmux", {"-info", at("sphere.webp")});
  EXPECT_EQ(Number(info.out, "Number of frames"), 6) << info.out;
  // Lossless: the first frame is the still picture, pixel for pixel.
  Launch("webpmux", {"-get", "frame", "1", at("cube.webp"), "-o", at("first.webp")});
  Launch("dwebp", {at("first.webp"), "-o", at("webp0.png")});
  EXPECT_EQ(QImage(at("webp0.png")).convertToFormat(QImage::Format_RGB32),
            still.convertToFormat(QImage::Format_RGB32));

  // One palette holds the cube's colours: its first frame is exact too.
  info = Launch("gifsicle", {"--info", at("cube.gif")});
  EXPECT_NE(info.out.find("12 images"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("loop forever"), std::string::npos);
  EXPECT_NE(info.out.find("delay 0.04s"), std::string::npos);
  EXPECT_EQ(info.out.find("local color table"), std::string::npos);
  info = Launch("gifsicle", {"--info", at("once.gif")});
  EXPECT_NE(info.out.find("delay 0.10s"), std::string::npos) << info.out;
  EXPECT_EQ(info.out.find("loop"), std::string::npos);
  Launch("convert", {at("cube.gif") + "[0]", at("gif0.png")});
  EXPECT_EQ(MeanDifference(QImage(at("gif0.png")), still), 0);

  for (const auto& [kind, codec] : {std::pair{"mp4", "h264"}, std::pair{"webm", "vp9"}}) {
    SCOPED_TRACE(kind);
    const QString file = at(QString("cube.") + kind);
    info =
        Launch("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                           "stream=codec_name,width,height,pix_fmt,nb_read_frames:format=duration",
                           "-of", "default=nw=1", file});
    EXPECT_NE(info.out.find(std::string("codec_name=") + codec), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("pix_fmt=yuv420p"), std::string::npos);
    // Odd sides grow by one pixel.
    EXPECT_EQ(Number(info.out, "width"), 302);
    EXPECT_EQ(Number(info.out, "height"), 200);
    EXPECT_EQ(Number(info.out, "nb_read_frames"), 12);
    EXPECT_NEAR(Number(info.out, "duration"), 0.5, 0.05);
    Launch("ffmpeg", {"-v", "error", "-i", file, "-frames:v", "1", at(QString(kind) + "0.png")});
    const QImage first = QImage(at(QString(kind) + "0.png")).copy(0, 0, 301, 200);
    EXPECT_LT(MeanDifference(first, still), 4);
  }
}

struct Flat : FrameSource {
  int Count() const override { return 3; }
  int Width() const override { return 20; }
  int Height() const override { return 10; }
  QImage Frame(int i) override {
    QImage f(20, 10, QImage::Format_RGB32);
    f.fill(qRgb(40 * i, 90, 200));
    return f;
  }
};

// Frames that come out otherwise when drawn again (the GIF draws each
// twice): a colour the first pass never saw still gets written.
TEST(AnimationFiles, GifOfFramesThatChangeWhenDrawnAgain) {
  struct Changing : Flat {
    int drawn = 0;
    QImage Frame(int i) override {
      QImage f = Flat::Frame(i);
      if (drawn++ >= Count()) f.fill(qRgb(7, 8, 9 + i));
      return f;
    }
  } frames;
  QTemporaryDir dir;
  const QString path = dir.filePath("a.gif");
  std::string error;
  ASSERT_TRUE(WriteAnimation(frames, {.kind = AnimationKind::Gif}, path.toStdString(), &error))
      << error;
  const QImage first(path);
  ASSERT_FALSE(first.isNull());
  EXPECT_EQ(first.pixel(3, 3), qRgb(7, 8, 9));
}

// A turn's frame is the same however often it is drawn (the GIF writer
// draws each twice), though the depth sort picks its pivots at random.
TEST(SpinFrames, AFrameDrawnAgainIsTheSame) {
  testing::DesignerHarness h;
  h.Start("\"" + std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg\"");
  for (const char* key : {"Cube", "SIcos", "TTet"}) {
    SCOPED_TRACE(key);
    ASSERT_TRUE(testing::BuildSolid(h, key));
    SolidSpin spin(h.windows.view3D, h.model().solid, 8);
    std::vector<QImage> first;
    for (int i = 0; i < spin.Count(); ++i) first.push_back(spin.Frame(i));
    for (int i = spin.Count() - 1; i >= 0; --i) EXPECT_EQ(spin.Frame(i), first[i]) << i;
  }
}

// A cancel and a folder that cannot be written leave nothing, and only the
// failure has a message.
TEST(AnimationFiles, CancelAndFailuresLeaveNoFile) {
  QTemporaryDir dir;
  Flat frames;
  for (AnimationKind kind :
       {AnimationKind::WebP, AnimationKind::Gif, AnimationKind::Mp4, AnimationKind::WebM}) {
    SCOPED_TRACE(AnimationExtension(kind));
    const std::string path = dir.filePath(QString("a.") + AnimationExtension(kind)).toStdString();
    std::string error = "x";
    AnimationOptions o;
    o.kind = kind;
    int calls = 0;
    EXPECT_FALSE(WriteAnimation(frames, o, path, &error, [&](double) { return ++calls < 2; }));
    EXPECT_EQ(error, "");
    EXPECT_FALSE(WriteAnimation(frames, o, "/nonexistent-folder/a.gif", &error));
    EXPECT_NE(error.find("/nonexistent-folder/a.gif: no such folder"), std::string::npos) << error;
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
}

// The share of pixels where the picture's solid (everything but the
// background) and the net's faces, drawn turned by 'degrees' (mirrored
// or not) about the picture's centre, differ; the net's corners are centred
// there and its area is the picture's.
// Whether each pixel of a picture shows anything but the background.
struct Mask {
  int w, h, covered = 0;
  std::vector<uint8_t> on;
  Mask(const QImage& shown, QRgb back) : w(shown.width()), h(shown.height()), on(w * h) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        covered += on[y * w + x] = (shown.pixel(x, y) | 0xff000000u) != back;
  }
};
double Mismatch(const Mask& shown, const SolidNet& net, double degrees, bool mirror, int step) {
  const int w = shown.w / step, h = shown.h / step;
  double area = 0, mx = 0, my = 0;
  int corners = 0;
  for (const NetFace& f : net.faces)
    for (size_t i = 0; i < f.corners.size(); ++i, ++corners) {
      const DPoint a = f.corners[i], b = f.corners[(i + 1) % f.corners.size()];
      area += (a.x * b.y - b.x * a.y) / 2;
      mx += a.x, my += a.y;
    }
  QImage drawn(w, h, QImage::Format_Grayscale8);
  drawn.fill(0);
  QPainter p(&drawn);
  const double scale = std::sqrt(shown.covered / std::abs(area)) / step;
  p.translate(shown.w / 2.0 / step, shown.h / 2.0 / step);
  p.rotate(degrees);
  p.scale(scale, mirror ? -scale : scale);
  p.translate(-mx / corners, -my / corners);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  for (const NetFace& f : net.faces) {
    QPolygonF poly;
    for (const DPoint& c : f.corners) poly << QPointF(c.x, c.y);
    p.drawPolygon(poly);
  }
  p.end();
  // Pixels along the net's edges are left to chance.
  auto in = [&](int x, int y) { return drawn.constScanLine(y)[x] > 127; };
  int differ = 0;
  for (int y = 1; y + 1 < h; ++y)
    for (int x = 1; x + 1 < w; ++x) {
      const bool mine = in(x, y);
      if (in(x - 1, y) != mine || in(x + 1, y) != mine || in(x, y - 1) != mine ||
          in(x, y + 1) != mine)
        continue;
      differ += mine != shown.on[(y * step + step / 2) * shown.w + x * step + step / 2];
    }
  return double(differ) / shown.covered * step * step;
}

// Every solid of the sample: the net lies flat facing the eye, its outline
// the printable net's, and closes into the solid as the 3D window draws it.
TEST(FoldUpFrames, TheFlatNetIsThePrintableOneAndTheClosedNetTheStillPicture) {
  testing::DesignerHarness h;
  h.Start("\"" + std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg\"");
  for (const SolidInfo& solid : Solids()) {
    SCOPED_TRACE(solid.key);
    ASSERT_TRUE(testing::BuildSolid(h, solid.key));
    frm3D& view = h.windows.view3D;
    std::string why;
    auto folding = FoldUp::Make(view, h.model().solid, 10, &why);
    ASSERT_TRUE(folding) << why;
    ASSERT_EQ(folding->Hinges().size(),
              static_cast<size_t>(solid.faceCounts[0] + solid.faceCounts[1] + solid.faceCounts[2]));
    const QRgb back = qRgb(RedOf(view.shaded.BackColour), GreenOf(view.shaded.BackColour),
                           BlueOf(view.shaded.BackColour));
    const QImage still = view.pic3D().canvas.Image().convertToFormat(QImage::Format_RGB32);
    const QImage closed = folding->Frame(folding->FlatFrames() + folding->FoldFrames() - 1);
    int differ = 0;
    for (int y = 0; y < still.height(); ++y)
      for (int x = 0; x < still.width(); ++x) differ += still.pixel(x, y) != closed.pixel(x, y);
    // Outlines step differently; the faces and decoration are the still's.
    EXPECT_LT(differ, Mask(still, back).covered / 20);

    SolidNet net;
    ASSERT_TRUE(BuildOnePieceNet(h.model().solid, net, &why)) << why;
    const QImage flat = folding->Frame(0);
    const Mask covered(flat, back);
    double best = 1, bestAngle = 0;
    bool bestMirror = false;
    for (bool mirror : {false, true})
      for (double a = 0; a < 360; a += 3)
        if (const double m = Mismatch(covered, net, a, mirror, 4); m < best)
          best = m, bestAngle = a, bestMirror = mirror;
    for (double a = bestAngle - 2; a <= bestAngle + 2; a += 0.5)
      best = std::min(best, Mismatch(covered, net, a, bestMirror, 2));
    EXPECT_LT(best, 0.03);
  }
}

}  // namespace
}  // namespace wlg
