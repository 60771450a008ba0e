#include "controls/EntryTable.h"

#include <stdexcept>

namespace wlg {

const std::vector<EntrySpec>& EntryTable() {
  // Blank bounds and defaults take the control's own: min 1, max 100, default 1, value 1.
  static const std::vector<EntrySpec> table = {
      {Window::Designer, "vsPolyBig", "0.1", "15", "4", "4", "Size of outer polygon"},
      {Window::Designer, "vsPolyOut", "3", "19", "6", "3", "No. sides of outer polygon"},
      {Window::Designer, "vsPolySmall", "0.1", "15", "1", "10", "Size of inner polygon"},
      {Window::Designer, "vsPoly", "3", "19", "6", "3", "No. sides of inner polygon"},
      {Window::Designer, "vsFirstCol", "0", "15", "9", "9", "First colour used"},
      {Window::Designer, "vsFit", "3", "19", "6", "6", "n-gon that fits the star angle"},
      {Window::Designer, "vsStarAngle", "5", "179", "120", "30", "Star angle"},
      {Window::Designer, "vsBackground", "0", "15", "7", "7", "Background colour"},
      {Window::Designer, "vsLineWidth", "1", "10", "1", "1",
       "Line width of seed polygons|Line width of shape polygons"},
      {Window::Designer, "vsNCols", "0", "9", "2", "2", "No. colours around the polygon"},
      {Window::Designer, "vsN", "2", "9", "4", "4", ""},
      {Window::Tessellator, "vsScale", "0.1", "50", "2", "2", "Tile {n} Scale"},
      {Window::Tessellator, "vtScale", "0.1", "50", "2", "2", "Scale"},
      {Window::Tessellator, "vtAngle", "-359", "359", "0", "0", "Angle"},
      {Window::Tessellator, "vtTile", "0", "20000", "1", "1", "Tile number"},
      {Window::Tessellator, "vtX", "-100000", "100000", "0", "0", "X-position"},
      {Window::Tessellator, "vtY", "-100000", "100000", "0", "0", "Y-position"},
      // CustomColours has 16 entries, so the fill index stops at 15.
      {Window::Tessellator, "vsFillColour", "1", "15", "1", "1",
       "Fill colour used with Alt Click (or middle click)"},
      {Window::Tessellator, "vsZoom", "0.2", "100", "1", "1", "Zoom (0.2-->10)"},
      {Window::Tessellator, "vsTBackground", "0", "15", "7", "7", "Background Colour"},
      {Window::View3D, "vsScale3D", "0.1", "10", "1", "1", "Scale for 3D shape"},
      {Window::View3D, "vsBack3D", "0", "15", "8", "8", "Colour of 3D shape"},
      {Window::View3D, "vtN", "0", "10", "3", "3", ""},
      {Window::View3D, "vtKs", "0", "1", "0.5", "0.5", ""},
      {Window::View3D, "vtKa", "0", "1", "0.3", "0.3", ""},
      {Window::View3D, "vtKd", "0", "1", "0.9", "0.9", ""},
      {Window::View3D, "vtKdist", "-20000", "-500", "-1100", "-2000", ""},
      {Window::View3D, "vtTheta", "0", "360", "0", "20", ""},
      {Window::View3D, "vtPhi", "0", "360", "0", "0", ""},
      {Window::View3D, "vtPsi", "0", "360", "0", "0", ""},
      {Window::SphereWrap, "vtWidth", "1", "10", "5", "5",
       "Image quality - higher = better but slower"},
      {Window::SphereWrap, "vtBackSphere", "0", "15", "8", "8", "Background colour"},
      {Window::SphereWrap, "vtVRML", "1", "10", "4", "4",
       "Number of image copies wrapped round VRML output"},
  };
  return table;
}

const EntrySpec& FindEntrySpec(Window window, const std::string& name) {
  for (const EntrySpec& s : EntryTable())
    if (s.window == window && name == s.name) return s;
  throw std::out_of_range("no entry box named " + name);
}

std::string EntryToolTip(const EntrySpec& entry, int index) {
  std::string tip = entry.toolTip;
  if (auto bar = tip.find('|'); bar != std::string::npos)
    tip = (index % 2 == 0) ? tip.substr(0, bar) : tip.substr(bar + 1);
  if (auto n = tip.find("{n}"); n != std::string::npos)
    tip.replace(n, 3, std::to_string(index + 1));
  return tip;
}

}  // namespace wlg
