// Undo: the design snapshot taken before pointer and clearing edits, and
// the command that takes back the latest edit.

#include "designer/frmS.h"
#include "document/PatternFile.h"
#include "document/UnDoModule.h"

namespace wlg {

void frmS::WireUndoHandlers() {
  MenuItem& undo = Menu("mnuEditUndo");
  undo.onClick = [this](int) { UndoIt(); };
  undo.SetEnabled(true);
}

void frmS::SetUndo() {
  UndoLines = TakeDesignSnapshot(p_);
  p_.UndoFromSnapshot() = true;
}

void frmS::UndoIt() {
  if (!p_.UndoFromSnapshot()) {
    UndoLatestEntry({this, p_.tessellator, p_.view3D, p_.sphereWrap});
    return;
  }
  if (UndoLines.empty()) return;
  RestoreDesignSnapshot(UndoLines, p_);
  if (updateEdit) updateEdit(p_.tess.EditItem);
  ShowFillSwatch(p_);
  p_.processEvents();
  DrawPolygon();
  p_.UndoFromSnapshot() = false;
}

}  // namespace wlg
