#include "platform/Colour.h"

namespace wlg {
namespace {
Colour g_buttonFace = Rgb(240, 240, 240);
}
Colour ButtonFaceColour() { return g_buttonFace; }
void SetButtonFaceColour(Colour c) { g_buttonFace = c; }
}  // namespace wlg
