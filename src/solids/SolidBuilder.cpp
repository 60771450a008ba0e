#include "solids/SolidBuilder.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <sstream>

#include "designer/frmS.h"
#include "platform/Numbers.h"
#include "solids/M3Ops.h"
#include "solids/frm3D.h"

namespace wlg {

namespace {

// Recording draws nothing worth keeping: the 3D picture is redrawn from the
// recorded list, so the figures go nowhere.
class NullCanvas : public Canvas {
 public:
  int Width() const override { return 1; }
  int Height() const override { return 1; }
  void Clear() override {}
  void Polygon(const IPoint*, int) override {}
  void Polyline(const IPoint*, int) override {}
  void Line(int, int, int, int, Colour) override {}
  void Dot(int, int, Colour) override {}
  Colour PointColour(int, int) const override { return backColour; }
  void FloodFillSurface(int, int, Colour) override {}
};

bool ReadTableFile(const SolidInfo& info, std::string& bytes, std::string& error) {
  const std::string path = SolidTablePath(info);
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad()) {
    error = "Sorry, the solid table " + path + " could not be read";
    return false;
  }
  bytes = text.str();
  return true;
}

bool Contains(const std::string& line, std::string_view word) {
  return line.find(word) != std::string::npos;
}

// Space-separated tokens, empty ones dropped.
int SplitSpaces(const std::string& line, std::array<std::string_view, 16>& tokens) {
  int n = 0;
  std::string_view rest(line);
  while (!rest.empty()) {
    const size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    rest.remove_prefix(start);
    const size_t end = std::min(rest.find(' '), rest.size());
    if (n < static_cast<int>(tokens.size())) tokens[n] = rest.substr(0, end);
    ++n;
    rest.remove_prefix(end);
  }
  return n;
}

}  // namespace

SolidBuilder::SolidBuilder(Program& program, frmS& designer, frm3D& view)
    : readTable(ReadTableFile), p_(program), designer_(designer), view_(view) {
  designer_.renderer().onTooComplex = [this] { TooComplex(); };
}

std::vector<int> SolidBuilder::FaceKinds(int code) {
  std::vector<int> kinds;
  if (code < 6) {
    kinds.push_back(code);
  } else if (code < 100) {
    kinds = {code / 10, code % 10};
  } else {
    kinds = {code / 100, code / 10 % 10, code % 10};
  }
  if (kinds.back() == 9) kinds.back() = 10;
  return kinds;
}

std::string SolidBuilder::SetupQuestion(const std::vector<int>& kinds) {
  const std::string tail = "\r\nAutomatically make the change?";
  auto n = [&](size_t k) { return std::to_string(kinds[k]); };
  if (kinds.size() == 1)
    return "Sorry, you must set Shape 1 inner/outer to " + n(0) + " sides, rotated, unstarred" +
           tail;
  std::string text = "Sorry, you must set Shape 1 inner/outer to " + n(0) +
                     " sides and Shape 2 inner/outer to " + n(1) + " sides";
  if (kinds.size() == 3) text += " and Shape 3 inner/outer to " + n(2) + " sides";
  return text + ", rotated" + tail;
}

void SolidBuilder::RunCommand(const SolidInfo& solid) {
  bool ok = false;
  OK3D(solid.checkCode, ok);
  if (!ok) return;
  p_.design.SolidName = solid.key;
  Archi(solid.resource, solid.key,
        std::span<const int>(solid.sides.data(), static_cast<size_t>(solid.kindCount)));
}

void SolidBuilder::Rebuild() {
  if (!view_.IsVisible() || RebuildGuard) return;
  if (const SolidInfo* s = FindSolid(p_.design.SolidName)) RunCommand(*s);
}

void SolidBuilder::ShowSolid() {
  // Only a solid the program knows can be shown. The designer's next redraw
  // (a pattern load ends with one, on the tile the tabs show) builds it;
  // until then the picture shows nothing stale.
  if (FindSolid(p_.design.SolidName) == nullptr) return;
  p_.design.solid.PolyCount = -1;
  p_.design.solid.VertCount = 0;
  if (!view_.IsVisible()) {
    view_.CheckAngles();
    view_.Show();
  }
  view_.DrawData();
}

void SolidBuilder::EnableTabs(int kindCount) {
  designer_.SetTabEnabled(0, true);
  designer_.SetTabEnabled(1, kindCount > 1);
  designer_.SetTabEnabled(2, kindCount == 3);
  designer_.SetTabEnabled(3, false);
}

void SolidBuilder::OK3D(int code, bool& ok) {
  ok = false;
  DesignModel& m = p_.design;
  const std::vector<int> kinds = FaceKinds(code);
  const int kindCount = static_cast<int>(kinds.size());
  const int lastSlot = RanksPerTile * kindCount - 1;

  // What the checks below change in the tiles is one edit, undone in one step.
  std::optional<EditHistory::CompoundEdit> edit;
  // Faces need closed polygons of three or more points. Construction ranks
  // never reach a solid, so their two points do no harm.
  bool flat = false;
  for (int k = 0; k <= lastSlot; ++k)
    if ((m.PointCount[k] == 2 && !designer_.chk("chkT", k).Checked()) ||
        designer_.chk("chkL", k).Checked())
      flat = true;
  if (flat) {
    if (p_.prompts.Message(TwoGonTitle, TwoGonQuestion, Buttons::OKCancel, Icon::Question) ==
        Answer::Cancel)
      return;
    edit.emplace(designer_.history(), designer_);
    // Set from code: the rank handlers must not redraw (and so rebuild) midway.
    const bool was = p_.SuppressEvents;
    p_.SuppressEvents = true;
    for (int k = 0; k <= lastSlot; ++k) {
      if (!designer_.chk("chkT", k).Checked() && designer_.vs("vsN", k).Integer() == 2) {
        designer_.vs("vsN", k).SetValue("3");
        m.PointCount[k] = 3;
      }
      designer_.chk("chkL", k).SetValue(0);
      m.NoPolygon[k] = false;
    }
    p_.SuppressEvents = was;
  }

  bool fits = kindCount > 1 || m.CurrentTile == 0;
  for (int k = 0; k < kindCount; ++k) {
    fits = fits && designer_.vs("vsPoly", k).Integer() == kinds[k] &&
           designer_.vs("vsPolyOut", k).Integer() == kinds[k] &&
           designer_.chk("chkRotateOut", k).Checked() && !designer_.chk("chkStar", k).Checked();
  }
  auto resetTransform = [&m] {
    m.DrawZoom = 1;
    m.DrawOffsetX = m.DrawOffsetY = 0;
  };
  if (fits) {
    if (p_.tessellator) p_.tessellator->Hide();
    resetTransform();
    ok = true;
    return;
  }

  if (p_.prompts.Message(SetupTitle, SetupQuestion(kinds), Buttons::YesNo, Icon::Question) !=
      Answer::Yes)
    return;
  if (!edit) edit.emplace(designer_.history(), designer_);
  {
    const bool was = p_.SuppressEvents;
    p_.SuppressEvents = true;
    for (int k = 0; k < kindCount; ++k) {
      const std::string n = std::to_string(kinds[k]);
      designer_.vs("vsPoly", k).SetValue(n);
      designer_.vs("vsPolyOut", k).SetValue(n);
      designer_.chk("chkRotateOut", k).SetValue(1);
      designer_.chk("chkStar", k).SetValue(0);
    }
    p_.SuppressEvents = was;
  }
  resetTransform();
  RebuildGuard = true;
  const int current = m.CurrentTile;
  for (int t = 0; t < TileCount; ++t) {
    m.CurrentTile = t;
    designer_.ClearAll();
  }
  m.CurrentTile = current;
  if (kindCount == 1 && current != 0) {
    // A Platonic solid shows tile 1 only; staying on another tab would ask
    // this question again at the next edit of that tile.
    designer_.ShowTab(0);
    int slot = 0;
    for (int s = 0; s < RanksPerTile; ++s)
      if (designer_.optRank(s).Value()) slot = s;
    designer_.optRank_Click(slot);
  }
  RebuildGuard = false;
  if (p_.tessellator) p_.tessellator->Hide();
  ok = true;
}

void SolidBuilder::TooComplex() {
  p_.RecordForSolid = false;
  p_.prompts.Message(kAppTitle, TileRenderer::TooComplexMessage, Buttons::OK, Icon::None);
  view_.Hide();
}

bool SolidBuilder::RecordTemplate(int kind) {
  DesignModel& m = p_.design;
  SolidPolyList& s = m.solid;
  const int polyBefore = s.PolyCount;
  const int vertBefore = s.VertCount;
  NullCanvas scratch;
  TileRenderer& r = designer_.renderer();
  const FPoint c = m.SolidCentre;
  r.DRP(scratch, kind + 1, c.x, c.y, 0, kind, false, -1);
  if (p_.RecordForSolid) r.CopyPolygon(scratch, kind + 1, c.x, c.y, 0, kind, -1);
  // The renderer has already said so when the lists overflowed.
  if (!p_.RecordForSolid) return false;

  Template& t = template_;
  t.polyCount = s.PolyCount - polyBefore;
  t.vertCount = s.VertCount - vertBefore;
  s.PolyCount = polyBefore;
  s.VertCount = vertBefore;
  if (t.polyCount < 1 || t.polyCount > TemplatePolyCapacity || t.vertCount > TemplateVertCapacity ||
      s.PolyLastPoint[polyBefore] < 2) {
    TooComplex();
    return false;
  }
  for (int j = 0; j < t.polyCount; ++j) {
    t.colour[j] = s.PolyColour[polyBefore + j];
    t.lastPoint[j] = s.PolyLastPoint[polyBefore + j];
    t.rank[j] = s.PolyRank[polyBefore + j];
  }
  for (int v = 0; v < t.vertCount; ++v) {
    t.x[v] = s.VertX[vertBefore + v];
    t.y[v] = s.VertY[vertBefore + v];
    t.z[v] = s.VertZ[vertBefore + v];
  }
  return true;
}

void SolidBuilder::Archi(int /*resource*/, const std::string& key, std::span<const int> sides) {
  DesignModel& m = p_.design;
  SolidPolyList& s = m.solid;
  if (!EqualsNoCase(m.SolidName, lastLoaded_)) {
    SolidBuilt = false;
    lastLoaded_ = m.SolidName;
  }
  if (!SolidBuilt) {
    const SolidInfo* info = FindSolid(key);
    std::string bytes, error;
    SolidTable checked;
    if (info == nullptr) {
      error = "Sorry, there is no solid called \"" + key + "\"";
    } else if (readTable(*info, bytes, error)) {
      ++TableReads;
      // A damaged table is refused whole, before any of it is used.
      if (ParseSolidTable(bytes, *info, checked, error)) error.clear();
    }
    if (!error.empty()) {
      lastLoaded_.clear();
      p_.prompts.Tell(error);
      view_.Hide();
      return;
    }
    SolidLines = std::move(checked.lines);
  }

  designer_.SetFaceColour(PaletteColour(view_.Entry("vsBack3D", 0).Integer()));
  p_.RecordForSolid = true;
  designer_.GetScales();
  s.PolyCount = s.VertCount = 0;
  for (std::vector<double>* exact : {&s.ExactX, &s.ExactY, &s.ExactZ})
    exact->assign(SolidVertCapacity, 0.0);
  const int lineCount = static_cast<int>(SolidLines.size());
  int L = 0;
  std::array<std::string_view, 16> tokens;

  // A build that cannot finish leaves no half-built solid behind.
  auto stop = [this, &s] {
    s.PolyCount = -1;
    s.VertCount = 0;
    s.ExactX.clear();
    s.ExactY.clear();
    s.ExactZ.clear();
    RestoreDesigner();
  };

  for (size_t k = 0; k < sides.size() && k < kMaxFaceKinds; ++k) {
    if (!RecordTemplate(static_cast<int>(k))) return stop();
    const Template& t = template_;

    // The flat tile: T has the seed polygon's first three corners as columns
    // (x, y, 1); its inverse is shared by every face of this kind.
    Matrix3 Tinv;
    for (int c = 0; c < 3; ++c) {
      Tinv(1, c + 1) = t.x[c];
      Tinv(2, c + 1) = t.y[c];
      Tinv(3, c + 1) = 1;
    }
    if (!M3Ops::InvertMatrix3(Tinv, p_.prompts)) {
      p_.RecordForSolid = false;
      view_.Hide();
      return stop();
    }

    int v = 0;
    for (; L < lineCount && !Contains(SolidLines[L], "coord"); ++L) {
      if (SolidBuilt || v >= kMaxSolidVertices) {
        ++v;
        continue;
      }
      const std::string& line = SolidLines[L];
      const int n = SplitSpaces(line, tokens);
      StoredVertex& sv = store_[k][v++];
      sv.x = n > 0 ? Val(tokens[0]) : 0.0;
      sv.y = n > 1 ? Val(tokens[1]) : 0.0;
      sv.z = n > 2 ? Val(tokens[2]) : 0.0;
    }
    ++L;

    for (; L < lineCount && !Contains(SolidLines[L], "point"); ++L) {
      const int n = SplitSpaces(SolidLines[L], tokens) - 1;
      if (n < 3 || n > MaxRankPoints) continue;
      if (s.VertCount + n > SolidVertCapacity - 1) {
        TooComplex();
        return stop();
      }
      const int face = s.PolyCount;
      s.PolyFirstPoint[face] = s.VertCount;
      s.PolyColour[face] = designer_.FaceColour();
      s.PolyLastPoint[face] = n - 1;
      s.PolyRank[face] = 0;
      s.PolyFace[face] = face;
      const int first = s.VertCount;
      float cx = 0, cy = 0, cz = 0;
      double ex = 0, ey = 0, ez = 0;
      for (int i = 0; i < n; ++i) {
        const int index = std::clamp(static_cast<int>(Val(tokens[i])), 0, kMaxSolidVertices - 1);
        const StoredVertex& sv = store_[k][index];
        s.ExactX[first + i] = 100.0 * sv.x;
        s.ExactY[first + i] = 100.0 * sv.y;
        s.ExactZ[first + i] = 100.0 * sv.z;
        s.VertX[first + i] = static_cast<float>(RoundHalfEven(s.ExactX[first + i]));
        s.VertY[first + i] = static_cast<float>(RoundHalfEven(s.ExactY[first + i]));
        s.VertZ[first + i] = static_cast<float>(RoundHalfEven(s.ExactZ[first + i]));
        cx += s.VertX[first + i];
        cy += s.VertY[first + i];
        cz += s.VertZ[first + i];
        ex += s.ExactX[first + i];
        ey += s.ExactY[first + i];
        ez += s.ExactZ[first + i];
      }
      cx /= n;
      cy /= n;
      cz /= n;
      ex /= n;
      ey /= n;
      ez /= n;
      s.VertCount += n;
      ++s.PolyCount;

      // M = F x T^-1 carries the seed polygon's first three corners onto the
      // face's first three (about the face centre).
      Matrix3 F;
      for (int c = 0; c < 3; ++c) {
        F(1, c + 1) = s.VertX[first + c] - cx;
        F(2, c + 1) = s.VertY[first + c] - cy;
        F(3, c + 1) = s.VertZ[first + c] - cz;
      }
      Matrix3 M;
      M3Ops::MultiplyMatrix3(M, F, Tinv);
      // The same map from the unrounded corners, in double, so that the
      // exact decoration lies in its face's exact plane.
      std::array<std::array<double, 3>, 3> E{};
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
          const std::vector<double>& coord = r == 0 ? s.ExactX : r == 1 ? s.ExactY : s.ExactZ;
          const double centre = r == 0 ? ex : r == 1 ? ey : ez;
          for (int q = 0; q < 3; ++q) E[r][c] += (coord[first + q] - centre) * Tinv(q + 1, c + 1);
        }

      int tv = t.lastPoint[0] + 1;  // the seed polygon's vertices come first
      for (int j = 1; j < t.polyCount; ++j) {
        const int last = t.lastPoint[j];
        if (s.VertCount + last > SolidVertCapacity - 1 || s.PolyCount >= SolidPolyCapacity - 1) {
          TooComplex();
          return stop();
        }
        const int p = s.PolyCount++;
        s.PolyColour[p] = t.colour[j];
        s.PolyLastPoint[p] = last;
        s.PolyRank[p] = t.rank[j];
        s.PolyFace[p] = face;
        s.PolyFirstPoint[p] = s.VertCount;
        // Higher ranks float a little above lower ones.
        const float lift = 1.0f + 0.002f * static_cast<float>(t.rank[j] + 1);
        for (int i = 0; i <= last; ++i, ++tv) {
          const float x = t.x[tv], y = t.y[tv], z = t.z[tv];
          const int at = s.VertCount++;
          s.VertX[at] = (M(1, 1) * x + M(1, 2) * y + M(1, 3) * z + cx) * lift;
          s.VertY[at] = (M(2, 1) * x + M(2, 2) * y + M(2, 3) * z + cy) * lift;
          s.VertZ[at] = (M(3, 1) * x + M(3, 2) * y + M(3, 3) * z + cz) * lift;
          s.ExactX[at] = (E[0][0] * x + E[0][1] * y + E[0][2] * z + ex) * lift;
          s.ExactY[at] = (E[1][0] * x + E[1][1] * y + E[1][2] * z + ey) * lift;
          s.ExactZ[at] = (E[2][0] * x + E[2][1] * y + E[2][2] * z + ez) * lift;
        }
      }
    }
    ++L;
  }

  s.PolyCount -= 1;
  SolidBuilt = true;
  CheckHand();
  if (!view_.IsVisible()) {
    view_.CheckAngles();
    view_.Show();
  }
  // Locked only once the solid is on show: a build that fails leaves the
  // window hidden and the tabs free (hiding the window frees them).
  EnableTabs(static_cast<int>(sides.size()));
  view_.DrawData();
  RestoreDesigner();
}

void SolidBuilder::RestoreDesigner() {
  p_.RecordForSolid = false;
  designer_.RedrawTileCanvas();
}

void SolidBuilder::CheckHand() {
  SolidPolyList& s = p_.design.solid;
  for (int p = 0; p <= s.PolyCount; ++p) {
    const int a0 = s.PolyFirstPoint[p];
    if (a0 + 2 >= SolidVertCapacity) continue;
    const float ax = s.VertX[a0 + 1] - s.VertX[a0], ay = s.VertY[a0 + 1] - s.VertY[a0],
                az = s.VertZ[a0 + 1] - s.VertZ[a0];
    const float bx = s.VertX[a0 + 2] - s.VertX[a0 + 1], by = s.VertY[a0 + 2] - s.VertY[a0 + 1],
                bz = s.VertZ[a0 + 2] - s.VertZ[a0 + 1];
    float nx = 0, ny = 0, nz = 0;
    M3Ops::CrossProduct(ax, ay, az, bx, by, bz, nx, ny, nz);
    const float outward = nx * s.VertX[a0] + ny * s.VertY[a0] + nz * s.VertZ[a0];
    if (outward > 0) {
      const int last = a0 + s.PolyLastPoint[p];
      const auto reverse = [a0, last](auto& v) {
        for (int i = a0, j = last; i < j; ++i, --j) std::swap(v[i], v[j]);
      };
      reverse(s.VertX);
      reverse(s.VertY);
      reverse(s.VertZ);
      if (s.ExactX.size() > static_cast<size_t>(last)) {
        reverse(s.ExactX);
        reverse(s.ExactY);
        reverse(s.ExactZ);
      }
    }
  }
}

}  // namespace wlg
