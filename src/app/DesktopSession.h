#pragma once
// The whole desktop program assembled: the forms, their Qt windows, the real
// dialogs, the clipboard, help and progress. main() runs one; the desktop
// tests run one in-process on a real X server, so they drive exactly what a
// user drives.

#include <QObject>
#include <memory>
#include <string>

#include "designer/Windows.h"
#include "document/Document.h"
#include "platform/SettingsStore.h"
#include "platform/qt/QtPrompts.h"

namespace wlg {

class DesignerWindow;
class TessellatorWindow;
class View3DWindow;
class SphereWrapWindow;
class HelpWindow;
class ProgressDialog;

class DesktopSession {
 public:
  // Needs a QApplication. The settings store is the user's, or a test's own;
  // so is the folder of the crash-recovery copy.
  explicit DesktopSession(std::unique_ptr<SettingsStore> settings,
                          std::string recoveryFolder = DefaultRecoveryFolder());
  ~DesktopSession();
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  // Shows the designer and runs its start-up with the command-line text,
  // then offers back a design an earlier run did not close properly with.
  void Start(const std::string& commandLine);

  Program& program() { return program_; }
  Windows& windows() { return *windows_; }
  DesignerWindow& designerWindow() { return *designerWindow_; }
  TessellatorWindow& tessellatorWindow() { return *tessellatorWindow_; }
  View3DWindow& view3DWindow() { return *view3DWindow_; }
  SphereWrapWindow& sphereWrapWindow() { return *sphereWrapWindow_; }
  HelpWindow& helpWindow() { return *helpWindow_; }

 private:
  QtPrompts prompts_;
  Program program_{prompts_};
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<Windows> windows_;
  std::unique_ptr<DesignerWindow> designerWindow_;
  std::unique_ptr<TessellatorWindow> tessellatorWindow_;
  std::unique_ptr<View3DWindow> view3DWindow_;
  std::unique_ptr<SphereWrapWindow> sphereWrapWindow_;
  std::unique_ptr<HelpWindow> helpWindow_;
  std::unique_ptr<ProgressDialog> progress_;
  std::string recoveryFolder_;
  bool starting_ = false;
  // Keeps the document in step with the design: after each handled user
  // event and on a short timer.
  std::unique_ptr<QObject> documentWatch_;
};

}  // namespace wlg
