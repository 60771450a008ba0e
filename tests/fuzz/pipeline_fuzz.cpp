// libFuzzer target for the whole pipeline: the bytes are opened through
// File/Open of a started designer, as a user opens file after file, and
// whatever loads goes on through one stage that the input's size picks:
// one tile's drawing, the tessellation's metafile and drawing or its picture,
// the solid the file names (or the cube) as OBJ with its materials, glTF and
// VRML, as a printable mesh, as a net or as a three-frame turn, or the
// sphere picture and its turn. Questions are answered Yes or OK. A crash, a
// hang or a sanitizer report is a fault; a message is not.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "animation/SpinFrames.h"
#include "designer/Windows.h"
#include "imaging/BandedRaster.h"
#include "imaging/EmfRecorder.h"
#include "imaging/PictureFiles.h"
#include "imaging/VectorDrawing.h"
#include "platform/SettingsStore.h"
#include "solids/PrintFiles.h"
#include "solids/SolidExport.h"
#include "solids/SolidGltf.h"
#include "solids/SolidNet.h"

namespace {

using namespace wlg;

class YesPrompts : public Prompts {
 public:
  std::string file;
  Answer Message(const std::string&, const std::string&, Buttons buttons, Icon) override {
    switch (buttons) {
      case Buttons::OK:
      case Buttons::OKCancel:
        return Answer::OK;
      case Buttons::SaveDiscardCancel:
        return Answer::Discard;
      default:
        return Answer::Yes;
    }
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&,
                                      const std::string& defaultText) override {
    return defaultText;
  }
  std::optional<std::string> OpenFile(const FileDialogRequest&) override { return file; }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<Colour> ChooseColour(Colour initial) override { return initial; }
  bool EditForm(const std::string&, std::vector<FormField>&) override { return true; }
};

// One recorded redraw feeds every drawing writer.
struct Tee : PathRecorder {
  std::vector<PathRecorder*> to;
  void Record(const RecordedFigure& f) override {
    for (PathRecorder* r : to) r->Record(f);
  }
};

// Every vector writer over one recording, in the mode (and page) the input
// picks: the layers are most of the cost, so they are made once.
void WriteVectors(const VectorDrawing& drawing, size_t pick) {
  VectorOptions o;
  o.mode = static_cast<VectorMode>(pick % 3);
  o.page = static_cast<PageSize>(pick / 3 % 3);
  if (o.mode == VectorMode::Plot && pick / 9 % 2) o.hatchMm = 0.1 + pick % 50;
  if (o.mode == VectorMode::Cut && pick / 9 % 2) o.kerfMm = 0.01 + pick % 5;
  const VectorPlan plan = BuildVectorPlan(drawing, o);
  (void)LayeredSvg(plan);
  std::string bytes, why;
  if (!PdfBytes(plan, bytes)) abort();
  if (!DxfBytes(plan, bytes, &why)) abort();
}

// Memory-backed when there is one: every input is written and read back,
// and a disk's truncation and flush on close cost more than the load.
QString ScratchFolder() {
  const QString shm = "/dev/shm";
  return (QDir(shm).exists() ? shm : QDir::tempPath()) + "/pipeline_fuzz-XXXXXX";
}

struct Session {
  QTemporaryDir dir{ScratchFolder()};
  YesPrompts prompts;
  Program program{prompts};
  std::unique_ptr<SettingsStore> settings = MakeMemorySettings();
  Windows w{program, *settings};
  Session() {
    w.designer.Form_Load("");
    // Small pictures keep the run fast; every figure still goes through
    // the renderer, the clipping and the writers.
    for (int tile = 0; tile < TileCount; ++tile) w.designer.picS(tile).canvas.Resize(80, 80);
    w.tessellator.picT().canvas.Resize(64, 64);
    w.view3D.ResizePicture(64, 64);
    // Also remade whole at every change of smooth edges.
    w.sphereWrap.Surface().canvas.Resize(64, 64);
    w.sphereWrap.Entry("vtWidth").SetValue("1");
  }
};

// Values at the edges of what the fields hold.
constexpr const char* kExtremes[] = {
    "0", "-0", "-1", "1e30", "-1e30", "3.4e38", "-3.4e38", "1e-30", "2147483647", "-2147483648",
    "2147483648", "4294967296", "65535", "32767", "-32768", "999999", "0.5", "1E+38", "15", "16",
    "17", "63", "64", "1000", "-999", ".", "", "nan", "inf", "1e400",
    // The readers take no exponent, so the huge values in digits too.
    "1000000000000000000000000000000", "-1000000000000000000000000000000",
    "340000000000000000000000000000000000000", "9999999999999999999999999999999999999999999"};

// Most byte-level mutations break a pattern's structure, so the file never
// loads and nothing gets drawn. Half the time one field of one line is
// replaced by an extreme value instead, keeping the rest of the file intact.
size_t MutateField(uint8_t* data, size_t size, size_t maxSize, unsigned seed) {
  std::minstd_rand rng(seed);
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<size_t> starts;  // line starts
  for (size_t i = 0; i < text.size(); ++i)
    if (i == 0 || text[i - 1] == '\n') starts.push_back(i);
  if (starts.empty()) return 0;
  const size_t begin = starts[rng() % starts.size()];
  size_t end = text.find_first_of("\r\n", begin);
  if (end == std::string::npos) end = text.size();
  std::vector<std::pair<size_t, size_t>> fields;
  for (size_t f = begin; f <= end;) {
    size_t comma = text.find(',', f);
    if (comma == std::string::npos || comma > end) comma = end;
    fields.emplace_back(f, comma);
    f = comma + 1;
  }
  const auto [from, to] = fields[rng() % fields.size()];
  text.replace(from, to - from, kExtremes[rng() % std::size(kExtremes)]);
  if (text.size() > maxSize) return 0;
  std::memcpy(data, text.data(), text.size());
  return text.size();
}

// The stages after the load, one per input: a run through all of them costs
// as much as dozens of loads. The size picks the stage; 29 is prime to every
// other choice the size makes below, so each stage meets every choice. The
// cheap stages come more often; the net, the turns, the sphere and the
// banded picture (each as dear as several loads) once or twice.
enum class Stage { Tile, TessVectors, TessPicture, Meshes, Print, Net, Turn, Sphere };
constexpr Stage kStageOfSize[29] = {
    Stage::Tile,        Stage::TessVectors, Stage::Tile,   Stage::Meshes, Stage::Net,
    Stage::Tile,        Stage::TessPicture, Stage::Tile,   Stage::Print,  Stage::TessVectors,
    Stage::Tile,        Stage::Meshes,      Stage::Turn,   Stage::Tile,   Stage::TessVectors,
    Stage::Tile,        Stage::Meshes,      Stage::Print,  Stage::Tile,   Stage::Sphere,
    Stage::TessVectors, Stage::Tile,        Stage::Meshes, Stage::Tile,   Stage::TessPicture,
    Stage::Tile,        Stage::TessVectors, Stage::Tile,   Stage::Tile};

// The load drew every tile; one of them, by the input, is recorded.
void RecordTile(Session& s, size_t size) {
  frmS& d = s.w.designer;
  const int tile = static_cast<int>(size % TileCount);
  d.SSTab1_Click(tile);
  const Canvas& canvas = d.picS(tile).canvas;
  VectorRecorder tileRecorder(canvas.Width(), canvas.Height(), canvas.backColour);
  d.RecordCurrentTile(tileRecorder);
  WriteVectors(tileRecorder.Drawing(), size);
}

// The loaded tiles repeated over a small area, where they show a repeat,
// then recorded: as a metafile and every drawing, or redrawn at a scale the
// input picks, in thin bands so that every band join is crossed, to any
// picture kind.
void Tessellate(Session& s, size_t size, bool picture) {
  frmT& t = s.w.tessellator;
  t.Show();
  t.FillOver({0, 0, 64, 64});
  // Thousands of tiles piled on this small area (a lattice step of a pixel
  // or two) are drawn whole, one over another: seconds of honest work that
  // the benchmarks measure, and a fuzzer's time-out under the sanitizers.
  if (s.program.tess.TessCount > 1000) return;
  std::string error;
  const Canvas& canvas = t.picT().canvas;
  VectorRecorder vectors(canvas.Width(), canvas.Height(), t.TessBackColour());
  if (!picture) {
    auto emf = EmfRecorder::Create(s.dir.filePath("fuzz.emf").toStdString(), canvas.Width(),
                                   canvas.Height(), &error);
    Tee tee;
    tee.to = {&vectors};
    if (emf) tee.to.push_back(emf.get());
    t.RecordRedraw(tee);
    if (emf) emf->Close(&error);
    WriteVectors(vectors.Drawing(), size / 9);
    return;
  }
  t.RecordRedraw(vectors);
  RasterOptions o;
  o.scale = 0.25 + static_cast<double>(size % 8) / 4;
  o.scaleLines = size % 2 == 0;
  o.transparent = size % 3 == 0;
  o.antialias = size % 4 == 1;
  const BandedRaster raster(vectors.Drawing(), o);
  StreamedPicture p;
  p.width = raster.Width();
  p.height = raster.Height();
  p.alpha = o.transparent;
  p.bandRows = 1 + static_cast<int>(size % 23);
  p.render = [&raster](int top, QImage& band) { raster.RenderBand(top, band); };
  const char* names[] = {"fuzz.bmp", "fuzz.jpg", "fuzz.png", "fuzz.tif"};  // PictureKind order
  const int k = static_cast<int>(size / 7 % 4);
  if (!WritePicture(p, s.dir.filePath(names[k]).toStdString(), PictureKind(k), &error)) abort();
}

// The solid the file names, or the cube, through one kind of writer.
void WriteSolid(Session& s, size_t size, Stage stage) {
  DesignModel& m = s.program.design;
  const SolidInfo* solid = FindSolid(m.SolidName);
  if (solid == nullptr) solid = FindSolid("Cube");
  s.w.builder.RunCommand(*solid);
  if (!s.w.view3D.IsVisible()) return;
  if (stage == Stage::Meshes) {
    (void)ObjText(m.solid, "fuzz.mtl");
    (void)MtlText(m.solid);
    (void)GltfBytes(m.solid, size % 2 == 0);
    (void)VrmlText(m.solid, VrmlOptions{}, nullptr);
  } else if (stage == Stage::Print) {
    // The printable mesh, closed or refused, as both kinds of file.
    PrintMesh print;
    std::string why, threeMf;
    if (BuildPrintMesh(m.solid, {10 + static_cast<double>(size % 50)}, print, &why)) {
      (void)StlBytes(print);
      MergeColours(print, static_cast<int>(size % 5));
      if (!ThreeMfBytes(print, threeMf, &why)) abort();
    }
  } else if (stage == Stage::Net) {
    // The net, on pages of the size and edge the input picks.
    NetOptions net;
    net.page = size % 2 ? PageSize::Letter : PageSize::A4;
    net.edgeMm = size % 3 ? 0 : 20 + static_cast<double>(size % 200);
    SolidNet unfolded;
    std::string why;
    if (BuildSolidNet(m.solid, net, unfolded, &why)) {
      const std::vector<VectorPlan> pages = NetPlans(unfolded);
      (void)LayeredSvg(NetLaserPlans(unfolded, size % 2 == 0, size % 7 ? 0 : 0.2));
      (void)LayeredSvg(pages);
      std::string pdf;
      if (size % 5 == 0 && !PdfBytes(pages, pdf)) abort();
    }
  } else {
    // Three frames of its turn, to the kind the input picks.
    SolidSpin spin(s.w.view3D, m.solid, 3);
    AnimationOptions anim;
    anim.kind = AnimationKind(size / 11 % 4);
    anim.fps = 1 + static_cast<double>(size % 60);
    anim.loop = size % 2 == 0;
    std::string error;
    const std::string file = s.dir.filePath("fuzz.").toStdString() + AnimationExtension(anim.kind);
    if (!WriteAnimation(spin, anim, file, &error)) abort();
  }
  s.w.view3D.Hide();
}

void WrapSphere(Session& s, size_t size) {
  s.w.tessellator.Show();
  s.w.tessellator.Menu("mnuShearWrap").UserClick();
  if (s.w.sphereWrap.sphere.HasPixels()) {
    SphereSpin spin(s.w.sphereWrap, 3, size % 4 == 1);
    AnimationOptions anim;
    anim.kind = size % 2 ? AnimationKind::Gif : AnimationKind::WebP;
    std::string error;
    const std::string file =
        s.dir.filePath("sphere.").toStdString() + AnimationExtension(anim.kind);
    if (!WriteAnimation(spin, anim, file, &error)) abort();
  }
  s.w.sphereWrap.Form_QueryUnload();
}

}  // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
  if (seed % 2 == 0) {
    const size_t n = MutateField(data, size, maxSize, seed / 2);
    if (n > 0) return n;
  }
  return LLVMFuzzerMutate(data, size, maxSize);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char name[] = "pipeline_fuzz";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  static Session* s = new Session;
  // Kept to the end, for the windows' sake; only its folder goes then.
  static const int cleanup = std::atexit([] { s->dir.remove(); });
  (void)app;
  (void)cleanup;
  const std::string path = s->dir.filePath("fuzz.wlg").toStdString();
  {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  frmS& d = s->w.designer;
  s->prompts.file = path;
  // Every window also draws its smooth display picture for some inputs.
  if (const bool smooth = size % 4 == 1; smooth != s->w.designer.SmoothEdges)
    s->w.SetSmoothEdges(smooth, false);
  d.mnuFileLoad_Click();
  if (d.LastLoadError()) return 0;

  switch (const Stage stage = kStageOfSize[size % std::size(kStageOfSize)]) {
    case Stage::Tile:
      RecordTile(*s, size);
      break;
    case Stage::TessVectors:
    case Stage::TessPicture:
      Tessellate(*s, size, stage == Stage::TessPicture);
      break;
    case Stage::Sphere:
      WrapSphere(*s, size);
      break;
    default:
      WriteSolid(*s, size, stage);
  }
  return 0;
}
