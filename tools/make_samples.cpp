// Makes the sample patterns shipped in data/patterns by using the program
// as a user would: clicking rank points onto the tile canvases, placing and
// snapping tiles in the tessellator, then File/Save. Built only with
// -DWHIRLIGONS_BUILD_TOOLS=ON; run from the build folder:
//   tools/make_samples ../data/patterns

#include <QGuiApplication>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "designer/Windows.h"
#include "platform/SettingsStore.h"

namespace {

// Answers the save dialog with a chosen name and every question with Yes.
class SamplePrompts : public wlg::Prompts {
 public:
  std::string saveAs;
  wlg::Answer Message(const std::string&, const std::string& text, wlg::Buttons b,
                      wlg::Icon) override {
    if (b == wlg::Buttons::OK) std::fprintf(stderr, "%s\n", text.c_str());
    return b == wlg::Buttons::YesNoCancel || b == wlg::Buttons::YesNo ? wlg::Answer::No
                                                                       : wlg::Answer::OK;
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&,
                                      const std::string& d) override {
    return d;
  }
  std::optional<std::string> OpenFile(const wlg::FileDialogRequest&) override { return {}; }
  std::optional<std::string> SaveFile(const wlg::FileDialogRequest&) override { return saveAs; }
  std::optional<wlg::Colour> ChooseColour(wlg::Colour) override { return {}; }
};

struct Session {
  Session() : settings(wlg::MakeMemorySettings()), windows(program, *settings) {
    windows.designer.Form_Load("");
    program.design.CreatorName = "Whirligons samples";
  }
  wlg::frmS& d() { return windows.designer; }
  wlg::frmT& t() { return windows.tessellator; }

  void Set(const char* name, int index, const char* value) {
    d().vs(name, index).CommitEnter(value);
  }
  void Check(const char* name, int index, int value) { d().chk(name, index).SetValue(value); }
  // Selects rank slot k and clicks its points onto the tile's canvas.
  void Rank(int slot, std::vector<std::pair<float, float>> pts, const char* colours = nullptr) {
    d().optRank(slot).UserClick();
    d().vs("vsN", slot).CommitEnter(std::to_string(pts.size()));
    const int tile = slot / wlg::RanksPerTile;
    for (auto [x, y] : pts) {
      d().picS_MouseDown(tile, wlg::MouseButton::Left, 0, x, y);
      d().picS_MouseUp(tile, wlg::MouseButton::Left, 0, x, y);
    }
    if (colours) Set("vsNCols", tile, colours);
  }
  // Shift-click with tile 'tile' chosen, then a small drag so the tile snaps.
  void Place(int tile, float x, float y, bool rotated = false) {
    t().Get<wlg::OptionButton>("optWhichOne", tile).UserClick();
    const wlg::FPoint p = t().ToCanvas(x, y);
    const int shift = wlg::ShiftKey | (rotated ? wlg::CtrlKey : 0);
    t().picT_MouseDown(wlg::MouseButton::Left, shift, p.x, p.y);
    t().picT_MouseMove(wlg::MouseButton::Left, shift, p.x + 1, p.y);
    t().picT_MouseUp(wlg::MouseButton::Left, shift, p.x + 1, p.y);
  }
  void Save(const std::string& path) {
    prompts.saveAs = path;
    d().mnuFileSave_Click();
  }

  SamplePrompts prompts;
  wlg::Program program{prompts};
  std::unique_ptr<wlg::SettingsStore> settings;
  wlg::Windows windows;
};

// Centres of a pointy-top hexagon lattice whose hexagons have side s.
std::vector<std::pair<float, float>> HexFlower(float s, float cx, float cy) {
  const float dx = s * std::sqrt(3.0f);
  std::vector<std::pair<float, float>> c{{cx, cy}};
  for (int k = 0; k < 6; ++k) {
    const float a = k * 3.14159265f / 3;
    c.push_back({cx + dx * std::cos(a), cy + dx * std::sin(a)});
  }
  return c;
}

void HexagonFlower(const std::string& folder) {
  Session s;
  s.d().Menu("mnuEditSnap").UserClick();  // snap on, for the tessellator
  // Snapping would pull the seed points onto vertices; place them freely.
  s.d().Menu("mnuEditSnap").UserClick();
  s.Set("vsFirstCol", 0, "9");
  s.Rank(0, {{240, 270}, {258, 300}, {240, 330}, {222, 300}}, "3");
  s.Rank(1, {{262, 262}, {290, 262}, {276, 286}});
  s.Rank(2, {{240, 250}, {250, 240}, {240, 230}, {230, 240}});
  s.Check("chkR", 2, 1);
  s.t().Open();
  s.t().Entry("vsScale", 0).CommitEnter("3");
  s.t().mnuEditSnap_Click();
  // Outer hexagons of side 4 x 18 world units at tile scale 3.
  for (auto [x, y] : HexFlower(72, 400, 300)) s.Place(0, x, y);
  s.Save(folder + "/sample.wlg");
}

void OctagonsAndSquares(const std::string& folder) {
  Session s;
  // Octagons kept flat (no half-step turn) with squares standing as
  // diamonds in the gaps: the truncated square tiling.
  s.Set("vsPoly", 0, "8");
  s.Set("vsPolyOut", 0, "8");
  s.Check("chkRotate", 0, 1);
  s.Check("chkRotateOut", 0, 1);
  s.Set("vsPolyBig", 0, "2");
  s.Set("vsPolySmall", 0, "0.8");
  s.Set("vsFirstCol", 0, "12");
  s.Rank(0, {{240, 262}, {252, 282}, {240, 305}, {228, 282}}, "2");
  s.d().SSTab1_Click(1);
  s.Set("vsPoly", 1, "4");
  s.Set("vsPolyOut", 1, "4");
  s.Set("vsPolyBig", 1, "2");
  s.Set("vsPolySmall", 1, "1");
  s.Set("vsFirstCol", 1, "14");
  s.Rank(16, {{240, 240}, {255, 225}, {240, 210}, {225, 225}}, "1");
  s.t().Open();
  s.t().Entry("vsScale", 0).CommitEnter("4");
  s.t().Entry("vsScale", 1).CommitEnter("4");
  s.t().mnuEditSnap_Click();
  const float side = 48;  // 2 x 24 world units at scale 4
  const float pitch = side * (1 + std::sqrt(2.0f));  // octagon centre to centre
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) s.Place(0, 400 + (c - 1.5f) * pitch, 300 + (r - 1) * pitch);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) s.Place(1, 400 + (c - 1) * pitch, 300 + (r - 0.5f) * pitch);
  s.Save(folder + "/octagons-and-squares.wlg");
}

void StarTriangles(const std::string& folder) {
  Session s;
  s.Set("vsPoly", 0, "6");
  s.Check("chkStar", 0, 1);
  s.Set("vsStarAngle", 0, "100");
  s.Check("chkSequential", 0, 1);
  s.Set("vsBackground", 0, "15");
  s.Rank(0, {{240, 300}, {262, 320}, {240, 350}, {218, 320}}, "3");
  s.Rank(1, {{240, 262}, {254, 280}, {226, 280}});
  s.Save(folder + "/star-sequential.wlg");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples FOLDER\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::string folder = argv[1];
  HexagonFlower(folder);
  OctagonsAndSquares(folder);
  StarTriangles(folder);
  return 0;
}
