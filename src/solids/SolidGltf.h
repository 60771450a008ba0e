#pragma once
// The recorded solid as a glTF 2.0 asset: one mesh with a primitive and a
// material for each colour group the solid uses, in the coordinates of the
// OBJ file but unrounded, so faces are planar. Every polygon is split into triangles that turn
// counter-clockwise seen from outside the solid, with its own outward normal at each corner.

#include <array>
#include <string>
#include <vector>

#include "designer/DesignModel.h"

namespace wlg {

// One colour group's triangles: three floats a vertex, three indices a
// triangle into this group's own vertices.
struct GltfGroup {
  int group = 0;  // PaletteGroup of its polygons
  std::vector<float> positions, normals;
  std::vector<uint32_t> indices;
};

// The groups in ascending order, only those with a triangle. Polygons and
// triangles of no area are left out.
std::vector<GltfGroup> GltfGroups(const SolidPolyList& solid);

// A palette colour's glTF base colour: sRGB channels made linear, alpha 1.
// The unfilled group is the grey that the materials file gives it.
std::array<double, 4> GltfBaseColour(int group);

// The whole asset: binary (.glb) or JSON text with the buffer embedded.
std::string GltfBytes(const SolidPolyList& solid, bool binary);

// Writes "path" atomically: JSON text when its extension is .gltf (in any
// case), binary otherwise. False with the file and the reason in *error.
bool WriteGltfFile(const SolidPolyList& solid, const std::string& path, std::string* error);

}  // namespace wlg
