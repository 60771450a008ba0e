#pragma once
// The 3D window's model exports: the recorded solid as a Wavefront OBJ mesh
// and as a VRML 2.0 scene. Both read SolidPolyList (PolyCount is the index
// of the last polygon after a build) and write their file atomically.

#include <string>

#include "designer/DesignModel.h"
#include "platform/Prompts.h"

namespace wlg {

class ProgressReporter;

struct VrmlOptions {
  bool lines = false;   // "VRML &Lines": an IndexedLineSet over the same polygons
  bool smooth = false;  // "VRML &Smooth": creaseAngle 99 instead of 0.5
  Colour background = Palette16[8];  // the palette colour of vsBack3D(1)
};

// The whole file's text (CR LF line ends).
std::string ObjText(const SolidPolyList& solid);
std::string VrmlText(const SolidPolyList& solid, const VrmlOptions& options,
                     ProgressReporter* progress);

// Write the file; false with the reason on failure, leaving no partial file
// and any earlier file as it was.
bool WriteObjFile(const SolidPolyList& solid, const std::string& path, std::string* error);
bool WriteVrmlFile(const SolidPolyList& solid, const VrmlOptions& options,
                   ProgressReporter* progress, const std::string& path, std::string* error);

// The name the save dialog offers, from the name it kept from an earlier
// save in the 3D window: a ".bmp" (or else the other scene format's
// extension) found after the first character, and everything after it, is
// replaced by the format's own extension. "knot.bmp" -> "knot.wrl".
std::string VrmlDialogName(const std::string& current);
std::string ObjDialogName(const std::string& current);

// The save dialogs of the two commands, offering the names above.
FileDialogRequest VrmlSaveDialog(const std::string& current);
FileDialogRequest ObjSaveDialog(const std::string& current);

}  // namespace wlg
