#include "controls/qt/Bindings.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <map>
#include <QPainter>

#include "controls/Form.h"
#include "platform/ImageCanvas.h"

namespace wlg {

void ApplyColours(QWidget* w, const Control& model, const Colour* fore) {
  if (model.HasBackColour()) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, ToQColor(model.BackColour()));
    pal.setColor(QPalette::Button, ToQColor(model.BackColour()));
    pal.setColor(QPalette::Window, ToQColor(model.BackColour()));
    if (fore) pal.setColor(QPalette::Text, ToQColor(*fore));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
  } else {
    w->setPalette(QPalette());
    w->setAutoFillBackground(false);
  }
}

// --- ValidTextWidget

ValidTextWidget::ValidTextWidget(ValidText& model, QWidget* parent)
    : QLineEdit(parent), model_(model) {
  model_.onRefresh = [this] { Sync(); };
  Sync();
}

void ValidTextWidget::Sync() {
  if (text() != QString::fromStdString(model_.Value())) setText(QString::fromStdString(model_.Value()));
  setEnabled(model_.Enabled());
  setVisible(model_.Visible());
  setToolTip(QString::fromStdString(model_.ToolTip()));
  ApplyColours(this, model_, model_.hasColours ? &model_.foreColour : nullptr);
}

void ValidTextWidget::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    // Consumed: it commits and goes no further (no default button, no beep).
    e->accept();
    model_.CommitEnter(text().toStdString());
    selectAll();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

void ValidTextWidget::focusInEvent(QFocusEvent* e) {
  QLineEdit::focusInEvent(e);
  selectAll();  // SelectMe
}

void ValidTextWidget::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  // A menu or a popup taking focus for a moment is not the user leaving the box.
  if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::MenuBarFocusReason) return;
  model_.CommitFocusLoss(text().toStdString());
}

// --- CheckBoxWidget

CheckBoxWidget::CheckBoxWidget(CheckBox& model, QWidget* parent)
    : QCheckBox(parent), model_(model) {
  setTristate(false);
  model_.onRefresh = [this] { Sync(); };
  Sync();
}

void CheckBoxWidget::Sync() {
  setText(QString::fromStdString(model_.Caption()));
  setToolTip(QString::fromStdString(model_.ToolTip()));
  setCheckState(model_.Value() == 1 ? Qt::Checked
                : model_.Value() == 2 ? Qt::PartiallyChecked
                                      : Qt::Unchecked);
  setEnabled(model_.Enabled());
  setVisible(model_.Visible());
}

void CheckBoxWidget::nextCheckState() { model_.UserClick(); }

// --- OptionButtonWidget

OptionButtonWidget::OptionButtonWidget(OptionButton& model, QWidget* parent)
    : QRadioButton(parent), model_(model) {
  setAutoExclusive(false);  // the model's group decides
  model_.onRefresh = [this] { Sync(); };
  Sync();
}

void OptionButtonWidget::Sync() {
  setText(QString::fromStdString(model_.Caption()));
  setToolTip(QString::fromStdString(model_.ToolTip()));
  setChecked(model_.Value());
  setEnabled(model_.Enabled());
  setVisible(model_.Visible());
  ApplyColours(this, model_);
}

void OptionButtonWidget::nextCheckState() {
  model_.UserClick();
  setChecked(model_.Value());
}

// --- ButtonWidget

ButtonWidget::ButtonWidget(Button& model, QWidget* parent) : QPushButton(parent), model_(model) {
  model_.onRefresh = [this] { Sync(); };
  connect(this, &QPushButton::clicked, this, [this] { model_.UserClick(); });
  Sync();
}

void ButtonWidget::Sync() {
  setText(QString::fromStdString(model_.Caption()));
  setToolTip(QString::fromStdString(model_.ToolTip()));
  setEnabled(model_.Enabled());
  setVisible(model_.Visible());
}

// --- ScrollBarWidget

ScrollBarWidget::ScrollBarWidget(ScrollBar& model, Qt::Orientation o, QWidget* parent)
    : QScrollBar(o, parent), model_(model) {
  setRange(model_.Min(), model_.Max());
  setPageStep(model_.LargeChange());
  model_.onRefresh = [this] { Sync(); };
  connect(this, &QScrollBar::valueChanged, this, [this](int v) { model_.SetValue(v); });
  Sync();
}

void ScrollBarWidget::Sync() {
  if (value() != model_.Value()) setValue(model_.Value());
  setEnabled(model_.Enabled());
  setVisible(model_.Visible());
}

// --- CanvasWidget

CanvasWidget::CanvasWidget(PictureBox& model, QWidget* parent) : QWidget(parent), model_(model) {
  setMouseTracking(true);
  setFixedSize(model_.canvas.Width(), model_.canvas.Height());
  model_.onRefresh = [this] {
    setCursor(model_.Cursor() == CursorShape::Cross ? Qt::CrossCursor : Qt::ArrowCursor);
    if (size() != QSize(model_.canvas.Width(), model_.canvas.Height()))
      setFixedSize(model_.canvas.Width(), model_.canvas.Height());
    update();
  };
}

QSize CanvasWidget::sizeHint() const { return {model_.canvas.Width(), model_.canvas.Height()}; }

void CanvasWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, model_.canvas.Image());
}

namespace {
MouseButton ButtonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return MouseButton::Left;
    case Qt::RightButton: return MouseButton::Right;
    case Qt::MiddleButton: return MouseButton::Middle;
    default: return MouseButton::None;
  }
}
MouseButton ButtonsOf(Qt::MouseButtons b) {
  if (b & Qt::LeftButton) return MouseButton::Left;
  if (b & Qt::RightButton) return MouseButton::Right;
  if (b & Qt::MiddleButton) return MouseButton::Middle;
  return MouseButton::None;
}
int ShiftOf(Qt::KeyboardModifiers m) {
  int s = 0;
  if (m & Qt::ShiftModifier) s |= ShiftKey;
  if (m & Qt::ControlModifier) s |= CtrlKey;
  if (m & Qt::AltModifier) s |= AltKey;
  return s;
}
}  // namespace

void CanvasWidget::mousePressEvent(QMouseEvent* e) {
  if (model_.onMouseDown)
    model_.onMouseDown(model_.Index(), ButtonOf(e->button()), ShiftOf(e->modifiers()),
                       static_cast<float>(e->position().x()), static_cast<float>(e->position().y()));
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* e) {
  if (model_.onMouseMove)
    model_.onMouseMove(model_.Index(), ButtonsOf(e->buttons()), ShiftOf(e->modifiers()),
                       static_cast<float>(e->position().x()), static_cast<float>(e->position().y()));
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (model_.onMouseUp)
    model_.onMouseUp(model_.Index(), ButtonOf(e->button()), ShiftOf(e->modifiers()),
                     static_cast<float>(e->position().x()), static_cast<float>(e->position().y()));
}

// --- menus and captions

QAction* MakeAction(MenuItem& model, QObject* parent) {
  auto* a = new QAction(QString::fromStdString(model.Caption()), parent);
  if (!model.Shortcut().empty()) a->setShortcut(QKeySequence(QString::fromStdString(model.Shortcut())));
  if (model.Separator()) a->setSeparator(true);
  auto sync = [a, &model] {
    a->setText(QString::fromStdString(model.Caption()));
    a->setCheckable(model.Checkable());
    a->setChecked(model.Checked());
    a->setEnabled(model.Enabled());
    a->setVisible(model.Visible());
  };
  model.onRefresh = sync;
  sync();
  QObject::connect(a, &QAction::triggered, a, [a, &model] {
    // The model owns the check mark; undo Qt's own toggle.
    a->setChecked(model.Checked());
    model.UserClick();
  });
  return a;
}

void BuildMenuBar(QMenuBar* bar, const Form& form, QObject* parent) {
  std::map<std::string, QMenu*> menus;
  for (const auto& c : form.Controls()) {
    auto* item = dynamic_cast<MenuItem*>(c.get());
    if (!item) continue;
    if (item->Menu() == item->Caption()) {
      bar->addAction(MakeAction(*item, parent));
      continue;
    }
    QMenu*& menu = menus[item->Menu()];
    if (!menu) menu = bar->addMenu(QString::fromStdString(item->Menu()));
    // Separators too are bound to their models, which may hide them.
    menu->addAction(MakeAction(*item, parent));
  }
}

void BindCaption(Control& model, QWidget* widget) {
  auto sync = [widget, &model] {
    if (auto* l = qobject_cast<QLabel*>(widget)) l->setText(QString::fromStdString(model.Caption()));
    widget->setVisible(model.Visible());
    widget->setToolTip(QString::fromStdString(model.ToolTip()));
  };
  model.onRefresh = sync;
  sync();
}

}  // namespace wlg
