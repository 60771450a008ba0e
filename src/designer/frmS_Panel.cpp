// The designer's control panel: tabs, rank selection and the per-rank and
// per-tile handlers.

#include "designer/frmS.h"
#include "platform/Numbers.h"

namespace wlg {

void frmS::WireHandlers() {
  for (int k = 0; k <= LastSlot; ++k) optRank(k).onClick = [this](int s) { optRank_Click(s); };
}

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

}  // namespace wlg
