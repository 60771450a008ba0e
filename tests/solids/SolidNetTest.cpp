// Nets of the eighteen solids decorated by the sample pattern; they also
// check the shipped tables: a damaged one gives no closed regular net.

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

// The area (mm²) two polygons have in common.
double CommonArea(const std::vector<DPoint>& a, const std::vector<DPoint>& b) {
  ClipperLib::Clipper c;
  for (const auto* pts : {&a, &b}) {
    ClipperLib::Path path;
    for (const DPoint& p : *pts) path.push_back({std::llround(p.x * 1e6), std::llround(p.y * 1e6)});
    c.AddPath(path, pts == &a ? ClipperLib::ptSubject : ClipperLib::ptClip, true);
  }
  ClipperLib::Paths out;
  c.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  double area = 0;
  for (const auto& p : out) area += std::abs(ClipperLib::Area(p));
  return area / 1e12;
}

double Distance(DPoint a, DPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Everything a net must be, whatever the solid; gives the number of cut pairs.
int CheckNet(const SolidNet& net, const SolidInfo& info) {
  // Regular faces of the solid's kinds, inside the margins.
  std::map<int, int> bySides;
  size_t sides = 0;
  for (const NetFace& f : net.faces) {
    const size_t n = f.corners.size();
    ++bySides[static_cast<int>(n)];
    sides += n;
    const NetPage& page = net.pages.at(f.page);
    for (size_t i = 0; i < n; ++i) {
      const DPoint a = f.corners[i], b = f.corners[(i + 1) % n], c = f.corners[(i + 2) % n];
      EXPECT_NEAR(Distance(a, b), net.edgeMm, 1e-6 * net.edgeMm);
      const double turn = std::atan2((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x),
                                     (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y));
      EXPECT_NEAR(std::abs(turn), 2 * kPi / static_cast<double>(n), 1e-6);
      const double m = kNetMarginMm - 1e-6;
      EXPECT_TRUE(a.x >= m && a.x <= page.widthMm - m && a.y >= m && a.y <= page.heightMm - m);
    }
  }
  EXPECT_EQ(bySides.size(), static_cast<size_t>(info.kindCount));
  for (int k = 0; k < info.kindCount; ++k) EXPECT_EQ(bySides[info.sides[k]], info.faceCounts[k]);

  // Nothing overlaps anything else on its page.
  std::vector<std::pair<int, const std::vector<DPoint>*>> pieces;
  for (const NetFace& f : net.faces) pieces.push_back({f.page, &f.corners});
  for (const NetTab& t : net.tabs) pieces.push_back({t.page, &t.outline});
  for (size_t i = 0; i < pieces.size(); ++i)
    for (size_t j = i + 1; j < pieces.size(); ++j)
      EXPECT_TRUE(pieces[i].first != pieces[j].first ||
                  CommonArea(*pieces[i].second, *pieces[j].second) < 1e-6 * net.edgeMm * net.edgeMm)
          << i << " and " << j;

  // Every edge: a fold whose two sides meet in the net, or a cut pair with
  // exactly one tab on one of its sides, numbered 1.. on both sides' pages.
  std::map<int, int> tabsOf;
  for (const NetTab& t : net.tabs) ++tabsOf[t.edge];
  std::set<int> numbers;
  std::vector<int> labels(net.pages.size());
  std::vector<int> group(net.faces.size());  // faces joined by folds share a group
  for (size_t f = 0; f < group.size(); ++f) group[f] = static_cast<int>(f);
  EXPECT_EQ(net.edges.size() * 2, sides);
  for (size_t k = 0; k < net.edges.size(); ++k) {
    const NetEdge& e = net.edges[k];
    const NetFace &a = net.faces[e.faceA], &b = net.faces[e.faceB];
    if (e.fold) {
      EXPECT_EQ(a.page, b.page);
      EXPECT_LT(Distance(a.corners[e.sideA], b.corners[(e.sideB + 1) % b.corners.size()]), 1e-6);
      EXPECT_EQ(tabsOf[static_cast<int>(k)], 0);
      const int from = group[e.faceB], to = group[e.faceA];
      for (int& g : group) g = g == from ? to : g;
    } else {
      EXPECT_EQ(tabsOf[static_cast<int>(k)], 1) << "edge " << k;
      EXPECT_TRUE((e.tabFace == e.faceA && e.tabSide == e.sideA) ||
                  (e.tabFace == e.faceB && e.tabSide == e.sideB));
      EXPECT_TRUE(numbers.insert(e.number).second);
      ++labels[a.page], ++labels[b.page];
    }
  }
  for (size_t p = 0; p < net.pages.size(); ++p)
    EXPECT_EQ(int(net.numberLabels[p].size()), labels[p]);
  EXPECT_TRUE(numbers.empty() ||
              (*numbers.begin() == 1 && *numbers.rbegin() == int(numbers.size())));
  // Each page's faces hang together by their folds.
  std::map<int, std::set<int>> groupsOnPage;
  for (size_t f = 0; f < group.size(); ++f) groupsOnPage[net.faces[f].page].insert(group[f]);
  EXPECT_EQ(groupsOnPage.size(), net.pages.size());
  for (const auto& [page, groups] : groupsOnPage) EXPECT_EQ(groups.size(), 1u) << "page " << page;
  return static_cast<int>(numbers.size());
}

// Each face shows only colours of the polygons the builder put on it (those
// after it in the list, up to the next face), and some whenever there are.
void CheckDecoration(const SolidNet& net, const SolidPolyList& s) {
  std::map<int, size_t> faceAt;
  for (size_t f = 0; f < net.faces.size(); ++f) faceAt[net.faces[f].polygon] = f;
  std::vector<std::set<Colour>> expected(net.faces.size()), found(net.faces.size());
  size_t current = 0;
  for (int p = 0; p <= s.PolyCount; ++p) {
    if (const auto face = faceAt.find(p); face != faceAt.end())
      current = face->second;
    else
      expected[current].insert(s.PolyColour[p]);
  }
  for (const NetDecoration& d : net.decoration) found[d.face].insert(d.colour);
  for (size_t f = 0; f < net.faces.size(); ++f) {
    EXPECT_EQ(found[f].empty(), expected[f].empty()) << "face " << f;
    for (Colour c : found[f]) EXPECT_TRUE(expected[f].count(c)) << "face " << f;
  }
}

class SolidNetTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Start("\"" + std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg\""); }
  DesignerHarness h;
  SolidNet net;
  std::string why;
};

// By default as large as one page allows, but with edges of at least 20 mm,
// over more pages where one would make them shorter.
TEST_F(SolidNetTest, EverySolidUnfoldsWithoutOverlapsAndWithItsDecoration) {
  for (const SolidInfo& info : Solids()) {
    SCOPED_TRACE(info.key);
    ASSERT_TRUE(BuildSolid(h, info.key));
    ASSERT_TRUE(BuildSolidNet(h.model().solid, NetOptions{}, net, &why)) << why;
    EXPECT_GE(net.edgeMm, 20);
    if (net.pages.size() > 1) EXPECT_EQ(net.edgeMm, 20);
    CheckNet(net, info);
    CheckDecoration(net, h.model().solid);
  }
}

TEST_F(SolidNetTest, ALongEdgeSpreadsTheNetOverPagesWithEachFaceWhole) {
  ASSERT_TRUE(BuildSolid(h, "RCubo"));
  ASSERT_TRUE(BuildSolidNet(h.model().solid, {70, PageSize::Letter}, net, &why)) << why;
  EXPECT_GT(CheckNet(net, *FindSolid("RCubo")), 23);  // more than one page's net has
  EXPECT_FALSE(BuildSolidNet(h.model().solid, {1500, PageSize::A4}, net, &why));
  EXPECT_EQ(why, "an edge of 1500 mm is too long for the page (at most 175 mm)");
  // What the message offers works: a square face and its tabs on a page.
  ASSERT_TRUE(BuildSolidNet(h.model().solid, {175, PageSize::A4}, net, &why)) << why;
  EXPECT_EQ(net.pages.size(), net.faces.size());

  // Four faces of a cube hold no closed surface; nor does an empty list.
  TestSolid open;
  open.Add(Palette16[8], {{0, 0, 0}, {0, 100, 0}, {100, 100, 0}, {100, 0, 0}})
      .Add(Palette16[8], {{0, 0, 0}, {100, 0, 0}, {100, 0, 100}, {0, 0, 100}})
      .Add(Palette16[8], {{0, 0, 0}, {0, 0, 100}, {0, 100, 100}, {0, 100, 0}})
      .Add(Palette16[8], {{100, 100, 100}, {100, 0, 100}, {100, 0, 0}, {100, 100, 0}});
  for (int p = 0; p <= open->PolyCount; ++p) open->PolyFace[p] = p;
  EXPECT_FALSE(BuildSolidNet(*open, {}, net, &why));
  EXPECT_EQ(why, "the solid's faces do not close up");
  EXPECT_FALSE(BuildSolidNet(*TestSolid(), {}, net, &why));
  EXPECT_EQ(why, "there is no solid to unfold");
}

}  // namespace
}  // namespace wlg::testing
