// The progress window: shown over its owner, the bar's width and colour, and
// when pending input may run.

#include <gtest/gtest.h>

#include <vector>

#include "controls/Progress.h"

namespace wlg {
namespace {

TEST(Progress, ShowsOverTheOwnerFillsTheBarAndHidesAtAHundred) {
  frmProgress form;
  ProgressReporter reporter{form};
  int owner = 0, refreshes = 0;
  reporter.state.owner = &owner;
  form.picInner.onRefresh = [&] { ++refreshes; };
  std::vector<std::string> yielded;
  reporter.letPendingInputRun = [&] { yielded.push_back(form.Caption()); };
  // The second run starts again from an empty bar under its own caption.
  for (const std::string text : {"Loading ...", "Saving VRML2..."}) {
    reporter.state.text = text;
    reporter.ShowProgress(0);
    // Each run starts uncancelled.
    EXPECT_TRUE(form.Visible() && form.Owner() == &owner && form.picInner.Width() == 1 &&
                !form.CancelPressed());
    const int before = refreshes;
    reporter.ShowProgress(70);  // 178.5 goes to the even neighbour
    EXPECT_GT(refreshes, before);
    EXPECT_EQ(std::pair(form.picInner.BackColour(), form.picInner.Width()),
              std::pair(Rgb(178, 0, 255), 210));
    // Cancel only sets a flag the operation may read.
    form.btnCancel.UserClick();
    EXPECT_TRUE(form.CancelPressed() && form.Visible());
    reporter.ShowProgress(100);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.Caption(), text + " 100%");
  }
  // Only intermediate reports yield, each after it is shown, so a repaint then is current.
  EXPECT_EQ(yielded, (std::vector<std::string>{"Loading ...70%", "Saving VRML2...70%"}));
}

}  // namespace
}  // namespace wlg
