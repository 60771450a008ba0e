#include "controls/ValidText.h"

#include "controls/EntryTable.h"
#include "platform/Numbers.h"

namespace wlg {

ValidText::ValidText(std::string name, int index, EntryContext& context)
    : Control(std::move(name), index, ControlKind::Entry), context_(context) {
  SetValue("1");
}

ValidText::ValidText(const EntrySpec& entry, int index, EntryContext& context)
    : ValidText(entry.name, index, context) {
  ValMin = entry.valMin;
  ValMax = entry.valMax;
  ValDefault = entry.valDefault;
  ValFormat = entry.valFormat;
  SetEnabled(true);
  SetValue(entry.initialValue);
  SetToolTip(EntryToolTip(entry, index));
}

namespace {
void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
}
}  // namespace

double ValidText::ChkNum(std::string& text) {
  if (text.empty()) return InvalidNumber;
  if (text.size() == 1 && !(text[0] >= '0' && text[0] <= '9')) return InvalidNumber;
  ReplaceAll(text, "..", ".");
  ReplaceAll(text, "..", ".");
  ReplaceAll(text, ",,", ",");
  ReplaceAll(text, ",,", ",");
  text = TrimSpaces(text);
  double sign = 1.0;
  if (!text.empty() && text[0] == '-') {
    sign = -1.0;
    if (text.size() > 1) text.erase(0, 1);
  }
  double v = 0, w = 1, f = 1;
  int separators = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      v = (c - '0') * w + f * v;
      if (w < 1)
        w /= 10;
      else
        f = 10;
    } else {
      w /= 10;
      f = 1;
      if (++separators >= 2) return InvalidNumber;
    }
  }
  return sign * v;
}

std::string ValidText::ErrorCheck(const std::string& text, const std::string& def,
                                  const std::string& min, const std::string& max) {
  std::string scratch = text;
  const float n = static_cast<float>(ChkNum(scratch));
  if (n == static_cast<float>(InvalidNumber)) return TrimSpaces(def);
  if (n < static_cast<float>(Val(min))) return TrimSpaces(min);
  if (n > static_cast<float>(Val(max))) return TrimSpaces(max);
  std::string result = FormatSingle(n);
  Record(result);
  return result;
}

void ValidText::Record(const std::string& result) {
  if (UnDoing || result == UndoText[UndoLevel]) return;
  if (UndoLevel == 19) {
    for (int i = 1; i <= 19; ++i) {
      UndoText[i - 1] = UndoText[i];
      UndoTime[i - 1] = UndoTime[i];
    }
  } else {
    ++UndoLevel;
  }
  UndoText[UndoLevel] = result;
  UndoTime[UndoLevel] = context_.NextStamp();
}

void ValidText::SetValue(const std::string& text) {
  value_ = ErrorCheck(text, ValDefault, ValMin, ValMax);
  Refresh();
}

double ValidText::Number() const { return Val(value_); }

int ValidText::Integer() const { return static_cast<int>(RoundHalfEven(Number())); }

namespace {
// Holds a flag for the length of a scope, also when a handler throws.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};
}  // namespace

void ValidText::CommitEnter(const std::string& typed) {
  if (committing_) return;
  FlagScope busy(committing_);
  value_ = ErrorCheck(typed, ValDefault, ValMin, ValMax);
  Refresh();
  context_.undoFromSnapshot = false;
  if (Changed) Changed(Index());
}

void ValidText::CommitFocusLoss(const std::string& typed) {
  if (committing_) return;
  SetValue(typed);
  CommitEnter(value_);
}

void ValidText::SetColours(Colour back, Colour fore) {
  foreColour = fore;
  hasColours = true;
  SetBackColour(back);
}

}  // namespace wlg
