#include "solids/SolidTables.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/DataDir.h"
#include "platform/Numbers.h"

namespace wlg {

namespace {

// One solid a line: menu item, caption, key, table number, check code,
// kinds, sides and faces of each kind, vertices, circumradius, Platonic.
// clang-format off
const std::array<SolidInfo, kSolidCount> kSolids = {{
    {"mnuPlatonicTetra", "&Tetrahedron (4)", "Tetra", 117, 3, 1, {3}, {4}, 4, 1.7321, true},
    {"mnuPlatonicCube", "&Cube (6)", "Cube", 116, 4, 1, {4}, {6}, 8, 1.2247, true},
    {"mnuPlatonicOcta", "&Octahedron (8)", "Octa", 118, 3, 1, {3}, {8}, 6, 1.4142, true},
    {"mnuPlatonicDodeca", "&Dodecahedron (12)", "Dodeca", 114, 5, 1, {5}, {12}, 20, 1.0705, true},
    {"mnuPlatonicIcosa", "&Icosahedron (20)", "Icosa", 115, 3, 1, {3}, {20}, 12, 1.1756, true},
    {"mnuArchiTTet", "Truncated Tetrahedron (8)", "TTet", 113, 36, 2, {3, 6}, {4, 4}, 12, 1.1055, false},
    {"mnuArchiCOcta", "Cuboctahedron (14)", "COcta", 102, 34, 2, {3, 4}, {8, 6}, 12, 1.1547, false},
    {"mnuArchiTCube", "Truncated Cube (14)", "TCube", 108, 38, 2, {3, 8}, {8, 6}, 24, 1.0420, false},
    {"mnuArchiTOcta", "Truncated Octahedron (14)", "TOcta", 105, 46, 2, {4, 6}, {6, 8}, 24, 1.0541, false},
    {"mnuArchiRCubo", "Rhombicuboctahedron (26)", "RCubo", 112, 34, 2, {3, 4}, {8, 18}, 24, 1.0707, false},
    {"mnuArchiTCOcta", "Truncated Cuboctahedron (26)", "TCOcta", 109, 468, 3, {4, 6, 8}, {12, 8, 6}, 48, 1.0241, false},
    {"mnuArchiTDodec", "Truncated Dodecahedron (32)", "TDodec", 110, 39, 2, {3, 10}, {20, 12}, 60, 1.0145, false},
    {"mnuArchiIcosi", "Icosidodecahedron (32)", "Icosi", 103, 35, 2, {3, 5}, {20, 12}, 30, 1.0515, false},
    {"mnuArchiTIcosa", "Truncated Icosahedron (Fullerene) (32)", "TIcosa", 101, 56, 2, {5, 6}, {12, 20}, 60, 1.0210, false},
    {"mnuArchiSCubo", "Snub Cuboctahedron (38)", "SCubo", 106, 34, 2, {3, 4}, {32, 6}, 24, 1.0774, false},
    {"mnuArchiRIcosi", "Rhombicosidodecahedron (62)", "RIcosi", 104, 345, 3, {3, 4, 5}, {20, 30, 12}, 60, 1.0260, false},
    {"mnuArchiTIcosi", "Truncated Icosidodecahedron (62)", "TIcosi", 111, 469, 3, {4, 6, 10}, {30, 20, 12}, 120, 1.0088, false},
    {"mnuArchiSIcos", "Snub Icosidodecahedron (92)", "SIcos", 107, 35, 2, {3, 5}, {80, 12}, 60, 1.0280, false},
}};
// clang-format on

// "x y z" with an optional trailing comma: exactly three plain decimal numbers.
bool ReadVertexLine(std::string_view line, SolidVertex& v, std::string& reason) {
  if (!line.empty() && line.back() == ',') line.remove_suffix(1);
  std::array<float, 3> xyz{};
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t end = std::min(line.find(' ', start), line.size());
    const std::string_view token = line.substr(start, end - start);
    const char* first = token.data();
    const char* last = first + token.size();
    const auto [ptr, ec] = std::from_chars(first, last, xyz[i], std::chars_format::fixed);
    if (token.empty() || ec != std::errc() || ptr != last) {
      reason = "\"" + std::string(token) + "\" is not a coordinate";
      return false;
    }
    if (i < 2 && end == line.size()) {
      reason = "a vertex needs three coordinates";
      return false;
    }
    start = end + 1;
  }
  if (start <= line.size()) {
    reason = "a vertex has only three coordinates";
    return false;
  }
  v = {xyz[0], xyz[1], xyz[2]};
  return true;
}

// "a, b, c, -1" with an optional trailing comma.
bool ReadFaceLine(std::string_view line, int vertexCount, std::vector<int>& face,
                  std::string& reason) {
  if (!line.empty() && line.back() == ',') line.remove_suffix(1);
  face.clear();
  size_t start = 0;
  while (true) {
    const size_t comma = line.find(", ", start);
    const std::string_view token = line.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    int index = 0;
    const char* first = token.data();
    const char* last = first + token.size();
    const auto [ptr, ec] = std::from_chars(first, last, index);
    if (token.empty() || ec != std::errc() || ptr != last) {
      reason = "\"" + std::string(token) + "\" is not a vertex index";
      return false;
    }
    if (comma == std::string_view::npos) {
      if (index != -1) {
        reason = "a face must end with -1";
        return false;
      }
      break;
    }
    if (index < 0 || index >= vertexCount) {
      reason = "vertex " + std::to_string(index) + " does not exist (the block has " +
               std::to_string(vertexCount) + ")";
      return false;
    }
    if (std::find(face.begin(), face.end(), index) != face.end()) {
      reason = "vertex " + std::to_string(index) + " appears twice in one face";
      return false;
    }
    face.push_back(index);
    start = comma + 2;
  }
  return true;
}

bool Contains(std::string_view line, std::string_view word) {
  return line.find(word) != std::string_view::npos;
}

}  // namespace

const std::array<SolidInfo, kSolidCount>& Solids() { return kSolids; }

const SolidInfo* FindSolid(std::string_view key) {
  for (const SolidInfo& s : kSolids)
    if (EqualsNoCase(s.key, key)) return &s;
  return nullptr;
}

std::string SolidTableFileName(const SolidInfo& info) { return ToUpper(info.key) + ".txt"; }

std::string SolidTablePath(const SolidInfo& info) {
  return DataDir() + "/solids/" + SolidTableFileName(info);
}

std::vector<std::string> SolidTableLines(std::string_view bytes) {
  while (!bytes.empty() && bytes.back() == '\0') bytes.remove_suffix(1);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

bool ParseSolidTable(std::string_view bytes, const SolidInfo& info, SolidTable& table,
                     std::string& error) {
  table = SolidTable{};
  table.info = &info;
  table.lines = SolidTableLines(bytes);
  const std::vector<std::string>& lines = table.lines;
  const int lineCount = static_cast<int>(lines.size());

  auto fail = [&](int line, const std::string& reason) {
    error = "Sorry, the solid table " + SolidTableFileName(info) + " is damaged";
    if (line > 0) error += " at line " + std::to_string(line);
    error += ": " + reason;
    return false;
  };

  int at = 0;
  for (int k = 0; k < info.kindCount; ++k) {
    SolidFaceBlock& block = table.blocks.emplace_back();
    block.sides = info.sides[k];
    block.firstLine = at;
    const std::string kind = "face kind " + std::to_string(k + 1);

    for (; at < lineCount && !Contains(lines[at], "coord"); ++at) {
      SolidVertex v;
      std::string reason;
      if (!ReadVertexLine(lines[at], v, reason)) return fail(at + 1, reason);
      block.vertices.push_back(v);
    }
    if (at == lineCount) return fail(0, "the \"coord\" line of " + kind + " is missing");
    block.coordLine = at++;
    if (static_cast<int>(block.vertices.size()) != info.vertexCount)
      return fail(block.coordLine + 1, kind + " has " + std::to_string(block.vertices.size()) +
                                           " vertices instead of " +
                                           std::to_string(info.vertexCount));

    for (; at < lineCount && !Contains(lines[at], "point"); ++at) {
      std::vector<int> face;
      std::string reason;
      if (!ReadFaceLine(lines[at], info.vertexCount, face, reason)) return fail(at + 1, reason);
      if (static_cast<int>(face.size()) != block.sides)
        return fail(at + 1, "a face of " + kind + " must have " + std::to_string(block.sides) +
                                " vertices, not " + std::to_string(face.size()));
      block.faces.push_back(std::move(face));
    }
    if (at == lineCount) return fail(0, "the \"point\" line of " + kind + " is missing");
    block.pointLine = at++;
    if (static_cast<int>(block.faces.size()) != info.faceCounts[k])
      return fail(block.pointLine + 1, kind + " has " + std::to_string(block.faces.size()) +
                                           " faces instead of " +
                                           std::to_string(info.faceCounts[k]));
  }
  for (; at < lineCount; ++at)
    if (!TrimSpaces(lines[at]).empty()) return fail(at + 1, "text after the last block");
  return true;
}

bool LoadSolidTable(std::string_view key, SolidTable& table, std::string& error) {
  const SolidInfo* info = FindSolid(key);
  if (info == nullptr) {
    error = "Sorry, there is no solid called \"" + std::string(key) + "\"";
    return false;
  }
  const std::string path = SolidTablePath(*info);
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  if (in) bytes << in.rdbuf();
  if (!in || in.bad()) {
    error = "Sorry, the solid table " + path + " could not be read";
    table = SolidTable{};
    table.info = info;
    return false;
  }
  return ParseSolidTable(bytes.str(), *info, table, error);
}

}  // namespace wlg
