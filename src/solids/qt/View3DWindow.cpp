#include "solids/qt/View3DWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>
#include <map>

#include "controls/qt/Bindings.h"
#include "platform/qt/ScreenFit.h"

namespace wlg {

namespace {

ValidTextWidget* Entry(ValidText& m, QWidget* parent, int width = 56) {
  auto* w = new ValidTextWidget(m, parent);
  w->SetLeastWidth(width);
  w->setToolTip(QString::fromStdString(m.ToolTip()));
  return w;
}

// A label control's caption; the lighting coefficients carry subscripts.
QLabel* Label(Control& model, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setTextFormat(Qt::RichText);
  BindCaption(model, l);
  return l;
}

}  // namespace

View3DWindow::View3DWindow(frm3D& form, Program& program, QWidget* parent)
    : QMainWindow(parent), form_(form), program_(program) {
  auto* central = new QWidget(this);
  auto* row = new QHBoxLayout(central);

  picture_ = new CanvasWidget(form_.pic3D(), central);
  picture_->setFocusPolicy(Qt::StrongFocus);
  picture_->installEventFilter(this);
  row->addWidget(picture_, 0, Qt::AlignTop);

  auto* side = new QVBoxLayout;
  auto label = [&](const char* name, int index, QWidget* parent) {
    return Label(form_.Get<StaticControl>(name, index), parent);
  };

  // The view: angles, the navigation disc and the spin.
  auto* view = new QGroupBox(central);
  auto& frame = form_.Get<StaticControl>("fraView");
  view->setTitle(QString::fromStdString(frame.Caption()));
  auto* vg = new QGridLayout(view);
  vg->addWidget(label("lblTheta", 0, view), 0, 0);
  vg->addWidget(Entry(form_.Entry("vtTheta"), view), 0, 1);
  vg->addWidget(label("lblPhi", 0, view), 1, 0);
  vg->addWidget(Entry(form_.Entry("vtPhi"), view), 1, 1);
  vg->addWidget(label("lblPsi", 0, view), 2, 0);
  vg->addWidget(Entry(form_.Entry("vtPsi"), view), 2, 1);
  disc_ = new CanvasWidget(form_.picNav(), view);
  disc_->setToolTip(QString::fromStdString(form_.picNav().ToolTip()));
  vg->addWidget(disc_, 0, 2, 3, 1, Qt::AlignCenter);
  vg->addWidget(new ScrollBarWidget(form_.chkVScroll(), Qt::Vertical, view), 0, 3, 4, 1);
  vg->addWidget(new CheckBoxWidget(form_.Check("chkSpin", 1), view), 3, 0, 1, 2);
  vg->addWidget(new CheckBoxWidget(form_.Check("chkSpin", 0), view), 4, 0, 1, 2);
  vg->addWidget(new ScrollBarWidget(form_.chkHScroll(), Qt::Horizontal, view), 4, 2);
  side->addWidget(view);

  // Scale, colours and the light.
  auto* look = new QWidget(central);
  auto* lg = new QGridLayout(look);
  lg->setContentsMargins(0, 0, 0, 0);
  int r = 0;
  auto put = [&](QLabel* l, ValidText& e, int column) {
    lg->addWidget(l, r, column);
    lg->addWidget(Entry(e, look), r, column + 1);
  };
  put(label("lblScale3D", 0, look), form_.Entry("vsScale3D"), 0);
  put(label("lblKa", 0, look), form_.Entry("vtKa"), 2);
  ++r;
  put(label("lblBack3D", 0, look), form_.Entry("vsBack3D", 0), 0);
  put(label("lblKd", 0, look), form_.Entry("vtKd"), 2);
  ++r;
  put(label("lblBack3D", 1, look), form_.Entry("vsBack3D", 1), 0);
  put(label("lblKs", 0, look), form_.Entry("vtKs"), 2);
  ++r;
  put(label("lblN", 0, look), form_.Entry("vtN"), 2);
  ++r;
  put(label("lblKdist", 0, look), form_.Entry("vtKdist"), 2);
  side->addWidget(look);
  side->addStretch(1);
  row->addLayout(side);
  setCentralWidget(central);

  BuildMenuBar(menuBar(), form_, this);

  timer_ = new QTimer(this);
  timer_->setInterval(frm3D::TimerInterval);
  connect(timer_, &QTimer::timeout, this, [this] {
    if (form_.Timer1Enabled) form_.Tick();
  });
  timer_->start();

  form_.onWindowChanged = [this] { SyncWindow(); };
  SyncWindow();
}

void View3DWindow::SyncWindow() {
  setWindowTitle(QString::fromStdString(form_.Caption()));
  if (form_.IsVisible() && !isVisible()) {
    show();
    raise();
    picture_->setFocus();
  } else if (!form_.IsVisible() && isVisible()) {
    hide();
  }
}

bool View3DWindow::ArrowKey(QKeyEvent* e) {
  int key = 0;
  switch (e->key()) {
    case Qt::Key_Left:
      key = frm3D::KeyLeft;
      break;
    case Qt::Key_Right:
      key = frm3D::KeyRight;
      break;
    case Qt::Key_Up:
      key = frm3D::KeyUp;
      break;
    case Qt::Key_Down:
      key = frm3D::KeyDown;
      break;
    default:
      return false;
  }
  form_.Form_KeyDown(key);
  return true;
}

void View3DWindow::keyPressEvent(QKeyEvent* e) {
  if (!ArrowKey(e)) QMainWindow::keyPressEvent(e);
}

bool View3DWindow::eventFilter(QObject* watched, QEvent* e) {
  // The picture would otherwise pass the arrows on as focus moves.
  if (watched == picture_ && e->type() == QEvent::KeyPress && ArrowKey(static_cast<QKeyEvent*>(e)))
    return true;
  return QMainWindow::eventFilter(watched, e);
}

void View3DWindow::closeEvent(QCloseEvent* e) {
  if (form_.Form_QueryUnload()) {
    timer_->stop();
    e->accept();
  } else {
    e->ignore();
  }
}

// Every showing opens the window fully inside the screen's free area.
void View3DWindow::showEvent(QShowEvent* e) {
  FitOnScreen(this);
  QMainWindow::showEvent(e);
}

}  // namespace wlg
