// Start-up and shut-down of the designer: defaults, settings kept between
// runs, bad stored values, and the pattern named on the command line.

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

TEST(Startup, FreshStoreGivesTheDefaultDesign) {
  DesignerHarness h;
  h.Start();
  frmS& f = h.form;
  EXPECT_EQ(f.Caption(), "Whirligons v1.14");
  for (int t = 0; t < TileCount; ++t) {
    EXPECT_EQ(f.vs("vsPoly", t).Value(), "6");
    EXPECT_EQ(f.vs("vsPolyOut", t).Value(), "6");
    EXPECT_EQ(f.vs("vsPolySmall", t).Value(), "1");
    EXPECT_EQ(f.vs("vsPolyBig", t).Value(), "4");
    EXPECT_EQ(f.vs("vsFirstCol", t).Value(), "9");
    EXPECT_EQ(f.vs("vsNCols", t).Value(), "2");
    EXPECT_EQ(f.vs("vsBackground", t).Value(), "7");
    EXPECT_EQ(f.vs("vsStarAngle", t).Value(), "120");
    EXPECT_EQ(f.vs("vsFit", t).Value(), "6");
    EXPECT_EQ(f.vs("vsLineWidth", 2 * t).Value(), "1");
    EXPECT_EQ(f.vs("vsLineWidth", 2 * t + 1).Value(), "1");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(f.chk("chkHideLine", 3 * t + i).Value(), 0);
    // Star-only entries are disabled outside star mode.
    EXPECT_FALSE(f.vs("vsFit", t).Enabled());
  }
  for (int k = 0; k <= LastSlot; ++k) EXPECT_EQ(h.model().PointCount[k], 4) << k;
  EXPECT_EQ(h.model().CurrentTile, 0);
  EXPECT_EQ(h.model().SelectedSlot, 0);
  EXPECT_TRUE(f.optRank(0).Value());
  EXPECT_EQ(f.TabIndex(), 0);
  EXPECT_TRUE(h.program.TessImageChanged);
  EXPECT_FALSE(h.program.SuppressEvents);
  EXPECT_EQ(h.model().CustomColours, Palette16);
  EXPECT_FLOAT_EQ(h.model().CanvasCentre.x, frmS::TileCanvasSize / 2.0f);
  EXPECT_FLOAT_EQ(h.model().CanvasCentre.y, frmS::TileCanvasSize / 2.0f);
  EXPECT_EQ(h.model().InnerSides[0], 6);
  EXPECT_TRUE(h.prompts.log.empty());
}

TEST(Startup, ColourEntriesShowTheirPaletteColour) {
  DesignerHarness h;
  h.settings->Set("vsFirstCol1", "3");
  h.Start();
  const ValidText& first = h.form.vs("vsFirstCol", 0);  // 9: blue with black text
  EXPECT_EQ(first.BackColour(), Palette16[9]);
  EXPECT_EQ(first.foreColour, Palette16[0]);
  const ValidText& other = h.form.vs("vsFirstCol", 1);  // 3: dark cyan with white text
  EXPECT_EQ(other.BackColour(), Palette16[3]);
  EXPECT_EQ(other.foreColour, Palette16[15]);
  EXPECT_EQ(h.form.vs("vsBackground", 2).BackColour(), Palette16[7]);
}

TEST(Startup, HideShapeIsRestoredButHideInnerAndOuterStartClear) {
  DesignerHarness h;
  h.settings->Set("chkHideLine0", "1");
  h.settings->Set("chkHideLine1", "1");
  h.settings->Set("chkHideLine2", "1");
  h.settings->Set("chkHideLine11", "1");
  h.Start();
  EXPECT_EQ(h.form.chk("chkHideLine", 0).Value(), 0);
  EXPECT_EQ(h.form.chk("chkHideLine", 1).Value(), 0);
  EXPECT_EQ(h.form.chk("chkHideLine", 2).Value(), 1);
  EXPECT_EQ(h.form.chk("chkHideLine", 11).Value(), 1);
  EXPECT_FALSE(h.model().ShowLine[2]);
}

TEST(Startup, SnapOptionsAndCaptions) {
  DesignerHarness off;
  off.settings->Set("Snap", "False");
  off.settings->Set("SnapRadius", "7");
  off.Start();
  EXPECT_FALSE(off.form.Menu("mnuEditSnap").Checked());
  EXPECT_FALSE(off.form.Menu("mnuEditSnapRadius").Enabled());
  EXPECT_EQ(off.form.Menu("mnuEditSnapRadius").Caption(), "Select Snap &Radius (7)");
  EXPECT_FLOAT_EQ(off.model().SnapRadius, 7);

  DesignerHarness on;
  on.settings->Set("Snap", "True");
  on.settings->Set("DisableTessChecks", "True");
  on.settings->Set("CreatedBy", "Ada");
  on.Start();
  EXPECT_TRUE(on.form.Menu("mnuEditSnap").Checked());
  EXPECT_TRUE(on.form.Menu("mnuEditDisableTessChecks").Checked());
  EXPECT_EQ(on.model().CreatorName, "Ada");
  EXPECT_EQ(on.form.Menu("mnuEditSnapRadius").Caption(), "Select Snap &Radius (5)");
}

TEST(Startup, OddStoredValuesFallBackWithoutStoppingStartUp) {
  DesignerHarness h;
  h.settings->Set("vsPoly0", "abc");     // unparsable: the entry's default
  h.settings->Set("vsPolyOut1", "500");  // out of range: the bound
  h.settings->Set("vsN5", "1,5");        // tolerant parse, then clamped to 2
  h.settings->Set("chkStar0", "7");      // not 0, 1 or 2: clear
  h.settings->Set("chkRotate2", "2");
  h.settings->Set("SnapRadius", "xyz");
  h.Start();
  EXPECT_EQ(h.form.vs("vsPoly", 0).Value(), "6");
  EXPECT_EQ(h.form.vs("vsPolyOut", 1).Value(), "19");
  EXPECT_EQ(h.form.vs("vsN", 5).Value(), "2");
  EXPECT_EQ(h.model().PointCount[5], 2);
  EXPECT_EQ(h.form.chk("chkStar", 0).Value(), 0);
  EXPECT_EQ(h.form.chk("chkRotate", 2).Value(), 2);
  EXPECT_FLOAT_EQ(h.model().SnapRadius, 5);
}

TEST(Shutdown, SavesEveryControlUnderItsKeyAndTheNamedOptions) {
  DesignerHarness h;
  h.Start();
  h.form.vs("vsPolyBig", 3).CommitEnter("2.5");
  h.form.vs("vsN", 63).CommitEnter("9");
  h.form.chk("chkT", 17).SetValue(1);
  h.model().CreatorName = "Grace";
  h.form.Form_QueryUnload();
  auto& s = *h.settings;
  EXPECT_EQ(s.Get("vsPolyBig3"), "2.5");
  EXPECT_EQ(s.Get("vsN63"), "9");
  EXPECT_EQ(s.Get("chkT17"), "1");
  EXPECT_EQ(s.Get("chkT16"), "0");
  EXPECT_EQ(s.Get("vsLineWidth7"), "1");
  EXPECT_EQ(s.Get("chkHideLine11"), "0");
  EXPECT_FALSE(s.Get("vsLineWidth8").has_value());
  EXPECT_FALSE(s.Get("vsN64").has_value());
  EXPECT_FALSE(s.Get("optRank0").has_value());
  EXPECT_EQ(s.Get("CreatedBy"), "Grace");
  EXPECT_EQ(s.Get("Snap"), "False");
  EXPECT_EQ(s.Get("DisableTessChecks"), "False");
  EXPECT_EQ(s.Get("VLines"), "False");
  EXPECT_EQ(s.Get("VSmooth"), "False");
  EXPECT_EQ(s.Get("SnapRadius"), "5");
  EXPECT_TRUE(h.program.AppClosing);
  EXPECT_FALSE(h.form.IsVisible());
}

TEST(Shutdown, RestartRestoresWhatWasChanged) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string ini = dir.filePath("Whirligons.conf").toStdString();
  {
    DesignerHarness h(OpenSettingsFile(ini));
    h.Start();
    h.form.vs("vsPoly", 2).CommitEnter("8");
    h.form.vs("vsStarAngle", 1).CommitEnter("100");
    h.form.chk("chkSequential", 3).SetValue(1);
    h.form.chk("chkHideLine", 5).SetValue(1);
    h.form.Menu("mnuEditSnap").SetChecked(true);
    h.form.VLines = true;
    h.form.Form_QueryUnload();
  }
  DesignerHarness again(OpenSettingsFile(ini));
  again.Start();
  EXPECT_EQ(again.form.vs("vsPoly", 2).Value(), "8");
  EXPECT_EQ(again.form.vs("vsStarAngle", 1).Value(), "100");
  EXPECT_EQ(again.form.chk("chkSequential", 3).Value(), 1);
  EXPECT_EQ(again.form.chk("chkHideLine", 5).Value(), 1);
  EXPECT_TRUE(again.form.Menu("mnuEditSnap").Checked());
  EXPECT_TRUE(again.form.VLines);
  EXPECT_FALSE(again.form.VSmooth);
}

TEST(Shutdown, AStoreThatCannotBeWrittenIsReported) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
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
  struct Case {
    const char* commandLine;
    const char* file;  // "" = not recognised
  } cases[] = {
      {"\"/home/me/my patterns/Star Flower.wlg\"", "/home/me/my patterns/Star Flower.wlg"},
      {"  /tmp/lower.wlg  ", "/tmp/lower.wlg"},
      {"/tmp/UPPER.WLG", "/tmp/UPPER.WLG"},
      {"/tmp/picture.png", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    DesignerHarness h;
    int opened = 0;
    bool flagWhileOpening = false;
    h.form.openCommandLineFile = [&] {
      ++opened;
      flagWhileOpening = h.form.CommandLineLoad;
    };
    h.Start(c.commandLine);
    const bool expected = *c.file != '\0';
    EXPECT_EQ(opened, expected ? 1 : 0) << c.commandLine;
    EXPECT_EQ(h.form.CommandLineFile(), c.file) << c.commandLine;
    if (expected) {
      EXPECT_TRUE(flagWhileOpening);
    }
    EXPECT_FALSE(h.form.CommandLineLoad);
  }
}

}  // namespace
}  // namespace wlg
