#include "app/DesktopSession.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "controls/Progress.h"
#include "controls/qt/ProgressDialog.h"
#include "designer/qt/DesignerWindow.h"
#include "platform/qt/ScreenFit.h"
#include "shell/qt/HelpWindow.h"
#include "solids/qt/View3DWindow.h"
#include "spherewrap/qt/SphereWrapWindow.h"
#include "tessellator/qt/TessellatorWindow.h"

namespace wlg {

namespace {
// Runs the designer's document tick once after each handled user event (a
// click, a key, a drop) and every half second, which also paces the
// recovery copy. A tick writes a small pattern text and compares it: well
// under a millisecond.
class DocumentWatch : public QObject {
 public:
  explicit DocumentWatch(frmS& designer) : designer_(designer) {
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    timer_.start();
    QCoreApplication::instance()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    switch (e->type()) {
      case QEvent::MouseButtonRelease:
      case QEvent::KeyRelease:
      case QEvent::Drop:
      case QEvent::Wheel:
        // One tick once the event has been handled, however many widgets see it.
        if (!pending_) {
          pending_ = true;
          QTimer::singleShot(0, this, [this] {
            pending_ = false;
            Tick();
          });
        }
        break;
      default:
        break;
    }
    return false;
  }

 private:
  void Tick() { designer_.DocumentTick(Document::Clock::now()); }

  frmS& designer_;
  QTimer timer_;
  bool pending_ = false;
};
}  // namespace

DesktopSession::DesktopSession(std::unique_ptr<SettingsStore> settings, std::string recoveryFolder)
    : settings_(std::move(settings)), recoveryFolder_(std::move(recoveryFolder)) {
  program_.processEvents = [] { QCoreApplication::processEvents(); };
  windows_ = std::make_unique<Windows>(program_, *settings_);
  designerWindow_ = std::make_unique<DesignerWindow>(windows_->designer);
  tessellatorWindow_ = std::make_unique<TessellatorWindow>(windows_->tessellator, program_);
  view3DWindow_ = std::make_unique<View3DWindow>(windows_->view3D, program_);
  sphereWrapWindow_ = std::make_unique<SphereWrapWindow>(windows_->sphereWrap, program_);
  prompts_.SetParent(designerWindow_.get());
  // Opened beside the designer, or over its canvas, never over its panel.
  // At start the two are arranged together.
  OpenBeside(
      tessellatorWindow_.get(), designerWindow_.get(),
      [d = designerWindow_.get()] { return d->PanelGeometry(); }, [this] { return starting_; });

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

  progress_ =
      std::make_unique<ProgressDialog>(windows_->designer.ProgressDialog(), designerWindow_.get());
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
  documentWatch_.reset();
  progress_.reset();
  helpWindow_.reset();
  sphereWrapWindow_.reset();
  view3DWindow_.reset();
  tessellatorWindow_.reset();
  designerWindow_.reset();
  windows_.reset();
}

void DesktopSession::Start(const std::string& commandLine) {
  frmS& designer = windows_->designer;
  // The slot is claimed before anything could write a copy into it. A folder
  // that cannot be used only means that no copy is kept.
  designer.document().recovery().Open(recoveryFolder_);
  starting_ = true;
  designer.Show();
  designer.Form_Load(commandLine);
  // The question is about the designer, so it waits until the window
  // manager has put the designer where it stays, and opens over it.
  const RecoveryCopy& copy = designer.document().recovery();
  if (copy.Exists() && !copy.Owned()) WaitUntilPlaced(designerWindow_.get());
  designer.OfferRecovery();
  starting_ = false;
  documentWatch_ = std::make_unique<DocumentWatch>(designer);
}

}  // namespace wlg
