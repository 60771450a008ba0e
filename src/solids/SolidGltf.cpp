#include "solids/SolidGltf.h"

// The library's code lives in this file alone. Built without file access,
// it still names std::ofstream without including its header.
#include <fstream>
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>

#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <sstream>

#include "platform/SafeFile.h"
#include "solids/SolidExport.h"
#include "solids/Vec3.h"

namespace wlg {

namespace {

// Longer polygons are split as a fan: ear clipping costs the cube of the
// corner count, and only a damaged list has polygons that long.
constexpr size_t kEarClippingLimit = 256;

// Splits one polygon (corners in the order that turns counter-clockwise
// about 'normal') into triangles of corner indices. Ear clipping, so that
// the concave corners of star tiles stay inside; triangles of no area are
// dropped, which keeps collinear corners from making slivers.
void Triangulate(const std::vector<V3>& p, V3 normal, double tiny,
                 std::vector<std::array<int, 3>>& out) {
  auto keep = [&](int a, int b, int c) {
    const V3 n = Cross(p[b] - p[a], p[c] - p[a]);
    if (Dot(n, n) > tiny * tiny && Dot(n, normal) > 0) out.push_back({a, b, c});
  };
  const int n = static_cast<int>(p.size());
  if (static_cast<size_t>(n) > kEarClippingLimit) {
    for (int i = 1; i + 1 < n; ++i) keep(0, i, i + 1);
    return;
  }
  // The plane seen along the normal's largest axis, turned so that
  // counter-clockwise about the normal is counter-clockwise in (u, v).
  const double ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
  const int axis = ax >= ay && ax >= az ? 0 : ay >= az ? 1 : 2;
  const double sign = (axis == 0 ? normal.x : axis == 1 ? normal.y : normal.z) < 0 ? -1 : 1;
  std::vector<std::array<double, 2>> q(n);
  for (int i = 0; i < n; ++i) {
    const double c[3] = {p[i].x, p[i].y, p[i].z};
    q[i] = {c[(axis + 1) % 3], sign * c[(axis + 2) % 3]};
  }
  auto turn = [&](int a, int b, int c) {
    return (q[b][0] - q[a][0]) * (q[c][1] - q[a][1]) - (q[b][1] - q[a][1]) * (q[c][0] - q[a][0]);
  };
  std::vector<int> left(n);
  for (int i = 0; i < n; ++i) left[i] = i;
  while (left.size() > 3) {
    const int m = static_cast<int>(left.size());
    bool clipped = false;
    for (int i = 0; i < m && !clipped; ++i) {
      const int a = left[(i + m - 1) % m], b = left[i], c = left[(i + 1) % m];
      if (turn(a, b, c) < -tiny) continue;  // a concave corner
      bool inside = false;
      for (int k : left)
        if (k != a && k != b && k != c && turn(a, b, k) >= 0 && turn(b, c, k) >= 0 &&
            turn(c, a, k) >= 0)
          inside = true;
      if (inside) continue;
      keep(a, b, c);
      left.erase(left.begin() + i);
      clipped = true;
    }
    if (!clipped) break;  // crossing edges: the rest as a fan
  }
  for (size_t i = 1; i + 1 < left.size(); ++i) keep(left[0], left[i], left[i + 1]);
}

template <class T>
void Append(std::vector<unsigned char>& bytes, const std::vector<T>& values) {
  const size_t at = bytes.size();
  bytes.resize(at + values.size() * sizeof(T));
  if (!values.empty()) std::memcpy(bytes.data() + at, values.data(), values.size() * sizeof(T));
}

double Linear(int channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

std::vector<GltfGroup> GltfGroups(const SolidPolyList& solid) {
  std::array<GltfGroup, UnfilledGroup + 1> groups;
  for (int g = 0; g <= UnfilledGroup; ++g) groups[g].group = g;
  std::vector<V3> corners;
  std::vector<std::array<int, 3>> triangles;
  std::vector<int> placed;
  const V3 centre = {SceneCentre[0], SceneCentre[1], SceneCentre[2]};
  ForEachPolygon(solid, [&](int f, const std::vector<int>& vertices) {
    corners.clear();
    for (const int j : vertices) {
      const auto [x, y, z] = ExactScenePoint(solid, j);
      corners.push_back({x, y, z});
    }
    if (corners.size() < 3) return;
    // Newell's normal, right for concave polygons too, and the polygon's size.
    V3 normal{0, 0, 0}, middle{0, 0, 0};
    double size = 0;
    for (size_t i = 0; i < corners.size(); ++i) {
      const V3 a = corners[i], b = corners[(i + 1) % corners.size()];
      normal.x += (a.y - b.y) * (a.z + b.z);
      normal.y += (a.z - b.z) * (a.x + b.x);
      normal.z += (a.x - b.x) * (a.y + b.y);
      middle = {middle.x + a.x, middle.y + a.y, middle.z + a.z};
      size = std::max({size, std::fabs(a.x - b.x), std::fabs(a.y - b.y), std::fabs(a.z - b.z)});
    }
    const double length = std::sqrt(Dot(normal, normal));
    if (!std::isfinite(length) || !(length > 0)) return;
    normal = {normal.x / length, normal.y / length, normal.z / length};
    // The solid is convex round its centre: outward is away from it. The
    // recorded corner order is not trusted for this, since the builder judges
    // it from the first two edges, which turn the other way at a concave corner.
    const double n = static_cast<double>(corners.size());
    const V3 out = V3{middle.x / n, middle.y / n, middle.z / n} - centre;
    if (Dot(normal, out) < 0) {
      std::reverse(corners.begin(), corners.end());
      normal = {-normal.x, -normal.y, -normal.z};
    }
    triangles.clear();
    Triangulate(corners, normal, 1e-7 * size * size, triangles);
    if (triangles.empty()) return;

    GltfGroup& g = groups[PaletteGroup(solid.PolyColour[f])];
    placed.assign(corners.size(), -1);
    for (const auto& t : triangles)
      for (const int k : t) {
        if (placed[k] < 0) {
          placed[k] = static_cast<int>(g.positions.size() / 3);
          for (double v : {corners[k].x, corners[k].y, corners[k].z})
            g.positions.push_back(static_cast<float>(v));
          for (double v : {normal.x, normal.y, normal.z})
            g.normals.push_back(static_cast<float>(v));
        }
        g.indices.push_back(static_cast<uint32_t>(placed[k]));
      }
  });
  std::vector<GltfGroup> used;
  for (GltfGroup& g : groups)
    if (!g.indices.empty()) used.push_back(std::move(g));
  return used;
}

std::array<double, 4> GltfBaseColour(int group) {
  if (group < 0 || group >= UnfilledGroup) return {Linear(128), Linear(128), Linear(128), 1};
  const Colour c = Palette16[group];
  return {Linear(RedOf(c)), Linear(GreenOf(c)), Linear(BlueOf(c)), 1};
}

std::string GltfBytes(const SolidPolyList& solid, bool binary) {
  const std::vector<GltfGroup> groups = GltfGroups(solid);
  tinygltf::Model model;
  model.asset.version = "2.0";
  model.asset.generator = "Whirligons";

  // One buffer: all positions, then all normals, then all indices. Each
  // accessor has a view of its own, so the views need no stride.
  std::vector<unsigned char> bytes;
  for (const GltfGroup& g : groups) Append(bytes, g.positions);
  const size_t normalsAt = bytes.size();
  for (const GltfGroup& g : groups) Append(bytes, g.normals);
  const size_t indicesAt = bytes.size();
  for (const GltfGroup& g : groups) Append(bytes, g.indices);

  tinygltf::Node node;
  node.name = "Whirligon";
  if (!groups.empty()) {
    tinygltf::Buffer buffer;
    buffer.data = std::move(bytes);
    model.buffers.push_back(std::move(buffer));
    // A view of 'length' bytes at 'offset' read by one accessor.
    auto accessor = [&](size_t offset, size_t length, int target, size_t count, int component,
                        int type) {
      tinygltf::BufferView v;
      v.buffer = 0;
      v.byteOffset = offset;
      v.byteLength = length;
      v.target = target;
      model.bufferViews.push_back(v);
      tinygltf::Accessor a;
      a.bufferView = static_cast<int>(model.bufferViews.size() - 1);
      a.count = count;
      a.componentType = component;
      a.type = type;
      model.accessors.push_back(a);
      return static_cast<int>(model.accessors.size() - 1);
    };

    tinygltf::Mesh mesh;
    mesh.name = "Whirligon";
    size_t vertexAt = 0, indexAt = 0;
    for (const GltfGroup& g : groups) {
      const size_t count = g.positions.size() / 3, length = g.positions.size() * sizeof(float);
      tinygltf::Primitive primitive;
      primitive.mode = TINYGLTF_MODE_TRIANGLES;
      const int position = accessor(vertexAt, length, TINYGLTF_TARGET_ARRAY_BUFFER, count,
                                    TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3);
      // Readers need the positions' bounds; they are those of the floats stored.
      tinygltf::Accessor& p = model.accessors[position];
      p.minValues = {g.positions[0], g.positions[1], g.positions[2]};
      p.maxValues = p.minValues;
      for (size_t i = 0; i < g.positions.size(); ++i) {
        p.minValues[i % 3] = std::min<double>(p.minValues[i % 3], g.positions[i]);
        p.maxValues[i % 3] = std::max<double>(p.maxValues[i % 3], g.positions[i]);
      }
      primitive.attributes["POSITION"] = position;
      primitive.attributes["NORMAL"] =
          accessor(normalsAt + vertexAt, length, TINYGLTF_TARGET_ARRAY_BUFFER, count,
                   TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3);
      primitive.indices = accessor(indicesAt + indexAt, g.indices.size() * sizeof(uint32_t),
                                   TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER, g.indices.size(),
                                   TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR);
      primitive.material = static_cast<int>(model.materials.size());
      mesh.primitives.push_back(primitive);
      vertexAt += length;
      indexAt += g.indices.size() * sizeof(uint32_t);

      tinygltf::Material material;
      material.name = "wlg" + std::to_string(g.group);
      const auto colour = GltfBaseColour(g.group);
      material.pbrMetallicRoughness.baseColorFactor.assign(colour.begin(), colour.end());
      material.pbrMetallicRoughness.metallicFactor = 0;
      material.pbrMetallicRoughness.roughnessFactor = 1;
      material.doubleSided = false;
      model.materials.push_back(material);
    }
    model.meshes.push_back(mesh);
    node.mesh = 0;
  }
  model.nodes.push_back(node);
  tinygltf::Scene scene;
  scene.nodes.push_back(0);
  model.scenes.push_back(scene);
  model.defaultScene = 0;

  std::ostringstream out;
  tinygltf::TinyGLTF writer;
  writer.WriteGltfSceneToStream(&model, out, !binary, binary);
  return out.str();
}

bool WriteGltfFile(const SolidPolyList& solid, const std::string& path, std::string* error) {
  const bool text = QFileInfo(QString::fromStdString(path)).suffix().toLower() == "gltf";
  return WriteFileAtomically(path, GltfBytes(solid, !text), error);
}

}  // namespace wlg
