// Start-up, shut-down and the command line. How each stored text is read is
// met in PersistedControlsTest, each entry's initial text in EntryTableTest.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

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
    frmS& f = h.form;
    for (int t = 0; t < TileCount; ++t) {
      EXPECT_FALSE(f.vs("vsFit", t).Enabled());  // star-only entries wait for star mode
    }
    // Colour entries show their colour: 9 is blue with black text.
    EXPECT_EQ(f.vs("vsFirstCol", 0).BackColour(), Palette16[9]);
    EXPECT_EQ(f.vs("vsFirstCol", 0).foreColour, Palette16[0]);
    for (int k = 0; k <= LastSlot; ++k) EXPECT_EQ(h.model().PointCount[k], 4) << k;
    EXPECT_TRUE(f.optRank(0).Value());
    EXPECT_TRUE(h.program.TessImageChanged);
    EXPECT_EQ(h.model().CustomColours, Palette16);
    EXPECT_FLOAT_EQ(h.model().CanvasCentre.x, frmS::TileCanvasSize / 2.0f);
    EXPECT_FLOAT_EQ(h.model().SnapRadius, 5);
    EXPECT_TRUE(h.prompts.log.empty());

    h.form.vs("vsPolyBig", 3).CommitEnter("2.5");
    h.form.vs("vsN", 63).CommitEnter("9");
    h.form.chk("chkT", 17).SetValue(1);
    for (int i : {0, 1, 2}) h.form.chk("chkHideLine", i).SetValue(1);
    h.form.Menu("mnuEditSnap").SetChecked(true);
    h.form.Menu("mnuEditDisableTessChecks").UserClick();
    h.form.VLines = true;
    h.form.SmoothEdges = true;
    h.model().SnapRadius = 7;
    h.model().CreatorName = "Grace";
    h.form.Form_QueryUnload();
  }
  auto s = OpenSettingsFile(ini);
  const std::pair<const char*, const char*> written[] = {
      {"vsPolyBig3", "2.5"},  {"vsN63", "9"},        {"chkT17", "1"},
      {"chkT16", "0"},        {"vsLineWidth7", "1"}, {"chkHideLine11", "0"},
      {"CreatedBy", "Grace"}, {"Snap", "True"},      {"DisableTessChecks", "True"},
      {"VLines", "True"},     {"VSmooth", "False"},  {"SnapRadius", "7"},
      {"SmoothEdges", "True"}};
  for (auto [key, value] : written) {
    EXPECT_EQ(s->Get(key).value_or("(none)"), value) << key;
  }
  for (const char* absent : {"vsLineWidth8", "vsN64", "optRank0"})
    EXPECT_FALSE(s->Get(absent).has_value()) << absent;

  DesignerHarness again(OpenSettingsFile(ini));
  again.Start();
  frmS& f = again.form;
  EXPECT_EQ(f.vs("vsPolyBig", 3).Value(), "2.5");
  EXPECT_EQ(again.model().PointCount[63], 9);
  EXPECT_EQ(f.chk("chkT", 17).Value(), 1);
  // Hide inner and hide outer start clear; hide shape is kept.
  EXPECT_EQ(f.chk("chkHideLine", 0).Value(), 0);
  EXPECT_EQ(f.chk("chkHideLine", 1).Value(), 0);
  EXPECT_EQ(f.chk("chkHideLine", 2).Value(), 1);
  EXPECT_FALSE(again.model().ShowLine[2]);
  EXPECT_TRUE(f.Menu("mnuEditSnap").Checked());
  EXPECT_EQ(f.Menu("mnuEditSnapRadius").Caption(), "Select Snap &Radius (7)");
  EXPECT_TRUE(f.Menu("mnuEditDisableTessChecks").Checked());
  EXPECT_TRUE(f.VLines);
  EXPECT_TRUE(f.SmoothEdges);
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

TEST(CommandLine, PatternNamesAreRecognisedAndUnquoted) {
  // The command line, and the file it names ("" = not recognised).
  const std::pair<const char*, const char*> cases[] = {
      {"\"/home/me/my patterns/Star Flower.wlg\"", "/home/me/my patterns/Star Flower.wlg"},
      {"  /tmp/lower.wlg  ", "/tmp/lower.wlg"},
      {"/tmp/UPPER.WLG", "/tmp/UPPER.WLG"},
      {"/tmp/picture.png", ""},
  };
  for (auto [commandLine, file] : cases) {
    DesignerHarness h;
    int opened = 0;
    h.form.openCommandLineFile = [&] { ++opened; };
    h.Start(commandLine);
    EXPECT_EQ(opened, *file ? 1 : 0) << commandLine;
    EXPECT_EQ(h.form.CommandLineFile(), file) << commandLine;
  }
}

}  // namespace
}  // namespace wlg
