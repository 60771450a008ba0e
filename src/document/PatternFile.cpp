#include "document/PatternFile.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/Numbers.h"
#include "platform/SafeFile.h"

namespace wlg {

namespace {

constexpr const char* kCrLf = "\r\n";

// A number as the file's single-precision fields hold it; false when a float
// cannot (the value overflows).
bool ToSingle(double v, float& out) {
  if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) return false;
  out = static_cast<float>(v);
  return true;
}

// Nearest 32-bit integer, halves to even; false when it does not fit.
bool ToInt32(double v, int& out) {
  if (!std::isfinite(v)) return false;
  const double r = std::nearbyint(v);
  if (r < -2147483648.0 || r > 2147483647.0) return false;
  out = static_cast<int>(RoundHalfEven(r));
  return true;
}

bool ReadSingle(std::string_view field, float& out, std::string& reason) {
  if (ToSingle(Val(field), out)) return true;
  reason = "number out of range";
  return false;
}

bool ReadInt32(std::string_view field, int& out, std::string& reason) {
  if (ToInt32(Val(field), out)) return true;
  reason = "number out of range";
  return false;
}

// The fields of a line between commas (an empty line has none), split in
// place: every line of a file is split twice a load, and a vector for each
// was much of the reading. The first kKept are kept, enough for any line.
class Fields {
 public:
  static constexpr size_t kKept = 20;
  explicit Fields(std::string_view line) {
    if (line.empty()) return;
    for (size_t start = 0;;) {
      const size_t comma = line.find(',', start);
      if (count_ < kKept) kept_[count_] = line.substr(start, comma - start);
      ++count_;
      if (comma == std::string_view::npos) return;
      start = comma + 1;
    }
  }
  size_t size() const { return count_; }
  // Below kKept, and below size() (TooFew checks it first).
  std::string_view operator[](size_t i) const { return kept_[i]; }

 private:
  std::array<std::string_view, kKept> kept_;
  size_t count_ = 0;
};

bool TooFew(const Fields& fields, size_t needed, std::string& reason) {
  if (fields.size() >= needed) return false;
  reason = "too few fields (" + std::to_string(fields.size()) + ", expected " +
           std::to_string(needed) + ")";
  return true;
}

// "True"/"False" in any case, or a number (non-zero is true).
bool ReadBoolean(std::string_view field, bool& out, std::string& reason) {
  const std::string t = TrimSpaces(field);
  if (EqualsNoCase(t, "True")) {
    out = true;
    return true;
  }
  if (EqualsNoCase(t, "False")) {
    out = false;
    return true;
  }
  bool digit = false, numeric = !t.empty();
  for (char c : t) {
    if (c >= '0' && c <= '9')
      digit = true;
    else if (c != '.' && c != '-' && c != '+')
      numeric = false;
  }
  if (numeric && digit) {
    out = Val(t) != 0;
    return true;
  }
  reason = "mirror flag is neither True nor False";
  return false;
}

const char* BoolText(bool b) { return b ? "True" : "False"; }

std::string Int32Text(Colour c) { return std::to_string(static_cast<int32_t>(c)); }

// Sets a loaded value the way a programmatic assignment does: entries
// validate, clamp and record it; check boxes take it as an integer.
void AssignValue(Control& c, float value) {
  if (auto* e = dynamic_cast<ValidText*>(&c)) {
    e->SetValue(FormatSingle(value));
  } else if (auto* b = dynamic_cast<CheckBox*>(&c)) {
    int v = 0;
    b->SetValue(ToInt32(value, v) ? v : 0);  // the box itself turns odd values into 0
  } else if (auto* bar = dynamic_cast<ScrollBar*>(&c)) {
    int v = 0;
    if (ToInt32(value, v)) bar->SetValue(v);  // the bar clamps to its range
  }
}

// The ends of the lines of a text (a line ends at CR, LF or CR LF), found
// with memchr: a byte loop costs most of the time of checking a long file.
class LineBreaks {
 public:
  explicit LineBreaks(std::string_view text)
      : text_(text), cr_(text.find('\r')), lf_(text.find('\n')) {}
  // Where the line from 'start' ends: at its break, or at the end of the text.
  size_t End(size_t start) {
    if (cr_ < start) cr_ = text_.find('\r', start);
    if (lf_ < start) lf_ = text_.find('\n', start);
    return std::min({cr_, lf_, text_.size()});
  }
  // Where the next line starts, past the break at 'end'.
  size_t After(size_t end) const {
    return end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
  }

 private:
  std::string_view text_;
  size_t cr_, lf_;
};

// The lines of the text with a cursor; line numbers are 1-based. Lines are
// found as they are asked for: most files that fail a check fail early.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text), breaks_(text) {}
  std::optional<std::string_view> Next() {
    if (start_ >= text_.size()) return std::nullopt;
    const size_t end = breaks_.End(start_);
    const std::string_view line = text_.substr(start_, end - start_);
    start_ = end == text_.size() ? end : breaks_.After(end);
    ++count_;
    return line;
  }
  // The line last returned by Next(); past the end once the text is used up.
  int Current() const { return count_; }
  int PastEnd() const {
    LineCursor rest = *this;
    while (rest.Next()) {
    }
    return rest.count_ + 1;
  }

 private:
  std::string_view text_;
  LineBreaks breaks_;
  size_t start_ = 0;
  int count_ = 0;
};

// A control named in any letter case, by a view into the text read.
struct RecordKey {
  std::string_view name;
  int index;
  bool operator<(const RecordKey& o) const {
    if (index != o.index) return index < o.index;
    const size_t n = std::min(name.size(), o.name.size());
    for (size_t i = 0; i < n; ++i) {
      const int a = std::toupper(static_cast<unsigned char>(name[i]));
      const int b = std::toupper(static_cast<unsigned char>(o.name[i]));
      if (a != b) return a < b;
    }
    return name.size() < o.name.size();
  }
};

bool ParseRecord(std::string_view line, std::string_view& name, double& index, float& value,
                 std::string& reason) {
  const Fields f(line);
  if (TooFew(f, 3, reason)) return false;
  name = f[0];
  index = Val(f[1]);
  return ReadSingle(f[2], value, reason);
}

bool IsCandidate(const Control& c) {
  // The 3D window's spin-speed scroll bars are named "chk..." and saved too.
  return c.Kind() == ControlKind::Entry || c.Kind() == ControlKind::CheckBox ||
         c.Kind() == ControlKind::ScrollBar;
}

}  // namespace

// ---- line formats

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  LineBreaks breaks(text);
  for (size_t start = 0; start < text.size();) {
    const size_t end = breaks.End(start);
    lines.push_back(text.substr(start, end - start));
    if (end == text.size()) break;
    start = breaks.After(end);
  }
  return lines;
}

bool IsPatternControl(const Control& c) {
  return IsCandidate(c) && (StartsWithNoCase(c.Name(), "vs") || StartsWithNoCase(c.Name(), "chk"));
}

// The writers append in place: the unsaved-changes check writes the whole
// design before every load, and temporaries were most of that.
std::string ControlRecord(const Control& c) {
  std::string line = c.Name();
  line += ',';
  line += std::to_string(c.Index());
  line += ',';
  if (auto* e = dynamic_cast<const ValidText*>(&c))
    line += FormatSingle(e->Single());
  else if (auto* b = dynamic_cast<const CheckBox*>(&c))
    line += std::to_string(b->Value());
  else if (auto* bar = dynamic_cast<const ScrollBar*>(&c))
    line += std::to_string(bar->Value());
  return line;
}

std::string CountLine(int count) { return (count < 0 ? "" : " ") + std::to_string(count) + " "; }

std::string PointLine(const DesignModel& m, int slot) {
  std::string line;
  for (int j = 0; j < MaxRankPoints; ++j) {
    line += FormatSingle(m.X[slot][j]);
    line += ',';
    line += FormatSingle(m.Y[slot][j]);
    line += ',';
  }
  return line;
}

std::string ItemLine(const TessItem& item) {
  return FormatSingle(item.X) + "," + FormatSingle(item.Y) + "," + std::to_string(item.Shape) +
         "," + FormatSingle(item.Angle) + "," + BoolText(item.Mirror) + "," +
         FormatSingle(item.Scale);
}

std::string ColourLine(const std::array<Colour, 16>& colours) {
  std::string line;
  for (Colour c : colours) line += Int32Text(c) + ",";
  return line;
}

std::string OverrideLine(const ColourOverride& o) {
  return FormatSingle(o.copy) + "," + FormatSingle(o.item) + "," + std::to_string(o.slot) + "," +
         std::to_string(o.colour);
}

std::string CreatedOnText(const std::tm& t) {
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int month = t.tm_mon >= 0 && t.tm_mon < 12 ? t.tm_mon : 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d/%s/%04d %02d:%02d:%02d", t.tm_mday, kMonths[month],
                t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

namespace {

using PointRow = std::array<float, MaxRankPoints>;

bool ParsePoints(std::string_view line, PointRow& x, PointRow& y, std::string& reason) {
  static_assert(2 * MaxRankPoints <= Fields::kKept);
  const Fields f(line);
  if (TooFew(f, 2 * MaxRankPoints, reason)) return false;
  PointRow rx{}, ry{};
  for (int j = 0; j < MaxRankPoints; ++j)
    if (!ReadSingle(f[2 * j], rx[j], reason) || !ReadSingle(f[2 * j + 1], ry[j], reason))
      return false;
  x = rx;
  y = ry;
  return true;
}

void PutPoints(DesignModel& m, int slot, const PointRow& x, const PointRow& y) {
  m.X[slot] = x;
  m.Y[slot] = y;
  int placed = 0;
  for (float v : x)
    if (v > 0) ++placed;
  m.PlacedCount[slot] = placed;
}

// What an item line holds. The older form has four fields: its mirror and
// scale are the tile's own settings, looked up as it is put in place.
struct ItemFields {
  float x = 0, y = 0, angle = 0, scale = 2;
  int shape = 1;
  bool mirror = false;
  bool olderForm = false;
};

bool ParseItem(std::string_view line, ItemFields& item, std::string& reason) {
  const Fields f(line);
  if (TooFew(f, 4, reason)) return false;
  ItemFields read;
  if (!ReadSingle(f[0], read.x, reason) || !ReadSingle(f[1], read.y, reason) ||
      !ReadInt32(f[2], read.shape, reason) || !ReadSingle(f[3], read.angle, reason))
    return false;
  // Every item shows one of the four designer tiles; any other number would
  // send the renderer outside its tables.
  if (read.shape < 1 || read.shape > TileCount) {
    reason = "tile number " + std::to_string(read.shape) + " outside 1..4";
    return false;
  }
  read.olderForm = f.size() == 4;
  if (!read.olderForm && (TooFew(f, 6, reason) || !ReadBoolean(f[4], read.mirror, reason) ||
                          !ReadSingle(f[5], read.scale, reason)))
    return false;
  item = read;
  return true;
}

void PutItem(ItemFields read, const Form* tessellator, TessItem& item) {
  if (read.olderForm) {
    read.mirror = false;
    read.scale = 2;
    if (tessellator) {
      if (auto* m = dynamic_cast<CheckBox*>(tessellator->FindNoCase("chkMirror", read.shape - 1)))
        read.mirror = m->Value() != 0;
      if (auto* s = dynamic_cast<ValidText*>(tessellator->FindNoCase("vsScale", read.shape - 1)))
        read.scale = s->Single();
    }
  }
  item.X = read.x;
  item.Y = read.y;
  item.Shape = read.shape;
  item.Angle = read.angle;
  item.Mirror = read.mirror;
  item.Scale = read.scale;
}

}  // namespace

bool ReadPointLine(std::string_view line, DesignModel& m, int slot, std::string& reason) {
  PointRow x, y;
  if (!ParsePoints(line, x, y, reason)) return false;
  PutPoints(m, slot, x, y);
  return true;
}

bool ReadItemLine(std::string_view line, TessItem& item, const Form* tessellator,
                  std::string& reason) {
  ItemFields read;
  if (!ParseItem(line, read, reason)) return false;
  PutItem(read, tessellator, item);
  return true;
}

bool ReadColourLine(std::string_view line, std::array<Colour, 16>& colours, std::string& reason) {
  const Fields f(line);
  if (TooFew(f, 16, reason)) return false;
  std::array<Colour, 16> read{};
  for (int i = 0; i < 16; ++i) {
    int v = 0;
    if (!ReadInt32(f[i], v, reason)) return false;
    read[i] = static_cast<Colour>(static_cast<uint32_t>(v));
  }
  colours = read;
  return true;
}

bool ReadOverrideLine(std::string_view line, ColourOverride& o, std::string& reason) {
  const Fields f(line);
  if (TooFew(f, 4, reason)) return false;
  ColourOverride read;
  if (!ReadSingle(f[0], read.copy, reason) || !ReadSingle(f[1], read.item, reason) ||
      !ReadInt32(f[2], read.slot, reason) || !ReadInt32(f[3], read.colour, reason))
    return false;
  // The renderer indexes the rank and colour tables with these.
  if (read.slot < 0 || read.slot > LastSlot) {
    reason = "rank slot " + std::to_string(read.slot) + " outside 0..63";
    return false;
  }
  if (read.colour < 0 || read.colour > 15) {
    reason = "colour index " + std::to_string(read.colour) + " outside 0..15";
    return false;
  }
  o = read;
  return true;
}

bool ShowFillSwatch(Program& program) {
  if (!program.tessellator) return true;
  auto* fill = dynamic_cast<ValidText*>(program.tessellator->FindNoCase("vsFillColour", 0));
  if (!fill) return true;
  const int index = fill->Integer();
  if (index < 0 || index > 15) return false;
  if (Control* swatch = program.tessellator->FindNoCase("picFill", 0))
    swatch->SetBackColour(program.design.CustomColours[index]);
  return true;
}

// ---- writing

std::string WritePattern(const Program& program, const PatternForms& forms,
                         const std::tm& created) {
  const DesignModel& m = program.design;
  std::string out;
  // About what a design with its tiles and overrides takes.
  out.reserve(12288 + 48 * static_cast<size_t>(std::max(0, program.tess.TessCount) +
                                               std::max(0, m.overrides.OverrideCount)));
  auto line = [&out](const std::string& text) {
    out += text;
    out += kCrLf;
  };
  auto records = [&](const Form* form) {
    if (!form) return;
    for (const auto& c : form->Controls())
      if (IsPatternControl(*c)) line(ControlRecord(*c));
  };

  line("Created on: " + CreatedOnText(created));
  line("Created by: " + m.CreatorName);
  line("");
  line("Designer");
  records(forms.designer);
  records(forms.view3D);
  line("Tessellator");
  records(forms.tessellator);
  line("PolyData");
  for (int s = 0; s <= LastSlot; ++s) line(PointLine(m, s));
  line("TessData");
  const int count = program.tess.TessCount;
  line(CountLine(count));
  for (int i = 1; i <= count && i < TessCapacity; ++i) line(ItemLine(program.tess.TessItems[i]));
  line("ColourData");
  line(ColourLine(m.CustomColours));
  const int overrides = m.overrides.OverrideCount;
  line(CountLine(overrides));
  for (int i = 0; i < overrides && i < OverrideCapacity; ++i)
    line(OverrideLine(m.overrides.entries[i]));
  const bool shown3D = forms.view3D && forms.view3D->IsVisible();
  line(shown3D ? m.SolidName : "No3D");
  return out;
}

namespace {
template <typename T>
void AppendBytes(std::string& key, const T& v) {
  key.append(reinterpret_cast<const char*>(&v), sizeof v);
}
void AppendText(std::string& key, const std::string& s) {
  AppendBytes(key, s.size());
  key += s;
}
}  // namespace

const std::vector<DesignKeys::Saved>& DesignKeys::SavedControls(int which, const Form& form) {
  Held& h = held_[which];
  if (h.form != &form || h.controls != form.Controls().size()) {
    // Controls are only ever added, and keep their names and kinds.
    h.form = &form;
    h.controls = form.Controls().size();
    h.saved.clear();
    for (const auto& c : form.Controls()) {
      if (!IsPatternControl(*c)) continue;
      Saved s;
      s.entry = dynamic_cast<const ValidText*>(c.get());
      if (!s.entry) s.box = dynamic_cast<const CheckBox*>(c.get());
      if (!s.entry && !s.box) s.bar = dynamic_cast<const ScrollBar*>(c.get());
      h.saved.push_back(s);
    }
  }
  return h.saved;
}

// Everything WritePattern reads, as it is held rather than as it is printed;
// the creator's name too, since it decides where the header ends.
void DesignKeys::Make(const Program& program, const PatternForms& forms, std::string& key) {
  const DesignModel& m = program.design;
  key.clear();
  AppendText(key, m.CreatorName);
  const Form* windows[] = {forms.designer, forms.view3D, forms.tessellator};
  for (int w = 0; w < 3; ++w) {
    AppendBytes(key, windows[w]);
    if (!windows[w]) continue;
    AppendBytes(key, windows[w]->Controls().size());
    for (const Saved& c : SavedControls(w, *windows[w])) {
      if (c.entry)
        AppendText(key, c.entry->Value());
      else if (c.box)
        AppendBytes(key, c.box->Value());
      else if (c.bar)
        AppendBytes(key, c.bar->Value());
    }
  }
  for (int s = 0; s <= LastSlot; ++s) {
    AppendBytes(key, m.X[s]);
    AppendBytes(key, m.Y[s]);
  }
  const int count = program.tess.TessCount;
  AppendBytes(key, count);
  for (int i = 1; i <= count && i < TessCapacity; ++i) {
    const TessItem& item = program.tess.TessItems[i];
    for (float v : {item.X, item.Y, item.Angle, item.Scale}) AppendBytes(key, v);
    AppendBytes(key, item.Shape);
    AppendBytes(key, item.Mirror);
  }
  AppendBytes(key, m.CustomColours);
  const int overrides = m.overrides.OverrideCount;
  AppendBytes(key, overrides);
  for (int i = 0; i < overrides && i < OverrideCapacity; ++i) {
    const ColourOverride& o = m.overrides.entries[i];
    for (float v : {o.copy, o.item}) AppendBytes(key, v);
    for (int v : {o.slot, o.colour}) AppendBytes(key, v);
  }
  const bool shown3D = forms.view3D && forms.view3D->IsVisible();
  AppendBytes(key, shown3D);
  if (shown3D) AppendText(key, m.SolidName);
}

bool SavePatternFile(const std::string& path, std::string_view text, std::string& reason) {
  return WriteFileAtomically(path, text, &reason);
}

// ---- reading

std::string PatternLoadError::Describe() const {
  return line > 0 ? "line " + std::to_string(line) + ": " + reason : reason;
}

namespace {

std::string MiB(double bytes) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f MiB", bytes / (1024.0 * 1024.0));
  return buf;
}

std::string TooLarge(double bytes) {
  return "the file is too large for a pattern (" + MiB(bytes) + ")";
}

// UTF-16 text of the ASCII a pattern holds has a NUL in every other byte.
bool LooksLikeUtf16(std::string_view bytes) {
  if (bytes.size() >= 2 &&
      ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
    return true;
  const size_t n = std::min<size_t>(bytes.size() & ~size_t{1}, 64);
  if (n < 4) return false;
  int evenNul = 0, oddNul = 0;
  for (size_t i = 0; i < n; i += 2) {
    evenNul += bytes[i] == '\0';
    oddNul += bytes[i + 1] == '\0';
  }
  const int pairs = static_cast<int>(n / 2);
  return (evenNul == pairs && oddNul == 0) || (oddNul == pairs && evenNul == 0);
}

}  // namespace

bool CheckPatternBytes(std::string_view bytes, PatternLoadError& error) {
  error = {};
  if (bytes.size() > MaxPatternFileBytes) {
    error.reason = TooLarge(static_cast<double>(bytes.size()));
    return false;
  }
  if (LooksLikeUtf16(bytes)) {
    error.reason = "the file is UTF-16 text; a pattern is plain text";
    return false;
  }
  if (const size_t nul = bytes.find('\0'); nul != std::string_view::npos) {
    error.reason = "the file holds a NUL byte (at byte " + std::to_string(nul) + ")";
    return false;
  }
  int lineNo = 1;
  bool blank = true;
  LineBreaks breaks(bytes);
  for (size_t start = 0;; ++lineNo) {
    const size_t end = breaks.End(start);
    if (end - start > MaxPatternLineBytes) {
      error = {lineNo, "a line longer than 4 KiB"};
      return false;
    }
    blank = blank &&
            bytes.substr(start, end - start).find_first_not_of(" \t") == std::string_view::npos;
    if (end == bytes.size()) break;
    start = breaks.After(end);
  }
  if (blank) {
    error.reason = "the file holds no text";
    return false;
  }
  return true;
}

bool ReadPatternFile(const std::string& path, std::string& text, std::string& reason) {
  const QString name = QString::fromStdString(path);
  if (QFileInfo(name).isDir()) {
    reason = path + " is a folder";
    return false;
  }
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) {
    reason = path + ": " + file.errorString().toStdString();
    return false;
  }
  constexpr auto limit = static_cast<qint64>(MaxPatternFileBytes);
  // Refused by its size alone, before a byte of it is read.
  if (file.size() > limit) {
    reason = path + ": " + TooLarge(static_cast<double>(file.size()));
    return false;
  }
  // The file's own size is enough to read; a pipe has none, so one byte more
  // than allowed is enough to tell.
  const QByteArray data = file.read(file.isSequential() ? limit + 1 : file.size() + 1);
  if (file.error() != QFileDevice::NoError) {
    reason = path + ": " + file.errorString().toStdString();
    return false;
  }
  const std::string_view bytes(data.constData(), static_cast<size_t>(data.size()));
  PatternLoadError error;
  if (!CheckPatternBytes(bytes, error)) {
    reason = path + ": " + error.Describe();
    return false;
  }
  text.assign(bytes);
  return true;
}

struct CheckedPattern::Parts {
  // Designer and 3D records, sorted by control and then by their order in
  // the file, so that the first record for a control is the one found.
  struct Record {
    RecordKey key;
    int order;
    float value;
    bool operator<(const Record& o) const {
      return key < o.key || (!(o.key < key) && order < o.order);
    }
  };
  std::vector<Record> records;
  bool sorted = false;
  struct TessRecord {
    std::string_view name;
    double index;
    float value;
  };
  std::vector<TessRecord> tessRecords;                // in file order
  std::vector<std::pair<PointRow, PointRow>> points;  // from slot 0 on
  std::vector<ItemFields> items;
  std::array<Colour, 16> colours{};
  int colourLine = 0;
  std::vector<ColourOverride> overrides;
  std::optional<std::string> solidName;
};

CheckedPattern::CheckedPattern() = default;
CheckedPattern::~CheckedPattern() = default;

bool CheckedPattern::Read(std::string_view text, PatternLoadError& error) {
  auto parts = std::make_unique<Parts>();
  LineCursor in(text);
  std::string reason;
  auto fail = [&error](int line, std::string why) {
    error = {line, std::move(why)};
    return false;
  };
  auto missing = [&](const char* header) {
    return fail(in.PastEnd(), std::string("the file ends before \"") + header + "\"");
  };
  // Skips lines up to the header; false at the end of the text.
  auto skipTo = [&in](const char* header) {
    while (auto line = in.Next())
      if (EqualsNoCase(*line, header)) return true;
    return false;
  };

  if (!skipTo("Designer")) return missing("Designer");
  int recordCount = 0;
  for (;;) {
    const auto line = in.Next();
    if (!line) return missing("Tessellator");
    if (EqualsNoCase(*line, "Tessellator")) break;
    if (++recordCount > MaxDesignerRecords)
      return fail(in.Current(), "more than 1000 designer records");
    std::string_view name;
    double index = 0;
    float value = 0;
    if (!ParseRecord(*line, name, index, value, reason)) return fail(in.Current(), reason);
    int rounded = 0;
    if (ToInt32(index, rounded)) parts->records.push_back({{name, rounded}, recordCount, value});
  }

  for (;;) {
    const auto line = in.Next();
    if (!line) return missing("PolyData");
    if (EqualsNoCase(*line, "PolyData")) break;
    std::string_view name;
    double index = 0;
    float value = 0;
    if (!ParseRecord(*line, name, index, value, reason)) return fail(in.Current(), reason);
    parts->tessRecords.push_back({name, index, value});
  }

  // A "TessData" line ends the points early.
  parts->points.reserve(LastSlot + 1);
  bool endedEarly = false;
  for (int slot = 0; slot <= LastSlot; ++slot) {
    const auto line = in.Next();
    if (!line) return missing("TessData");
    if (EqualsNoCase(*line, "TessData")) {
      endedEarly = true;
      break;
    }
    auto& [x, y] = parts->points.emplace_back();
    if (!ParsePoints(*line, x, y, reason)) return fail(in.Current(), reason);
  }
  if (!endedEarly && !in.Next()) return missing("TessData");

  const auto countLine = in.Next();
  if (!countLine) return fail(in.PastEnd(), "the file ends before the tile count");
  int count = 0;
  if (!ToInt32(Val(*countLine), count) || count < 0 || count > MaxTessItems)
    return fail(in.Current(), "tile count outside 0.." + std::to_string(MaxTessItems));
  // Grown as read: a count far beyond the lines that follow costs nothing.
  for (int i = 1; i <= count; ++i) {
    const auto line = in.Next();
    if (!line) return fail(in.PastEnd(), "the file ends in the tile list");
    if (!ParseItem(*line, parts->items.emplace_back(), reason)) return fail(in.Current(), reason);
  }

  if (!in.Next()) return missing("ColourData");
  const auto colourLine = in.Next();
  if (!colourLine) return fail(in.PastEnd(), "the file ends before the colour line");
  if (!ReadColourLine(*colourLine, parts->colours, reason)) return fail(in.Current(), reason);
  parts->colourLine = in.Current();

  const auto overrideLine = in.Next();
  if (!overrideLine) return fail(in.PastEnd(), "the file ends before the override count");
  int overrides = 0;
  if (!ToInt32(Val(*overrideLine), overrides) || overrides < 0 || overrides > OverrideCapacity)
    return fail(in.Current(), "override count outside 0.." + std::to_string(OverrideCapacity));
  for (int i = 0; i < overrides; ++i) {
    const auto line = in.Next();
    if (!line) return fail(in.PastEnd(), "the file ends in the override list");
    if (!ReadOverrideLine(*line, parts->overrides.emplace_back(), reason))
      return fail(in.Current(), reason);
  }

  const auto solid = in.Next();
  if (solid && ToUpper(*solid).find("NO3D") == std::string::npos)
    parts->solidName = std::string(*solid);
  parts_ = std::move(parts);
  return true;
}

PatternLoadResult CheckedPattern::Apply(Program& program, const PatternForms& forms,
                                        const PatternLoadHooks& hooks) {
  PatternLoadResult result;
  if (!parts_) return result;
  Parts& parts = *parts_;
  // Only records put in place need finding: a check alone never sorts them.
  if ((forms.designer || forms.view3D) && !parts.sorted) {
    std::sort(parts.records.begin(), parts.records.end());
    parts.sorted = true;
  }
  auto progress = [&hooks](int percent) {
    if (hooks.progress) hooks.progress(percent);
  };
  progress(5);

  auto apply = [&](Form& form, bool report) {
    const size_t count = form.Controls().size();
    const int every = static_cast<int>(RoundHalfEven(count / 20.0));
    // By index: a handler run by an assignment must not invalidate the walk.
    for (size_t i = 0; i < form.Controls().size(); ++i) {
      Control& c = *form.Controls()[i];
      if (IsPatternControl(c)) {
        const Parts::Record wanted{{c.Name(), c.Index()}, 0, 0};
        const auto found = std::lower_bound(parts.records.begin(), parts.records.end(), wanted);
        if (found != parts.records.end() && !(wanted.key < found->key))
          AssignValue(c, found->value);
      }
      const int done = static_cast<int>(i) + 1;
      if (report && every > 0 && done % every == 0)
        progress(static_cast<int>(RoundHalfEven(10 + 70.0 * done / count)));
    }
  };
  progress(10);
  if (forms.designer) apply(*forms.designer, true);
  progress(80);
  if (forms.view3D) apply(*forms.view3D, false);
  progress(85);

  // Tessellator records, matched one by one; a line naming no control is skipped.
  if (forms.tessellator) {
    for (const Parts::TessRecord& r : parts.tessRecords) {
      for (size_t i = 0; i < forms.tessellator->Controls().size(); ++i) {
        Control& c = *forms.tessellator->Controls()[i];
        if (IsPatternControl(c) && EqualsNoCase(c.Name(), r.name) && c.Index() == r.index) {
          AssignValue(c, r.value);
          break;
        }
      }
    }
  }

  // The slots not reached keep the empty points the designer cleared them to.
  if (hooks.clearDesignerCanvas) hooks.clearDesignerCanvas();
  DesignModel& m = program.design;
  for (size_t slot = 0; slot < parts.points.size(); ++slot)
    PutPoints(m, static_cast<int>(slot), parts.points[slot].first, parts.points[slot].second);

  TessState& tess = program.tess;
  progress(90);
  tess.TessCount = 0;
  for (const ItemFields& item : parts.items)
    PutItem(item, forms.tessellator, tess.TessItems[++tess.TessCount]);
  tess.EditItem = tess.TessCount;
  if (hooks.updateEdit) hooks.updateEdit(tess.TessCount);
  progress(95);

  m.CustomColours = parts.colours;
  if (!ShowFillSwatch(program)) {
    result.error = {parts.colourLine, "fill colour index outside 0..15"};
    return result;
  }
  m.overrides.OverrideCount = 0;
  for (const ColourOverride& o : parts.overrides)
    m.overrides.entries[m.overrides.OverrideCount++] = o;

  result.solidName = parts.solidName;
  result.ok = true;
  return result;
}

PatternLoadResult ReadPattern(std::string_view text, Program& program, const PatternForms& forms,
                              const PatternLoadHooks& hooks) {
  CheckedPattern pattern;
  PatternLoadResult result;
  if (!pattern.Read(text, result.error)) return result;
  return pattern.Apply(program, forms, hooks);
}

}  // namespace wlg
