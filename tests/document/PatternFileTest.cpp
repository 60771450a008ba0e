// Pattern files: what a saved file says line by line, what loading puts back
// (also from older or hand-edited files), and how broken files and failed
// saves are met.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <regex>

#include "controls/EntryTable.h"
#include "controls/Progress.h"
#include "document/PatternFile.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

// The real tessellator and 3D window beside the designer.
struct OtherWindows {
  explicit OtherWindows(Windows& w) : tess(w.tessellator), view3D(w.view3D) {}
  frmT& tess;
  frm3D& view3D;
};

// Plain messages are answered OK; every test counts the prompts it expects.
struct Session {
  Session() {
    h.prompts.autoOk = true;
    h.Start();
  }
  DesignerHarness h;
  OtherWindows windows{h.windows};
  DesignModel& m = h.model();
  TessState& tess = h.program.tess;
};

std::string ReadBytes(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
  const QByteArray b = f.readAll();
  return std::string(b.constData(), b.size());
}

void WriteBytes(const std::string& path, const std::string& text) {
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text.data(), static_cast<qint64>(text.size()));
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  for (std::string_view l : SplitLines(text)) out.emplace_back(l);
  return out;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
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
  // A design with something in every part of the file.
  void Fill(Session& s) {
    s.h.program.SuppressEvents = true;
    s.h.form.vs("vsPolyBig", 1).SetValue("5.5");
    s.h.form.chk("chkStar", 2).SetValue(1);
    s.h.form.vs("vsN", 40).SetValue("6");
    s.h.form.chk("chkT", 5).SetValue(1);
    s.windows.tess.Entry("vsScale", 2).SetValue("3.25");
    s.windows.tess.Check("chkMirror", 1).SetValue(1);
    s.windows.view3D.Entry("vsScale3D").SetValue("2.5");
    s.h.program.SuppressEvents = false;
    s.m.X[0][0] = 100, s.m.Y[0][0] = 200, s.m.X[0][1] = 150.5f, s.m.Y[0][1] = -3;
    s.m.X[63][0] = 7, s.m.Y[63][0] = 8;
    s.tess.TessCount = 2;
    s.tess.TessItems[1] = {10, -20.5f, 45, 2, false, 1.5f, true};
    s.tess.TessItems[2] = {0.5f, 3, -90, 1, false, 2, false};
    s.m.CustomColours[0] = Rgb(255, 0, 0);
    s.m.CustomColours[1] = Rgb(0, 0, 255);
    s.m.overrides.OverrideCount = 1;
    s.m.overrides.entries[0] = {3, 1.5f, 5, 7};
    s.m.CreatorName = "Ann";
  }
  void ExpectOneLoadError(Session& s) {
    ASSERT_EQ(s.h.prompts.log.size(), 2u);  // the open dialog, then the message
    const auto& msg = s.h.prompts.log[1];
    EXPECT_EQ(msg.kind, "message");
    EXPECT_EQ(msg.title, kAppTitle);
    EXPECT_EQ(msg.text, "Sorry,there was an error loading the .wlg file");
    EXPECT_EQ(msg.buttons, Buttons::OK);
    EXPECT_TRUE(s.h.form.LastLoadError().has_value());
    EXPECT_FALSE(s.h.program.SuppressEvents);
    EXPECT_FALSE(s.h.form.ProgressDialog().Visible());
  }

  QTemporaryDir dir;
};

TEST_F(PatternFile, WrittenLinesFollowTheFormat) {
  Session s;
  Fill(s);
  const std::string text = Save(s);
  ASSERT_TRUE(s.h.prompts.log.size() == 1 && s.h.prompts.log[0].kind == "save");
  EXPECT_EQ(s.h.prompts.log[0].title, "Saving Whirligon configuration");
  EXPECT_EQ(s.h.prompts.log[0].text, "Whirligon files|*.wlg");

  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
    }

  const auto lines = Lines(text);
  EXPECT_TRUE(std::regex_match(
      lines[0], std::regex("Created on: \\d\\d/(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)/"
                           "\\d{4} \\d\\d:\\d\\d:\\d\\d")))
      << lines[0];
  EXPECT_EQ(lines[1], "Created by: Ann");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "Designer");
  const size_t tessHeader = IndexOf(lines, "Tessellator");
  const size_t polyHeader = IndexOf(lines, "PolyData");
  EXPECT_LT(IndexOf(lines, "vsPolyBig,0,4"), IndexOf(lines, "vsScale3D,0,2.5"));
  EXPECT_LT(IndexOf(lines, "vsScale3D,0,2.5"), tessHeader);
  EXPECT_LT(IndexOf(lines, "chkStar,2,1"), tessHeader);
  EXPECT_GT(IndexOf(lines, "vsScale,2,3.25"), tessHeader);
  EXPECT_LT(IndexOf(lines, "chkMirror,1,1"), polyHeader);
  for (const auto& l : lines) EXPECT_EQ(l.rfind("vtX", 0), std::string::npos) << l;
  // Designer (72 + 5 per rank slot), 3D (7), tessellator (12).
  EXPECT_EQ(polyHeader - tessHeader - 1, 12u);
  EXPECT_EQ(tessHeader - 4, 72u + 5 * 64 + 7);

  std::string empty;
  for (int j = 0; j < 8; ++j) empty += "0,0,";
  EXPECT_EQ(lines[polyHeader + 1], "100,200,150.5,-3," + empty);
  EXPECT_EQ(lines[polyHeader + 2], empty + "0,0,0,0,");
  EXPECT_EQ(lines[polyHeader + 65], "TessData");
  EXPECT_EQ(lines[polyHeader + 66], " 2 ");
  EXPECT_EQ(lines[polyHeader + 67], "10,-20.5,2,45,True,1.5");
  EXPECT_EQ(lines[polyHeader + 68], "0.5,3,1,-90,False,2");
  EXPECT_EQ(lines[polyHeader + 69], "ColourData");
  EXPECT_EQ(lines[polyHeader + 70].substr(0, 13), "255,16711680,");
  EXPECT_EQ(SplitFields(lines[polyHeader + 70]).size(), 17u);
  EXPECT_EQ(lines[polyHeader + 71], " 1 ");
  EXPECT_EQ(lines[polyHeader + 72], "3,1.5,5,7");
  EXPECT_EQ(lines[polyHeader + 73], "No3D");
  EXPECT_EQ(lines.size(), polyHeader + 74);

  std::tm t{};
  t.tm_mday = 5, t.tm_mon = 2, t.tm_year = 124, t.tm_hour = 14, t.tm_min = 7, t.tm_sec = 9;
  EXPECT_EQ(CreatedOnText(t), "05/Mar/2024 14:07:09");
  t.tm_mon = 11;
  EXPECT_EQ(CreatedOnText(t), "05/Dec/2024 14:07:09");
  EXPECT_EQ(CountLine(-3), "-3 ");
}

TEST_F(PatternFile, RoundTripRestoresEverythingAndReopensTheSolid) {
  Session a;
  Fill(a);
  // The cube, with tile 1 made square on request.
  a.h.prompts.Answer_(Answer::Yes);
  a.h.form.Menu("mnuPlatonicCube").UserClick();
  ASSERT_TRUE(a.windows.view3D.IsVisible());
  a.h.prompts.log.clear();
  const std::string text = Save(a);

  Session b;
  b.m.X[40][0] = 9;  // replaced by the load
  Load(b, text);
  ASSERT_EQ(b.h.prompts.log.size(), 1u);
  EXPECT_EQ(b.h.prompts.log[0].title, "Select a Whirligon file");
  EXPECT_EQ(b.h.prompts.log[0].text, "Whirligons|*.wlg");
  EXPECT_FALSE(b.h.form.LastLoadError().has_value());

  const std::vector<std::pair<Form*, Form*>> forms = {{&a.h.form, &b.h.form},
                                                      {&a.windows.tess, &b.windows.tess},
                                                      {&a.windows.view3D, &b.windows.view3D}};
  for (auto [fa, fb] : forms) {
    ASSERT_EQ(fa->Controls().size(), fb->Controls().size());
    for (size_t i = 0; i < fa->Controls().size(); ++i) {
      const Control& ca = *fa->Controls()[i];
      if (IsPatternControl(ca)) {
        EXPECT_EQ(ControlRecord(ca), ControlRecord(*fb->Controls()[i]));
      }
    }
  }
  EXPECT_EQ(b.h.form.vs("vsPolyBig", 1).Value(), "5.5");
  EXPECT_EQ(b.windows.tess.Check("chkMirror", 1).Value(), 1);
  for (int s = 0; s <= LastSlot; ++s) {
    EXPECT_EQ(b.m.X[s], a.m.X[s]) << s;
    EXPECT_EQ(b.m.Y[s], a.m.Y[s]) << s;
  }
  EXPECT_EQ(b.m.PlacedCount[0], 2);
  EXPECT_EQ(b.m.PlacedCount[40], 0);
  EXPECT_EQ(b.m.PointCount[40], 6);
  ASSERT_EQ(b.tess.TessCount, 2);
  EXPECT_EQ(b.tess.EditItem, 2);
  for (int i = 1; i <= 2; ++i) {
    const TessItem &x = a.tess.TessItems[i], &y = b.tess.TessItems[i];
    EXPECT_EQ(ItemLine(x), ItemLine(y));
  }
  EXPECT_TRUE(b.tess.TessItems[1].Mirror);
  EXPECT_EQ(b.m.CustomColours, a.m.CustomColours);
  ASSERT_EQ(b.m.overrides.OverrideCount, 1);
  EXPECT_EQ(OverrideLine(b.m.overrides.entries[0]), "3,1.5,5,7");
  // Fill swatch: CustomColours(vsFillColour = 1).
  EXPECT_EQ(b.windows.tess.Find("picFill", 0)->BackColour(), Rgb(0, 0, 255));

  EXPECT_EQ(b.m.SolidName, "Cube");
  EXPECT_TRUE(b.windows.view3D.IsVisible());
  EXPECT_FALSE(b.windows.tess.IsVisible());  // the solid wins over two placed tiles
  EXPECT_FALSE(b.h.program.SuppressEvents);
  EXPECT_EQ(b.m.CurrentTile, 0);
}

TEST_F(PatternFile, ProgressRunsFromZeroToHundred) {
  Session a;
  const std::string text = Save(a);
  Session b;
  std::vector<std::string> captions;
  b.h.form.ProgressDialog().onRefresh = [&] {
    captions.push_back(b.h.form.ProgressDialog().Caption());
  };
  Load(b, text);
  ASSERT_GE(captions.size(), 8u);
  EXPECT_EQ(captions.front(), "Loading ...");
  EXPECT_EQ(captions.back(), "Loading ... 100%");
  for (const char* c : {"Loading ...5%", "Loading ...10%", "Loading ...80%", "Loading ...85%",
                        "Loading ...90%", "Loading ...95%"})
    EXPECT_NE(std::find(captions.begin(), captions.end(), c), captions.end()) << c;
  EXPECT_FALSE(b.h.form.ProgressDialog().Visible());
}

TEST_F(PatternFile, HeadersMatchWholeLinesInAnyCaseAndLfEndingsRead) {
  Session a;
  a.h.form.vs("vsPolyBig", 0).SetValue("7");
  auto lines = Lines(Save(a));
  lines[IndexOf(lines, "Designer")] = "designer";
  lines[IndexOf(lines, "Tessellator")] = "TESSELLATOR";
  lines[IndexOf(lines, "PolyData")] = "polydata";
  std::string lf;
  for (const auto& l : lines) lf += l + "\n";

  Session b;
  Load(b, lf);
  EXPECT_EQ(b.h.prompts.log.size(), 1u);
  EXPECT_EQ(b.h.form.vs("vsPolyBig", 0).Value(), "7");

  lines[IndexOf(lines, "designer")] = " Designer";
  Session c;
  Load(c, Join(lines));
  ExpectOneLoadError(c);
  EXPECT_EQ(c.h.form.vs("vsPolyBig", 0).Value(), "4");
  EXPECT_EQ(c.h.form.LastLoadError()->line, static_cast<int>(lines.size()) + 1);
}

TEST_F(PatternFile, PointSectionMayEndEarly) {
  Session a;
  a.m.X[1][0] = 30, a.m.Y[1][0] = 40;
  auto lines = Lines(Save(a));
  const size_t poly = IndexOf(lines, "PolyData");
  lines.erase(lines.begin() + poly + 3, lines.begin() + poly + 65);  // keep slots 0 and 1
  lines[poly + 3] = "Tessdata";

  Session b;
  b.m.X[40][2] = 9, b.m.PlacedCount[40] = 3;
  Load(b, Join(lines));
  EXPECT_EQ(b.h.prompts.log.size(), 1u);
  EXPECT_EQ(b.m.X[1][0], 30);
  EXPECT_EQ(b.m.PlacedCount[1], 1);
  EXPECT_EQ(b.m.X[40][2], 0);
  EXPECT_EQ(b.m.PlacedCount[40], 0);
}

TEST_F(PatternFile, OldItemLinesTakeMirrorAndScaleFromTheTileSettings) {
  Session a;
  a.h.program.SuppressEvents = true;
  a.windows.tess.Check("chkMirror", 1).SetValue(1);
  a.windows.tess.Entry("vsScale", 1).SetValue("3.5");
  a.h.program.SuppressEvents = false;
  auto lines = Lines(Save(a));
  const size_t count = IndexOf(lines, "TessData") + 1;
  lines[count] = " 3 ";
  lines.insert(lines.begin() + count + 1, {"10,20,2,30", "5,6,1,0", "1,2,2,0,False,4"});

  Session b;
  Load(b, Join(lines));
  ASSERT_EQ(b.tess.TessCount, 3);
  const auto& items = b.tess.TessItems;
  EXPECT_TRUE(items[1].Mirror);
  EXPECT_FLOAT_EQ(items[1].Scale, 3.5f);
  EXPECT_FLOAT_EQ(items[1].Angle, 30);
  EXPECT_FALSE(items[2].Mirror);
  EXPECT_FLOAT_EQ(items[2].Scale, 2);
  EXPECT_FALSE(items[3].Mirror);
  EXPECT_FLOAT_EQ(items[3].Scale, 4);
  EXPECT_TRUE(b.windows.tess.IsVisible());  // two or more tiles and no solid

  lines[count] = " 1 ";
  lines.erase(lines.begin() + count + 2, lines.begin() + count + 4);
  Session c;
  Load(c, Join(lines));
  EXPECT_EQ(c.tess.TessCount, 1);
  EXPECT_FALSE(c.windows.tess.IsVisible());
}

TEST_F(PatternFile, StrayRecordsAreIgnoredAndValuesClamped) {
  Session a;
  auto lines = Lines(Save(a));
  const size_t designer = IndexOf(lines, "Designer") + 1;
  lines.insert(lines.begin() + designer, {"vsNoSuch,0,5", "vsPolyBig,9,5", "VSPOLYBIG,1,999",
                                          "vsPolySmall,2,-4", "chkStar,3,1.4", "vsPoly,2.5,9"});
  // The real records follow; the first record for a control wins.
  lines.erase(lines.begin() + IndexOf(lines, "vsScale,1,2"));
  lines.insert(lines.begin() + IndexOf(lines, "Tessellator") + 1,
               {"chkNoSuch,1,1", "vsScale,1.5,9", "vsscale,3,7"});

  Session b;
  b.windows.tess.Entry("vsScale", 1).SetValue("5");  // no record left for it
  Load(b, Join(lines));
  EXPECT_EQ(b.h.prompts.log.size(), 1u);
  EXPECT_EQ(b.h.form.vs("vsPolyBig", 1).Value(), "15");
  EXPECT_EQ(b.h.form.vs("vsPolySmall", 2).Value(), "0.1");
  EXPECT_EQ(b.h.form.chk("chkStar", 3).Value(), 1);
  EXPECT_EQ(b.h.form.vs("vsPoly", 2).Value(), "9");  // index 2.5 rounds to 2
  EXPECT_EQ(b.windows.tess.Entry("vsScale", 1).Value(), "5");
  EXPECT_EQ(b.windows.tess.Entry("vsScale", 3).Value(), "2");  // the saved record came later
}

TEST_F(PatternFile, NoSolidLineOrNo3DKeepsThe3DWindowHidden) {
  Session a;
  a.h.prompts.Answer_(Answer::Yes);  // tile 1 made triangular for the octahedron
  a.h.form.Menu("mnuPlatonicOcta").UserClick();
  auto lines = Lines(Save(a));
  for (const char* last : {"", "no3d", "xNO3Dx", "Octa"}) {
    auto variant = lines;
    variant.pop_back();
    if (*last) variant.push_back(last);
    Session b;
    Load(b, Join(variant));
    EXPECT_EQ(b.h.prompts.log.size(), 1u) << last;
    EXPECT_EQ(b.windows.view3D.IsVisible(), std::string(last) == "Octa") << last;
  }
}

TEST_F(PatternFile, BrokenFilesGiveOneMessageAndKeepTheDesign) {
  Session a;
  const auto good = Lines(Save(a));
  const size_t tessCount = IndexOf(good, "TessData") + 1;
  const size_t poly = IndexOf(good, "PolyData");
  const size_t records = IndexOf(good, "Tessellator") - 4;
  struct Case {
    const char* name;
    std::function<void(std::vector<std::string>&)> spoil;
    int line;  // where the load must say it stopped (0: do not check)
  };
  std::string huge(50, '9');
  auto oneItem = [&](std::string item) {
    return [&, item](std::vector<std::string>& l) {
      l[tessCount] = " 1 ";
      l.insert(l.begin() + tessCount + 1, item);
    };
  };
  const std::vector<Case> cases = {
      {"count beyond 199", [&](auto& l) { l[tessCount] = " 200 "; }, int(tessCount) + 1},
      {"negative count", [&](auto& l) { l[tessCount] = "-1 "; }, int(tessCount) + 1},
      {"truncated in the points", [&](auto& l) { l.resize(poly + 10); }, int(poly) + 11},
      {"short point line", [&](auto& l) { l[poly + 5] = "1,2,3"; }, int(poly) + 6},
      {"number beyond a float", [&](auto& l) { l[poly + 1] = huge + "," + l[poly + 1]; },
       int(poly) + 2},
      {"short item line", oneItem("1,2"), int(tessCount) + 2},
      {"five-field item line", oneItem("1,2,1,0,True"), int(tessCount) + 2},
      {"tile number 5", oneItem("1,2,5,0,True,2"), int(tessCount) + 2},
      {"short colour line", [&](auto& l) { l[tessCount + 2] = "1,2,3,"; }, int(tessCount) + 3},
      {"too many overrides", [&](auto& l) { l[tessCount + 3] = " 1001 "; }, int(tessCount) + 4},
      {"short designer record", [&](auto& l) { l[4] = "vsPolyBig,0"; }, 5},
      {"override rank slot 64",
       [&](auto& l) {
         l[tessCount + 3] = " 1 ";
         l.insert(l.begin() + tessCount + 4, "0,1,64,3");
       },
       int(tessCount) + 5},
      {"override colour 16",
       [&](auto& l) {
         l[tessCount + 3] = " 1 ";
         l.insert(l.begin() + tessCount + 4, "0,1,5,16");
       },
       int(tessCount) + 5},
      {"number beyond a double",
       [&](auto& l) { l[poly + 1] = std::string(400, '9') + "," + l[poly + 1]; }, int(poly) + 2},
      {"line over 64 KiB", [&](auto& l) { l[2] = std::string(70 * 1024, ' '); }, 3},
      {"1001 designer records",
       [&](auto& l) { l.insert(l.begin() + 4, 1001 - records, "vsX,0,1"); }, 1005},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto lines = good;
    c.spoil(lines);
    Session b;
    b.m.X[0][0] = 11;
    b.h.form.vs("vsPolyBig", 0).SetValue("9");
    b.tess.TessCount = 1;
    b.tess.TessItems[1].X = 5;
    Load(b, Join(lines));
    ExpectOneLoadError(b);
    if (c.line) {
      EXPECT_EQ(b.h.form.LastLoadError()->line, c.line);
    }
    EXPECT_EQ(b.m.X[0][0], 11);
    EXPECT_EQ(b.h.form.vs("vsPolyBig", 0).Value(), "9");
    EXPECT_EQ(b.tess.TessCount, 1);

    // The designer stays usable: the good file loads next.
    b.h.prompts.log.clear();
    Load(b, Join(good));
    EXPECT_EQ(b.h.prompts.log.size(), 1u);
    EXPECT_FALSE(b.h.form.LastLoadError().has_value());
    EXPECT_EQ(b.m.X[0][0], 0);
  }

  Session missing;
  missing.h.prompts.File(Path("no such file.wlg"));
  missing.h.form.mnuFileLoad_Click();
  ExpectOneLoadError(missing);
  EXPECT_EQ(missing.h.form.LastLoadError()->line, 0);
}

TEST_F(PatternFile, CommandLineFileOpensWithoutTheDialog) {
  Session a;
  a.h.form.vs("vsPolyBig", 2).SetValue("6");
  Save(a, "from command line.wlg");
  DesignerHarness b;
  b.Start("\"" + Path("from command line.wlg") + "\"");
  EXPECT_TRUE(b.prompts.log.empty());
  EXPECT_EQ(b.form.vs("vsPolyBig", 2).Value(), "6");
  EXPECT_FALSE(b.form.CommandLineLoad);
}

TEST_F(PatternFile, FailedSaveLeavesTheEarlierFileAndSaysWhy) {
  Session s;
  // Into a folder that does not exist.
  s.h.prompts.File(Path("no folder/x.wlg"));
  s.h.form.mnuFileSave_Click();
  ASSERT_EQ(s.h.prompts.log.size(), 2u);
  const std::string prefix = "Sorry, the .wlg file could not be saved:\r\n";
  EXPECT_EQ(s.h.prompts.log[1].text.substr(0, prefix.size()), prefix);
  EXPECT_GT(s.h.prompts.log[1].text.size(), prefix.size());

  // Over an earlier file whose name leaves no room for the temporary file
  // beside it: the write fails before the earlier file is touched.
  const std::string earlier = Path(std::string(255, 'w'));
  WriteBytes(earlier, "earlier\r\n");
  s.h.prompts.log.clear();
  s.h.prompts.File(earlier);
  s.h.form.mnuFileSave_Click();
  ASSERT_EQ(s.h.prompts.log.size(), 2u);
  EXPECT_EQ(s.h.prompts.log[1].text.substr(0, prefix.size()), prefix);
  EXPECT_EQ(ReadBytes(earlier), "earlier\r\n");

  // A good save replaces the earlier file whole.
  WriteBytes(Path("x.wlg"), std::string(100000, 'z'));
  const std::string text = Save(s, "x.wlg");
  EXPECT_EQ(text.substr(0, 12), "Created on: ");
  EXPECT_EQ(text.find('z'), std::string::npos);

  // Cancelled dialogs end both commands silently, changing nothing.
  s.h.prompts.log.clear();
  s.m.X[3][0] = 12;
  s.h.prompts.File(std::nullopt);
  s.h.form.mnuFileSave_Click();
  s.h.prompts.File(std::nullopt);
  s.h.form.mnuFileLoad_Click();
  EXPECT_EQ(s.h.prompts.log.size(), 2u);
  EXPECT_EQ(s.m.X[3][0], 12);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

}  // namespace
}  // namespace wlg
