// Undo and Redo: design snapshots and entry commits on one time line.

#include <gtest/gtest.h>

#include <QImage>
#include <functional>

#include "document/PatternFile.h"
#include "document/UnDoModule.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

class Undo : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void UndoClick() { f.Menu("mnuEditUndo").UserClick(); }
  void RedoClick() { f.Menu("mnuEditRedo").UserClick(); }
  // A click on a tile's canvas places the selected rank's next point.
  void PointClick(float x, float y, int tile = 0) {
    f.picS(tile).onMouseDown(tile, MouseButton::Left, 0, x, y);
    f.picS(tile).onMouseUp(tile, MouseButton::Left, 0, x, y);
  }
  // A Shift-click on the tessellator places a copy of the current tile.
  void TileClick(float x, float y) {
    h.tess.picT().onMouseDown(0, MouseButton::Left, ShiftKey, x, y);
    h.tess.picT().onMouseUp(0, MouseButton::Left, 0, x, y);
  }

  DesignerHarness h;
  frmS& f = h.form;
  DesignModel& m = h.model();
  TessState& tess = h.program.tess;
  ValidText& big = f.vs("vsPolyBig", 0);
};

// A drag's snapshot, a tile placed and entry commits of both windows on one
// time line, redone from either window's menu; a snapshot is restored once.
TEST_F(Undo, EditsOfEveryWindowAreTakenBackInReverseTimeOrderAndRedoneForwards) {
  m.X[1][0] = 7;
  h.program.UndoFromSnapshot() = true;  // a mouse release with no snapshot taken
  UndoClick();
  EXPECT_EQ(m.X[1][0], 7);

  h.tess.Show();
  ValidText& zoom = h.tess.Entry("vsZoom");
  tess.TessCount = 2;
  tess.TessItems[1] = tess.TessItems[2] = {-5, 6, 0, 4, false, 2, false};  // tile 4 only
  m.overrides.OverrideCount = 1;
  m.overrides.entries[0] = {2, 1, 33, 4};
  auto state = [&] {
    std::string s = zoom.Value() + " " + big.Value();
    for (const std::string& line : TakeDesignSnapshot(h.program)) s += "\n" + line;
    return s;
  };
  const std::function<void()> edits[] = {
      [&] {
        f.SetUndo();  // a drag with tessellator edits
        m.X[0][0] = 50, m.PlacedCount[0] = 3;
        tess.TessItems[1].X = 40;
        tess.TessItems[2].Angle = 10;
        m.overrides.OverrideCount = 0;
      },
      [&] { big.CommitEnter("5"); }, [&] { zoom.CommitEnter("0.5"); },
      [&] { TileClick(300, 300); }};  // loading the editor is no edit of its own
  std::vector<std::string> states{state()};
  for (const auto& edit : edits) {
    edit();
    states.push_back(state());
  }
  const int last = static_cast<int>(states.size()) - 1;
  for (int k = last - 1; k >= 0; --k) {
    UndoClick();
    EXPECT_EQ(state(), states[k]) << k;
  }
  EXPECT_EQ(h.tess.Entry("vtX").Value(), "-10");  // the editor shows the last item
  for (int k = 1; k <= last + 1; ++k) {
    (k % 2 ? h.tess.Menu("mnuEditRedo") : f.Menu("mnuEditRedo")).UserClick();
    EXPECT_EQ(state(), states[std::min(k, last)]) << k;  // past the last: nothing to redo
  }
  UndoClick();
  big.CommitEnter("7");
  RedoClick();  // a new edit left nothing to redo
  EXPECT_EQ(big.Value(), "7");
  // Back to the start: the snapshot is not applied again.
  for (int k = 0; k < last; ++k) UndoClick();
  m.X[0][0] = 77;
  UndoClick();
  EXPECT_EQ(m.X[0][0], 77);
}

// No question comes on the way back or forward: none is queued.
TEST_F(Undo, ASolidsSetUpIsOneEditThatGivesBackAllFourTiles) {
  f.chk("chkStar", 0).SetValue(1);
  h.program.KeepTessellation = false;  // so that the set-up clears ranks and tiles
  PointClick(100, 100);
  f.SSTab1_Click(3);
  PointClick(200, 200, 3);
  TileClick(300, 300);
  f.SSTab1_Click(0);
  auto state = [&] {  // all that a save writes but the solid's name, which stays
    const auto text = WritePattern(h.program, {&f, &h.windows.view3D, &h.tess}, std::tm{});
    return text.substr(0, text.rfind("\r\n", text.size() - 3));
  };
  const auto before = state();
  h.prompts.Answer_(Answer::Yes);
  f.Menu("mnuArchiTTet").UserClick();
  ASSERT_TRUE(h.windows.view3D.IsVisible());
  const auto after = state();
  EXPECT_EQ(m.InnerSides[0], 3);

  UndoClick();
  EXPECT_EQ(state(), before);
  EXPECT_FALSE(h.windows.view3D.IsVisible());
  RedoClick();
  EXPECT_EQ(state(), after);
  EXPECT_EQ(h.prompts.log.size(), 1u);
}

// An entry that got its earlier value back is drawn from it at once, and a
// shape entry that would ask before a change asks nothing on the way back.
TEST_F(Undo, AnUndoneEntryRedrawsItsWindowWithoutAsking) {
  h.tess.Show();
  TileClick(200, 200);
  TileClick(400, 200);  // two tiles of this shape: a shape change asks first
  const QImage tiles = h.tess.picT().canvas.Image().copy(), shape = f.picS(0).canvas.Image().copy();
  h.tess.Entry("vsZoom").CommitEnter("0.5");
  UndoClick();
  EXPECT_EQ(h.tess.picT().canvas.Image(), tiles);

  h.prompts.Answer_(Answer::No);
  f.vs("vsPoly", 0).CommitEnter("5");
  ASSERT_EQ(h.prompts.log.size(), 1u);
  UndoClick();  // a question here would find no answer queued and fail
  EXPECT_EQ(m.InnerSides[0], 6);
  EXPECT_EQ(f.picS(0).canvas.Image(), shape);
  RedoClick();
  EXPECT_EQ(m.InnerSides[0], 5);
  EXPECT_EQ(h.prompts.log.size(), 1u);
}

TEST(DesignSnapshot, KeepsEveryLinePastAThousand) {
  testing::ScriptedPrompts prompts;
  auto from = std::make_unique<Program>(prompts);
  from->design.overrides.OverrideCount = OverrideCapacity;
  for (int i = 0; i < OverrideCapacity; ++i)
    from->design.overrides.entries[i] = {float(i), 1, i % 64, i % 16};
  const auto lines = TakeDesignSnapshot(*from);
  ASSERT_GT(lines.size(), 1000u);
  auto to = std::make_unique<Program>(prompts);
  RestoreDesignSnapshot(lines, *to);
  EXPECT_EQ(TakeDesignSnapshot(*to), lines);
}

}  // namespace
}  // namespace wlg
