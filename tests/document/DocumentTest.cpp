// The document: the caption's unsaved mark, the save-changes question before
// a design is replaced or the program ends, and the crash-recovery copy.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "document/Document.h"
#include "document/PatternFile.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kApp = "Whirligons v1.14";
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
  // A rank point drawn with the mouse, in the last rank of tile 1, which the
  // samples leave empty.
  void Draw(float x = 200, float y = 300) {
    h.form.optRank(Rank).UserClick();
    h.form.picS(0).onMouseDown(0, MouseButton::Left, 0, x, y);
    h.form.picS(0).onMouseUp(0, MouseButton::Left, 0, x, y);
  }
  std::string Caption() {
    h.form.RefreshDocument();
    return h.form.Caption();
  }
  int SaveQuestions() const {
    int n = 0;
    for (const auto& p : h.prompts.log)
      if (p.kind == "message" && p.text.rfind("Save changes to ", 0) == 0) ++n;
    return n;
  }
  static constexpr int Rank = 15;
  DesignerHarness h;
  DesignModel& m = h.model();
  Document::Clock::time_point t0{};
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
  const std::pair<const char*, std::function<void(Designer&)>> edits[] = {
      {"rank point", [](Designer& d) { d.Draw(); }},
      {"placed tile", [](Designer& d) { d.h.program.tess.TessCount = 1; }},
      {"colour override",
       [](Designer& d) {
         d.m.overrides.OverrideCount = 1;
         d.m.overrides.entries[0] = {0, 1, 5, 3};
       }},
      {"custom colour", [](Designer& d) { d.m.CustomColours[3] = 0x123456; }},
      {"designer entry", [](Designer& d) { d.h.form.vs("vsNCols", 2).CommitEnter("5"); }},
      {"designer box", [](Designer& d) { d.h.form.chk("chkF", 3).UserClick(); }},
      {"tessellator entry", [](Designer& d) { d.h.tess.Entry("vsZoom").CommitEnter("2"); }},
      {"3D window box", [](Designer& d) { d.h.windows.view3D.Check("chkSpin", 1).UserClick(); }},
  };
  for (const auto& [name, edit] : edits) {
    SCOPED_TRACE(name);
    Designer d;
    EXPECT_EQ(d.Caption(), kApp);
    // What is not the design: the creator's name, and the time.
    d.m.CreatorName = "Ada";
    EXPECT_EQ(d.Caption(), kApp);
    EXPECT_FALSE(d.h.form.document().Modified());

    edit(d);
    EXPECT_EQ(d.Caption(), std::string("*Untitled - ") + kApp);
    EXPECT_TRUE(d.h.form.document().Modified());

    d.h.prompts.File(Path("mine.wlg"));
    d.h.form.mnuFileSave_Click();
    EXPECT_EQ(d.Caption(), std::string("mine.wlg - ") + kApp);

    // A change made and taken back leaves nothing unsaved.
    ValidText& size = d.h.form.vs("vsPolyBig", 1);
    const std::string was = size.Value();
    size.CommitEnter("5.5");
    EXPECT_EQ(d.Caption(), std::string("*mine.wlg - ") + kApp);
    size.CommitEnter(was);
    EXPECT_EQ(d.Caption(), std::string("mine.wlg - ") + kApp);
  }

  // Every sample loads as an unchanged design named after its file.
  for (const char* sample : {"sample.wlg", "octagons-and-squares.wlg", "star-sequential.wlg"}) {
    Designer d;
    d.h.form.OpenPatternFile(kSamples + "/" + sample);
    EXPECT_EQ(d.Caption(), std::string(sample) + " - " + kApp);
    EXPECT_EQ(d.h.form.document().FileName(), kSamples + "/" + sample);
  }
}

// The four ways a design is replaced or ended, each answered every way.
TEST_F(DocumentTest, ClosingOrOpeningAnotherFileAsksOnceAndCancelKeepsEverything) {
  const std::string other = CopySample("other.wlg", "octagons-and-squares.wlg");  // 18 tiles
  enum class Way { Close, Open, Recent, Drop };
  struct Case {
    const char* name;
    Answer answer;
    std::optional<std::string> saveAs;  // the save dialog's answer, when it is shown
    bool named;                         // the design already has its file
    bool goesOn;
  };
  const std::string unwritable = Path("no such folder/x.wlg");
  const Case cases[] = {
      {"cancel", Answer::Cancel, {}, false, false},
      {"discard", Answer::Discard, {}, false, true},
      {"save through the dialog", Answer::Save, Path("new.wlg"), false, true},
      {"save to its own file", Answer::Save, {}, true, true},
      {"save dialog cancelled", Answer::Save, std::nullopt, false, false},
      {"save fails", Answer::Save, unwritable, false, false},
  };
  for (Way way : {Way::Close, Way::Open, Way::Recent, Way::Drop}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " / way " + std::to_string(int(way)));
      Designer d;
      d.h.prompts.autoOk = true;  // the failed save's message
      const bool dialog = c.answer == Answer::Save && !c.named;
      if (c.named) d.h.form.OpenPatternFile(CopySample("mine.wlg"));
      if (way == Way::Recent) d.h.form.RememberRecentFile(other);
      const int tiles = d.h.program.tess.TessCount;
      d.Draw(210, 290);
      d.h.prompts.log.clear();

      d.h.prompts.Answer_(c.answer);
      if (dialog) d.h.prompts.File(c.saveAs);
      if (way == Way::Open && c.goesOn) d.h.prompts.File(other);
      switch (way) {
        case Way::Close:
          d.h.form.mnuFileExit_Click();
          break;
        case Way::Open:
          d.h.form.mnuFileLoad_Click();
          break;
        case Way::Recent:
          d.h.form.Menu("mnuFileRecent", 0).UserClick();
          break;
        case Way::Drop:
          d.h.form.OpenPatternFile(other);
          break;
      }
      EXPECT_TRUE(d.h.prompts.AllAnswered());
      ASSERT_FALSE(d.h.prompts.log.empty());
      const auto& q = d.h.prompts.log[0];
      EXPECT_EQ(q.title, "Whirligons");
      EXPECT_EQ(q.text, c.named ? "Save changes to mine.wlg?" : "Save changes to Untitled?");
      EXPECT_EQ(q.buttons, Buttons::SaveDiscardCancel);
      EXPECT_EQ(d.SaveQuestions(), 1);

      if (c.answer == Answer::Save && c.goesOn) {
        const std::string saved = c.named ? Path("mine.wlg") : *c.saveAs;
        std::string text, reason;
        ASSERT_TRUE(ReadPatternFile(saved, text, reason));
        EXPECT_NE(text.find("210,290,"), std::string::npos);
        for (const auto& p : d.h.prompts.log)
          EXPECT_TRUE(!c.named || p.kind != "save");  // to its own file without a dialog
      }
      if (way == Way::Close) {
        EXPECT_EQ(d.h.program.AppClosing, c.goesOn);
        EXPECT_EQ(d.h.form.IsVisible(), !c.goesOn);
      } else {
        EXPECT_EQ(d.h.program.tess.TessCount, c.goesOn ? 18 : tiles);
        EXPECT_FALSE(d.h.program.AppClosing);
      }
      if (!c.goesOn) EXPECT_EQ(d.Caption().substr(0, 1), "*");  // the design is as it was
    }
  }

  // Nothing to save: nothing is asked.
  Designer d;
  d.h.form.OpenPatternFile(other);
  d.h.form.mnuFileExit_Click();
  EXPECT_TRUE(d.h.prompts.log.empty());
  EXPECT_TRUE(d.h.program.AppClosing);
}

TEST_F(DocumentTest, TheRecoveryCopyFollowsUnsavedChangesAndGoesOnSaveAndCleanExit) {
  const std::string folder = Path("state/whirligons");  // made when missing
  const std::string copy = folder + "/recovery.wlg";
  Designer d(folder);
  Document& doc = d.h.form.document();
  ASSERT_TRUE(doc.recovery().IsOpen());
  EXPECT_EQ(doc.recovery().Path(), copy);

  d.h.form.DocumentTick(d.t0);
  EXPECT_FALSE(fs::exists(copy));  // nothing unsaved
  d.Draw(200, 300);
  d.h.form.DocumentTick(d.t0 + 1ms);
  ASSERT_TRUE(fs::exists(copy));
  EXPECT_EQ(d.h.form.Caption(), std::string("*Untitled - ") + kApp);
  const std::string first = ReadBytes(copy);
  EXPECT_NE(first.find("200,300,"), std::string::npos);
  EXPECT_EQ(first.rfind("Created on: ", 0), 0u);

  // Further changes follow within the write interval, not at every tick.
  d.Draw(220, 300);
  d.h.form.DocumentTick(d.t0 + 500ms);
  EXPECT_EQ(ReadBytes(copy), first);
  d.h.form.DocumentTick(d.t0 + 1001ms);
  EXPECT_NE(ReadBytes(copy).find("200,300,220,300,"), std::string::npos);

  // Saved: gone. A change: back, naming the file. Saved again: gone.
  d.h.prompts.File(Path("mine.wlg"));
  d.h.form.mnuFileSave_Click();
  EXPECT_FALSE(fs::exists(copy));
  d.Draw(240, 320);
  d.h.form.DocumentTick(d.t0 + 2s);
  EXPECT_NE(ReadBytes(copy).find("Unsaved copy of: " + Path("mine.wlg") + "\r\n"),
            std::string::npos);
  d.h.form.SaveDesign(false);
  EXPECT_FALSE(fs::exists(copy));

  // A clean exit takes it away, and nothing writes it again afterwards.
  d.Draw(260, 340);
  d.h.form.DocumentTick(d.t0 + 3s);
  ASSERT_TRUE(fs::exists(copy));
  d.h.prompts.Answer_(Answer::Discard);
  d.h.form.mnuFileExit_Click();
  EXPECT_FALSE(fs::exists(copy));
  d.h.form.DocumentTick(d.t0 + 4s);
  d.h.form.document().Tick(d.t0 + 5s);
  EXPECT_FALSE(fs::exists(copy));
}

TEST_F(DocumentTest, AfterAnAbnormalEndTheNextStartOffersTheDesignBack) {
  const std::string folder = Path("state"), copy = folder + "/recovery.wlg";
  const std::string mine = CopySample("mine.wlg");
  {
    // Ends without its shut-down, as a killed program would.
    auto crashed = std::make_unique<Designer>(folder);
    crashed->h.form.OpenPatternFile(mine);
    crashed->Draw(123, 321);
    crashed->h.form.DocumentTick(crashed->t0);
  }
  ASSERT_TRUE(fs::exists(copy));

  {
    // The file named on the command line opens first; the copy waits for its answer.
    Designer d(folder, kSamples + "/star-sequential.wlg");
    d.h.prompts.Answer_(Answer::Yes);
    d.h.form.OfferRecovery();
    ASSERT_EQ(d.h.prompts.log.size(), 1u);
    EXPECT_EQ(d.h.prompts.log[0].title, "Restore unsaved design");
    EXPECT_EQ(d.h.prompts.log[0].text,
              "Whirligons did not close properly last time.\r\n"
              "Restore the design that was not saved?");
    EXPECT_EQ(d.h.prompts.log[0].buttons, Buttons::YesNo);
    EXPECT_EQ(d.m.X[Designer::Rank][0], 123);
    EXPECT_EQ(d.m.Y[Designer::Rank][0], 321);
    EXPECT_EQ(d.Caption(), std::string("*mine.wlg - ") + kApp);
    // The copy is no recent file.
    EXPECT_EQ(d.h.form.RecentFiles(), std::vector<std::string>{kSamples + "/star-sequential.wlg"});
    // Kept until saved, in case this run ends badly too.
    d.h.form.DocumentTick(d.t0);
    EXPECT_TRUE(fs::exists(copy));

    d.h.prompts.Answer_(Answer::Save);  // to its own file, without a dialog
    d.h.form.mnuFileExit_Click();
    EXPECT_TRUE(d.h.program.AppClosing);
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_NE(ReadBytes(mine).find("123,321,"), std::string::npos);
  }

  // No deletes it; a design that never had a file comes back "Untitled".
  for (Answer answer : {Answer::Yes, Answer::No}) {
    {
      auto crashed = std::make_unique<Designer>(folder);
      crashed->Draw(150, 150);
      crashed->h.form.DocumentTick(crashed->t0);
    }
    Designer d(folder);
    d.h.prompts.Answer_(answer);
    d.h.form.OfferRecovery();
    EXPECT_EQ(d.m.X[Designer::Rank][0], answer == Answer::Yes ? 150 : 0);
    EXPECT_EQ(d.Caption(), answer == Answer::Yes ? std::string("*Untitled - ") + kApp : kApp);
    EXPECT_EQ(fs::exists(copy), answer == Answer::Yes);
    if (answer == Answer::Yes) d.h.prompts.Answer_(Answer::Discard);
    d.h.form.mnuFileExit_Click();
    EXPECT_TRUE(d.h.program.AppClosing);
    EXPECT_FALSE(fs::exists(copy));
  }
  Designer next(folder);
  next.h.form.OfferRecovery();  // nothing left to offer: nothing asked
  EXPECT_TRUE(next.h.prompts.log.empty());
}

TEST_F(DocumentTest, TwoProgramsAtOnceKeepTheirOwnCopies) {
  const std::string folder = Path("state");
  Designer a(folder);
  a.Draw();
  a.h.form.DocumentTick(a.t0);
  Designer b(folder);  // while a runs: a's copy is not b's to offer
  b.h.form.OfferRecovery();
  EXPECT_TRUE(b.h.prompts.log.empty());
  EXPECT_EQ(b.h.form.document().recovery().Path(), folder + "/recovery-2.wlg");
  b.Draw();
  b.h.form.DocumentTick(b.t0);

  a.h.prompts.Answer_(Answer::Discard);
  a.h.form.mnuFileExit_Click();
  EXPECT_FALSE(fs::exists(folder + "/recovery.wlg"));
  EXPECT_TRUE(fs::exists(folder + "/recovery-2.wlg"));
}

TEST_F(DocumentTest, AStateFolderThatCannotBeWrittenNeitherFailsNorNags) {
  std::ofstream(Path("file")) << "a file where the folder should be";
  Designer blocked(Path("file") + "/whirligons");
  EXPECT_FALSE(blocked.h.form.document().recovery().IsOpen());
  // A folder that can be used, but the copy's place is taken.
  fs::create_directories(Path("state/recovery.wlg"));
  Designer taken(Path("state"));
  for (Designer* d : {&blocked, &taken}) {
    d->h.form.OfferRecovery();
    for (int i = 0; i < 100; ++i) {
      d->Draw(100 + i, 100);
      d->h.form.DocumentTick(d->t0 + std::chrono::seconds(i));
    }
    EXPECT_TRUE(d->h.prompts.log.empty());
    EXPECT_TRUE(d->h.form.document().Modified());
  }
}

TEST(RecoveryFolder, FollowsXdgStateHome) {
  EXPECT_EQ(RecoveryFolderFor("/x/state", "/home/me"), "/x/state/whirligons");
  EXPECT_EQ(RecoveryFolderFor(nullptr, "/home/me"), "/home/me/.local/state/whirligons");
  EXPECT_EQ(RecoveryFolderFor("", "/home/me"), "/home/me/.local/state/whirligons");
  EXPECT_EQ(RecoveryFolderFor("relative", "/home/me"), "/home/me/.local/state/whirligons");
}

}  // namespace
}  // namespace wlg
