#pragma once
// The 3D window's model exports: the recorded solid as a Wavefront OBJ mesh
// with its materials, as a VRML 2.0 scene and (SolidGltf.h) as glTF. All
// read SolidPolyList (PolyCount is the index of the last polygon after a
// build) and write their files atomically.

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "designer/DesignModel.h"
#include "platform/Prompts.h"

namespace wlg {

class ProgressReporter;

struct VrmlOptions {
  bool lines = false;                // "VRML &Lines": an IndexedLineSet over the same polygons
  bool smooth = false;               // "VRML &Smooth": creaseAngle 99 instead of 0.5
  Colour background = Palette16[8];  // the palette colour of vsBack3D(1)
};

// ---- shared by the mesh writers

// The colour group of a polygon: its palette index 0..15, or UnfilledGroup
// for no fill and colours outside the palette.
constexpr int UnfilledGroup = 16;
int PaletteGroup(Colour colour);

// A recorded vertex in scene units: mirrored in x, a twentieth of the
// recorded size, pushed 4 units back. The solid's centre lands on SceneCentre.
std::array<float, 3> ScenePoint(const SolidPolyList& s, int j);
// The same point from the unrounded vertices where the list has them.
std::array<double, 3> ExactScenePoint(const SolidPolyList& s, int j);
constexpr std::array<float, 3> SceneCentre = {0, 0, 4};

// Calls visit(f, vertices) for the polygons 0..PolyCount, each with its
// vertices' indices into Vert*. Ranges are clamped to the arrays so that a
// damaged list cannot read past them.
template <class Visit>
void ForEachPolygon(const SolidPolyList& s, Visit visit) {
  const int last = std::min(s.PolyCount, SolidPolyCapacity - 1);
  std::vector<int> vertices;
  for (int f = 0; f <= last; ++f) {
    vertices.clear();
    for (int k = 0; k <= s.PolyLastPoint[f]; ++k) {
      const long j = static_cast<long>(s.PolyFirstPoint[f]) + k;
      if (j < 0 || j >= SolidVertCapacity) break;
      vertices.push_back(static_cast<int>(j));
    }
    visit(f, vertices);
  }
}

// ---- OBJ and its materials

// The materials file beside an OBJ file: its name up to the last "." of the
// file name (all of it when there is none) plus ".mtl".
std::string MtlPath(const std::string& objPath);

// The whole files' texts (CR LF line ends). The OBJ names its materials file
// 'mtlName' (a bare file name) and each group's material, wlgN for group N;
// the materials file has one wlgN for each group the solid uses.
// 'exact' writes the unrounded corners with seven decimals instead of the
// rounded ones with three.
std::string ObjText(const SolidPolyList& solid, const std::string& mtlName, bool exact = false);
std::string MtlText(const SolidPolyList& solid);
std::string VrmlText(const SolidPolyList& solid, const VrmlOptions& options,
                     ProgressReporter* progress);

// Write the file; false with the reason on failure, leaving no partial file
// and any earlier file as it was. The OBJ writes MtlPath(path) first, unless
// 'replaceMtl' is false and that file exists already: then it stays as it is
// and the OBJ still names it.
bool WriteObjFile(const SolidPolyList& solid, const std::string& path, bool replaceMtl,
                  std::string* error, bool exact = false);
bool WriteVrmlFile(const SolidPolyList& solid, const VrmlOptions& options,
                   ProgressReporter* progress, const std::string& path, std::string* error);

// The save dialogs of the commands; the window fills in the name offered.
FileDialogRequest VrmlSaveDialog();
FileDialogRequest ObjSaveDialog();
FileDialogRequest GltfSaveDialog();

}  // namespace wlg
