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
#include "document/Document.h"
#include "document/EditHistory.h"
#include "platform/SettingsStore.h"
#include "shell/RegMod.h"

namespace wlg {

// Puts a computed value into an entry as it is: its range applies when the
// user next confirms it (a star angle of 179 shows a fit of 360), and the
// entry's history keeps only what the user committed.
void PutEntryText(ValidText& entry, const std::string& text);

class frmS : public Form, public TileSettings {
 public:
  // Rank points are stored in canvas pixels, so the tile canvases keep one
  // size whatever the window or screen does.
  static constexpr int TileCanvasSize = 480;
  static constexpr const char* Version = "1.14";
  // Redo's key in the designer and the tessellator (Ctrl+Y wants a second
  // shortcut per menu item, which the menu views do not offer yet).
  static constexpr const char* RedoShortcut = "Ctrl+Shift+Z; Ctrl+Y";
  static constexpr const char* SaveAsShortcut = "Ctrl+Shift+S";

  frmS(Program& program, SettingsStore& settings);

  // Start-up: restores settings, draws the tiles, opens a pattern named on
  // the command line (the whole command-line text).
  void Form_Load(const std::string& commandLine);
  // Shut-down: saves settings and closes the other windows.
  void Form_QueryUnload();
  // Whether the program may close: with unsaved changes, asks whether to
  // save them first. Closing the window and File/Exit ask it.
  bool QueryClose();
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
  void SetTabEnabled(int tab, bool on);
  void TabsActivate();
  std::function<void()> onTabsChanged;

  // ---- control panel and Edit menu (frmS_Panel.cpp)
  void SSTab1_Click(int tab);
  void optRank_Click(int slot);
  // Rank rows, by rank slot.
  void chkT_Click(int slot);
  void chkR_Click(int slot);
  void chkF_Click(int slot);
  void chkL_Click(int slot);
  void vsN_Changed(int slot);
  void cmdClear_Click(int slot);
  // Parameters that only change the picture.
  void chkHideLine_Click(int index);
  void chkSequential_Click(int tile);
  void vsLineWidth_Changed(int index);
  void vsNCols_Changed(int tile);
  void vsFirstCol_Changed(int tile);
  void vsBackground_Changed(int tile);
  // Parameters that change the tile's shape, and so may spoil a tessellation.
  void vsPoly_Changed(int tile);
  void vsPolyOut_Changed(int tile);
  void vsPolySmall_Changed(int tile);
  void vsPolyBig_Changed(int tile);
  void vsFit_Changed(int tile);
  void vsStarAngle_Changed(int tile);
  void chkRotate_Click(int tile);
  void chkRotateOut_Click(int tile);
  void chkStar_Click(int tile);
  void mnuEditClearAll_Click();
  void mnuEditSnap_Click();
  void mnuEditSnapRadius_Click();
  void mnuEditName_Click();
  void mnuEditDisableTessChecks_Click();
  // Whether a shape change of the current tile may go ahead: asks only when
  // two or more tiles are placed and one of them shows this tile. Leaves
  // KeepTessellation for ClearAll (false when the user asked to clear).
  void CheckOK(bool& ok);
  // ---- end of control panel

  // ---- pointer editing on the tile canvases (frmS_Pointer.cpp)
  void picS_MouseDown(int index, MouseButton button, int shift, float x, float y);
  void picS_MouseMove(int index, MouseButton button, int shift, float x, float y);
  void picS_MouseUp(int index, MouseButton button, int shift, float x, float y);
  // Moves (x, y) onto the first polygon vertex or rank point within the snap
  // reach, while snapping is on.
  void CheckPoint(float& x, float& y);
  // Lengths and angles shown while point k of a rank of 'count' points is
  // dragged: the edge to the previous point, the edge to the next one and
  // the angle between them (the last two only with more than two points).
  static std::string DragDataText(const std::array<float, MaxRankPoints>& x,
                                  const std::array<float, MaxRankPoints>& y, int count, int k);
  // ---- end of pointer editing

  // ---- undo and redo (frmS_Undo.cpp)
  // Takes the design snapshot just before a pointer or clearing edit.
  void SetUndo();
  // Takes back the latest edit of any window: a pointer or clearing edit
  // (its snapshot), an entry commit or a solid's set-up; then the one before.
  void UndoIt();
  // Re-applies what Undo took back, latest first, until a new edit.
  void RedoIt();
  // Lines of the latest design snapshot (0 before the first).
  int UndoLineCount() const { return history_.LatestSnapshotLines(); }
  EditHistory& history() { return history_; }
  // A designer entry got an earlier value back: redraw its tile from it.
  void EntryRestored(ValidText& entry) override;
  // ---- end of undo and redo

  // ---- pattern files (frmS_File.cpp)
  // "&Save .wlg" saves to the design's file at once (asking for a name only
  // for a design never saved); "Save &As..." always asks.
  void mnuFileSave_Click();
  void mnuFileSaveAs_Click();
  // Opens the file chosen in the dialog, or CommandLineFile() while
  // CommandLineLoad is set.
  void mnuFileLoad_Click();
  // Where the last load stopped (line 0: the file could not be read); empty
  // after a load that succeeded. The exporter reports it.
  struct LoadError {
    int line = 0;
    std::string reason;
  };
  const std::optional<LoadError>& LastLoadError() const { return lastLoadError_; }
  // The progress dialog loading reports to (a view binds to it).
  class frmProgress& ProgressDialog();
  class ProgressReporter& Progress();
  // Hooks the later windows fill in: show the tessellator or the 3D window
  // (which then builds SolidName), forget the built solid so it is rebuilt,
  // and load item n into the tessellator's editor.
  std::function<void()> showTessellator;
  std::function<void()> show3D;
  std::function<void()> markSolidUnbuilt;
  std::function<void(int item)> updateEdit;

 private:
  struct FileState;
  std::shared_ptr<FileState> file_;
  std::optional<LoadError> lastLoadError_;

 public:
  // ---- end of pattern files

  // Redraw of the current tile and everything that depends on it.
  void DrawPolygon();
  void DrawRegularPolygon();
  void ClearAll();
  void GetScales();
  TileRenderer& renderer() { return renderer_; }
  // The current tile redrawn with every figure also handed to 'recorder'
  // (the tile alone: no tessellation, no rank markers).
  void RecordCurrentTile(PathRecorder& recorder);

  // What the renderer reads live from the controls.
  TileGeometry Geometry(int tile) const override;
  int FirstColour(int tile) const override;
  bool Sequential(int tile) const override;
  Colour FaceColour() const override { return faceColour_; }
  void SetFaceColour(Colour c) { faceColour_ = c; }
  // Redraws the current tile's canvas alone (no tessellation, no solid):
  // after recording a solid the canvas and the constructed polygon are the
  // designer's again.
  void RedrawTileCanvas();
  // Every tile's canvas drawn again (their look changed, not the design).
  void RedrawTiles();

  // Hooks the later windows fill in: redraw the tessellation, follow the
  // current tile, rebuild the shown solid, read the 3D colour entries.
  std::function<void()> drawTess;
  std::function<void(int tile)> selectTessTile;
  std::function<void()> hide3D;
  std::function<void()> rebuildSolid;
  std::function<float(int tile)> tessScale;
  std::function<void()> read3DColours;
  // Runs once start-up has restored the settings, for the other windows'
  // copies of the designer's options.
  std::function<void()> startupRestored;

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
  // Every picture window drawn antialiased.
  bool SmoothEdges = false;

  // ---- Help menu (frmS_Help.cpp)
  void mnuHelpRegister_Click();
  // What the Register command associates with .wlg files: this program and its icon.
  FileAssociation Association = DefaultFileAssociation();

  // ---- recent pattern files and dropped ones (frmS_Recent.cpp)
  static constexpr int RecentFileCount = 4;
  // Newest first, as full paths; kept in the settings as RecentFile1..RecentFile4.
  const std::vector<std::string>& RecentFiles() const { return recentFiles_; }
  // A pattern just opened or saved goes to the top of the list.
  void RememberRecentFile(const std::string& path);
  void mnuFileRecent_Click(int index);
  // Opens a pattern without the dialog, as the command line does.
  void OpenPatternFile(const std::string& path);

  // ---- the document: file name, unsaved changes, recovery copy (frmS_File.cpp)
  Document& document();
  // The caption follows the design's unsaved changes, and the recovery copy
  // follows the design. The GUI runs it after each handled user event and on
  // a short timer; it waits while code sets controls (a load in progress).
  void DocumentTick(Document::Clock::time_point now);
  // The caption follows the design now.
  void RefreshDocument();
  // Before the design is replaced or the program ends: with unsaved changes
  // asks "Save changes to NAME?". True when the caller may go on (saved,
  // discarded or nothing to save); false on Cancel or a save that did not
  // happen.
  bool SaveChangesFirst();
  // Saves the design: to its file, or through the save dialog when it has
  // none or 'ask' is set (the dialog then offers the current name). False
  // when cancelled or failed.
  bool SaveDesign(bool ask);
  // A window's save dialog for its kind of file (request.defaultExt),
  // offering what Document::SaveOffer proposes. 'lastName' is the window's
  // own memory of the name chosen last; it takes the answer.
  std::optional<std::string> AskSaveName(FileDialogRequest request, std::string& lastName);
  // Start-up: offers back the recovery copy a run that did not end properly
  // left behind; Yes loads it as an unsaved design, No deletes it.
  void OfferRecovery();

 private:
  // A menu item that runs a handler and is enabled.
  void WireMenu(const char* name, void (frmS::*handler)());
  void CreateControls();
  void LoadControls();
  void CreateMenus();
  void WireHandlers();         // frmS_Panel.cpp
  void WirePointerHandlers();  // frmS_Pointer.cpp
  void WireFileHandlers();     // frmS_File.cpp
  void WireUndoHandlers();     // frmS_Undo.cpp
  void DesignRestored(bool controls, bool undone);
  void RedrawTile(int tile);
  void WireHelpHandlers();     // frmS_Help.cpp
  void CreateRecentFileItems();  // frmS_Recent.cpp
  void WireRecentFiles();
  void ShowRecentFiles();
  void SaveRecentFiles();
  void DrawRankMarkers(int tile);
  // The load behind every way of opening a pattern; false (after its
  // message) when the file could not be loaded.
  bool LoadPattern(const std::string& path);
  void UpdateCaption();

  Program& p_;
  SettingsStore& settings_;
  std::array<std::vector<OptionButton*>, TileCount> rankGroups_;
  int tabIndex_ = 0;
  std::array<bool, TileCount> tabEnabled_{true, true, true, true};
  std::string commandLineFile_;
  std::vector<std::string> recentFiles_;
  TileRenderer renderer_{p_, *this};
  // The windows whose entries the history walks, in the program's order.
  std::vector<Form*> UndoForms() { return {this, p_.tessellator, p_.view3D, p_.sphereWrap}; }
  EditHistory history_{p_, [this] { return UndoForms(); }};
  Colour faceColour_ = Palette16[8];
};

}  // namespace wlg
