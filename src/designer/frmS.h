#pragma once
// The designer, the program's main window: four tile tabs, each with its
// canvas, rank frame and parameter frame, and the File, Edit and Help menus.

#include <array>
#include <string>
#include <vector>

#include "controls/Form.h"
#include "controls/PictureBox.h"
#include "designer/Program.h"
#include "designer/TileRenderer.h"
#include "platform/SettingsStore.h"

namespace wlg {

class frmS : public Form, public TileSettings {
 public:
  // Rank points are stored in canvas pixels, so the tile canvases keep one
  // size whatever the window or screen does.
  static constexpr int TileCanvasSize = 480;
  static constexpr const char* Version = "1.14";

  frmS(Program& program, SettingsStore& settings);

  // Start-up: restores settings, draws the tiles, opens a pattern named on
  // the command line (the whole command-line text).
  void Form_Load(const std::string& commandLine);
  // Shut-down: saves settings and closes the other windows.
  void Form_QueryUnload();
  void Form_Activate();
  void mnuFileExit_Click();

  Program& program() { return p_; }
  DesignModel& model() { return p_.design; }

  PictureBox& picS(int tile) { return Get<PictureBox>("picS", tile); }
  ValidText& vs(const std::string& name, int index) { return Entry(name, index); }
  CheckBox& chk(const std::string& name, int index) { return Check(name, index); }
  OptionButton& optRank(int slot) { return Get<OptionButton>("optRank", slot); }

  // The tab strip: which tab shows and which are enabled.
  int TabIndex() const { return tabIndex_; }
  void ShowTab(int tab);
  bool TabEnabled(int tab) const { return tabEnabled_[tab]; }
  void TabsActivate();
  std::function<void()> onTabsChanged;

  // ---- control panel and Edit menu (frmS_Panel.cpp)
  void SSTab1_Click(int tab);
  void optRank_Click(int slot);
  // ---- end of control panel

  // ---- pointer editing on the tile canvases (frmS_Pointer.cpp)
  // ---- end of pointer editing

  // ---- pattern files and undo (frmS_File.cpp)
  // ---- end of pattern files and undo

  // Redraw of the current tile and everything that depends on it.
  void DrawPolygon();
  void DrawRegularPolygon();
  void ClearAll();
  void GetScales();
  TileRenderer& renderer() { return renderer_; }

  // What the renderer reads live from the controls.
  TileGeometry Geometry(int tile) const override;
  int FirstColour(int tile) const override;
  bool Sequential(int tile) const override;
  Colour FaceColour() const override { return faceColour_; }

  // Hooks the later windows fill in: redraw the tessellation, follow the
  // current tile, rebuild the shown solid, read the 3D colour entries.
  std::function<void()> drawTess;
  std::function<void(int tile)> selectTessTile;
  std::function<void()> hide3D;
  std::function<void()> rebuildSolid;
  std::function<float(int tile)> tessScale;
  std::function<void()> read3DColours;

  // Colour-index entries show their palette colour with readable text.
  void ColourEntry(ValidText& entry);
  void UpdateSnapRadiusCaptions();
  static std::string SnapRadiusCaption(float radius);
  static std::string OrdinalCaption(int rank);

  // The pattern named on the command line, recognised at start-up.
  const std::string& CommandLineFile() const { return commandLineFile_; }
  bool CommandLineLoad = false;
  // Opens the pattern file named by CommandLineFile(); set by the document
  // layer once pattern files can be opened.
  std::function<void()> openCommandLineFile;

  // Options kept for the 3D window until it exists.
  bool VLines = false;
  bool VSmooth = false;

 private:
  void CreateControls();
  void LoadControls();
  void CreateMenus();
  void WireHandlers();         // frmS_Panel.cpp
  void WirePointerHandlers();  // frmS_Pointer.cpp
  void WireFileHandlers();     // frmS_File.cpp
  void DrawRankMarkers(int tile);

  Program& p_;
  SettingsStore& settings_;
  std::array<std::vector<OptionButton*>, TileCount> rankGroups_;
  int tabIndex_ = 0;
  std::array<bool, TileCount> tabEnabled_{true, true, true, true};
  std::string commandLineFile_;
  TileRenderer renderer_{p_, *this};
  Colour faceColour_ = Palette16[8];
};

}  // namespace wlg
