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
}  // namespace

int main(int argc, char** argv) {
  // Past a file-size limit a save then fails with a message, and nothing is
  // lost, instead of the signal closing the program with the design in it.
  std::signal(SIGXFSZ, SIG_IGN);
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
  QGuiApplication::setDesktopFileName("whirligons");
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
