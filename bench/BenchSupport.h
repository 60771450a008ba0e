#pragma once
// A display-free program for the benchmarks: every question answered Yes/OK,
// settings kept in memory.

#include <QGuiApplication>
#include <cmath>
#include <memory>

#include "designer/Windows.h"
#include "platform/SettingsStore.h"

namespace wlg::bench {

class YesPrompts : public Prompts {
 public:
  Answer Message(const std::string&, const std::string&, Buttons b, Icon) override {
    if (b == Buttons::SaveDiscardCancel) return Answer::Discard;
    return b == Buttons::YesNo || b == Buttons::YesNoCancel ? Answer::Yes : Answer::OK;
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&,
                                      const std::string& d) override {
    return d;
  }
  std::optional<std::string> OpenFile(const FileDialogRequest&) override { return file; }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return file; }
  std::optional<Colour> ChooseColour(Colour c) override { return c; }
  bool EditForm(const std::string&, std::vector<FormField>&) override { return true; }
  std::optional<std::string> file;
};

// QImage painting wants a GUI application object.
inline void EnsureApp() {
  static int argc = 1;
  static char name[] = "bench";
  static char* argv[] = {name, nullptr};
  // Never destroyed: windows of the sessions may outlive an exit-time
  // destructor's order.
  static QGuiApplication* app = nullptr;
  if (!app) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app = new QGuiApplication(argc, argv);
  }
}

struct Session {
  Session() : settings(MakeMemorySettings()), windows(program, *settings) {
    EnsureApp();
    windows.designer.Form_Load("");
  }
  YesPrompts prompts;
  Program program{prompts};
  std::unique_ptr<SettingsStore> settings;
  Windows windows;
  frmS& d = windows.designer;
  frmT& t = windows.tessellator;

  // Tile 0 as a 19-sided star with sixteen complete 9-point ranks.
  void WorstCaseTile() {
    program.SuppressEvents = true;
    d.vs("vsPoly", 0).SetValue("19");
    d.vs("vsPolyOut", 0).SetValue("19");
    d.chk("chkStar", 0).SetValue(1);
    d.vs("vsNCols", 0).SetValue("3");
    program.SuppressEvents = false;
    DesignModel& m = program.design;
    for (int k = 0; k < RanksPerTile; ++k) {
      d.vs("vsN", k).SetValue("9");
      m.PointCount[k] = 9;
      for (int j = 0; j < 9; ++j) {
        const float a = j * 6.2831853f / 9;
        m.X[k][j] = 240 + 10 * std::cos(a) + k;
        m.Y[k][j] = 300 + 10 * std::sin(a) + k;
      }
      m.PlacedCount[k] = 9;
    }
    d.DrawPolygon();
  }
};

// 199 items of a 19-sided tile with sixteen 9-point ranks on 1200 x 900.
// The most tiles a tessellation could hold before filling by repetition;
// the worst case stays the one earlier figures were measured on.
inline constexpr int kClassicTiles = 199, kClassicOverrides = 1000;

inline void WorstTessellation(Session& s) {
  s.WorstCaseTile();
  s.program.SuppressEvents = true;
  s.d.chk("chkStar", 0).SetValue(0);
  s.program.SuppressEvents = false;
  s.d.DrawPolygon();
  s.t.Show();
  s.t.picT().canvas.Resize(1200, 900);
  TessState& t = s.program.tess;
  for (int i = 1; i <= kClassicTiles; ++i) {
    TessItem& it = t.TessItems[i];
    it = TessItem{};
    it.X = 40.0f + 55 * ((i - 1) % 20);
    it.Y = 40.0f + 85 * ((i - 1) / 20);
    it.Shape = 1;
    it.Scale = 2;
  }
  t.TessCount = kClassicTiles;
}

// Puts the point of a sphere of radius 150 at band b of 50 (south to north)
// and column j of 100 into vertex v of a solid's list.
inline void SphereVertex(SolidPolyList& s, int v, int b, int j) {
  constexpr double kRadius = 150, kPi = 3.14159265358979;
  const double lat = kPi * b / 50 - kPi / 2, lon = 2 * kPi * j / 100;
  s.VertX[v] = static_cast<float>(kRadius * std::cos(lat) * std::cos(lon));
  s.VertY[v] = static_cast<float>(kRadius * std::sin(lat));
  s.VertZ[v] = static_cast<float>(kRadius * std::cos(lat) * std::sin(lon));
}

}  // namespace wlg::bench
