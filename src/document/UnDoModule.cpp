#include "document/UnDoModule.h"

#include <algorithm>

#include "document/PatternFile.h"
#include "platform/Numbers.h"

namespace wlg {

std::vector<EntryBox> UndoableEntries(const std::vector<Form*>& forms) {
  std::vector<EntryBox> boxes;
  for (Form* form : forms) {
    if (!form) continue;
    for (const auto& c : form->Controls()) {
      const std::string& name = c->Name();
      if (name.rfind("vt", 0) != 0 && name.rfind("vs", 0) != 0) continue;
      if (auto* entry = dynamic_cast<ValidText*>(c.get())) boxes.push_back({form, entry});
    }
  }
  return boxes;
}

void UndoLatestEntry(const std::vector<Form*>& forms) {
  ValidText* candidate = nullptr;
  double best = 0;
  for (const EntryBox& box : UndoableEntries(forms)) {
    const ValidText& entry = *box.entry;
    if (entry.UndoLevel <= 0) continue;
    const double stamp = entry.UndoTime[entry.UndoLevel];
    if (stamp > best) {
      best = stamp;
      candidate = box.entry;
    }
  }
  if (!candidate) return;

  ValidText& e = *candidate;
  e.UnDoing = true;
  e.UndoTime[e.UndoLevel] = -e.UndoTime[e.UndoLevel];
  --e.UndoLevel;
  e.SetValue(e.UndoText[e.UndoLevel]);
  e.UnDoing = false;
}

// The original kept at most 1000 lines. A snapshot only passes that with
// hundreds of colour overrides; the vector keeps every line rather than
// dropping some of the design.
std::vector<std::string> TakeDesignSnapshot(const Program& program) {
  const DesignModel& m = program.design;
  const TessState& tess = program.tess;
  std::vector<std::string> lines;
  lines.reserve(LastSlot + 4 + tess.TessCount + m.overrides.OverrideCount);
  for (int s = 0; s <= LastSlot; ++s) lines.push_back(PointLine(m, s));
  lines.push_back(std::to_string(tess.TessCount));
  for (int i = 1; i <= tess.TessCount && i < TessCapacity; ++i)
    lines.push_back(ItemLine(tess.TessItems[i]));
  lines.push_back(ColourLine(m.CustomColours));
  lines.push_back(std::to_string(m.overrides.OverrideCount));
  for (int i = 0; i < m.overrides.OverrideCount && i < OverrideCapacity; ++i)
    lines.push_back(OverrideLine(m.overrides.entries[i]));
  return lines;
}

void RestoreDesignSnapshot(const std::vector<std::string>& lines, Program& program) {
  DesignModel& m = program.design;
  TessState& tess = program.tess;
  std::string reason;  // the lines are our own; a short snapshot just stops early
  size_t next = 0;
  auto line = [&]() -> const std::string* {
    return next < lines.size() ? &lines[next++] : nullptr;
  };

  for (int s = 0; s <= LastSlot; ++s) {
    const std::string* l = line();
    if (!l) return;
    ReadPointLine(*l, m, s, reason);
  }
  const std::string* count = line();
  if (!count) return;
  const int items =
      static_cast<int>(std::clamp<int64_t>(RoundHalfEven(Val(*count)), 0, MaxTessItems));
  // Items never stored are empty already.
  for (size_t i = 1; i < tess.TessItems.Stored(); ++i) tess.TessItems[i].X = 0;
  tess.TessCount = 0;
  for (int i = 1; i <= items; ++i) {
    const std::string* l = line();
    if (!l) break;
    ReadItemLine(*l, tess.TessItems[i], nullptr, reason);
    tess.TessCount = i;
  }
  tess.EditItem = tess.TessCount;

  if (const std::string* l = line()) ReadColourLine(*l, m.CustomColours, reason);
  const std::string* overrides = line();
  if (!overrides) return;
  const int n =
      static_cast<int>(std::clamp<int64_t>(RoundHalfEven(Val(*overrides)), 0, OverrideCapacity));
  m.overrides.OverrideCount = 0;
  for (int i = 0; i < n; ++i) {
    const std::string* l = line();
    if (!l) break;
    ReadOverrideLine(*l, m.overrides.entries[i], reason);
    m.overrides.OverrideCount = i + 1;
  }
}

}  // namespace wlg
