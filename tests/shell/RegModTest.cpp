// Registering the .wlg file type: the whole question-and-message flow run
// against a temporary XDG data folder, and the freedesktop files it leaves.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "shell/RegMod.h"
#include "shell/XdgKeyStore.h"
#include "support/ScriptedPrompts.h"

namespace wlg {
namespace {

using testing::ScriptedPrompts;

// Sets an environment variable for one test and puts the old value back.
class EnvVar {
 public:
  EnvVar(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~EnvVar() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool ToolInstalled(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
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
    data.emplace("XDG_DATA_HOME", dataHome);
    config.emplace("XDG_CONFIG_HOME", root + "/config");
    association.programPath = MakeProgram(root + "/bin");
    association.iconPath = kIcon;
    prompts.autoOk = true;
  }

  static std::string MakeProgram(const std::string& dir) {
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/whirligons";
    std::ofstream(path) << "#!/bin/sh\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }

  void Register() {
    XdgKeyStore store(XdgKeyStore::UserDataHome());
    RegisterFileType(store, prompts, association);
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& r : prompts.log) t.push_back(r.text);
    return t;
  }

  std::string Package() const { return dataHome + "/mime/packages/whirligons-wlg.xml"; }
  std::string Desktop() const { return dataHome + "/applications/whirligons.desktop"; }
  std::string Icon() const { return dataHome + "/icons/hicolor/scalable/apps/whirligons.svg"; }

  QTemporaryDir tmp;
  std::string root, dataHome;
  std::optional<EnvVar> data, config;
  FileAssociation association;
  ScriptedPrompts prompts;
};

TEST_F(RegisterTest, FreshRegistrationWritesTheDesktopFiles) {
  Register();
  EXPECT_EQ(Texts(), std::vector<std::string>{kSuccess});

  const std::string package = Slurp(Package());
  EXPECT_NE(package.find("<mime-type type=\"application/x-whirligons\">"), std::string::npos);
  EXPECT_NE(package.find("<glob pattern=\"*.wlg\"/>"), std::string::npos);

  const std::string entry = Slurp(Desktop());
  EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u) << entry;
  EXPECT_NE(entry.find("\nName=Whirligons\n"), std::string::npos);
  EXPECT_NE(entry.find("\nExec=" + association.programPath + " %f\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("\nIcon=whirligons\n"), std::string::npos);
  EXPECT_NE(entry.find("\nMimeType=application/x-whirligons;\n"), std::string::npos);
  EXPECT_EQ(Slurp(Icon()), Slurp(kIcon));

  // The desktop's own tools took the files in.
  if (ToolInstalled("update-mime-database")) {
    EXPECT_NE(Slurp(dataHome + "/mime/globs2").find("application/x-whirligons:*.wlg"),
              std::string::npos);
  }
  if (ToolInstalled("update-desktop-database")) {
    EXPECT_NE(Slurp(dataHome + "/applications/mimeinfo.cache")
                  .find("application/x-whirligons=whirligons.desktop;"),
              std::string::npos);
  }
  if (ToolInstalled("desktop-file-validate")) {
    EXPECT_EQ(std::system(("desktop-file-validate '" + Desktop() + "'").c_str()), 0);
  }
}

TEST_F(RegisterTest, RegisteringAgainAsksAndYesReplacesTheOldAssociation) {
  Register();
  // The second registration comes from a program elsewhere.
  association.programPath = MakeProgram(root + "/other");
  prompts.log.clear();
  prompts.Answer_(Answer::Yes);
  Register();
  ASSERT_EQ(prompts.log.size(), 2u);
  EXPECT_EQ(prompts.log[0].text,
            "\".wlg\" already in registry\r\nfor \"whirligons\"\r\nProceed still?");
  EXPECT_EQ(prompts.log[0].buttons, Buttons::YesNo);
  // The old title went with the old extension, so nothing more is asked.
  EXPECT_EQ(prompts.log[1].text, kSuccess);
  EXPECT_NE(Slurp(Desktop()).find("\nExec=" + root + "/other/whirligons %f\n"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(Icon()));
  EXPECT_TRUE(prompts.AllAnswered());
}

TEST_F(RegisterTest, AnsweringNoKeepsTheOldAssociation) {
  Register();
  const std::string package = Slurp(Package()), entry = Slurp(Desktop());
  association.programPath = MakeProgram(root + "/other");
  prompts.log.clear();
  prompts.Answer_(Answer::No);
  Register();
  ASSERT_EQ(prompts.log.size(), 1u);
  EXPECT_EQ(prompts.log[0].text.substr(0, 28), "\".wlg\" already in registry\r\n");
  EXPECT_EQ(Slurp(Package()), package);
  EXPECT_EQ(Slurp(Desktop()), entry);
}

TEST_F(RegisterTest, AnEntryLeftWithoutItsTypeIsAskedAbout) {
  Register();
  std::filesystem::remove(Package());
  const std::string question = "Title Ref already in existence in the registery.\r\nProceed still?";

  prompts.log.clear();
  prompts.Answer_(Answer::No);
  Register();
  EXPECT_EQ(Texts(), std::vector<std::string>{question});
  EXPECT_FALSE(std::filesystem::exists(Package()));

  prompts.log.clear();
  prompts.Answer_(Answer::Yes);
  Register();
  EXPECT_EQ(Texts(), (std::vector<std::string>{question, kSuccess}));
  EXPECT_TRUE(std::filesystem::exists(Package()));
}

TEST_F(RegisterTest, MissingPiecesStopBeforeAnythingIsWritten) {
  const FileAssociation good = association;
  auto attempt = [&](FileAssociation a) {
    prompts.log.clear();
    XdgKeyStore store(dataHome);
    RegisterFileType(store, prompts, a);
    return Texts();
  };
  FileAssociation a = good;
  a.extension = ".";
  EXPECT_EQ(attempt(a), std::vector<std::string>{"No file extension entered yet"});
  a = good;
  a.title.clear();
  EXPECT_EQ(attempt(a), std::vector<std::string>{"No titel ref entered yet"});
  a = good;
  a.programPath.clear();
  EXPECT_EQ(attempt(a), std::vector<std::string>{"No association file spec entered yet"});
  a = good;
  a.programPath = root + "/nowhere/whirligons";
  EXPECT_EQ(attempt(a), std::vector<std::string>{root + "/nowhere/whirligons not found"});
  EXPECT_FALSE(std::filesystem::exists(dataHome));
}

TEST_F(RegisterTest, AnUnwritableDataFolderIsReported) {
  // Even root cannot make folders below a plain file.
  std::ofstream(root + "/plain") << "x";
  data.emplace("XDG_DATA_HOME", root + "/plain/data");
  Register();
  EXPECT_EQ(Texts(), std::vector<std::string>{"Unable to create .wlg"});
}

TEST_F(RegisterTest, AFailureHalfWayKeepsWhatWasWritten) {
  std::filesystem::create_directories(dataHome);
  std::ofstream(dataHome + "/applications") << "in the way";
  Register();
  EXPECT_EQ(Texts(), std::vector<std::string>{"Unable to create Whirligons"});
  EXPECT_NE(Slurp(Package()).find("application/x-whirligons"), std::string::npos);

  // An icon that is not there: the entry is written, its icon is refused.
  std::filesystem::remove(dataHome + "/applications");
  association.iconPath = root + "/no-such-icon.svg";
  prompts.log.clear();
  prompts.Answer_(Answer::Yes);
  Register();
  ASSERT_EQ(prompts.log.size(), 2u);
  EXPECT_EQ(prompts.log[1].text, "Unable to set value of  to subkey Whirligons\\DefaultIcon");
  EXPECT_NE(Slurp(Desktop()).find("\nExec="), std::string::npos);
  EXPECT_EQ(Slurp(Desktop()).find("\nIcon="), std::string::npos);
}

TEST_F(RegisterTest, AProgramPathWithSpacesIsQuotedInTheEntry) {
  association.programPath = MakeProgram(root + "/my \"apps\"");
  Register();
  EXPECT_EQ(Texts(), std::vector<std::string>{kSuccess});
  // Quoted for the command line, the backslashes doubled for the entry file.
  EXPECT_NE(Slurp(Desktop()).find("\nExec=\"" + root + "/my \\\\\"apps\\\\\"/whirligons\" %f\n"),
            std::string::npos)
      << Slurp(Desktop());
  if (ToolInstalled("desktop-file-validate")) {
    EXPECT_EQ(std::system(("desktop-file-validate '" + Desktop() + "'").c_str()), 0);
  }

  // Read back as it was written.
  XdgKeyStore store(dataHome);
  EXPECT_EQ(store.QueryValue("Whirligons\\shell\\open\\command", ""),
            OpenCommand(association.programPath));
}

TEST(OpenCommand, PlainPathsStayBareOthersAreQuoted) {
  EXPECT_EQ(OpenCommand("/usr/bin/whirligons"), "/usr/bin/whirligons %f");
  EXPECT_EQ(OpenCommand("/opt/a b/whirligons"), "\"/opt/a b/whirligons\" %f");
  EXPECT_EQ(OpenCommand("/opt/$x`y\\z/w"), "\"/opt/\\$x\\`y\\\\z/w\" %f");
}

TEST_F(RegisterTest, DeletingTheTitleRemovesEntryAndIcon) {
  Register();
  prompts.log.clear();
  XdgKeyStore store(dataHome);
  EXPECT_EQ(FirstSubkey(store, prompts, "Whirligons\\shell"), "open");
  EXPECT_TRUE(DeleteKeyTree(store, prompts, "WHIRLIGONS"));
  EXPECT_FALSE(std::filesystem::exists(Desktop()));
  EXPECT_FALSE(std::filesystem::exists(Icon()));
  EXPECT_TRUE(std::filesystem::exists(Package()));
  // Gone is gone: deleting again succeeds quietly, opening it does not.
  EXPECT_TRUE(DeleteKeyTree(store, prompts, "Whirligons"));
  EXPECT_TRUE(prompts.log.empty());
  EXPECT_EQ(FirstSubkey(store, prompts, "Whirligons"), "");
  EXPECT_EQ(Texts(), std::vector<std::string>{"Unable to open Whirligons"});
}

TEST_F(RegisterTest, TheMenuCommandExplainsFirstAndCancelWritesNothing) {
  const std::string explanation =
      "This will register .wlg files so they can be opened by double-clicking on them in your "
      "file manager\r\nEnter OK to continue";
  XdgKeyStore store(dataHome);
  prompts.Answer_(Answer::Cancel);
  RegisterFileTypeCommand(store, prompts, association);
  ASSERT_EQ(prompts.log.size(), 1u);
  EXPECT_EQ(prompts.log[0].text, explanation);
  EXPECT_EQ(prompts.log[0].buttons, Buttons::OKCancel);
  EXPECT_FALSE(std::filesystem::exists(dataHome));

  prompts.Answer_(Answer::OK);
  RegisterFileTypeCommand(store, prompts, association);
  EXPECT_EQ(Texts(), (std::vector<std::string>{explanation, explanation, kSuccess}));
}

}  // namespace
}  // namespace wlg
