#pragma once
// Where the program's data files (solid tables, help pages, samples) live.

#include <string>

namespace wlg {

// WHIRLIGONS_DATA_DIR from the environment when set (tests, packaging);
// otherwise the installed data folder when it holds anything, else the
// source tree's data/ folder, so a build-tree program runs without installing.
std::string DataDir();

}  // namespace wlg
