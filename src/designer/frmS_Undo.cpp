// Undo and Redo: the design snapshot taken before pointer and clearing
// edits, the two commands over the edit history, and how the designer
// redraws from what they put back.

#include "designer/frmS.h"
#include "document/PatternFile.h"
#include "platform/Numbers.h"

namespace wlg {

namespace {

// A fit or star angle computed from its partner goes in as it is, outside
// its range if need be and without a history record, as the handlers put it.
void PutDerived(ValidText& entry, const std::string& text) {
  const std::string min = entry.ValMin, max = entry.ValMax;
  const bool was = entry.UnDoing;
  entry.ValMin = "-999999999";
  entry.ValMax = "999999999";
  entry.UnDoing = true;
  entry.SetValue(text);
  entry.UnDoing = was;
  entry.ValMin = min;
  entry.ValMax = max;
}

double LatestStamp(const ValidText& e) { return e.UndoLevel > 0 ? e.UndoTime[e.UndoLevel] : 0; }

}  // namespace

void frmS::WireUndoHandlers() {
  auto wire = [this](const char* name, void (frmS::*handler)()) {
    MenuItem& item = Menu(name);
    item.onClick = [this, handler](int) { (this->*handler)(); };
    item.SetEnabled(true);
  };
  wire("mnuEditUndo", &frmS::UndoIt);
  wire("mnuEditRedo", &frmS::RedoIt);
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
      PutDerived(fit, fit.UndoText[fit.UndoLevel]);
      const float n = fit.Single();
      PutDerived(angle, FormatSingle((n - 2) * 180 / n));
    } else {
      if (angle.UndoLevel > 0) PutDerived(angle, angle.UndoText[angle.UndoLevel]);
      PutDerived(fit, FormatSingle(360 / (180 - angle.Single())));
    }
  }
  // The shape entries too: the user accepted this value once, so there is
  // no CheckOK question and nothing is cleared.
  RedrawTile(i);
}

}  // namespace wlg
