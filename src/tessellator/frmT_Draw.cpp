// Drawing the tessellation and snapping a dragged tile onto its neighbour.
#include <algorithm>
#include <cmath>

#include "designer/frmS.h"
#include "tessellator/frmT.h"

namespace wlg {

FPoint frmT::ToCanvas(float wx, float wy) const {
  const PictureBox& pic = Get<PictureBox>("picT");
  const float z = Entry("vsZoom").Single();
  const float w = static_cast<float>(pic.canvas.Width()),
              h = static_cast<float>(pic.canvas.Height());
  const float ox = (1 - z) * w / 2 + (50 - Get<ScrollBar>("XScroll").Value()) * 5 * z;
  const float oy = (1 - z) * h / 2 + (50 - Get<ScrollBar>("YScroll").Value()) * 5 * z;
  return {wx * z + ox, wy * z + oy};
}

FPoint frmT::ToWorld(float px, float py) const {
  const PictureBox& pic = Get<PictureBox>("picT");
  const float z = Entry("vsZoom").Single();
  const float w = static_cast<float>(pic.canvas.Width()),
              h = static_cast<float>(pic.canvas.Height());
  return {(px - (1 - z) * w / 2) / z - (50 - Get<ScrollBar>("XScroll").Value()) * 5,
          (py - (1 - z) * h / 2) / z - (50 - Get<ScrollBar>("YScroll").Value()) * 5};
}

Colour frmT::TessBackColour() const {
  const int back = Entry("vsTBackground").Integer();
  return back == 7 ? ButtonFaceColour() : PaletteColour(back);
}

void frmT::DrawTess() {
  if (!IsVisible()) return;
  if (holds_ > 0) {
    heldRedraw_ = true;
    return;
  }
  DesignModel& m = p_.design;
  p_.TessImageChanged = true;
  for (int i = 0; i < 3 * TileCount; ++i)
    m.ShowLine[i] = !designer_.chk("chkHideLine", i).Checked();

  PictureBox& pic = picT();
  Canvas& canvas = pic.canvas;
  canvas.backColour = TessBackColour();

  const float z = Entry("vsZoom").Single();
  const float w = static_cast<float>(canvas.Width()), h = static_cast<float>(canvas.Height());
  m.DrawZoom = z;
  m.DrawOffsetX = (1 - z) * w / 2 + (50 - XScroll().Value()) * 5 * z;
  m.DrawOffsetY = (1 - z) * h / 2 + (50 - YScroll().Value()) * 5 * z;
  if (!DrawFromLayers(pic.canvas)) {
    canvas.Clear();
    DrawItems(canvas, 1, p_.tess.TessCount);
  }

  m.DrawZoom = 1;
  m.DrawOffsetX = m.DrawOffsetY = 0;

  const int ct = m.CurrentTile;
  const float innerTurn =
      designer_.chk("chkRotate", ct).Value() != 1 ? 180.0f / m.InnerSides[ct] : 0.0f;
  m.views.InnerTurn[0] = m.views.InnerTurn[ct + 1] = innerTurn;
  m.views.SideLength[0] = designer_.vs("vsPolySmall", ct).Single() * 30;
  m.views.OuterRatio[0] =
      designer_.vs("vsPolyBig", ct).Single() / designer_.vs("vsPolySmall", ct).Single();
  m.views.ViewScale[0] = 1;
  designer_.GetScales();
  for (int v = 1; v <= TileCount; ++v)
    m.views.OuterRatio[v] =
        designer_.vs("vsPolyBig", v - 1).Single() / designer_.vs("vsPolySmall", v - 1).Single();
  pic.Invalidate();
  if (m.MetafileMode) return;

  // The designer's construction is left for its pointer editing.
  TileRenderer& r = designer_.renderer();
  PictureBox& des = designer_.picS(ct);
  r.DRP(des.canvas, 0, m.CanvasCentre.x, m.CanvasCentre.y, 0, ct, false, -1);
  des.Invalidate();
}

void frmT::DrawItems(Canvas& canvas, int first, int last) {
  TileRenderer& r = designer_.renderer();
  TessState& t = p_.tess;
  // Thousands of tiles with thousands of recoloured polygons: look each
  // polygon's colour up by its item rather than through every entry.
  ColourOverrides& ov = p_.design.overrides;
  ov.Index(last);
  struct Unindex {
    ColourOverrides& ov;
    ~Unindex() { ov.indexed = false; }
  } unindex{ov};
  for (int i = std::max(first, 1); i <= last && i < TessCapacity; ++i) {
    TessItem& it = t.TessItems[i];
    if (it.X == 0) continue;
    if (it.Shape < 1 || it.Shape > TileCount) continue;  // a corrupt item is never drawn
    r.DRP(canvas, it.Shape, it.X, it.Y, it.Angle, it.Shape - 1, it.Selected, i);
    r.CopyPolygon(canvas, it.Shape, it.X, it.Y, it.Angle, it.Shape - 1, i);
  }
}

// During a drag: the picture from the kept layers and the dragged tile,
// pixel for pixel what a full redraw gives (later tiles paint over earlier
// ones, and every pixel a tile paints is opaque). False when there is no
// drag, or when the layers must first be made.
bool frmT::DrawFromLayers(ImageCanvas& canvas) {
  const DesignModel& m = p_.design;
  const int item = DragItem;
  const int count = p_.tess.TessCount;
  DragLayers& L = dragLayers_;
  if (!dragging_ || item <= 0 || item > count || m.MetafileMode || m.hit.HitTestMode) return false;
  const bool same = L.valid && L.item == item && L.count == count && L.width == canvas.Width() &&
                    L.height == canvas.Height() && L.zoom == m.DrawZoom &&
                    L.offsetX == m.DrawOffsetX && L.offsetY == m.DrawOffsetY &&
                    L.ratio == canvas.DevicePixelRatio() && L.smooth == canvas.SmoothEdges();
  if (!same) {
    L = DragLayers{};
    canvas.Clear();
    DrawItems(canvas, 1, item - 1);
    L.below = canvas.Save();
    ImageCanvas above(canvas.Width(), canvas.Height(), ImageCanvas::Transparent);
    above.SetDisplay(canvas.DevicePixelRatio(), canvas.SmoothEdges());
    DrawItems(above, item + 1, count);
    L.above = above.Save();
    L.valid = true;
    L.item = item;
    L.count = count;
    L.width = canvas.Width();
    L.height = canvas.Height();
    L.zoom = m.DrawZoom;
    L.offsetX = m.DrawOffsetX;
    L.offsetY = m.DrawOffsetY;
    L.ratio = canvas.DevicePixelRatio();
    L.smooth = canvas.SmoothEdges();
  }
  const TessItem& it = p_.tess.TessItems[item];
  // Only what the tile covered and will cover changes: those pixels are put
  // back from the layers, the tile drawn, and the layer above laid over
  // them. The guess is the last frame's box and that box moved as the
  // tile moved; a tile that drew outside it (turned, grown) is drawn in full.
  if (L.placed && canvas.Changes() == L.changes) {
    auto moved = [&](float from, float to) {
      const double d = (double(to) - from) * m.DrawZoom;
      return static_cast<int>(std::lround(std::isfinite(d) ? std::clamp(d, -1e7, 1e7) : 1e7));
    };
    const int dx = moved(L.itemX, it.X), dy = moved(L.itemY, it.Y);
    const QRect guess = (L.drawn | L.drawn.translated(dx, dy)).adjusted(-2, -2, 2, 2);
    if (canvas.RestoreWithin(L.below, guess)) {
      canvas.TrackDrawn();
      DrawItems(canvas, item, item);
      const QRect drawn = canvas.EndTracking();
      if (drawn.isEmpty() || guess.contains(drawn)) {
        canvas.DrawLayerWithin(L.above, guess);
        L.drawn = drawn;
        L.itemX = it.X;
        L.itemY = it.Y;
        L.changes = canvas.Changes();
        return true;
      }
    }
  }
  canvas.Restore(L.below);
  canvas.TrackDrawn();
  DrawItems(canvas, item, item);
  L.drawn = canvas.EndTracking();
  L.placed = true;
  L.itemX = it.X;
  L.itemY = it.Y;
  canvas.DrawLayer(L.above);
  L.changes = canvas.Changes();
  return true;
}

int frmT::OutlinePoints(const TessItem& it) const {
  const int tile = std::clamp(it.Shape - 1, 0, LastTile);
  int c = designer_.vs("vsPolyOut", tile).Integer();
  if (designer_.chk("chkStar", tile).Checked()) c *= 2;
  return std::min(c, OutlineCapacity - 1);
}

void frmT::CheckXY(float x, float y) {
  TessState& t = p_.tess;
  if (!designer_.Menu("mnuEditSnap").Checked() || DragItem == 0 || t.TessCount == 0) return;
  float best = 999999;
  int n = 0;
  for (int i = 1; i <= t.TessCount; ++i) {
    if (i == DragItem) continue;
    const float dx = t.TessItems[i].X - x, dy = t.TessItems[i].Y - y;
    const float d = dx * dx + dy * dy;
    if (d < best) {
      best = d;
      n = i;
    }
  }
  if (n == 0) return;
  auto count = [&](const TessItem& it) { return OutlinePoints(it); };
  const TessItem& nb = t.TessItems[n];
  const TessItem& dr = t.TessItems[DragItem];
  best = 999999;
  int bj = 0, bk = 0;
  for (int j = 1; j <= count(nb); ++j)
    for (int k = 1; k <= count(dr); ++k) {
      const float dx = dr.OutlineX[k] - nb.OutlineX[j], dy = dr.OutlineY[k] - nb.OutlineY[j];
      const float d = dx * dx + dy * dy;
      if (d < best) {
        best = d;
        bj = j;
        bk = k;
      }
    }
  if (bj == 0) return;
  if (30 * p_.design.SnapRadius < best) return;
  SnapX = SnapX - dr.OutlineX[bk] + nb.OutlineX[bj];
  SnapY = SnapY - dr.OutlineY[bk] + nb.OutlineY[bj];
}

}  // namespace wlg
