// The document: the caption's unsaved mark, the save-changes question before
// a design is replaced or the program ends, and the crash-recovery copy.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "document/Document.h"
#include "document/PatternFile.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kApp = "Whirligons v1.14";
const std::string kSamples = WHIRLIGONS_SAMPLES_DIR;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A started designer, optionally keeping its recovery copy in 'folder'.
struct Designer {
  explicit Designer(const std::string& folder = "", const std::string& commandLine = "") {
    if (!folder.empty()) h.form.document().recovery().Open(folder);
    h.form.Show();
    h.Start(commandLine);
  }
  // A point drawn in the last rank of tile 1, which the samples leave empty.
  void Draw(float x = 200, float y = 300) {
    h.form.optRank(Rank).UserClick();
    h.form.picS(0).onMouseDown(0, MouseButton::Left, 0, x, y);
    h.form.picS(0).onMouseUp(0, MouseButton::Left, 0, x, y);
  }
  std::string Caption() {
    h.form.RefreshDocument();
    return h.form.Caption();
  }
  static constexpr int Rank = 15;
  DesignerHarness h;
  DesignModel& m = h.model();
};

class DocumentTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) { return dir.path().toStdString() + "/" + name; }
  std::string CopySample(const std::string& name, const std::string& sample = "sample.wlg") {
    fs::copy_file(kSamples + "/" + sample, Path(name), fs::copy_options::overwrite_existing);
    return Path(name);
  }
  QTemporaryDir dir;
};

TEST_F(DocumentTest, EveryKindOfEditMarksTheDesignAndASaveOrLoadClearsTheMark) {
  // The caption follows the design's text, so one edit per window will do.
  const std::function<void(Designer&)> edits[] = {
      [](Designer& d) { d.Draw(); }, [](Designer& d) { d.h.tess.Entry("vsZoom").CommitEnter("2"); },
      [](Designer& d) { d.h.windows.view3D.Check("chkSpin", 1).UserClick(); }};
  for (const auto& edit : edits) {
    SCOPED_TRACE(&edit - edits);
    Designer d;
    Form& window = *std::vector<Form*>{&d.h.form, &d.h.tess, &d.h.windows.view3D}[&edit - edits];
    d.m.CreatorName = "Ada";  // not the design, nor is the time
    edit(d);
    EXPECT_EQ(d.Caption(), "*Untitled - " + kApp);
    d.h.prompts.File(Path("mine.wlg"));
    window.Menu("mnuFileSave").UserClick();  // the edit's window; no file yet: asks
    EXPECT_EQ(d.Caption(), "mine.wlg - " + kApp);
    d.Draw(220, 280);
    window.Menu("mnuFileSave").UserClick();  // now to the file at once
    EXPECT_NE(ReadBytes(Path("mine.wlg")).find("220,280,"), std::string::npos);
    d.h.prompts.File({});
    window.Menu("mnuFileSaveAs").UserClick();
    EXPECT_EQ(d.h.prompts.log.back().defaultText, Path("mine.wlg"));
    // The kind's folder: "out" is none, so the save fails, yet it was chosen.
    d.h.prompts.File(Path("out/x.jpg"));
    d.h.prompts.File({});
    d.h.prompts.autoOk = true;
    d.h.windows.sphereWrap.Menu("mnuFileSaveBMP", 1).UserClick();
    d.h.tess.Menu("mnuFileSaveBMP", 1).UserClick();
    EXPECT_EQ(d.h.prompts.log.back().defaultText, Path("out/mine.jpg"));
  }
  // A sample loads as an unchanged design named after its file; a change
  // made and taken back leaves nothing unsaved.
  Designer d;
  d.h.form.OpenPatternFile(kSamples + "/star-sequential.wlg");
  EXPECT_EQ(d.Caption(), "star-sequential.wlg - " + kApp);
  ValidText& size = d.h.form.vs("vsPolyBig", 1);
  const std::string was = size.Value();
  size.CommitEnter("5.5");
  size.CommitEnter(was);
  EXPECT_EQ(d.Caption(), "star-sequential.wlg - " + kApp);
  d.h.form.mnuFileExit_Click();  // nothing to save: nothing is asked
  EXPECT_TRUE(d.h.prompts.log.empty() && d.h.program.AppClosing);
}

// The mark follows every part of the design the file holds, each change
// undone by making it again, and only what the file would show: a point at
// -0 is written as at 0.
TEST_F(DocumentTest, EveryPartOfTheFileCountsAndNothingItWouldNotShow) {
  Designer d;
  d.h.form.OpenPatternFile(kSamples + "/octagons-and-squares.wlg");  // 18 tiles, no overrides
  const std::string clean = "octagons-and-squares.wlg - " + kApp;
  TessState& tess = d.h.program.tess;
  Form& view3D = d.h.windows.view3D;
  const std::function<void()> changes[] = {
      [&] { d.h.form.chk("chkHideLine", 0).UserClick(); },
      [&] { tess.TessItems[1].Mirror = !tess.TessItems[1].Mirror; },
      [&] { tess.TessCount ^= 1; },
      [&] { d.m.CustomColours[2] ^= 0x10; },
      [&] { d.m.overrides.OverrideCount ^= 1; },
      [&] { view3D.IsVisible() ? view3D.Hide() : view3D.Show(); }};
  for (const auto& change : changes) {
    SCOPED_TRACE(&change - changes);
    change();
    EXPECT_EQ(d.Caption(), "*" + clean);
    change();
    EXPECT_EQ(d.Caption(), clean);
  }
  d.m.X[LastSlot][0] = -0.0f;
  EXPECT_EQ(d.Caption(), clean);
}

// Each way a design is replaced or ended, and each answer, once (the desktop
// test answers Cancel on closing through the real dialog).
TEST_F(DocumentTest, ClosingOrOpeningAnotherFileAsksOnceAndCancelKeepsEverything) {
  const std::string other = CopySample("other.wlg", "octagons-and-squares.wlg");  // 18 tiles
  const std::function<void(Designer&)> ways[] = {
      [](Designer& d) { d.h.form.mnuFileExit_Click(); },
      [](Designer& d) { d.h.form.mnuFileLoad_Click(); },
      [](Designer& d) { d.h.form.Menu("mnuFileRecent", 0).UserClick(); },
      [&](Designer& d) { d.h.form.OpenPatternFile(other); }};
  // The way, the answer, the save dialog's answer (none: cancelled), whether
  // the design already has its file, and whether the action goes on.
  const std::tuple<int, Answer, std::optional<std::string>, bool, bool> cases[] = {
      {1, Answer::Discard, {}, false, true},
      {2, Answer::Save, Path("new.wlg"), false, true},
      {0, Answer::Save, {}, true, true},
      {3, Answer::Save, std::nullopt, false, false},
      {1, Answer::Save, Path("no such folder/x.wlg"), false, false}};
  for (const auto& [way, answer, saveAs, named, goesOn] : cases) {
    SCOPED_TRACE(way);
    Designer d;
    d.h.prompts.autoOk = true;  // the failed save's message
    if (named) d.h.form.OpenPatternFile(CopySample("mine.wlg"));
    d.h.form.RememberRecentFile(other);
    d.Draw(210, 290);
    d.h.prompts.log.clear();
    d.h.prompts.Answer_(answer);
    if (answer == Answer::Save && !named) d.h.prompts.File(saveAs);
    if (way == 1 && goesOn) d.h.prompts.File(other);
    ways[way](d);
    EXPECT_TRUE(d.h.prompts.AllAnswered());  // a second question would find no answer
    EXPECT_EQ(d.h.prompts.log.at(0).text,
              named ? "Save changes to mine.wlg?" : "Save changes to Untitled?");
    if (answer == Answer::Save && goesOn)  // to its own file without a dialog
      EXPECT_NE(ReadBytes(named ? Path("mine.wlg") : *saveAs).find("210,290,"), std::string::npos);
    EXPECT_EQ(d.h.program.AppClosing, way == 0 && goesOn);
    EXPECT_EQ(d.h.program.tess.TessCount == 18, way != 0 && goesOn);
    EXPECT_EQ(d.Caption()[0] == '*', !goesOn);
  }
}

// A program that ends without its shut-down, as a killed one would.
void Crash(const std::string& folder, const std::string& file = "") {
  Designer crashed(folder);
  if (!file.empty()) crashed.h.form.OpenPatternFile(file);
  crashed.Draw(123, 321);
  crashed.h.form.DocumentTick({});
}

TEST_F(DocumentTest, AfterAnAbnormalEndTheNextStartOffersTheDesignBack) {
  const std::string folder = Path("state"), copy = folder + "/recovery.wlg";
  const std::string mine = CopySample("mine.wlg");
  Crash(folder, mine);
  {
    // The file named on the command line opens first; the copy waits for its answer.
    Designer d(folder, kSamples + "/star-sequential.wlg");
    d.h.prompts.Answer_(Answer::Yes);
    d.h.form.OfferRecovery();
    EXPECT_EQ(d.h.prompts.log.at(0).text,
              "Whirligons did not close properly last time.\r\n"
              "Restore the design that was not saved?");
    EXPECT_EQ(d.h.prompts.log[0].buttons, Buttons::YesNo);
    EXPECT_EQ(d.Caption(), "*mine.wlg - " + kApp);
    EXPECT_EQ(d.h.form.RecentFiles(),  // the copy is no recent file
              std::vector<std::string>{kSamples + "/star-sequential.wlg"});
    // Kept until saved, in case this run ends badly too; a clean exit takes it away.
    d.h.prompts.Answer_(Answer::Save);  // to its own file, without a dialog
    d.h.form.mnuFileExit_Click();
    EXPECT_FALSE(fs::exists(copy));
    d.h.form.document().Tick(Document::Clock::time_point{} + 4s);  // nor is it written again
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_NE(ReadBytes(mine).find("123,321,"), std::string::npos);
  }
  // No deletes it, and nothing is offered again.
  Crash(folder);
  Designer d(folder);
  d.h.prompts.Answer_(Answer::No);
  d.h.form.OfferRecovery();
  EXPECT_EQ(d.Caption(), kApp);
  EXPECT_FALSE(fs::exists(copy));
}

// The copy follows unsaved changes and goes on save; two programs at once
// keep their own. A state folder that cannot be written neither fails nor nags.
TEST_F(DocumentTest, TheRecoveryCopyFollowsUnsavedChangesAndEachProgramKeepsItsOwn) {
  const std::string folder = Path("state/whirligons");  // made when missing
  const std::string copy = folder + "/recovery.wlg";
  Designer a(folder);
  auto tick = [&](auto after) { a.h.form.DocumentTick(Document::Clock::time_point{} + after); };
  tick(0ms);
  EXPECT_FALSE(fs::exists(copy));  // nothing unsaved
  a.Draw(200, 300);
  tick(1ms);
  EXPECT_NE(ReadBytes(copy).find("200,300,"), std::string::npos);
  a.Draw(220, 300);  // further changes follow within the write interval
  tick(1001ms);
  EXPECT_NE(ReadBytes(copy).find("200,300,220,300,"), std::string::npos);
  Designer b(folder);  // while a runs: a's copy is not b's to offer
  b.h.form.OfferRecovery();
  EXPECT_TRUE(b.h.prompts.log.empty());
  b.Draw();
  b.h.form.DocumentTick({});
  EXPECT_TRUE(fs::exists(folder + "/recovery-2.wlg"));
  // Saved: gone (the next test finds the file named in the copy).
  a.h.prompts.File(Path("mine.wlg"));
  a.h.form.mnuFileSave_Click();
  EXPECT_FALSE(fs::exists(copy));

  std::ofstream(Path("file")) << "a file where the folder should be";
  Designer blocked(Path("file") + "/whirligons");
  blocked.h.form.OfferRecovery();
  blocked.Draw();
  blocked.h.form.DocumentTick({});
  EXPECT_TRUE(blocked.h.prompts.log.empty());
  EXPECT_EQ(blocked.Caption(), "*Untitled - " + kApp);
}

// The desktop test sets XDG_STATE_HOME; without a usable one, the default.
TEST(RecoveryFolder, FollowsXdgStateHome) {
  for (const char* none : {(const char*)nullptr, "relative"})
    EXPECT_EQ(RecoveryFolderFor(none, "/home/me"), "/home/me/.local/state/whirligons");
}

}  // namespace
}  // namespace wlg
