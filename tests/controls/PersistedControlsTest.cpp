#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "controls/EntryTable.h"
#include "controls/PersistedControls.h"

namespace wlg {
namespace {

// A small designer-like window: entries in arrays, check boxes and controls
// that are never persisted.
struct TestWindow {
  explicit TestWindow(EntryContext& context) : form("frmTest") {
    for (int t = 0; t < 2; ++t)
      form.Add<ValidText>(FindEntrySpec(Window::Designer, "vsPolyBig"), t, context);
    form.Add<ValidText>(FindEntrySpec(Window::Designer, "vsN"), 0, context);
    form.Add<ValidText>(FindEntrySpec(Window::SphereWrap, "vtWidth"), 0, context);
    form.Add<CheckBox>("chkStar", 0);
    form.Add<CheckBox>("chkStar", 1);
    form.Add<CheckBox>("CheckFlip", 0);
    form.Add<Button>("cmdClear", 0, "Clear");
  }
  ValidText& Entry(const char* name, int index = 0) { return form.Entry(name, index); }
  CheckBox& Check(const char* name, int index = 0) { return form.Check(name, index); }

  Form form;
};

class PersistedControlsTest : public ::testing::Test {
 protected:
  PersistedWindow Persisted(TestWindow& w, int order = 0) {
    return {order, &w.form, KeyStyle::NameAndIndex, {"vs", "chk"}};
  }
  std::string PathIn(const char* name) const { return dir.filePath(name).toStdString(); }

  QTemporaryDir dir;
  EntryContext context;
  TestWindow window{context};
  std::unique_ptr<SettingsStore> store = MakeMemorySettings();
};

// The file round trip is the designer's start-up test; here which controls are kept.
TEST_F(PersistedControlsTest, OnlyTheRegisteredPrefixesAreSavedUnderTheirKeyStyle) {
  window.Entry("vsPolyBig", 0).SetValue("0.3333333");
  window.Entry("vtWidth").SetValue("3");
  window.Check("chkStar", 1).SetValue(2);
  PersistedWindows all;
  all.Register(Persisted(window));
  // Buttons are never kept, whatever their name.
  all.Register({1, &window.form, KeyStyle::BareName, {"vt", "cmd"}});
  all.Save(*store);
  EXPECT_EQ(store->Get("vsPolyBig0"), "0.3333333");
  EXPECT_EQ(store->Get("chkStar1"), "2");
  EXPECT_EQ(store->Get("vtWidth"), "3");
  for (const char* absent : {"vtWidth0", "CheckFlip0", "cmdClear", "cmdClear0"}) {
    EXPECT_FALSE(store->Get(absent).has_value()) << absent;
  }
}

TEST_F(PersistedControlsTest, AnEmptyStoreOrAGarbageFileGivesDefaults) {
  {
    std::mt19937 random(12345);
    std::ofstream out(PathIn("garbage.ini"), std::ios::binary);
    for (int i = 0; i < 8192; ++i) out.put(static_cast<char>(random() & 0xFF));
  }
  const auto garbage = OpenSettingsFile(PathIn("garbage.ini"));
  for (SettingsStore* source : {store.get(), garbage.get()}) {
    window.Entry("vsPolyBig", 1).SetValue("11");
    window.Entry("vsN").SetValue("7");
    window.Check("chkStar", 0).SetValue(1);
    window.Entry("vtWidth").SetValue("2");
    RestoreControls(*source, Persisted(window));
    EXPECT_EQ(window.Entry("vsPolyBig", 1).Value(), "4");
    EXPECT_EQ(window.Entry("vsN").Value(), "4");
    EXPECT_EQ(window.Check("chkStar", 0).Value(), 0);
    EXPECT_EQ(window.Entry("vtWidth").Value(), "2");  // not this window's prefix
  }
}

TEST_F(PersistedControlsTest, StoredTextsGoThroughTheControlsOwnRules) {
  window.Entry("vsPolyBig", 0).SetValue("9");
  store->Set("vsPolyBig0", "abc");
  store->Set("vsPolyBig1", "500");
  const std::vector<std::pair<std::string, int>> checks = {
      {"3", 0}, {"True", 0}, {"", 0}, {"2", 2}, {"0", 0}};
  for (const auto& [text, expected] : checks) {
    window.Check("chkStar", 0).SetValue(1);
    store->Set("chkStar0", text);
    RestoreControls(*store, Persisted(window));
    EXPECT_EQ(window.Check("chkStar", 0).Value(), expected) << '"' << text << '"';
  }
  EXPECT_EQ(window.Entry("vsPolyBig", 0).Value(), "4");
  EXPECT_EQ(window.Entry("vsPolyBig", 1).Value(), "15");
}

// A 3D spin-speed bar is kept under a "chk" name; a stored number no int
// holds must neither wrap nor reach the bar unclamped.
TEST_F(PersistedControlsTest, AStoredScrollBarValueIsClampedOrIgnored) {
  ScrollBar& bar = window.form.Add<ScrollBar>("chkSpin", 0, -50, 50, 7);
  const std::vector<std::pair<std::string, int>> cases = {{"1" + std::string(30, '0'), 50},
                                                          {"-2147483649", -50},
                                                          {std::string(400, '9'), 7},
                                                          {"12.5", 12},
                                                          {"x", 0}};
  for (const auto& [text, expected] : cases) {
    bar.SetValue(7);
    store->Set("chkSpin0", text);
    RestoreControls(*store, Persisted(window));
    EXPECT_EQ(bar.Value(), expected) << text;
  }
}

TEST_F(PersistedControlsTest, WindowsAreRestoredInTheirOrder) {
  EntryContext otherContext;
  TestWindow second(otherContext), third(otherContext);
  std::vector<std::string> log;
  for (auto [w, tag] : {std::pair{&window, "first"}, {&second, "second"}, {&third, "third"}}) {
    w->Entry("vsPolyBig", 0).onRefresh = [&log, tag = tag] { log.push_back(tag); };
  }
  PersistedWindows all;
  all.Register(Persisted(third, 3));
  all.Register(Persisted(window, 1));
  all.Register(Persisted(second, 1));  // same order: registration order
  all.Restore(*store);
  EXPECT_EQ(log, (std::vector<std::string>{"first", "second", "third"}));
}

}  // namespace
}  // namespace wlg
