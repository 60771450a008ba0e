// OBJ and VRML export: exact lines, merged points and number styles. Every
// solid is read by assimp, tovrmlx3d and the glTF validator in ExporterTest.

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <numeric>
#include <random>
#include <sstream>

#include "solids/SolidExport.h"
#include "solids/SolidGltf.h"
#include "solids/SolidKit.h"
#include "solids/VrmlNumbers.h"
#include "support/AllPairsMerge.h"

namespace wlg {
namespace {

using namespace testing;
using Strings = std::vector<std::string>;

const std::vector<Vertex> kTri = {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}};

// Six squares of side 40 round the origin, each listing its own four corners.
TestSolid Cube() {
  const int faces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 4, 5, 1},
                           {1, 5, 6, 2}, {2, 6, 7, 3}, {3, 7, 4, 0}};
  TestSolid solid;
  for (int f = 0; f < 6; ++f) {
    std::vector<Vertex> corners;
    for (int c : faces[f])
      corners.push_back({(c + 1) & 2 ? 20.f : -20.f, c & 2 ? 20.f : -20.f, c & 4 ? 20.f : -20.f});
    solid.Add(Palette16[f + 9], corners);
  }
  return solid;
}

Strings Lines(const std::string& text) {
  Strings lines;
  for (size_t start = 0, at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  return lines;
}

// The lines after 'open' up to (not including) the next 'close'.
Strings Block(const Strings& lines, const std::string& open, const std::string& close) {
  auto from = std::find(lines.begin(), lines.end(), open);
  if (from != lines.end()) ++from;
  return Strings(from, std::find(from, lines.end(), close));
}

TEST(ObjExport, ExactLinesNumberingAndColourGroups) {
  TestSolid triangle;
  triangle.Add(Palette16[4], {{20, 40, 0}, {-20, 0, 10}, {10, -20, 20}});
  EXPECT_EQ(ObjText(*triangle, "knot.mtl"),
            "#Object format knot produced by Whirligons\r\nmtllib knot.mtl\r\ng wlg4\r\n"
            "usemtl wlg4\r\nv -1.000 2.000 4.000\r\nv 1.000 0.000 4.500\r\n"
            "v -0.500 -1.000 5.000\r\nf  1  2  3 \r\n\r\n");
  // Numbering runs on across polygons. Black is group 0; unfilled and
  // colours outside the palette are 16.
  TestSolid solid;
  solid.Add(Palette16[0], kTri).Add(NoFill, kTri).Add(Rgb(1, 2, 3), kTri).Add(Palette16[4], kTri);
  std::string faces;
  for (const std::string& line : Lines(ObjText(*solid, "my knot.mtl")))
    if (line.starts_with("g ") || line.starts_with("f ")) faces += line + "|";
  EXPECT_EQ(faces,
            "g wlg0|f  1  2  3 |g wlg16|f  4  5  6 |g wlg16|f  7  8  9 |g wlg4|f  10  11  12 |");
  EXPECT_EQ(Lines(MtlText(*solid)).back(), "Kd 0.500 0.500 0.500");  // 16 is grey
}

TEST(VrmlExport, CubeMergesIntoEightPointsAndTheNumberStyles) {
  auto lines = Lines(VrmlText(*Cube(), {}, nullptr));
  ASSERT_GT(lines.size(), 60u);
  EXPECT_EQ(lines[14], "Viewpoint {position 0 0 20}");
  EXPECT_EQ(lines[18],  // polygon 0's colour is the material
            "Shape { appearance Appearance {material Material {diffuseColor 0  0  1  }}");
  EXPECT_EQ(Block(lines, "coord Coordinate {point [", "] }"),
            (Strings{"1.000 -1.000 3.000", "-1.000 -1.000 3.000", "-1.000 1.000 3.000",
                     "1.000 1.000 3.000", "1.000 -1.000 5.000", "1.000 1.000 5.000",
                     "-1.000 1.000 5.000", "-1.000 -1.000 5.000"}));
  EXPECT_EQ(Block(lines, "coordIndex [", "] } } "),
            (Strings{" 0 , 1 , 2 , 3 ,-1", " 4 , 5 , 6 , 7 ,-1", " 0 , 4 , 7 , 1 ,-1",
                     " 1 , 7 , 6 , 2 ,-1", " 2 , 6 , 5 , 3 ,-1", " 3 , 5 , 4 , 0 ,-1"}));

  EXPECT_EQ(PrintStyle(1.0 / 3.0), " .333333333333333 ");
  EXPECT_EQ(Fixed3(-0.0004), "0.000");  // no "-0.000"
  EXPECT_EQ(Fixed3(0.0125), "0.013");   // halves away from zero
}

// The grid search for VRML points must give exactly the indices a search
// through every earlier point gives, or the scene's index lines change.
TEST(MergedPoints, AgreesWithTheSearchThroughEveryEarlierPoint) {
  auto byGrid = [](const std::vector<float>& x, const std::vector<float>& y,
                   const std::vector<float>& z) {
    MergedPoints points(static_cast<int>(x.size()));
    return MergeAll(points, x, y, z);
  };
  // Crowded round a few centres: many lie within 0.1 of several others and
  // on both sides of cell borders (multiples of 0.25).
  std::mt19937 random(7);
  std::uniform_int_distribution<int> centre(-4, 4);
  std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
  std::vector<float> x, y, z;
  auto add = [&](float a, float b, float c) { x.push_back(a), y.push_back(b), z.push_back(c); };
  auto near = [&] { return centre(random) * 0.25f + jitter(random); };
  for (int i = 0; i < 4000; ++i) add(near(), near(), near());
  // Far, huge and non-finite points follow the same rule.
  constexpr float kInf = std::numeric_limits<float>::infinity();
  for (float v : {1e9f, 1e9f, -1e9f, 2e5f, 2e5f + 0.05f, 262144.0f, 262143.95f, -262144.05f})
    add(v, v, v);
  add(kInf, 0, 0), add(kInf, 0, 0), add(std::nanf(""), 0, 0), add(0, -kInf, 0);
  AllPairsPoints all;
  const std::vector<long> grid = byGrid(x, y, z);
  EXPECT_EQ(grid, MergeAll(all, x, y, z));
  EXPECT_LT(*std::max_element(grid.begin(), grid.end()), 3000);  // merging really happens

  // Within means closer than a tenth in each coordinate.
  EXPECT_EQ(byGrid({0, 0.1f, 0.09f, 0}, {0, 0, 0, 0}, {0, 0, 0.05f, 0.15f}),
            (std::vector<long>{0, 1, 0, 2}));
}

// Failed writes leave earlier files alone (ExtremeSaveTest); a mesh whose
// materials would take its own name is refused before anything is written.
TEST(SolidExportFiles, AMeshNamedLikeItsMaterialsWritesNothing) {
  QTemporaryDir dir;
  std::string error;
  EXPECT_FALSE(WriteObjFile(*Cube(), dir.filePath("knot.mtl").toStdString(), true, &error));
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

}  // namespace
}  // namespace wlg

namespace wlg {
namespace {

// The polygons of a .glb read by the format's own layout: each polygon has
// corners of its own, so triangles joined by corners are one polygon.
struct Poly {
  std::vector<V3> corners;
  V3 normal;
};
std::vector<Poly> GlbPolygons(const std::string& glb) {
  uint32_t jsonLength;
  std::memcpy(&jsonLength, glb.data() + 12, 4);
  const QJsonObject json =
      QJsonDocument::fromJson(QByteArray(glb.data() + 20, jsonLength)).object();
  auto data = [&](int i) {
    const QJsonObject a = json["accessors"][i].toObject();
    const int view = json["bufferViews"][a["bufferView"].toInt()]["byteOffset"].toInt();
    return std::pair(glb.data() + 28 + jsonLength + view + a["byteOffset"].toInt(),
                     a["count"].toInt());
  };
  std::vector<Poly> polys;
  for (const QJsonValue p : json["meshes"][0]["primitives"].toArray()) {
    const auto [pos, n] = data(p["attributes"]["POSITION"].toInt());
    const auto [idx, m] = data(p["indices"].toInt());
    std::vector<float> f(3 * n);
    std::vector<uint32_t> t(m);
    std::memcpy(f.data(), pos, 12 * n), std::memcpy(t.data(), idx, 4 * m);
    auto at = [&](int i) { return V3{f[3 * i], f[3 * i + 1], f[3 * i + 2]}; };
    std::vector<int> root(n);
    std::iota(root.begin(), root.end(), 0);
    std::function<int(int)> find = [&](int v) {
      return root[v] == v ? v : root[v] = find(root[v]);
    };
    for (int i = 0; i < m; ++i) root[find(t[i])] = find(t[i - i % 3]);
    std::map<int, Poly> byRoot;
    for (int i = 0; i < m; i += 3) {
      V3& normal = byRoot[find(t[i])].normal;
      normal = normal + Cross(at(t[i + 1]) - at(t[i]), at(t[i + 2]) - at(t[i]));
    }
    for (int v = 0; v < n; ++v) byRoot[find(v)].corners.push_back(at(v));
    for (auto& [r, poly] : byRoot) polys.push_back(poly);
  }
  return polys;
}

// Corners rounded to whole units made edges differ by up to 8%, faces bend
// by 2% of an edge and decoration sink into its face.
TEST(GltfExport, EverySolidHasEqualEdgesFlatFacesAndDecorationAbove) {
  DesignerHarness h;
  h.Start("\"" + std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg\"");
  for (const SolidInfo& solid : Solids()) {
    ASSERT_TRUE(BuildSolid(h, solid.key)) << solid.key;
    const std::vector<Poly> polys = GlbPolygons(GltfBytes(h.model().solid, true));
    // A face shares each corner bit for bit with two more; decoration none.
    std::map<std::array<double, 3>, int> uses;
    for (const Poly& p : polys)
      for (const V3& c : p.corners) ++uses[{c.x, c.y, c.z}];
    std::vector<const Poly*> faces, decoration;
    double shortest = 1e300, longest = 0, bent = 0;
    for (const Poly& p : polys)
      (uses[{p.corners[0].x, p.corners[0].y, p.corners[0].z}] >= 3 ? faces : decoration)
          .push_back(&p);
    auto height = [](const Poly* f, V3 c) {
      return Dot(c - f->corners[0], f->normal) / std::sqrt(Dot(f->normal, f->normal));
    };
    for (const Poly* f : faces)
      for (const V3& a : f->corners) {  // a regular face's nearest corners are its neighbours
        double d = 1e300;
        for (const V3& b : f->corners)
          if (&a != &b) d = std::min(d, std::sqrt(Dot(a - b, a - b)));
        shortest = std::min(shortest, d), longest = std::max(longest, d);
        bent = std::max(bent, std::fabs(height(f, a)));
      }
    // Decoration lies over its face: a corner below every face plane is inside.
    int under = 0, corners = 0;
    for (const Poly* p : decoration)
      for (const V3& c : p->corners)
        ++corners, under += std::all_of(faces.begin(), faces.end(),
                                        [&](const Poly* f) { return height(f, c) <= 0; });
    std::printf(
        "%s: edges %.3g apart, faces %.3g out of plane, %d of %d decoration corners under\n",
        solid.key, longest / shortest - 1, bent / shortest, under, corners);
    EXPECT_LT(longest / shortest - 1, 1e-6) << solid.key;
    EXPECT_LT(bent / shortest, 1e-6) << solid.key;
    EXPECT_GT(corners, 0) << solid.key;
    EXPECT_EQ(under, 0) << solid.key;
  }
}

// With --exact the OBJ's first polygon, a decagon of the solid, has equal
// sides; rounded, they differ by several percent.
TEST(ObjExport, ExactCornersGiveEqualEdges) {
  DesignerHarness h;
  h.Start("\"" + std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg\"");
  ASSERT_TRUE(BuildSolid(h, "TIcosi"));
  std::istringstream obj(ObjText(h.model().solid, "m.mtl", true));
  std::vector<V3> face;
  for (std::string line; std::getline(obj, line) && line != "\r";)
    if (V3 v; std::sscanf(line.c_str(), "v %lf %lf %lf", &v.x, &v.y, &v.z) == 3) face.push_back(v);
  ASSERT_GE(face.size(), 3u);
  double shortest = 1e300, longest = 0;
  for (size_t i = 0; i < face.size(); ++i) {
    const V3 d = face[i] - face[(i + 1) % face.size()];
    shortest = std::min(shortest, std::sqrt(Dot(d, d))),
    longest = std::max(longest, std::sqrt(Dot(d, d)));
  }
  EXPECT_LT(longest / shortest - 1, 1e-6);
}

}  // namespace
}  // namespace wlg
