// The File menu's pattern commands and Undo.

#include "designer/frmS.h"

namespace wlg {

void frmS::WireFileHandlers() {}

}  // namespace wlg
