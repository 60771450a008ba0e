// The editor box of one placed tile and the per-shape controls.

#include <cmath>

#include "designer/frmS.h"
#include "platform/Numbers.h"
#include "tessellator/frmT.h"

namespace wlg {

void frmT::UpdateEdit(int n) {
  TessState& t = p_.tess;
  // Compaction: empty slots move to the end, the order of the rest stays.
  int s = 0, lastUsed = 0;
  for (int i = 1; i <= t.TessCount; ++i) {
    if (t.TessItems[i].X == 0) {
      s = std::max(s, i + 1);
      for (int j = s; j <= t.TessCount; ++j) {
        if (t.TessItems[j].X != 0) {
          t.TessItems[i] = t.TessItems[j];
          t.TessItems[j].X = 0;
          s = j + 1;
          break;
        }
      }
    }
    if (t.TessItems[i].X != 0) lastUsed = i;
  }
  t.TessCount = lastUsed;

  n = std::clamp(n, 0, TessCapacity - 1);
  t.EditItem = n;
  const TessItem& it = t.TessItems[n];
  Entry("vtX").SetValue(std::to_string(FloorToInt64(2.0 * it.X)));
  Entry("vtY").SetValue(std::to_string(FloorToInt64(2.0 * it.Y)));
  Entry("vtAngle").SetValue(FormatSingle(it.Angle));
  Entry("vtScale").SetValue(FormatSingle(it.Scale));
  {
    const bool was = p_.SuppressEvents;
    p_.SuppressEvents = true;  // loading the editor is not a user's edit
    Check("CheckFlip").SetValue(it.Mirror ? 1 : 0);
    p_.SuppressEvents = was;
  }
  for (int k = 0; k < TileCount; ++k) ShapeScale[k] = Entry("vsScale", k).Single();
  Get<StaticControl>("Frame1").SetCaption("Editor " + std::to_string(t.EditItem) + " of " +
                                          std::to_string(t.TessCount));
  Entry("vtTile").SetValue(std::to_string(t.EditItem));
}

void frmT::Wire() {
  TessState& t = p_.tess;
  auto edited = [this]() -> TessItem& { return p_.tess.TessItems[p_.tess.EditItem]; };

  Entry("vtX").Changed = [this, edited](int) {
    edited().X = Entry("vtX").Single() / 2;
    UpdateTess();
  };
  Entry("vtY").Changed = [this, edited](int) {
    edited().Y = Entry("vtY").Single() / 2;
    UpdateTess();
  };
  Entry("vtAngle").Changed = [this, edited](int) {
    edited().Angle = Entry("vtAngle").Single();
    RefreshCopySettings();
    UpdateTess();
  };
  Entry("vtScale").Changed = [this, edited](int) {
    edited().Scale = Entry("vtScale").Single();
    RefreshCopySettings();
    UpdateTess();
  };
  Check("CheckFlip").onClick = [this, edited](int) {
    if (p_.SuppressEvents) return;
    edited().Mirror = Check("CheckFlip").Checked();
    RefreshCopySettings();
    UpdateTess();
  };
  Check("checkCopy").onClick = [this](int) { RefreshCopySettings(); };
  Entry("vtTile").Changed = [this, &t](int) {
    if (t.EditItem > 0) t.TessItems[t.EditItem].Selected = false;
    if (Entry("vtTile").Number() > t.TessCount) Entry("vtTile").SetValue(std::to_string(t.TessCount));
    t.EditItem = Entry("vtTile").Integer();
    UpdateEdit(t.EditItem);
    t.TessItems[t.EditItem].Selected = true;
    UpdateTess();
  };

  for (int i = 0; i < TileCount; ++i) {
    Entry("vsScale", i).Changed = [this, &t](int k) {
      const float v = Entry("vsScale", k).Single();
      if (v == ShapeScale[k]) return;
      for (int j = 1; j <= t.TessCount; ++j)
        if (t.TessItems[j].Shape == k + 1) t.TessItems[j].Scale = v;
      UpdateEdit(t.EditItem);
      ShapeScale[k] = v;
      designer_.GetScales();
      UpdateTess();
    };
    Check("chkMirror", i).onClick = [this, &t](int k) {
      if (p_.SuppressEvents) return;
      for (int j = 1; j <= t.TessCount; ++j)
        if (t.TessItems[j].Shape == k + 1) t.TessItems[j].Mirror = Check("chkMirror", k).Checked();
      UpdateEdit(t.EditItem);
      UpdateTess();
    };
    whichOne_[i]->onClick = [this](int k) {
      Check("checkCopy").SetValue(0);
      p_.design.CurrentTile = k;
    };
  }

  Check("chkShowEditor").onClick = [this](int) {
    Get<StaticControl>("Frame1").SetVisible(Check("chkShowEditor").Checked());
  };
  Entry("vsZoom").Changed = [this](int) { UpdateTess(); };
  Entry("vsTBackground").Changed = [this](int) { UpdateTess(); };
  XScroll().onChange = [this](int) { UpdateTess(); };
  YScroll().onChange = [this](int) { UpdateTess(); };
  Entry("vsFillColour").Changed = [this](int) { ApplyFillSwatch(); };

  Get<Button>("cmdClearAll").onClick = [this](int) { cmdClearAll_Click(); };
  Menu("mnuFileExit").onClick = [this](int) { mnuFileExit_Click(); };
  Menu("mnuEditSnap").onClick = [this](int) { mnuEditSnap_Click(); };
  Menu("mnuEditSnapRadius").onClick = [this](int) { mnuEditSnapRadius_Click(); };
  Menu("mnuEditUndo").onClick = [this](int) { designer_.UndoIt(); };
  Menu("mnuFileLoad").onClick = [this](int) { designer_.mnuFileLoad_Click(); };
  Menu("mnuFileSave").onClick = [this](int) { designer_.mnuFileSave_Click(); };
  Menu("mnuFileSaveAs").onClick = [this](int) { designer_.mnuFileSaveAs_Click(); };
  Menu("mnuCopy").onClick = [this, &t](int) {
    t.TessItems[t.EditItem].Selected = false;
    UpdateTess();
    if (copyToClipboard) copyToClipboard(picT().canvas.Image());
  };
  Menu("mnuShearWrap").onClick = [this, &t](int) {
    if (p_.view3D) p_.view3D->Hide();
    t.TessItems[t.EditItem].Selected = false;
    UpdateTess();
    if (openSphereWrap) openSphereWrap();
  };
  WireExports();
  // The sphere and help arrive with their windows.
  for (const char* name : {"mnuShearWrap", "mnuHelp"}) Menu(name).SetEnabled(false);

  auto& picFill = Get<PictureBox>("picFill");
  // A middle click or a double-click asks for the colour as Alt-click does,
  // for desktops whose window manager keeps Alt-clicks for itself.
  picFill.onMouseDown = [this](int, MouseButton b, int shift, float, float) {
    picFill_MouseDown(b == MouseButton::Middle ? shift | AltKey : shift);
  };
  picFill.onDblClick = [this](int) { picFill_MouseDown(AltKey); };
  auto& pic = picT();
  pic.onMouseDown = [this](int, MouseButton b, int s, float x, float y) { picT_MouseDown(b, s, x, y); };
  pic.onMouseMove = [this](int, MouseButton b, int s, float x, float y) { picT_MouseMove(b, s, x, y); };
  pic.onMouseUp = [this](int, MouseButton b, int s, float x, float y) { picT_MouseUp(b, s, x, y); };
}

void frmT::picFill_MouseDown(int shift) {
  if (!(shift & AltKey)) return;
  const int index = ReduceColourIndex(Entry("vsFillColour").Integer());
  auto chosen = p_.prompts.ChooseColour(p_.design.CustomColours[index]);
  if (!chosen) return;
  p_.design.CustomColours[index] = *chosen;
  ApplyFillSwatch();
  // Polygons already recoloured with this number show the new colour now.
  UpdateTess();
}

}  // namespace wlg
