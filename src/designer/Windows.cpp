#include "designer/Windows.h"

#include <initializer_list>

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
    v.pic3D().canvas.backColour = v.BackColour();
  };
  // The VRML options are kept with the designer's settings.
  d.startupRestored = [&d, &v, tessRestored = std::move(d.startupRestored)] {
    if (tessRestored) tessRestored();
    v.Menu("mnuEditVRMLLines").SetChecked(d.VLines);
    v.Menu("mnuEditVRMLSmooth").SetChecked(d.VSmooth);
  };

  // Smooth edges: one setting for every picture window, kept with the
  // designer's settings.
  for (Form* f : std::initializer_list<Form*>{&d, &t, &v, &sphereWrap})
    f->Menu("mnuEditSmoothEdges").onClick = [this, &d](int) { SetSmoothEdges(!d.SmoothEdges); };
  d.startupRestored = [this, &d, restored = std::move(d.startupRestored)] {
    if (restored) restored();
    SetSmoothEdges(d.SmoothEdges, false);
  };
  // A screen of another pixel ratio: the picture drawn again at it.
  for (int tile = 0; tile < TileCount; ++tile) d.picS(tile).onRedraw = [&d] { d.RedrawTiles(); };
  t.picT().onRedraw = [&t] { t.DrawTess(); };
  v.pic3D().onRedraw = [&v] {
    if (v.IsVisible()) v.DrawData();
  };
  sphereWrap.Surface().onRedraw = [this] {
    if (sphereWrap.IsVisible() && sphereWrap.sphere.HasPixels()) sphereWrap.Redraw();
  };

  // The sphere wrap, opened from the tessellator.
  frmSphereWrap& sw = sphereWrap;
  t.Menu("mnuShearWrap").SetEnabled(true);
  t.openSphereWrap = [&sw] { sw.Open(); };

  // The Help items of the tessellator and the sphere wrap.
  WireHelpItem(program, t, "mnuHelp", "PTessellator");
  WireHelpItem(program, sw, "mnuHelp", "PSphereWrap");
}

void Windows::SetSmoothEdges(bool on, bool redraw) {
  designer.SmoothEdges = on;
  for (Form* f : std::initializer_list<Form*>{&designer, &tessellator, &view3D, &sphereWrap})
    f->Menu("mnuEditSmoothEdges").SetChecked(on);
  for (int tile = 0; tile < TileCount; ++tile) designer.picS(tile).canvas.SetSmoothEdges(on);
  tessellator.picT().canvas.SetSmoothEdges(on);
  view3D.pic3D().canvas.SetSmoothEdges(on);
  sphereWrap.Surface().canvas.SetSmoothEdges(on);
  if (redraw) RedrawPictures();
}

void Windows::RedrawPictures() {
  designer.RedrawTiles();
  tessellator.DrawTess();
  if (view3D.IsVisible()) view3D.DrawData();
  if (sphereWrap.IsVisible() && sphereWrap.sphere.HasPixels()) sphereWrap.Redraw();
}

}  // namespace wlg
