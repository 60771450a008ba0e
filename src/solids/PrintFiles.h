#pragma once
// The printable mesh written for a slicer: 3MF (lib3mf, every triangle
// coloured from one colour group) or binary STL, chosen by the file's
// extension, each put in place atomically.

#include <map>
#include <string>
#include <vector>

#include "solids/PrintMesh.h"

namespace wlg {

struct PrintFileOptions {
  PrintOptions mesh;
  int colours = 0;  // at most this many filament colours; 0: every colour used
};

// Merges the colours of the mesh's triangles down to at most 'most', each
// time the two nearest in CIELAB, the one covering less area going into the
// other. Returns each colour used and what it became.
std::map<Colour, Colour> MergeColours(PrintMesh& mesh, int most);

std::string StlBytes(const PrintMesh& mesh);
// False with the library's complaint in 'error'.
bool ThreeMfBytes(const PrintMesh& mesh, std::string& bytes, std::string* error);

// Builds and writes the solid to 'path' (.3mf or .stl). 'note' gets what a
// user should know: the colour mapping, raised regions left flat.
bool SavePrintFile(const SolidPolyList& solid, const PrintFileOptions& options,
                   const std::string& path, std::string* note, std::string* error);

}  // namespace wlg
