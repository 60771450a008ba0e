#include "controls/Form.h"

#include "platform/Numbers.h"

namespace wlg {

namespace {
constexpr int kDenseIndices = 4096;
}

void Form::Register(Control& c) {
  // The first control of a name and index is the one found, as in window order.
  for (Slots* slots : {&byName_[c.Name()], &byUpperName_[ToUpper(c.Name())]}) {
    const int i = c.Index();
    if (i >= 0 && i < kDenseIndices) {
      if (slots->byIndex.size() <= static_cast<size_t>(i)) slots->byIndex.resize(i + 1, nullptr);
      if (!slots->byIndex[i]) slots->byIndex[i] = &c;
    } else if (!InSlots(*slots, i)) {
      slots->other.emplace_back(i, &c);
    }
  }
}

Control* Form::InSlots(const Slots& slots, int index) {
  if (index >= 0 && static_cast<size_t>(index) < slots.byIndex.size()) return slots.byIndex[index];
  for (const auto& [i, c] : slots.other)
    if (i == index) return c;
  return nullptr;
}

Control* Form::Find(const std::string& name, int index) const {
  const auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : InSlots(it->second, index);
}

Control* Form::FindNoCase(const std::string& name, int index) const {
  const auto it = byUpperName_.find(ToUpper(name));
  return it == byUpperName_.end() ? nullptr : InSlots(it->second, index);
}

}  // namespace wlg
