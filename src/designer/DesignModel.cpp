#include "designer/DesignModel.h"

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

}  // namespace wlg
