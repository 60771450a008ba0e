// The Help menus of every window: each item opens its topic page, or says
// that the help is missing. Registering is met in RegModTest.

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <utility>

#include "platform/DataDir.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

struct RecordingViewer : HelpViewer {
  void ShowPage(const Form& window, const std::string& page) override {
    shown.emplace_back(window.Name(), page);
  }
  std::vector<std::pair<std::string, std::string>> shown;
};

TEST(HelpMenu, EveryItemOpensItsTopicPageOrSaysTheHelpIsMissing) {
  DesignerHarness h;
  RecordingViewer viewer;
  h.program.help.viewer = &viewer;
  h.prompts.autoOk = true;
  h.Start();
  const std::string pages = h.program.help.HelpFile;
  const std::tuple<Form*, const char*, const char*> items[] = {
      {&h.form, "mnuHowToUse", "PHowToUse"},
      {&h.form, "mnuHelpGuides", "PPowerUse"},
      {&h.form, "mnuHelpTessellator", "PTessellator"},
      {&h.form, "mnuHelp3D", "P3D"},
      {&h.form, "mnuHelpWhirligons", "PWhirligons"},
      {&h.form, "mnuHelpFAQ", "PFrequently Asked Questions"},
      {&h.form, "mnuHelpAbout", "PAbout"},
      {&h.tess, "mnuHelp", "PTessellator"},
      {&h.windows.view3D, "mnuHelp", "P3D"},
      {&h.windows.sphereWrap, "mnuHelp", "PSphereWrap"}};
  std::vector<std::pair<std::string, std::string>> expected;
  for (auto [window, item, topic] : items) {
    window->Menu(item).UserClick();
    expected.emplace_back(window->Name(), pages + "/" + topic + ".htm");
  }
  EXPECT_EQ(viewer.shown, expected);
  for (const auto& [window, page] : viewer.shown)
    EXPECT_TRUE(std::filesystem::is_regular_file(page)) << page;
  EXPECT_TRUE(h.prompts.log.empty());

  h.program.help.HelpFile = "";
  for (auto [window, item, topic] : items) window->Menu(item).UserClick();
  EXPECT_EQ(viewer.shown.size(), expected.size());
  ASSERT_EQ(h.prompts.log.size(), expected.size());
  for (const auto& p : h.prompts.log) {
    EXPECT_EQ(p.title, "Help file missing");
    EXPECT_EQ(p.text, "Sorry, the Help file Whirligons.chm seems to be missing");
  }
}

TEST(HelpMenu, TheDefaultAssociationNamesThisProgramAndTheShippedIcon) {
  const FileAssociation a = DefaultFileAssociation();
  EXPECT_EQ(a.extension, ".wlg");
  EXPECT_EQ(a.programPath, ProgramFolder() + "/whirligons");
  EXPECT_TRUE(std::filesystem::is_regular_file(a.iconPath)) << a.iconPath;
}

}  // namespace
}  // namespace wlg
