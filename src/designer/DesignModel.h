#pragma once
// The design model every window reads: rank points and flags, the per-tile
// copies refreshed at every redraw, the view geometry, the constructed
// polygon pair and the shared lists the tile renderer fills.

#include <array>
#include <string>
#include <vector>

#include "platform/Colour.h"
#include "platform/GrowingTable.h"

namespace wlg {

constexpr int RanksPerTile = 16;
constexpr int LastTile = 3;
constexpr int TileCount = LastTile + 1;
constexpr int LastSlot = (LastTile + 1) * RanksPerTile - 1;  // 63
constexpr int LastRankInTile = RanksPerTile - 1;             // 15
constexpr int SlotCapacity = 65;  // index 64 exists but is never addressed
constexpr int MaxRankPoints = 10;
constexpr int ViewCount = 10;       // 0 designer, t + 1 tessellator tile t
constexpr int VertexCapacity = 65;  // 1-based, up to 64 vertices; entry 0 unused

// Radians per degree in the two precisions the construction uses.
constexpr double DegToRadD = 0.01745329238474369;
constexpr float DegToRadF = 0.017453292f;

extern const std::array<Colour, 16> Palette16;
// Any colour index reduced into 0..15 (remainder with the dividend's sign,
// negatives moved up by 16), then looked up.
int ReduceColourIndex(long index);
Colour PaletteColour(long index);
// The text colour that reads on palette colour 'index': black on the bright
// half (9..15), white on the dark half.
Colour TextColourOn(long index);

struct FPoint {
  float x = 0;
  float y = 0;
};

// View 0 is the designer canvas of the current tile; view t + 1 is tile t
// as the tessellator draws it.
struct ViewGeometry {
  std::array<float, ViewCount> SideLength{};
  std::array<float, ViewCount> OuterRatio{};
  std::array<float, ViewCount> ViewScale{};
  std::array<float, ViewCount> OuterTurn{};
  std::array<float, ViewCount> InnerTurn{};
};

// What the construction leaves for the renderer and the pointer editor;
// always the last tile constructed.
struct ConstructedPolygon {
  std::array<FPoint, VertexCapacity> InnerVertices{};
  int VertexCount = 0;
  float TurnAngle = 0;  // radians
  bool StarMode = false;
  float InnerWidth = 0;   // bounding width of the inner polygon
  float InnerHeight = 0;  // centring height (twice the apothem)
  std::array<FPoint, VertexCapacity> OuterVertices{};
  int OuterCount = 0;
};

// The geometry parameters of one tile, read from its controls at redraw.
struct TileGeometry {
  int innerSides = 6;
  int outerSides = 6;
  float innerSize = 1;
  float outerSize = 4;
  bool star = false;
  float starAngle = 120;
};

// The values the designer's change handlers compare against: those of the
// tile's last redraw.
struct AcceptedValues {
  float innerSides = 6, outerSides = 6, innerSize = 1, outerSize = 4, fit = 6, starAngle = 120;
};

constexpr int SolidPolyCapacity = 10000;
constexpr int SolidVertCapacity = 20000;

// Every program holds one, built or not (the designer makes a scratch
// program to check each file it opens), so the tables store only what a
// build writes.
struct SolidPolyList {
  GrowingTable<Colour, SolidPolyCapacity> PolyColour;  // -1 (all bits) = no fill
  GrowingTable<int, SolidPolyCapacity> PolyLastPoint;
  GrowingTable<int, SolidPolyCapacity> PolyRank;
  GrowingTable<int, SolidPolyCapacity> PolyFirstPoint;
  // The solid's face a polygon lies on: the index of that face's own
  // polygon, which comes before the decoration mapped onto it.
  GrowingTable<int, SolidPolyCapacity> PolyFace;
  GrowingTable<float, SolidVertCapacity> VertX, VertY, VertZ;
  // The same vertices unrounded, as the solid's table and the tile give
  // them: meshes that must be planar read these. Empty when only the
  // rounded values are known.
  std::vector<double> ExactX, ExactY, ExactZ;
  int PolyCount = 0;
  int VertCount = 0;
};
constexpr Colour NoFill = 0xffffffffu;

constexpr int OverrideCapacity = 100000;
struct ColourOverride {
  float copy = 0;
  float item = 0;
  int slot = 0;
  int colour = 0;  // CustomColours index
};
struct ColourOverrides {
  GrowingTable<ColourOverride, OverrideCapacity> entries;
  int OverrideCount = 0;

  // The entries of each item, in entry order, for a whole redraw of many
  // items: the first entry that matches wins, as in a plain scan. Built by
  // Index() and used only while 'indexed' is set.
  void Index(int lastItem);
  // The first entry for (item, slot, copy), or -1.
  int Find(int item, int slot, int copy) const;
  bool indexed = false;

 private:
  std::vector<int> firstOfItem_, next_;
};

// The polygon a click recolours: the topmost one drawn that holds the probe
// (inside), else the one with the nearest vertex (best).
struct HitTest {
  bool HitTestMode = false;
  FPoint probe;
  float best = 1e29f;
  int copy = 0;
  int item = 0;
  int slot = 0;
  bool inside = false;
  int insideCopy = 0, insideItem = 0, insideSlot = 0;
};

struct DesignModel {
  // Rank points in canvas pixels; X = 0 marks an unset point.
  std::array<std::array<float, MaxRankPoints>, SlotCapacity> X{}, Y{};
  std::array<int, SlotCapacity> PointCount{};
  std::array<int, SlotCapacity> PlacedCount{};
  std::array<bool, SlotCapacity> NoTess{}, NoRepl{}, NoPolygon{}, FillRank{};

  // Per-tile copies of the last redraw.
  std::array<int, TileCount> InnerSides{6, 6, 6, 6};
  std::array<int, TileCount> OuterSides{6, 6, 6, 6};
  std::array<int, TileCount> ColourCount{2, 2, 2, 2};
  std::array<bool, TileCount> SequentialColours{};
  std::array<int, 2 * TileCount> LineWidths{1, 1, 1, 1, 1, 1, 1, 1};
  std::array<bool, 3 * TileCount> ShowLine{};
  std::array<AcceptedValues, TileCount> accepted{};

  ViewGeometry views;
  ConstructedPolygon poly;

  int CurrentTile = 0;
  int SelectedSlot = 0;
  int DragPoint = -1;
  FPoint CanvasCentre;
  float DrawZoom = 1, DrawOffsetX = 0, DrawOffsetY = 0;
  float SnapRadius = 5;
  std::string CreatorName;
  std::string SolidName;
  FPoint SolidCentre;

  std::array<Colour, 16> CustomColours = Palette16;
  SolidPolyList solid;
  ColourOverrides overrides;
  HitTest hit;
  bool MetafileMode = false;

  bool RankComplete(int slot) const {
    const int last = PointCount[slot] - 1;
    return last >= 0 && last < MaxRankPoints && X[slot][last] != 0;
  }
  void ClearRank(int slot) {
    X[slot].fill(0);
    Y[slot].fill(0);
    PlacedCount[slot] = 0;
  }
};

}  // namespace wlg
