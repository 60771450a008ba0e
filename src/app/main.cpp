// whirligons: the designer and its windows.

#include <QApplication>
#include <QIcon>
#include <QPalette>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/DesktopSession.h"
#include "platform/DataDir.h"
#include "platform/FreedMemory.h"
#include "platform/ImageCanvas.h"
#include "platform/SettingsStore.h"

namespace {
bool HaveDisplay() {
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// Answers --help and --version alone on the command line, without a display;
// anything else is the pattern file to open.
bool AnsweredAtOnce(int argc, char** argv) {
  if (argc != 2) return false;
  const std::string arg = argv[1];
  if (arg == "--version") {
    std::printf("whirligons %s\n", WHIRLIGONS_VERSION);
    return true;
  }
  if (arg != "--help" && arg != "-h") return false;
  std::printf(
      "usage: whirligons [PATTERN.wlg]\n"
      "  Opens the designer with its Tessellator window, and the pattern file when one is\n"
      "  named. Qt's own options (-platform, -style, -display ...) are taken too.\n"
      "options: --help (this text), --version\n"
      "See also whirligons-export(1), which makes the same pictures and files without a window.\n");
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  // Past a file-size limit a save then fails with a message, and nothing is
  // lost, instead of the signal closing the program with the design in it.
  std::signal(SIGXFSZ, SIG_IGN);
  wlg::KeepFreedMemoryForReuse();
  if (AnsweredAtOnce(argc, argv)) return 0;
  if (!HaveDisplay()) {
    std::fprintf(stderr,
                 "whirligons: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                 "Run it on a desktop, or under a virtual display: xvfb-run -a whirligons\n");
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Whirligons");
  QApplication::setApplicationName("Whirligons");
  QApplication::setApplicationVersion(WHIRLIGONS_VERSION);
  // The desktop entry names the program's windows and icon.
  QGuiApplication::setDesktopFileName(WHIRLIGONS_APP_ID);
  QApplication::setWindowIcon(
      QIcon(QString::fromStdString(wlg::DataDir() + "/desktop/whirligons-48.png")));
  wlg::SetButtonFaceColour(wlg::FromQColor(app.palette().color(QPalette::Button)));

  wlg::DesktopSession session(wlg::OpenUserSettings());

  // The whole command line after the program name, as one text.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  session.Start(commandLine);
  return app.exec();
}
