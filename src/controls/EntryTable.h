#pragma once
// Every numeric entry box of the program: bounds, default, initial text and
// tool tip, as each window creates them.

#include <string>
#include <vector>

namespace wlg {

enum class Window { Designer, Tessellator, View3D, SphereWrap };

struct EntrySpec {
  Window window;
  const char* name;
  const char* valMin;
  const char* valMax;
  const char* valDefault;
  const char* initialValue;
  // "{n}" stands for index + 1; alternatives separated by "|" go by index
  // parity (the seed and shape line widths share one control array).
  const char* toolTip;
  const char* valFormat = "";
};

const std::vector<EntrySpec>& EntryTable();
// Throws std::out_of_range for a name the table does not hold.
const EntrySpec& FindEntrySpec(Window window, const std::string& name);
std::string EntryToolTip(const EntrySpec& entry, int index);

}  // namespace wlg
