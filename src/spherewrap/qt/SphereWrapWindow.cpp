#include "spherewrap/qt/SphereWrapWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <map>

#include "controls/qt/Bindings.h"
#include "platform/qt/ScreenFit.h"

namespace wlg {

namespace {
// Paints the surface's back colour behind it.
class Backdrop : public QWidget {
 public:
  Backdrop(PictureBox& surface, QWidget* parent) : QWidget(parent), surface_(surface) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter(this).fillRect(rect(), ToQColor(surface_.canvas.backColour));
  }

 private:
  PictureBox& surface_;
};
}  // namespace

SphereWrapWindow::SphereWrapWindow(frmSphereWrap& form, Program& program, QWidget* parent)
    : QMainWindow(parent), form_(form), program_(program) {
  // The strip lies over the bottom of the surface; where a large font needs
  // more room than the surface has, the window grows beyond it in the
  // surface's colour.
  auto* backdrop = new Backdrop(form_.Surface(), this);
  auto* layers = new QGridLayout(backdrop);
  layers->setContentsMargins(0, 0, 0, 0);
  layers->setSpacing(0);
  surface_ = new CanvasWidget(form_.Surface(), backdrop);
  layers->addWidget(surface_, 0, 0, 2, 1, Qt::AlignTop | Qt::AlignLeft);
  layers->setRowMinimumHeight(0, frmSphereWrap::SurfaceHeight - frmSphereWrap::Shape1Height);
  auto& surfaceModel = form_.Surface();
  surfaceModel.onRefresh = [this, backdrop, shown = std::move(surfaceModel.onRefresh)] {
    shown();
    backdrop->update(QRegion(backdrop->rect()) - surface_->geometry());
  };

  // Shape1: the strip under the sphere, in the style's own colours so that
  // the controls read well on any background.
  auto* strip = new QFrame(backdrop);
  strip->setFrameShape(QFrame::StyledPanel);
  strip->setAutoFillBackground(true);
  strip->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  strip->setMinimumHeight(frmSphereWrap::Shape1Height);
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
    e->SetLeastWidth(44);
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
  layers->addWidget(strip, 1, 0);
  setCentralWidget(backdrop);

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
  // The window keeps the size it has after loading, until a new font sizes
  // it afresh.
  auto fix = [this] {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    adjustSize();
    setFixedSize(size());
  };
  fix();
  OnFontChange(this, fix);
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
