#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "controls/EntryTable.h"
#include "controls/ValidText.h"

namespace wlg {
namespace {

class ValidTextTest : public ::testing::Test {
 protected:
  ValidTextTest() {
    box.ValMin = "-100";
    box.ValMax = "100";
    box.ValDefault = "7";
    box.Changed = [this](int index) { changedIndices.push_back(index); };
  }

  // What a commit by Enter leaves in the box.
  std::string Commit(const std::string& typed) {
    box.CommitEnter(typed);
    return box.Value();
  }

  EntryContext context;
  ValidText box{"vtTest", 2, context};
  std::vector<int> changedIndices;
};

TEST_F(ValidTextTest, TypedTextsCommitToTheirNumberOrTheDefault) {
  for (const char* typed : {"", "-", ".", ",", " ", "1.....5", "1.2.3", "1.,5", "a", "1a2b"}) {
    EXPECT_EQ(Commit(typed), "7") << '"' << typed << '"';
  }
  // The one-character test comes before trimming, so blanks alone read as 0.
  EXPECT_EQ(Commit("  "), "0");
  // Tolerant about separators, signs and blanks.
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"1..5", "1.5"},  {"1,5", "1.5"}, {".5", "0.5"},     {"5.", "5"},
      {"+5", "0.5"},    {"1 5", "1.5"}, {"5-", "5"},       {"--5", "-0.5"},
      {"  42  ", "42"}, {"-0", "0"},    {"-.25", "-0.25"}, {"3x", "3"}};
  for (const auto& [typed, shown] : cases) EXPECT_EQ(Commit(typed), shown) << '"' << typed << '"';
}

TEST_F(ValidTextTest, BoundsAreInclusiveAndClampedTextsAreNotRecorded) {
  box.ValMin = "0";
  EXPECT_EQ(Commit("0"), "0");
  EXPECT_EQ(Commit("100"), "100");
  const int level = box.UndoLevel;
  EXPECT_EQ(Commit("500"), "100");
  EXPECT_EQ(Commit("-1"), "0");
  EXPECT_EQ(Commit("junk"), "7");
  EXPECT_EQ(box.UndoLevel, level);
  EXPECT_EQ(box.UndoText[level], "100");
  // A substituted bound or default is its own text, only trimmed.
  box.ValMin = " 0.10 ";
  box.ValMax = "20.0";
  box.ValDefault = "  3 ";
  EXPECT_EQ(Commit("0.05"), "0.10");
  EXPECT_EQ(Commit("21"), "20.0");
  EXPECT_EQ(Commit(","), "3");
}

TEST_F(ValidTextTest, TheSentinelTypedIntoADistanceBoxGivesItsDefault) {
  ValidText b(FindEntrySpec(Window::View3D, "vtKdist"), 0, context);
  ASSERT_EQ(b.Value(), "-2000");
  const int level = b.UndoLevel;
  b.CommitEnter("-9999.99");
  EXPECT_EQ(b.Value(), "-1100");
  EXPECT_EQ(b.UndoLevel, level);
  b.CommitEnter("-9999.98");
  EXPECT_EQ(b.Value(), "-9999.98");
}

TEST_F(ValidTextTest, UserCommitsRaiseChangedAndValuesFromCodeRecordSilently) {
  context.undoFromSnapshot = true;
  box.SetValue("12.5");
  const int level = box.UndoLevel;
  EXPECT_EQ(box.UndoText[level], "12.5");
  EXPECT_TRUE(changedIndices.empty());
  EXPECT_TRUE(context.undoFromSnapshot);  // only a user commit clears it

  box.CommitEnter("5");
  box.CommitEnter("5");
  box.CommitFocusLoss(box.Value());  // leaving without edits
  EXPECT_EQ(changedIndices, (std::vector<int>{2, 2, 2}));
  EXPECT_FALSE(context.undoFromSnapshot);
  EXPECT_EQ(box.UndoLevel, level + 1);
  EXPECT_EQ(Commit("abc"), "7");  // Enter only shows the default
  EXPECT_EQ(box.UndoLevel, level + 1);
  box.CommitEnter("5");
  box.CommitFocusLoss("abc");  // the second half commits the shown default
  EXPECT_EQ(box.Value(), "7");
  EXPECT_EQ(box.UndoLevel, level + 2);
  EXPECT_EQ(box.UndoText[box.UndoLevel], "7");
  EXPECT_EQ(changedIndices.size(), 6u);

  box.UnDoing = true;  // nothing is recorded while undoing
  box.SetValue("42");
  box.CommitEnter("43");
  EXPECT_EQ(box.Value(), "43");
  EXPECT_EQ(box.UndoLevel, level + 2);
}

// A handler's question takes the focus from the box, and more keys may come
// while it is open: none of that commits again until the handler is done.
TEST_F(ValidTextTest, ACommitWhileItsOwnHandlerRunsIsDropped) {
  int calls = 0;
  box.Changed = [&](int) {
    if (++calls != 1) return;
    box.CommitFocusLoss("9");
    box.CommitEnter("8");
  };
  box.CommitEnter("5");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(box.Value(), "5");
  box.CommitEnter("6");
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(box.Value(), "6");

  // A handler that fails leaves the box taking commits.
  box.Changed = [](int) { throw std::runtime_error("no answer"); };
  EXPECT_THROW(box.CommitEnter("4"), std::runtime_error);
  box.Changed = [&](int) { ++calls; };
  box.CommitFocusLoss("3");
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(box.Value(), "3");
}

TEST_F(ValidTextTest, TheHistoryKeepsTheLastTwentyCommitsWithIncreasingStamps) {
  double previous = 0;
  for (int v = 30; v < 55; ++v) box.CommitEnter(std::to_string(v));
  EXPECT_EQ(box.UndoLevel, 19);
  for (int i = 0; i <= 19; ++i) {
    EXPECT_EQ(box.UndoText[i], std::to_string(35 + i)) << i;
    EXPECT_GT(box.UndoTime[i], previous) << i;
    previous = box.UndoTime[i];
  }
  EXPECT_EQ(box.UndoText[20], "");
}

// A new box's history holds "1" and then its initial text, so undoing the
// first change goes back to the initial text.
TEST(EntryTableTest, EveryBoxStartsAtItsInitialTextAndFallsBackToItsDefault) {
  EntryContext context;
  for (const EntrySpec& entry : EntryTable()) {
    const std::string name = entry.name;
    ValidText box(entry, 0, context);
    EXPECT_EQ(box.Value(), entry.initialValue) << name;
    EXPECT_EQ(box.UndoText[1], "1") << name;
    EXPECT_EQ(box.UndoText[box.UndoLevel], entry.initialValue) << name;
    box.CommitEnter("not a number");
    EXPECT_EQ(box.Value(), entry.valDefault) << name;
    EXPECT_EQ(&FindEntrySpec(entry.window, name), &entry) << name;
  }
  EXPECT_THROW(FindEntrySpec(Window::Designer, "vtKdist"), std::out_of_range);
}

TEST(EntryTableTest, ToolTipsFollowTheIndex) {
  EntryContext context;
  const EntrySpec& scale = FindEntrySpec(Window::Tessellator, "vsScale");
  EXPECT_EQ(ValidText(scale, 3, context).ToolTip(), "Tile 4 Scale");

  // Line widths alternate between seed and shape polygons.
  const EntrySpec& width = FindEntrySpec(Window::Designer, "vsLineWidth");
  EXPECT_EQ(ValidText(width, 6, context).ToolTip(), "Line width of seed polygons");
  EXPECT_EQ(ValidText(width, 7, context).ToolTip(), "Line width of shape polygons");
}

}  // namespace
}  // namespace wlg
