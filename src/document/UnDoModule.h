#pragma once
// Undo: the design snapshot that pointer and clearing edits take, and the
// walk back through the entry boxes' commit histories.

#include <string>
#include <vector>

#include "controls/Form.h"
#include "designer/Program.h"

namespace wlg {

// Reverts the most recent entry-box commit among the entries (names starting
// "vt" or "vs") of the given windows, listed in the program's window order.
// The greatest stamp wins; a tie keeps the earlier box. No Changed event is
// raised and nothing is redrawn. Null windows are skipped.
void UndoLatestEntry(const std::vector<Form*>& forms);

// The snapshot as text lines in the pattern file's line formats: 64 point
// lines, the tile count, the item lines, the colour line, the override count
// and the override lines.
std::vector<std::string> TakeDesignSnapshot(const Program& program);
// Puts the snapshot's points, tiles, colours and overrides back. The caller
// updates the tessellator's editor and redraws.
void RestoreDesignSnapshot(const std::vector<std::string>& lines, Program& program);

}  // namespace wlg
