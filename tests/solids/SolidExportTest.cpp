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
#include <random>

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

// Flatness read back from a .glb by its own layout, not the writer's: every
// polygon has corners of its own, so triangles joined by corners are one
// polygon. The solid's faces share each corner bit for bit with two more
// faces; decoration floats above them and shares none.
struct Evenness {
  double edgeSpread = 0, outOfPlane = 0;  // fractions of the shortest edge
  int under = 0, decoration = 0;          // decoration corners, and those not above their face
};
Evenness MeasureGlb(const std::string& glb) {
  auto u32 = [&](size_t at) {
    uint32_t v;
    std::memcpy(&v, glb.data() + at, 4);
    return v;
  };
  const QJsonObject json = QJsonDocument::fromJson(QByteArray(glb.data() + 20, u32(12))).object();
  const char* bin = glb.data() + 28 + u32(12);
  auto data = [&](int i) {
    const QJsonObject a = json["accessors"][i].toObject();
    return std::pair(bin + json["bufferViews"][a["bufferView"].toInt()]["byteOffset"].toInt() +
                         a["byteOffset"].toInt(),
                     a["count"].toInt());
  };
  struct Poly {
    std::vector<V3> corners;
    V3 normal;
  };
  std::vector<Poly> polys;
  for (const QJsonValue p : json["meshes"][0]["primitives"].toArray()) {
    const auto [pos, n] = data(p["attributes"]["POSITION"].toInt());
    const auto [idx, m] = data(p["indices"].toInt());
    std::vector<V3> at(n);
    std::vector<int> root(n);
    for (int i = 0; i < n; ++i) {
      float f[3];
      std::memcpy(f, pos + 12 * i, 12);
      at[i] = {f[0], f[1], f[2]}, root[i] = i;
    }
    std::function<int(int)> find = [&](int v) {
      return root[v] == v ? v : root[v] = find(root[v]);
    };
    std::vector<uint32_t> t(m);
    std::memcpy(t.data(), idx, 4 * m);
    for (int i = 0; i < m; ++i) root[find(t[i])] = find(t[i - i % 3]);
    std::map<int, Poly> byRoot;
    for (int i = 0; i < m; i += 3)
      byRoot[find(t[i])].normal =
          byRoot[find(t[i])].normal + Cross(at[t[i + 1]] - at[t[i]], at[t[i + 2]] - at[t[i]]);
    for (int v = 0; v < n; ++v) byRoot[find(v)].corners.push_back(at[v]);
    for (auto& [r, poly] : byRoot) polys.push_back(poly);
  }
  std::map<std::array<double, 3>, int> uses;
  for (const Poly& p : polys)
    for (const V3& c : p.corners) ++uses[{c.x, c.y, c.z}];
  std::vector<const Poly*> faces;
  double shortest = 1e300, longest = 0;
  for (const Poly& p : polys)
    if (uses[{p.corners[0].x, p.corners[0].y, p.corners[0].z}] >= 3) {
      faces.push_back(&p);
      for (const V3& a : p.corners) {  // a regular face's nearest corners are its neighbours
        double d = 1e300;
        for (const V3& b : p.corners)
          if (&a != &b) d = std::min(d, std::sqrt(Dot(a - b, a - b)));
        shortest = std::min(shortest, d), longest = std::max(longest, d);
      }
    }
  Evenness e{(longest - shortest) / shortest};
  auto height = [](const Poly& f, V3 c) {  // above f's plane, through its first corner
    return Dot(c - f.corners[0], f.normal) / std::sqrt(Dot(f.normal, f.normal));
  };
  for (const Poly* f : faces)
    for (const V3& c : f->corners)
      e.outOfPlane = std::max(e.outOfPlane, std::fabs(height(*f, c)) / shortest);
  for (const Poly& p : polys) {
    if (std::find(faces.begin(), faces.end(), &p) != faces.end()) continue;
    const Poly* face = *std::max_element(faces.begin(), faces.end(), [&](auto a, auto b) {
      return Dot(p.normal, a->normal) / std::sqrt(Dot(a->normal, a->normal)) <
             Dot(p.normal, b->normal) / std::sqrt(Dot(b->normal, b->normal));
    });
    for (const V3& c : p.corners) ++e.decoration, e.under += height(*face, c) <= 0;
  }
  return e;
}

// Corners rounded to whole units made edges differ by up to 8% and sank
// decoration into its face.
TEST(GltfExport, EverySolidHasEqualEdgesFlatFacesAndDecorationAbove) {
  DesignerHarness h;
  h.Start("\"" + std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg\"");
  for (const SolidInfo& solid : Solids()) {
    ASSERT_TRUE(BuildSolid(h, solid.key)) << solid.key;
    const Evenness e = MeasureGlb(GltfBytes(h.model().solid, true));
    std::printf("%s: edge spread %.3g, out of plane %.3g, %d of %d decoration corners under\n",
                solid.key, e.edgeSpread, e.outOfPlane, e.under, e.decoration);
    EXPECT_LT(e.edgeSpread, 1e-6) << solid.key;
    EXPECT_LT(e.outOfPlane, 1e-6) << solid.key;
    EXPECT_GT(e.decoration, 0) << solid.key;
    EXPECT_EQ(e.under, 0) << solid.key;
  }
}

}  // namespace
}  // namespace wlg
