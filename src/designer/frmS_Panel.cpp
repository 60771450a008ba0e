// The designer's control panel: tabs, rank selection, the per-rank and
// per-tile handlers, and the designer's Edit menu.

#include <algorithm>

#include "designer/frmS.h"
#include "platform/Numbers.h"

namespace wlg {

void PutEntryText(ValidText& entry, const std::string& text) {
  const std::string min = entry.ValMin, max = entry.ValMax;
  const bool undoing = entry.UnDoing;
  entry.ValMin = "-999999999";
  entry.ValMax = "999999999";
  entry.UnDoing = true;
  entry.SetValue(text);
  entry.UnDoing = undoing;
  entry.ValMin = min;
  entry.ValMax = max;
}

void frmS::WireMenu(const char* name, void (frmS::*handler)()) {
  MenuItem& item = Menu(name);
  item.onClick = [this, handler](int) { (this->*handler)(); };
  item.SetEnabled(true);
}

namespace {

// Handlers of controls set from code return at once while this is held.
class SuppressScope {
 public:
  explicit SuppressScope(Program& p) : p_(p), was_(p.SuppressEvents) { p_.SuppressEvents = true; }
  ~SuppressScope() { p_.SuppressEvents = was_; }
  SuppressScope(const SuppressScope&) = delete;
  SuppressScope& operator=(const SuppressScope&) = delete;

 private:
  Program& p_;
  bool was_;
};

void RevertBox(Program& p, CheckBox& box) {
  SuppressScope quiet(p);
  box.SetValue(1 - box.Value());
}

MenuItem* FindMenu(Form* form, const char* name) {
  return form ? dynamic_cast<MenuItem*>(form->FindNoCase(name, 0)) : nullptr;
}

// The common path of the shape entries: nothing for an unchanged value,
// the accepted value back on refusal, else 'accept' and a redraw.
template <class Accept>
void ShapeEntryChanged(frmS& f, ValidText& entry, float& accepted, Accept accept) {
  if (entry.Single() == accepted) return;
  bool ok = false;
  f.CheckOK(ok);
  if (!ok) {
    SuppressScope quiet(f.program());
    PutEntryText(entry, FormatSingle(accepted));
    return;
  }
  accept();
}

// A shape entry that stands alone: once accepted, the tile is cleared and
// the entry's value (the sides as a whole number) becomes the accepted one.
void PlainShapeEntryChanged(frmS& f, ValidText& entry, float& accepted, bool wholeNumber) {
  ShapeEntryChanged(f, entry, accepted, [&] {
    f.ClearAll();
    accepted = wholeNumber ? static_cast<float>(entry.Integer()) : entry.Single();
  });
}

// A shape check box: once accepted, the tile is cleared; refused, the box
// goes back.
void ShapeBoxClicked(frmS& f, const char* name, int tile) {
  Program& p = f.program();
  if (p.SuppressEvents) return;
  p.design.CurrentTile = tile;
  bool ok = false;
  f.CheckOK(ok);
  if (ok)
    f.ClearAll();
  else
    RevertBox(p, f.chk(name, tile));
}

}  // namespace

void frmS::WireHandlers() {
  for (int k = 0; k <= LastSlot; ++k) {
    optRank(k).onClick = [this](int s) { optRank_Click(s); };
    chk("chkT", k).onClick = [this](int s) { chkT_Click(s); };
    chk("chkR", k).onClick = [this](int s) { chkR_Click(s); };
    chk("chkF", k).onClick = [this](int s) { chkF_Click(s); };
    chk("chkL", k).onClick = [this](int s) { chkL_Click(s); };
    vs("vsN", k).Changed = [this](int s) { vsN_Changed(s); };
    Get<Button>("cmdClear", k).onClick = [this](int s) { cmdClear_Click(s); };
  }
  for (int i = 0; i < 3 * TileCount; ++i)
    chk("chkHideLine", i).onClick = [this](int j) { chkHideLine_Click(j); };
  for (int i = 0; i < 2 * TileCount; ++i)
    vs("vsLineWidth", i).Changed = [this](int j) { vsLineWidth_Changed(j); };
  for (int t = 0; t < TileCount; ++t) {
    chk("chkSequential", t).onClick = [this](int i) { chkSequential_Click(i); };
    chk("chkRotate", t).onClick = [this](int i) { chkRotate_Click(i); };
    chk("chkRotateOut", t).onClick = [this](int i) { chkRotateOut_Click(i); };
    chk("chkStar", t).onClick = [this](int i) { chkStar_Click(i); };
    vs("vsNCols", t).Changed = [this](int i) { vsNCols_Changed(i); };
    vs("vsFirstCol", t).Changed = [this](int i) { vsFirstCol_Changed(i); };
    vs("vsBackground", t).Changed = [this](int i) { vsBackground_Changed(i); };
    vs("vsPoly", t).Changed = [this](int i) { vsPoly_Changed(i); };
    vs("vsPolyOut", t).Changed = [this](int i) { vsPolyOut_Changed(i); };
    vs("vsPolySmall", t).Changed = [this](int i) { vsPolySmall_Changed(i); };
    vs("vsPolyBig", t).Changed = [this](int i) { vsPolyBig_Changed(i); };
    vs("vsFit", t).Changed = [this](int i) { vsFit_Changed(i); };
    vs("vsStarAngle", t).Changed = [this](int i) { vsStarAngle_Changed(i); };
  }

  WireMenu("mnuEditClearAll", &frmS::mnuEditClearAll_Click);
  WireMenu("mnuEditSnap", &frmS::mnuEditSnap_Click);
  WireMenu("mnuEditName", &frmS::mnuEditName_Click);
  WireMenu("mnuEditDisableTessChecks", &frmS::mnuEditDisableTessChecks_Click);
  // The radius item follows the snap item's check mark instead.
  Menu("mnuEditSnapRadius").onClick = [this](int) { mnuEditSnapRadius_Click(); };
  UpdateSnapRadiusCaptions();
}

// ---- tabs and ranks

void frmS::SSTab1_Click(int tab) {
  // A Platonic solid carries one tile's shape, so another tab's edits would
  // not show on it.
  for (const char* name : {"Tetra", "Cube", "Octa", "Dodeca", "Icosa"})
    if (EqualsNoCase(p_.design.SolidName, name) && hide3D) hide3D();
  ShowTab(tab);
  p_.design.CurrentTile = tab;
  optRank_Click(RanksPerTile * tab);
  if (selectTessTile) selectTessTile(tab);
}

void frmS::optRank_Click(int slot) {
  DesignModel& m = p_.design;
  // Switching the button on from here must not run this handler again.
  optRank(slot).SetValueQuietly(true);
  m.CurrentTile = slot / RanksPerTile;
  for (int s = RanksPerTile * m.CurrentTile; s < RanksPerTile * (m.CurrentTile + 1); ++s) {
    if (optRank(s).Value()) m.SelectedSlot = s;
    m.PointCount[s] = vs("vsN", s).Integer();
  }
  DrawPolygon();
}

// The rank flags are reread by DrawPolygon, so a click only selects its rank.
void frmS::chkT_Click(int slot) {
  if (!p_.SuppressEvents) optRank_Click(slot);
}
void frmS::chkR_Click(int slot) {
  if (!p_.SuppressEvents) optRank_Click(slot);
}
void frmS::chkF_Click(int slot) {
  if (!p_.SuppressEvents) optRank_Click(slot);
}
void frmS::chkL_Click(int slot) {
  if (!p_.SuppressEvents) optRank_Click(slot);
}

void frmS::vsN_Changed(int slot) {
  p_.design.PointCount[slot] = vs("vsN", slot).Integer();
  optRank_Click(slot);
}

void frmS::cmdClear_Click(int slot) {
  SetUndo();
  p_.design.ClearRank(slot);
  optRank_Click(slot);
}

// ---- redraw-only parameters

void frmS::chkHideLine_Click(int) {
  if (!p_.SuppressEvents) DrawPolygon();
}

void frmS::chkSequential_Click(int tile) {
  if (p_.SuppressEvents) return;
  p_.design.CurrentTile = tile;
  DrawPolygon();
}

void frmS::vsLineWidth_Changed(int) { DrawPolygon(); }
void frmS::vsNCols_Changed(int) { DrawPolygon(); }

void frmS::vsFirstCol_Changed(int tile) {
  ColourEntry(vs("vsFirstCol", tile));
  DrawPolygon();
}

void frmS::vsBackground_Changed(int tile) {
  ColourEntry(vs("vsBackground", tile));
  DrawPolygon();
}

// ---- shape parameters

void frmS::CheckOK(bool& ok) {
  ok = true;
  p_.KeepTessellation = true;
  if (Menu("mnuEditDisableTessChecks").Checked()) return;
  TessState& tess = p_.tess;
  if (tess.TessCount < 2) return;
  const int last = std::min(tess.TessCount, MaxTessItems);
  for (int i = 1; i <= last; ++i) {
    if (tess.TessItems[i].Shape != p_.design.CurrentTile + 1) continue;
    const Answer a = p_.prompts.Message(
        "Just checking",
        std::string("This may upset your Tessellator view. Do you want to clear the Tessellator?") +
            "\r\n" + "You can disable this check with Edit DisableTessCheck",
        Buttons::YesNoCancel, Icon::Question);
    ok = a != Answer::Cancel;
    p_.KeepTessellation = a == Answer::No;
    return;
  }
}

void frmS::vsPoly_Changed(int tile) {
  PlainShapeEntryChanged(*this, vs("vsPoly", tile), p_.design.accepted[tile].innerSides, true);
}

void frmS::vsPolyOut_Changed(int tile) {
  PlainShapeEntryChanged(*this, vs("vsPolyOut", tile), p_.design.accepted[tile].outerSides, true);
}

void frmS::vsPolySmall_Changed(int tile) {
  PlainShapeEntryChanged(*this, vs("vsPolySmall", tile), p_.design.accepted[tile].innerSize, false);
}

void frmS::vsPolyBig_Changed(int tile) {
  PlainShapeEntryChanged(*this, vs("vsPolyBig", tile), p_.design.accepted[tile].outerSize, false);
}

// Fit and star angle describe one thing: the star's tip angle is the
// interior angle of the fitted n-gon, so each entry sets the other.
void frmS::vsFit_Changed(int tile) {
  ValidText& fit = vs("vsFit", tile);
  ValidText& angle = vs("vsStarAngle", tile);
  AcceptedValues& a = p_.design.accepted[tile];
  ShapeEntryChanged(*this, fit, a.fit, [&] {
    const float n = fit.Single();
    PutEntryText(angle, FormatSingle((n - 2) * 180 / n));
    a.fit = fit.Single();
    a.starAngle = angle.Single();
    ClearAll();
  });
}

void frmS::vsStarAngle_Changed(int tile) {
  ValidText& fit = vs("vsFit", tile);
  ValidText& angle = vs("vsStarAngle", tile);
  AcceptedValues& a = p_.design.accepted[tile];
  ShapeEntryChanged(*this, angle, a.starAngle, [&] {
    PutEntryText(fit, FormatSingle(360 / (180 - angle.Single())));
    a.fit = fit.Single();
    a.starAngle = angle.Single();
    ClearAll();
  });
}

void frmS::chkRotate_Click(int tile) { ShapeBoxClicked(*this, "chkRotate", tile); }

void frmS::chkRotateOut_Click(int tile) { ShapeBoxClicked(*this, "chkRotateOut", tile); }

void frmS::chkStar_Click(int tile) {
  if (p_.SuppressEvents) return;
  p_.design.CurrentTile = tile;
  CheckBox& box = chk("chkStar", tile);
  bool ok = false;
  CheckOK(ok);
  if (!ok) {
    RevertBox(p_, box);
    return;
  }
  if (box.Checked() && p_.view3D && p_.view3D->IsVisible()) {
    const Answer a = p_.prompts.Message(
        "Star mode check", "Sorry, Star polygons don't go with 3D. Close the 3D view first?",
        Buttons::OKCancel, Icon::Question);
    if (a == Answer::Cancel) {
      SuppressScope quiet(p_);
      box.SetValue(0);
      return;
    }
    if (hide3D)
      hide3D();
    else
      p_.view3D->Hide();
  }
  ClearAll();
}

// ---- Edit menu

void frmS::mnuEditClearAll_Click() {
  DesignModel& m = p_.design;
  const Answer a = p_.prompts.Message("Just checking", "OK to clear everything for this Tile?",
                                      Buttons::OKCancel, Icon::Question);
  if (a != Answer::Cancel) {
    SetUndo();
    for (int k = RanksPerTile * m.CurrentTile; k < RanksPerTile * (m.CurrentTile + 1); ++k)
      m.ClearRank(k);
  }
  optRank_Click(RanksPerTile * m.CurrentTile);
}

void frmS::mnuEditSnap_Click() {
  MenuItem& snap = Menu("mnuEditSnap");
  snap.SetChecked(!snap.Checked());
  UpdateSnapRadiusCaptions();
  // The tessellator snaps its tiles by the same setting.
  if (MenuItem* tessSnap = FindMenu(p_.tessellator, "mnuEditSnap")) {
    tessSnap->SetChecked(!tessSnap->Checked());
    if (MenuItem* tessRadius = FindMenu(p_.tessellator, "mnuEditSnapRadius"))
      tessRadius->SetEnabled(tessSnap->Checked());
  }
}

void frmS::mnuEditSnapRadius_Click() {
  DesignModel& m = p_.design;
  const auto answer =
      p_.prompts.InputBox("Snap radius setting", "Enter a snap radius from 1 (tight) to 10 (loose)",
                          FormatSingle(m.SnapRadius));
  // Limited before rounding so that no answer can overflow the rounding.
  const double v = std::clamp(answer ? Val(*answer) : 0.0, -1.0, 10.0);
  const int64_t radius = RoundHalfEven(v);
  if (radius <= 0) return;
  m.SnapRadius = static_cast<float>(radius);
  UpdateSnapRadiusCaptions();
  if (MenuItem* tessRadius = FindMenu(p_.tessellator, "mnuEditSnapRadius"))
    tessRadius->SetCaption(SnapRadiusCaption(m.SnapRadius));
}

void frmS::mnuEditName_Click() {
  const auto answer = p_.prompts.InputBox("Creator's name",
                                          "Enter the name used in the 'Created by:' section of "
                                          ".wlg files. You can, of course, leave it "
                                          "blank",
                                          p_.design.CreatorName);
  p_.design.CreatorName = answer.value_or("");
}

void frmS::mnuEditDisableTessChecks_Click() {
  MenuItem& item = Menu("mnuEditDisableTessChecks");
  item.SetChecked(!item.Checked());
}

}  // namespace wlg
