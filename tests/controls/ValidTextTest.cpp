// The entry box model: how typed texts read, bounds, its history and the
// handler it calls.

#include <gtest/gtest.h>

#include <stdexcept>
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

TEST_F(ValidTextTest, CommitsReadTypedTextsRecordThemAndCallTheHandlerOnce) {
  // Tolerant about separators, signs and blanks; the one-character test comes
  // before trimming, so blanks alone read as 0. Out of range: the bound's own text.
  const std::pair<const char*, const char*> cases[] = {
      {"1.2.3", "7"}, {"  ", "0"}, {"1,5", "1.5"}, {"--5", "-0.5"}, {"3x", "3"}, {"500", "100"}};
  for (const auto& [typed, shown] : cases) EXPECT_EQ(Commit(typed), shown) << '"' << typed << '"';
  // Clamped and defaulted texts are not recorded; a substituted bound or default is trimmed.
  const int level = box.UndoLevel;
  box.ValMin = " 0.10 ", box.ValDefault = "  3 ";
  EXPECT_EQ(Commit("0.05"), "0.10");
  EXPECT_EQ(Commit(","), "3");
  EXPECT_EQ(box.UndoLevel, level);
  ValidText distance(FindEntrySpec(Window::View3D, "vtKdist"), 0, context);
  distance.CommitEnter("-9999.99");  // the sentinel gives the default
  EXPECT_EQ(distance.Value(), "-1100");
  distance.CommitEnter("-9999.98");
  EXPECT_EQ(distance.Value(), "-9999.98");

  // User commits raise Changed; values from code record silently.
  changedIndices.clear();
  context.undoFromSnapshot = true;
  box.SetValue("12.5");
  EXPECT_TRUE(context.undoFromSnapshot);  // only a user commit clears it
  box.CommitEnter("5");
  box.CommitFocusLoss(box.Value());                     // leaving without edits
  EXPECT_EQ(changedIndices, (std::vector<int>{2, 2}));  // none for the value from code
  EXPECT_FALSE(context.undoFromSnapshot);
  box.CommitFocusLoss("abc");  // commits the shown default
  EXPECT_EQ(box.UndoText[box.UndoLevel], "3");
  // The history keeps the last twenty commits.
  for (int v = 30; v < 55; ++v) box.CommitEnter(std::to_string(v));
  EXPECT_EQ(box.UndoLevel, 19);
  EXPECT_EQ(box.UndoText[0], "35");

  // A handler's question takes the focus from the box, and more keys may come
  // while it is open: none of that commits again until the handler is done.
  int calls = 0;
  box.Changed = [&](int) {
    if (++calls != 1) return;
    box.CommitFocusLoss("9");
    box.CommitEnter("8");
  };
  EXPECT_EQ(Commit("5"), "5");
  EXPECT_EQ(calls, 1);
  // A handler that fails leaves the box taking commits.
  box.Changed = [](int) { throw std::runtime_error("no answer"); };
  EXPECT_THROW(box.CommitEnter("4"), std::runtime_error);
  box.Changed = [&](int) { ++calls; };
  box.CommitFocusLoss("3");
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace wlg
