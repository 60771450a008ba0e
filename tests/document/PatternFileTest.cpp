// Pattern files. The shipped samples pin the bulk of the format.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <optional>
#include <tuple>

#include "controls/Progress.h"
#include "document/PatternFile.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

struct Session {
  Session() {
    h.prompts.autoOk = true;
    h.Start();
  }
  DesignerHarness h;
  frmT& tessWindow = h.tess;
  frm3D& view3D = h.windows.view3D;
  DesignModel& m = h.model();
  TessState& tess = h.program.tess;
  // All that a save would write, at a fixed time.
  std::string Text() { return WritePattern(h.program, {&h.form, &view3D, &tessWindow}, std::tm{}); }
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text) {
  const auto lines = SplitLines(text);
  return {lines.begin(), lines.end()};
}

std::string Join(const std::vector<std::string>& lines, const char* end = "\r\n") {
  std::string s;
  for (const auto& l : lines) s += l + end;
  return s;
}

size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) - lines.begin();
}

class PatternFile : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) {
    return dir.filePath(QString::fromStdString(name)).toStdString();
  }
  std::string Save(Session& s, const std::string& name = "saved.wlg") {
    s.h.prompts.File(Path(name));
    s.h.form.Menu("mnuFileSaveAs").UserClick();
    return ReadBytes(Path(name));
  }
  void Load(Session& s, const std::string& text) {
    WriteBytes(Path("load.wlg"), text);
    s.h.prompts.File(Path("load.wlg"));
    s.h.form.Menu("mnuFileLoad").UserClick();
  }
  QTemporaryDir dir;
};

// One saved design: loaded back whole, then edited by hand as older files
// and people write them.
TEST_F(PatternFile, SaveThenLoadRestoresEverythingAndOlderAndHandEditedFilesLoad) {
  Session a;  // something in every part of the file
  a.h.program.SuppressEvents = true;
  a.h.form.vs("vsPolyBig", 1).SetValue("5.5");
  a.h.form.vs("vsN", 40).SetValue("6");
  a.tessWindow.Entry("vsScale", 1).SetValue("3.5");
  a.tessWindow.Check("chkMirror", 1).SetValue(1);
  a.view3D.Entry("vsScale3D").SetValue("2.5");
  a.h.program.SuppressEvents = false;
  a.m.X[0][1] = 150.5f, a.m.Y[0][1] = -3, a.m.X[1][0] = 30, a.m.Y[63][0] = 8;
  a.tess.TessCount = 2;
  a.tess.TessItems[1] = {10, -20.5f, 45, 2, false, 1.5f, true};
  a.tess.TessItems[2] = {0.5f, 3, -90, 1, false, 2, false};
  a.m.CustomColours[1] = Rgb(0, 0, 255);
  a.m.overrides.OverrideCount = 1;
  a.m.overrides.entries[0] = {3, 1.5f, 5, 7};
  a.m.CreatorName = "Ann";
  // The cube, with tile 1 made square on request.
  a.h.prompts.Answer_(Answer::Yes);
  a.h.form.Menu("mnuPlatonicCube").UserClick();
  a.h.prompts.log.clear();
  const std::string text = Save(a);
  EXPECT_EQ(a.h.prompts.log.at(0).text, "Whirligon files|*.wlg");
  auto lines = Lines(text);
  EXPECT_EQ(lines[1], "Created by: Ann");
  EXPECT_EQ(lines[IndexOf(lines, "PolyData") + 67], "10,-20.5,2,45,True,1.5");
  EXPECT_EQ(
      CreatedOnText(
          {.tm_sec = 9, .tm_min = 7, .tm_hour = 14, .tm_mday = 5, .tm_mon = 2, .tm_year = 124}),
      "05/Mar/2024 14:07:09");

  Session b;
  Load(b, text);
  EXPECT_EQ(b.h.prompts.log.at(0).title, "Select a Whirligon file");
  EXPECT_EQ(b.h.prompts.log[0].text, "Whirligons|*.wlg");

  b.m.CreatorName = "Ann";  // whoever saves next, not what was loaded
  EXPECT_EQ(b.Text(), a.Text());
  EXPECT_TRUE(b.view3D.IsVisible() && !b.tessWindow.IsVisible());  // the solid wins

  // Headers in any case; LF endings (below).
  lines[3] = "designer";
  lines[IndexOf(lines, "Tessellator")] = "TESSELLATOR";
  // Unknown records are ignored, names match in any case, values keep to bounds.
  lines.insert(lines.begin() + 4, {"vsNoSuch,0,5", "VSPOLYBIG,1,999"});
  // The point section may end early.
  const size_t at = IndexOf(lines, "PolyData");
  lines[at] = "polydata";
  lines.erase(lines.begin() + at + 3, lines.begin() + at + 65);  // keep slots 0 and 1
  lines[at + 3] = "Tessdata";
  // Four-field item lines take mirror and scale from their tile's settings.
  lines[at + 4] = " 3 ";
  lines[at + 5] = "10,20,2,30";
  lines[at + 6] = "5,6,1,0";
  lines.insert(lines.begin() + at + 7, "1,2,2,0,False,4");
  lines.back() = "no3d";

  Session c;
  c.m.PlacedCount[40] = 3;
  Load(c, Join(lines, "\n"));
  EXPECT_EQ(c.h.form.vs("vsPolyBig", 1).Value(), "15");
  EXPECT_EQ(c.m.PlacedCount[1], 1);
  EXPECT_EQ(c.m.PlacedCount[40], 0);
  ASSERT_EQ(c.tess.TessCount, 3);
  const auto& items = c.tess.TessItems;
  EXPECT_TRUE(items[1].Mirror && !items[2].Mirror);
  EXPECT_EQ(std::tuple(items[1].Scale, items[2].Scale, items[3].Scale), std::tuple(3.5f, 2.f, 4.f));
  EXPECT_TRUE(c.tessWindow.IsVisible());  // two or more tiles and no solid
  EXPECT_EQ(c.h.form.ProgressDialog().Caption(), "Loading ... 100%");
}

// Loading a shipped sample and saving it gives the sample's own text again,
// apart from the date line, so a saved file reopens identically.
TEST_F(PatternFile, EverySampleSavesBackTheSameFile) {
  const QDir samples(WHIRLIGONS_SAMPLES_DIR);
  const QStringList names = samples.entryList({"*.wlg"}, QDir::Files);
  ASSERT_GE(names.size(), 3);
  auto withoutDate = [](const std::string& text) {
    EXPECT_EQ(text.rfind("Created on: ", 0), 0u);
    return text.substr(text.find("\r\n"));
  };
  for (const QString& name : names) {
    SCOPED_TRACE(name.toStdString());
    const std::string text = ReadBytes(samples.filePath(name).toStdString());
    Session s;
    s.m.CreatorName = "Whirligons samples";  // the name the samples were made with
    Load(s, text);
    ASSERT_FALSE(s.h.form.LastLoadError().has_value());
    EXPECT_EQ(withoutDate(Save(s)), withoutDate(text));
  }
}

// Broken files stop at the faulty line; files that are no pattern text are
// refused from their bytes, before any parsing. The design stays as it was.
TEST_F(PatternFile, BrokenOrHostileFilesGiveOneMessageAndKeepTheDesign) {
  Session a;
  // A failed save says so (the earlier file surviving is ExtremeSave's).
  a.h.prompts.File(Path("missing/x.wlg"));
  a.h.form.mnuFileSave_Click();
  EXPECT_EQ(a.h.prompts.log.at(1).text.rfind("Sorry, the .wlg file could not be saved:\r\n", 0),
            0u);
  a.tess.TessCount = 1;
  a.tess.TessItems[1] = {1, 2, 0, 1, false, 2, false};
  a.m.overrides.OverrideCount = 1;
  a.m.overrides.entries[0] = {0, 1, 5, 3};
  const std::string text = Save(a);
  const auto good = Lines(text);
  const int count = IndexOf(good, "TessData") + 1, poly = IndexOf(good, "PolyData");
  const int overrides = count + 4;  // after the item, "ColourData" and the colours
  auto with = [&](int at, const std::string& line) {
    auto l = good;
    l[at] = line;
    return Join(l);
  };
  std::string utf16;
  for (char c : text) utf16 += std::string{'\0', c};
  std::string nul = text;
  nul[40] = '\0';
  // What is wrong, the file, the line it stopped at, or the reason it was refused.
  const std::tuple<const char*, std::optional<std::string>, int, const char*> cases[] = {
      {"count beyond 20000", with(count, " 20001 "), count + 1, ""},
      {"number beyond a double", with(poly + 1, std::string(400, '9') + "," + good[poly + 1]),
       poly + 2, ""},
      {"override colour 16", with(overrides + 1, "0,1,5,16"), overrides + 2, ""},
      {"16 MiB", std::string(16 * 1024 * 1024, ' '), 0,
       "the file is too large for a pattern (16.0 MiB)"},
      {"a 64 KiB line", with(2, std::string(64 * 1024, 'a')), 0,
       "line 3: a line longer than 4 KiB"},
      {"only CR", std::string(5000, '\r'), 0, "the file holds no text"},
      {"UTF-16 without BOM", utf16, 0, "the file is UTF-16 text"},
      {"a NUL byte", nul, 0, "the file holds a NUL byte (at byte 40)"},
      {"no such file", std::nullopt, 0, ""},
  };
  for (const auto& [name, bytes, line, reason] : cases) {
    SCOPED_TRACE(name);
    Session b;
    b.m.X[0][0] = 11;  // a point, kept
    const std::string before = b.Text(), path = Path(bytes ? "load.wlg" : "no such file.wlg");
    b.h.prompts.Answer_(Answer::Discard);  // the edits above are not saved
    if (bytes) WriteBytes(path, *bytes);
    b.h.prompts.File(path);
    b.h.form.Menu("mnuFileLoad").UserClick();
    // One message after the question and the open dialog: the file, the line, why.
    ASSERT_EQ(b.h.prompts.log.size(), 3u);
    ASSERT_TRUE(b.h.form.LastLoadError().has_value());
    const auto& e = *b.h.form.LastLoadError();
    EXPECT_EQ(e.line, line);
    if (line == 0) EXPECT_EQ(e.reason.find(path + ": " + reason), 0u);
    EXPECT_EQ(b.h.prompts.log.back().text,
              "Sorry,there was an error loading the .wlg file\r\n" +
                  (line > 0 ? path + "\r\nline " + std::to_string(line) + ": " : "") + e.reason);
    // The designer stays usable.
    EXPECT_FALSE(b.h.program.SuppressEvents);
    EXPECT_FALSE(b.h.form.ProgressDialog().Visible());
    EXPECT_EQ(b.Text(), before);
  }
}

}  // namespace
}  // namespace wlg
