#include "solids/SolidExport.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "controls/Progress.h"
#include "platform/Numbers.h"
#include "platform/SafeFile.h"
#include "solids/MergedPoints.h"
#include "solids/VrmlNumbers.h"

namespace wlg {

namespace {

void Line(std::string& out, std::string_view text) {
  out += text;
  out += "\r\n";
}

std::string PointLine(const SolidPolyList& s, int j) {
  const auto [x, y, z] = ScenePoint(s, j);
  return Fixed3(x) + " " + Fixed3(y) + " " + Fixed3(z);
}

// Seven decimals keep a scene unit's corners to a ten-millionth, below
// what a single-precision reader holds anyway.
std::string ExactPointLine(const SolidPolyList& s, int j) {
  const auto [x, y, z] = ExactScenePoint(s, j);
  char text[96];
  std::snprintf(text, sizeof text, "%.7f %.7f %.7f", x, y, z);
  return text;
}

// The colour number as the signed 32-bit value it is stored as, so that an
// unfilled polygon (all bits set) is negative.
int32_t Signed(Colour c) { return static_cast<int32_t>(c); }

struct Channels {
  float red, green, blue;
};
// Integer division truncates towards zero and the remainder keeps the
// dividend's sign, so -1 splits into red -1, green 0, blue 0.
Channels ChannelsOf(Colour colour) {
  const int32_t c = Signed(colour);
  return {static_cast<float>(c % 256) / 255.0f, static_cast<float>((c / 256) % 256) / 255.0f,
          static_cast<float>(c / 65536) / 255.0f};
}

std::string GroupName(int group) { return "wlg" + std::to_string(group); }

// ---- VRML ----

void Report(ProgressReporter* progress, int percent) {
  if (progress) progress->ShowProgress(percent);
}

void VrmlColours(std::string& out, const SolidPolyList& solid, const VrmlOptions& options) {
  const Channels first = ChannelsOf(solid.PolyColour[0]);
  Line(out, "Shape { appearance Appearance {material Material {diffuseColor" +
                PrintStyle(first.red) + PrintStyle(first.green) + PrintStyle(first.blue) + " }}");
  Line(out, options.smooth ? "geometry IndexedFaceSet { creaseAngle 99"
                           : "geometry IndexedFaceSet { creaseAngle 0.5");
  Line(out, "  solid TRUE");
  Line(out, " convex TRUE");
  Line(out, "  colorPerVertex FALSE");
  Line(out, "  color Color{");
  Line(out, "    color [");
  ForEachPolygon(solid, [&](int f, const std::vector<int>&) {
    const Colour colour = solid.PolyColour[f];
    if (Signed(colour) < 0) {
      Line(out, "1,1,1");  // unfilled: white
      return;
    }
    const Channels c = ChannelsOf(colour);
    Line(out, PlainStyle(c.red) + "," + PlainStyle(c.green) + "," + PlainStyle(c.blue));
  });
  Line(out, "   ]");
  Line(out, " }");
}

// The scene up to the animation block's end; progress 0 .. 95 on the way.
std::string VrmlBody(const SolidPolyList& solid, const VrmlOptions& options,
                     ProgressReporter* progress) {
  if (progress) progress->state.text = "Saving VRML2...";
  Report(progress, 0);

  std::string out;
  out += VrmlSceneOpening("0 0 20", options.background);
  VrmlColours(out, solid, options);
  Report(progress, 10);

  // The index lines and the line set's points are gathered in memory rather
  // than in scratch files in the program's folder, which may be read-only.
  std::string indexLines;
  std::string edgePoints;
  Line(indexLines, "coordIndex [");
  Line(out, "coord Coordinate {point [");

  MergedPoints merged(std::max(solid.VertCount, 0) + 1);
  const int polyCount = solid.PolyCount;
  long nextStep = 0;
  ForEachPolygon(solid, [&](int f, const std::vector<int>& vertices) {
    std::string indices;
    for (const int j : vertices) {
      long i = merged.Find(solid.VertX[j], solid.VertY[j], solid.VertZ[j]);
      if (i < 0) {
        i = merged.Add(solid.VertX[j], solid.VertY[j], solid.VertZ[j]);
        const std::string point = PointLine(solid, j);
        Line(out, point);
        if (options.lines) Line(edgePoints, point);
      }
      indices += IndexForm(i);
    }
    Line(indexLines, indices + "-1");
    if (f > nextStep) {
      Report(progress, static_cast<int>(RoundHalfEven(f * 85.0 / polyCount + 10)));
      nextStep = static_cast<long>(RoundHalfEven(polyCount / 10.0 + f));
    }
  });
  Line(out, "] }");
  Line(indexLines, "] } } ");
  out += indexLines;

  if (options.lines) {
    // The same points and index lines again, drawn as open polylines.
    for (const char* text : {"Shape {", "appearance Appearance {", "material Material {", "}", "}",
                             "geometry IndexedLineSet {", "coord Coordinate {", "point ["})
      Line(out, text);
    out += edgePoints;
    Line(out, "] }");
    out += indexLines;
  }
  Report(progress, 95);

  out += VrmlSceneClosing();
  return out;
}

}  // namespace

int PaletteGroup(Colour colour) {
  for (int i = 0; i < 16; ++i)
    if (Palette16[i] == colour) return i;
  return UnfilledGroup;
}

std::array<float, 3> ScenePoint(const SolidPolyList& s, int j) {
  return {-s.VertX[j] / 20, s.VertY[j] / 20, s.VertZ[j] / 20 + SceneCentre[2]};
}

std::array<double, 3> ExactScenePoint(const SolidPolyList& s, int j) {
  const size_t at = static_cast<size_t>(j);
  if (at >= s.ExactX.size() || at >= s.ExactY.size() || at >= s.ExactZ.size()) {
    const auto [x, y, z] = ScenePoint(s, j);
    return {x, y, z};
  }
  return {-s.ExactX[at] / 20, s.ExactY[at] / 20, s.ExactZ[at] / 20 + SceneCentre[2]};
}

std::string MtlPath(const std::string& objPath) {
  const size_t slash = objPath.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = objPath.rfind('.');
  const size_t end = dot == std::string::npos || dot < nameStart ? objPath.size() : dot;
  return objPath.substr(0, end) + ".mtl";
}

std::string ObjText(const SolidPolyList& solid, const std::string& mtlName, bool exact) {
  std::string out;
  Line(out, "#Object format knot produced by Whirligons");
  Line(out, "mtllib " + mtlName);
  long n = 1;
  ForEachPolygon(solid, [&](int f, const std::vector<int>& vertices) {
    const std::string group = GroupName(PaletteGroup(solid.PolyColour[f]));
    Line(out, "g " + group);
    Line(out, "usemtl " + group);
    std::string face = "f ";
    for (const int j : vertices) {
      face += " " + std::to_string(n++) + " ";
      Line(out, "v " + (exact ? ExactPointLine(solid, j) : PointLine(solid, j)));
    }
    // Each face right after its own group and vertices: a reader that honours
    // groups then keeps the colour groups apart instead of putting every face
    // into the last group.
    Line(out, face);
    Line(out, "");
  });
  return out;
}

std::string MtlText(const SolidPolyList& solid) {
  std::array<bool, UnfilledGroup + 1> used{};
  ForEachPolygon(solid, [&](int f, const std::vector<int>&) {
    used[PaletteGroup(solid.PolyColour[f])] = true;
  });
  std::string out;
  Line(out, "# Whirligons colour groups");
  for (int g = 0; g <= UnfilledGroup; ++g) {
    if (!used[g]) continue;
    Line(out, "");
    if (g == UnfilledGroup) Line(out, "# unfilled polygons and colours outside the palette");
    Line(out, "newmtl " + GroupName(g));
    // The unfilled group has no colour of its own: a neutral grey.
    const Colour c = g == UnfilledGroup ? 0 : Palette16[g];
    const std::string kd = g == UnfilledGroup
                               ? "0.500 0.500 0.500"
                               : Fixed3(RedOf(c) / 255.0) + " " + Fixed3(GreenOf(c) / 255.0) + " " +
                                     Fixed3(BlueOf(c) / 255.0);
    Line(out, "Kd " + kd);
  }
  return out;
}

std::string VrmlText(const SolidPolyList& solid, const VrmlOptions& options,
                     ProgressReporter* progress) {
  std::string out = VrmlBody(solid, options, progress);
  Report(progress, 100);
  return out;
}

// Both files are built whole in memory and put in place in one step, so a
// failed save never leaves a partial file or spoils an earlier one.
bool WriteObjFile(const SolidPolyList& solid, const std::string& path, bool replaceMtl,
                  std::string* error, bool exact) {
  const std::string mtl = MtlPath(path);
  const std::string mtlName = mtl.substr(mtl.rfind('/') + 1);
  const std::string obj = ObjText(solid, mtlName, exact);
  if (QFileInfo(QString::fromStdString(mtl)).absoluteFilePath() ==
      QFileInfo(QString::fromStdString(path)).absoluteFilePath()) {
    if (error) *error = path + ": the mesh would overwrite its own materials file";
    return false;
  }
  const bool keepMtl = !replaceMtl && QFileInfo(QString::fromStdString(mtl)).isFile();
  if (keepMtl) return WriteFileAtomically(path, obj, error);
  const std::string materials = MtlText(solid);
  return WriteWithCompanion(
      mtl, [&](std::string* why) { return WriteFileAtomically(mtl, materials, why); }, path, obj,
      error);
}

bool WriteVrmlFile(const SolidPolyList& solid, const VrmlOptions& options,
                   ProgressReporter* progress, const std::string& path, std::string* error) {
  const std::string text = VrmlBody(solid, options, progress);
  const bool written = WriteFileAtomically(path, text, error);
  Report(progress, 100);  // closes the dialog whether or not the file was written
  return written;
}

FileDialogRequest VrmlSaveDialog() {
  return {"Saving 3D Whirligon as VRML", "VRML files|*.wrl", "wrl", {}, true};
}

FileDialogRequest ObjSaveDialog() {
  return {"Saving 3D Whirligon as OBJ", "OBJ files|*.obj", "obj", {}, true};
}

FileDialogRequest GltfSaveDialog() {
  return {"Saving 3D Whirligon as glTF", "glTF binary|*.glb|glTF text|*.gltf", "glb", {}, true};
}

}  // namespace wlg
