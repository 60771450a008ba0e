// Pointer editing on the tile canvases: clicks place the selected rank's
// points in order; once the rank is complete, a point is dragged with its
// edge lengths and angles shown beside it.

#include <algorithm>
#include <cmath>

#include "designer/frmS.h"
#include "platform/Numbers.h"

namespace wlg {

namespace {

// A point is grabbed (or shows the crosshair) within this Manhattan distance.
constexpr float GrabReach = 5.0f;

bool WithinGrab(float px, float py, float x, float y) {
  return std::fabs(px - x) + std::fabs(py - y) < GrabReach;
}

struct Edge {
  float length;   // pixels
  float degrees;  // inclination to the horizontal, 0..90
};

Edge EdgeBetween(float fromX, float fromY, float toX, float toY) {
  const float dx = toX - fromX;
  const float dy = toY - fromY;
  const float length = std::sqrt(dx * dx + dy * dy);
  const float radians = dx == 0.0f ? 1.5707963f : std::atan(dy / dx);
  return {length, std::fabs(radians) / DegToRadF};
}

std::string Degrees(float degrees) { return FormatFixed(degrees, 2) + "\xC2\xB0"; }

std::string EdgeText(const Edge& e) { return FormatFixed(e.length / 30, 2) + "/" + Degrees(e.degrees); }

}  // namespace

void frmS::WirePointerHandlers() {
  for (int t = 0; t < TileCount; ++t) {
    PictureBox& pic = picS(t);
    pic.onMouseDown = [this](int i, MouseButton b, int s, float x, float y) { picS_MouseDown(i, b, s, x, y); };
    pic.onMouseMove = [this](int i, MouseButton b, int s, float x, float y) { picS_MouseMove(i, b, s, x, y); };
    pic.onMouseUp = [this](int i, MouseButton b, int s, float x, float y) { picS_MouseUp(i, b, s, x, y); };
  }
}

void frmS::CheckPoint(float& x, float& y) {
  if (!Menu("mnuEditSnap").Checked()) return;
  const DesignModel& m = p_.design;
  const int t = m.CurrentTile;
  // Squared distances are compared with the radius times 30 itself, which
  // gives the default radius 5 a reach of about 12 pixels.
  const float reach = m.SnapRadius * 30;
  auto hit = [&](float cx, float cy) {
    if ((x - cx) * (x - cx) + (y - cy) * (y - cy) >= reach) return false;
    x = cx;
    y = cy;
    return true;
  };

  int n = m.InnerSides[t], outer = m.OuterSides[t];
  if (Check("chkStar", t).Checked()) {
    n *= 2;
    outer *= 2;
  }
  // The first candidate in reach wins, not the nearest: polygon vertices
  // before rank points.
  for (int i = 1; i <= n && i < VertexCapacity; ++i)
    if (hit(m.poly.InnerVertices[i].x, m.poly.InnerVertices[i].y)) return;
  for (int i = 1; i <= outer && i < VertexCapacity; ++i)
    if (hit(m.poly.OuterVertices[i].x, m.poly.OuterVertices[i].y)) return;
  for (int k = RanksPerTile * t; k < RanksPerTile * (t + 1); ++k)
    for (int j = 0; j < m.PointCount[k] && j < MaxRankPoints; ++j)
      if (hit(m.X[k][j], m.Y[k][j])) return;
}

void frmS::picS_MouseDown(int index, MouseButton, int, float x, float y) {
  DesignModel& m = p_.design;
  m.CurrentTile = index;
  m.DragPoint = -1;
  const int s = m.SelectedSlot;
  const int last = m.PointCount[s] - 1;
  CheckPoint(x, y);

  if (m.PlacedCount[s] > last) {
    for (int j = 0; j <= last && j < MaxRankPoints; ++j) {
      if (WithinGrab(m.X[s][j], m.Y[s][j], x, y)) {
        m.DragPoint = j;
        SetUndo();
        break;
      }
    }
  } else if (m.PlacedCount[s] < MaxRankPoints) {
    SetUndo();
    m.X[s][m.PlacedCount[s]] = x;
    m.Y[s][m.PlacedCount[s]] = y;
    ++m.PlacedCount[s];
  }
  DrawPolygon();
}

void frmS::picS_MouseMove(int index, MouseButton, int, float x, float y) {
  DesignModel& m = p_.design;
  m.CurrentTile = index;
  const int s = m.SelectedSlot;

  bool nearPoint = false;
  for (int j = 0; j < m.PointCount[s] && j < MaxRankPoints; ++j)
    if (WithinGrab(m.X[s][j], m.Y[s][j], x, y)) nearPoint = true;
  picS(index).SetCursor(nearPoint ? CursorShape::Cross : CursorShape::Arrow);

  const int k = m.DragPoint;
  if (k < 0 || k >= MaxRankPoints) return;
  CheckPoint(x, y);
  m.X[s][k] = x;
  m.Y[s][k] = y;
  DrawPolygon();
  auto& box = Get<StaticControl>("txtDragData", index);
  box.SetCaption(DragDataText(m.X[s], m.Y[s], m.PointCount[s], k));
  box.SetVisible(true);
}

void frmS::picS_MouseUp(int index, MouseButton, int, float, float) {
  p_.UndoFromSnapshot() = true;
  p_.design.DragPoint = -1;
  Get<StaticControl>("txtDragData", index).SetVisible(false);
}

std::string frmS::DragDataText(const std::array<float, MaxRankPoints>& x,
                               const std::array<float, MaxRankPoints>& y, int count, int k) {
  const int n = std::min(count, MaxRankPoints);
  if (n < 1 || k < 0 || k >= n) return {};
  const int prev = k == 0 ? n - 1 : k - 1;
  const Edge e1 = EdgeBetween(x[k], y[k], x[prev], y[prev]);
  std::string text = EdgeText(e1);
  if (n <= 2) return text;

  const int next = k + 1 > n - 1 ? 0 : k + 1;
  const Edge e2 = EdgeBetween(x[k], y[k], x[next], y[next]);
  const float l3 = EdgeBetween(x[prev], y[prev], x[next], y[next]).length;
  float radians = 0;
  if (e1.length * e2.length != 0.0f) {
    const float c = (e1.length * e1.length + e2.length * e2.length - l3 * l3) /
                    (2 * e1.length * e2.length);
    if (c >= 0.99999f)
      radians = 0;
    else if (c <= -0.99999f)
      // The point lies on the line through its neighbours.
      radians = 3.1415927f;
    else
      radians = std::atan(-c / std::sqrt(1 - c * c)) + 2 * std::atan(1.0f);
  }
  return text + " " + EdgeText(e2) + " " + Degrees(radians / DegToRadF);
}

}  // namespace wlg
