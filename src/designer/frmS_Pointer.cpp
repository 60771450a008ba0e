// Pointer editing on the tile canvases.

#include "designer/frmS.h"

namespace wlg {

void frmS::WirePointerHandlers() {}

}  // namespace wlg
