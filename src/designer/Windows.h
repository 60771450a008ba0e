#pragma once
// The program's windows, created together and joined up: the designer owns
// the run; the tessellator (and the later windows) hang off its hooks. The
// GUI and the exporter build the very same set.

#include "designer/frmS.h"
#include "solids/SolidBuilder.h"
#include "solids/frm3D.h"
#include "spherewrap/frmSphereWrap.h"
#include "tessellator/frmT.h"

namespace wlg {

struct Windows {
  Windows(Program& program, SettingsStore& settings);

  frmS designer;
  frmT tessellator;
  frm3D view3D;
  SolidBuilder builder;
  frmSphereWrap sphereWrap;

  // Smooth edges in every picture window: the check marks, the canvases,
  // and the pictures drawn again.
  // Start-up draws them afterwards itself ('redraw' false).
  void SetSmoothEdges(bool on, bool redraw = true);

 private:
  void RedrawPictures();
};

}  // namespace wlg
