// Nets of the eighteen solids decorated by the sample pattern; they also
// check the shipped tables: a damaged one gives no closed regular net.

#include <gtest/gtest.h>

#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <map>
#include <polyclipping/clipper.hpp>
#include <set>

#include "solids/SolidKit.h"
#include "solids/SolidNet.h"
#include "support/DesignerHarness.h"

namespace wlg::testing {
namespace {

using namespace std::string_literals;

constexpr double kPi = 3.14159265358979323846;

// The area (mm²) two polygons have in common.
double CommonArea(const std::vector<DPoint>& a, const std::vector<DPoint>& b) {
  for (auto less : {+[](DPoint p, DPoint q) { return p.x < q.x; },
                    +[](DPoint p, DPoint q) { return p.y < q.y; }}) {
    const auto [loA, hiA] = std::minmax_element(a.begin(), a.end(), less);
    const auto [loB, hiB] = std::minmax_element(b.begin(), b.end(), less);
    if (!less(*loA, *hiB) || !less(*loB, *hiA)) return 0;  // apart
  }
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

double Area(const std::vector<DPoint>& p) {
  double twice = 0;
  for (size_t i = 0; i < p.size(); ++i)
    twice += p[i].x * p[(i + 1) % p.size()].y - p[(i + 1) % p.size()].x * p[i].y;
  return std::abs(twice) / 2;
}

double Distance(DPoint a, DPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

double SegmentDistance(DPoint x, DPoint p, DPoint q) {
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double t =
      std::clamp(((x.x - p.x) * dx + (x.y - p.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return Distance(x, {p.x + t * dx, p.y + t * dy});
}

// The smallest tab depth; adds to *slits the length of face edges, other
// than the tab's own, within 0.5 mm of a tab's outline (cut exactly on the
// line), leaving out 3 mm round the tab's two corners, where edges meet it.
double CheckTabs(const SolidNet& net, double* slits) {
  double least = HUGE_VAL;
  for (const NetTab& t : net.tabs) {
    const auto& o = t.outline;
    const DPoint a = o[0], b = o[1];
    // The free end lies over the base, so its distance from the base is its depth.
    least = std::min({least, SegmentDistance(o[2], a, b), SegmentDistance(o[3], a, b)});
    const DPoint mid{(o[0].x + o[2].x) / 2, (o[0].y + o[2].y) / 2};
    double reach = 0;
    for (DPoint p : o) reach = std::max(reach, Distance(p, mid) + 0.5);
    for (const NetFace& f : net.faces)
      for (size_t i = 0; i < f.corners.size() && f.page == t.page; ++i) {
        const DPoint p = f.corners[i], q = f.corners[(i + 1) % f.corners.size()];
        if (SegmentDistance(mid, p, q) > reach) continue;
        const int steps = static_cast<int>(std::ceil(Distance(p, q) / 0.02));
        for (int k = 0; k < steps && Distance(p, a) + Distance(q, b) > 1e-6; ++k) {
          const DPoint x{p.x + (q.x - p.x) * (k + 0.5) / steps,
                         p.y + (q.y - p.y) * (k + 0.5) / steps};
          double near = HUGE_VAL;
          for (size_t j = 0; j < o.size(); ++j)
            near = std::min(near, SegmentDistance(x, o[j], o[(j + 1) % o.size()]));
          if (near < 0.5 && Distance(x, a) > 3 && Distance(x, b) > 3)
            *slits += Distance(p, q) / steps;
        }
      }
  }
  return least;
}

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
    }
  }
  EXPECT_EQ(net.numbers.size(), 2 * numbers.size());
  // Digits (the strokes before the underline) 2.5 mm tall, or on a tab as
  // tall as its depth and width leave room for, and inside it.
  for (const NetNumber& n : net.numbers) {
    const DPoint a = n.strokes.back()[0], b = n.strokes.back()[1];
    auto across = [&](DPoint q) {
      return ((q.x - a.x) * (b.y - a.y) - (q.y - a.y) * (b.x - a.x)) / Distance(a, b);
    };
    double height = 0, allowed = 2.5;
    for (size_t s = 0; s + 1 < n.strokes.size(); ++s)
      for (DPoint p : n.strokes[s])
        for (DPoint q : n.strokes[s]) height = std::max(height, across(p) - across(q));
    for (const NetTab& t : net.tabs)
      if (n.onTab && t.edge == n.edge) {
        const std::vector<DPoint>& o = t.outline;
        auto side = [&](int i, DPoint q) {
          const DPoint u = o[i], v = o[(i + 1) % 4];
          return ((v.x - u.x) * (q.y - u.y) - (v.y - u.y) * (q.x - u.x)) / Distance(u, v);
        };
        // Room for the digits and their halo: half the tab's depth, and
        // its narrowest width (at its free end) over the digits.
        const double depth = std::min(std::abs(side(0, o[2])), std::abs(side(0, o[3])));
        const double digits = static_cast<double>(std::to_string(net.edges[n.edge].number).size());
        allowed = std::min({allowed, 0.5 * depth, Distance(o[2], o[3]) / (0.85 * digits + 1)});
        for (const auto& stroke : n.strokes)
          for (DPoint q : stroke)
            for (int i = 0; i < 4; ++i) EXPECT_GT(side(i, q) * side(0, o[2]), 0);
      }
    EXPECT_GE(height, allowed - 1e-6) << "number " << n.edge;
  }
  EXPECT_TRUE(numbers.empty() ||
              (*numbers.begin() == 1 && *numbers.rbegin() == int(numbers.size())));
  // Each piece's faces hang together by their folds, on one page.
  std::map<int, std::set<int>> groupsOfPiece, pagesOfPiece;
  for (size_t f = 0; f < group.size(); ++f) {
    groupsOfPiece[net.faces[f].piece].insert(group[f]);
    pagesOfPiece[net.faces[f].piece].insert(net.faces[f].page);
  }
  for (const auto& [piece, groups] : groupsOfPiece)
    EXPECT_TRUE(groups.size() == 1 && pagesOfPiece[piece].size() == 1) << "piece " << piece;
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

// A laser net's SVG as a laser's software reads it: per layer, in file order,
// its label, its paths' fill, stroke and width, and their length.
struct LaserLayer {
  std::string label;
  std::set<QString> looks;
  double mm = 0;
};
std::vector<LaserLayer> ReadLaserSvg(const std::string& svg) {
  std::vector<LaserLayer> layers;
  auto point = [](const QString& w) {
    return DPoint{w.section(',', 0, 0).toDouble(), w.section(',', 1).toDouble()};
  };
  QXmlStreamReader xml(QByteArray::fromStdString(svg));
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto at = xml.attributes();
    if (xml.name() == u"g")
      layers.push_back({at.value("inkscape:label").toString().toStdString(), {}});
    if (xml.name() != u"path") continue;
    LaserLayer& l = layers.back();
    l.looks.insert(
        QString("%1 %2 %3").arg(at.value("fill"), at.value("stroke"), at.value("stroke-width")));
    QStringList d = at.value("d").toString().remove('M').split(' ');
    if (d.back() == "Z") d.back() = d.front();
    for (qsizetype i = 1; i < d.size(); ++i) l.mm += Distance(point(d[i - 1]), point(d[i]));
  }
  return layers;
}

// Hairlines, no fill, in the order a laser runs them: numbers (and asked
// for, the decoration) engraved, every fold and tab base scored, then cut.
void CheckLaserNet(const SolidNet& net) {
  int folds = 0;
  for (const NetEdge& e : net.edges) folds += e.fold;
  double numbersMm = 0;
  for (const NetNumber& n : net.numbers)
    for (const auto& s : n.strokes)
      for (size_t i = 1; i < s.size(); ++i) numbersMm += Distance(s[i - 1], s[i]);
  for (bool engrave : {false, true}) {
    const auto l = ReadLaserSvg(LayeredSvg(NetLaserPlans(net, engrave, 0)));
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].label + l[1].label + l[2].label, "Engrave #000000Score #0000ffCut #ff0000");
    for (const LaserLayer& layer : l)
      EXPECT_EQ(layer.looks, std::set<QString>{
                                 "none " + QString::fromStdString(layer.label).right(7) + " 0.01"});
    EXPECT_NEAR(l[1].mm, (folds + static_cast<double>(net.tabs.size())) * net.edgeMm, 1e-2);
    EXPECT_TRUE(engrave ? l[0].mm > numbersMm + net.edgeMm : std::abs(l[0].mm - numbersMm) < 1e-2);
  }
}

// The area (mm²) of coloured decoration that the numbers' halos hide.
double HiddenUnderHalos(const SolidNet& net) {
  auto path = [](const std::vector<DPoint>& pts) {
    ClipperLib::Path out;
    for (const DPoint& p : pts) out.push_back({std::llround(p.x * 1e6), std::llround(p.y * 1e6)});
    return out;
  };
  double area = 0;
  for (size_t p = 0; p < net.pages.size(); ++p) {
    ClipperLib::Clipper c;
    for (const NetDecoration& d : net.decoration)
      if (net.faces[d.face].page == int(p) && static_cast<int32_t>(d.colour) > 0)
        c.AddPath(path(d.points), ClipperLib::ptSubject, true);
    for (const NetNumber& n : net.numbers) {
      if (n.page != int(p)) continue;
      // Round to 0.01 mm: finer only costs time.
      ClipperLib::ClipperOffset grow(2, 1e4);
      for (const auto& stroke : n.strokes)
        grow.AddPath(path(stroke), ClipperLib::jtRound, ClipperLib::etOpenRound);
      ClipperLib::Paths halo;
      grow.Execute(halo, n.haloMm / 2 * 1e6);
      c.AddPaths(halo, ClipperLib::ptClip, true);
    }
    ClipperLib::Paths out;
    c.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    for (const auto& q : out) area += std::abs(ClipperLib::Area(q)) / 1e12;
  }
  return area;
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
// Also at 40 and 60 mm edges, where tabs are deepest.
TEST_F(SolidNetTest, EverySolidUnfoldsWithoutOverlapsAndWithItsDecoration) {
  double slits = 0, hidden = 0;
  for (const SolidInfo& info : Solids()) {
    SCOPED_TRACE(info.key);
    ASSERT_TRUE(BuildSolid(h, info.key));
    for (double edge : {0, 40, 60}) {
      SCOPED_TRACE(edge);
      // A decagon 60 mm across an edge is wider than the page.
      if (!BuildSolidNet(h.model().solid, {edge, PageSize::A4}, net, &why)) {
        EXPECT_TRUE(edge == 60 && why.find("too long for the page") != std::string::npos) << why;
        continue;
      }
      EXPECT_GE(net.edgeMm, 20);
      if (net.pages.size() > 1 && edge == 0) {
        EXPECT_EQ(net.edgeMm, 20);
      }
      CheckNet(net, info);
      CheckDecoration(net, h.model().solid);
      if (edge == 0) {
        CheckLaserNet(net);
        hidden += HiddenUnderHalos(net);
      }
      EXPECT_GE(CheckTabs(net, &slits), std::min(6.0, net.edgeMm / 4) - 1e-6);
      // Pieces packed by their outlines: at most half as many pages again
      // as the paper's area alone needs, pages being whole. At 60 mm no page
      // holds two of the truncated cube's octagons or three of the
      // truncated icosahedron's hexagons.
      double area = 0;
      for (const NetFace& f : net.faces) area += Area(f.corners);
      for (const NetTab& t : net.tabs) area += Area(t.outline);
      const double bound = std::ceil(area / ((210 - 2 * kNetMarginMm) * (297 - 2 * kNetMarginMm)));
      if (edge > 0 && !(edge == 60 && (info.key == "TCube"s || info.key == "TIcosa"s))) {
        EXPECT_LE(double(net.pages.size()), std::ceil(1.5 * bound));
      }
    }
  }
  EXPECT_EQ(slits, 0);
  // White boxes under the numbers hid 3,695 mm² of it.
  EXPECT_LT(hidden, 500);
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
