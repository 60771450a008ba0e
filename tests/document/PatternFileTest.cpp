// Pattern files. The shipped samples pin the bulk of the format.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <regex>
#include <tuple>

#include "controls/Progress.h"
#include "document/PatternFile.h"
#include "document/UnDoModule.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

// Plain messages are answered OK; every test counts the prompts it expects.
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
  // A design with a point, an entry and placed tiles changed, for checking
  // that a refused file leaves it alone.
  void Edit() {
    m.X[0][0] = 11;
    h.form.vs("vsPolyBig", 0).SetValue("9");
    tess.TessCount = 5;
  }
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  for (std::string_view l : SplitLines(text)) out.emplace_back(l);
  return out;
}

std::string Join(const std::vector<std::string>& lines, const char* end = "\r\n") {
  std::string s;
  for (const auto& l : lines) s += l + end;
  return s;
}

size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == line) return i;
  ADD_FAILURE() << "no line " << line;
  return 0;
}

class PatternFile : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) {
    return dir.filePath(QString::fromStdString(name)).toStdString();
  }
  std::string Save(Session& s, const std::string& name = "saved.wlg") {
    s.h.prompts.File(Path(name));
    s.h.form.Menu("mnuFileSave").UserClick();
    return ReadBytes(Path(name));
  }
  void Load(Session& s, const std::string& text) {
    WriteBytes(Path("load.wlg"), text);
    s.h.prompts.File(Path("load.wlg"));
    s.h.form.Menu("mnuFileLoad").UserClick();
  }
  // 'asked': the load first asked whether to save the changes.
  void ExpectOneLoadError(Session& s, const std::string& path, bool asked = false) {
    const size_t open = asked ? 1 : 0;
    ASSERT_EQ(s.h.prompts.log.size(), open + 2);  // the open dialog, then the message
    const auto& msg = s.h.prompts.log[open + 1];
    EXPECT_EQ(msg.title, kAppTitle);
    ASSERT_TRUE(s.h.form.LastLoadError().has_value());
    // The message's first line as it always was, then the file, the line and why.
    const auto& e = *s.h.form.LastLoadError();
    EXPECT_EQ(msg.text, e.line > 0
                            ? "Sorry,there was an error loading the .wlg file\r\n" + path +
                                  "\r\nline " + std::to_string(e.line) + ": " + e.reason
                            : "Sorry,there was an error loading the .wlg file\r\n" + e.reason);
    EXPECT_FALSE(e.reason.empty());
    if (e.line == 0) {
      EXPECT_EQ(e.reason.find(path), 0u) << e.reason;
    }
    EXPECT_FALSE(s.h.program.SuppressEvents);
    EXPECT_FALSE(s.h.form.ProgressDialog().Visible());
  }

  QTemporaryDir dir;
};

TEST_F(PatternFile, SaveThenLoadRestoresEverythingAndReopensTheSolid) {
  Session a;  // something in every part of the file
  a.h.program.SuppressEvents = true;
  a.h.form.vs("vsPolyBig", 1).SetValue("5.5");
  a.h.form.chk("chkStar", 2).SetValue(1);
  a.h.form.vs("vsN", 40).SetValue("6");
  a.tessWindow.Entry("vsScale", 2).SetValue("3.25");
  a.tessWindow.Check("chkMirror", 1).SetValue(1);
  a.view3D.Entry("vsScale3D").SetValue("2.5");
  a.h.program.SuppressEvents = false;
  a.m.X[0][0] = 100, a.m.Y[0][0] = 200, a.m.X[0][1] = 150.5f, a.m.Y[0][1] = -3;
  a.m.X[63][0] = 7, a.m.Y[63][0] = 8;
  a.tess.TessCount = 2;
  a.tess.TessItems[1] = {10, -20.5f, 45, 2, false, 1.5f, true};
  a.tess.TessItems[2] = {0.5f, 3, -90, 1, false, 2, false};
  a.m.CustomColours[0] = Rgb(255, 0, 0);
  a.m.CustomColours[1] = Rgb(0, 0, 255);
  a.m.overrides.OverrideCount = 1;
  a.m.overrides.entries[0] = {3, 1.5f, 5, 7};
  a.m.CreatorName = "Ann";
  // The cube, with tile 1 made square on request.
  a.h.prompts.Answer_(Answer::Yes);
  a.h.form.Menu("mnuPlatonicCube").UserClick();
  a.h.prompts.log.clear();
  const std::string text = Save(a);
  ASSERT_EQ(a.h.prompts.log.size(), 1u);
  EXPECT_EQ(a.h.prompts.log[0].title, "Saving Whirligon configuration");
  EXPECT_EQ(a.h.prompts.log[0].text, "Whirligon files|*.wlg");
  // What the samples do not show.
  const auto lines = Lines(text);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex("Created on: \\d\\d/[A-Z][a-z]{2}/"
                                                    "\\d{4} \\d\\d:\\d\\d:\\d\\d")))
      << lines[0];
  EXPECT_EQ(lines[1], "Created by: Ann");
  const size_t poly = IndexOf(lines, "PolyData");
  EXPECT_EQ(lines[poly + 1].substr(0, 17), "100,200,150.5,-3,");
  EXPECT_EQ(lines[poly + 67], "10,-20.5,2,45,True,1.5");
  EXPECT_EQ(lines[poly + 70].substr(0, 13), "255,16711680,");
  EXPECT_EQ(lines[poly + 72], "3,1.5,5,7");
  EXPECT_EQ(lines.back(), "Cube");
  std::tm t{};
  t.tm_mday = 5, t.tm_mon = 2, t.tm_year = 124, t.tm_hour = 14, t.tm_min = 7, t.tm_sec = 9;
  EXPECT_EQ(CreatedOnText(t), "05/Mar/2024 14:07:09");

  Session b;
  Load(b, text);
  ASSERT_EQ(b.h.prompts.log.size(), 1u);
  EXPECT_EQ(b.h.prompts.log[0].title, "Select a Whirligon file");
  EXPECT_EQ(b.h.prompts.log[0].text, "Whirligons|*.wlg");

  const std::vector<std::pair<Form*, Form*>> forms = {
      {&a.h.form, &b.h.form}, {&a.tessWindow, &b.tessWindow}, {&a.view3D, &b.view3D}};
  for (auto [fa, fb] : forms) {
    ASSERT_EQ(fa->Controls().size(), fb->Controls().size());
    for (size_t i = 0; i < fa->Controls().size(); ++i)
      if (IsPatternControl(*fa->Controls()[i])) {
        EXPECT_EQ(ControlRecord(*fa->Controls()[i]), ControlRecord(*fb->Controls()[i]));
      }
  }
  EXPECT_EQ(TakeDesignSnapshot(b.h.program), TakeDesignSnapshot(a.h.program));
  EXPECT_EQ(b.m.PlacedCount[0], 2);
  EXPECT_EQ(b.m.PointCount[40], 6);
  EXPECT_EQ(b.tess.EditItem, 2);
  // Fill swatch: CustomColours(vsFillColour = 1).
  EXPECT_EQ(b.tessWindow.Find("picFill", 0)->BackColour(), Rgb(0, 0, 255));

  EXPECT_EQ(b.m.SolidName, "Cube");
  EXPECT_TRUE(b.view3D.IsVisible());
  EXPECT_FALSE(b.tessWindow.IsVisible());  // the solid wins over two placed tiles
  EXPECT_FALSE(b.h.program.SuppressEvents);
}

// Loading a shipped sample and saving it gives the sample's own text again,
// apart from the date line, so a saved file reopens identically.
TEST_F(PatternFile, EverySampleSavesBackTheSameFile) {
  const QDir samples(WHIRLIGONS_SAMPLES_DIR);
  const QStringList names = samples.entryList({"*.wlg"}, QDir::Files);
  ASSERT_GE(names.size(), 3);
  auto withoutDate = [](std::string text) {
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

TEST_F(PatternFile, OlderAndHandEditedFilesLoad) {
  Session a;
  a.h.program.SuppressEvents = true;
  a.tessWindow.Check("chkMirror", 1).SetValue(1);
  a.tessWindow.Entry("vsScale", 1).SetValue("3.5");
  a.h.program.SuppressEvents = false;
  a.m.X[1][0] = 30;
  auto lines = Lines(Save(a));
  // Headers in any case; LF endings (below).
  lines[IndexOf(lines, "Designer")] = "designer";
  lines[IndexOf(lines, "Tessellator")] = "TESSELLATOR";
  // Records naming no control are ignored; names match in any case, the index
  // rounds, the value goes through the control's own bounds, and the first
  // record for a control wins over the saved one that follows.
  lines.insert(lines.begin() + 4,
               {"vsNoSuch,0,5", "vsPolyBig,9,5", "VSPOLYBIG,1,999", "vsPoly,2.5,9"});
  // The point section may end early.
  const size_t poly = IndexOf(lines, "PolyData");
  lines[poly] = "polydata";
  lines.erase(lines.begin() + poly + 3, lines.begin() + poly + 65);  // keep slots 0 and 1
  lines[poly + 3] = "Tessdata";
  // Four-field item lines take mirror and scale from their tile's settings.
  lines[poly + 4] = " 3 ";
  lines.insert(lines.begin() + poly + 5, {"10,20,2,30", "5,6,1,0", "1,2,2,0,False,4"});
  lines.back() = "no3d";

  Session b;
  b.m.PlacedCount[40] = 3;
  std::vector<std::string> progress;
  b.h.form.ProgressDialog().onRefresh = [&] {
    progress.push_back(b.h.form.ProgressDialog().Caption());
  };
  Load(b, Join(lines, "\n"));
  EXPECT_EQ(b.h.prompts.log.size(), 1u);
  EXPECT_EQ(b.h.form.vs("vsPolyBig", 1).Value(), "15");
  EXPECT_EQ(b.h.form.vs("vsPoly", 2).Value(), "9");  // index 2.5 rounds to 2
  EXPECT_EQ(b.m.X[1][0], 30);
  EXPECT_EQ(b.m.PlacedCount[1], 1);
  EXPECT_EQ(b.m.PlacedCount[40], 0);
  ASSERT_EQ(b.tess.TessCount, 3);
  const auto& items = b.tess.TessItems;
  EXPECT_TRUE(items[1].Mirror);
  EXPECT_FLOAT_EQ(items[1].Scale, 3.5f);
  EXPECT_FLOAT_EQ(items[1].Angle, 30);
  EXPECT_FALSE(items[2].Mirror);
  EXPECT_FLOAT_EQ(items[2].Scale, 2);
  EXPECT_FLOAT_EQ(items[3].Scale, 4);     // a full line keeps its own
  EXPECT_TRUE(b.tessWindow.IsVisible());  // two or more tiles and no solid
  EXPECT_FALSE(b.view3D.IsVisible());
  ASSERT_GE(progress.size(), 8u);
  EXPECT_EQ(progress.front(), "Loading ...");
  EXPECT_EQ(progress.back(), "Loading ... 100%");
  EXPECT_FALSE(b.h.form.ProgressDialog().Visible());
}

TEST_F(PatternFile, BrokenFilesGiveOneMessageAndKeepTheDesign) {
  Session a;
  a.tess.TessCount = 1;
  a.tess.TessItems[1] = {1, 2, 0, 1, false, 2, false};
  a.m.overrides.OverrideCount = 1;
  a.m.overrides.entries[0] = {0, 1, 5, 3};
  const auto good = Lines(Save(a));
  const int count = IndexOf(good, "TessData") + 1;
  const int poly = IndexOf(good, "PolyData");
  const int overrides = count + 4;  // after the item, "ColourData" and the colours
  auto with = [&](int at, const std::string& text) {
    auto l = good;
    l[at] = text;
    return l;
  };
  auto truncated = good;
  auto crowded = good;
  truncated.resize(poly + 10);
  crowded.insert(crowded.begin() + 4, 1001 - (IndexOf(good, "Tessellator") - 4), "vsX,0,1");
  const std::string nines(400, '9');
  // What is wrong, the file, and the line where the load must say it stopped.
  const std::tuple<const char*, std::vector<std::string>, int> cases[] = {
      {"count beyond 199", with(count, " 200 "), count + 1},
      {"negative count", with(count, "-1 "), count + 1},
      {"truncated in the points", truncated, poly + 11},
      {"short point line", with(poly + 5, "1,2,3"), poly + 6},
      {"number beyond a double", with(poly + 1, nines + "," + good[poly + 1]), poly + 2},
      {"five-field item line", with(count + 1, "1,2,1,0,True"), count + 2},
      {"tile number 5", with(count + 1, "1,2,5,0,True,2"), count + 2},
      {"too many overrides", with(overrides, " 1001 "), overrides + 1},
      {"override rank slot 64", with(overrides + 1, "0,1,64,3"), overrides + 2},
      {"override colour 16", with(overrides + 1, "0,1,5,16"), overrides + 2},
      {"short designer record", with(4, "vsPolyBig,0"), 5},
      {"header not alone on its line", with(3, " Designer"), int(good.size()) + 1},
      {"1001 designer records", crowded, 1005},
  };
  for (const auto& [name, lines, line] : cases) {
    SCOPED_TRACE(name);
    Session b;
    b.Edit();
    b.h.prompts.Answer_(Answer::Discard);  // the edits above are not saved
    Load(b, Join(lines));
    ExpectOneLoadError(b, Path("load.wlg"), true);
    EXPECT_EQ(b.h.form.LastLoadError()->line, line);
    EXPECT_EQ(b.m.X[0][0], 11);
    EXPECT_EQ(b.h.form.vs("vsPolyBig", 0).Value(), "9");
    EXPECT_EQ(b.tess.TessCount, 5);

    // The designer stays usable: the good file loads next.
    b.h.prompts.log.clear();
    b.h.prompts.Answer_(Answer::Discard);
    Load(b, Join(good));
    EXPECT_EQ(b.h.prompts.log.size(), 2u);
    EXPECT_EQ(b.m.X[0][0], 0);
  }

  Session missing;
  missing.h.prompts.File(Path("no such file.wlg"));
  missing.h.form.mnuFileLoad_Click();
  ExpectOneLoadError(missing, Path("no such file.wlg"));
  EXPECT_EQ(missing.h.form.LastLoadError()->line, 0);
}

// Files that are no pattern text at all are refused from their bytes, before
// any parsing, with the file named and the reason; the design stays as it was.
TEST_F(PatternFile, HostileFilesAreRefusedWholeAndChangeNothing) {
  Session a;
  const std::string good = Save(a);
  auto utf16 = [&](bool bigEndian, bool bom) {
    std::string out = bom ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (char c : good) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
  };
  auto longLine = Lines(good);
  longLine[2] = std::string(64 * 1024, 'a');
  std::string nul = good;
  nul[40] = '\0';
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {"16 MiB", std::string(16 * 1024 * 1024, ' '),
       "the file is too large for a pattern (16.0 MiB)"},
      {"a 64 KiB line", Join(longLine), "line 3: a line longer than 4 KiB"},
      {"only CR", std::string(5000, '\r'), "the file holds no text"},
      {"UTF-16 with BOM", utf16(false, true), "the file is UTF-16 text"},
      {"UTF-16 without BOM", utf16(true, false), "the file is UTF-16 text"},
      {"a NUL byte", nul, "the file holds a NUL byte (at byte 40)"},
  };
  for (const auto& [name, bytes, reason] : cases) {
    SCOPED_TRACE(name);
    Session b;
    b.Edit();
    const std::tm when{};
    const PatternForms forms{&b.h.form, &b.view3D, &b.tessWindow};
    const std::string before = WritePattern(b.h.program, forms, when);
    b.h.prompts.Answer_(Answer::Discard);
    Load(b, bytes);
    ExpectOneLoadError(b, Path("load.wlg"), true);
    const auto& e = *b.h.form.LastLoadError();
    EXPECT_EQ(e.line, 0);
    EXPECT_EQ(e.reason.find(Path("load.wlg") + ": " + reason), 0u) << e.reason;
    EXPECT_EQ(WritePattern(b.h.program, forms, when), before);
  }
}

TEST_F(PatternFile, FailedSaveLeavesTheEarlierFileAndSaysWhy) {
  Session s;
  // An earlier file whose name leaves no room for the temporary file beside
  // it, so the write fails before the earlier file is touched.
  const std::string earlier = Path(std::string(255, 'w'));
  WriteBytes(earlier, "earlier\r\n");
  s.h.prompts.File(earlier);
  s.h.form.mnuFileSave_Click();
  ASSERT_EQ(s.h.prompts.log.size(), 2u);
  EXPECT_EQ(s.h.prompts.log[1].text.substr(0, 42), "Sorry, the .wlg file could not be saved:\r\n");
  EXPECT_GT(s.h.prompts.log[1].text.size(), 42u);  // and the reason
  EXPECT_EQ(ReadBytes(earlier), "earlier\r\n");

  // A good save replaces a longer earlier file whole; a cancelled one is silent.
  WriteBytes(Path("x.wlg"), std::string(100000, 'z'));
  const std::string text = Save(s, "x.wlg");
  EXPECT_EQ(text.substr(0, 12), "Created on: ");
  EXPECT_EQ(text.find('z'), std::string::npos);
  s.h.prompts.log.clear();
  s.h.prompts.File(std::nullopt);
  s.h.form.mnuFileSave_Click();
  EXPECT_EQ(s.h.prompts.log.size(), 1u);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);  // no temporary left
}

}  // namespace
}  // namespace wlg
