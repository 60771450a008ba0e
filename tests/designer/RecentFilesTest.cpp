// The File menu's recent pattern files: kept in the settings store, newest
// first, four at most; a file that has gone is taken off with a message.

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

const std::string kSamples = WHIRLIGONS_SAMPLES_DIR;

class RecentFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    dir = tmp.path().toStdString();
  }
  // A copy of a sample under a name of our own.
  std::string Copy(const std::string& sample, const std::string& name) {
    const std::string to = dir + "/" + name;
    std::filesystem::copy_file(kSamples + "/" + sample, to);
    return to;
  }
  static std::vector<std::string> Captions(frmS& f) {
    std::vector<std::string> c;
    for (int i = 0; i < frmS::RecentFileCount; ++i)
      if (f.Menu("mnuFileRecent", i).Visible()) c.push_back(f.Menu("mnuFileRecent", i).Caption());
    return c;
  }
  QTemporaryDir tmp;
  std::string dir;
};

TEST_F(RecentFilesTest, OpenedAndSavedFilesComeFirstFourAtMost) {
  DesignerHarness h;
  h.Start();
  EXPECT_TRUE(Captions(h.form).empty());
  EXPECT_FALSE(h.form.Menu("mnuFileRecentBar").Visible());

  const std::string a = Copy("sample.wlg", "a.wlg"), b = Copy("sample.wlg", "b & c.wlg");
  h.form.OpenPatternFile(a);
  h.prompts.File(b);
  h.form.mnuFileLoad_Click();  // through the dialog
  EXPECT_EQ(h.form.RecentFiles(), (std::vector<std::string>{b, a}));
  EXPECT_EQ(Captions(h.form), (std::vector<std::string>{"&1 " + dir + "/b && c.wlg", "&2 " + a}));
  EXPECT_TRUE(h.form.Menu("mnuFileRecentBar").Visible());

  // Opening one again moves it up instead of listing it twice.
  h.form.OpenPatternFile(a);
  EXPECT_EQ(h.form.RecentFiles(), (std::vector<std::string>{a, b}));

  const std::string saved = dir + "/saved.wlg";
  h.prompts.File(saved);
  h.form.mnuFileSave_Click();
  h.form.OpenPatternFile(Copy("sample.wlg", "d.wlg"));
  h.form.OpenPatternFile(Copy("sample.wlg", "e.wlg"));
  EXPECT_EQ(h.form.RecentFiles(),
            (std::vector<std::string>{dir + "/e.wlg", dir + "/d.wlg", saved, a}));
  EXPECT_EQ(h.settings->Get("RecentFile1"), dir + "/e.wlg");
  EXPECT_EQ(h.settings->Get("RecentFile4"), a);
  EXPECT_TRUE(h.prompts.log.size() == 2u && h.prompts.AllAnswered());  // the two dialogs
}

TEST_F(RecentFilesTest, TheListOutlivesTheRunAndOpensItsFiles) {
  const std::string squares = Copy("octagons-and-squares.wlg", "squares.wlg");
  auto store = MakeMemorySettings();
  {
    DesignerHarness first(MakeMemorySettings());
    first.Start();
    first.form.OpenPatternFile("./" + std::filesystem::relative(squares).string());
    // Named relative, kept absolute.
    ASSERT_EQ(first.form.RecentFiles(), std::vector<std::string>{squares});
    store->Set("RecentFile1", *first.settings->Get("RecentFile1"));
  }
  DesignerHarness h(std::move(store));
  h.Start();
  EXPECT_EQ(Captions(h.form), std::vector<std::string>{"&1 " + squares});
  EXPECT_EQ(h.program.tess.TessCount, 0);
  h.form.Menu("mnuFileRecent", 0).UserClick();
  EXPECT_EQ(h.program.tess.TessCount, 18);
  EXPECT_TRUE(h.prompts.log.empty());
}

TEST_F(RecentFilesTest, AFileThatHasGoneIsTakenOffWithAMessage) {
  DesignerHarness h;
  h.Start();
  const std::string kept = Copy("sample.wlg", "kept.wlg"), gone = Copy("sample.wlg", "gone.wlg");
  h.form.OpenPatternFile(kept);
  h.form.OpenPatternFile(gone);
  std::filesystem::remove(gone);
  h.prompts.autoOk = true;
  h.form.Menu("mnuFileRecent", 0).UserClick();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].text, "The pattern file " + gone +
                                       " is no longer there.\r\n"
                                       "It has been taken off the list of recent files.");
  EXPECT_EQ(h.form.RecentFiles(), std::vector<std::string>{kept});
  EXPECT_EQ(h.settings->Get("RecentFile1"), kept);
  EXPECT_EQ(h.settings->Get("RecentFile2").value_or(""), "");
  EXPECT_EQ(Captions(h.form).size(), 1u);
}

TEST_F(RecentFilesTest, AFileThatFailsToLoadIsNotListed) {
  DesignerHarness h;
  h.Start();
  const std::string broken = dir + "/broken.wlg";
  std::ofstream(broken) << "not a pattern\r\n";
  h.prompts.autoOk = true;
  h.form.OpenPatternFile(broken);
  EXPECT_TRUE(h.form.LastLoadError().has_value());
  EXPECT_TRUE(h.form.RecentFiles().empty());
}

}  // namespace
}  // namespace wlg
