#include "controls/Controls.h"

#include <algorithm>

namespace wlg {

void CheckBox::SetValue(int v) {
  if (v < 0 || v > 2) v = 0;
  if (v == value_) return;
  value_ = v;
  Refresh();
  if (onClick) onClick(Index());
}

void OptionButton::SetValue(bool on) {
  if (on == value_) return;
  value_ = on;
  if (on && group_) {
    for (OptionButton* other : *group_)
      if (other != this && other->value_) {
        other->value_ = false;
        other->Refresh();
      }
  }
  Refresh();
  if (on && onClick) onClick(Index());
}

void ScrollBar::SetValue(int v) {
  v = std::clamp(v, min_, max_);
  if (v == value_) return;
  value_ = v;
  Refresh();
  if (onChange) onChange(Index());
}

}  // namespace wlg
