#pragma once
// The one owner of program-wide state that the windows share: the design
// model, the placed tiles, the shared flags and the services every window
// uses to ask the user and to let pending input run.

#include <functional>

#include "controls/PersistedControls.h"
#include "controls/ValidText.h"
#include "designer/DesignModel.h"
#include "platform/Prompts.h"
#include "shell/Help.h"
#include "tessellator/TessItems.h"

namespace wlg {

class Form;

struct Program {
  explicit Program(Prompts& p) : prompts(p) {}

  Prompts& prompts;
  // "Let pending input run": the GUI processes events, the exporter does nothing.
  std::function<void()> processEvents = [] {};

  EntryContext entries;  // holds UndoFromSnapshot
  DesignModel design;
  TessState tess;
  PersistedWindows persisted;
  HelpState help;

  bool SuppressEvents = false;
  bool KeepTessellation = true;
  bool TessImageChanged = false;
  bool AppClosing = false;
  bool RecordForSolid = false;

  // The secondary windows, once they exist (null until then).
  Form* tessellator = nullptr;
  Form* view3D = nullptr;
  Form* sphereWrap = nullptr;

  bool& UndoFromSnapshot() { return entries.undoFromSnapshot; }
};

}  // namespace wlg
