// Putting tiles on solids: the tile check and its two questions, the table
// read once per solid, the tile copied onto every face, the winding of every
// polygon and the complexity limit.

#include <gtest/gtest.h>

#include <cmath>

#include "solids/SolidBuilder.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

const SolidInfo& Solid(const char* key) {
  const SolidInfo* s = FindSolid(key);
  EXPECT_NE(s, nullptr) << key;
  return *s;
}

struct V3 {
  double x = 0, y = 0, z = 0;
};
V3 Vert(const SolidPolyList& s, int i) { return {s.VertX[i], s.VertY[i], s.VertZ[i]}; }
V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(V3 a) { return std::sqrt(Dot(a, a)); }

class SolidBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    h.prompts.autoOk = false;
    h.Start();
  }

  // A rank of 'points' corners around (cx, cy) in the designer canvas, put in
  // directly and drawn.
  void Rank(int slot, int points, float cx, float cy, float radius) {
    DesignModel& m = h.model();
    h.form.vs("vsN", slot).SetValue(std::to_string(points));
    m.PointCount[slot] = points;
    for (int j = 0; j < points; ++j) {
      const double a = 2 * 3.14159265358979 * j / points;
      m.X[slot][j] = cx + radius * static_cast<float>(std::cos(a));
      m.Y[slot][j] = cy + radius * static_cast<float>(std::sin(a));
    }
    m.CurrentTile = slot / RanksPerTile;
    h.form.DrawPolygon();
  }

  // Runs a solid's menu command, answering Yes when the tiles need setting up.
  void Build(const char* key) {
    const SolidInfo& info = Solid(key);
    bool fits = !info.platonic || h.model().CurrentTile == 0;
    for (int k = 0; k < info.kindCount; ++k)
      fits = fits && h.form.vs("vsPoly", k).Integer() == info.sides[k] &&
             h.form.vs("vsPolyOut", k).Integer() == info.sides[k] &&
             h.form.chk("chkRotateOut", k).Checked() && !h.form.chk("chkStar", k).Checked();
    if (!fits) h.prompts.Answer_(Answer::Yes);
    h.form.Menu(info.menuName).UserClick();
    EXPECT_TRUE(h.prompts.AllAnswered()) << key;
  }

  frm3D& view() { return h.windows.view3D; }
  SolidBuilder& builder() { return h.windows.builder; }
  const SolidPolyList& list() { return h.model().solid; }

  DesignerHarness h;
};

TEST_F(SolidBuilderTest, TheCheckCodeGivesTheFaceKindsAndTheQuestion) {
  EXPECT_EQ(SolidBuilder::FaceKinds(4), std::vector<int>({4}));
  EXPECT_EQ(SolidBuilder::FaceKinds(39), std::vector<int>({3, 10}));
  EXPECT_EQ(SolidBuilder::FaceKinds(469), std::vector<int>({4, 6, 10}));
  EXPECT_EQ(SolidBuilder::FaceKinds(345), std::vector<int>({3, 4, 5}));

  // The truncated icosidodecahedron wants decagons on tile 3; No changes nothing.
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
  EXPECT_EQ(h.model().SolidName, "");

  // Yes sets every face kind's tile and builds.
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
  EXPECT_EQ(list().PolyCount + 1, 62);
  // Tabs of the face kinds in use stay open; tile 4 is never used.
  EXPECT_TRUE(h.form.TabEnabled(0) && h.form.TabEnabled(1) && h.form.TabEnabled(2));
  EXPECT_FALSE(h.form.TabEnabled(3));

  // The two-kind question, and the one for a single kind.
  EXPECT_EQ(SolidBuilder::SetupQuestion({3, 10}),
            "Sorry, you must set Shape 1 inner/outer to 3 sides and Shape 2 inner/outer to 10 "
            "sides, rotated\r\nAutomatically make the change?");
  EXPECT_EQ(SolidBuilder::SetupQuestion({5}),
            "Sorry, you must set Shape 1 inner/outer to 5 sides, rotated, unstarred\r\n"
            "Automatically make the change?");
}

TEST_F(SolidBuilderTest, APlatonicSolidAsksWhileTile2IsShownEvenWhenTile1IsSetUp) {
  Build("Cube");
  ASSERT_TRUE(view().IsVisible());
  view().mnuFileExit3D_Click();
  h.prompts.log.clear();

  h.form.SSTab1_Click(1);
  h.prompts.Answer_(Answer::Yes);
  h.form.Menu("mnuPlatonicCube").UserClick();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].text,
            "Sorry, you must set Shape 1 inner/outer to 4 sides, rotated, unstarred\r\n"
            "Automatically make the change?");
  EXPECT_TRUE(view().IsVisible());
  EXPECT_EQ(list().PolyCount + 1, 6);
  // The solid carries tile 1, which is the tab shown now; no other tab opens.
  EXPECT_EQ(h.form.TabIndex(), 0);
  EXPECT_EQ(h.model().CurrentTile, 0);
  for (int t = 1; t < TileCount; ++t) EXPECT_FALSE(h.form.TabEnabled(t)) << t;

  // Already set up on tile 1: no question at all.
  h.prompts.log.clear();
  h.form.Menu("mnuPlatonicCube").UserClick();
  EXPECT_TRUE(h.prompts.log.empty());
}

TEST_F(SolidBuilderTest, TwoPointRanksAndLinesAskUnlessTheRankIsForConstruction) {
  Build("Tetra");
  ASSERT_TRUE(view().IsVisible());
  h.prompts.log.clear();

  // A two-point construction rank is never put on a solid.
  h.form.chk("chkT", 3).SetValue(1);
  Rank(3, 2, 240, 240, 10);
  h.form.Menu("mnuPlatonicTetra").UserClick();
  EXPECT_TRUE(h.prompts.log.empty());

  // An ordinary two-point rank, and a rank drawn as a line, ask; Cancel
  // leaves them and builds nothing. (Set while the solid is hidden, or the
  // redraw of each click would ask at once.)
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
  EXPECT_TRUE(h.form.chk("chkL", 5).Checked());
  EXPECT_FALSE(view().IsVisible());

  // OK turns the 2-gon into a triangle and the line into a polygon.
  h.prompts.Answer_(Answer::OK);
  h.form.Menu("mnuPlatonicTetra").UserClick();
  EXPECT_EQ(h.form.vs("vsN", 3).Value(), "3");
  EXPECT_EQ(h.model().PointCount[3], 3);
  EXPECT_FALSE(h.form.chk("chkL", 5).Checked());
  EXPECT_TRUE(h.prompts.AllAnswered());
  EXPECT_TRUE(view().IsVisible());
}

TEST_F(SolidBuilderTest, TheSameSolidRereadsOnlyItsFaceLinesAndAnotherReloads) {
  int reads = 0;
  auto plain = builder().readTable;
  builder().readTable = [&](const SolidInfo& info, std::string& bytes, std::string& error) {
    ++reads;
    return plain(info, bytes, error);
  };
  Build("Cube");
  ASSERT_EQ(reads, 1);
  ASSERT_EQ(builder().SolidLines[0], "0 0 1.22474,");
  ASSERT_EQ(builder().SolidLines[9], "0, 1, 2, 3, -1,");

  // Changing the kept text: the vertex store is not read again, the face
  // lines are.
  builder().SolidLines[0] = "0 0 9,";
  builder().SolidLines[9] = "5, 4, 7, 6, -1,";
  h.form.DrawPolygon();  // a designer edit rebuilds the visible solid
  EXPECT_EQ(reads, 1);
  const SolidPolyList& s = list();
  ASSERT_EQ(s.PolyCount, 5);
  auto corners = [&](int p) {
    std::vector<std::array<float, 3>> c;
    for (int i = 0; i <= s.PolyLastPoint[p]; ++i) {
      const int v = s.PolyFirstPoint[p] + i;
      c.push_back({s.VertX[v], s.VertY[v], s.VertZ[v]});
    }
    std::sort(c.begin(), c.end());
    return c;
  };
  EXPECT_EQ(corners(0), corners(5));  // face 0 is now the bottom face
  for (int v = 0; v < s.VertCount; ++v) EXPECT_NE(s.VertZ[v], 900.0f);
  const std::array<float, 3> top{0, 0, 122};
  EXPECT_EQ(corners(1)[3], top);  // the old top vertex is still in the store

  // Another solid reads its own table; coming back reads the cube's again.
  Build("Octa");
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(list().PolyCount + 1, 8);
  Build("Cube");
  EXPECT_EQ(reads, 3);
  EXPECT_EQ(builder().SolidLines[0], "0 0 1.22474,");

  // A pattern load forgets the built solid too.
  h.form.markSolidUnbuilt();
  h.form.DrawPolygon();
  EXPECT_EQ(reads, 4);
}

TEST_F(SolidBuilderTest, EverySolidHasItsFacesWoundInwardsWithTheTileOnEachFace) {
  for (const SolidInfo& info : Solids()) {
    SCOPED_TRACE(info.key);
    Build(info.key);
    ASSERT_TRUE(view().IsVisible());
    // Bare tiles: exactly the table's faces, each with its kind's corners.
    const SolidPolyList& s = list();
    int faces = 0;
    for (int k = 0; k < info.kindCount; ++k) faces += info.faceCounts[k];
    ASSERT_EQ(s.PolyCount + 1, faces);
    int p = 0;
    for (int k = 0; k < info.kindCount; ++k)
      for (int f = 0; f < info.faceCounts[k]; ++f, ++p) {
        ASSERT_EQ(s.PolyLastPoint[p] + 1, info.sides[k]);
        EXPECT_EQ(s.PolyColour[p], Palette16[8]);
      }
  }

  // Now with a rank on every tile in use: every polygon keeps the winding
  // rule, and every copy lies on its face, lifted by its rank.
  for (const SolidInfo& info : Solids()) {
    SCOPED_TRACE(info.key);
    Build(info.key);
    for (int k = 0; k < info.kindCount; ++k) {
      Rank(RanksPerTile * k, 3, 240, 232, 4);
      Rank(RanksPerTile * k + 2, 4, 250, 240, 3);
    }
    Build(info.key);
    const SolidPolyList& s = list();
    int face = -1;
    V3 centre, normal;
    double radius = 0;
    int copies = 0;
    for (int p = 0; p <= s.PolyCount; ++p) {
      const int first = s.PolyFirstPoint[p];
      const V3 n = Cross(Sub(Vert(s, first + 1), Vert(s, first)),
                         Sub(Vert(s, first + 2), Vert(s, first + 1)));
      EXPECT_LE(Dot(n, Vert(s, first)), 1e-3) << "polygon " << p;

      if (s.PolyColour[p] == Palette16[8]) {  // a face
        face = p;
        centre = {};
        for (int i = 0; i <= s.PolyLastPoint[p]; ++i) {
          const V3 v = Vert(s, first + i);
          centre = {centre.x + v.x, centre.y + v.y, centre.z + v.z};
        }
        const double count = s.PolyLastPoint[p] + 1;
        centre = {centre.x / count, centre.y / count, centre.z / count};
        normal = n;
        radius = Length(Sub(Vert(s, first), centre));
        continue;
      }
      ASSERT_GE(face, 0);
      ++copies;
      const double lift = 1 + 0.002 * (s.PolyRank[p] + 1);
      for (int i = 0; i <= s.PolyLastPoint[p]; ++i) {
        const V3 v = Vert(s, first + i);
        const V3 onFace{v.x / lift, v.y / lift, v.z / lift};
        EXPECT_LT(std::fabs(Dot(Sub(onFace, centre), normal)) / Length(normal), 1.0) << p;
        EXPECT_LT(Length(Sub(onFace, centre)), radius) << p;
      }
    }
    int expected = 0;
    for (int k = 0; k < info.kindCount; ++k) expected += info.faceCounts[k] * 2 * info.sides[k];
    EXPECT_EQ(copies, expected);
  }
}

TEST_F(SolidBuilderTest, WindingIsFixedWhateverTheTableOrder) {
  Build("Cube");
  // Every face listed the other way round.
  for (int line = 9; line <= 14; ++line) {
    std::string& l = builder().SolidLines[line];
    const char a = l[0], b = l[3], c = l[6], d = l[9];
    l[0] = d, l[3] = c, l[6] = b, l[9] = a;
  }
  h.form.DrawPolygon();
  const SolidPolyList& s = list();
  ASSERT_EQ(s.PolyCount, 5);
  for (int p = 0; p <= s.PolyCount; ++p) {
    const int first = s.PolyFirstPoint[p];
    const V3 n = Cross(Sub(Vert(s, first + 1), Vert(s, first)),
                       Sub(Vert(s, first + 2), Vert(s, first + 1)));
    EXPECT_LT(Dot(n, Vert(s, first)), 0) << p;
  }
}

TEST_F(SolidBuilderTest, TheFaceColourAndTheTilesFollowEveryEdit) {
  Build("Cube");
  Rank(0, 3, 240, 232, 4);
  ASSERT_TRUE(view().IsVisible());
  EXPECT_EQ(list().PolyColour[1], Palette16[9]);  // first colour 9, two colours
  EXPECT_EQ(list().PolyColour[2], Palette16[10]);

  h.form.vs("vsFirstCol", 0).CommitEnter("3");
  EXPECT_EQ(list().PolyColour[1], Palette16[3]);
  view().Entry("vsBack3D", 0).CommitEnter("12");
  EXPECT_EQ(list().PolyColour[0], Palette16[12]);
  EXPECT_EQ(list().PolyCount + 1, 6 * 5);

  // Hidden, the solid is left alone.
  view().mnuFileExit3D_Click();
  EXPECT_EQ(h.model().SolidName, "1");
  h.form.vs("vsFirstCol", 0).CommitEnter("5");
  EXPECT_EQ(list().PolyColour[1], Palette16[3]);
}

TEST_F(SolidBuilderTest, TooManyCopiesForTheListsShowTheComplexityMessage) {
  Build("SIcos");
  ASSERT_TRUE(view().IsVisible());
  // Fifteen nine-point ranks on the triangles: 80 faces of 3 + 45 x 9 corners.
  for (int r = 0; r < 15; ++r) {
    h.form.vs("vsN", r).SetValue("9");
    h.model().PointCount[r] = 9;
    for (int j = 0; j < 9; ++j) {
      const double a = 2 * 3.14159265358979 * j / 9;
      h.model().X[r][j] = 240 + (2 + r % 5) * static_cast<float>(std::cos(a));
      h.model().Y[r][j] = 235 + (2 + r % 5) * static_cast<float>(std::sin(a));
    }
  }
  h.prompts.log.clear();
  h.prompts.Answer_(Answer::OK);
  h.form.DrawPolygon();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].title, "Whirligons");
  EXPECT_EQ(h.prompts.log[0].buttons, Buttons::OK);
  EXPECT_EQ(h.prompts.log[0].text,
            "Sorry, this structure is too complex for the program\r\n"
            "Remove a Rank or two of Shapes\r\n"
            "or make the Shapes less complex");
  EXPECT_FALSE(view().IsVisible());
  EXPECT_FALSE(h.program.RecordForSolid);
  EXPECT_LT(list().PolyCount, 0);  // nothing half-built is kept
  // The designer's own tile is drawn as before: the constructed polygon is
  // the designer canvas's again.
  EXPECT_EQ(h.model().poly.VertexCount, 3);
  EXPECT_FLOAT_EQ(h.model().views.ViewScale[0], 1.0f);
}

TEST_F(SolidBuilderTest, ATileTooBigForItsTemplateIsTooComplex) {
  Build("TDodec");
  ASSERT_TRUE(view().IsVisible());
  // Twelve triangle ranks on the decagon tile: 121 polygons fit the template.
  for (int r = 0; r < 12; ++r) Rank(RanksPerTile + r, 3, 240 + r, 232, 3);
  ASSERT_TRUE(view().IsVisible());
  EXPECT_EQ(list().PolyCount + 1, 20 + 12 * 121);
  // A thirteenth makes 131, more than a template holds.
  h.prompts.Answer_(Answer::OK);
  Rank(RanksPerTile + 12, 3, 230, 232, 3);
  ASSERT_EQ(h.prompts.log.size(), 2u);  // the setup question, then the message
  EXPECT_EQ(h.prompts.log[1].text, TileRenderer::TooComplexMessage);
  EXPECT_FALSE(view().IsVisible());
}

TEST_F(SolidBuilderTest, ADamagedTableIsReportedAndNothingIsShown) {
  builder().readTable = [](const SolidInfo&, std::string& bytes, std::string&) {
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
