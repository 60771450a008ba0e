#include "spherewrap/qt/SphereWrapWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>
#include <map>

#include "controls/qt/Bindings.h"
#include "platform/qt/ScreenFit.h"

namespace wlg {

SphereWrapWindow::SphereWrapWindow(frmSphereWrap& form, Program& program, QWidget* parent)
    : QMainWindow(parent), form_(form), program_(program) {
  surface_ = new CanvasWidget(form_.Surface(), this);
  auto* column = new QVBoxLayout(surface_);
  column->setContentsMargins(0, 0, 0, 0);
  column->addStretch(1);

  // Shape1: the strip under the sphere, in the style's own colours so that
  // the controls read well on any background.
  auto* strip = new QFrame(surface_);
  strip->setFrameShape(QFrame::StyledPanel);
  strip->setAutoFillBackground(true);
  strip->setFixedSize(frmSphereWrap::SurfaceWidth, frmSphereWrap::Shape1Height);
  auto* grid = new QGridLayout(strip);
  grid->setContentsMargins(6, 2, 6, 2);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(1);
  int col = 0;
  auto entry = [&](const char* label, const char* name) {
    auto* l = new QLabel(strip);
    BindCaption(form_.Get<StaticControl>(label), l);
    grid->addWidget(l, 0, col);
    auto* e = new ValidTextWidget(form_.Entry(name), strip);
    e->setFixedWidth(44);
    grid->addWidget(e, 1, col++, Qt::AlignLeft);
  };
  entry("lblWidth", "vtWidth");
  entry("lblBackSphere", "vtBackSphere");
  entry("lblVRML", "vtVRML");
  grid->addWidget(new CheckBoxWidget(form_.Check("chkRotate"), strip), 0, col);
  auto* speed = new ScrollBarWidget(form_.HScroll1(), Qt::Horizontal, strip);
  speed->setToolTip("Speed");
  grid->addWidget(speed, 1, col);
  grid->setColumnStretch(col, 1);
  column->addWidget(strip);
  setCentralWidget(surface_);

  BuildMenuBar(menuBar(), form_, this);

  timer_ = new QTimer(this);
  timer_->setInterval(frmSphereWrap::TimerInterval);
  connect(timer_, &QTimer::timeout, this, [this] { TimerTick(); });

  form_.activeWindowCaption = [] {
    const QWidget* w = QApplication::activeWindow();
    return w ? w->windowTitle().toStdString() : std::string();
  };
  form_.onTimerChanged = [this] { SyncTimer(); };
  form_.onWindowChanged = [this] { SyncWindow(); };
  form_.onOpen = [this] {
    raise();
    activateWindow();
  };
  SyncWindow();
  // The window keeps the size it has after loading.
  adjustSize();
  setFixedSize(size());
}

void SphereWrapWindow::TimerTick() { form_.Tick(); }

void SphereWrapWindow::SyncTimer() {
  const bool on = form_.Timer1Enabled() && form_.IsVisible();
  if (on && !timer_->isActive())
    timer_->start();
  else if (!on && timer_->isActive())
    timer_->stop();
}

void SphereWrapWindow::SyncWindow() {
  setWindowTitle(QString::fromStdString(form_.Caption()));
  if (form_.IsVisible() && !isVisible()) {
    show();
  } else if (!form_.IsVisible() && isVisible()) {
    hide();
  }
  SyncTimer();
}

void SphereWrapWindow::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange && isActiveWindow() && form_.IsVisible())
    form_.Form_Activate();
  QMainWindow::changeEvent(e);
}

void SphereWrapWindow::closeEvent(QCloseEvent* e) {
  if (form_.Form_QueryUnload()) {
    timer_->stop();
    e->accept();
  } else {
    e->ignore();
  }
}

// Every showing opens the window fully inside the screen's free area.
void SphereWrapWindow::showEvent(QShowEvent* e) {
  FitOnScreen(this);
  QMainWindow::showEvent(e);
}

}  // namespace wlg
