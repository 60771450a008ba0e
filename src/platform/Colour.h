#pragma once
#include <cstdint>

namespace wlg {

// A 32-bit colour number: red + 256 x green + 65536 x blue, the form pattern
// files store colours in.
using Colour = uint32_t;

constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>((r & 0xff) | ((g & 0xff) << 8) | ((b & 0xff) << 16));
}
constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xff); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xff); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xff); }

// The desktop's button-face colour, which background index 7 stands for.
// Set once by the GUI from the style's palette; the exporter keeps the
// classic light grey so its pictures do not depend on the desktop theme.
Colour ButtonFaceColour();
void SetButtonFaceColour(Colour c);

}  // namespace wlg
