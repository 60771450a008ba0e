#pragma once
// A canvas that records every figure with the drawing state it was drawn in.

#include <vector>

#include "platform/Canvas.h"

namespace wlg::testing {

struct Figure {
  enum Kind { Polygon, Polyline, Line, Dot } kind;
  std::vector<IPoint> points;
  int drawWidth;
  DrawStyle drawStyle;
  FillStyle fillStyle;
  Colour fillColour, colour;  // colour: of lines and dots
};

class RecordingCanvas : public Canvas {
 public:
  RecordingCanvas(int w = 480, int h = 480) : w_(w), h_(h) {}
  int Width() const override { return w_; }
  int Height() const override { return h_; }
  void Clear() override { figures.clear(); }
  void Polygon(const IPoint* pts, int n) override { Add(Figure::Polygon, {pts, pts + n}, 0); }
  void Polyline(const IPoint* pts, int n) override { Add(Figure::Polyline, {pts, pts + n}, 0); }
  void Line(int x1, int y1, int x2, int y2, Colour c) override {
    Add(Figure::Line, {{x1, y1}, {x2, y2}}, c);
  }
  void Dot(int x, int y, Colour c) override { Add(Figure::Dot, {{x, y}}, c); }
  Colour PointColour(int, int) const override { return backColour; }
  void FloodFillSurface(int, int, Colour) override {}

  using Canvas::Polygon;
  using Canvas::Polyline;

  std::vector<Figure> figures;

 private:
  void Add(Figure::Kind k, std::vector<IPoint> pts, Colour c) {
    figures.push_back({k, std::move(pts), drawWidth, drawStyle, fillStyle, fillColour, c});
  }
  int w_, h_;
};

}  // namespace wlg::testing
