// The designer's redraw chain: copy the controls into the model, draw the
// current tile through the tile renderer, then everything that depends on it.

#include "designer/frmS.h"
#include "platform/Numbers.h"

namespace wlg {

TileGeometry frmS::Geometry(int tile) const {
  TileGeometry g;
  g.innerSides = p_.design.InnerSides[tile];
  g.outerSides = p_.design.OuterSides[tile];
  g.innerSize = Entry("vsPolySmall", tile).Single();
  g.outerSize = Entry("vsPolyBig", tile).Single();
  g.star = Check("chkStar", tile).Checked();
  g.starAngle = Entry("vsStarAngle", tile).Single();
  return g;
}

int frmS::FirstColour(int tile) const { return Entry("vsFirstCol", tile).Integer(); }

bool frmS::Sequential(int tile) const { return Check("chkSequential", tile).Checked(); }

void frmS::DrawPolygon() {
  DesignModel& m = p_.design;
  const int t = m.CurrentTile;
  for (int k = 0; k <= LastSlot; ++k) {
    m.NoTess[k] = chk("chkT", k).Checked();
    m.NoRepl[k] = chk("chkR", k).Checked();
    m.NoPolygon[k] = chk("chkL", k).Checked();
    m.FillRank[k] = !chk("chkF", k).Checked();
  }

  const int first = FirstColour(t);
  for (int r = 0; r < RanksPerTile; ++r) {
    OptionButton& opt = optRank(RanksPerTile * t + r);
    if (Sequential(t))
      opt.SetRowColours(PaletteColour(r + first), TextColourOn(r + first));
    else
      opt.ResetBackColour();
  }
  if (read3DColours) read3DColours();

  DrawRegularPolygon();
  PictureBox& pic = picS(t);
  renderer_.CopyPolygon(pic.canvas, 0, m.CanvasCentre.x, m.CanvasCentre.y, 0, t, -1);
  if (drawTess) drawTess();
  DrawRankMarkers(t);
  pic.Invalidate();
  if (rebuildSolid) rebuildSolid();
}

void frmS::RedrawTileCanvas() {
  DesignModel& m = p_.design;
  DrawRegularPolygon();
  PictureBox& pic = picS(m.CurrentTile);
  renderer_.CopyPolygon(pic.canvas, 0, m.CanvasCentre.x, m.CanvasCentre.y, 0, m.CurrentTile, -1);
  DrawRankMarkers(m.CurrentTile);
  pic.Invalidate();
}

void frmS::RedrawTiles() {
  DesignModel& m = p_.design;
  const int current = m.CurrentTile;
  for (int t = 0; t < TileCount; ++t) {
    m.CurrentTile = t;
    RedrawTileCanvas();
  }
  m.CurrentTile = current;
  // The current tile last: the constructed polygon is its own again.
  RedrawTileCanvas();
}

void frmS::RecordCurrentTile(PathRecorder& recorder) {
  DesignModel& m = p_.design;
  struct Recording {
    DesignModel& m;
    TileRenderer& r;
    ~Recording() {
      m.MetafileMode = false;
      r.metafile = nullptr;
    }
  } on{m, renderer_};
  renderer_.metafile = &recorder;
  m.MetafileMode = true;
  RedrawTileCanvas();
}

void frmS::DrawRankMarkers(int t) {
  DesignModel& m = p_.design;
  Canvas& c = picS(t).canvas;
  auto at = [](float v) { return static_cast<int>(RoundHalfEven(v)); };
  for (int k = RanksPerTile * t; k < RanksPerTile * (t + 1); ++k) {
    if (!(m.X[k][0] > 0) || !(m.NoTess[k] || k == m.SelectedSlot)) continue;
    const bool selected = k == m.SelectedSlot;
    c.drawWidth = selected ? 4 : 1;
    c.Dot(at(m.X[k][0]), at(m.Y[k][0]), selected ? Palette16[12] : Palette16[0]);
    int px = at(m.X[k][0]), py = at(m.Y[k][0]);
    const int last = m.PointCount[k] - 1;
    for (int j = 1; j <= last && j < MaxRankPoints; ++j) {
      if (m.X[k][j] == 0) continue;
      const int x = at(m.X[k][j]), y = at(m.Y[k][j]);
      c.drawWidth = m.NoTess[k] ? 1 : m.LineWidths[2 * t + 1];
      if (m.ShowLine[3 * t + 2]) {
        c.Line(px, py, x, y, Palette16[0]);
        if (j == last && !m.NoPolygon[k]) c.Line(x, y, at(m.X[k][0]), at(m.Y[k][0]), Palette16[0]);
      }
      if (selected) {
        c.drawWidth = 4;
        c.Dot(x, y, Palette16[12]);
      }
      px = x;
      py = y;
    }
  }
  c.drawWidth = 1;
}

void frmS::DrawRegularPolygon() {
  DesignModel& m = p_.design;
  const int t = m.CurrentTile;
  m.DrawZoom = 1;
  m.DrawOffsetX = m.DrawOffsetY = 0;
  for (int i = 0; i < 3 * TileCount; ++i) m.ShowLine[i] = !chk("chkHideLine", i).Checked();

  PictureBox& pic = picS(t);
  const int back = vs("vsBackground", t).Integer();
  pic.canvas.backColour = back == 7 ? ButtonFaceColour() : PaletteColour(back);

  for (int i = 0; i < TileCount; ++i) {
    AcceptedValues& a = m.accepted[i];
    a.innerSides = vs("vsPoly", i).Single();
    a.outerSides = vs("vsPolyOut", i).Single();
    a.innerSize = vs("vsPolySmall", i).Single();
    a.outerSize = vs("vsPolyBig", i).Single();
    a.fit = vs("vsFit", i).Single();
    a.starAngle = vs("vsStarAngle", i).Single();
  }

  const bool star = chk("chkStar", t).Checked();
  vs("vsFit", t).SetEnabled(star);
  vs("vsStarAngle", t).SetEnabled(star);

  pic.canvas.Clear();

  m.InnerSides[t] = vs("vsPoly", t).Integer();
  m.OuterSides[t] = vs("vsPolyOut", t).Integer();
  m.ColourCount[t] = vs("vsNCols", t).Integer();
  for (int i = 0; i < 2 * TileCount; ++i) m.LineWidths[i] = vs("vsLineWidth", i).Integer();

  const float outerTurn = chk("chkRotateOut", t).Value() != 1 ? 180.0f / m.OuterSides[t] : 0.0f;
  const float innerTurn = chk("chkRotate", t).Value() != 1 ? 180.0f / m.InnerSides[t] : 0.0f;
  m.views.OuterTurn[0] = m.views.OuterTurn[t + 1] = outerTurn;
  m.views.InnerTurn[0] = m.views.InnerTurn[t + 1] = innerTurn;

  if (selectTessTile) selectTessTile(t);

  const float inner = vs("vsPolySmall", t).Single();
  m.views.SideLength[0] = inner * 30;
  m.views.OuterRatio[0] = vs("vsPolyBig", t).Single() / inner;
  m.views.ViewScale[0] = 1.0f;
  GetScales();
  for (int k = 1; k <= TileCount; ++k)
    m.views.OuterRatio[k] = vs("vsPolyBig", k - 1).Single() / vs("vsPolySmall", k - 1).Single();

  renderer_.DRP(pic.canvas, 0, m.CanvasCentre.x, m.CanvasCentre.y, 0, t, false, -1);
}

void frmS::GetScales() {
  DesignModel& m = p_.design;
  for (int v = 1; v <= TileCount; ++v) {
    // Until the tessellator exists its per-shape scales keep their default, 2.
    const float scale = tessScale ? tessScale(v - 1) : 2.0f;
    m.views.ViewScale[v] = p_.RecordForSolid ? 1.0f : scale / 5.0f;
    m.views.SideLength[v] = vs("vsPolySmall", v - 1).Single() * 30 * m.views.ViewScale[1];
  }
}

void frmS::ClearAll() {
  DesignModel& m = p_.design;
  if (!p_.KeepTessellation) {
    for (int k = RanksPerTile * m.CurrentTile; k < RanksPerTile * (m.CurrentTile + 1); ++k)
      m.ClearRank(k);
    p_.tess.ClearItems();
  }
  DrawPolygon();
}

}  // namespace wlg
