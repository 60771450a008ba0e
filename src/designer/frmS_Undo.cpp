// Undo and Redo: the design snapshot taken before pointer and clearing
// edits, the two commands over the edit history, and how the designer
// redraws from what they put back.

#include "designer/frmS.h"
#include "document/PatternFile.h"
#include "platform/Numbers.h"

namespace wlg {

namespace {

double LatestStamp(const ValidText& e) { return e.UndoLevel > 0 ? e.UndoTime[e.UndoLevel] : 0; }

}  // namespace

void frmS::WireUndoHandlers() {
  WireMenu("mnuEditUndo", &frmS::UndoIt);
  WireMenu("mnuEditRedo", &frmS::RedoIt);
  history_.designRestored = [this](bool controls, bool undone) {
    DesignRestored(controls, undone);
  };
}

void frmS::SetUndo() { history_.TakeSnapshot(); }

void frmS::UndoIt() { history_.Undo(); }

void frmS::RedoIt() { history_.Redo(); }

void frmS::DesignRestored(bool controls, bool undone) {
  DesignModel& m = p_.design;
  if (controls) {
    // A solid's set-up taken back leaves tiles the solid shown does not fit.
    if (undone) {
      if (hide3D)
        hide3D();
      else if (p_.view3D)
        p_.view3D->Hide();
      TabsActivate();
    }
    for (int k = 0; k <= LastSlot; ++k) m.PointCount[k] = vs("vsN", k).Integer();
  }
  if (updateEdit) updateEdit(p_.tess.EditItem);
  ShowFillSwatch(p_);
  p_.processEvents();
  if (controls) {
    const int current = m.CurrentTile;
    for (int t = 0; t < TileCount; ++t) {
      if (t == current) continue;
      m.CurrentTile = t;
      DrawPolygon();
    }
    m.CurrentTile = current;
  }
  DrawPolygon();
}

void frmS::RedrawTile(int tile) {
  DesignModel& m = p_.design;
  const int current = m.CurrentTile;
  m.CurrentTile = tile;
  DrawPolygon();
  if (current == tile) return;
  m.CurrentTile = current;
  if (selectTessTile) selectTessTile(current);
}

void frmS::EntryRestored(ValidText& entry) {
  const std::string& name = entry.Name();
  const int i = entry.Index();
  if (name == "vsN") {
    p_.design.PointCount[i] = entry.Integer();
    RedrawTile(i / RanksPerTile);
    return;
  }
  if (name == "vsLineWidth") {
    RedrawTile(i / 2);
    return;
  }
  if (name == "vsFirstCol" || name == "vsBackground") ColourEntry(entry);
  if (name == "vsFit" || name == "vsStarAngle") {
    // The two describe one star: whichever the user gave last leads, and
    // the other follows it as its handler would have set it.
    ValidText& fit = vs("vsFit", i);
    ValidText& angle = vs("vsStarAngle", i);
    if (LatestStamp(fit) > LatestStamp(angle)) {
      PutEntryText(fit, fit.UndoText[fit.UndoLevel]);
      const float n = fit.Single();
      PutEntryText(angle, FormatSingle((n - 2) * 180 / n));
    } else {
      if (angle.UndoLevel > 0) PutEntryText(angle, angle.UndoText[angle.UndoLevel]);
      PutEntryText(fit, FormatSingle(360 / (180 - angle.Single())));
    }
  }
  // The shape entries too: the user accepted this value once, so there is
  // no CheckOK question and nothing is cleared.
  RedrawTile(i);
}

}  // namespace wlg
