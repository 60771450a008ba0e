#pragma once
// The program's windows without a display, prompts scripted, settings in memory.

#include <memory>

#include "designer/Windows.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompts.h"

namespace wlg::testing {

struct DesignerHarness {
  explicit DesignerHarness(std::unique_ptr<SettingsStore> store = MakeMemorySettings())
      : settings(std::move(store)), windows(program, *settings) {}

  void Start(const std::string& commandLine = "") { form.Form_Load(commandLine); }
  DesignModel& model() { return program.design; }

  ScriptedPrompts prompts;
  Program program{prompts};
  std::unique_ptr<SettingsStore> settings;
  Windows windows;
  frmS& form = windows.designer;
  frmT& tess = windows.tessellator;
};

}  // namespace wlg::testing
