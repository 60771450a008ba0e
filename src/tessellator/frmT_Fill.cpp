// Filling the view or a sheet by repeating the tiles the user snapped
// together.

#include <cmath>

#include "designer/frmS.h"
#include "platform/Numbers.h"
#include "tessellator/frmT.h"

namespace wlg {

namespace {

// Paper sizes in millimetres, portrait.
struct Sheet {
  const char* name;
  double widthMm, heightMm;
};
constexpr Sheet kSheets[] = {{"A4", 210, 297}, {"A3", 297, 420}, {"Letter", 215.9, 279.4}};
constexpr const char* kCustomSize = "Custom size";
constexpr double kPixelsPerMm = 96 / 25.4;  // world units at zoom 1 are pixels at 96 dpi

std::optional<double> Number(const std::string& text) {
  const std::string t = TrimSpaces(text);
  if (t.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end == t.c_str() || *end != '\0' || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::string Format(double v) { return FormatSingle(static_cast<float>(v)); }

}  // namespace

double frmT::FillTolerance() const { return std::sqrt(30.0 * p_.design.SnapRadius); }

bool frmT::FillOver(const FillRect& area, const std::optional<LatticeBasis>& typed) {
  TessState& t = p_.tess;
  UpdateTess();  // lays every tile's outline out where it is drawn now
  const double tolerance = FillTolerance();
  const std::optional<LatticeBasis> basis = typed ? typed : FindLattice(t, tolerance);
  if (!basis || !UsableBasis(*basis, tolerance)) {
    p_.prompts.Tell(kNoLatticeMessage);
    return false;
  }
  TileOutlines outlines(static_cast<size_t>(t.TessCount) + 1);
  for (int i = 1; i <= t.TessCount; ++i) {
    const TessItem& it = t.TessItems[i];
    const int n = OutlinePoints(it);
    bool drawn = false;
    for (int k = 1; k <= n; ++k) drawn = drawn || it.OutlineX[k] != 0 || it.OutlineY[k] != 0;
    if (!drawn) continue;  // never laid out: it counts as its position
    for (int k = 1; k <= n; ++k)
      outlines[i].push_back({it.OutlineX[k] - it.X, it.OutlineY[k] - it.Y});
  }
  // The fill works on a copy, so a refused one leaves no trace, not even an
  // Undo step.
  TessState tess = t;
  ColourOverrides overrides = p_.design.overrides;
  const FillOutcome out = FillByLattice(tess, overrides, outlines, *basis, area, tolerance);
  if (out.tooManyTiles || out.tooManyOverrides) {
    p_.prompts.Tell(out.tooManyTiles ? TooManyItems : TooManyOverrides);
    return false;
  }
  if (out.placed == 0) {
    p_.prompts.Tell(kNothingToFill);
    return false;
  }
  designer_.SetUndo();
  t.TessItems.swap(tess.TessItems);
  t.TessCount = tess.TessCount;
  p_.design.overrides.entries.swap(overrides.entries);
  p_.design.overrides.OverrideCount = overrides.OverrideCount;
  t.TessItems[t.EditItem].Selected = false;
  UpdateEdit(t.TessCount);
  UpdateTess();
  return true;
}

void frmT::mnuEditFillView_Click() {
  const Canvas& c = picT().canvas;
  const FPoint a = ToWorld(0, 0),
               b = ToWorld(static_cast<float>(c.Width()), static_cast<float>(c.Height()));
  FillOver({std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)});
}

void frmT::mnuEditFillArea_Click() {
  const std::optional<LatticeBasis> found = FindLattice(p_.tess, FillTolerance());
  std::vector<std::string> choices{kCustomSize};
  for (const Sheet& s : kSheets) choices.emplace_back(s.name);
  std::vector<FormField> fields{
      {"&Page:", fillPage_, choices},
      {"&Orientation:", fillOrientation_, {"Portrait", "Landscape"}},
      {"&Width (mm, custom size):", fillWidth_, {}},
      {"&Height (mm, custom size):", fillHeight_, {}},
      {"First repeat &X:", found ? Format(found->a.x) : "", {}},
      {"First repeat &Y:", found ? Format(found->a.y) : "", {}},
      {"Second repeat X:", found ? Format(found->b.x) : "", {}},
      {"Second repeat Y:", found ? Format(found->b.y) : "", {}},
  };
  for (;;) {
    if (!p_.prompts.EditForm(kFillAreaTitle, fields)) return;
    fillPage_ = fields[0].value;
    fillOrientation_ = fields[1].value;
    fillWidth_ = fields[2].value;
    fillHeight_ = fields[3].value;
    double w = 0, h = 0;
    bool sized = false;
    for (const Sheet& s : kSheets)
      if (fields[0].value == s.name) w = s.widthMm, h = s.heightMm, sized = true;
    if (sized && fields[1].value == "Landscape") std::swap(w, h);
    if (!sized) {
      const auto fw = Number(fields[2].value), fh = Number(fields[3].value);
      if (fw && fh && *fw >= 1 && *fw <= 5000 && *fh >= 1 && *fh <= 5000)
        w = *fw, h = *fh, sized = true;
    }
    if (!sized) {
      p_.prompts.Tell(kFillSizeMessage);
      continue;
    }
    std::optional<double> r[4];
    bool blank = true, numbers = true;
    for (int k = 0; k < 4; ++k) {
      r[k] = Number(fields[4 + k].value);
      blank = blank && TrimSpaces(fields[4 + k].value).empty();
      numbers = numbers && r[k].has_value();
    }
    std::optional<LatticeBasis> basis;
    if (numbers) basis = LatticeBasis{{*r[0], *r[1]}, {*r[2], *r[3]}};
    if (!blank && (!basis || !UsableBasis(*basis, FillTolerance()))) {
      p_.prompts.Tell(kFillRepeatMessage);
      continue;
    }
    const FPoint at = ToWorld(0, 0);
    FillOver({at.x, at.y, at.x + w * kPixelsPerMm, at.y + h * kPixelsPerMm}, basis);
    return;
  }
}

}  // namespace wlg
