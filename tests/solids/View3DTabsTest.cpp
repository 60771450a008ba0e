// A solid locks the designer tabs it does not use; every way of leaving the
// 3D window frees them again, and a solid that never shows locks nothing.

#include <gtest/gtest.h>

#include <functional>

#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

bool AllTabsEnabled(const frmS& d) {
  for (int t = 0; t < TileCount; ++t)
    if (!d.TabEnabled(t)) return false;
  return true;
}

void BuildCube(DesignerHarness& h) {
  h.prompts.Answer_(Answer::Yes);  // the 3D geometry setup
  h.form.Menu("mnuPlatonicCube").UserClick();
}

TEST(View3DTabs, EveryRouteThatHidesThe3DWindowFreesTheTabs) {
  const std::string sample = std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";
  struct Route {
    const char* name;
    std::function<void(DesignerHarness&)> leave;
  };
  const Route routes[] = {
      {"close box", [](auto& h) { h.windows.view3D.Form_QueryUnload(); }},
      {"Exit 3D", [](auto& h) { h.windows.view3D.Menu("mnuFileExit3D").UserClick(); }},
      {"loading a pattern",
       [&](auto& h) {
         h.prompts.Answer_(Answer::Discard);  // the set-up changed the tiles
         h.form.OpenPatternFile(sample);
       }},
      {"opening the tessellator", [](auto& h) { h.form.Menu("mnuTessellator").UserClick(); }},
      {"opening the sphere", [](auto& h) { h.tess.Menu("mnuShearWrap").UserClick(); }},
      {"a Platonic solid's tab", [](auto& h) { h.form.SSTab1_Click(0); }},
      {"a star tile",
       [](auto& h) {
         h.prompts.Answer_(Answer::OK);  // "Close the 3D view first?"
         h.form.chk("chkStar", 0).UserClick();
       }},
      {"program closing", [](auto& h) { h.form.Form_QueryUnload(); }},
  };
  for (const Route& r : routes) {
    DesignerHarness h;
    h.Start();
    h.prompts.autoOk = true;
    BuildCube(h);
    ASSERT_TRUE(h.windows.view3D.IsVisible()) << r.name;
    ASSERT_FALSE(h.form.TabEnabled(1)) << r.name;  // a cube shows tile 1 only
    r.leave(h);
    EXPECT_FALSE(h.windows.view3D.IsVisible()) << r.name;
    EXPECT_TRUE(AllTabsEnabled(h.form)) << r.name;
  }
}

TEST(View3DTabs, ASolidThatCannotBeBuiltLocksNothing) {
  DesignerHarness h;
  h.Start();
  h.windows.builder.readTable = [](const SolidInfo&, std::string&, std::string& error) {
    error = "Sorry, the table is missing";
    return false;
  };
  h.prompts.autoOk = true;  // the table's message
  BuildCube(h);
  EXPECT_EQ(h.prompts.log.back().text, "Sorry, the table is missing");
  EXPECT_FALSE(h.windows.view3D.IsVisible());
  EXPECT_TRUE(AllTabsEnabled(h.form));
}

}  // namespace
}  // namespace wlg
