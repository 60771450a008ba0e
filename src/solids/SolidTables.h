#pragma once
// The eighteen solids the tiles can be put on, and their vertex/face tables,
// which ship as text files under <data>/solids/ and are read at run time.
//
// A table holds one block per face kind, in the order of the kinds below:
//   x y z,          one line per vertex, the last without the comma
//   coord           (a line containing "coord")
//   a, b, c, -1,    one line per face, indices into the block's own vertices in
//                   cyclic order, the last line without the comma
//   point           (a line containing "point")
// Lines end in CR LF; NUL padding may follow the text.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace wlg {

inline constexpr int kSolidCount = 18;
inline constexpr int kMaxFaceKinds = 3;
// The builder's vertex store holds this many vertices per face kind.
inline constexpr int kMaxSolidVertices = 121;

struct SolidInfo {
  const char* menuName;  // "mnuPlatonicTetra"
  const char* caption;   // "&Tetrahedron (4)"
  const char* key;       // "Tetra", kept in SolidName
  int resource;          // the table's old resource number, passed on to the builder
  int checkCode;         // the tile check's code: one digit per face kind, 9 meaning 10
  int kindCount;         // 1..3; kind k is decorated by tile k + 1
  std::array<int, kMaxFaceKinds> sides;       // side count of each face kind
  std::array<int, kMaxFaceKinds> faceCounts;  // faces of each kind
  int vertexCount;
  double circumradius;  // of the table's coordinates
  bool platonic;        // in the "&Platonic solids" menu, else "&Archimedean Solids"
};

// The solids in menu order: the five Platonic ones, then the thirteen Archimedean.
const std::array<SolidInfo, kSolidCount>& Solids();
// The solid with this key, letters compared without regard to case; nullptr if none.
const SolidInfo* FindSolid(std::string_view key);

struct SolidVertex {
  float x = 0, y = 0, z = 0;
};

// One face kind of a table.
struct SolidFaceBlock {
  int sides = 0;
  std::vector<SolidVertex> vertices;
  std::vector<std::vector<int>> faces;  // vertex indices in cyclic order
  // Zero-based line numbers in SolidTable::lines.
  int firstLine = 0;  // the first vertex line
  int coordLine = 0;
  int pointLine = 0;
};

struct SolidTable {
  const SolidInfo* info = nullptr;
  std::vector<std::string> lines;  // the text as read, without line ends
  std::vector<SolidFaceBlock> blocks;
};

// "TCOCTA.txt": the key in capitals.
std::string SolidTableFileName(const SolidInfo& info);
// DataDir()/solids/<file name>.
std::string SolidTablePath(const SolidInfo& info);

// The lines of a table's bytes: trailing NUL padding dropped, split at CR LF
// (a bare LF is taken as a line end too); a final line end adds no empty line.
std::vector<std::string> SolidTableLines(std::string_view bytes);

// Reads a table and checks it against its solid: block count, side and face
// counts, vertex count, number syntax and index ranges. On failure returns
// false and leaves a message for the user in 'error' ('table' then holds
// whatever was read).
bool ParseSolidTable(std::string_view bytes, const SolidInfo& info, SolidTable& table,
                     std::string& error);
// Finds the solid by key and reads its file from the data folder.
bool LoadSolidTable(std::string_view key, SolidTable& table, std::string& error);

}  // namespace wlg
