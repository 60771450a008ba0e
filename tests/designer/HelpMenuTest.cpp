// The Help menus of every window: each item opens its topic page, or says
// that the help is missing. Registering is met in RegModTest.

#include <gtest/gtest.h>

#include <filesystem>
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
  std::vector<std::pair<std::string, std::string>> expected;
  auto clickAll = [&] {
    auto click = [&](Form& window, const std::string& item, const std::string& topic) {
      window.Menu(item).UserClick();
      expected.emplace_back(window.Name(), pages + "/" + topic + ".htm");
    };
    const std::pair<const char*, const char*> designer[] = {
        {"mnuHowToUse", "PHowToUse"},
        {"mnuHelpGuides", "PPowerUse"},
        {"mnuHelpTessellator", "PTessellator"},
        {"mnuHelp3D", "P3D"},
        {"mnuHelpWhirligons", "PWhirligons"},
        {"mnuHelpFAQ", "PFrequently Asked Questions"},
        {"mnuHelpAbout", "PAbout"}};
    for (auto [item, topic] : designer) click(h.form, item, topic);
    click(h.tess, "mnuHelp", "PTessellator");
    click(h.windows.view3D, "mnuHelp", "P3D");
    click(h.windows.sphereWrap, "mnuHelp", "PSphereWrap");
  };
  clickAll();
  EXPECT_EQ(viewer.shown, expected);
  for (const auto& [window, page] : viewer.shown)
    EXPECT_TRUE(std::filesystem::is_regular_file(page)) << page;
  EXPECT_TRUE(h.prompts.log.empty());

  h.program.help.HelpFile = "";
  clickAll();
  EXPECT_EQ(viewer.shown.size(), expected.size() / 2);
  ASSERT_EQ(h.prompts.log.size(), expected.size() / 2);
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
