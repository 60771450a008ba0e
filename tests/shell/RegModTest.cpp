// Registering the .wlg file type: the whole question-and-message flow run
// against a temporary XDG data folder, and the freedesktop files it leaves.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtGlobal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

#include "shell/RegMod.h"
#include "shell/XdgKeyStore.h"
#include "support/ScriptedPrompts.h"

namespace wlg {
namespace {

using ::testing::HasSubstr;

using testing::ScriptedPrompts;
using Texts = std::vector<std::string>;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool ToolInstalled(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

void ExpectValidDesktopEntry(const std::string& path) {
  if (ToolInstalled("desktop-file-validate")) {
    EXPECT_EQ(std::system(("desktop-file-validate '" + path + "'").c_str()), 0);
  }
}

const std::string kIcon = std::string(WHIRLIGONS_SOURCE_DATA_DIR) + "/desktop/whirligons.svg";
const std::string kSuccess =
    ".wlg has been registered successfully\r\n"
    "You can now open a .wlg file by double clicking on it in your file manager";

class RegisterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    root = tmp.path().toStdString();
    dataHome = root + "/data";
    SetEnv("XDG_DATA_HOME", dataHome);
    SetEnv("XDG_CONFIG_HOME", root + "/config");
    association.programPath = MakeProgram(root + "/bin");
    association.iconPath = kIcon;
    prompts.autoOk = true;
  }
  // The environment goes back as it was, for the tests that follow.
  void TearDown() override {
    for (auto it = savedEnv.rbegin(); it != savedEnv.rend(); ++it)
      it->second ? qputenv(it->first, *it->second) : qunsetenv(it->first);
  }
  void SetEnv(const char* name, const std::string& value) {
    savedEnv.emplace_back(name, qEnvironmentVariableIsSet(name)
                                    ? std::optional<QByteArray>(qgetenv(name))
                                    : std::nullopt);
    qputenv(name, QByteArray::fromStdString(value));
  }

  static std::string MakeProgram(const std::string& dir) {
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/whirligons";
    std::ofstream(path) << "#!/bin/sh\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }

  // Registers with the given answers queued and returns what was said.
  Texts Register(std::initializer_list<Answer> answers = {}) {
    prompts.log.clear();
    for (Answer a : answers) prompts.Answer_(a);
    XdgKeyStore store(XdgKeyStore::UserDataHome());
    RegisterFileType(store, prompts, association);
    EXPECT_TRUE(prompts.AllAnswered());
    Texts said;
    for (const auto& r : prompts.log) said.push_back(r.text);
    return said;
  }

  std::string Package() const { return dataHome + "/mime/packages/whirligons-wlg.xml"; }
  std::string Desktop() const {
    return dataHome + "/applications/io.github.whirligons.Whirligons.desktop";
  }
  std::string Icon() const { return dataHome + "/icons/hicolor/scalable/apps/whirligons.svg"; }

  QTemporaryDir tmp;
  std::string root, dataHome;
  std::vector<std::pair<const char*, std::optional<QByteArray>>> savedEnv;
  FileAssociation association;
  ScriptedPrompts prompts;
};

TEST_F(RegisterTest, FreshRegistrationWritesTheDesktopFiles) {
  EXPECT_EQ(Register(), Texts{kSuccess});

  const std::string package = Slurp(Package());
  EXPECT_THAT(package, HasSubstr("<mime-type type=\"application/x-whirligons\">"));
  EXPECT_THAT(package, HasSubstr("<glob pattern=\"*.wlg\"/>"));

  const std::string entry = Slurp(Desktop());
  EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
  EXPECT_THAT(entry, HasSubstr("\nExec=" + association.programPath + " %f\n"));
  EXPECT_THAT(entry, HasSubstr("\nIcon=whirligons\n"));
  EXPECT_THAT(entry, HasSubstr("\nMimeType=application/x-whirligons;\n"));
  EXPECT_THAT(entry, HasSubstr("\nStartupWMClass=Whirligons\n"));
  EXPECT_EQ(Slurp(Icon()), Slurp(kIcon));
  ExpectValidDesktopEntry(Desktop());

  // The desktop's own tools took the files in.
  if (ToolInstalled("update-mime-database")) {
    EXPECT_THAT(Slurp(dataHome + "/mime/globs2"), HasSubstr("application/x-whirligons:*.wlg"));
  }
  if (ToolInstalled("update-desktop-database")) {
    EXPECT_THAT(Slurp(dataHome + "/applications/mimeinfo.cache"),
                HasSubstr("application/x-whirligons=io.github.whirligons.Whirligons.desktop;"));
  }
}

TEST_F(RegisterTest, RegisteringOverAnOldAssociationAsksNoKeepsYesReplaces) {
  // The earlier registration came from another program under another title.
  association.title = "OldWhirl";
  Register();
  const std::string package = Slurp(Package()),
                    oldEntry = dataHome + "/applications/oldwhirl.desktop";
  ASSERT_TRUE(std::filesystem::exists(oldEntry));
  association = FileAssociation{".wlg", "Whirligons", MakeProgram(root + "/other"), kIcon};
  const std::string question = "\".wlg\" already in registry\r\nfor \"oldwhirl\"\r\nProceed still?";

  EXPECT_EQ(Register({Answer::No}), Texts{question});
  EXPECT_EQ(prompts.log[0].buttons, Buttons::YesNo);
  EXPECT_EQ(Slurp(Package()), package);
  EXPECT_FALSE(std::filesystem::exists(Desktop()));

  EXPECT_EQ(Register({Answer::Yes}), (Texts{question, kSuccess}));
  EXPECT_FALSE(std::filesystem::exists(oldEntry));
  EXPECT_THAT(Slurp(Desktop()), HasSubstr("\nExec=" + root + "/other/whirligons %f\n"));

  // An entry left without its type is asked about too.
  std::filesystem::remove(Package());
  const std::string titleQuestion =
      "Title Ref already in existence in the registery.\r\nProceed still?";
  EXPECT_EQ(Register({Answer::No}), Texts{titleQuestion});
  EXPECT_FALSE(std::filesystem::exists(Package()));
  EXPECT_EQ(Register({Answer::Yes}), (Texts{titleQuestion, kSuccess}));
  EXPECT_TRUE(std::filesystem::exists(Package()));
}

TEST_F(RegisterTest, AnEntryUnderTheEarlierNameIsFoundAndReplaced) {
  Register();
  const std::string earlier = dataHome + "/applications/whirligons.desktop";
  std::filesystem::rename(Desktop(), earlier);
  std::filesystem::remove(Package());

  const std::string titleQuestion =
      "Title Ref already in existence in the registery.\r\nProceed still?";
  EXPECT_EQ(Register({Answer::Yes}), (Texts{titleQuestion, kSuccess}));
  EXPECT_FALSE(std::filesystem::exists(earlier));
  EXPECT_THAT(Slurp(Desktop()), HasSubstr("\nMimeType=application/x-whirligons;\n"));
}

TEST_F(RegisterTest, MissingPiecesOrCancelStopBeforeAnythingIsWritten) {
  const FileAssociation good = association;
  const std::string nowhere = root + "/nowhere/whirligons";
  const FileAssociation spoilt[] = {{".", good.title, good.programPath, kIcon},
                                    {".wlg", "", good.programPath, kIcon},
                                    {".wlg", good.title, "", kIcon},
                                    {".wlg", good.title, nowhere, kIcon}};
  const std::string messages[] = {"No file extension entered yet", "No titel ref entered yet",
                                  "No association file spec entered yet", nowhere + " not found"};
  for (int i = 0; i < 4; ++i) {
    association = spoilt[i];
    EXPECT_EQ(Register(), Texts{messages[i]});
  }

  // The menu command explains first; Cancel goes no further.
  XdgKeyStore store(dataHome);
  prompts.Answer_(Answer::Cancel);
  RegisterFileTypeCommand(store, prompts, association);
  ASSERT_EQ(prompts.log.size(), 2u);
  EXPECT_EQ(prompts.log[1].text,
            "This will register .wlg files so they can be opened by double-clicking on them in "
            "your file manager\r\nEnter OK to continue");
  EXPECT_EQ(prompts.log[1].buttons, Buttons::OKCancel);
  EXPECT_FALSE(std::filesystem::exists(dataHome));
}

TEST_F(RegisterTest, FailuresAreReportedAndKeepWhatWasWritten) {
  // Even root cannot make folders below a plain file.
  std::ofstream(root + "/plain") << "x";
  SetEnv("XDG_DATA_HOME", root + "/plain/data");
  EXPECT_EQ(Register(), Texts{"Unable to create .wlg"});

  SetEnv("XDG_DATA_HOME", dataHome);
  std::filesystem::create_directories(dataHome);
  std::ofstream(dataHome + "/applications") << "in the way";
  EXPECT_EQ(Register(), Texts{"Unable to create Whirligons"});
  EXPECT_THAT(Slurp(Package()), HasSubstr("application/x-whirligons"));
}

TEST_F(RegisterTest, ProgramPathsAreQuotedWhenNeededAndEscapedInTheEntry) {
  EXPECT_EQ(OpenCommand("/usr/bin/whirligons"), "/usr/bin/whirligons %f");
  EXPECT_EQ(OpenCommand("/opt/a b/whirligons"), "\"/opt/a b/whirligons\" %f");
  EXPECT_EQ(OpenCommand("/opt/$x`y\\z/w"), "\"/opt/\\$x\\`y\\\\z/w\" %f");

  association.programPath = MakeProgram(root + "/my \"apps\"");
  EXPECT_EQ(Register(), Texts{kSuccess});
  // The backslashes of the command are doubled in the entry file, and read
  // back as they were.
  const std::string entry = Slurp(Desktop());
  EXPECT_THAT(entry, HasSubstr("\nExec=\"" + root + "/my \\\\\"apps\\\\\"/whirligons\" %f\n"));
  ExpectValidDesktopEntry(Desktop());
  XdgKeyStore store(dataHome);
  EXPECT_EQ(store.QueryValue("Whirligons\\shell\\open\\command", ""),
            OpenCommand(association.programPath));
}

}  // namespace
}  // namespace wlg
