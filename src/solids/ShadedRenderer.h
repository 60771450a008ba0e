#pragma once
// The 3D picture: the solid's recorded vertices pushed through the scale,
// the viewing transform and the roll, then every polygon that faces the eye
// painted back to front, filled with its own colour scaled by an ambient +
// diffuse + specular light term. The solids are convex, so dropping the
// polygons turned away from the eye hides all that lies behind them; the
// painter's order settles what lies over what among the rest (a decoration
// over its face).
//
// The 3D window owns the controls and the viewing angles; it copies them
// into a ShadedRenderer and calls DrawData. It also writes the angle boxes
// and redraws the navigation disc before each DrawData, which this code
// knows nothing about.

#include <array>
#include <cstdint>
#include <vector>

#include "designer/DesignModel.h"
#include "platform/Canvas.h"
#include "solids/M3Ops.h"

namespace wlg {

// One degree in radians: rolls up to this are not drawn, and the navigation
// disc uses the same bound to choose its roll-compensated view.
inline constexpr float kRollThreshold = 0.017453292f;

// The fixed light, in world coordinates, and the point the highlight is seen from.
inline constexpr float kLightPositionX = 100, kLightPositionY = 500, kLightPositionZ = 1000;
inline constexpr float kViewerPointX = 0, kViewerPointY = 0, kViewerPointZ = 0;

// The 3D picture's background for a "Back colour" value: the palette colour
// of the value rounded halves to even, except that 7 stands for the
// desktop's button-face colour. Faces of colour 'face' are lit at most to
// that colour, so a background of the same colour would hide a face turned
// straight at the eye: it is drawn a shade lighter instead (darker when it
// is white), which no face reaches.
Colour Background3D(double value, Colour face);

struct Point3D {
  Point4 World;   // (s x, s y, s z, 1)
  Point4 Screen;  // (picture x, picture y, depth, 1); larger depth is nearer the eye
};

// The transformed vertices, entries 0..VertCount. World and Screen are kept
// in separate arrays so that the normals can be worked straight from World.
struct SolidPointTable {
  std::vector<Point4> World;
  std::vector<Point4> Screen;
  int Count() const { return static_cast<int>(World.size()); }
  Point3D operator[](int i) const { return {World[i], Screen[i]}; }
};

struct ShadingParameters {
  float Ka = 0.3f;      // ambient, added as 256 Ka
  float Kd = 0.9f;      // diffuse coefficient
  float Ks = 0.5f;      // specular coefficient
  float N = 3;          // specular exponent
  float Kdist = -2000;  // distance term of the attenuation
};

class ShadedRenderer {
 public:
  // ---- what the 3D window passes in

  // Built by the window's CheckAngles; the identity until then.
  Matrix4 ViewTransform = [] {
    Matrix4 m;
    M3Ops::IdentityMatrix(m);
    return m;
  }();
  float PsiRad = 0;    // roll of the picture about its centre
  FPoint SolidCentre;  // half the picture's width and height
  float Scale = 1;     // s, from vsScale3D
  ShadingParameters shading;
  Colour BackColour = Palette16[8];
  // The program's random numbers for the depth sort's pivots; a private
  // generator is used when none is given.
  RandomSource* random = nullptr;

  // Full recomputation: the vertex table, the light intensity, the picture
  // cleared to BackColour and every polygon painted. Leaves the canvas fill
  // style and colour of the last polygon drawn; pen width and style are the
  // window's and are not touched.
  void DrawData(Canvas& pic, const SolidPolyList& solid);

  // Paints every polygon from SolidPoints() that faces the eye, farthest
  // first. DrawData calls it.
  void DrawShaded(Canvas& pic, const SolidPolyList& solid);

  // The fill of polygon f from the current SolidPoints() and light
  // intensity: false for a polygon drawn as an outline only.
  bool FaceFill(const SolidPolyList& solid, int f, Colour& fill) const;

  // Whether polygon f's front side is towards the eye of the last DrawData.
  // Every polygon is wound so that its normal (P1 - P0) x (P2 - P1) points
  // into the solid; a polygon seen edge-on or with no normal faces nowhere.
  bool FacesEye(const SolidPolyList& solid, int f) const;

  // ---- results of the last DrawData

  const SolidPointTable& SolidPoints() const { return points_; }
  // The eye in the world coordinates of SolidPoints(), as eye_ below.
  const std::array<double, 4>& Eye() const { return eye_; }
  float LightIntensity() const { return lightIntensity_; }

 private:
  // The light term I of the polygon starting at vertex 'first', before clamping.
  double Intensity(int32_t first) const;
  bool Drawable(const SolidPolyList& solid, int f) const;

  SolidPointTable points_;
  float lightIntensity_ = 0;
  // The eye in homogeneous world coordinates (x, y, z, w): w > 0 for a
  // perspective view, w = 0 and (x, y, z) the direction towards the eye for
  // a parallel one.
  std::array<double, 4> eye_{0, 0, 1, 0};
  std::vector<float> depth_;
  std::vector<int32_t> order_;
  LcgRandom ownRandom_;
};

}  // namespace wlg
