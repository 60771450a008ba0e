#include "designer/Windows.h"

namespace wlg {

Windows::Windows(Program& program, SettingsStore& settings)
    : designer(program, settings), tessellator(program, designer) {
  frmS& d = designer;
  frmT& t = tessellator;
  d.drawTess = [&t] { t.DrawTess(); };
  d.selectTessTile = [&t](int tile) { t.SelectTile(tile); };
  d.tessScale = [&t](int tile) { return t.Entry("vsScale", tile).Single(); };
  d.showTessellator = [&t] { t.Show(); };
  d.updateEdit = [&t](int n) { t.UpdateEdit(n); };
  d.startupRestored = [&d, &t, &program] {
    t.Menu("mnuEditSnap").SetChecked(d.Menu("mnuEditSnap").Checked());
    t.Menu("mnuEditSnapRadius").SetCaption(frmS::SnapRadiusCaption(program.design.SnapRadius));
    t.Menu("mnuEditSnapRadius").SetEnabled(t.Menu("mnuEditSnap").Checked());
    const int fill = t.Entry("vsFillColour").Integer();
    t.Get<PictureBox>("picFill").SetBackColour(
        program.design.CustomColours[ReduceColourIndex(fill)]);
    t.Get<StaticControl>("Frame1").SetVisible(t.Check("chkShowEditor").Checked());
  };
  MenuItem& open = d.Menu("mnuTessellator");
  open.SetEnabled(true);
  open.onClick = [&t](int) { t.Open(); };
}

}  // namespace wlg
