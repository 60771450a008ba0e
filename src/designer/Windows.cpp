#include "designer/Windows.h"

#include "shell/Help.h"

namespace wlg {

Windows::Windows(Program& program, SettingsStore& settings)
    : designer(program, settings),
      tessellator(program, designer),
      view3D(program, designer),
      builder(program, designer, view3D),
      sphereWrap(program, designer, tessellator) {
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

  // The solids.
  frm3D& v = view3D;
  SolidBuilder& b = builder;
  for (const SolidInfo& s : Solids()) {
    MenuItem& item = d.Menu(s.menuName);
    item.SetEnabled(true);
    item.onClick = [&b, &s](int) { b.RunCommand(s); };
  }
  d.rebuildSolid = [&b] { b.Rebuild(); };
  d.show3D = [&b] { b.ShowSolid(); };
  d.hide3D = [&v] { v.Hide(); };
  d.markSolidUnbuilt = [&b] { b.SolidBuilt = false; };
  d.read3DColours = [&d, &v] {
    d.SetFaceColour(PaletteColour(v.Entry("vsBack3D", 0).Integer()));
    v.pic3D().canvas.backColour = Background3D(v.Entry("vsBack3D", 1).Number());
  };
  // The VRML options are kept with the designer's settings.
  d.startupRestored = [&d, &v, tessRestored = std::move(d.startupRestored)] {
    if (tessRestored) tessRestored();
    v.Menu("mnuEditVRMLLines").SetChecked(d.VLines);
    v.Menu("mnuEditVRMLSmooth").SetChecked(d.VSmooth);
  };

  // The sphere wrap, opened from the tessellator.
  frmSphereWrap& sw = sphereWrap;
  t.Menu("mnuShearWrap").SetEnabled(true);
  t.openSphereWrap = [&sw] { sw.Open(); };

  // The Help items of the tessellator and the sphere wrap.
  WireHelpItem(program, t, "mnuHelp", "PTessellator");
  WireHelpItem(program, sw, "mnuHelp", "PSphereWrap");
}

}  // namespace wlg
