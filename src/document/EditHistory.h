#pragma once
// Undo and Redo through time. Two kinds of record share one time line: the
// design records kept here (the snapshot SetUndo takes just before a pointer
// or clearing edit, or a compound edit that also rewrote controls) and the
// entry boxes' own commit histories. Both are stamped from the entries' one
// counter, so Undo takes back the latest edit of either kind, then the one
// before, and so on; Redo re-applies what Undo took back until a new edit.
//
// Entry records that code writes while it carries out an edit (the
// tessellator's editor boxes loaded as a tile is placed or dragged, the 3D
// angle boxes after a redraw) are not edits of their own: they follow the
// edit they belong to, and are taken back and re-applied with it.

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "controls/Form.h"
#include "designer/Program.h"

namespace wlg {

class EditHistory {
 public:
  // Design records kept; beyond this the oldest is dropped.
  static constexpr size_t Depth = 100;

  // 'forms' lists the windows whose entry boxes take part, in the program's
  // window order (null for a window that does not exist yet).
  EditHistory(Program& program, std::function<std::vector<Form*>()> forms);
  EditHistory(const EditHistory&) = delete;
  EditHistory& operator=(const EditHistory&) = delete;

  // The design as it is now, just before an edit (SetUndo).
  void TakeSnapshot();

  // One edit that rewrites controls of a window as well as the design (the
  // automatic set-up for a solid). While it lives the window's entries record
  // nothing; at its end the controls it changed are kept, as they were, with
  // the design snapshot taken at its start, under one stamp.
  class CompoundEdit {
   public:
    CompoundEdit(EditHistory& history, Form& form);
    ~CompoundEdit();
    CompoundEdit(const CompoundEdit&) = delete;
    CompoundEdit& operator=(const CompoundEdit&) = delete;

   private:
    EditHistory& history_;
  };

  // Take back the latest edit; re-apply the edit taken back last. Both are
  // false when there is nothing to do.
  bool Undo();
  bool Redo();

  size_t UndoDepth() const { return design_.size(); }  // design records kept
  size_t RedoDepth() const { return redo_.size(); }
  // Lines of the latest design record (0 before the first).
  int LatestSnapshotLines() const;

  // Told once a design record has been put back (undone) or re-applied: the
  // windows load the editor and redraw. 'controls' is set when the record is
  // a compound edit's, whose controls changed with it.
  std::function<void(bool controls, bool undone)> designRestored;

  // A window's control as a compound edit found it.
  struct ControlValue {
    Control* control = nullptr;
    std::string text;  // an entry's value
    int state = 0;     // a check box's value
  };

 private:
  struct DesignRecord {
    double stamp = 0;
    std::vector<std::string> lines;      // the design just before the edit
    std::vector<ControlValue> controls;  // a compound edit's controls before it
  };
  // One entry record taken back.
  struct EntryStep {
    Form* form = nullptr;
    ValidText* box = nullptr;
    int level = 0;
    double stamp = 0;
    std::string text;
  };
  struct RedoStep {
    bool design = false;
    bool commit = false;                 // the entry step is a user's commit
    DesignRecord record;                 // design: back onto the undo list when redone
    std::vector<std::string> lines;      // design: the state to re-apply
    std::vector<ControlValue> controls;  // compound: the controls to re-apply
    EntryStep entry;                     // otherwise: the commit
    std::vector<EntryStep> followers;    // records taken back with it, latest first
  };
  class ApplyScope;
  struct CommitWatch;

  void Watch();
  void Committed(ValidText& box);
  void Push(DesignRecord record);
  void BeginCompound(Form& form);
  void EndCompound();
  void ApplyDesign(const std::vector<std::string>& lines, const std::vector<ControlValue>& values);
  static EntryStep TakeBack(Form* form, ValidText& box);
  static bool Reapply(const EntryStep& step);

  Program& p_;
  std::function<std::vector<Form*>()> forms_;
  std::deque<DesignRecord> design_;
  std::vector<RedoStep> redo_;
  // Stamps of the entry records that users committed (the others follow).
  std::set<double> commits_;
  // The counter as last seen here: a commit is new when its record is later.
  double seen_ = 0;
  bool applying_ = false;
  // The open compound edit.
  int compoundDepth_ = 0;
  DesignRecord compound_;
  std::vector<std::pair<ValidText*, bool>> compoundQuiet_;
};

}  // namespace wlg
