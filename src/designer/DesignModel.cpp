#include "designer/DesignModel.h"

#include <algorithm>
#include <cmath>

namespace wlg {

const std::array<Colour, 16> Palette16 = {
    Rgb(0, 0, 0),       Rgb(0, 0, 128),   Rgb(0, 128, 0),   Rgb(0, 128, 128),
    Rgb(128, 0, 0),     Rgb(128, 0, 128), Rgb(128, 128, 0), Rgb(192, 192, 192),
    Rgb(128, 128, 128), Rgb(0, 0, 255),   Rgb(0, 255, 0),   Rgb(0, 255, 255),
    Rgb(255, 0, 0),     Rgb(255, 0, 255), Rgb(255, 255, 0), Rgb(255, 255, 255),
};

int ReduceColourIndex(long index) {
  long r = index % 16;  // C++ keeps the dividend's sign, as the rule wants
  if (r < 0) r += 16;
  return static_cast<int>(r);
}

Colour PaletteColour(long index) { return Palette16[ReduceColourIndex(index)]; }

Colour TextColourOn(long index) {
  return ReduceColourIndex(index) >= 9 ? Palette16[0] : Palette16[15];
}

void ColourOverrides::Index(int lastItem) {
  firstOfItem_.assign(static_cast<size_t>(std::max(lastItem, 0)) + 1, -1);
  next_.assign(static_cast<size_t>(std::max(OverrideCount, 0)), -1);
  // Linked backwards so each item's list runs in entry order.
  for (int o = std::min(OverrideCount, OverrideCapacity) - 1; o >= 0; --o) {
    const float item = entries[o].item;
    if (!(item >= 0 && item <= static_cast<float>(lastItem)) || item != std::floor(item)) continue;
    const auto i = static_cast<size_t>(item);
    next_[o] = firstOfItem_[i];
    firstOfItem_[i] = o;
  }
  indexed = true;
}

int ColourOverrides::Find(int item, int slot, int copy) const {
  const auto match = [&](const ColourOverride& e) {
    return e.slot == slot && e.copy == static_cast<float>(copy) &&
           e.item == static_cast<float>(item);
  };
  if (indexed && item >= 0 && static_cast<size_t>(item) < firstOfItem_.size()) {
    for (int o = firstOfItem_[item]; o >= 0; o = next_[o])
      if (match(entries[o])) return o;
    return -1;
  }
  for (int o = 0; o < OverrideCount && o < OverrideCapacity; ++o)
    if (match(entries[o])) return o;
  return -1;
}

}  // namespace wlg
