#pragma once
// Figures drawn straight into a picture's 32-bit pixels, for the display
// picture and smooth pictures of any size. A painter spends far longer
// setting up each small polygon than covering its few pixels, and longer
// still stroking a wide pen with round joins.
//
// Polygon and Polyline take canvas units at one pixel each: the point
// (x, y) lies at the centre of pixel (x, y). Fills take each pixel's exact
// covered area; outlines are one pixel wide, each step along the line
// shared between the two pixels beside it, as a painter's thin
// antialiased pen draws them. Figure takes any figure at any scale.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Canvas.h"

namespace wlg {

// Pixels 0xAARRGGBB, alpha premultiplied (or always opaque).
struct PixelRows {
  uint32_t* bits = nullptr;
  std::ptrdiff_t stride = 0;  // in pixels
  int width = 0, height = 0;
};

class SmoothRaster {
 public:
  // Points farther out than this are not drawn here.
  static constexpr int kReach = 1 << 20;

  // A polygon filled even-odd when 'fill', outlined when 'outline' (the
  // outline over the fill). Colours are opaque 0xffRRGGBB.
  void Polygon(const PixelRows& px, const IPoint* pts, int count, bool fill, uint32_t fillColour,
               bool outline, uint32_t penColour);
  // An open outline from corner to corner; false (nothing drawn) for points
  // beyond kReach.
  bool Polyline(const PixelRows& px, const IPoint* pts, int count, uint32_t penColour);

  // Any figure at any scale, in device pixels: pixel (i, j) covers the
  // square from (i, j) to (i + 1, j + 1). The fill is even-odd, as the
  // canvas fills, taking each pixel's covered area when smooth and the
  // pixels whose centres lie inside when not; the pen (none when its width
  // is 0) runs 'penWidth' pixels wide along every edge, past each corner by
  // half its width, dotted or solid. False (nothing drawn) for points beyond kReach.
  bool Figure(const PixelRows& px, const DPoint* pts, int count, bool closed, bool smooth,
              bool fill, uint32_t fillColour, double penWidth, bool dotted, uint32_t penColour);

 private:
  struct Window {
    int x0 = 0, y0 = 0, w = 0, h = 0;
  };
  struct DPt {
    double x, y;
  };
  // The pixels a figure's fill can touch, or an empty window.
  static Window WindowFor(const PixelRows& px, const IPoint* pts, int count);
  void Fill(const PixelRows& px, const Window& win, const IPoint* pts, int count, uint32_t colour);
  // The polygon in clip_ (window coordinates), clipped to the window and
  // blended in.
  void FillClipped(const PixelRows& px, const Window& win, uint32_t colour);
  void AreaEdge(DPt a, DPt b);
  void BlendEvenOdd(const PixelRows& px, const Window& win, uint32_t colour);
  void SampledFill(const PixelRows& px, const DPoint* pts, int count, uint32_t colour);
  static void Band(const PixelRows& px, DPoint a, DPoint b, double width, bool smooth, bool dotted,
                   uint32_t colour);
  static void Stroke(const PixelRows& px, IPoint a, IPoint b, uint32_t colour);
  static void Ink(const PixelRows& px, IPoint p, uint32_t alpha, uint32_t colour);

  // Summed along a row, each pixel's covered area. Kept all zero between
  // figures: blending clears what it reads.
  std::vector<float> area_;
  int areaStride_ = 0, rows_ = 0;
  // Per row, the first and last cells touched by downward and by upward
  // edges: the blend sums the row between them.
  std::vector<int> lo_, hi_;
  std::vector<DPt> clip_, clipNext_;
  std::vector<double> crossings_;
};

}  // namespace wlg
