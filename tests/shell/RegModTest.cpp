// Registering the .wlg file type: the whole question-and-message flow run
// against a temporary XDG data folder, and the freedesktop files it leaves.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "shell/RegMod.h"
#include "shell/XdgKeyStore.h"
#include "support/ScriptedPrompts.h"

namespace wlg {
namespace {

using ::testing::HasSubstr;

using Texts = std::vector<std::string>;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kIcon = std::string(WHIRLIGONS_SOURCE_DATA_DIR) + "/desktop/whirligons.svg";
const std::string kSuccess =
    ".wlg has been registered successfully\r\n"
    "You can now open a .wlg file by double clicking on it in your file manager";

class RegisterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = tmp.path().toStdString();
    dataHome = root + "/data";
    package = dataHome + "/mime/packages/whirligons-wlg.xml";
    desktop = dataHome + "/applications/io.github.whirligons.Whirligons.desktop";
    SetEnv("XDG_DATA_HOME", dataHome);
    SetEnv("XDG_CONFIG_HOME", root + "/config");
    association.programPath = MakeProgram(root + "/bin");
    association.iconPath = kIcon;
    prompts.autoOk = true;
  }
  // The environment goes back as it was, for the tests that follow.
  void TearDown() override {
    for (auto [name, value] : {std::pair{"XDG_DATA_HOME", oldData}, {"XDG_CONFIG_HOME", oldConfig}})
      value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
  }
  static void SetEnv(const char* name, const std::string& value) {
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

  QTemporaryDir tmp;
  std::string root, dataHome, package, desktop;
  const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
  FileAssociation association;
  testing::ScriptedPrompts prompts;
};

TEST_F(RegisterTest, CancelOrMissingPiecesStopAndAFreshRegistrationWritesTheDesktopFiles) {
  // The menu command explains first; Cancel goes no further.
  XdgKeyStore store(dataHome);
  prompts.Answer_(Answer::Cancel);
  RegisterFileTypeCommand(store, prompts, association);
  EXPECT_EQ(prompts.log.at(0).text,
            "This will register .wlg files so they can be opened by double-clicking on them in "
            "your file manager\r\nEnter OK to continue");
  EXPECT_FALSE(std::filesystem::exists(dataHome));

  const FileAssociation good = association;
  const std::pair<FileAssociation, std::string> spoilt[] = {
      {{".", good.title, good.programPath, kIcon}, "No file extension entered yet"},
      {{".wlg", "", good.programPath, kIcon}, "No titel ref entered yet"},
      {{".wlg", good.title, "", kIcon}, "No association file spec entered yet"},
      {{".wlg", good.title, root + "/none/whirligons", kIcon},
       root + "/none/whirligons not found"}};
  for (const auto& [spoiltAssociation, message] : spoilt) {
    association = spoiltAssociation;
    EXPECT_EQ(Register(), Texts{message});
  }
  // A path that needs quoting is quoted, its backslashes doubled in the entry file.
  EXPECT_EQ(OpenCommand("/opt/$x`y\\z/w"), "\"/opt/\\$x\\`y\\\\z/w\" %f");
  association = {".wlg", good.title, MakeProgram(root + "/my \"apps\""), kIcon};
  EXPECT_EQ(Register(), Texts{kSuccess});
  EXPECT_THAT(Slurp(desktop),
              HasSubstr("\nExec=\"" + root + "/my \\\\\"apps\\\\\"/whirligons\" %f\n"));
  EXPECT_EQ(Slurp(dataHome + "/icons/hicolor/scalable/apps/whirligons.svg"), Slurp(kIcon));
  EXPECT_EQ(std::system(("desktop-file-validate '" + desktop + "'").c_str()), 0);
  EXPECT_EQ(XdgKeyStore(dataHome).QueryValue("Whirligons\\shell\\open\\command", ""),
            OpenCommand(association.programPath));
  EXPECT_THAT(Slurp(dataHome + "/mime/globs2"), HasSubstr("application/x-whirligons:*.wlg"));
  EXPECT_THAT(Slurp(dataHome + "/applications/mimeinfo.cache"),
              HasSubstr("application/x-whirligons=io.github.whirligons.Whirligons.desktop;"));
}

TEST_F(RegisterTest, RegisteringOverAnotherProgramsAssociationAsksNoKeepsYesReplaces) {
  association.title = "OldWhirl";
  Register();
  const std::string written = Slurp(package),
                    oldEntry = dataHome + "/applications/oldwhirl.desktop";
  ASSERT_TRUE(std::filesystem::exists(oldEntry));
  association = FileAssociation{".wlg", "Whirligons", MakeProgram(root + "/other"), kIcon};
  const std::string question = "\".wlg\" already in registry\r\nfor \"oldwhirl\"\r\nProceed still?";

  EXPECT_EQ(Register({Answer::No}), Texts{question});
  EXPECT_EQ(Slurp(package), written);

  EXPECT_EQ(Register({Answer::Yes}), (Texts{question, kSuccess}));
  EXPECT_FALSE(std::filesystem::exists(oldEntry));
  EXPECT_THAT(Slurp(desktop), HasSubstr("\nExec=" + root + "/other/whirligons %f\n"));

  // An entry left without its type, here under the earlier file name, is asked about too.
  std::filesystem::rename(desktop, dataHome + "/applications/whirligons.desktop");
  std::filesystem::remove(package);
  EXPECT_EQ(Register({Answer::No}),
            Texts{"Title Ref already in existence in the registery.\r\nProceed still?"});
}

TEST_F(RegisterTest, FailuresSaySoAndKeepWhatWasWritten) {
  // Not even root makes a folder in a plain file.
  std::ofstream(root + "/plain") << "x";
  SetEnv("XDG_DATA_HOME", root + "/plain/data");
  EXPECT_EQ(Register(), Texts{"Unable to create .wlg"});
  SetEnv("XDG_DATA_HOME", dataHome);
  std::filesystem::create_directories(dataHome);
  std::ofstream(dataHome + "/applications") << "in the way";
  EXPECT_EQ(Register(), Texts{"Unable to create Whirligons"});
  EXPECT_THAT(Slurp(package), HasSubstr("application/x-whirligons"));
}

}  // namespace
}  // namespace wlg
