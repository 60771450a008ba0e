// How stored texts come back through each control's own rules. The keys
// written and the round trip are the designer's start-up test's.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <random>

#include "controls/EntryTable.h"
#include "controls/PersistedControls.h"

namespace wlg {
namespace {

// A garbage file and texts the controls refuse give their defaults.
TEST(PersistedControls, StoredTextsGoThroughTheControlsOwnRules) {
  EntryContext context;
  Form form("frmTest");
  ValidText& entry = form.Add<ValidText>(FindEntrySpec(Window::Designer, "vsPolyBig"), 1, context);
  CheckBox& box = form.Add<CheckBox>("chkStar", 0);
  // A 3D spin-speed bar is kept under a "chk" name.
  ScrollBar& bar = form.Add<ScrollBar>("chkSpin", 0, -50, 50, 7);
  const PersistedWindow persisted{0, &form, KeyStyle::NameAndIndex, {"vs", "chk"}};
  QTemporaryDir dir;
  const std::string garbage = dir.filePath("garbage.ini").toStdString();
  std::mt19937 random(12345);
  std::ofstream out(garbage, std::ios::binary);
  for (int i = 0; i < 8192; ++i) out.put(static_cast<char>(random() & 0xFF));
  out.close();
  entry.SetValue("11"), box.SetValue(1);
  RestoreControls(*OpenSettingsFile(garbage), persisted);
  EXPECT_EQ(entry.Value(), "4");
  EXPECT_EQ(box.Value(), 0);

  auto store = MakeMemorySettings();
  store->Set("vsPolyBig1", "500");
  for (auto [text, expected] : {std::pair{"3", 0}, {"True", 0}, {"2", 2}}) {
    box.SetValue(1);
    store->Set("chkStar0", text);
    RestoreControls(*store, persisted);
    EXPECT_EQ(box.Value(), expected) << '"' << text << '"';
  }
  EXPECT_EQ(entry.Value(), "15");
  // A stored number no int holds must neither wrap nor reach the bar unclamped.
  const std::pair<std::string, int> bars[] = {
      {"1" + std::string(30, '0'), 50}, {"-2147483649", -50}, {std::string(400, '9'), 7}};
  for (const auto& [text, expected] : bars) {
    bar.SetValue(7);
    store->Set("chkSpin0", text);
    RestoreControls(*store, persisted);
    EXPECT_EQ(bar.Value(), expected) << text;
  }
}

}  // namespace
}  // namespace wlg
