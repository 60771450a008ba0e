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

  int OuterWidth() const { return form.picProgress.Width(); }

  frmProgress form;
  ProgressReporter reporter{form};
  int ownerWindow = 0;
};

TEST_F(ProgressTest, FreshDialogIsHiddenWithInnerBarAtTheOuterBarsLeftEdge) {
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.Caption(), "Progress");
  EXPECT_EQ(form.btnCancel.Caption(), "&Cancel");
  EXPECT_EQ(form.picInner.Left(), 0);
  EXPECT_EQ(form.picInner.Top(), 0);
  EXPECT_EQ(form.picInner.Height(), form.picProgress.Height());
  EXPECT_GT(OuterWidth(), 0);
}

TEST_F(ProgressTest, ZeroShowsTheDialogOverTheOwnerWithAnEmptyBlueBar) {
  reporter.ShowProgress(0);
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(form.Owner(), &ownerWindow);
  EXPECT_EQ(form.Caption(), "Loading ...");
  EXPECT_EQ(form.picInner.Width(), 1);
  EXPECT_EQ(form.picInner.BackColour(), Rgb(0, 0, 255));
}

TEST_F(ProgressTest, HundredFillsAndHidesThenZeroShowsAgainWithAnEmptyBar) {
  reporter.ShowProgress(0);
  reporter.ShowProgress(60);
  reporter.ShowProgress(100);
  EXPECT_FALSE(form.Visible());
  EXPECT_EQ(form.picInner.Width(), OuterWidth());
  EXPECT_EQ(form.Caption(), "Loading ... 100%");

  reporter.state.text = "Saving VRML2...";
  reporter.ShowProgress(0);
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(form.picInner.Width(), 1);
  EXPECT_EQ(form.picInner.BackColour(), Rgb(0, 0, 255));
  EXPECT_EQ(form.Caption(), "Saving VRML2...");
}

TEST_F(ProgressTest, HalfWayIsHalfTheOuterWidthAndRed128) {
  reporter.ShowProgress(0);
  reporter.ShowProgress(50);
  EXPECT_EQ(form.picInner.Width() * 2, OuterWidth());
  EXPECT_EQ(RedOf(form.picInner.BackColour()), 128);
  EXPECT_EQ(GreenOf(form.picInner.BackColour()), 0);
  EXPECT_EQ(BlueOf(form.picInner.BackColour()), 255);
  EXPECT_TRUE(form.Visible());
}

TEST_F(ProgressTest, RedRoundsHalvesToEvenAndWidthFollowsPercent) {
  struct Case {
    int percent;
    int red;  // percent * 255 / 100, worked out by hand
  };
  // 10 -> 25.5 and 30 -> 76.5 and 70 -> 178.5 tell halves-to-even from halves-up.
  const std::vector<Case> cases = {{1, 3}, {10, 26}, {30, 76}, {70, 178}, {99, 252}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.percent);
    reporter.ShowProgress(c.percent);
    EXPECT_EQ(form.picInner.BackColour(), Rgb(c.red, 0, 255));
    EXPECT_EQ(form.picInner.Width(), OuterWidth() * c.percent / 100);
  }
}

TEST_F(ProgressTest, CaptionsCarryThePercentage) {
  reporter.ShowProgress(0);
  reporter.ShowProgress(45);
  EXPECT_EQ(form.Caption(), "Loading ...45%");
  reporter.ShowProgress(100);
  EXPECT_EQ(form.Caption(), "Loading ... 100%");
}

TEST_F(ProgressTest, PendingInputRunsOnlyForIntermediateReportsAfterTheyAreShown) {
  std::vector<std::string> seen;
  reporter.letPendingInputRun = [&] { seen.push_back(form.Caption()); };
  for (int percent : {0, 1, 45, 99, 100}) reporter.ShowProgress(percent);
  // Each yield already sees its own report, so a repaint during it is current.
  EXPECT_EQ(seen, (std::vector<std::string>{"Loading ...1%", "Loading ...45%", "Loading ...99%"}));
}

TEST_F(ProgressTest, WithoutAPendingInputHookReportsStillAdvance) {
  reporter.ShowProgress(0);
  reporter.ShowProgress(20);
  EXPECT_EQ(form.picInner.Width(), OuterWidth() / 5);
}

TEST_F(ProgressTest, CancelSetsTheFlagButDoesNotStopOrHide) {
  reporter.ShowProgress(0);
  EXPECT_FALSE(form.CancelPressed());
  form.btnCancel.UserClick();
  EXPECT_TRUE(form.CancelPressed());
  EXPECT_TRUE(form.Visible());
  reporter.ShowProgress(70);
  EXPECT_EQ(form.Caption(), "Loading ...70%");
  reporter.ShowProgress(100);
  EXPECT_FALSE(form.Visible());
}

TEST_F(ProgressTest, ViewsAreToldWhenShownHiddenAndAdvanced) {
  std::vector<bool> visibility;
  int innerRefreshes = 0;
  form.onRefresh = [&] { visibility.push_back(form.Visible()); };
  form.picInner.onRefresh = [&] { ++innerRefreshes; };
  reporter.ShowProgress(0);
  ASSERT_FALSE(visibility.empty());
  EXPECT_TRUE(visibility.back());
  const int beforeAdvance = innerRefreshes;
  reporter.ShowProgress(30);
  EXPECT_GT(innerRefreshes, beforeAdvance);
  reporter.ShowProgress(100);
  EXPECT_FALSE(visibility.back());
}

}  // namespace
}  // namespace wlg
