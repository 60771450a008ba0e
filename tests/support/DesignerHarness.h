#pragma once
// A designer window without a display: scripted prompts and a settings
// store in memory (or any store the test hands in).

#include <memory>

#include "designer/frmS.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompts.h"

namespace wlg::testing {

struct DesignerHarness {
  explicit DesignerHarness(std::unique_ptr<SettingsStore> store = MakeMemorySettings())
      : settings(std::move(store)), form(program, *settings) {}

  void Start(const std::string& commandLine = "") { form.Form_Load(commandLine); }
  DesignModel& model() { return program.design; }

  ScriptedPrompts prompts;
  Program program{prompts};
  std::unique_ptr<SettingsStore> settings;
  frmS form;
};

}  // namespace wlg::testing
