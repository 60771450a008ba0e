#pragma once
// The number styles of the VRML (and OBJ) writers, shared by the solid and
// the sphere scenes.

#include <string>

#include "platform/Colour.h"

namespace wlg {

// Shortest decimal text with at most 7 (float) or 15 (double) significant
// digits, no exponent, and no "0" before the point of a value between -1
// and 1: 0.5 -> ".5", -0.25 -> "-.25", 1 -> "1".
std::string VrmlDigits(float value);
std::string VrmlDigits(double value);

// Print style: " " (or "-" for a negative value), the digits, one space:
// 0.5 -> " .5 ", 1 -> " 1 ", -0.5 -> "-.5 ".
std::string PrintStyle(float value);
std::string PrintStyle(double value);

// Plain style: the digits with the "0" before the point: 0.5019608, 1, 0.
std::string PlainStyle(float value);
std::string PlainStyle(double value);

// The "0.000" pattern: three decimals, "0" before the point, halves away
// from zero, and no "-" on a value that rounds to zero.
std::string Fixed3(double value);

// Index form in index lines: " 7 ,".
std::string IndexForm(long index);

// The opening lines every scene of ours shares, from "#VRML V2.0 utf8" to
// the comment before the background line, each ended by CR LF; the
// viewpoint is "x y z".
std::string VrmlWorldHeader(const std::string& viewpoint);

// The world header followed by the sky (each channel of the background on
// or off, at half strength) and the opening of the group that the touch and
// drag sensors turn; the scene's shapes go inside it.
std::string VrmlSceneOpening(const std::string& viewpoint, Colour background);
// Closes that group and adds the animation that turns it until clicked.
std::string VrmlSceneClosing();

}  // namespace wlg
