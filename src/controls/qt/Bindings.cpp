#include "controls/qt/Bindings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionFrame>
#include <QTimer>
#include <algorithm>
#include <map>

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

namespace {

class FontWatch : public QObject {
 public:
  FontWatch(QWidget* w, std::function<void()> refit) : QObject(w), refit_(std::move(refit)) {
    w->installEventFilter(this);
  }

 protected:
  // Seen once the children have taken the new font. Their layouts still
  // hold the old hints until the posted layout requests arrive, so they are
  // told to work them out afresh.
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() != QEvent::FontChange && e->type() != QEvent::StyleChange) return false;
    auto* w = static_cast<QWidget*>(watched);
    if (w->layout()) w->layout()->invalidate();
    for (QLayout* l : w->findChildren<QLayout*>()) l->invalidate();
    refit_();
    return false;
  }

 private:
  std::function<void()> refit_;
};

}  // namespace

void OnFontChange(QWidget* w, std::function<void()> refit) { new FontWatch(w, std::move(refit)); }

// --- PanelScroll

PanelScroll::PanelScroll(QWidget* panel, QWidget* parent, bool sidewaysOnly)
    : QScrollArea(parent), sidewaysOnly_(sidewaysOnly) {
  setWidget(panel);
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setSizePolicy(QSizePolicy::Preferred, sidewaysOnly ? QSizePolicy::Fixed : QSizePolicy::Preferred);
  if (!sidewaysOnly) return;
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Taller by the scroll bar while it shows.
  connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this, [this] { updateGeometry(); });
}

int PanelScroll::Bar() const {
  return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

QSize PanelScroll::sizeHint() const {
  const QMargins m = contentsMargins();
  const bool scrolls = sidewaysOnly_ && horizontalScrollBar()->maximum() > 0;
  return widget()->sizeHint() +
         QSize(m.left() + m.right(), m.top() + m.bottom() + (scrolls ? Bar() : 0));
}

QSize PanelScroll::minimumSizeHint() const {
  return QSize(4 * Bar(), sidewaysOnly_ ? sizeHint().height() : 4 * Bar());
}

// --- ValidTextWidget

namespace {

// Whether the key is the shortcut of one of the window's commands (menu
// items): those belong to the window, so Ctrl+Z in a box is the program's
// Undo and not the box's own text undo.
bool IsWindowShortcut(const QWidget* w, const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_unknown:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
      return false;
    default:
      break;
  }
  const QKeySequence typed(
      QKeyCombination(e->modifiers() & ~Qt::KeypadModifier, Qt::Key(e->key())));
  const QWidget* window = w->window();
  QList<QAction*> actions = window->findChildren<QAction*>();
  actions += window->actions();
  for (const QAction* a : actions)
    for (const QKeySequence& s : a->shortcuts())
      if (s.matches(typed) == QKeySequence::ExactMatch) return true;
  return false;
}

// Notes whether a modal dialog opened while it is alive.
class ModalWatch : public QObject {
 public:
  ModalWatch() { qApp->installEventFilter(this); }
  ~ModalWatch() override { qApp->removeEventFilter(this); }
  bool seen = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::WindowBlocked) seen = true;
    if (e->type() == QEvent::Show) {
      auto* w = qobject_cast<QWidget*>(watched);
      if (w && w->isWindow() && w->isModal()) seen = true;
    }
    return false;
  }
};

}  // namespace

ValidTextWidget::ValidTextWidget(ValidText& model, QWidget* parent)
    : QLineEdit(parent), model_(model) {
  model_.onRefresh = [this] { Sync(); };
  Sync();
}

void ValidTextWidget::Sync() {
  if (text() != QString::fromStdString(model_.Value())) {
    setText(QString::fromStdString(model_.Value()));
    FitWidth();
  }
  setEnabled(model_.Enabled());
  setVisible(model_.Visible());
  setToolTip(QString::fromStdString(model_.ToolTip()));
  ApplyColours(this, model_, model_.hasColours ? &model_.foreColour : nullptr);
}

void ValidTextWidget::SetLeastWidth(int least) {
  leastWidth_ = least;
  FitWidth();
}

void ValidTextWidget::FitWidth() {
  if (leastWidth_ <= 0) return;
  const QFontMetrics fm = fontMetrics();
  int widest = 0;
  for (const std::string& t : {model_.ValMin, model_.ValMax, model_.Value()})
    widest = std::max(widest, fm.horizontalAdvance(QString::fromStdString(t)));
  QStyleOptionFrame opt;
  initStyleOption(&opt);
  const QMargins margins = textMargins();
  // QLineEdit keeps two pixels clear on each side of its text.
  const QSize text(widest + 4 + margins.left() + margins.right(), fm.height());
  const int needed = style()->sizeFromContents(QStyle::CT_LineEdit, &opt, text, this).width();
  setFixedWidth(std::max(leastWidth_, needed));
}

void ValidTextWidget::changeEvent(QEvent* e) {
  QLineEdit::changeEvent(e);
  if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) FitWidth();
}

// Ctrl+Z over typing not yet committed throws the typing away, as a box's
// own undo does; only then is it the window's Undo.
bool ValidTextWidget::DropsTyping(const QKeyEvent* e) const {
  return e->matches(QKeySequence::Undo) && text() != QString::fromStdString(model_.Value());
}

bool ValidTextWidget::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride && DropsTyping(static_cast<QKeyEvent*>(e))) {
    e->accept();
    return true;
  }
  if (e->type() == QEvent::ShortcutOverride && IsWindowShortcut(this, static_cast<QKeyEvent*>(e))) {
    // Not taken here, so the window's command gets it.
    e->ignore();
    return true;
  }
  return QLineEdit::event(e);
}

void ValidTextWidget::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    // Consumed: it commits and goes no further (no default button, no beep).
    e->accept();
    model_.CommitEnter(text().toStdString());
    selectAll();
    return;
  }
  if (DropsTyping(e)) {
    e->accept();
    setText(QString::fromStdString(model_.Value()));
    selectAll();
    return;
  }
  // A window command's key that did not run (its item is disabled) is not
  // the box's either.
  if (IsWindowShortcut(this, e)) {
    e->ignore();
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
  // Only focus moving to another control commits. A dialog opening (the
  // commit's own question among them), a popup or menu, or the window or the
  // program losing activation leave the box as it is.
  switch (e->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
      return;
    default:
      break;
  }
  // The control taking the focus; a click on a canvas is delivered after
  // this commit, so it sees the committed shape.
  QPointer<CanvasWidget> clicked = e->reason() == Qt::MouseFocusReason
                                       ? qobject_cast<CanvasWidget*>(QApplication::focusWidget())
                                       : nullptr;
  ModalWatch watch;
  model_.CommitFocusLoss(text().toStdString());
  // The commit asked a question: the user answered it rather than went on
  // with the click, so the canvas drops that click.
  if (watch.seen && clicked) clicked->DropPendingPress();
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
  setCheckState(model_.Value() == 1   ? Qt::Checked
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
  // The row colour behind the caption, in a text colour that reads on it;
  // the mark keeps the style's own colours, so it shows on every row.
  QPalette pal;
  if (model_.HasBackColour()) {
    pal.setColor(QPalette::Window, ToQColor(model_.BackColour()));
    pal.setColor(QPalette::WindowText, ToQColor(model_.TextColour()));
  }
  setPalette(pal);
}

void OptionButtonWidget::paintEvent(QPaintEvent* e) {
  // Painted here: on screen the style leaves a radio button's background to
  // its parent, whatever the palette says.
  if (model_.HasBackColour()) QPainter(this).fillRect(rect(), ToQColor(model_.BackColour()));
  QRadioButton::paintEvent(e);
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
  // A click takes the focus, so an entry being typed into commits before
  // the click acts.
  setFocusPolicy(Qt::ClickFocus);
  setFixedSize(model_.canvas.Width(), model_.canvas.Height());
  model_.canvas.SetDevicePixelRatio(devicePixelRatioF());
  model_.onRefresh = [this] {
    setCursor(model_.Cursor() == CursorShape::Cross ? Qt::CrossCursor : Qt::ArrowCursor);
    if (size() != QSize(model_.canvas.Width(), model_.canvas.Height()))
      setFixedSize(model_.canvas.Width(), model_.canvas.Height());
    update();
  };
}

QSize CanvasWidget::sizeHint() const { return {model_.canvas.Width(), model_.canvas.Height()}; }

void CanvasWidget::paintEvent(QPaintEvent*) {
  SyncRatio();
  QPainter p(this);
  p.drawImage(0, 0, model_.canvas.DisplayImage());
}

bool CanvasWidget::event(QEvent* e) {
  if (e->type() == QEvent::ScreenChangeInternal || e->type() == QEvent::Show) SyncRatio();
  return QWidget::event(e);
}

void CanvasWidget::SyncRatio() {
  const double ratio = devicePixelRatioF();
  if (ratio == model_.canvas.DevicePixelRatio() ||
      (ratio <= 1 && model_.canvas.DevicePixelRatio() == 1))
    return;
  model_.canvas.SetDevicePixelRatio(ratio);
  // Not from inside a paint: the window draws, then this widget repaints.
  QPointer<CanvasWidget> self(this);
  QTimer::singleShot(0, this, [self] {
    if (self && self->model_.onRedraw) self->model_.onRedraw();
    if (self) self->update();
  });
}

namespace {
MouseButton ButtonOf(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton:
      return MouseButton::Left;
    case Qt::RightButton:
      return MouseButton::Right;
    case Qt::MiddleButton:
      return MouseButton::Middle;
    default:
      return MouseButton::None;
  }
}
// The buttons held during a move, as the sum of their values: with two held
// it is neither of them alone, so no handler takes it for a left drag.
MouseButton ButtonsOf(Qt::MouseButtons b) {
  int sum = 0;
  if (b & Qt::LeftButton) sum |= static_cast<int>(MouseButton::Left);
  if (b & Qt::RightButton) sum |= static_cast<int>(MouseButton::Right);
  if (b & Qt::MiddleButton) sum |= static_cast<int>(MouseButton::Middle);
  return static_cast<MouseButton>(sum);
}
int ShiftOf(Qt::KeyboardModifiers m) {
  int s = 0;
  if (m & Qt::ShiftModifier) s |= ShiftKey;
  if (m & Qt::ControlModifier) s |= CtrlKey;
  if (m & Qt::AltModifier) s |= AltKey;
  return s;
}
}  // namespace

void CanvasWidget::DropPendingPress() {
  dropPress_ = true;
  // Only the press being delivered now: gone once this event is handled.
  QTimer::singleShot(0, this, [this] { dropPress_ = false; });
}

void CanvasWidget::mousePressEvent(QMouseEvent* e) {
  swallowing_ = dropPress_;
  dropPress_ = false;
  if (swallowing_) return;
  if (model_.onMouseDown)
    model_.onMouseDown(model_.Index(), ButtonOf(e->button()), ShiftOf(e->modifiers()),
                       static_cast<float>(e->position().x()),
                       static_cast<float>(e->position().y()));
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* e) {
  if (swallowing_) {
    if (e->buttons() != Qt::NoButton) return;
    swallowing_ = false;
  }
  if (model_.onMouseMove)
    model_.onMouseMove(model_.Index(), ButtonsOf(e->buttons()), ShiftOf(e->modifiers()),
                       static_cast<float>(e->position().x()),
                       static_cast<float>(e->position().y()));
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (swallowing_) {
    swallowing_ = e->buttons() != Qt::NoButton;
    return;
  }
  if (model_.onMouseUp)
    model_.onMouseUp(model_.Index(), ButtonOf(e->button()), ShiftOf(e->modifiers()),
                     static_cast<float>(e->position().x()), static_cast<float>(e->position().y()));
}

void CanvasWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  if (model_.onDblClick && e->button() == Qt::LeftButton) {
    model_.onDblClick(model_.Index());
    return;
  }
  QWidget::mouseDoubleClickEvent(e);  // a second press
}

// --- menus and captions

QAction* MakeAction(MenuItem& model, QObject* parent) {
  auto* a = new QAction(parent);
  if (!model.Shortcut().empty()) {
    // "Ctrl+Shift+Z; Ctrl+Y": a command may have several keys.
    a->setShortcuts(QKeySequence::listFromString(QString::fromStdString(model.Shortcut())));
    // Anywhere in the window, whichever control has the focus.
    a->setShortcutContext(Qt::WindowShortcut);
    if (auto* window = qobject_cast<QWidget*>(parent)) window->addAction(a);
  }
  auto sync = [a, &model] {
    // A separator is a line: styles would draw a caption beside it.
    a->setSeparator(model.Separator());
    a->setText(model.Separator() ? QString() : QString::fromStdString(model.Caption()));
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
    if (auto* l = qobject_cast<QLabel*>(widget))
      l->setText(QString::fromStdString(model.Caption()));
    widget->setVisible(model.Visible());
    widget->setToolTip(QString::fromStdString(model.ToolTip()));
  };
  model.onRefresh = sync;
  sync();
}

}  // namespace wlg
