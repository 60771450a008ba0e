// Undo and Redo: design snapshots and entry commits on one time line.

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <functional>
#include <iterator>

#include "document/PatternFile.h"
#include "document/UnDoModule.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

// A click on a tile's canvas places the selected rank's next point.
void PointClick(DesignerHarness& h, float x, float y, int tile = 0) {
  h.form.picS(tile).onMouseDown(tile, MouseButton::Left, 0, x, y);
  h.form.picS(tile).onMouseUp(tile, MouseButton::Left, 0, x, y);
}

class Undo : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void UndoClick() { f.Menu("mnuEditUndo").UserClick(); }
  void RedoClick() { f.Menu("mnuEditRedo").UserClick(); }
  void PointClick(float x, float y, int tile = 0) { wlg::PointClick(h, x, y, tile); }
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

TEST_F(Undo, EntryCommitsAreUndoneLatestFirstWhicheverWindowTheyAreIn) {
  m.X[1][0] = 7;
  h.program.UndoFromSnapshot() = true;  // a mouse release with no snapshot taken
  UndoClick();
  EXPECT_EQ(m.X[1][0], 7);

  // A commit after a point edit is undone, then the point (the next older
  // edit), then the commit before it.
  f.vs("vsPolySmall", 0).CommitEnter("2");
  f.SetUndo();
  m.X[0][0] = 50, m.PlacedCount[0] = 1;
  big.CommitEnter("5");
  UndoClick();
  EXPECT_EQ(big.Value(), "4");
  UndoClick();
  EXPECT_EQ(m.X[0][0], 0);
  EXPECT_EQ(f.vs("vsPolySmall", 0).Value(), "2");
  UndoClick();
  EXPECT_EQ(f.vs("vsPolySmall", 0).Value(), "1");

  ValidText& vtX = h.tess.Entry("vtX");
  vtX.CommitEnter("30");
  big.CommitEnter("6");
  vtX.CommitEnter("100");
  UndoClick();
  EXPECT_EQ(vtX.Value(), "30");
  UndoClick();
  EXPECT_EQ(big.Value(), "4");
  EXPECT_EQ(vtX.Value(), "30");
}

TEST_F(Undo, SnapshotIsRestoredOnceThenEntriesRevert) {
  std::vector<int> edited;
  f.updateEdit = [&](int n) { edited.push_back(n); };
  big.CommitEnter("5");
  m.X[2][0] = 20, m.PlacedCount[2] = 1;
  tess.TessCount = 2;
  tess.TessItems[2] = {-5, 6, 0, 4, false, 2, false};
  m.overrides.OverrideCount = 1;
  m.overrides.entries[0] = {2, 1, 33, 4};
  const auto before = TakeDesignSnapshot(h.program);

  f.SetUndo();
  // A drag and some tessellator edits, then the mouse release.
  m.X[2][0] = 99, m.PlacedCount[2] = 3;
  tess.TessCount = 3;
  tess.TessItems[2].Angle = 10;
  m.CustomColours[3] = 0;
  m.overrides.OverrideCount = 0;
  h.program.UndoFromSnapshot() = true;

  UndoClick();
  EXPECT_EQ(TakeDesignSnapshot(h.program), before);
  EXPECT_EQ(m.PlacedCount[2], 1);
  EXPECT_EQ(edited, std::vector<int>{2});  // the editor shows the last item
  EXPECT_EQ(big.Value(), "5");

  m.X[2][0] = 77;
  UndoClick();  // the snapshot is not applied again
  EXPECT_EQ(m.X[2][0], 77);
  EXPECT_EQ(big.Value(), "4");
}

TEST_F(Undo, TwoPointsAreTakenBackOneByOneAndRedoneInOrder) {
  PointClick(100, 100);
  PointClick(150, 120);
  UndoClick();
  EXPECT_EQ(m.PlacedCount[0], 1);
  UndoClick();
  EXPECT_EQ(m.PlacedCount[0], 0);
  EXPECT_EQ(m.X[0][0], 0);
  RedoClick();
  EXPECT_EQ(m.PlacedCount[0], 1);
  EXPECT_EQ(m.X[0][0], 100);
  RedoClick();
  EXPECT_EQ(m.PlacedCount[0], 2);
  EXPECT_EQ(m.X[0][1], 150);
  RedoClick();  // nothing more to redo
  EXPECT_EQ(m.PlacedCount[0], 2);
}

TEST_F(Undo, EditsOfEveryWindowAreTakenBackInReverseTimeOrderAndRedoneForwards) {
  h.tess.Show();
  ValidText& zoom = h.tess.Entry("vsZoom");
  ValidText& x = h.tess.Entry("vtX");
  PointClick(100, 100);
  x.CommitEnter("30");
  zoom.CommitEnter("0.5");
  TileClick(300, 300);  // at world x 200 (zoom 0.5); loading the editor is no edit of its own
  big.CommitEnter("5");

  struct State {
    int points;
    const char* x;
    const char* zoom;
    int tiles;
    const char* big;
  };
  const State states[] = {{0, "0", "1", 0, "4"},     {1, "0", "1", 0, "4"},
                          {1, "30", "1", 0, "4"},    {1, "30", "0.5", 0, "4"},
                          {1, "400", "0.5", 1, "4"}, {1, "400", "0.5", 1, "5"}};
  const int last = static_cast<int>(std::size(states)) - 1;
  auto check = [&](int k, const char* when) {
    SCOPED_TRACE(::testing::Message() << when << " state " << k);
    EXPECT_EQ(m.PlacedCount[0], states[k].points);
    EXPECT_EQ(x.Value(), states[k].x);
    EXPECT_EQ(zoom.Value(), states[k].zoom);
    EXPECT_EQ(tess.TessCount, states[k].tiles);
    EXPECT_EQ(big.Value(), states[k].big);
  };
  check(last, "edits");
  for (int k = last - 1; k >= 0; --k) {
    UndoClick();
    check(k, "undo");
  }
  for (int k = 1; k <= last; ++k) {
    RedoClick();
    check(k, "redo");
  }
}

TEST(UndoRedo, ANewEditClearsRedo) {
  const std::pair<const char*, std::function<void(DesignerHarness&)>> edits[] = {
      {"commit", [](DesignerHarness& h) { h.form.vs("vsNCols", 0).CommitEnter("3"); }},
      {"snapshot", [](DesignerHarness& h) { h.form.SetUndo(); }},
  };
  for (const auto& [name, edit] : edits) {
    SCOPED_TRACE(name);
    DesignerHarness h;
    h.Start();
    PointClick(h, 100, 100);
    PointClick(h, 150, 120);
    h.form.UndoIt();
    edit(h);
    h.form.RedoIt();
    EXPECT_EQ(h.model().PlacedCount[0], 1);
    EXPECT_EQ(h.form.history().RedoDepth(), 0u);
  }
}

TEST_F(Undo, KeepsTheLatestHundredSnapshots) {
  for (int i = 1; i <= 105; ++i) {
    m.X[5][0] = static_cast<float>(i);
    f.SetUndo();
  }
  m.X[5][0] = 999;
  EXPECT_EQ(f.history().UndoDepth(), EditHistory::Depth);
  for (int i = 0; i < 100; ++i) UndoClick();
  EXPECT_EQ(m.X[5][0], 6);
  UndoClick();  // the oldest five are gone: entries are undone instead
  EXPECT_EQ(m.X[5][0], 6);
  for (int i = 0; i < 101; ++i) RedoClick();
  EXPECT_EQ(m.X[5][0], 999);
}

TEST_F(Undo, ASolidsSetUpIsOneEditThatGivesBackAllFourTiles) {
  f.chk("chkStar", 0).SetValue(1);
  h.program.KeepTessellation = false;  // so that the set-up clears ranks and tiles
  PointClick(100, 100);
  f.SSTab1_Click(3);
  PointClick(200, 200, 3);
  TileClick(300, 300);
  f.SSTab1_Click(0);

  auto controls = [&] {
    std::vector<std::string> v;
    for (int t = 0; t < TileCount; ++t)
      v.insert(v.end(), {f.vs("vsPoly", t).Value(), f.vs("vsPolyOut", t).Value(),
                         std::to_string(f.chk("chkRotateOut", t).Value()),
                         std::to_string(f.chk("chkStar", t).Value())});
    return v;
  };
  const auto before = controls();
  const auto design = TakeDesignSnapshot(h.program);
  ASSERT_EQ(m.InnerSides[0], 6);
  h.prompts.Answer_(Answer::Yes);
  f.Menu("mnuArchiTTet").UserClick();
  ASSERT_TRUE(h.windows.view3D.IsVisible());
  const auto after = controls();
  ASSERT_NE(after, before);
  EXPECT_EQ(m.PlacedCount[0], 0);

  // No question comes on the way back: none is queued.
  UndoClick();
  EXPECT_EQ(controls(), before);
  EXPECT_EQ(TakeDesignSnapshot(h.program), design);
  EXPECT_EQ(m.InnerSides[0], 6);
  EXPECT_FALSE(h.windows.view3D.IsVisible());
  RedoClick();
  EXPECT_EQ(controls(), after);
  EXPECT_EQ(m.PlacedCount[0], 0);
  EXPECT_EQ(m.InnerSides[0], 3);
  UndoClick();
  EXPECT_EQ(controls(), before);
  EXPECT_EQ(h.prompts.log.size(), 1u);
}

// An entry that got its earlier value back is drawn from it at once.
TEST_F(Undo, AnUndoneZoomRedrawsTheTessellation) {
  h.tess.Show();
  PointClick(100, 100);
  TileClick(300, 300);
  const QImage before = h.tess.picT().canvas.Image().copy();
  h.tess.Entry("vsZoom").CommitEnter("0.5");
  ASSERT_NE(h.tess.picT().canvas.Image(), before);
  UndoClick();
  EXPECT_EQ(h.tess.Entry("vsZoom").Value(), "1");
  EXPECT_EQ(h.tess.picT().canvas.Image(), before);
}

TEST_F(Undo, AnUndoneShapeEntryRedrawsWithoutAsking) {
  h.tess.Show();
  TileClick(200, 200);
  TileClick(400, 200);  // two tiles of this shape: a shape change asks first
  const QImage before = f.picS(0).canvas.Image().copy();
  h.prompts.Answer_(Answer::No);
  f.vs("vsPoly", 0).CommitEnter("5");
  ASSERT_EQ(h.prompts.log.size(), 1u);
  ASSERT_EQ(m.InnerSides[0], 5);

  UndoClick();  // a question here would find no answer queued and fail
  EXPECT_EQ(f.vs("vsPoly", 0).Value(), "6");
  EXPECT_EQ(m.InnerSides[0], 6);
  EXPECT_EQ(f.picS(0).canvas.Image(), before);
  RedoClick();
  EXPECT_EQ(m.InnerSides[0], 5);
  EXPECT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(tess.TessCount, 2);
}

TEST_F(Undo, RedoFollowsUndoInTheDesignerAndTessellatorEditMenus) {
  for (Form* form : std::initializer_list<Form*>{&f, &h.tess}) {
    SCOPED_TRACE(form->Name());
    const auto& cs = form->Controls();
    auto undo =
        std::find_if(cs.begin(), cs.end(), [](auto& c) { return c->Name() == "mnuEditUndo"; });
    ASSERT_NE(undo, cs.end());
    ASSERT_NE(undo + 1, cs.end());
    const auto* redo = dynamic_cast<const MenuItem*>((undo + 1)->get());
    ASSERT_TRUE(redo);
    EXPECT_EQ(redo->Name(), "mnuEditRedo");
    EXPECT_EQ(redo->Caption(), "&Redo");
    EXPECT_EQ(redo->Menu(), "&Edit");
    EXPECT_EQ(redo->Shortcut(), "Ctrl+Shift+Z; Ctrl+Y");
    EXPECT_TRUE(redo->Enabled());
  }
  PointClick(100, 100);
  UndoClick();
  h.tess.Menu("mnuEditRedo").UserClick();
  EXPECT_EQ(m.PlacedCount[0], 1);
}

TEST(UndoLatestEntry, WalksPastTheFirstValueToTheDefault) {
  EntryContext ctx;
  Form form("frm");
  ValidText& box = form.Add<ValidText>("vsBox", 0, ctx);
  box.ValDefault = "7";
  box.CommitEnter("3");
  UndoLatestEntry({nullptr, &form});
  EXPECT_EQ(box.Value(), "1");
  EXPECT_LT(box.UndoTime[box.UndoLevel + 1], 0);  // marked undone
  for (int i = 0; i < 2; ++i) UndoLatestEntry({&form});
  EXPECT_EQ(box.UndoLevel, 0);
  EXPECT_EQ(box.Value(), "7");
}

TEST(DesignSnapshot, KeepsEveryLinePastAThousand) {
  testing::ScriptedPrompts prompts;
  auto from = std::make_unique<Program>(prompts);
  from->tess.TessCount = MaxTessItems;
  for (int i = 1; i <= MaxTessItems; ++i)
    from->tess.TessItems[i] = {float(i), 1, 0, 1 + i % 4, false, 2, i % 2 == 0};
  from->design.overrides.OverrideCount = OverrideCapacity;
  for (int i = 0; i < OverrideCapacity; ++i)
    from->design.overrides.entries[i] = {float(i), 1, i % 64, i % 16};

  const auto lines = TakeDesignSnapshot(*from);
  ASSERT_EQ(lines.size(), 64u + 1 + 199 + 1 + 1 + 1000);
  auto to = std::make_unique<Program>(prompts);
  RestoreDesignSnapshot(lines, *to);
  EXPECT_EQ(TakeDesignSnapshot(*to), lines);
}

}  // namespace
}  // namespace wlg
