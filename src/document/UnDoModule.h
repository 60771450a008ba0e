#pragma once
// Undo: the design snapshot that pointer and clearing edits take, and the
// walk back through the entry boxes' commit histories.

#include <string>
#include <vector>

#include "controls/Form.h"
#include "designer/Program.h"

namespace wlg {

// An entry box that undo walks, with its window.
struct EntryBox {
  Form* form = nullptr;
  ValidText* entry = nullptr;
};
// The entry boxes (names starting "vt" or "vs") of the given windows, listed
// in the program's window order, each window's in its control order. Null
// windows are skipped.
std::vector<EntryBox> UndoableEntries(const std::vector<Form*>& forms);

// Reverts the most recent entry-box commit among the entries of the given
// windows. The greatest stamp wins; a tie keeps the earlier box. No Changed
// event is raised and nothing is redrawn.
void UndoLatestEntry(const std::vector<Form*>& forms);

// The snapshot as text lines in the pattern file's line formats: 64 point
// lines, the tile count, the item lines, the colour line, the override count
// and the override lines.
std::vector<std::string> TakeDesignSnapshot(const Program& program);
// Puts the snapshot's points, tiles, colours and overrides back. The caller
// updates the tessellator's editor and redraws.
void RestoreDesignSnapshot(const std::vector<std::string>& lines, Program& program);

}  // namespace wlg
