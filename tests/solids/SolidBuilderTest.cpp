// Solids: the shipped tables (counts, geometry, damage), the two questions
// before building, the tile copied onto every face, the winding and the
// complexity limit.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <array>
#include <cstdlib>
#include <map>
#include <optional>

#include "solids/SolidBuilder.h"
#include "solids/SolidKit.h"
#include "solids/SolidTables.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using namespace testing;

// Points the data folder somewhere for one test and puts it back after.
struct DataDirOverride {
  explicit DataDirOverride(const std::string& dir) {
    if (const char* o = std::getenv("WHIRLIGONS_DATA_DIR")) old = o;
    setenv("WHIRLIGONS_DATA_DIR", dir.c_str(), 1);
  }
  ~DataDirOverride() {
    old ? setenv("WHIRLIGONS_DATA_DIR", old->c_str(), 1) : unsetenv("WHIRLIGONS_DATA_DIR");
  }
  std::optional<std::string> old;
};

V3 AsV3(const SolidVertex& v) { return {v.x, v.y, v.z}; }

const std::string kTetraText =
    "1 1 1,\r\n1 -1 -1,\r\n-1 1 -1,\r\n-1 -1 1\r\ncoord\r\n"
    "0, 1, 2, -1,\r\n0, 2, 3, -1,\r\n0, 3, 1, -1,\r\n1, 3, 2, -1\r\npoint\r\n";

TEST(ShippedTablesTest, EveryTableHasItsCountsAndARegularConvexShape) {
  DataDirOverride source(WHIRLIGONS_SOURCE_DATA_DIR);
  for (const SolidInfo& info : Solids()) {
    SCOPED_TRACE(info.key);
    SolidTable table;
    std::string error;
    ASSERT_TRUE(LoadSolidTable(info.key, table, error)) << error;
    ASSERT_EQ(static_cast<int>(table.blocks.size()), info.kindCount);
    // Vertices by position: blocks that repeat the list share them.
    std::map<std::array<long, 3>, int> ids;
    auto id = [&](const SolidVertex& v) {
      const std::array<long, 3> k{std::lround(v.x * 1e4), std::lround(v.y * 1e4),
                                  std::lround(v.z * 1e4)};
      return ids.emplace(k, static_cast<int>(ids.size())).first->second;
    };
    std::map<std::pair<int, int>, int> directed;
    double shortest = 1e9, longest = 0;
    for (int k = 0; k < info.kindCount; ++k) {
      const SolidFaceBlock& b = table.blocks[k];
      EXPECT_EQ(static_cast<int>(b.faces.size()), info.faceCounts[k]);
      bool onZAxis = false;
      for (const SolidVertex& v : b.vertices) {
        EXPECT_NEAR(Length(AsV3(v)), info.circumradius, 1e-3);
        onZAxis |= std::abs(v.x) < 1e-5 && std::abs(v.y) < 1e-5 &&
                   std::abs(v.z - info.circumradius) < 1e-3;
      }
      EXPECT_TRUE(onZAxis || std::string(info.key) == "Tetra");
      for (const auto& f : b.faces) {
        const size_t n = f.size();
        ASSERT_EQ(static_cast<int>(n), info.sides[k]);
        auto p = [&](size_t i) { return AsV3(b.vertices[f[i % n]]); };
        V3 centre, normal;
        for (size_t i = 0; i < n; ++i) {
          centre = centre + p(i);
          normal = normal + Cross(p(i), p(i + 1));  // Newell's normal
          const double e = Length(p(i + 1) - p(i));
          shortest = std::min(shortest, e);
          longest = std::max(longest, e);
          ++directed[{id(b.vertices[f[i]]), id(b.vertices[f[(i + 1) % n]])}];
        }
        centre = centre / n;
        const double area2 = Length(normal);
        ASSERT_GT(area2, 1e-6);
        const V3 unit = normal / area2;
        EXPECT_GT(Dot(unit, centre), 0.5 * Length(centre));  // wound outwards
        for (size_t i = 0; i < n; ++i) {
          EXPECT_NEAR(Dot(p(i) - centre, unit), 0, 1e-4);                        // flat
          EXPECT_GT(Dot(Cross(p(i + 1) - p(i), p(i + 2) - p(i + 1)), unit), 0);  // convex
        }
      }
    }
    EXPECT_LT(longest - shortest, 1e-4 * longest) << shortest << " .. " << longest;
    // Each edge walked once each way: two faces meet there, wound alike.
    for (const auto& [edge, count] : directed) {
      EXPECT_EQ(count, 1);
      EXPECT_EQ(directed.count({edge.second, edge.first}), 1u);
    }
    EXPECT_EQ(static_cast<int>(ids.size()), info.vertexCount);
    EXPECT_LE(info.vertexCount, kMaxSolidVertices);
  }
}

TEST(SolidTableParseTest, DamageIsReportedWithItsLine) {
  struct Case {
    std::string from, to, expected;
  };
  const std::vector<Case> cases = {
      {"1 -1 -1,", "1 x -1,", "line 2: \"x\" is not a coordinate"},
      {"-1 1 -1,\r\n", "", "line 4: face kind 1 has 3 vertices instead of 4"},
      {"0, 3, 1, -1,", "0, 4, 1, -1,", "line 8: vertex 4 does not exist"},
      {"0, 3, 1, -1,", "0, 3, 0, -1,", "line 8: vertex 0 appears twice"},
      {"0, 3, 1, -1,\r\n", "", "line 9: face kind 1 has 3 faces instead of 4"},
      {"point\r\n", "point\r\n5 5 5\r\n", "line 11: text after the last block"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    std::string text = kTetraText;
    text.replace(text.find(c.from), c.from.size(), c.to);
    SolidTable t;
    std::string error;
    EXPECT_FALSE(ParseSolidTable(text, *FindSolid("Tetra"), t, error));
    EXPECT_TRUE(error.starts_with("Sorry, the solid table TETRA.txt is damaged")) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}

TEST(SolidTableLoadTest, AMissingFileOrSolidGivesAMessage) {
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  DataDirOverride over(root);
  SolidTable t;
  std::string error;
  EXPECT_FALSE(LoadSolidTable("Octa", t, error));
  EXPECT_EQ(error, "Sorry, the solid table " + root + "/solids/OCTA.txt could not be read");
  EXPECT_FALSE(LoadSolidTable("Teapot", t, error));
  EXPECT_EQ(error, "Sorry, there is no solid called \"Teapot\"");
}

V3 Vert(const SolidPolyList& s, int i) { return {s.VertX[i], s.VertY[i], s.VertZ[i]}; }
V3 Normal(const SolidPolyList& s, int p) {
  const int first = s.PolyFirstPoint[p];
  return Cross(Vert(s, first + 1) - Vert(s, first), Vert(s, first + 2) - Vert(s, first + 1));
}

class SolidBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }

  void Build(const char* key) { EXPECT_TRUE(BuildSolid(h, key)) << key; }

  frm3D& view() { return h.windows.view3D; }
  const SolidPolyList& list() { return h.model().solid; }

  DesignerHarness h;
};

TEST_F(SolidBuilderTest, TheSetupQuestionAndWhatYesAndNoDo) {
  h.prompts.Answer_(Answer::No);
  h.form.Menu("mnuArchiTIcosi").UserClick();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].title, "3D geometry setup");
  EXPECT_EQ(h.prompts.log[0].buttons, Buttons::YesNo);
  EXPECT_EQ(h.prompts.log[0].text,
            "Sorry, you must set Shape 1 inner/outer to 4 sides and Shape 2 inner/outer to 6 "
            "sides and Shape 3 inner/outer to 10 sides, rotated\r\n"
            "Automatically make the change?");
  EXPECT_FALSE(view().IsVisible());
  EXPECT_EQ(h.form.vs("vsPoly", 2).Value(), "6");

  h.form.chk("chkStar", 1).SetValue(1);
  h.prompts.Answer_(Answer::Yes);
  h.form.Menu("mnuArchiTIcosi").UserClick();
  const int sides[] = {4, 6, 10};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(h.form.vs("vsPoly", k).Integer(), sides[k]);
    EXPECT_EQ(h.form.vs("vsPolyOut", k).Integer(), sides[k]);
    EXPECT_TRUE(h.form.chk("chkRotateOut", k).Checked());
    EXPECT_FALSE(h.form.chk("chkStar", k).Checked());
  }
  EXPECT_TRUE(view().IsVisible());
  EXPECT_EQ(h.model().SolidName, "TIcosi");
  EXPECT_TRUE(h.form.TabEnabled(0) && h.form.TabEnabled(1) && h.form.TabEnabled(2));
  EXPECT_FALSE(h.form.TabEnabled(3));
}

TEST_F(SolidBuilderTest, TwoPointRanksAndLinesAskUnlessTheRankIsForConstruction) {
  Build("Tetra");
  h.prompts.log.clear();
  // A two-point construction rank is never put on a solid, so no question.
  h.form.chk("chkT", 3).SetValue(1);
  DrawRank(h, 3, 2, 240, 240, 10);
  h.form.Menu("mnuPlatonicTetra").UserClick();
  EXPECT_TRUE(h.prompts.log.empty());

  // Set while hidden, or the redraw of each click would ask at once.
  view().mnuFileExit3D_Click();
  h.form.chk("chkT", 3).SetValue(0);
  h.form.chk("chkL", 5).SetValue(1);
  h.prompts.Answer_(Answer::Cancel);
  h.form.Menu("mnuPlatonicTetra").UserClick();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].title, "2-gon/Line check");
  EXPECT_EQ(h.prompts.log[0].buttons, Buttons::OKCancel);
  EXPECT_EQ(h.prompts.log[0].text,
            "Sorry, you can't have 2-gon shapes or Lines in 3D\r\n"
            "OK to set all 2-gons to 3-gons and deselect all Lines?");
  EXPECT_EQ(h.form.vs("vsN", 3).Value(), "2");
  EXPECT_FALSE(view().IsVisible());

  h.prompts.Answer_(Answer::OK);
  h.form.Menu("mnuPlatonicTetra").UserClick();
  EXPECT_EQ(h.form.vs("vsN", 3).Value(), "3");
  EXPECT_EQ(h.model().PointCount[3], 3);
  EXPECT_FALSE(h.form.chk("chkL", 5).Checked());
  EXPECT_TRUE(view().IsVisible());
}

TEST_F(SolidBuilderTest, EverySolidCarriesItsTilesLiftedOntoEachFaceWoundInwards) {
  for (const SolidInfo& info : Solids()) {
    SCOPED_TRACE(info.key);
    // Set while hidden, so the last solid is not rebuilt.
    view().mnuFileExit3D_Click();
    for (int k = 0; k < info.kindCount; ++k) {
      DrawRank(h, RanksPerTile * k, 3, 240, 232, 4);
      DrawRank(h, RanksPerTile * k + 2, 4, 250, 240, 3);
    }
    Build(info.key);
    ASSERT_TRUE(view().IsVisible());
    const SolidPolyList& s = list();
    V3 centre, normal;
    double radius = 0;
    int copies = 0;
    std::map<int, int> facesBySides;
    for (int p = 0; p <= s.PolyCount; ++p) {
      const int first = s.PolyFirstPoint[p];
      const V3 n = Normal(s, p);
      EXPECT_LE(Dot(n, Vert(s, first)), 1e-3) << "polygon " << p;
      if (s.PolyColour[p] == Palette16[8]) {  // a face
        ++facesBySides[s.PolyLastPoint[p] + 1];
        centre = {};
        for (int i = 0; i <= s.PolyLastPoint[p]; ++i) centre = centre + Vert(s, first + i);
        centre = centre / (s.PolyLastPoint[p] + 1);
        normal = n;
        radius = Length(Vert(s, first) - centre);
        continue;
      }
      ASSERT_GT(radius, 0);
      ++copies;
      const double lift = 1 + 0.002 * (s.PolyRank[p] + 1);
      for (int i = 0; i <= s.PolyLastPoint[p]; ++i) {
        const V3 onFace = Vert(s, first + i) / lift;
        EXPECT_LT(std::fabs(Dot(onFace - centre, normal)) / Length(normal), 1.0) << p;
        EXPECT_LT(Length(onFace - centre), radius) << p;
      }
    }
    int expected = 0;
    for (int k = 0; k < info.kindCount; ++k) {
      EXPECT_EQ(facesBySides[info.sides[k]], info.faceCounts[k]);
      expected += info.faceCounts[k] * 2 * info.sides[k];
    }
    EXPECT_EQ(copies, expected);
    EXPECT_EQ(facesBySides.size(), static_cast<size_t>(info.kindCount));
  }
}

TEST_F(SolidBuilderTest, WindingIsFixedWhateverTheTableOrder) {
  Build("Cube");
  for (int line = 9; line <= 14; ++line) {  // every face listed the other way round
    std::string& l = h.windows.builder.SolidLines[line];
    std::swap(l[0], l[9]);
    std::swap(l[3], l[6]);
  }
  h.form.DrawPolygon();
  ASSERT_EQ(list().PolyCount, 5);
  for (int p = 0; p <= list().PolyCount; ++p)
    EXPECT_LT(Dot(Normal(list(), p), Vert(list(), list().PolyFirstPoint[p])), 0) << p;
}

TEST_F(SolidBuilderTest, TheColoursAndTheTilesFollowEditsWhileShown) {
  Build("Cube");
  DrawRank(h, 0, 3, 240, 232, 4);
  EXPECT_EQ(list().PolyColour[1], Palette16[9]);  // first colour 9, two colours
  EXPECT_EQ(list().PolyColour[2], Palette16[10]);
  h.form.vs("vsFirstCol", 0).CommitEnter("3");
  EXPECT_EQ(list().PolyColour[1], Palette16[3]);
  view().Entry("vsBack3D", 0).CommitEnter("12");
  EXPECT_EQ(list().PolyColour[0], Palette16[12]);
  EXPECT_EQ(list().PolyCount + 1, 6 * 5);

  view().mnuFileExit3D_Click();  // hidden, the solid is left alone
  h.form.vs("vsFirstCol", 0).CommitEnter("5");
  EXPECT_EQ(list().PolyColour[1], Palette16[3]);
}

TEST_F(SolidBuilderTest, TooManyCopiesForTheListsShowTheComplexityMessage) {
  Build("SIcos");
  h.prompts.log.clear();
  h.prompts.Answer_(Answer::OK);
  for (int r = 0; r < 15; ++r) DrawRank(h, r, 9, 240, 235, 2 + r % 5);
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].text,
            "Sorry, this structure is too complex for the program\r\n"
            "Remove a Rank or two of Shapes\r\n"
            "or make the Shapes less complex");
  EXPECT_FALSE(view().IsVisible());
  EXPECT_LT(list().PolyCount, 0);  // nothing half-built is kept
  // The designer's own tile is back on its canvas.
  EXPECT_EQ(h.model().poly.VertexCount, 3);
  EXPECT_FLOAT_EQ(h.model().views.ViewScale[0], 1.0f);
}

TEST_F(SolidBuilderTest, ADamagedTableIsReportedAndNothingIsShown) {
  h.windows.builder.readTable = [](const SolidInfo&, std::string& bytes, std::string&) {
    bytes = "1 1 1,\r\ncoord\r\n0, 1, 2, -1\r\npoint\r\n";
    return true;
  };
  h.prompts.autoOk = true;
  Build("Tetra");
  ASSERT_FALSE(h.prompts.log.empty());
  EXPECT_NE(h.prompts.log.back().text.find("TETRA.txt is damaged"), std::string::npos)
      << h.prompts.log.back().text;
  EXPECT_FALSE(view().IsVisible());
  EXPECT_FALSE(h.program.RecordForSolid);
}

}  // namespace
}  // namespace wlg
