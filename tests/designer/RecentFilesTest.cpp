// The File menu's recent pattern files.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

class RecentFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { h.Start(); }
  // A copy of a sample under a name of our own.
  std::string Copy(const std::string& name, const std::string& sample = "sample.wlg") {
    const std::string to = dir + "/" + name;
    std::filesystem::copy_file(std::string(WHIRLIGONS_SAMPLES_DIR) + "/" + sample, to);
    return to;
  }
  static std::vector<std::string> Captions(frmS& f) {
    std::vector<std::string> c;
    for (int i = 0; i < frmS::RecentFileCount; ++i)
      if (f.Menu("mnuFileRecent", i).Visible()) c.push_back(f.Menu("mnuFileRecent", i).Caption());
    return c;
  }
  QTemporaryDir tmp;
  std::string dir = tmp.path().toStdString();
  DesignerHarness h;
};

TEST_F(RecentFilesTest, OpenedAndSavedFilesComeFirstFourAtMostAndOutliveTheRun) {
  EXPECT_FALSE(h.form.Menu("mnuFileRecentBar").Visible());
  const std::string a = Copy("a.wlg", "octagons-and-squares.wlg"), b = Copy("b & c.wlg");
  // Named relative, kept absolute.
  h.form.OpenPatternFile("./" + std::filesystem::relative(a).string());
  h.prompts.File(b);
  h.form.mnuFileLoad_Click();  // through the dialog
  EXPECT_EQ(Captions(h.form), (std::vector<std::string>{"&1 " + dir + "/b && c.wlg", "&2 " + a}));
  EXPECT_TRUE(h.form.Menu("mnuFileRecentBar").Visible());

  // Opening one again moves it up instead of listing it twice.
  h.form.OpenPatternFile(a);
  const std::string saved = dir + "/saved.wlg";
  h.prompts.File(saved);
  h.form.mnuFileSaveAs_Click();
  h.form.OpenPatternFile(Copy("d.wlg"));
  h.form.OpenPatternFile(Copy("e.wlg"));
  EXPECT_EQ(h.form.RecentFiles(),
            (std::vector<std::string>{dir + "/e.wlg", dir + "/d.wlg", saved, a}));

  h.form.Menu("mnuFileRecent", 3).UserClick();
  EXPECT_EQ(h.program.tess.TessCount, 18);  // the octagons and squares

  auto store = MakeMemorySettings();  // read when the window is made
  store->Set("RecentFile1", a);
  DesignerHarness next(std::move(store));
  next.Start();
  EXPECT_EQ(Captions(next.form), std::vector<std::string>{"&1 " + a});
}

TEST_F(RecentFilesTest, GoneOrBrokenFilesAreNotKept) {
  h.prompts.autoOk = true;
  const std::string kept = Copy("kept.wlg"), gone = Copy("gone.wlg");
  h.form.OpenPatternFile(kept);
  h.form.OpenPatternFile(gone);
  std::filesystem::remove(gone);
  h.form.Menu("mnuFileRecent", 0).UserClick();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].text, "The pattern file " + gone +
                                       " is no longer there.\r\n"
                                       "It has been taken off the list of recent files.");
  const std::string broken = dir + "/broken.wlg";
  std::ofstream(broken) << "not a pattern\r\n";
  h.form.OpenPatternFile(broken);
  EXPECT_EQ(h.form.RecentFiles(), std::vector<std::string>{kept});
  EXPECT_EQ(h.settings->Get("RecentFile2").value_or(""), "");
}

}  // namespace
}  // namespace wlg
