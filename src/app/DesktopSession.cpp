#include "app/DesktopSession.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>

#include "controls/Progress.h"
#include "controls/qt/ProgressDialog.h"
#include "designer/qt/DesignerWindow.h"
#include "shell/qt/HelpWindow.h"
#include "solids/qt/View3DWindow.h"
#include "spherewrap/qt/SphereWrapWindow.h"
#include "tessellator/qt/TessellatorWindow.h"

namespace wlg {

DesktopSession::DesktopSession(std::unique_ptr<SettingsStore> settings)
    : settings_(std::move(settings)) {
  program_.processEvents = [] { QCoreApplication::processEvents(); };
  windows_ = std::make_unique<Windows>(program_, *settings_);
  designerWindow_ = std::make_unique<DesignerWindow>(windows_->designer);
  tessellatorWindow_ = std::make_unique<TessellatorWindow>(windows_->tessellator, program_);
  view3DWindow_ = std::make_unique<View3DWindow>(windows_->view3D, program_);
  sphereWrapWindow_ = std::make_unique<SphereWrapWindow>(windows_->sphereWrap, program_);
  prompts_.SetParent(designerWindow_.get());

  auto toClipboard = [](const QImage& image) {
    QGuiApplication::clipboard()->clear();
    QGuiApplication::clipboard()->setImage(image);
  };
  windows_->tessellator.copyToClipboard = toClipboard;
  windows_->view3D.copyToClipboard = toClipboard;
  windows_->sphereWrap.copyToClipboard = toClipboard;

  // One help window serves every Help command.
  helpWindow_ = std::make_unique<HelpWindow>();
  program_.help.viewer = helpWindow_.get();

  progress_ = std::make_unique<ProgressDialog>(windows_->designer.ProgressDialog(),
                                               designerWindow_.get());
  progress_->ownerWidget = [this](const void* owner) -> QWidget* {
    if (owner == &windows_->view3D) return view3DWindow_.get();
    return designerWindow_.get();
  };
  windows_->designer.Progress().letPendingInputRun = [] { QCoreApplication::processEvents(); };
}

// The views go before the forms they are bound to.
DesktopSession::~DesktopSession() {
  // A box still holding typed text commits as it loses the focus; that must
  // happen while every window it redraws still exists.
  if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
  progress_.reset();
  helpWindow_.reset();
  sphereWrapWindow_.reset();
  view3DWindow_.reset();
  tessellatorWindow_.reset();
  designerWindow_.reset();
  windows_.reset();
}

void DesktopSession::Start(const std::string& commandLine) {
  windows_->designer.Show();
  windows_->designer.Form_Load(commandLine);
}

}  // namespace wlg
