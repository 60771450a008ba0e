#pragma once
// The program's windows, created together and joined up: the designer owns
// the run; the tessellator (and the later windows) hang off its hooks. The
// GUI and the exporter build the very same set.

#include "designer/frmS.h"
#include "tessellator/frmT.h"

namespace wlg {

struct Windows {
  Windows(Program& program, SettingsStore& settings);

  frmS designer;
  frmT tessellator;
};

}  // namespace wlg
