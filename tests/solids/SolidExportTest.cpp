#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/Progress.h"
#include "solids/SolidExport.h"

namespace wlg {
namespace {

using Vertex = std::array<float, 3>;

// A recorded solid built polygon by polygon, as the builder leaves it:
// PolyCount is the index of the last polygon.
class Solid {
 public:
  Solid() : s_(std::make_unique<SolidPolyList>()) { s_->PolyCount = -1; }

  Solid& Add(Colour colour, const std::vector<Vertex>& vertices) {
    const int f = ++s_->PolyCount;
    s_->PolyColour[f] = colour;
    s_->PolyFirstPoint[f] = s_->VertCount;
    s_->PolyLastPoint[f] = static_cast<int>(vertices.size()) - 1;
    for (const Vertex& v : vertices) {
      s_->VertX[s_->VertCount] = v[0];
      s_->VertY[s_->VertCount] = v[1];
      s_->VertZ[s_->VertCount] = v[2];
      ++s_->VertCount;
    }
    return *this;
  }
  const SolidPolyList& operator*() const { return *s_; }

 private:
  std::unique_ptr<SolidPolyList> s_;
};

// Six squares of side 40 round the origin, each listing its own four corners.
Solid Cube() {
  const std::array<Vertex, 8> c = {{{-20, -20, -20},
                                    {20, -20, -20},
                                    {20, 20, -20},
                                    {-20, 20, -20},
                                    {-20, -20, 20},
                                    {20, -20, 20},
                                    {20, 20, 20},
                                    {-20, 20, 20}}};
  const int faces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 4, 5, 1},
                           {1, 5, 6, 2}, {2, 6, 7, 3}, {3, 7, 4, 0}};
  Solid solid;
  for (int f = 0; f < 6; ++f)
    solid.Add(Palette16[f + 9], {c[faces[f][0]], c[faces[f][1]], c[faces[f][2]], c[faces[f][3]]});
  return solid;
}

// Splits at CR LF; a bare LF anywhere fails the test.
std::vector<std::string> Lines(const std::string& text) {
  EXPECT_TRUE(text.size() >= 2 && text.substr(text.size() - 2) == "\r\n");
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1) {
    EXPECT_TRUE(at > start && text[at - 1] == '\r') << "bare LF after line " << lines.size();
    lines.push_back(text.substr(start, at - start - 1));
  }
  return lines;
}

// The lines after 'open' up to (not including) the next 'close'.
std::vector<std::string> Block(const std::vector<std::string>& lines, const std::string& open,
                               const std::string& close) {
  std::vector<std::string> block;
  auto it = std::find(lines.begin(), lines.end(), open);
  EXPECT_NE(it, lines.end()) << open;
  if (it == lines.end()) return block;
  for (++it; it != lines.end() && *it != close; ++it) block.push_back(*it);
  return block;
}

std::string Vrml(const Solid& solid, VrmlOptions options = {}) {
  return VrmlText(*solid, options, nullptr);
}
std::string FindLine(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const auto& l : lines)
    if (l.rfind(prefix, 0) == 0) return l;
  return "(missing " + prefix + ")";
}

// ---- OBJ ----

TEST(ObjExport, TriangleOfPaletteColourFourIsWrittenInSceneUnitsWithItsFace) {
  Solid solid;
  solid.Add(Palette16[4], {{20, 40, 0}, {-20, 0, 10}, {10, -20, 20}});
  EXPECT_EQ(ObjText(*solid),
            "#Object format knot produced by Whirligons\r\n"
            "g wlg4\r\n"
            "v -1.000 2.000 4.000\r\n"
            "v 1.000 0.000 4.500\r\n"
            "v -0.500 -1.000 5.000\r\n"
            "f  1  2  3 \r\n"
            "\r\n");
}

TEST(ObjExport, EachFaceFollowsItsOwnGroupAndVerticesAreNumberedOnAcrossPolygons) {
  std::vector<Vertex> ten;
  for (int i = 0; i < 10; ++i) ten.push_back({float(i), float(i * i), 0});
  Solid solid;
  solid
      .Add(Palette16[0], {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}})  // black is palette 0
      .Add(NoFill, ten)
      .Add(Rgb(1, 2, 3), {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}})  // outside the palette
      .Add(Palette16[15], {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}});
  const auto lines = Lines(ObjText(*solid));

  std::vector<std::string> groups, faces;
  for (size_t i = 1; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].substr(0, 5), "g wlg") << i;
    groups.push_back(lines[i]);
    size_t vertices = 0;
    while (lines[++i].rfind("v ", 0) == 0) ++vertices;
    faces.push_back(lines[i]);
    ASSERT_EQ(lines[++i], "");
    EXPECT_EQ(vertices, groups.size() == 2 ? 10u : 3u);
  }
  EXPECT_EQ(groups, (std::vector<std::string>{"g wlg0", "g wlg16", "g wlg16", "g wlg15"}));
  EXPECT_EQ(faces, (std::vector<std::string>{"f  1  2  3 ", "f  4  5  6  7  8  9  10  11  12  13 ",
                                             "f  14  15  16 ", "f  17  18  19 "}));
}

// ---- VRML ----

TEST(VrmlExport, CubeMergesItsTwentyFourCornersIntoEightPoints) {
  const auto lines = Lines(Vrml(Cube()));
  const auto points = Block(lines, "coord Coordinate {point [", "] }");
  EXPECT_EQ(points, (std::vector<std::string>{"1.000 -1.000 3.000", "-1.000 -1.000 3.000",
                                              "-1.000 1.000 3.000", "1.000 1.000 3.000",
                                              "1.000 -1.000 5.000", "1.000 1.000 5.000",
                                              "-1.000 1.000 5.000", "-1.000 -1.000 5.000"}));
  EXPECT_EQ(
      Block(lines, "coordIndex [", "] } } "),
      (std::vector<std::string>{" 0 , 1 , 2 , 3 ,-1", " 4 , 5 , 6 , 7 ,-1", " 0 , 4 , 7 , 1 ,-1",
                                " 1 , 7 , 6 , 2 ,-1", " 2 , 6 , 5 , 3 ,-1", " 3 , 5 , 4 , 0 ,-1"}));
}

TEST(VrmlExport, SingleTriangleAndTheStrictMergeTolerance) {
  Solid triangle;
  triangle.Add(Palette16[2], {{20, 40, 0}, {-20, 0, 10}, {10, -20, 20}});
  auto lines = Lines(Vrml(triangle));
  EXPECT_EQ(
      Block(lines, "coord Coordinate {point [", "] }"),
      (std::vector<std::string>{"-1.000 2.000 4.000", "1.000 0.000 4.500", "-0.500 -1.000 5.000"}));
  EXPECT_EQ(Block(lines, "coordIndex [", "] } } "), (std::vector<std::string>{" 0 , 1 , 2 ,-1"}));

  // Point 0 at x 0 and point 1 at x 0.15: a vertex within 0.1 of both takes
  // the lower index even when nearer the other (also when the other comes
  // first along x, as 7 and 8 do). 0.1 apart is not merged, nor is a vertex
  // close in x and y but not in z, even across polygons. Vertices either
  // side of zero, a quarter or -100 still merge.
  Solid near;
  near.Add(
          NoFill,
          {{0, 0, 0}, {0.15f, 0, 0}, {0.08f, 0.05f, -0.05f}, {0.2f, 0, 0}, {0, 5, 0}, {0.1f, 5, 0}})
      .Add(NoFill, {{0.05f, 0, 0.15f},
                    {-0.02f, 0.01f, 0.01f},
                    {0.24f, 0.24f, 0.24f},
                    {0.26f, 0.26f, 0.26f},
                    {-100.01f, 5, 5},
                    {-99.95f, 5, 5},
                    {0.32f, 10, 0},
                    {0.2f, 10, 0},
                    {0.26f, 10, 0}});
  lines = Lines(Vrml(near));
  EXPECT_EQ(Block(lines, "coordIndex [", "] } } "),
            (std::vector<std::string>{" 0 , 1 , 0 , 1 , 2 , 3 ,-1",
                                      " 4 , 0 , 5 , 5 , 6 , 6 , 7 , 8 , 7 ,-1"}));
  EXPECT_EQ(Block(lines, "coord Coordinate {point [", "] }").size(), 9u);
}

TEST(VrmlExport, HeaderAndAnimationLinesAreExact) {
  const auto lines = Lines(Vrml(Cube()));
  const std::vector<std::string> head = {
      "#VRML V2.0 utf8",
      "WorldInfo {",
      "title \"Whirligons\"",
      "info [",
      "\"Description: Whirligons\"",
      "\"Programming: Whirligons developers\"",
      "\"Created: January 2002\"",
      "] }",
      "#You can change the lighting manually by removing the comment before the appropriate line",
      "NavigationInfo {headlight TRUE type \"ALL\"}",
      "#DirectionalLight {}",
      "#SpotLight {location 0 0 25}",
      "PointLight {location 0 10 10}",
      "PointLight {location 10 -10 0}",
      "Viewpoint {position 0 0 20}",
      "#You can remove the Background by adding a # in front of the next line",
      "Background {skyColor  .5 , .5 , .5 }",
      "DEF Knot Transform {children [ DEF Click TouchSensor { } DEF MyRotate SphereSensor { }",
      "Shape { appearance Appearance {material Material {diffuseColor 0  0  1  }}",
      "geometry IndexedFaceSet { creaseAngle 0.5",
      "  solid TRUE",
      " convex TRUE",
      "  colorPerVertex FALSE",
      "  color Color{",
      "    color ["};
  const std::vector<std::string> tail = {"] } } ",
                                         "] }",
                                         "DEF s Script {",
                                         "eventIn SFTime touch",
                                         "eventOut SFBool flag",
                                         "url \"javascript: function touch () {flag = false; }\"}",
                                         "DEF myClock TimeSensor { cycleInterval 30.0 loop TRUE }",
                                         "DEF Animation OrientationInterpolator {",
                                         "key [ 0,      .33,       .66,        1.0 ]",
                                         "keyValue [ 0 1 0 0, 0 1 0 2.1, 0 1 0 4.2, 0 1 0 0 ]}",
                                         "ROUTE Click.touchTime TO myClock.stopTime",
                                         "ROUTE Click.touchTime TO s.touch",
                                         "ROUTE s.flag TO Click.enabled",
                                         "ROUTE myClock.fraction_changed TO Animation.set_fraction",
                                         "ROUTE Animation.value_changed TO Knot.rotation",
                                         "ROUTE MyRotate.rotation_changed TO Knot.set_rotation"};
  ASSERT_GT(lines.size(), head.size() + tail.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + head.size()), head);
  EXPECT_EQ(std::vector<std::string>(lines.end() - tail.size(), lines.end()), tail);
  const auto close = std::find(lines.begin(), lines.end(), "   ]");
  ASSERT_EQ(close - lines.begin(), static_cast<long>(head.size() + 6));  // six colours
  EXPECT_EQ(close[1], " }");
  EXPECT_EQ(close[2], "coord Coordinate {point [");
}

TEST(VrmlExport, BackgroundChannelsAreZeroOrHalf) {
  const auto background = [](Colour colour) {
    VrmlOptions options;
    options.background = colour;
    return FindLine(Lines(Vrml(Cube(), options)), "Background");
  };
  EXPECT_EQ(background(Palette16[0]), "Background {skyColor  0 , 0 , 0 }");
  EXPECT_EQ(background(Palette16[15]), "Background {skyColor  .5 , .5 , .5 }");
  EXPECT_EQ(background(Rgb(128, 127, 255)), "Background {skyColor  .5 , 0 , .5 }");
}

TEST(VrmlExport, ColourListAndDiffuseColourOfPolygonZero) {
  Solid solid;
  const std::vector<Vertex> tri = {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}};
  solid.Add(NoFill, tri)
      .Add(Palette16[0], tri)
      .Add(Rgb(128, 255, 0), tri)
      .Add(Rgb(0, 64, 255), tri);
  const auto lines = Lines(Vrml(solid));
  EXPECT_EQ(Block(lines, "    color [", "   ]"),
            (std::vector<std::string>{"1,1,1", "0,0,0", "0.5019608,1,0", "0,0.2509804,1"}));
  // An unfilled polygon 0 splits its -1 into a small negative red.
  EXPECT_EQ(FindLine(lines, "Shape { appearance"),
            "Shape { appearance Appearance {material Material {diffuseColor-.003921569  0  0  }}");

  Solid coloured;
  coloured.Add(Rgb(128, 0, 255), tri);
  EXPECT_EQ(FindLine(Lines(Vrml(coloured)), "Shape { appearance"),
            "Shape { appearance Appearance {material Material {diffuseColor .5019608  0  1  }}");
}

TEST(VrmlExport, SmoothChangesOnlyTheCreaseAngle) {
  VrmlOptions smooth;
  smooth.smooth = true;
  const auto flat = Lines(Vrml(Cube()));
  const auto round = Lines(Vrml(Cube(), smooth));
  ASSERT_EQ(flat.size(), round.size());
  std::vector<std::pair<std::string, std::string>> differences;
  for (size_t i = 0; i < flat.size(); ++i)
    if (flat[i] != round[i]) differences.emplace_back(flat[i], round[i]);
  EXPECT_EQ(differences, (std::vector<std::pair<std::string, std::string>>{
                             {"geometry IndexedFaceSet { creaseAngle 0.5",
                              "geometry IndexedFaceSet { creaseAngle 99"}}));
}

TEST(VrmlExport, LinesAddASecondShapeWithTheSamePointsAndIndexLines) {
  VrmlOptions withLines;
  withLines.lines = true;
  const std::string off = Vrml(Cube());
  const std::string on = Vrml(Cube(), withLines);
  EXPECT_EQ(off.find("IndexedLineSet"), std::string::npos);

  // Expected: the face set's points and index block again, inside a line set
  // placed right after the face set's index block.
  const std::string pointsOpen = "coord Coordinate {point [\r\n";
  const size_t pointsAt = off.find(pointsOpen) + pointsOpen.size();
  const size_t indexAt = off.find("coordIndex [\r\n");
  const std::string indexClose = "] } } \r\n";
  const size_t tailAt = off.find(indexClose) + indexClose.size();
  const std::string points = off.substr(pointsAt, off.find("] }\r\n", pointsAt) - pointsAt);
  const std::string index = off.substr(indexAt, tailAt - indexAt);
  const std::string lineSet =
      "Shape {\r\nappearance Appearance {\r\nmaterial Material {\r\n}\r\n}\r\n"
      "geometry IndexedLineSet {\r\ncoord Coordinate {\r\npoint [\r\n" +
      points + "] }\r\n" + index;
  EXPECT_EQ(on, off.substr(0, tailAt) + lineSet + off.substr(tailAt));
}

// Records 0 (shown), the intermediate captions and 100 (hidden).
struct ProgressLog {
  frmProgress form;
  ProgressReporter reporter{form};
  std::vector<std::string> seen;
  ProgressLog() {
    reporter.state.text = "something else";
    form.onRefresh = [this] {
      if (form.Visible() && form.Caption() == "Saving VRML2...") seen.push_back("0");
    };
    reporter.letPendingInputRun = [this] {
      const std::string& c = form.Caption();
      seen.push_back(c.substr(0, 15) == "Saving VRML2..." ? c.substr(15) : c);
    };
  }
};

TEST(VrmlExport, ProgressRunsFromZeroThroughTheStepsToAHundred) {
  // 16 polygons: steps at f = 1, 3, 5, ... since the next step rounds
  // 1.5 + f to even (2.5 -> 2, 4.5 -> 4, ...).
  Solid solid;
  for (int f = 0; f < 16; ++f) solid.Add(Palette16[f], {{float(f), 0, 0}, {20, 0, 0}, {0, 20, 0}});
  ProgressLog log;
  VrmlText(*solid, {}, &log.reporter);
  EXPECT_EQ(log.seen, (std::vector<std::string>{"0", "10%", "16%", "27%", "38%", "50%", "61%",
                                                "72%", "84%", "95%", "95%"}));
  EXPECT_FALSE(log.form.Visible());
  EXPECT_EQ(log.form.Caption(), "Saving VRML2... 100%");
}

// ---- files ----

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

TEST(SolidExportFiles, WritesReplaceAnEarlierFileAndLeaveNothingElseBehind) {
  QTemporaryDir dir;
  const std::string obj = PathIn(dir, "knot.obj"), wrl = PathIn(dir, "knot.wrl");
  std::string error;
  ASSERT_TRUE(WriteObjFile(*Cube(), obj, &error)) << error;
  ASSERT_TRUE(WriteVrmlFile(*Cube(), {}, nullptr, wrl, &error)) << error;
  Solid triangle;
  triangle.Add(Palette16[4], {{20, 40, 0}, {-20, 0, 10}, {10, -20, 20}});
  ASSERT_TRUE(WriteObjFile(*triangle, obj, &error)) << error;
  EXPECT_EQ(ReadAll(obj).toStdString(), ObjText(*triangle));
  EXPECT_EQ(ReadAll(wrl).toStdString(), Vrml(Cube()));
  EXPECT_EQ(Entries(dir), (QStringList{"knot.obj", "knot.wrl"}));
}

TEST(SolidExportFiles, AFailedWriteReportsWhyAndLeavesNoFile) {
  QTemporaryDir dir;
  const std::string missing = PathIn(dir, "no such folder/knot.wrl");
  std::string error;
  ProgressLog log;
  EXPECT_FALSE(WriteVrmlFile(*Cube(), {}, &log.reporter, missing, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(log.form.Visible());  // the dialog closes even so
  error.clear();
  EXPECT_FALSE(WriteObjFile(*Cube(), PathIn(dir, "no such folder/knot.obj"), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(Entries(dir).isEmpty());
}

TEST(SolidExportFiles, AnUnwritableFolderKeepsTheEarlierFile) {
  QTemporaryDir dir;
  std::string error;
  const std::string earlier = PathIn(dir, "knot.obj");
  {
    QFile f(QString::fromStdString(earlier));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
  }
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
  QFile probe(dir.filePath("probe"));
  if (probe.open(QIODevice::WriteOnly)) {
    probe.remove();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    GTEST_SKIP() << "folder permissions are not enforced for this user";
  }
  EXPECT_FALSE(WriteObjFile(*Cube(), earlier, &error));
  EXPECT_FALSE(error.empty());
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(ReadAll(earlier), "old");
  EXPECT_EQ(Entries(dir), QStringList{"knot.obj"});
}

TEST(SolidExportDialogs, OfferedNamesSwapTheExtensionAfterTheFirstCharacter) {
  EXPECT_EQ(VrmlDialogName("knot.bmp"), "knot.wrl");
  EXPECT_EQ(VrmlDialogName("knot.obj"), "knot.wrl");
  EXPECT_EQ(VrmlDialogName("/a/knot.bmp.old"), "/a/knot.wrl");
  EXPECT_EQ(VrmlDialogName("x.obj.bmp"), "x.obj.wrl");  // ".bmp" wins wherever it is
  EXPECT_EQ(VrmlDialogName(".bmp.obj"), ".bmp.wrl");    // ".bmp" at the start does not count
  EXPECT_EQ(VrmlDialogName(".obj"), ".obj");
  EXPECT_EQ(VrmlDialogName("KNOT.BMP"), "KNOT.BMP");
  EXPECT_EQ(VrmlDialogName("knot.wrl"), "knot.wrl");
  EXPECT_EQ(VrmlDialogName(""), "");

  EXPECT_EQ(ObjDialogName("knot.wrl"), "knot.obj");
  EXPECT_EQ(ObjDialogName("knot.bmp"), "knot.obj");
  EXPECT_EQ(ObjDialogName("knot.obj"), "knot.obj");
  EXPECT_EQ(ObjDialogName("x.wrl.bmp"), "x.wrl.obj");

  const FileDialogRequest vrml = VrmlSaveDialog("knot.bmp");
  EXPECT_EQ(vrml.title, "Saving 3D Whirligon as VRML");
  EXPECT_EQ(vrml.filter, "VRML files|*.wrl");
  EXPECT_EQ(vrml.defaultExt, "wrl");
  EXPECT_EQ(vrml.initialName, "knot.wrl");
  EXPECT_TRUE(vrml.confirmOverwrite);
  const FileDialogRequest obj = ObjSaveDialog("knot.wrl");
  EXPECT_EQ(obj.title, "Saving 3D Whirligon as OBJ");
  EXPECT_EQ(obj.filter, "OBJ files|*.obj");
  EXPECT_EQ(obj.defaultExt, "obj");
  EXPECT_EQ(obj.initialName, "knot.obj");
}

// ---- outside readers ----

struct ToolResult {
  int code = -1;
  std::string out, err;
};
ToolResult RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  ToolResult r;
  if (!p.waitForFinished(60000)) return r;
  r.code = p.exitCode();
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

TEST(SolidExportReaders, AssimpKeepsEachColourGroupWithItsOwnFaces) {
  const QString assimp = QStandardPaths::findExecutable("assimp");
  if (assimp.isEmpty()) GTEST_SKIP() << "assimp is not installed";
  Solid solid;
  solid.Add(Palette16[4], {{0, 0, 0}, {20, 0, 0}, {0, 20, 0}})
      .Add(Palette16[9], {{0, 0, 10}, {20, 0, 10}, {20, 20, 10}, {0, 20, 10}})
      .Add(NoFill,
           {{0, 0, 20}, {20, 0, 20}, {30, 10, 20}, {20, 20, 20}, {0, 20, 20}, {-10, 10, 20}});
  QTemporaryDir dir;
  std::string error;
  ASSERT_TRUE(WriteObjFile(*solid, PathIn(dir, "knot.obj"), &error)) << error;
  const ToolResult r = RunTool(assimp, {"info", dir.filePath("knot.obj")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Vertices:           13"), std::string::npos) << r.out;
  // Per mesh: (name): [vertices / bones / faces after triangulation.
  EXPECT_NE(r.out.find("(wlg4): [3 / 0 / 1 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("(wlg9): [4 / 0 / 2 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("(wlg16): [6 / 0 / 4 "), std::string::npos) << r.out;
}

TEST(SolidExportReaders, Tovrmlx3dReadsTheSceneWithoutComplaint) {
  const QString tool = QStandardPaths::findExecutable("tovrmlx3d");
  if (tool.isEmpty()) GTEST_SKIP() << "tovrmlx3d is not installed";
  QTemporaryDir dir;
  for (const bool lines : {false, true}) {
    VrmlOptions options;
    options.lines = lines;
    options.smooth = lines;
    Solid solid = Cube();
    solid.Add(NoFill, {{0, 0, 40}, {20, 0, 40}, {0, 20, 40}});
    std::string error;
    const std::string path = PathIn(dir, lines ? "lines.wrl" : "plain.wrl");
    ASSERT_TRUE(WriteVrmlFile(*solid, options, nullptr, path, &error)) << error;
    const ToolResult r = RunTool(tool, {QString::fromStdString(path), "--encoding", "classic"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("IndexedFaceSet"), std::string::npos);
    EXPECT_NE(r.out.find("0, 1, 2, 3, -1,"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("IndexedLineSet") != std::string::npos, lines);
    EXPECT_NE(r.out.find("ROUTE MyRotate.rotation_changed TO Knot.set_rotation"),
              std::string::npos);
  }
}

}  // namespace
}  // namespace wlg
