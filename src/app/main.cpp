// whirligons: the designer and its windows.

#include <QApplication>
#include <QClipboard>
#include <QIcon>
#include <QPalette>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "controls/Progress.h"
#include "controls/qt/ProgressDialog.h"
#include "designer/Windows.h"
#include "designer/qt/DesignerWindow.h"
#include "platform/DataDir.h"
#include "platform/ImageCanvas.h"
#include "platform/SettingsStore.h"
#include "platform/qt/QtPrompts.h"
#include "shell/qt/HelpWindow.h"
#include "solids/qt/View3DWindow.h"
#include "spherewrap/qt/SphereWrapWindow.h"
#include "tessellator/qt/TessellatorWindow.h"

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

  wlg::QtPrompts prompts;
  wlg::Program program(prompts);
  program.processEvents = [] { QCoreApplication::processEvents(); };
  auto settings = wlg::OpenUserSettings();

  wlg::Windows windows(program, *settings);
  wlg::DesignerWindow designerWindow(windows.designer);
  wlg::TessellatorWindow tessellatorWindow(windows.tessellator, program);
  wlg::View3DWindow view3DWindow(windows.view3D, program);
  wlg::SphereWrapWindow sphereWrapWindow(windows.sphereWrap, program);
  prompts.SetParent(&designerWindow);
  auto toClipboard = [](const QImage& image) {
    QGuiApplication::clipboard()->clear();
    QGuiApplication::clipboard()->setImage(image);
  };
  windows.tessellator.copyToClipboard = toClipboard;
  windows.view3D.copyToClipboard = toClipboard;
  windows.sphereWrap.copyToClipboard = toClipboard;
  // One help window serves every Help command.
  wlg::HelpWindow helpWindow;
  program.help.viewer = &helpWindow;

  wlg::ProgressDialog progress(windows.designer.ProgressDialog(), &designerWindow);
  progress.ownerWidget = [&](const void* owner) -> QWidget* {
    if (owner == &windows.view3D) return &view3DWindow;
    return &designerWindow;
  };
  windows.designer.Progress().letPendingInputRun = [] { QCoreApplication::processEvents(); };

  // The whole command line after the program name, as one text.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  windows.designer.Show();
  windows.designer.Form_Load(commandLine);
  const int rc = app.exec();
  return rc;
}
