#pragma once
// Pattern files (.wlg): the whole design as CR LF text lines, written from
// and read back into the windows' controls and the program's shared model.
// The line formats are shared with the undo snapshot.

#include <array>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/Form.h"
#include "designer/Program.h"

namespace wlg {

inline constexpr const char* kPatternLoadFailed = "Sorry,there was an error loading the .wlg file";
inline constexpr const char* kPatternSaveFailed = "Sorry, the .wlg file could not be saved:";
inline constexpr int MaxDesignerRecords = 1000;

// The windows whose controls a pattern carries. The 3D window and the
// tessellator may not exist yet; their records are then skipped.
struct PatternForms {
  Form* designer = nullptr;
  Form* view3D = nullptr;
  Form* tessellator = nullptr;
};

// ---- line formats

// Lines of a text whose lines end in CR LF, LF or a lone CR. A final line
// without an ending counts; an ending at the very end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Controls saved in a pattern: entries and check boxes named "vs..." or
// "chk..." in any letter case.
bool IsPatternControl(const Control& c);
std::string ControlRecord(const Control& c);  // "vsPolyBig,0,4"
std::string CountLine(int count);             // " 12 "
std::string PointLine(const DesignModel& m, int slot);
std::string ItemLine(const TessItem& item);
std::string ColourLine(const std::array<Colour, 16>& colours);
std::string OverrideLine(const ColourOverride& o);
// "dd/mmm/yyyy hh:mm:ss" with English month abbreviations, whatever the locale.
std::string CreatedOnText(const std::tm& t);

// Readers of single lines; false (with 'reason') for a line too short or a
// number a float or 32-bit integer cannot hold.
bool ReadPointLine(std::string_view line, DesignModel& m, int slot, std::string& reason);
// 'tessellator' supplies mirror and scale for the older four-field form.
bool ReadItemLine(std::string_view line, TessItem& item, const Form* tessellator,
                  std::string& reason);
bool ReadColourLine(std::string_view line, std::array<Colour, 16>& colours, std::string& reason);
bool ReadOverrideLine(std::string_view line, ColourOverride& o, std::string& reason);

// The tessellator's fill swatch shows CustomColours(vsFillColour(0)). False
// when that index is outside 0..15 (nothing is changed then).
bool ShowFillSwatch(Program& program);

// ---- writing

std::string WritePattern(const Program& program, const PatternForms& forms, const std::tm& created);
// What the design part of WritePattern's text is made from, as raw bytes:
// while the key stays the same, so does that text. Far cheaper than writing
// it, so a design that did not change is seen without being written. Keeps
// which controls each window saves from one key to the next.
class DesignKeys {
 public:
  void Make(const Program& program, const PatternForms& forms, std::string& key);

 private:
  struct Saved {
    const ValidText* entry = nullptr;
    const CheckBox* box = nullptr;
    const ScrollBar* bar = nullptr;
  };
  struct Held {
    const Form* form = nullptr;
    size_t controls = 0;
    std::vector<Saved> saved;
  };
  const std::vector<Saved>& SavedControls(int which, const Form& form);
  std::array<Held, 3> held_;
};
// Writes through a temporary file in the same folder that replaces 'path'
// only once everything is written, so a failure leaves an earlier file as it was.
bool SavePatternFile(const std::string& path, std::string_view text, std::string& reason);

// ---- reading

struct PatternLoadError {
  int line = 0;  // 1-based; 0 when the file could not be read at all
  std::string reason;
  std::string Describe() const;
};

struct PatternLoadHooks {
  std::function<void(int percent)> progress;
  std::function<void(int item)> updateEdit;   // the tessellator's editor
  std::function<void()> clearDesignerCanvas;  // before the point lines
};

struct PatternLoadResult {
  bool ok = false;
  PatternLoadError error;
  // The solid to show; empty when the file ends before it or names "No3D".
  std::optional<std::string> solidName;
};

// A real pattern is CR LF text of at most a few megabytes (1000 records,
// 20,000 tiles, 100,000 overrides), with no line beyond a few hundred bytes.
inline constexpr size_t MaxPatternFileBytes = 8 * 1024 * 1024;
inline constexpr size_t MaxPatternLineBytes = 4096;

// Checks that bytes can be a pattern's text before any of it is parsed:
// not too large, no line too long, not UTF-16, no NUL bytes, not blank.
// False with the reason (the line is set for a line too long).
bool CheckPatternBytes(std::string_view bytes, PatternLoadError& error);

// Reads the file and checks its bytes as above; the reason names the file.
bool ReadPatternFile(const std::string& path, std::string& text, std::string& reason);

// A pattern's text read through and checked before any of it is put in
// place, so that a broken file changes nothing.
class CheckedPattern {
 public:
  CheckedPattern();
  ~CheckedPattern();
  // Reads the whole text; false with where and why it stops. Changes nothing.
  // Keeps views into 'text', which must outlive Apply.
  bool Read(std::string_view text, PatternLoadError& error);
  // Puts what Read read into the forms' controls and the model, reporting
  // progress 5..95. Only the tessellator's fill swatch can fail here (its
  // index is a control's, known once the controls are set): what was put
  // before it stays. The designer's own steps around it (clearing the tiles
  // before, selecting ranks and showing windows after) belong to the caller.
  PatternLoadResult Apply(Program& program, const PatternForms& forms,
                          const PatternLoadHooks& hooks);

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

// Read, then Apply when the text holds a pattern.
PatternLoadResult ReadPattern(std::string_view text, Program& program, const PatternForms& forms,
                              const PatternLoadHooks& hooks);

}  // namespace wlg
