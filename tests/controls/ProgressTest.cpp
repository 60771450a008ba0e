#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/Progress.h"

namespace wlg {
namespace {

class ProgressTest : public ::testing::Test {
 protected:
  ProgressTest() {
    reporter.state.text = "Loading ...";
    reporter.state.owner = &ownerWindow;
  }

  frmProgress form;
  ProgressReporter reporter{form};
  int ownerWindow = 0;
};

TEST_F(ProgressTest, ZeroShowsOverTheOwnerAndAHundredFillsAndHides) {
  // The second run starts again from an empty bar under its own caption.
  for (const std::string text : {"Loading ...", "Saving VRML2..."}) {
    reporter.state.text = text;
    reporter.ShowProgress(0);
    EXPECT_TRUE(form.Visible() && form.Owner() == &ownerWindow);
    EXPECT_EQ(form.Caption(), text);
    EXPECT_EQ(form.picInner.Width(), 1);
    EXPECT_EQ(form.picInner.BackColour(), Rgb(0, 0, 255));
    reporter.ShowProgress(45);
    EXPECT_EQ(form.Caption(), text + "45%");
    // Cancel only sets a flag: the operation goes on to the end.
    form.btnCancel.UserClick();
    EXPECT_TRUE(form.CancelPressed() && form.Visible());
    reporter.ShowProgress(100);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.picInner.Width(), form.picProgress.Width());
    EXPECT_EQ(form.Caption(), text + " 100%");
  }
}

TEST_F(ProgressTest, EveryAdvanceRedrawsTheBarAtItsWidthAndRed) {
  struct Case {
    int percent, red, width;  // of the 300-pixel bar
  };
  int refreshes = 0;
  form.picInner.onRefresh = [&] { ++refreshes; };
  // 30 -> 76.5 and 70 -> 178.5 go to the even neighbour, not up.
  for (const Case& c :
       {Case{10, 26, 30}, Case{30, 76, 90}, Case{70, 178, 210}, Case{99, 252, 297}}) {
    SCOPED_TRACE(c.percent);
    const int before = refreshes;
    reporter.ShowProgress(c.percent);
    EXPECT_GT(refreshes, before);
    EXPECT_EQ(form.picInner.BackColour(), Rgb(c.red, 0, 255));
    EXPECT_EQ(form.picInner.Width(), c.width);
  }
}

TEST_F(ProgressTest, PendingInputRunsOnlyForIntermediateReportsAfterTheyAreShown) {
  std::vector<std::string> seen;
  reporter.letPendingInputRun = [&] { seen.push_back(form.Caption()); };
  for (int percent : {0, 1, 45, 99, 100}) reporter.ShowProgress(percent);
  // Each yield already sees its own report, so a repaint during it is current.
  EXPECT_EQ(seen, (std::vector<std::string>{"Loading ...1%", "Loading ...45%", "Loading ...99%"}));
}

}  // namespace
}  // namespace wlg
