// Start-up, shut-down, the command line and the Help menus.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>
#include <utility>

#include "platform/DataDir.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

TEST(Startup, AFreshStoreGivesTheDefaultsAndARestartRestoresTheKeysWritten) {
  QTemporaryDir dir;
  const std::string ini = dir.filePath("Whirligons.conf").toStdString();
  {
    DesignerHarness h(OpenSettingsFile(ini));
    h.settings->Set("SnapRadius", "xyz");  // unreadable: the default
    h.Start();
    EXPECT_FLOAT_EQ(h.model().SnapRadius, 5);
    EXPECT_TRUE(h.prompts.log.empty());
    h.form.vs("vsN", 63).CommitEnter("9");  // the last rank
    for (int i : {0, 2}) h.form.chk("chkHideLine", i).SetValue(1);
    h.form.Menu("mnuEditSnap").SetChecked(true);
    h.model().SnapRadius = 7;
    h.model().CreatorName = "Grace";
    h.form.Form_QueryUnload();
  }
  // The key names are the ones earlier versions wrote.
  auto s = OpenSettingsFile(ini);
  EXPECT_EQ(s->Get("CreatedBy").value_or(""), "Grace");
  EXPECT_EQ(s->Get("Snap").value_or(""), "True");

  DesignerHarness again(OpenSettingsFile(ini));
  again.Start();
  EXPECT_EQ(again.model().PointCount[63], 9);
  // Hide inner starts clear; hide shape is kept.
  EXPECT_EQ(again.form.chk("chkHideLine", 0).Value(), 0);
  EXPECT_FALSE(again.model().ShowLine[2]);
  EXPECT_EQ(again.form.Menu("mnuEditSnapRadius").Caption(), "Select Snap &Radius (7)");
  EXPECT_EQ(again.model().CreatorName, "Grace");
}

TEST(Shutdown, AStoreThatCannotBeWrittenIsReported) {
  QTemporaryDir dir;
  // A folder where the settings file should be: the store cannot write it.
  const QString ini = dir.filePath("Whirligons.conf");
  ASSERT_TRUE(QDir().mkpath(ini));
  DesignerHarness h(OpenSettingsFile(ini.toStdString()));
  h.Start();
  h.prompts.autoOk = true;
  h.form.Form_QueryUnload();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_NE(h.prompts.log[0].text.find("settings could not be saved"), std::string::npos);
}

// A quoted upper-case name opens; anything else is no pattern.
TEST(CommandLine, PatternNamesAreRecognisedAndUnquoted) {
  for (auto [commandLine, file] :
       {std::pair{"\"/tmp/my patterns/A.WLG\"", "/tmp/my patterns/A.WLG"},
        {"/tmp/picture.png", ""}}) {
    DesignerHarness h;
    h.form.openCommandLineFile = [] {};
    h.Start(commandLine);
    EXPECT_EQ(h.form.CommandLineFile(), file) << commandLine;
  }
}

struct RecordingViewer : HelpViewer {
  void ShowPage(const Form& window, const std::string& page) override {
    shown.emplace_back(window.Name(), page);
  }
  std::vector<std::pair<std::string, std::string>> shown;
};

TEST(HelpMenu, ItemsOpenTheirTopicPageOrSayTheHelpIsMissing) {
  testing::DesignerHarness h;
  RecordingViewer viewer;
  h.program.help.viewer = &viewer;
  h.prompts.autoOk = true;
  h.Start();
  const std::string pages = h.program.help.HelpFile;
  h.form.Menu("mnuHelpFAQ").UserClick();
  h.windows.sphereWrap.Menu("mnuHelp").UserClick();
  const std::vector<std::pair<std::string, std::string>> expected = {
      {h.form.Name(), pages + "/PFrequently Asked Questions.htm"},
      {h.windows.sphereWrap.Name(), pages + "/PSphereWrap.htm"}};
  EXPECT_EQ(viewer.shown, expected);
  EXPECT_TRUE(std::filesystem::is_regular_file(expected[0].second));
  EXPECT_TRUE(h.prompts.log.empty());

  h.program.help.HelpFile = "";
  h.tess.Menu("mnuHelp").UserClick();
  EXPECT_EQ(viewer.shown.size(), 2u);
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].title, "Help file missing");
  EXPECT_EQ(h.prompts.log[0].text, "Sorry, the Help file Whirligons.chm seems to be missing");

  // The association registered from the Help menu: this program and an icon that ships.
  const FileAssociation a = DefaultFileAssociation();
  EXPECT_EQ(a.programPath, ProgramFolder() + "/whirligons");
  EXPECT_TRUE(std::filesystem::is_regular_file(a.iconPath)) << a.iconPath;
}

}  // namespace
}  // namespace wlg
