#include "designer/frmS.h"

#include "controls/EntryTable.h"
#include "platform/Numbers.h"
#include "solids/SolidTables.h"

namespace wlg {

frmS::frmS(Program& program, SettingsStore& settings)
    : Form("frmS"), p_(program), settings_(settings) {
  CreateControls();
  CreateMenus();
  WireHandlers();
  WirePointerHandlers();
  WireFileHandlers();
  WireUndoHandlers();
  WireHelpHandlers();
  WireRecentFiles();
  p_.persisted.Register({2, this, KeyStyle::NameAndIndex, {"vs", "chk"}});
}

std::string frmS::OrdinalCaption(int rank) {
  switch (rank) {
    case 0: return "1st";
    case 1: return "2nd";
    case 2: return "3rd";
    default: return std::to_string(rank + 1) + "th";
  }
}

void frmS::CreateControls() {
  auto entries = [&](const char* name, int count) {
    const EntrySpec& entry = FindEntrySpec(Window::Designer, name);
    for (int i = 0; i < count; ++i) Add<ValidText>(entry, i, p_.entries);
  };
  auto checks = [&](const char* name, int count, std::vector<std::string> captions,
                    std::vector<std::string> tips) {
    for (int i = 0; i < count; ++i) {
      auto& c = Add<CheckBox>(name, i, captions[i % captions.size()]);
      c.SetToolTip(tips[i % tips.size()]);
    }
  };

  for (int t = 0; t < TileCount; ++t) {
    Add<PictureBox>("picS", t, TileCanvasSize, TileCanvasSize);
    Add<StaticControl>("txtDragData", t, ControlKind::TextBox, "Length").SetVisible(false);
    Add<StaticControl>("fraRanks", t, ControlKind::Frame, "");
  }

  // The saved controls, in the order pattern files list them.
  checks("chkHideLine", 3 * TileCount, {"Inner", "Outer", "Shape"},
         {"Hide inner drawing line", "Hide outer drawing line", "Hide shape drawing line"});
  checks("chkStar", TileCount, {"Star"}, {"Create a Star polygon"});
  checks("chkRotateOut", TileCount, {""}, {"Rotate outer polygon"});
  checks("chkSequential", TileCount, {"Sequential"}, {"Use sequential colour order"});
  checks("chkRotate", TileCount, {""}, {"Rotate inner polygon"});
  entries("vsPolyBig", TileCount);
  entries("vsPolyOut", TileCount);
  entries("vsPolySmall", TileCount);
  entries("vsFirstCol", TileCount);
  entries("vsFit", TileCount);
  entries("vsStarAngle", TileCount);
  entries("vsBackground", TileCount);
  entries("vsLineWidth", 2 * TileCount);
  entries("vsNCols", TileCount);
  entries("vsPoly", TileCount);

  LoadControls();
}

void frmS::LoadControls() {
  const EntrySpec& vsN = FindEntrySpec(Window::Designer, "vsN");
  for (int i = 0; i <= LastSlot; ++i) {
    const int k = i % RanksPerTile;
    auto& opt = Add<OptionButton>("optRank", i, OrdinalCaption(k), &rankGroups_[i / RanksPerTile]);
    rankGroups_[i / RanksPerTile].push_back(&opt);
    Add<Button>("cmdClear", i, "");
    Add<ValidText>(vsN, i, p_.entries);
    Add<CheckBox>("chkT", i, "").SetToolTip("No Tessellation");
    Add<CheckBox>("chkR", i, "").SetToolTip("No Replication");
    Add<CheckBox>("chkF", i, "").SetToolTip("No Fill");
    Add<CheckBox>("chkL", i, "").SetToolTip("No Polygon");
  }
}

void frmS::CreateMenus() {
  auto item = [&](const char* menu, const char* name, const char* caption,
                  const char* shortcut = "") -> MenuItem& {
    return Add<MenuItem>(name, 0, caption, menu, shortcut);
  };
  item("&File", "mnuFileLoad", "&Open .wlg", "Ctrl+O").SetEnabled(false);
  item("&File", "mnuFileSave", "&Save .wlg", "Ctrl+S").SetEnabled(false);
  item("&File", "mnuFileSaveAs", "Save &As...", SaveAsShortcut).SetEnabled(false);
  CreateRecentFileItems();
  item("&File", "mnuFileBar", "-");
  item("&File", "mnuFileExit", "E&xit").onClick = [this](int) { mnuFileExit_Click(); };

  item("&Edit", "mnuEditClearAll", "&Clear All Ranks in this Tile").SetEnabled(false);
  auto& snap = item("&Edit", "mnuEditSnap", "&Snap to vertices");
  snap.SetCheckable(true);
  snap.SetEnabled(false);
  item("&Edit", "mnuEditSnapRadius", "Select Snap &Radius").SetEnabled(false);
  item("&Edit", "mnuEditName", "Select 'Created by' &Name").SetEnabled(false);
  auto& dis = item("&Edit", "mnuEditDisableTessChecks", "&Disable TessChecks");
  dis.SetCheckable(true);
  dis.SetEnabled(false);
  item("&Edit", "mnuEditSmoothEdges", "Smooth &Edges").SetCheckable(true);
  item("&Edit", "mnuEditUndo", "&Undo", "Ctrl+Z").SetEnabled(false);
  item("&Edit", "mnuEditRedo", "&Redo", RedoShortcut).SetEnabled(false);

  item("&Tessellator", "mnuTessellator", "&Tessellator").SetEnabled(false);

  // The solid commands; enabled once the 3D window exists.
  for (const SolidInfo& s : Solids())
    item(s.platonic ? "&Platonic solids" : "&Archimedean Solids", s.menuName, s.caption)
        .SetEnabled(false);

  item("&Help", "mnuHowToUse", "&How to use Whirligons").SetEnabled(false);
  item("&Help", "mnuHelpGuides", "&Power Use").SetEnabled(false);
  item("&Help", "mnuHelpTessellator", "&The Tessellator").SetEnabled(false);
  item("&Help", "mnuHelp3D", "&3D shapes").SetEnabled(false);
  item("&Help", "mnuHelpWhirligons", "The Story of &Whirligons").SetEnabled(false);
  item("&Help", "mnuHelpFAQ", "&Frequently Asked Questions (FAQ)").SetEnabled(false);
  item("&Help", "mnuHelpAbout", "&About Whirligons").SetEnabled(false);
  item("&Help", "mnuHelpBar", "-");
  item("&Help", "mnuHelpRegister", "&Register wlg files for Whirligons").SetEnabled(false);
}

void frmS::ShowTab(int tab) {
  if (tab < 0 || tab > LastTile) return;
  tabIndex_ = tab;
  if (onTabsChanged) onTabsChanged();
}

void frmS::SetTabEnabled(int tab, bool on) {
  if (tab < 0 || tab > LastTile || tabEnabled_[tab] == on) return;
  tabEnabled_[tab] = on;
  if (onTabsChanged) onTabsChanged();
}

void frmS::TabsActivate() {
  tabEnabled_.fill(true);
  if (onTabsChanged) onTabsChanged();
}

std::string frmS::SnapRadiusCaption(float radius) {
  return "Select Snap &Radius (" + FormatSingle(radius) + ")";
}

void frmS::UpdateSnapRadiusCaptions() {
  auto& radius = Menu("mnuEditSnapRadius");
  radius.SetCaption(SnapRadiusCaption(p_.design.SnapRadius));
  radius.SetEnabled(Menu("mnuEditSnap").Checked() && radius.onClick != nullptr);
}

void frmS::ColourEntry(ValidText& entry) {
  const int value = entry.Integer();
  entry.SetColours(PaletteColour(value), TextColourOn(value));
}

}  // namespace wlg
