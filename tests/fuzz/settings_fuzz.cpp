// libFuzzer target for the settings store's values: the bytes fill a memory
// store, line by line, and the designer starts from it. A line "key=value"
// sets that key; any other line is the value of the next key the program
// keeps, in its own order, so plain garbage reaches every control. After
// start every kept control must hold a value it accepts.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Numbers.h"
#include "support/DesignerHarness.h"

namespace {

using wlg::testing::DesignerHarness;

// Every key the program reads at start, found once from a started designer.
const std::vector<std::string>& KnownKeys() {
  static const std::vector<std::string> keys = [] {
    DesignerHarness h;
    h.prompts.autoOk = true;
    h.Start();
    std::vector<std::string> out = {"Snap",       "DisableTessChecks", "VLines",     "VSmooth",
                                    "SnapRadius", "CreatedBy",         "SmoothEdges"};
    for (int i = 1; i <= 4; ++i) out.push_back("RecentFile" + std::to_string(i));
    for (const auto& w : h.program.persisted.Windows())
      for (const auto& c : w.form->Controls())
        if (wlg::IsPersisted(*c, w.prefixes)) out.push_back(wlg::SettingsKey(*c, w.style));
    return out;
  }();
  return keys;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string>& keys = KnownKeys();
  auto store = wlg::MakeMemorySettings();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t next = 0, start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    const size_t eq = line.find('=');
    if (eq != std::string_view::npos && eq > 0)
      store->Set(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
    else
      store->Set(keys[next++ % keys.size()], std::string(line));
    start = end + 1;
  }

  DesignerHarness h(std::move(store));
  h.prompts.autoOk = true;
  h.Start();
  for (const auto& w : h.program.persisted.Windows()) {
    for (const auto& c : w.form->Controls()) {
      if (!wlg::IsPersisted(*c, w.prefixes)) continue;
      if (auto* e = dynamic_cast<wlg::ValidText*>(c.get())) {
        const double v = e->Number();
        Check(std::isfinite(v));
        Check(static_cast<float>(v) >= static_cast<float>(wlg::Val(e->ValMin)) &&
              static_cast<float>(v) <= static_cast<float>(wlg::Val(e->ValMax)));
      } else if (auto* b = dynamic_cast<wlg::CheckBox*>(c.get())) {
        Check(b->Value() >= 0 && b->Value() <= 2);
      } else if (auto* bar = dynamic_cast<wlg::ScrollBar*>(c.get())) {
        Check(bar->Value() >= bar->Min() && bar->Value() <= bar->Max());
      }
    }
  }
  const float r = h.program.design.SnapRadius;
  Check(r >= 1 && r <= 10);
  return 0;
}
