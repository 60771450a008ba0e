#include "controls/PersistedControls.h"

#include <algorithm>
#include <cmath>

#include "platform/Numbers.h"

namespace wlg {

void PersistedWindows::Register(PersistedWindow w) {
  windows_.push_back(std::move(w));
  std::stable_sort(
      windows_.begin(), windows_.end(),
      [](const PersistedWindow& a, const PersistedWindow& b) { return a.order < b.order; });
}

void PersistedWindows::Restore(SettingsStore& store) const {
  for (const auto& w : windows_) RestoreControls(store, w);
}

void PersistedWindows::Save(SettingsStore& store) const {
  for (const auto& w : windows_) SaveControls(store, w);
}

std::string SettingsKey(const Control& c, KeyStyle style) {
  return style == KeyStyle::BareName ? c.Name() : c.Name() + std::to_string(c.Index());
}

bool IsPersisted(const Control& c, const std::vector<std::string>& prefixes) {
  // The 3D window's spin-speed scroll bars carry "chk" names and are kept too.
  if (c.Kind() != ControlKind::Entry && c.Kind() != ControlKind::CheckBox &&
      c.Kind() != ControlKind::ScrollBar)
    return false;
  for (const auto& p : prefixes)
    if (c.Name().rfind(p, 0) == 0) return true;
  return false;
}

namespace {
int CheckValueFromText(const std::string& text) {
  const std::string t = TrimSpaces(text);
  if (t == "0" || t == "1" || t == "2") return t[0] - '0';
  return 0;
}
}  // namespace

void RestoreControls(SettingsStore& store, const PersistedWindow& w) {
  for (const auto& c : w.form->Controls()) {
    if (!IsPersisted(*c, w.prefixes)) continue;
    const auto stored = store.Get(SettingsKey(*c, w.style));
    if (auto* e = dynamic_cast<ValidText*>(c.get())) {
      e->SetValue(stored ? *stored : e->ValDefault);
    } else if (auto* b = dynamic_cast<CheckBox*>(c.get())) {
      b->SetValue(stored ? CheckValueFromText(*stored) : 0);
    } else if (auto* bar = dynamic_cast<ScrollBar*>(c.get())) {
      // Clamped to the bar before rounding, as a huge stored number fits no
      // integer; one too large for a double keeps the bar's default.
      const double v = stored ? Val(*stored) : NAN;
      if (std::isfinite(v))
        bar->SetValue(
            static_cast<int>(RoundHalfEven(std::clamp<double>(v, bar->Min(), bar->Max()))));
    }
  }
}

void SaveControls(SettingsStore& store, const PersistedWindow& w) {
  for (const auto& c : w.form->Controls()) {
    if (!IsPersisted(*c, w.prefixes)) continue;
    if (auto* e = dynamic_cast<ValidText*>(c.get()))
      store.Set(SettingsKey(*c, w.style), e->Value());
    else if (auto* b = dynamic_cast<CheckBox*>(c.get()))
      store.Set(SettingsKey(*c, w.style), std::to_string(b->Value()));
    else if (auto* bar = dynamic_cast<ScrollBar*>(c.get()))
      store.Set(SettingsKey(*c, w.style), std::to_string(bar->Value()));
  }
}

}  // namespace wlg
