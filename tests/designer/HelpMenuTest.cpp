// The Help menus of every window: each item opens its
// topic page, or says that the help is missing; the Register item asks
// before it touches anything.

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
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

// Points the data folder somewhere for one test.
class DataDirAt {
 public:
  explicit DataDirAt(const std::string& dir) {
    if (const char* old = std::getenv("WHIRLIGONS_DATA_DIR")) old_ = old;
    setenv("WHIRLIGONS_DATA_DIR", dir.c_str(), 1);
  }
  ~DataDirAt() {
    if (old_) setenv("WHIRLIGONS_DATA_DIR", old_->c_str(), 1);
    else unsetenv("WHIRLIGONS_DATA_DIR");
  }

 private:
  std::optional<std::string> old_;
};

// Each window's Help item and its topic.
struct HelpItem {
  Form* window;
  std::string item, topic;
};
std::vector<HelpItem> AllHelpItems(DesignerHarness& h) {
  std::vector<HelpItem> items;
  for (const auto& [item, topic] : std::vector<std::pair<std::string, std::string>>{
           {"mnuHowToUse", "PHowToUse"},
           {"mnuHelpGuides", "PPowerUse"},
           {"mnuHelpTessellator", "PTessellator"},
           {"mnuHelp3D", "P3D"},
           {"mnuHelpWhirligons", "PWhirligons"},
           {"mnuHelpFAQ", "PFrequently Asked Questions"},
           {"mnuHelpAbout", "PAbout"}})
    items.push_back({&h.form, item, topic});
  items.push_back({&h.tess, "mnuHelp", "PTessellator"});
  items.push_back({&h.windows.view3D, "mnuHelp", "P3D"});
  items.push_back({&h.windows.sphereWrap, "mnuHelp", "PSphereWrap"});
  return items;
}

TEST(HelpMenu, EveryItemOpensItsTopicPage) {
  DataDirAt data(WHIRLIGONS_SOURCE_DATA_DIR);
  DesignerHarness h;
  RecordingViewer viewer;
  h.program.help.viewer = &viewer;
  h.Start();
  ASSERT_EQ(h.program.help.HelpFile, std::string(WHIRLIGONS_SOURCE_DATA_DIR) + "/html");

  const std::vector<HelpItem> items = AllHelpItems(h);
  for (const HelpItem& i : items) {
    MenuItem& m = i.window->Menu(i.item);
    EXPECT_TRUE(m.Enabled()) << i.window->Name() << " " << i.item;
    m.UserClick();
  }
  ASSERT_EQ(viewer.shown.size(), items.size());
  for (size_t k = 0; k < items.size(); ++k) {
    EXPECT_EQ(viewer.shown[k].first, items[k].window->Name());
    EXPECT_EQ(viewer.shown[k].second, h.program.help.HelpFile + "/" + items[k].topic + ".htm");
    // Every page is there to be shown.
    EXPECT_TRUE(std::filesystem::is_regular_file(viewer.shown[k].second)) << items[k].topic;
  }
  EXPECT_TRUE(h.prompts.log.empty());
}

TEST(HelpMenu, WithoutThePagesEveryItemSaysTheHelpIsMissing) {
  QTemporaryDir empty;
  DataDirAt data(empty.path().toStdString());
  DesignerHarness h;
  RecordingViewer viewer;
  h.program.help.viewer = &viewer;
  h.prompts.autoOk = true;
  h.Start();
  EXPECT_EQ(h.program.help.HelpFile, "");
  EXPECT_TRUE(h.prompts.log.empty());  // start-up says nothing about it

  const std::vector<HelpItem> items = AllHelpItems(h);
  for (const HelpItem& i : items) i.window->Menu(i.item).UserClick();
  ASSERT_EQ(h.prompts.log.size(), items.size());
  for (const auto& p : h.prompts.log) {
    EXPECT_EQ(p.title, "Help file missing");
    EXPECT_EQ(p.text, "Sorry, the Help file Whirligons.chm seems to be missing");
    EXPECT_EQ(p.buttons, Buttons::OK);
  }
  EXPECT_TRUE(viewer.shown.empty());
}

TEST(HelpMenu, AFolderWithoutPagesCountsAsMissing) {
  QTemporaryDir dir;
  std::filesystem::create_directories(dir.path().toStdString() + "/html/images");
  DataDirAt data(dir.path().toStdString());
  EXPECT_EQ(FindHelpFile(), "");
}

TEST(HelpMenu, RegisterAsksFirstAndNeedsTheProgram) {
  QTemporaryDir dir;
  DesignerHarness h;
  h.Start();
  h.form.Association.programPath = dir.path().toStdString() + "/whirligons";
  MenuItem& reg = h.form.Menu("mnuHelpRegister");
  EXPECT_TRUE(reg.Enabled());
  EXPECT_EQ(reg.Caption(), "&Register wlg files for Whirligons");

  h.prompts.Answer_(Answer::Cancel);
  reg.UserClick();
  ASSERT_EQ(h.prompts.log.size(), 1u);
  EXPECT_EQ(h.prompts.log[0].buttons, Buttons::OKCancel);

  // The program is not in the temporary folder: the first check stops it.
  h.prompts.Answer_(Answer::OK);
  h.prompts.autoOk = true;
  reg.UserClick();
  ASSERT_EQ(h.prompts.log.size(), 3u);
  EXPECT_EQ(h.prompts.log[2].text, h.form.Association.programPath + " not found");
}

TEST(HelpMenu, TheDefaultAssociationNamesThisProgramAndTheShippedIcon) {
  const FileAssociation a = DefaultFileAssociation();
  EXPECT_EQ(a.extension, ".wlg");
  EXPECT_EQ(a.title, "Whirligons");
  EXPECT_EQ(a.programPath, ProgramFolder() + "/whirligons");
  EXPECT_TRUE(std::filesystem::is_regular_file(a.iconPath)) << a.iconPath;
}

}  // namespace
}  // namespace wlg
