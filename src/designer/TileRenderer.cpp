#include "designer/TileRenderer.h"

#include <cmath>

#include "designer/PolygonConstruction.h"
#include "platform/Numbers.h"

namespace wlg {

IPoint TileRenderer::ToCanvas(FPoint p) const {
  const DesignModel& m = p_.design;
  return {RoundHalfEvenToInt(p.x * m.DrawZoom + m.DrawOffsetX),
          RoundHalfEvenToInt(p.y * m.DrawZoom + m.DrawOffsetY)};
}

DPoint TileRenderer::Exact(FPoint p) const {
  const DesignModel& m = p_.design;
  return {static_cast<double>(p.x) * m.DrawZoom + m.DrawOffsetX,
          static_cast<double>(p.y) * m.DrawZoom + m.DrawOffsetY};
}

void TileRenderer::RecordOutline(RecordedFigure::Part part, const IPoint* pixels,
                                 const FPoint* vertices, int count, int penWidth, int tile,
                                 int item) {
  // Exact points are made only for a recording, never for an ordinary redraw.
  std::array<DPoint, VertexCapacity> exact{};
  for (int i = 0; i < count && i < VertexCapacity; ++i) exact[i] = Exact(vertices[i]);
  RecordedFigure f;
  f.part = part;
  f.item = item;
  f.tile = tile;
  f.pixels = pixels;
  f.exact = exact.data();
  f.count = count;
  f.penWidth = penWidth;
  metafile->Record(f);
}

void TileRenderer::TooComplex() {
  p_.RecordForSolid = false;
  if (onTooComplex) onTooComplex();
}

void TileRenderer::DRP(Canvas& canvas, int view, float x0, float y0, float angle, int tile,
                       bool showHidden, int item) {
  DesignModel& m = p_.design;
  canvas.drawWidth = 1;
  canvas.fillStyle = FillStyle::Transparent;

  const TileGeometry g = settings_.Geometry(tile);
  const float itemScale = item > 0 ? p_.tess.TessItems[item].Scale : 0.0f;
  ConstructInner(m, g, view, x0, y0, angle, itemScale);
  if (m.hit.HitTestMode) return;

  const int n = m.poly.VertexCount;
  for (int i = 1; i <= n; ++i) innerInts_[i] = ToCanvas(m.poly.InnerVertices[i]);
  innerKept_ = 0;

  canvas.drawWidth = m.LineWidths[2 * tile];
  canvas.drawStyle = showHidden ? DrawStyle::Dot : DrawStyle::Solid;

  const bool outerProcessed = m.ShowLine[3 * tile + 1] || showHidden || p_.RecordForSolid;
  if ((m.ShowLine[3 * tile] || showHidden) && !p_.RecordForSolid) {
    canvas.Polygon(&innerInts_[1], n);
    if (metafile && m.MetafileMode) {
      if (outerProcessed)
        innerKept_ = n;
      else
        RecordOutline(RecordedFigure::Part::Inner, &innerInts_[1], &m.poly.InnerVertices[1], n,
                      canvas.drawWidth, tile, item);
    }
  }
  if (!outerProcessed) return;

  ConstructOuter(m, g, view, x0, y0, angle, itemScale);
  const int count = m.poly.OuterCount;

  if (p_.RecordForSolid) {
    SolidPolyList& s = m.solid;
    if (s.PolyCount >= SolidPolyCapacity || s.VertCount + count > SolidVertCapacity - 1) {
      TooComplex();
      return;
    }
    s.PolyFirstPoint[s.PolyCount] = s.VertCount;
    s.PolyColour[s.PolyCount] = settings_.FaceColour();
    s.PolyLastPoint[s.PolyCount] = count - 1;
    s.PolyRank[s.PolyCount] = 0;
    ++s.PolyCount;
    for (int i = 1; i <= count; ++i) {
      s.VertX[s.VertCount] = m.poly.OuterVertices[i].x - x0;
      s.VertY[s.VertCount] = m.poly.OuterVertices[i].y - y0;
      s.VertZ[s.VertCount] = 0;
      ++s.VertCount;
    }
    return;
  }

  std::array<IPoint, VertexCapacity> outer{};
  for (int i = 1; i <= count; ++i) outer[i] = ToCanvas(m.poly.OuterVertices[i]);
  if (item > 0 && item < TessCapacity) {
    TessItem& it = p_.tess.TessItems[item];
    for (int i = 1; i <= count && i < OutlineCapacity; ++i) {
      it.OutlineX[i] = m.poly.OuterVertices[i].x;
      it.OutlineY[i] = m.poly.OuterVertices[i].y;
    }
  }
  canvas.Polygon(&outer[1], count);
  if (metafile && m.MetafileMode && m.ShowLine[3 * tile + 1]) {
    RecordOutline(RecordedFigure::Part::Outer, &outer[1], &m.poly.OuterVertices[1], count,
                  canvas.drawWidth, tile, item);
    if (innerKept_ > 0)
      RecordOutline(RecordedFigure::Part::Inner, &innerInts_[1], &m.poly.InnerVertices[1],
                    innerKept_, canvas.drawWidth, tile, item);
  }
}

void TileRenderer::CopyPolygon(Canvas& canvas, int view, float x0, float y0, float angle, int tile,
                               int item) {
  if (suppressRanks) return;
  DesignModel& m = p_.design;
  const int first = settings_.FirstColour(tile);
  m.SequentialColours[tile] = settings_.Sequential(tile);
  const TessItem* it = item > 0 && item < TessCapacity ? &p_.tess.TessItems[item] : nullptr;
  const float s = item < 1 ? m.views.ViewScale[view] : (it ? it->Scale / 5.0f : 1.0f);
  const bool mirror = it && it->Mirror;
  const int colours = m.ColourCount[tile];
  const FPoint centre = m.CanvasCentre;
  const float theta0 = angle * DegToRadF;

  for (int k = RanksPerTile * tile; k < RanksPerTile * (tile + 1); ++k) {
    const FillStyle remembered =
        (colours >= 1 && m.FillRank[k]) ? FillStyle::Solid : FillStyle::Transparent;
    canvas.fillStyle = remembered;
    const int last = m.PointCount[k] - 1;
    if (last < 0 || last >= MaxRankPoints || m.X[k][last] == 0) continue;
    if (m.NoTess[k] && (m.NoRepl[k] || view > 0)) continue;

    if (m.ShowLine[3 * tile + 2]) {
      canvas.drawWidth = m.NoTess[k] ? 1 : m.LineWidths[2 * tile + 1];
      canvas.drawStyle = DrawStyle::Solid;
    } else {
      canvas.drawStyle = DrawStyle::Invisible;
    }

    std::array<FPoint, MaxRankPoints> seed{};
    for (int j = 0; j <= last; ++j) {
      FPoint pt{m.X[k][j], m.Y[k][j]};
      if (angle != 0) pt = RotatePoint(pt, centre.x, centre.y, theta0);
      float dx = (pt.x - centre.x) * s;
      if (mirror) dx = -dx;
      float dy = (pt.y - centre.y) * s;
      seed[j] = {dx - m.poly.InnerVertices[1].x + x0, dy - m.poly.InnerVertices[1].y + y0};
    }

    const int copies = m.NoRepl[k] ? 1 : m.poly.VertexCount;
    const int rank = k - RanksPerTile * tile;
    for (int c = 0; c < copies; ++c) {
      const float theta = m.poly.StarMode ? -(c / 2.0f) * m.poly.TurnAngle
                                          : -static_cast<float>(c) * m.poly.TurnAngle;
      const float ct = std::cos(theta), st = std::sin(theta);
      const FPoint origin = m.poly.InnerVertices[c + 1];
      std::array<FPoint, MaxRankPoints> pts{};
      std::array<IPoint, MaxRankPoints> ints{};
      for (int j = 0; j <= last; ++j) {
        pts[j] = {ct * seed[j].x - st * seed[j].y + origin.x,
                  st * seed[j].x + ct * seed[j].y + origin.y};
        pts[j] = {pts[j].x * m.DrawZoom + m.DrawOffsetX, pts[j].y * m.DrawZoom + m.DrawOffsetY};
      }
      Colour colour = 0;
      int colourIndex = -1;
      if (colours >= 1) {
        const long index =
            m.SequentialColours[tile] ? first + rank + (c % colours) : first + (c % colours);
        colourIndex = ReduceColourIndex(index);
        colour = Palette16[colourIndex];
      }

      if (p_.RecordForSolid) {
        SolidPolyList& sl = m.solid;
        if (sl.PolyCount >= SolidPolyCapacity || sl.VertCount + last + 1 > SolidVertCapacity) {
          TooComplex();
        } else {
          sl.PolyFirstPoint[sl.PolyCount] = sl.VertCount;
          sl.PolyColour[sl.PolyCount] = colours < 1 ? NoFill : colour;
          sl.PolyLastPoint[sl.PolyCount] = last;
          sl.PolyRank[sl.PolyCount] = rank;
          ++sl.PolyCount;
          for (int j = 0; j <= last; ++j) {
            sl.VertX[sl.VertCount] = m.SolidCentre.x - pts[j].x;
            sl.VertY[sl.VertCount] = pts[j].y - m.SolidCentre.y;
            sl.VertZ[sl.VertCount] = 0;
            ++sl.VertCount;
          }
        }
      }

      for (int j = 0; j <= last; ++j)
        ints[j] = {static_cast<int>(RoundHalfEven(pts[j].x)),
                   static_cast<int>(RoundHalfEven(pts[j].y))};

      if (m.hit.HitTestMode) {
        float d = 0;
        bool below = false;
        for (int j = 0; j <= last; ++j) {
          const float ex = ints[j].x - m.hit.probe.x, ey = ints[j].y - m.hit.probe.y;
          d = ex * ex + ey * ey;
          if (d < m.hit.best) {
            below = true;
            break;
          }
        }
        if (below) {
          m.hit.best = d;
          m.hit.copy = c;
          m.hit.item = item;
          m.hit.slot = k;
        }
        // Later polygons are drawn over earlier ones, so the last that holds
        // the probe is the one under the pointer. Skipped star copies and
        // open lines show no face to click into.
        const bool face = !(m.poly.StarMode && c % 2 == 1) && !m.NoPolygon[k];
        if (face && InsideEvenOdd(m.hit.probe, pts.data(), static_cast<size_t>(last + 1))) {
          m.hit.inside = true;
          m.hit.insideCopy = c;
          m.hit.insideItem = item;
          m.hit.insideSlot = k;
        }
        continue;
      }

      if (colours > 0) canvas.fillColour = colour;
      int fillIndex = colourIndex;
      if (view > 0) {
        if (const int o = m.overrides.Find(item, k, c); o >= 0) {
          canvas.fillStyle = FillStyle::Solid;
          fillIndex = ReduceColourIndex(m.overrides.entries[o].colour);
          canvas.fillColour = m.CustomColours[fillIndex];
          fillIndex += 16;
        }
      }
      if (it && it->Selected && !m.MetafileMode) {
        canvas.fillStyle = FillStyle::Solid;
        canvas.fillColour = Palette16[12];
      }
      if (m.poly.StarMode && c % 2 == 1) {
        canvas.fillStyle = remembered;
        continue;
      }
      const bool open = m.NoPolygon[k];
      if (open)
        canvas.Polyline(ints.data(), last + 1);
      else
        canvas.Polygon(ints.data(), last + 1);
      if (metafile && m.MetafileMode) {
        RecordedFigure f;
        f.item = item;
        f.tile = tile;
        f.rank = rank;
        f.copy = c;
        f.pixels = ints.data();
        f.count = last + 1;
        f.closed = !open;
        f.stroked = canvas.drawStyle != DrawStyle::Invisible;
        f.penWidth = canvas.drawWidth;
        f.filled = !open && canvas.fillStyle == FillStyle::Solid;
        f.fill = f.filled ? canvas.fillColour : 0;
        f.colourIndex = f.filled ? fillIndex : -1;
        std::array<DPoint, MaxRankPoints> exact{};
        for (int j = 0; j <= last; ++j) exact[j] = {pts[j].x, pts[j].y};
        f.exact = exact.data();
        // A hidden outline is not drawn: what shows is the fill, if any.
        if (f.stroked || f.filled) metafile->Record(f);
      }
      canvas.fillStyle = remembered;
    }
  }
  canvas.drawStyle = DrawStyle::Solid;
}

}  // namespace wlg
