#pragma once
// Where the program's data files (solid tables, help pages, samples) live.

#include <string>

namespace wlg {

// WHIRLIGONS_DATA_DIR from the environment when set (tests, packaging);
// otherwise the data folder installed beside the running program (so an
// installation moved to another prefix still finds its data), then the one
// of the configured prefix, each only when it holds anything; else the source
// tree's data/ folder, so a build-tree program runs without installing.
std::string DataDir();

// The folder of the running program (empty when it cannot be told).
std::string ProgramFolder();

}  // namespace wlg
