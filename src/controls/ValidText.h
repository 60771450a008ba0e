#pragma once
// The numeric entry box. The user types freely; a commit (Enter or focus
// loss) parses the text tolerantly, clamps it to the bounds, writes the
// canonical text back, records it in a 20-level history and raises Changed.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "controls/Controls.h"

namespace wlg {

// Shared by every entry box of the program.
struct EntryContext {
  // True while the most recent undoable action was a pointer or clearing
  // edit; every entry commit clears it.
  bool undoFromSnapshot = false;
  // Commit stamps order the histories of all boxes. A counter rather than the
  // time of day, so commits within one clock tick or around midnight keep
  // their order.
  double lastStamp = 0;
  double NextStamp() { return ++lastStamp; }
};

struct EntrySpec;

class ValidText : public Control {
 public:
  static constexpr double InvalidNumber = -9999.99;
  static constexpr int HistorySize = 21;  // indices 0..20; recording uses 0..19

  // Creation: the control defaults, then the stored properties of 'entry'.
  ValidText(std::string name, int index, EntryContext& context);
  ValidText(const EntrySpec& entry, int index, EntryContext& context);

  // The tolerant parser. Normalises 'text' in place.
  static double ChkNum(std::string& text);
  // The commit rule; records in-range results unless UnDoing.
  std::string ErrorCheck(const std::string& text, const std::string& def, const std::string& min,
                         const std::string& max);

  const std::string& Value() const { return value_; }
  // Validates (and records) without raising Changed.
  void SetValue(const std::string& text);
  // The value read as a number by the leading-number rule.
  double Number() const;
  float Single() const { return static_cast<float>(Number()); }
  // Nearest integer, halves to even.
  int Integer() const;

  // The user pressed Enter with 'typed' in the box. A commit arriving while
  // this box's Changed handler still runs (its question took the focus, say)
  // is dropped: one user commit raises Changed once.
  void CommitEnter(const std::string& typed);
  // Focus left the box with 'typed' in it.
  void CommitFocusLoss(const std::string& typed);

  std::string ValMin = "1";
  std::string ValMax = "100";
  std::string ValDefault = "1";
  std::string ValFormat = "0.0";

  Colour foreColour = Rgb(0, 0, 0);
  bool hasColours = false;
  void SetColours(Colour back, Colour fore);

  int UndoLevel = 0;
  std::array<std::string, HistorySize> UndoText{};
  std::array<double, HistorySize> UndoTime{};
  bool UnDoing = false;

  std::function<void(int index)> Changed;

 private:
  void Record(const std::string& result);

  EntryContext& context_;
  std::string value_;
  bool committing_ = false;
};

}  // namespace wlg
