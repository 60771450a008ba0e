// Nets of the eighteen solids decorated by the sample pattern: congruent
// faces that neither overlap each other nor their tabs (checked by exact
// polygon intersection), connected by folds, every other edge a numbered
// cut pair with one tab, and each face carrying its own decoration.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <polyclipping/clipper.hpp>
#include <set>

#include "solids/SolidKit.h"
#include "solids/SolidNet.h"
#include "support/DesignerHarness.h"

namespace wlg::testing {
namespace {

constexpr double kPi = 3.14159265358979323846;

ClipperLib::Path ToPath(const std::vector<DPoint>& pts) {
  ClipperLib::Path path;
  for (const DPoint& p : pts)
    path.push_back({static_cast<ClipperLib::cInt>(std::llround(p.x * 1e6)),
                    static_cast<ClipperLib::cInt>(std::llround(p.y * 1e6))});
  return path;
}

// The area (mm²) two polygons have in common.
double CommonArea(const std::vector<DPoint>& a, const std::vector<DPoint>& b) {
  ClipperLib::Clipper c;
  c.AddPath(ToPath(a), ClipperLib::ptSubject, true);
  c.AddPath(ToPath(b), ClipperLib::ptClip, true);
  ClipperLib::Paths out;
  c.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  double area = 0;
  for (const auto& p : out) area += std::abs(ClipperLib::Area(p));
  return area / 1e12;
}

double Distance(DPoint a, DPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

struct Checked {
  int cutPairs = 0;
};

// Everything a net must be, whatever the solid.
Checked CheckNet(const SolidNet& net, const SolidInfo& info, double edgeMm) {
  Checked result;
  int faceCount = 0;
  for (int k = 0; k < info.kindCount; ++k) faceCount += info.faceCounts[k];
  EXPECT_EQ(static_cast<int>(net.faces.size()), faceCount);
  EXPECT_NEAR(net.edgeMm, edgeMm, edgeMm > 0 ? 1e-9 : 1e9);

  // Congruent to the solid's regular faces, and inside its page's margins.
  std::map<int, int> bySides;
  for (const NetFace& f : net.faces) {
    const size_t n = f.corners.size();
    ++bySides[static_cast<int>(n)];
    for (size_t i = 0; i < n; ++i) {
      const DPoint a = f.corners[i], b = f.corners[(i + 1) % n], c = f.corners[(i + 2) % n];
      EXPECT_NEAR(Distance(a, b), net.edgeMm, 1e-6 * net.edgeMm);
      const double turn = std::atan2((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x),
                                     (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y));
      EXPECT_NEAR(std::abs(turn), 2 * kPi / static_cast<double>(n), 1e-6);
      const NetPage& page = net.pages.at(f.page);
      EXPECT_GE(a.x, kNetMarginMm - 1e-6);
      EXPECT_LE(a.x, page.widthMm - kNetMarginMm + 1e-6);
      EXPECT_GE(a.y, kNetMarginMm - 1e-6);
      EXPECT_LE(a.y, page.heightMm - kNetMarginMm + 1e-6);
    }
  }
  for (int k = 0; k < info.kindCount; ++k) EXPECT_EQ(bySides[info.sides[k]], info.faceCounts[k]);

  // Nothing overlaps anything else on its page.
  struct Piece {
    int page;
    const std::vector<DPoint>* pts;
  };
  std::vector<Piece> pieces;
  for (const NetFace& f : net.faces) pieces.push_back({f.page, &f.corners});
  for (const NetTab& t : net.tabs) pieces.push_back({t.page, &t.outline});
  const double touch = 1e-6 * net.edgeMm * net.edgeMm;
  for (size_t i = 0; i < pieces.size(); ++i)
    for (size_t j = i + 1; j < pieces.size(); ++j)
      if (pieces[i].page == pieces[j].page) {
        EXPECT_LT(CommonArea(*pieces[i].pts, *pieces[j].pts), touch) << i << " and " << j;
      }

  // Every edge: a fold whose two sides meet in the net, or a numbered cut
  // pair with exactly one tab, on one of its two sides.
  std::map<int, int> tabsOf;
  for (const NetTab& t : net.tabs) ++tabsOf[t.edge];
  std::set<int> numbers;
  std::vector<std::set<int>> joined(net.faces.size());
  size_t sides = 0;
  for (const NetFace& f : net.faces) sides += f.corners.size();
  EXPECT_EQ(net.edges.size() * 2, sides);
  for (size_t k = 0; k < net.edges.size(); ++k) {
    const NetEdge& e = net.edges[k];
    const NetFace &a = net.faces[e.faceA], &b = net.faces[e.faceB];
    if (e.fold) {
      EXPECT_EQ(a.page, b.page);
      EXPECT_LT(Distance(a.corners[e.sideA], b.corners[(e.sideB + 1) % b.corners.size()]), 1e-6);
      EXPECT_EQ(tabsOf[static_cast<int>(k)], 0);
      joined[e.faceA].insert(e.faceB);
      joined[e.faceB].insert(e.faceA);
    } else {
      ++result.cutPairs;
      EXPECT_EQ(tabsOf[static_cast<int>(k)], 1) << "edge " << k;
      EXPECT_TRUE((e.tabFace == e.faceA && e.tabSide == e.sideA) ||
                  (e.tabFace == e.faceB && e.tabSide == e.sideB));
      EXPECT_TRUE(numbers.insert(e.number).second);
    }
  }
  // Both sides of a cut pair carry its number, on their own pages.
  std::vector<int> cutSides(net.pages.size());
  for (const NetEdge& e : net.edges)
    if (!e.fold) {
      ++cutSides[net.faces[e.faceA].page];
      ++cutSides[net.faces[e.faceB].page];
    }
  for (size_t p = 0; p < net.pages.size(); ++p)
    EXPECT_EQ(static_cast<int>(net.numberLabels[p].size()), cutSides[p]) << "page " << p;
  if (!numbers.empty()) {
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), result.cutPairs);
  }
  // Each page's faces hang together by their folds.
  for (size_t p = 0; p < net.pages.size(); ++p) {
    std::vector<int> stack;
    std::set<int> reached, onPage;
    for (size_t f = 0; f < net.faces.size(); ++f)
      if (net.faces[f].page == static_cast<int>(p)) onPage.insert(static_cast<int>(f));
    EXPECT_FALSE(onPage.empty()) << "page " << p;
    if (onPage.empty()) continue;
    stack.push_back(*onPage.begin());
    while (!stack.empty()) {
      const int f = stack.back();
      stack.pop_back();
      if (!reached.insert(f).second) continue;
      for (int g : joined[f]) stack.push_back(g);
    }
    EXPECT_EQ(reached, onPage) << "page " << p;
  }
  return result;
}

class SolidNetTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Start("\"" + std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg\""); }
  DesignerHarness h;
};

// Decoration lies inside its face and shows only colours of the polygons
// the builder put on that face (those after it in the list, up to the next
// face), and some of them whenever there are any.
void CheckDecoration(const SolidNet& net, const SolidPolyList& s) {
  std::map<int, size_t> faceAt;
  for (size_t f = 0; f < net.faces.size(); ++f) faceAt[net.faces[f].polygon] = f;
  std::vector<std::set<Colour>> expected(net.faces.size()), found(net.faces.size());
  size_t current = 0;
  for (int p = 0; p <= s.PolyCount; ++p) {
    const auto face = faceAt.find(p);
    if (face != faceAt.end())
      current = face->second;
    else
      expected[current].insert(s.PolyColour[p]);
  }
  for (const NetDecoration& d : net.decoration) {
    found[d.face].insert(d.colour);
    EXPECT_LT(CommonArea(d.points, d.points) - CommonArea(d.points, net.faces[d.face].corners),
              1e-6 * net.edgeMm * net.edgeMm);
  }
  for (size_t f = 0; f < net.faces.size(); ++f) {
    EXPECT_EQ(found[f].empty(), expected[f].empty()) << "face " << f;
    for (Colour c : found[f]) EXPECT_TRUE(expected[f].count(c)) << "face " << f;
  }
}

TEST_F(SolidNetTest, EverySolidUnfoldsOntoOnePageWithoutOverlapsAndWithItsDecoration) {
  for (const SolidInfo& info : Solids()) {
    SCOPED_TRACE(info.key);
    ASSERT_TRUE(BuildSolid(h, info.key));
    ASSERT_TRUE(h.windows.view3D.IsVisible());
    SolidNet net;
    std::string why;
    ASSERT_TRUE(BuildSolidNet(h.model().solid, NetOptions{}, net, &why)) << why;
    EXPECT_EQ(net.pages.size(), 1u);
    EXPECT_GE(net.edgeMm, 8);
    CheckNet(net, info, 0);
    CheckDecoration(net, h.model().solid);
  }
}

TEST_F(SolidNetTest, ALongEdgeSpreadsTheNetOverPagesWithEachFaceWhole) {
  ASSERT_TRUE(BuildSolid(h, "RCubo"));
  for (const PageSize page : {PageSize::A4, PageSize::Letter}) {
    SolidNet net;
    std::string why;
    ASSERT_TRUE(BuildSolidNet(h.model().solid, {70, page}, net, &why)) << why;
    EXPECT_GT(net.pages.size(), 2u);
    const Checked c = CheckNet(net, *FindSolid("RCubo"), 70);
    EXPECT_GT(c.cutPairs, 23);  // more than one page's net has
    for (const NetPage& p : net.pages)
      EXPECT_NEAR(std::min(p.widthMm, p.heightMm), page == PageSize::A4 ? 210 : 215.9, 1e-9);
  }
  SolidNet net;
  std::string why;
  EXPECT_FALSE(BuildSolidNet(h.model().solid, {1500, PageSize::A4}, net, &why));
  EXPECT_EQ(why, "an edge of 1500 mm is too long for the page (at most 175 mm)");
  // What the message offers works: a square face and its tabs on a page.
  ASSERT_TRUE(BuildSolidNet(h.model().solid, {175, PageSize::A4}, net, &why)) << why;
  EXPECT_EQ(net.pages.size(), net.faces.size());
}

TEST(SolidNet, ListsThatHoldNoClosedSolidAreRefused) {
  TestSolid open;
  // Three faces of a cube: no closed surface.
  open.Add(Palette16[8], {{0, 0, 0}, {0, 100, 0}, {100, 100, 0}, {100, 0, 0}});
  open.Add(Palette16[8], {{0, 0, 0}, {100, 0, 0}, {100, 0, 100}, {0, 0, 100}});
  open.Add(Palette16[8], {{0, 0, 0}, {0, 0, 100}, {0, 100, 100}, {0, 100, 0}});
  open.Add(Palette16[8], {{100, 100, 100}, {100, 0, 100}, {100, 0, 0}, {100, 100, 0}});
  for (int p = 0; p <= open->PolyCount; ++p) open->PolyFace[p] = p;
  SolidNet net;
  std::string why;
  EXPECT_FALSE(BuildSolidNet(*open, {}, net, &why));
  EXPECT_EQ(why, "the solid's faces do not close up");
  TestSolid empty;
  EXPECT_FALSE(BuildSolidNet(*empty, {}, net, &why));
  EXPECT_EQ(why, "there is no solid to unfold");
}

}  // namespace
}  // namespace wlg::testing
