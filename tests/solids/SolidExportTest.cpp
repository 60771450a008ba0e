// OBJ and VRML export: exact lines, merged points and the grid search for
// them, number styles, options, atomic files, and the outside readers.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "solids/SolidExport.h"
#include "solids/SolidGltf.h"
#include "solids/SolidKit.h"
#include "solids/VrmlNumbers.h"
#include "support/AllPairsMerge.h"

namespace wlg {
namespace {

using testing::Cross;
using testing::Dot;
using testing::Length;
using testing::TestSolid;
using testing::V3;
using testing::Vertex;
using Strings = std::vector<std::string>;

constexpr double kPi = 3.14159265358979;

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

TestSolid Triangle() {
  TestSolid solid;
  solid.Add(Palette16[4], {{20, 40, 0}, {-20, 0, 10}, {10, -20, 20}});
  return solid;
}

// Splits at CR LF; a bare LF anywhere fails the test.
Strings Lines(const std::string& text) {
  EXPECT_TRUE(text.ends_with("\r\n"));
  Strings lines;
  size_t start = 0;
  for (size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1) {
    EXPECT_TRUE(at > start && text[at - 1] == '\r') << "bare LF after line " << lines.size();
    lines.push_back(text.substr(start, at - start - 1));
  }
  return lines;
}

// The lines after 'open' up to (not including) the next 'close'.
Strings Block(const Strings& lines, const std::string& open, const std::string& close) {
  auto from = std::find(lines.begin(), lines.end(), open);
  EXPECT_NE(from, lines.end()) << open;
  if (from != lines.end()) ++from;
  return Strings(from, std::find(from, lines.end(), close));
}
Strings Points(const Strings& lines) { return Block(lines, "coord Coordinate {point [", "] }"); }
Strings Indices(const Strings& lines) { return Block(lines, "coordIndex [", "] } } "); }

std::string Vrml(const TestSolid& solid, VrmlOptions options = {}) {
  return VrmlText(*solid, options, nullptr);
}

// The OBJ text without its material lines, which are all it has beyond the
// plain mesh.
std::string WithoutMaterials(const std::string& text) {
  std::string out;
  for (const std::string& line : Lines(text))
    if (!line.starts_with("mtllib ") && !line.starts_with("usemtl ")) out += line + "\r\n";
  return out;
}
std::string Obj(const TestSolid& solid) { return WithoutMaterials(ObjText(*solid, "knot.mtl")); }

TEST(ObjExport, ExampleTriangleAndEachFaceAfterItsOwnGroup) {
  EXPECT_EQ(Obj(Triangle()),
            "#Object format knot produced by Whirligons\r\n"
            "g wlg4\r\n"
            "v -1.000 2.000 4.000\r\n"
            "v 1.000 0.000 4.500\r\n"
            "v -0.500 -1.000 5.000\r\n"
            "f  1  2  3 \r\n"
            "\r\n");

  // Each face line follows its own group and vertices; numbering runs on
  // across polygons. Black is palette 0; unfilled and other colours are 16.
  std::vector<Vertex> ten;
  for (int i = 0; i < 10; ++i) ten.push_back({float(i), float(i * i), 0});
  const std::vector<Vertex> tri = {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}};
  TestSolid solid;
  solid.Add(Palette16[0], tri).Add(NoFill, ten).Add(Rgb(1, 2, 3), tri).Add(Palette16[15], tri);
  std::string shape;  // each line's first letter, '.' for an empty line
  Strings named;
  for (const std::string& line : Lines(Obj(solid))) {
    shape += line.empty() ? '.' : line[0];
    if (line.starts_with("g ") || line.starts_with("f ")) named.push_back(line);
  }
  EXPECT_EQ(shape, "#gvvvf.gvvvvvvvvvvf.gvvvf.gvvvf.");
  EXPECT_EQ(named,
            (Strings{"g wlg0", "f  1  2  3 ", "g wlg16", "f  4  5  6  7  8  9  10  11  12  13 ",
                     "g wlg16", "f  14  15  16 ", "g wlg15", "f  17  18  19 "}));
}

// The materials: named right after the comment, used right after each
// group, one entry per group used with the palette colour (grey for 16).
TEST(ObjExport, MaterialsNamedUsedAndListedOncePerGroup) {
  TestSolid solid = Triangle();
  solid.Add(NoFill, {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}})
      .Add(Palette16[4], {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}});
  const Strings obj = Lines(ObjText(*solid, "my knot.mtl"));
  EXPECT_EQ(Strings(obj.begin(), obj.begin() + 4),
            (Strings{"#Object format knot produced by Whirligons", "mtllib my knot.mtl", "g wlg4",
                     "usemtl wlg4"}));
  EXPECT_EQ(std::count(obj.begin(), obj.end(), "usemtl wlg16"), 1);
  EXPECT_EQ(std::count_if(obj.begin(), obj.end(), [](auto& l) { return l.starts_with("usemtl"); }),
            3);
  EXPECT_EQ(Lines(MtlText(*solid)),
            (Strings{"# Whirligons colour groups", "", "newmtl wlg4", "Kd 0.502 0.000 0.000", "",
                     "# unfilled polygons and colours outside the palette", "newmtl wlg16",
                     "Kd 0.500 0.500 0.500"}));
  EXPECT_EQ(MtlPath("/a.b/knot.obj"), "/a.b/knot.mtl");
  EXPECT_EQ(MtlPath("/a.b/knot"), "/a.b/knot.mtl");
}

TEST(VrmlExport, CubeMergesIntoEightPointsInsideTheHeaderAndAnimation) {
  auto lines = Lines(Vrml(Cube()));
  ASSERT_GT(lines.size(), 60u);
  EXPECT_EQ(lines[0], "#VRML V2.0 utf8");
  EXPECT_EQ(lines[5], "\"Programming: Whirligons developers\"");
  EXPECT_EQ(lines[14], "Viewpoint {position 0 0 20}");
  // Polygon 0's colour is the material.
  EXPECT_EQ(lines[18],
            "Shape { appearance Appearance {material Material {diffuseColor 0  0  1  }}");
  EXPECT_EQ(lines[lines.size() - 16], "] } } ");
  EXPECT_EQ(lines[lines.size() - 7], "keyValue [ 0 1 0 0, 0 1 0 2.1, 0 1 0 4.2, 0 1 0 0 ]}");
  EXPECT_EQ(lines.back(), "ROUTE MyRotate.rotation_changed TO Knot.set_rotation");
  EXPECT_EQ(Points(lines),
            (Strings{"1.000 -1.000 3.000", "-1.000 -1.000 3.000", "-1.000 1.000 3.000",
                     "1.000 1.000 3.000", "1.000 -1.000 5.000", "1.000 1.000 5.000",
                     "-1.000 1.000 5.000", "-1.000 -1.000 5.000"}));
  EXPECT_EQ(Indices(lines),
            (Strings{" 0 , 1 , 2 , 3 ,-1", " 4 , 5 , 6 , 7 ,-1", " 0 , 4 , 7 , 1 ,-1",
                     " 1 , 7 , 6 , 2 ,-1", " 2 , 6 , 5 , 3 ,-1", " 3 , 5 , 4 , 0 ,-1"}));
  lines = Lines(Vrml(Triangle()));  // a single triangle keeps its three points
  EXPECT_EQ(Points(lines),
            (Strings{"-1.000 2.000 4.000", "1.000 0.000 4.500", "-0.500 -1.000 5.000"}));
  EXPECT_EQ(Indices(lines), (Strings{" 0 , 1 , 2 ,-1"}));
}

TEST(VrmlExport, NumberStylesInColoursAndBackground) {
  EXPECT_EQ(PrintStyle(1.0 / 3.0), " .333333333333333 ");
  EXPECT_EQ(Fixed3(-0.0004), "0.000");  // no "-0.000"
  EXPECT_EQ(Fixed3(0.0125), "0.013");   // halves away from zero

  const std::vector<Vertex> tri = {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}};
  TestSolid solid;
  solid.Add(NoFill, tri)
      .Add(Palette16[0], tri)
      .Add(Rgb(128, 255, 0), tri)
      .Add(Rgb(0, 64, 255), tri);
  VrmlOptions options;
  options.background = Rgb(128, 127, 255);  // each channel 0 or a half
  const auto lines = Lines(Vrml(solid, options));
  EXPECT_EQ(Block(lines, "    color [", "   ]"),
            (Strings{"1,1,1", "0,0,0", "0.5019608,1,0", "0,0.2509804,1"}));
  EXPECT_EQ(lines[16], "Background {skyColor  .5 , 0 , .5 }");
  // An unfilled polygon 0 splits its -1 into a small negative red.
  EXPECT_EQ(lines[18],
            "Shape { appearance Appearance {material Material {diffuseColor-.003921569  0  0  }}");
}

TEST(VrmlExport, SmoothChangesTheCreaseAngleAndLinesRepeatThePointsInALineSet) {
  VrmlOptions smooth, withLines;
  smooth.smooth = true;
  withLines.lines = true;
  std::string expected = Vrml(Cube());
  EXPECT_EQ(expected.find("IndexedLineSet"), std::string::npos);
  expected.replace(expected.find("creaseAngle 0.5"), 15, "creaseAngle 99");
  EXPECT_EQ(Vrml(Cube(), smooth), expected);

  const auto plain = Lines(Vrml(Cube())), lines = Lines(Vrml(Cube(), withLines));
  const auto set = std::find(lines.begin(), lines.end(), "geometry IndexedLineSet {");
  ASSERT_NE(set, lines.end());
  EXPECT_EQ(Strings(lines.begin(), set - 5), Strings(plain.begin(), plain.end() - 15));
  EXPECT_EQ(Block(Strings(set, lines.end()), "point [", "] }"), Points(plain));
  EXPECT_EQ(Indices(Strings(set, lines.end())), Indices(plain));
  EXPECT_EQ(Strings(lines.end() - 15, lines.end()), Strings(plain.end() - 15, plain.end()));
}

// ---- merging VRML points: the grid search must give exactly the indices a
// search through every earlier point gives, or the scene's index lines change.

struct Cloud {
  std::vector<float> x, y, z;
  void Add(float a, float b, float c) {
    x.push_back(a);
    y.push_back(b);
    z.push_back(c);
  }
  std::vector<long> ByGrid() const {
    MergedPoints points(static_cast<int>(x.size()));
    return testing::MergeAll(points, x, y, z);
  }
  std::vector<long> ByAllPairs() const {
    testing::AllPairsPoints points;
    return testing::MergeAll(points, x, y, z);
  }
};

TEST(MergedPoints, AgreesWithTheSearchThroughEveryEarlierPoint) {
  // Points crowded round a few centres, so that many lie within 0.1 of
  // several others and on both sides of cell borders (multiples of 0.25).
  std::mt19937 random(7);
  std::uniform_int_distribution<int> centre(-4, 4);
  std::uniform_real_distribution<float> jitter(-0.3f, 0.3f);
  Cloud c;
  for (int i = 0; i < 4000; ++i)
    c.Add(centre(random) * 0.25f + jitter(random), centre(random) * 0.25f + jitter(random),
          centre(random) * 0.25f + jitter(random));
  const std::vector<long> grid = c.ByGrid();
  EXPECT_EQ(grid, c.ByAllPairs());
  EXPECT_LT(*std::max_element(grid.begin(), grid.end()), 3000);  // merging really happens
  // Far, huge and non-finite points follow the same rule.
  constexpr float kInf = std::numeric_limits<float>::infinity();
  for (float v : {1e9f, 1e9f, -1e9f, 2e5f, 2e5f + 0.05f, 262144.0f, 262143.95f, -262144.05f})
    c.Add(v, v, v);
  c.Add(kInf, 0, 0);
  c.Add(kInf, 0, 0);
  c.Add(std::nanf(""), 0, 0);
  c.Add(0, -kInf, 0);
  EXPECT_EQ(c.ByGrid(), c.ByAllPairs());
}

TEST(MergedPoints, TheLowestMatchWinsAndWithinMeansCloserThanATenthInEachCoordinate) {
  // 0.28 is within 0.1 of 0.20 (index 1, in the cell below, searched first)
  // and of 0.36 (index 0, in its own cell): the lower index wins. Merged
  // vertices add no point, so 0.52 is new although 0.45 was near it.
  Cloud c;
  for (float v : {0.36f, 0.20f, 0.28f, 0.45f, 0.52f, 0.60f}) c.Add(v, 1, 1);
  EXPECT_EQ(c.ByGrid(), (std::vector<long>{0, 1, 0, 0, 2, 2}));
  Cloud t;
  for (const auto& [x, z] : {std::pair{0.f, 0.f}, {0.1f, 0.f}, {0.09f, 0.05f}, {0.f, 0.15f}})
    t.Add(x, 0, z);
  EXPECT_EQ(t.ByGrid(), (std::vector<long>{0, 1, 0, 2}));
}

// ---- glTF

// A five-pointed star in front of the centre whose corners, once mirrored,
// turn clockwise seen from outside; a square with a corner in the middle of
// one side; a polygon of no area; an unfilled triangle behind the centre.
TestSolid GltfCases() {
  std::vector<Vertex> star;
  for (int k = 0; k < 10; ++k) {
    const double a = kPi * k / 5 + kPi / 2, r = k % 2 ? 10 : 40;
    star.push_back({float(r * std::cos(a)), float(r * std::sin(a)), 40});
  }
  TestSolid solid;
  solid.Add(Palette16[4], star)
      .Add(Palette16[9], {{-20, -20, 60}, {-20, 20, 60}, {20, 20, 60}, {20, 0, 60}, {20, -20, 60}})
      .Add(Palette16[2], {{0, 0, 0}, {20, 0, 0}, {40, 0, 0}})
      .Add(NoFill, {{20, 0, -40}, {0, 0, -40}, {0, 20, -40}});
  return solid;
}

// Every triangle turns counter-clockwise seen from outside, with that side's
// unit normal at its corners, and the triangles cover each polygon once.
TEST(GltfExport, TrianglesCoverThePolygonsAndFaceOutwards) {
  const std::vector<GltfGroup> groups = GltfGroups(*GltfCases());
  ASSERT_EQ(groups.size(), 3u);
  const double starArea = 5 * 2 * 0.5 * std::sin(kPi / 5);
  const double areas[] = {starArea, 4, 0.5};
  const int groupOf[] = {4, 9, 16};
  const size_t triangles[] = {8, 3, 1};
  const V3 centre = {0, 0, 4};
  for (size_t i = 0; i < groups.size(); ++i) {
    const GltfGroup& g = groups[i];
    SCOPED_TRACE(g.group);
    EXPECT_EQ(g.group, groupOf[i]);
    EXPECT_EQ(g.indices.size(), 3 * triangles[i]);
    auto at = [&](const std::vector<float>& v, uint32_t k) {
      return V3{v[3 * k], v[3 * k + 1], v[3 * k + 2]};
    };
    double area = 0;
    for (size_t t = 0; t + 2 < g.indices.size(); t += 3) {
      const V3 a = at(g.positions, g.indices[t]), b = at(g.positions, g.indices[t + 1]),
               c = at(g.positions, g.indices[t + 2]);
      const V3 n = Cross(b - a, c - a);
      area += Length(n) / 2;
      EXPECT_GT(Dot(n, a - centre), 0);
      for (size_t k = t; k < t + 3; ++k) {
        const V3 normal = at(g.normals, g.indices[k]);
        EXPECT_NEAR(Length(normal), 1, 1e-6);
        EXPECT_NEAR(Dot(normal, n / Length(n)), 1, 1e-6);
      }
    }
    EXPECT_NEAR(area, areas[i], 1e-5);
  }
  // The OBJ's coordinates: x mirrored, a twentieth, 4 back.
  std::vector<float> corners = groups[2].positions;
  std::sort(corners.begin(), corners.end());
  EXPECT_EQ(corners, (std::vector<float>{-1, 0, 0, 0, 0, 1, 2, 2, 2}));

  // Palette colours made linear; the unfilled group is mid grey.
  EXPECT_EQ(GltfBaseColour(9), (std::array<double, 4>{0, 0, 1, 1}));
  EXPECT_NEAR(GltfBaseColour(4)[0], 0.2158605, 1e-7);
  EXPECT_EQ(GltfBaseColour(16)[1], GltfBaseColour(4)[0]);
}

// ---- files

std::string PathIn(const QTemporaryDir& dir, const char* name) {
  return dir.filePath(QString::fromLatin1(name)).toStdString();
}
QByteArray ReadAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
QStringList Entries(const QTemporaryDir& dir) {
  return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(SolidExportFiles, WritesReplaceTheFileAndAFailedWriteLeavesItAlone) {
  QTemporaryDir dir;
  const std::string obj = PathIn(dir, "knot.obj"), wrl = PathIn(dir, "knot.wrl"),
                    mtl = PathIn(dir, "knot.mtl");
  std::string error;
  ASSERT_TRUE(WriteObjFile(*Cube(), obj, true, &error)) << error;
  ASSERT_TRUE(WriteVrmlFile(*Cube(), {}, nullptr, wrl, &error)) << error;
  EXPECT_EQ(ReadAll(mtl).toStdString(), MtlText(*Cube()));
  // Kept materials stay as they were, and the mesh still names them.
  ASSERT_TRUE(WriteObjFile(*Triangle(), obj, false, &error)) << error;
  EXPECT_EQ(ReadAll(mtl).toStdString(), MtlText(*Cube()));
  EXPECT_EQ(ReadAll(obj).toStdString(), ObjText(*Triangle(), "knot.mtl"));
  ASSERT_TRUE(WriteObjFile(*Triangle(), obj, true, &error)) << error;
  EXPECT_EQ(ReadAll(mtl).toStdString(), MtlText(*Triangle()));
  EXPECT_EQ(ReadAll(wrl).toStdString(), Vrml(Cube()));
  // A folder that cannot be written to (unless the user ignores permissions).
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
  QFile probe(dir.filePath("probe"));
  if (probe.open(QIODevice::WriteOnly)) {
    probe.remove();
  } else {
    EXPECT_FALSE(WriteObjFile(*Cube(), obj, true, &error));
    EXPECT_NE(error.find(mtl + ": permission denied"), std::string::npos) << error;
  }
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(ReadAll(obj).toStdString(), ObjText(*Triangle(), "knot.mtl"));
  EXPECT_EQ(ReadAll(mtl).toStdString(), MtlText(*Triangle()));
  // A mesh whose materials would take its own name writes nothing.
  EXPECT_FALSE(WriteObjFile(*Cube(), mtl, true, &error));
  EXPECT_EQ(Entries(dir), (QStringList{"knot.mtl", "knot.obj", "knot.wrl"}));
}

// ---- outside readers

struct ToolResult {
  int code = -1;
  std::string out, err;
};
ToolResult RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) return {};
  return {p.exitCode(), p.readAllStandardOutput().toStdString(),
          p.readAllStandardError().toStdString()};
}

TEST(SolidExportReaders, AssimpKeepsEachColourGroupWithItsOwnFaces) {
  const QString assimp = QStandardPaths::findExecutable("assimp");
  if (assimp.isEmpty()) GTEST_SKIP() << "assimp is not installed";
  TestSolid solid;
  solid.Add(Palette16[4], {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}})
      .Add(Palette16[9], {{0, 0, 10}, {20, 0, 10}, {20, 20, 10}, {0, 20, 10}})
      .Add(NoFill,
           {{0, 0, 20}, {20, 0, 20}, {30, 10, 20}, {20, 20, 20}, {0, 20, 20}, {-10, 10, 20}});
  QTemporaryDir dir;
  std::string error;
  ASSERT_TRUE(WriteObjFile(*solid, PathIn(dir, "knot.obj"), true, &error)) << error;
  const ToolResult r = RunTool(assimp, {"info", dir.filePath("knot.obj")});
  ASSERT_EQ(r.code, 0) << r.err;
  // Per mesh: (name): [vertices / bones / faces after triangulation.
  EXPECT_NE(r.out.find("(wlg4): [3 / 0 / 1 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("(wlg9): [4 / 0 / 2 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("(wlg16): [6 / 0 / 4 "), std::string::npos) << r.out;
}

// The validator accepts the odd cases and a solid with nothing to show.
TEST(SolidExportReaders, GltfValidatorFindsNothingToReport) {
  const QString node = QStandardPaths::findExecutable("node");
  if (node.isEmpty()) GTEST_SKIP() << "node is not installed";
  QTemporaryDir dir;
  TestSolid empty;
  std::string error;
  for (const char* name : {"cases.glb", "cases.gltf"})
    ASSERT_TRUE(WriteGltfFile(*GltfCases(), PathIn(dir, name), &error)) << error;
  ASSERT_TRUE(WriteGltfFile(*empty, PathIn(dir, "empty.glb"), &error)) << error;
  const ToolResult r = RunTool(
      node, {QString(WHIRLIGONS_TESTS_DIR) + "/support/gltf-validate.js", dir.filePath("cases.glb"),
             dir.filePath("cases.gltf"), dir.filePath("empty.glb")});
  if (r.code == 3 && qEnvironmentVariableIsEmpty("CI")) GTEST_SKIP() << r.err;
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(QByteArray::fromStdString(r.out).count(": 0 errors, 0 warnings\n"), 3) << r.out;
  EXPECT_TRUE(ReadAll(PathIn(dir, "cases.gltf")).contains("\"generator\": \"Whirligons\""));
}

TEST(SolidExportReaders, Tovrmlx3dReadsTheSceneWithoutComplaint) {
  const QString tool = QStandardPaths::findExecutable("tovrmlx3d");
  if (tool.isEmpty()) GTEST_SKIP() << "tovrmlx3d is not installed";
  QTemporaryDir dir;
  for (const bool lines : {false, true}) {
    VrmlOptions options;
    options.lines = options.smooth = lines;
    TestSolid solid = Cube();
    solid.Add(NoFill, {{0, 0, 40}, {20, 0, 40}, {0, 20, 40}});
    std::string error;
    const std::string path = PathIn(dir, lines ? "lines.wrl" : "plain.wrl");
    ASSERT_TRUE(WriteVrmlFile(*solid, options, nullptr, path, &error)) << error;
    const ToolResult r = RunTool(tool, {QString::fromStdString(path), "--encoding", "classic"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "");  // it exits 0 even on warnings
    EXPECT_NE(r.out.find("0, 1, 2, 3, -1,"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("IndexedLineSet") != std::string::npos, lines);
    EXPECT_NE(r.out.find("ROUTE MyRotate.rotation_changed TO Knot.set_rotation"),
              std::string::npos);
  }
}

}  // namespace
}  // namespace wlg
