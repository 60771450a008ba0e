#pragma once
// Which controls of a window the settings store keeps, and under which keys.
// Each window registers itself once; start-up restores and shut-down saves
// every registered window in its order, so a new window joins without
// changes to the designer.

#include <string>
#include <vector>

#include "controls/Form.h"
#include "platform/SettingsStore.h"

namespace wlg {

enum class KeyStyle {
  NameAndIndex,  // "vsPolyBig0": name + decimal index, no separator
  BareName,      // "vtWidth"
};

struct PersistedWindow {
  int order;  // restore and save order among the windows
  Form* form;
  KeyStyle style;
  std::vector<std::string> prefixes;  // e.g. {"vs", "chk"}
};

class PersistedWindows {
 public:
  void Register(PersistedWindow w);
  void Restore(SettingsStore& store) const;
  void Save(SettingsStore& store) const;
  const std::vector<PersistedWindow>& Windows() const { return windows_; }

 private:
  std::vector<PersistedWindow> windows_;  // kept sorted by order
};

std::string SettingsKey(const Control& c, KeyStyle style);
bool IsPersisted(const Control& c, const std::vector<std::string>& prefixes);
// One window's controls from the store: entries get the stored text through
// their own validation (their default when absent); check boxes take 0, 1 or
// 2, anything else reads as 0.
void RestoreControls(SettingsStore& store, const PersistedWindow& w);
void SaveControls(SettingsStore& store, const PersistedWindow& w);

}  // namespace wlg
