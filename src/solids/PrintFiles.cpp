#include "solids/PrintFiles.h"

#include <Common/Platform/NMR_ExportStream_Callback.h>
#include <Model/COM/NMR_DLLInterfaces.h>

#include <cmath>
#include <cstring>

#include "platform/Numbers.h"
#include "platform/SafeFile.h"

namespace wlg {

namespace {

struct Lab {
  double L = 0, a = 0, b = 0;
};

Lab ToLab(Colour c) {
  auto linear = [](int v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  const double r = linear(RedOf(c)), g = linear(GreenOf(c)), b = linear(BlueOf(c));
  // sRGB to XYZ, relative to the D65 white.
  const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
  const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
  auto f = [](double t) {
    return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116;
  };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double Area(const PrintMesh& m, const std::array<int, 3>& t) {
  const auto &a = m.vertices[t[0]], &b = m.vertices[t[1]], &c = m.vertices[t[2]];
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                       u[0] * v[1] - u[1] * v[0]};
  return std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) / 2;
}

template <class T>
void Put(std::string& out, T value) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  out.append(bytes, sizeof(T));
}

bool Succeeded(LIB3MFRESULT result, const char* what, std::string* error) {
  if (result == LIB3MF_OK) return true;
  if (error) *error = std::string("the 3MF library failed to ") + what;
  return false;
}

// Releases a library object when it goes out of scope.
struct Owned {
  NMR::PLib3MFBase* p = nullptr;
  ~Owned() {
    if (p) NMR::lib3mf_release(p);
  }
};

}  // namespace

std::map<Colour, Colour> MergeColours(PrintMesh& mesh, int most) {
  std::map<Colour, double> area;
  for (size_t i = 0; i < mesh.triangles.size(); ++i)
    area[mesh.colours[i]] += Area(mesh, mesh.triangles[i]);
  std::map<Colour, Colour> into;
  for (const auto& [c, a] : area) into[c] = c;
  std::vector<Colour> kept;
  for (const auto& [c, a] : area) kept.push_back(c);
  while (most > 0 && static_cast<int>(kept.size()) > most) {
    size_t bi = 0, bj = 1;
    double best = HUGE_VAL;
    for (size_t i = 0; i < kept.size(); ++i)
      for (size_t j = i + 1; j < kept.size(); ++j) {
        const Lab p = ToLab(kept[i]), q = ToLab(kept[j]);
        const double d = std::hypot(p.L - q.L, p.a - q.a, p.b - q.b);
        if (d < best) {
          best = d;
          bi = i;
          bj = j;
        }
      }
    if (area[kept[bi]] < area[kept[bj]]) std::swap(bi, bj);
    const Colour to = kept[bi], gone = kept[bj];
    area[to] += area[gone];
    for (auto& [c, now] : into)
      if (now == gone) now = to;
    kept.erase(kept.begin() + static_cast<long>(bj));
  }
  for (Colour& c : mesh.colours) c = into[c];
  return into;
}

std::string StlBytes(const PrintMesh& mesh) {
  std::string out(80, '\0');
  const char title[] = "Whirligons solid";
  std::memcpy(out.data(), title, sizeof title - 1);
  Put(out, static_cast<uint32_t>(mesh.triangles.size()));
  for (const auto& t : mesh.triangles) {
    // The normal of the corners as the file holds them, in floats, so that
    // readers that check it find it agrees.
    std::array<std::array<double, 3>, 3> f;
    for (int k = 0; k < 3; ++k)
      for (int d = 0; d < 3; ++d) f[k][d] = static_cast<float>(mesh.vertices[t[k]][d]);
    const auto &a = f[0], &b = f[1], &c = f[2];
    double n[3] = {(b[1] - a[1]) * (c[2] - a[2]) - (b[2] - a[2]) * (c[1] - a[1]),
                   (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]),
                   (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])};
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (double v : n) Put(out, static_cast<float>(len > 0 ? v / len : 0));
    for (int k = 0; k < 3; ++k)
      for (int d = 0; d < 3; ++d) Put(out, static_cast<float>(f[k][d]));
    Put(out, static_cast<uint16_t>(0));
  }
  return out;
}

bool ThreeMfBytes(const PrintMesh& mesh, std::string& bytes, std::string* error) {
  using namespace NMR;
  Owned model, object, handler, fallback, writer, item;
  PLib3MFModel* m = nullptr;
  if (!Succeeded(lib3mf_createmodel(&m), "start a model", error)) return false;
  model.p = m;
  if (!Succeeded(lib3mf_model_setunit(m, MODELUNIT_MILLIMETER), "set the unit", error))
    return false;
  PLib3MFModelMeshObject* mo = nullptr;
  if (!Succeeded(lib3mf_model_addmeshobject(m, &mo), "add the mesh", error)) return false;
  object.p = mo;
  lib3mf_object_setnameutf8(mo, "Whirligons solid");
  std::vector<MODELMESHVERTEX> vs(mesh.vertices.size());
  for (size_t i = 0; i < vs.size(); ++i)
    for (int d = 0; d < 3; ++d) vs[i].m_fPosition[d] = static_cast<FLOAT>(mesh.vertices[i][d]);
  std::vector<MODELMESHTRIANGLE> ts(mesh.triangles.size());
  for (size_t i = 0; i < ts.size(); ++i)
    for (int d = 0; d < 3; ++d) ts[i].m_nIndices[d] = static_cast<DWORD>(mesh.triangles[i][d]);
  if (!Succeeded(lib3mf_meshobject_setgeometry(mo, vs.data(), static_cast<DWORD>(vs.size()),
                                               ts.data(), static_cast<DWORD>(ts.size())),
                 "store the mesh", error))
    return false;
  // One colour per triangle: the library gathers them into a colour group.
  PLib3MFPropertyHandler* ph = nullptr;
  if (!Succeeded(lib3mf_meshobject_createpropertyhandler(mo, &ph), "colour the mesh", error))
    return false;
  handler.p = ph;
  for (size_t i = 0; i < ts.size(); ++i) {
    const Colour c = mesh.colours[i];
    if (!Succeeded(lib3mf_propertyhandler_setsinglecolorrgb(ph, static_cast<DWORD>(i), RedOf(c),
                                                            GreenOf(c), BlueOf(c)),
                   "colour the mesh", error))
      return false;
  }
  // The object's own colour, which a reader wants beside the triangles'.
  PLib3MFDefaultPropertyHandler* dph = nullptr;
  if (!Succeeded(lib3mf_object_createdefaultpropertyhandler(mo, &dph), "colour the mesh", error))
    return false;
  fallback.p = dph;
  const Colour first = mesh.colours.empty() ? 0 : mesh.colours[0];
  if (!Succeeded(lib3mf_defaultpropertyhandler_setcolorrgb(dph, RedOf(first), GreenOf(first),
                                                           BlueOf(first)),
                 "colour the mesh", error))
    return false;
  PLib3MFModelBuildItem* bi = nullptr;
  if (!Succeeded(lib3mf_model_addbuilditem(m, mo, nullptr, &bi), "place the mesh", error))
    return false;
  item.p = bi;
  PLib3MFModelWriter* w = nullptr;
  if (!Succeeded(lib3mf_model_querywriter(m, "3mf", &w), "start the writer", error)) return false;
  writer.p = w;
  // The library seeks back to finish the zip's entries: a buffer with a
  // position takes both.
  struct Sink {
    std::string& bytes;
    size_t at = 0;
  } sink{bytes};
  bytes.clear();
  auto write = [](BYTE* data, nfUint32 count, void* user) -> nfUint32 {
    Sink& k = *static_cast<Sink*>(user);
    if (k.bytes.size() < k.at + count) k.bytes.resize(k.at + count);
    std::memcpy(k.bytes.data() + k.at, data, count);
    k.at += count;
    return 0;
  };
  auto seek = [](nfUint64 position, void* user) -> nfUint32 {
    Sink& k = *static_cast<Sink*>(user);
    k.at = static_cast<size_t>(position);
    return 0;
  };
  ExportStream_WriteCallbackType writeFn = write;
  ExportStream_SeekCallbackType seekFn = seek;
  const LIB3MFRESULT r = lib3mf_writer_writetocallback(w, reinterpret_cast<void*>(writeFn),
                                                       reinterpret_cast<void*>(seekFn), &sink);
  return Succeeded(r, "write the file", error);
}

bool SavePrintFile(const SolidPolyList& solid, const PrintFileOptions& options,
                   const std::string& path, std::string* note, std::string* error) {
  if (!CheckWritable(path, error)) return false;
  PrintMesh mesh;
  std::string why;
  if (!BuildPrintMesh(solid, options.mesh, mesh, &why)) {
    if (error) *error = "Failed to save " + path + ": " + why;
    return false;
  }
  const bool stl =
      path.size() >= 4 && EqualsNoCase(std::string_view(path).substr(path.size() - 4), ".stl");
  std::string text;
  if (!stl) {
    const std::map<Colour, Colour> into = MergeColours(mesh, options.colours);
    for (const auto& [from, to] : into) {
      char line[64];
      std::snprintf(line, sizeof line, "colour #%02X%02X%02X -> #%02X%02X%02X\n", RedOf(from),
                    GreenOf(from), BlueOf(from), RedOf(to), GreenOf(to), BlueOf(to));
      text += line;
    }
  }
  if (options.mesh.reliefMm > 0)
    text += std::to_string(mesh.flattened) + " raised regions thinner than " +
            std::to_string(options.mesh.thinnestMm).substr(0, 3) + " mm left flat\n";
  if (note) *note = text;
  std::string bytes;
  if (stl) {
    bytes = StlBytes(mesh);
  } else if (!ThreeMfBytes(mesh, bytes, &why)) {
    if (error) *error = "Failed to save " + path + ": " + why;
    return false;
  }
  return WriteFileAtomically(path, bytes, error);
}

}  // namespace wlg
