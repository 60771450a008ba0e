#include "tessellator/frmT.h"

#include <algorithm>

#include "controls/EntryTable.h"
#include "designer/frmS.h"
#include "platform/Numbers.h"

namespace wlg {

frmT::frmT(Program& program, frmS& designer) : Form("frmT"), p_(program), designer_(designer) {
  SetCaption("Tessellator");
  CreateControls();
  CreateMenus();
  Wire();
  p_.tessellator = this;
  p_.persisted.Register({0, this, KeyStyle::NameAndIndex, {"vs", "chk"}});
}

void frmT::CreateControls() {
  auto entry = [&](const char* name, int index = 0) -> ValidText& {
    return Add<ValidText>(FindEntrySpec(Window::Tessellator, name), index, p_.entries);
  };
  Add<PictureBox>("picT", 0, DefaultCanvasWidth, DefaultCanvasHeight);
  Add<ScrollBar>("XScroll", 0, 0, 100, 50);
  Add<ScrollBar>("YScroll", 0, 0, 100, 50);

  // The saved controls first, in the order pattern files list them.
  for (int i = 0; i < TileCount; ++i) {
    auto& m = Add<CheckBox>("chkMirror", i, "Mirror" + std::to_string(i + 1));
    m.SetToolTip("Mirror Tile " + std::to_string(i + 1));
  }
  Add<CheckBox>("chkShowEditor", 0, "Show Editor").SetToolTip("Show the Editor box");
  for (int i = 0; i < TileCount; ++i) entry("vsScale", i);
  entry("vsFillColour");
  entry("vsZoom");
  entry("vsTBackground");

  Add<PictureBox>("picFill", 0, 24, 24)
      .SetToolTip("Alt click to change colour (or middle or double click)");
  for (int i = 0; i < TileCount; ++i) {
    auto& o = Add<OptionButton>("optWhichOne", i, "T " + std::to_string(i + 1), &whichOne_);
    o.SetToolTip("Use Shape " + std::to_string(i + 1));
    whichOne_.push_back(&o);
  }
  Add<Button>("cmdClearAll", 0, "Clear &All");
  Add<StaticControl>("Frame1", 0, ControlKind::Frame, "Editor");
  entry("vtTile");
  entry("vtX");
  entry("vtY");
  entry("vtAngle");
  entry("vtScale");
  Add<CheckBox>("CheckFlip", 0, "Mirror").SetToolTip("Mirrored");
  Add<CheckBox>("checkCopy", 0, "Copy").SetToolTip("Copy the current settings for new Tiles");
}

void frmT::CreateMenus() {
  auto item = [&](const char* menu, const char* name, const char* caption, int index = 0,
                  const char* shortcut = "") -> MenuItem& {
    return Add<MenuItem>(name, index, caption, menu, shortcut);
  };
  item("&File", "mnuFileLoad", "&Open .wlg", 0, "Ctrl+O");
  item("&File", "mnuFileSave", "&Save .wlg", 0, "Ctrl+S");
  item("&File", "mnuFileSaveAs", "Save &As...", 0, frmS::SaveAsShortcut);
  item("&File", "mnuFileSaveBMP", "Save &BMP", 0);
  item("&File", "mnuFileSaveBMP", "Save &JPG", 1);
  item("&File", "mnuFileSaveWMF", "Save &EMF");
  item("&File", "mnuFileSaveSVG", "Save S&VG...");
  item("&File", "mnuFileSavePDF", "Save P&DF...");
  item("&File", "mnuFileSaveDXF", "Save D&XF...");
  item("&File", "mnuFileBar", "-");
  item("&File", "mnuFileExit", "E&xit Tessellator");
  item("&Edit", "mnuEditSnap", "&Snap to vertices").SetCheckable(true);
  item("&Edit", "mnuEditSnapRadius", "Select Snap &Radius");
  item("&Edit", "mnuEditSmoothEdges", "Smooth &Edges").SetCheckable(true);
  item("&Edit", "mnuEditFillView", "&Fill View").onClick = [this](int) { mnuEditFillView_Click(); };
  item("&Edit", "mnuEditFillArea", "Fill &Area...").onClick = [this](int) {
    mnuEditFillArea_Click();
  };
  item("&Edit", "mnuCopy", "&Copy", 0, "Ctrl+C");
  item("&Edit", "mnuEditUndo", "&Undo", 0, "Ctrl+Z");
  item("&Edit", "mnuEditRedo", "&Redo", 0, frmS::RedoShortcut).onClick = [this](int) {
    designer_.RedoIt();
  };
  item("&SphereWrap", "mnuShearWrap", "&SphereWrap");
  item("&Help", "mnuHelp", "&Help");
}

void frmT::Open() {
  if (p_.view3D) p_.view3D->Hide();
  Show();
  UpdateTess();
  if (onOpen) onOpen();
}

void frmT::SelectTile(int tile) {
  if (tile < 0 || tile >= TileCount) return;
  whichOne_[tile]->SetValueQuietly(true);
}

void frmT::ApplyFillSwatch() {
  const int index = Entry("vsFillColour").Integer();
  Get<PictureBox>("picFill").SetBackColour(p_.design.CustomColours[ReduceColourIndex(index)]);
}

void frmT::RefreshCopySettings() {
  CopyOn = Check("checkCopy").Checked();
  if (CopyOn) {
    CopyAngle = Entry("vtAngle").Single();
    CopyScale = Entry("vtScale").Single();
    CopyMirror = Check("CheckFlip").Checked();
  }
}

void frmT::cmdClearAll_Click() {
  const Answer a = p_.prompts.Message("Just checking", "OK to clear everything in the Tessellator?",
                                      Buttons::OKCancel, Icon::Question);
  if (a != Answer::Cancel) {
    designer_.SetUndo();
    for (int i = 0; i <= p_.tess.TessCount && i < TessCapacity; ++i) p_.tess.TessItems[i].X = 0;
    p_.tess.TessCount = 0;
    UpdateTess();
  }
  UpdateEdit(0);
}

void frmT::mnuEditSnap_Click() {
  // Each window's menu keeps its own mark; the designer's follows this one.
  MenuItem& snap = Menu("mnuEditSnap");
  snap.SetChecked(!snap.Checked());
  Menu("mnuEditSnapRadius").SetEnabled(snap.Checked());
  MenuItem& other = designer_.Menu("mnuEditSnap");
  other.SetChecked(!other.Checked());
  designer_.Menu("mnuEditSnapRadius").SetEnabled(other.Checked());
}

void frmT::mnuEditSnapRadius_Click() { designer_.mnuEditSnapRadius_Click(); }

// The entry handlers here only update the layout and redraw; none asks
// anything, so a restored value takes the same path as a commit.
void frmT::EntryRestored(ValidText& entry) {
  if (entry.Changed) entry.Changed(entry.Index());
}

}  // namespace wlg
