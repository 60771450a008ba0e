// The pointer on the tessellation: place, select, drag, delete, recolour.

#include <cmath>

#include "designer/frmS.h"
#include "platform/Numbers.h"
#include "tessellator/frmT.h"

namespace wlg {

void frmT::picT_MouseDown(MouseButton button, int shift, float px, float py) {
  TessState& t = p_.tess;
  DragMoved = false;
  BeginDrag();
  const FPoint w = ToWorld(px, py);
  designer_.SetUndo();

  if ((shift & ShiftKey) && button == MouseButton::Left) {
    PlaceItem(shift, w);
    return;
  }
  for (int i = 0; i <= t.TessCount && i < TessCapacity; ++i) t.TessItems[i].Selected = false;

  // The middle button paints as Alt+left does: window managers that move
  // windows by Alt-drag never pass an Alt-click on.
  const bool paint =
      button == MouseButton::Middle || ((shift & AltKey) && button == MouseButton::Left);
  if (!paint) {
    int hit = 0;
    for (int i = 1; i <= t.TessCount; ++i) {
      const float d = std::fabs(t.TessItems[i].X - w.x) + std::fabs(t.TessItems[i].Y - w.y);
      if (d < 12) {
        hit = i;
        break;
      }
    }
    if (hit == 0) {
      DragItem = 0;
      return;
    }
    DragItem = hit;
    UpdateEdit(hit);
    t.TessItems[hit].Selected = true;
    if (button == MouseButton::Right) {
      TessItem& it = t.TessItems[hit];
      it.X = 0;
      it.Y = 0;
      it.Selected = false;
      DragItem = 0;
      UpdateEdit(std::max(hit - 1, 1));
    }
    UpdateTess();
    return;
  }

  if (shift & CtrlKey) {
    // Paint only: gone at the next redraw.
    Canvas& c = picT().canvas;
    const Colour swatch = Get<PictureBox>("picFill").BackColour();
    const int x = static_cast<int>(RoundHalfEven(px)), y = static_cast<int>(RoundHalfEven(py));
    c.fillColour = swatch;
    c.FloodFillSurface(x, y, c.PointColour(x, y));
    picT().Invalidate();
    return;
  }
  RecolourAt(w);
}

void frmT::PlaceItem(int shift, FPoint w) {
  TessState& t = p_.tess;
  int i = 1;
  while (i <= t.TessCount && i <= MaxTessItems && t.TessItems[i].X != 0) ++i;
  if (i > MaxTessItems) {
    p_.prompts.Tell(TooManyItems);
    return;
  }
  const int tile = p_.design.CurrentTile;
  TessItem& it = t.TessItems[i];
  it = TessItem{};
  it.X = w.x;
  it.Y = w.y;
  if (CopyOn) {
    it.Angle = CopyAngle;
    it.Scale = CopyScale;
    it.Mirror = CopyMirror;
  } else {
    it.Angle = 0;
    it.Scale = Entry("vsScale", tile).Single();
    it.Mirror = Check("chkMirror", tile).Checked();
  }
  if (shift & CtrlKey) it.Angle = 180.0f / p_.design.OuterSides[tile];
  it.Shape = tile + 1;
  if (i > t.TessCount) t.TessCount = i;
  DragItem = i;
  UpdateEdit(i);
  UpdateTess();
  SnapX = w.x;
  SnapY = w.y;
  CheckXY(w.x, w.y);
}

void frmT::RecolourAt(FPoint w) {
  TessState& t = p_.tess;
  DesignModel& m = p_.design;
  m.hit = HitTest{};
  m.hit.HitTestMode = true;
  m.hit.probe = w;
  DrawItems(picT().canvas, 1, t.TessCount);  // draws nothing in hit-test mode
  m.hit.HitTestMode = false;
  if (m.hit.inside) {
    m.hit.copy = m.hit.insideCopy;
    m.hit.item = m.hit.insideItem;
    m.hit.slot = m.hit.insideSlot;
  }
  const bool found = m.hit.inside || m.hit.best < 1e29f;
  if (!found) return;  // no polygon anywhere: nothing to recolour

  const int colour = Entry("vsFillColour").Integer();
  ColourOverrides& ov = m.overrides;
  if (const int o = ov.Find(m.hit.item, m.hit.slot, m.hit.copy); o >= 0) {
    ov.entries[o].colour = colour;
    UpdateTess();
    return;
  }
  if (ov.OverrideCount >= OverrideCapacity) {
    p_.prompts.Tell(TooManyOverrides);
    return;
  }
  ov.entries[ov.OverrideCount++] = {static_cast<float>(m.hit.copy), static_cast<float>(m.hit.item),
                                    m.hit.slot, colour};
  UpdateTess();
}

void frmT::picT_MouseMove(MouseButton button, int, float px, float py) {
  TessState& t = p_.tess;
  DragMoved = true;
  if (button == MouseButton::None) {
    TessItem& ed = t.TessItems[t.EditItem];
    if (ed.Selected) {
      ed.Selected = false;
      if (DragItem == 0) UpdateTess();
    }
  }
  if (DragItem == 0) return;
  const FPoint w = ToWorld(px, py);
  TessItem& it = t.TessItems[DragItem];
  it.X = w.x;
  it.Y = w.y;
  UpdateEdit(DragItem);
  UpdateTess();
  SnapX = it.X;
  SnapY = it.Y;
  CheckXY(w.x, w.y);
}

void frmT::picT_MouseUp(MouseButton, int, float, float) {
  TessState& t = p_.tess;
  p_.UndoFromSnapshot() = true;
  t.TessItems[DragItem].Selected = false;
  if (DragMoved) {
    t.TessItems[DragItem].X = SnapX;
    t.TessItems[DragItem].Y = SnapY;
    // Still from the kept layers: only the dragged tile changed.
    if (DragItem != 0) UpdateTess();
  }
  DragItem = 0;
  EndDrag();
}

void frmT::Frame1_MouseMove() {
  TessState& t = p_.tess;
  if (t.EditItem > 0 && !t.TessItems[t.EditItem].Selected) {
    t.TessItems[t.EditItem].Selected = true;
    UpdateTess();
  }
}

}  // namespace wlg
