// Undo: the one-level design snapshot against the entry boxes' histories,
// and which commit the walk back picks.

#include <gtest/gtest.h>

#include "controls/EntryTable.h"
#include "document/PatternFile.h"
#include "document/UnDoModule.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\n";
  return s;
}

class Undo : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  void UndoClick() { f.Menu("mnuEditUndo").UserClick(); }

  DesignerHarness h;
  frmS& f = h.form;
  DesignModel& m = h.model();
  TessState& tess = h.program.tess;
  ValidText& small = f.vs("vsPolySmall", 0);
  ValidText& big = f.vs("vsPolyBig", 0);
};

TEST_F(Undo, EntryCommitAfterAPointEditIsUndoneBeforeIt) {
  small.CommitEnter("2");
  f.SetUndo();
  m.X[0][0] = 50, m.PlacedCount[0] = 1;  // the point placed after the snapshot
  big.CommitEnter("5");

  UndoClick();
  EXPECT_EQ(big.Value(), "4");
  EXPECT_EQ(m.X[0][0], 50);
  UndoClick();  // the earlier commit, not the point
  EXPECT_EQ(small.Value(), "1");
  EXPECT_EQ(big.Value(), "4");
  EXPECT_EQ(m.X[0][0], 50);
  EXPECT_TRUE(h.prompts.log.empty());
}

TEST_F(Undo, SnapshotIsRestoredOnceThenEntriesRevert) {
  std::vector<int> edited;
  f.updateEdit = [&](int n) { edited.push_back(n); };
  big.CommitEnter("5");
  m.X[2][0] = 20, m.Y[2][0] = -4, m.PlacedCount[2] = 1;
  tess.TessCount = 2;
  tess.TessItems[1] = {10, 20, 30, 2, false, 1.5f, true};
  tess.TessItems[2] = {-5, 6, 0, 4, false, 2, false};
  m.CustomColours[3] = Rgb(1, 2, 3);
  m.overrides.OverrideCount = 1;
  m.overrides.entries[0] = {2, 1, 33, 4};
  const std::string before = Join(TakeDesignSnapshot(h.program));

  f.SetUndo();
  EXPECT_TRUE(h.program.UndoFromSnapshot());
  // A drag and some tessellator edits, then the mouse release.
  m.X[2][0] = 99, m.PlacedCount[2] = 3;
  tess.TessCount = 3;
  tess.TessItems[3].X = 7;
  tess.TessItems[1].Angle = 10;
  m.CustomColours[3] = 0;
  m.overrides.OverrideCount = 0;
  h.program.UndoFromSnapshot() = true;

  UndoClick();
  EXPECT_EQ(Join(TakeDesignSnapshot(h.program)), before);
  EXPECT_EQ(m.PlacedCount[2], 1);
  EXPECT_EQ(tess.TessItems[3].X, 0);
  EXPECT_EQ(tess.EditItem, 2);
  EXPECT_EQ(edited, std::vector<int>{2});
  EXPECT_FALSE(h.program.UndoFromSnapshot());
  EXPECT_EQ(big.Value(), "5");

  m.X[2][0] = 77;
  UndoClick();  // the snapshot is not applied again
  EXPECT_EQ(m.X[2][0], 77);
  EXPECT_EQ(big.Value(), "4");
}

TEST_F(Undo, LaterCommitRevertsFirstWhicheverWindowItIsIn) {
  Form other("frmT");
  ValidText& vtX =
      other.Add<ValidText>(FindEntrySpec(Window::Tessellator, "vtX"), 0, h.program.entries);
  h.program.tessellator = &other;

  big.CommitEnter("5");
  vtX.CommitEnter("100");
  UndoClick();
  EXPECT_EQ(vtX.Value(), "0");
  EXPECT_EQ(big.Value(), "5");
  UndoClick();
  EXPECT_EQ(big.Value(), "4");

  vtX.CommitEnter("30");
  big.CommitEnter("6");
  UndoClick();
  EXPECT_EQ(big.Value(), "4");
  EXPECT_EQ(vtX.Value(), "30");
}

TEST_F(Undo, NothingToRestoreDoesNothing) {
  h.program.UndoFromSnapshot() = true;  // a mouse release with no snapshot taken
  big.SetValue("3");
  UndoClick();
  EXPECT_EQ(big.Value(), "3");
  EXPECT_TRUE(h.prompts.log.empty());
}

TEST(UndoLatestEntry, PicksTheGreatestStampAmongVtAndVsBoxes) {
  EntryContext ctx;
  Form form("frm");
  ValidText& first = form.Add<ValidText>("vsFirst", 0, ctx);
  ValidText& upper = form.Add<ValidText>("VsUpper", 0, ctx);  // not an undoable name
  ValidText& second = form.Add<ValidText>("vtSecond", 0, ctx);
  first.CommitEnter("5");
  second.CommitEnter("6");
  upper.CommitEnter("7");

  UndoLatestEntry({&form});
  EXPECT_EQ(second.Value(), "1");
  EXPECT_LT(second.UndoTime[second.UndoLevel + 1], 0);
  EXPECT_EQ(upper.Value(), "7");
  UndoLatestEntry({nullptr, &form});
  EXPECT_EQ(first.Value(), "1");

  // Equal stamps: the earlier box goes first.
  first.CommitEnter("8");
  second.CommitEnter("9");
  first.UndoTime[first.UndoLevel] = second.UndoTime[second.UndoLevel];
  UndoLatestEntry({&form});
  EXPECT_EQ(first.Value(), "1");
  EXPECT_EQ(second.Value(), "9");
}

TEST(UndoLatestEntry, WalksDownToTheDefault) {
  EntryContext ctx;
  Form form("frm");
  ValidText& box = form.Add<ValidText>("vsBox", 0, ctx);
  box.ValDefault = "7";
  box.CommitEnter("3");
  const int level = box.UndoLevel;

  UndoLatestEntry({&form});
  EXPECT_EQ(box.Value(), "1");
  EXPECT_EQ(box.UndoLevel, level - 1);
  UndoLatestEntry({&form});  // history level 0 is empty: the box shows its default
  EXPECT_EQ(box.UndoLevel, 0);
  EXPECT_EQ(box.Value(), "7");
  UndoLatestEntry({&form});
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
  EXPECT_EQ(lines[64], "199");
  EXPECT_EQ(lines[64 + 199 + 2], "1000");

  auto to = std::make_unique<Program>(prompts);
  RestoreDesignSnapshot(lines, *to);
  ASSERT_EQ(to->design.overrides.OverrideCount, OverrideCapacity);
  EXPECT_EQ(OverrideLine(to->design.overrides.entries[999]), "999,1,39,7");
  ASSERT_EQ(to->tess.TessCount, MaxTessItems);
  EXPECT_EQ(ItemLine(to->tess.TessItems[198]), ItemLine(from->tess.TessItems[198]));
}

}  // namespace
}  // namespace wlg
