// Solids: damaged and missing tables, the questions before building, the
// winding and the complexity limit.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>

#include "solids/SolidBuilder.h"
#include "solids/SolidKit.h"
#include "solids/SolidTables.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using namespace testing;

// The tile check's code names each face kind's sides, one digit a kind (9
// for ten): a wrong digit would set a tile up with the wrong polygon.
TEST(SolidTableParseTest, EveryCheckCodeNamesItsFaceKinds) {
  for (const SolidInfo& s : Solids()) {
    int code = 0;
    for (int k = 0; k < s.kindCount; ++k) code = code * 10 + (s.sides[k] == 10 ? 9 : s.sides[k]);
    EXPECT_EQ(s.checkCode, code) << s.key;
  }
}

TEST(SolidTableParseTest, DamageIsReportedWithItsLineAndAMissingFileOrSolidToo) {
  const std::string tetra =
      "1 1 1,\r\n1 -1 -1,\r\n-1 1 -1,\r\n-1 -1 1\r\ncoord\r\n"
      "0, 1, 2, -1,\r\n0, 2, 3, -1,\r\n0, 3, 1, -1,\r\n1, 3, 2, -1\r\npoint\r\n";
  const char* cases[][3] = {
      {"1 -1 -1,", "1 x -1,", "line 2: \"x\" is not a coordinate"},
      {"-1 1 -1,\r\n", "", "line 4: face kind 1 has 3 vertices instead of 4"},
      {"0, 3, 1, -1,", "0, 4, 1, -1,", "line 8: vertex 4 does not exist"},
      {"0, 3, 1, -1,", "0, 3, 0, -1,", "line 8: vertex 0 appears twice"},
      {"0, 3, 1, -1,\r\n", "", "line 9: face kind 1 has 3 faces instead of 4"},
      {"point\r\n", "point\r\n5 5 5\r\n", "line 11: text after the last block"},
  };
  SolidTable t;
  std::string error;
  for (const auto& [from, to, expected] : cases) {
    std::string text = tetra;
    text.replace(text.find(from), std::string(from).size(), to);
    EXPECT_FALSE(ParseSolidTable(text, *FindSolid("Tetra"), t, error));
    EXPECT_TRUE(error.starts_with("Sorry, the solid table TETRA.txt is damaged")) << error;
    EXPECT_NE(error.find(expected), std::string::npos) << error;
  }
  EXPECT_TRUE(ParseSolidTable(tetra, *FindSolid("Tetra"), t, error)) << error;

  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  const char* old = std::getenv("WHIRLIGONS_DATA_DIR");
  const std::string saved = old ? old : "";
  setenv("WHIRLIGONS_DATA_DIR", root.c_str(), 1);
  EXPECT_FALSE(LoadSolidTable("Octa", t, error));
  EXPECT_EQ(error, "Sorry, the solid table " + root + "/solids/OCTA.txt could not be read");
  EXPECT_FALSE(LoadSolidTable("Teapot", t, error));
  EXPECT_EQ(error, "Sorry, there is no solid called \"Teapot\"");
  old ? setenv("WHIRLIGONS_DATA_DIR", saved.c_str(), 1) : unsetenv("WHIRLIGONS_DATA_DIR");
}

class SolidBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  frm3D& view() { return h.windows.view3D; }
  const SolidPolyList& list() { return h.model().solid; }
  void ExpectOneMessage(const char* title, Buttons buttons, const char* text) {
    ASSERT_EQ(h.prompts.log.size(), 1u);
    EXPECT_EQ(h.prompts.log[0].title, title);
    EXPECT_EQ(h.prompts.log[0].buttons, buttons);
    EXPECT_EQ(h.prompts.log[0].text, text);
    EXPECT_FALSE(view().IsVisible());
  }
  DesignerHarness h;
};

TEST_F(SolidBuilderTest, TheSetupQuestionAndWhatYesAndNoDo) {
  h.prompts.Answer_(Answer::No);
  h.form.Menu("mnuArchiTIcosi").UserClick();
  ExpectOneMessage("3D geometry setup", Buttons::YesNo,
                   "Sorry, you must set Shape 1 inner/outer to 4 sides and Shape 2 inner/outer to "
                   "6 sides and Shape 3 inner/outer to 10 sides, rotated\r\n"
                   "Automatically make the change?");
  EXPECT_EQ(h.form.vs("vsPoly", 2).Value(), "6");
  // Yes sets every kind up, stars off, and shows the solid on its tiles.
  h.form.chk("chkStar", 1).SetValue(1);
  EXPECT_TRUE(BuildSolid(h, "TIcosi"));
  EXPECT_EQ(h.prompts.log.size(), 2u);
  EXPECT_TRUE(view().IsVisible());
  EXPECT_TRUE(h.form.TabEnabled(2) && !h.form.TabEnabled(3));
}

TEST_F(SolidBuilderTest, TwoPointRanksAndLinesAskUnlessTheRankIsForConstruction) {
  // A two-point construction rank is never put on a solid, so no question.
  h.form.chk("chkT", 3).SetValue(1);
  DrawRank(h, 3, 2, 240, 240, 10);
  EXPECT_TRUE(BuildSolid(h, "Tetra"));
  for (const auto& asked : h.prompts.log) EXPECT_NE(asked.title, "2-gon/Line check");
  // Set while hidden, or the redraw of each click would ask at once.
  view().mnuFileExit3D_Click();
  h.prompts.log.clear();
  h.form.chk("chkT", 3).SetValue(0);
  h.form.chk("chkL", 5).SetValue(1);
  h.prompts.Answer_(Answer::Cancel);
  h.form.Menu("mnuPlatonicTetra").UserClick();
  ExpectOneMessage("2-gon/Line check", Buttons::OKCancel,
                   "Sorry, you can't have 2-gon shapes or Lines in 3D\r\n"
                   "OK to set all 2-gons to 3-gons and deselect all Lines?");
  EXPECT_EQ(h.form.vs("vsN", 3).Value(), "2");
  h.prompts.Answer_(Answer::OK);
  h.form.Menu("mnuPlatonicTetra").UserClick();
  EXPECT_EQ(h.model().PointCount[3], 3);
  EXPECT_FALSE(h.form.chk("chkL", 5).Checked());
  EXPECT_TRUE(view().IsVisible());
}

TEST_F(SolidBuilderTest, WindingIsFixedWhateverTheTableOrder) {
  EXPECT_TRUE(BuildSolid(h, "Cube"));
  for (int line = 9; line <= 14; ++line) {  // every face listed the other way round
    std::string& l = h.windows.builder.SolidLines[line];
    std::swap(l[0], l[9]);
    std::swap(l[3], l[6]);
  }
  h.form.DrawPolygon();
  ASSERT_EQ(list().PolyCount, 5);
  for (int p = 0; p <= list().PolyCount; ++p) {
    const int i = list().PolyFirstPoint[p];
    auto at = [&](int k) { return V3{list().VertX[k], list().VertY[k], list().VertZ[k]}; };
    EXPECT_LT(Dot(Cross(at(i + 1) - at(i), at(i + 2) - at(i + 1)), at(i)), 0) << p;
  }
}

TEST_F(SolidBuilderTest, TooManyCopiesForTheListsShowTheComplexityMessage) {
  EXPECT_TRUE(BuildSolid(h, "SIcos"));
  h.prompts.log.clear();
  h.prompts.Answer_(Answer::OK);
  for (int r = 0; r < 15; ++r) DrawRank(h, r, 9, 240, 235, 2 + r % 5);
  ExpectOneMessage("Whirligons", Buttons::OK,
                   "Sorry, this structure is too complex for the program\r\n"
                   "Remove a Rank or two of Shapes\r\n"
                   "or make the Shapes less complex");
  EXPECT_LT(list().PolyCount, 0);  // nothing half-built is kept
  // The designer's own tile is back on its canvas.
  EXPECT_EQ(h.model().poly.VertexCount, 3);
  EXPECT_FLOAT_EQ(h.model().views.ViewScale[0], 1.0f);
}

TEST_F(SolidBuilderTest, ADamagedTableIsReportedAndLocksNothing) {
  h.prompts.autoOk = true;
  h.windows.builder.readTable = [](const SolidInfo&, std::string& bytes, std::string&) {
    bytes = "1 1 1,\r\ncoord\r\n0, 1, 2, -1\r\npoint\r\n";
    return true;
  };
  EXPECT_TRUE(BuildSolid(h, "Tetra"));
  EXPECT_NE(h.prompts.log.back().text.find("TETRA.txt is damaged"), std::string::npos);
  EXPECT_FALSE(view().IsVisible() || h.program.RecordForSolid);
  for (int t = 0; t < TileCount; ++t) EXPECT_TRUE(h.form.TabEnabled(t)) << t;
}

}  // namespace
}  // namespace wlg
