#include "document/EditHistory.h"

#include <algorithm>

#include "document/UnDoModule.h"

namespace wlg {

namespace {

// Commit stamps remembered; more than every box's history holds.
constexpr size_t CommitCapacity = 4096;

}  // namespace

// While an undo or redo applies its record, no entry records anything (the
// windows reload and redraw from the restored values) and no commit counts.
class EditHistory::ApplyScope {
 public:
  explicit ApplyScope(EditHistory& h) : h_(h), was_(h.applying_) {
    h_.applying_ = true;
    for (Form* form : h_.forms_()) {
      if (!form) continue;
      for (const auto& c : form->Controls())
        if (auto* e = dynamic_cast<ValidText*>(c.get())) {
          quiet_.push_back({e, e->UnDoing});
          e->UnDoing = true;
        }
    }
  }
  ~ApplyScope() {
    for (auto& [e, was] : quiet_) e->UnDoing = was;
    h_.applying_ = was_;
    h_.seen_ = h_.p_.entries.lastStamp;
  }
  ApplyScope(const ApplyScope&) = delete;
  ApplyScope& operator=(const ApplyScope&) = delete;

 private:
  EditHistory& h_;
  bool was_;
  std::vector<std::pair<ValidText*, bool>> quiet_;
};

// Sits in front of an entry's Changed handler: a commit is the one event
// that tells a user's entry from a value code put there.
struct EditHistory::CommitWatch {
  EditHistory* history;
  ValidText* box;
  std::function<void(int)> handler;
  void operator()(int index) const {
    history->Committed(*box);
    if (handler) handler(index);
  }
};

EditHistory::EditHistory(Program& program, std::function<std::vector<Form*>()> forms)
    : p_(program), forms_(std::move(forms)) {}

void EditHistory::Watch() {
  for (const EntryBox& b : UndoableEntries(forms_())) {
    std::function<void(int)>& changed = b.entry->Changed;
    if (const auto* w = changed.target<CommitWatch>(); w && w->history == this) continue;
    changed = CommitWatch{this, b.entry, std::move(changed)};
  }
}

void EditHistory::Committed(ValidText& box) {
  if (applying_) return;
  const double last = p_.entries.lastStamp;
  // Only a commit that recorded its value is an edit. Its record is the
  // latest of all, and newer than anything seen before.
  if (box.UndoLevel > 0 && box.UndoTime[box.UndoLevel] == last && last > seen_) {
    commits_.insert(last);
    if (commits_.size() > CommitCapacity) commits_.erase(commits_.begin());
    redo_.clear();
  }
  seen_ = last;
}

void EditHistory::Push(DesignRecord record) {
  design_.push_back(std::move(record));
  if (design_.size() > Depth) design_.pop_front();
  redo_.clear();
}

void EditHistory::TakeSnapshot() {
  Watch();
  Push({p_.entries.NextStamp(), TakeDesignSnapshot(p_), {}});
  p_.UndoFromSnapshot() = true;
  seen_ = p_.entries.lastStamp;
}

int EditHistory::LatestSnapshotLines() const {
  return design_.empty() ? 0 : static_cast<int>(design_.back().lines.size());
}

// ---- compound edits

EditHistory::CompoundEdit::CompoundEdit(EditHistory& history, Form& form) : history_(history) {
  history_.BeginCompound(form);
}

EditHistory::CompoundEdit::~CompoundEdit() { history_.EndCompound(); }

void EditHistory::BeginCompound(Form& form) {
  // One edit stays one edit: an inner compound adds nothing.
  if (compoundDepth_++ > 0) return;
  Watch();
  compound_ = {p_.entries.NextStamp(), TakeDesignSnapshot(p_), {}};
  compoundQuiet_.clear();
  for (const auto& c : form.Controls()) {
    if (auto* e = dynamic_cast<ValidText*>(c.get())) {
      compound_.controls.push_back({e, e->Value(), 0});
      compoundQuiet_.push_back({e, e->UnDoing});
      e->UnDoing = true;
    } else if (auto* box = dynamic_cast<CheckBox*>(c.get())) {
      compound_.controls.push_back({box, {}, box->Value()});
    }
  }
}

namespace {

EditHistory::ControlValue ValueNow(const EditHistory::ControlValue& v) {
  if (auto* e = dynamic_cast<ValidText*>(v.control)) return {e, e->Value(), 0};
  return {v.control, {}, static_cast<CheckBox*>(v.control)->Value()};
}

std::vector<EditHistory::ControlValue> ValuesNow(const std::vector<EditHistory::ControlValue>& v) {
  std::vector<EditHistory::ControlValue> now;
  now.reserve(v.size());
  for (const auto& c : v) now.push_back(ValueNow(c));
  return now;
}

}  // namespace

void EditHistory::EndCompound() {
  if (--compoundDepth_ > 0) return;
  for (auto& [e, was] : compoundQuiet_) e->UnDoing = was;
  compoundQuiet_.clear();
  std::vector<ControlValue> changed;
  for (const ControlValue& before : compound_.controls) {
    const ControlValue now = ValueNow(before);
    if (now.text != before.text || now.state != before.state) changed.push_back(before);
  }
  compound_.controls = std::move(changed);
  Push(std::move(compound_));
  compound_ = {};
}

// ---- taking back and re-applying

void EditHistory::ApplyDesign(const std::vector<std::string>& lines,
                              const std::vector<ControlValue>& values) {
  RestoreDesignSnapshot(lines, p_);
  const bool was = p_.SuppressEvents;
  p_.SuppressEvents = true;  // the boxes' handlers must not redraw midway
  for (const ControlValue& v : values) {
    if (auto* e = dynamic_cast<ValidText*>(v.control))
      e->SetValue(v.text);
    else
      static_cast<CheckBox*>(v.control)->SetValue(v.state);
  }
  p_.SuppressEvents = was;
}

EditHistory::EntryStep EditHistory::TakeBack(Form* form, ValidText& box) {
  const int level = box.UndoLevel;
  EntryStep step{form, &box, level, box.UndoTime[level], box.UndoText[level]};
  box.UndoTime[level] = -step.stamp;
  --box.UndoLevel;
  box.SetValue(box.UndoText[box.UndoLevel]);
  return step;
}

bool EditHistory::Reapply(const EntryStep& step) {
  ValidText& box = *step.box;
  // Gone when the box recorded something since it was taken back.
  if (box.UndoLevel != step.level - 1 || box.UndoTime[step.level] != -step.stamp ||
      box.UndoText[step.level] != step.text)
    return false;
  box.UndoLevel = step.level;
  box.UndoTime[step.level] = step.stamp;
  box.SetValue(step.text);
  return true;
}

bool EditHistory::Undo() {
  Watch();
  // A release on a canvas says a pointer edit is the latest; with no
  // snapshot there is nothing to restore, and no entry is taken instead.
  if (p_.UndoFromSnapshot() && design_.empty()) return false;
  ApplyScope scope(*this);
  const std::vector<EntryBox> boxes = UndoableEntries(forms_());

  // The latest edit: the latest design record or the latest commit still
  // held by a box.
  const double designStamp = design_.empty() ? 0 : design_.back().stamp;
  const EntryBox* commit = nullptr;
  double commitStamp = 0;
  for (const EntryBox& b : boxes) {
    const ValidText& e = *b.entry;
    for (int l = e.UndoLevel; l > 0; --l) {
      if (!commits_.count(e.UndoTime[l])) continue;
      if (e.UndoTime[l] > commitStamp) {
        commitStamp = e.UndoTime[l];
        commit = &b;
      }
      break;
    }
  }
  const double edit = std::max(designStamp, commitStamp);

  RedoStep step;
  if (edit == 0) {
    // No edit left: the values start-up and loading gave the boxes, one by
    // one, latest first.
    const EntryBox* latest = nullptr;
    double best = 0;
    for (const EntryBox& b : boxes)
      if (b.entry->UndoLevel > 0 && b.entry->UndoTime[b.entry->UndoLevel] > best) {
        best = b.entry->UndoTime[b.entry->UndoLevel];
        latest = &b;
      }
    if (!latest) return false;
    step.entry = TakeBack(latest->form, *latest->entry);
    redo_.push_back(step);
    p_.UndoFromSnapshot() = false;
    latest->form->EntryRestored(*latest->entry);
    return true;
  }

  // Every later record was written while the edit was carried out.
  for (const EntryBox& b : boxes)
    while (b.entry->UndoLevel > 0 && b.entry->UndoTime[b.entry->UndoLevel] > edit)
      step.followers.push_back(TakeBack(b.form, *b.entry));

  p_.UndoFromSnapshot() = false;
  if (designStamp > commitStamp) {
    step.design = true;
    step.record = std::move(design_.back());
    design_.pop_back();
    // The record is the design before the edit; the design now is what a
    // redo puts back.
    step.lines = TakeDesignSnapshot(p_);
    step.controls = ValuesNow(step.record.controls);
    ApplyDesign(step.record.lines, step.record.controls);
    const bool controls = !step.record.controls.empty();
    redo_.push_back(std::move(step));
    if (designRestored) designRestored(controls, true);
    return true;
  }
  commits_.erase(commitStamp);
  step.commit = true;
  step.entry = TakeBack(commit->form, *commit->entry);
  redo_.push_back(step);
  commit->form->EntryRestored(*commit->entry);
  return true;
}

bool EditHistory::Redo() {
  Watch();
  if (redo_.empty()) return false;
  ApplyScope scope(*this);
  RedoStep step = std::move(redo_.back());
  redo_.pop_back();

  if (!step.design) {
    if (!Reapply(step.entry)) {
      redo_.clear();
      return false;
    }
    if (step.commit) commits_.insert(step.entry.stamp);
  } else {
    ApplyDesign(step.lines, step.controls);
    design_.push_back(std::move(step.record));
    if (design_.size() > Depth) design_.pop_front();
  }
  for (auto f = step.followers.rbegin(); f != step.followers.rend(); ++f) Reapply(*f);

  p_.UndoFromSnapshot() = false;
  if (step.design) {
    if (designRestored) designRestored(!step.controls.empty(), false);
  } else {
    step.entry.form->EntryRestored(*step.entry.box);
  }
  return true;
}

}  // namespace wlg
