// The Help menus of every window: each item opens its topic page, or says
// that the help is missing; the Register item asks before it touches anything.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
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
  ASSERT_FALSE(pages.empty());
  std::vector<std::pair<std::string, std::string>> expected;
  auto clickAll = [&] {
    auto click = [&](Form& window, const std::string& item, const std::string& topic) {
      EXPECT_TRUE(window.Menu(item).Enabled()) << window.Name() << " " << item;
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

TEST(HelpMenu, AFolderWithoutPagesCountsAsMissing) {
  QTemporaryDir dir;
  std::filesystem::create_directories(dir.path().toStdString() + "/html/images");
  const char* was = std::getenv("WHIRLIGONS_DATA_DIR");
  const std::string old = was ? was : "";
  setenv("WHIRLIGONS_DATA_DIR", dir.path().toStdString().c_str(), 1);
  EXPECT_EQ(FindHelpFile(), "");
  was ? setenv("WHIRLIGONS_DATA_DIR", old.c_str(), 1) : unsetenv("WHIRLIGONS_DATA_DIR");
}

TEST(HelpMenu, RegisterAsksFirst) {
  DesignerHarness h;
  h.Start();
  MenuItem& reg = h.form.Menu("mnuHelpRegister");
  EXPECT_EQ(reg.Caption(), "&Register wlg files for Whirligons");
  h.prompts.Answer_(Answer::Cancel);
  reg.UserClick();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].buttons, Buttons::OKCancel);

  // By default the association names this program and the shipped icon.
  const FileAssociation a = DefaultFileAssociation();
  EXPECT_EQ(a.extension, ".wlg");
  EXPECT_EQ(a.programPath, ProgramFolder() + "/whirligons");
  EXPECT_TRUE(std::filesystem::is_regular_file(a.iconPath)) << a.iconPath;
}

}  // namespace
}  // namespace wlg
