#pragma once
// Qt widgets bound to control models. They forward the user's actions to the
// model and show what the model holds; they keep no state of their own.

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <functional>

#include "controls/Controls.h"
#include "controls/PictureBox.h"
#include "controls/ValidText.h"

namespace wlg {

class ValidTextWidget : public QLineEdit {
  Q_OBJECT
 public:
  ValidTextWidget(ValidText& model, QWidget* parent = nullptr);
  ValidText& model() { return model_; }
  void Sync();
  // Fixed at 'least' pixels wide, or wider where the widget's font needs
  // more room for the widest value the model takes (or shows); it follows
  // the font when that changes.
  void SetLeastWidth(int least);

 protected:
  bool event(QEvent* e) override;
  void changeEvent(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void FitWidth();
  bool DropsTyping(const QKeyEvent* e) const;

  ValidText& model_;
  int leastWidth_ = 0;
};

class CheckBoxWidget : public QCheckBox {
  Q_OBJECT
 public:
  CheckBoxWidget(CheckBox& model, QWidget* parent = nullptr);
  void Sync();

 protected:
  void nextCheckState() override;

 private:
  CheckBox& model_;
};

class OptionButtonWidget : public QRadioButton {
  Q_OBJECT
 public:
  OptionButtonWidget(OptionButton& model, QWidget* parent = nullptr);
  void Sync();

 protected:
  void nextCheckState() override;
  void paintEvent(QPaintEvent* e) override;

 private:
  OptionButton& model_;
};

class ButtonWidget : public QPushButton {
  Q_OBJECT
 public:
  ButtonWidget(Button& model, QWidget* parent = nullptr);
  void Sync();

 private:
  Button& model_;
};

class ScrollBarWidget : public QScrollBar {
  Q_OBJECT
 public:
  ScrollBarWidget(ScrollBar& model, Qt::Orientation o, QWidget* parent = nullptr);
  void Sync();

 private:
  ScrollBar& model_;
};

// Shows a picture control's canvas at its own size in canvas units (its
// display picture, at the screen's device pixel ratio, when it has one)
// and forwards the pointer to the control's handlers.
class CanvasWidget : public QWidget {
  Q_OBJECT
 public:
  CanvasWidget(PictureBox& model, QWidget* parent = nullptr);
  PictureBox& model() { return model_; }
  QSize sizeHint() const override;
  // The press now on its way here is not passed on, nor the moves and the
  // release of its button.
  void DropPendingPress();

 protected:
  void paintEvent(QPaintEvent* e) override;
  bool event(QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  // Tells the canvas the screen's device pixel ratio; a change has the
  // picture drawn again.
  void SyncRatio();

  PictureBox& model_;
  bool dropPress_ = false;
  bool swallowing_ = false;
};

QAction* MakeAction(MenuItem& model, QObject* parent);
// The window's menu bar from its menu-item models, in control order: items
// grouped under their top-level menu, and a top-level command (an item
// whose caption is its menu's) as an action of the bar itself.
void BuildMenuBar(QMenuBar* bar, const class Form& form, QObject* parent);
// A label's or frame's caption as a QLabel / for a caption-only control.
void BindCaption(Control& model, QWidget* widget);

// A scroll area that asks for room to show all of its panel, and shrinks to
// its scroll bars when the window is made smaller: in both directions, or
// (a strip of controls) sideways only, as high as the panel.
class PanelScroll : public QScrollArea {
 public:
  PanelScroll(QWidget* panel, QWidget* parent, bool sidewaysOnly = false);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 private:
  int Bar() const;
  bool sidewaysOnly_;
};

// Runs 'refit' whenever the widget's font or style changes, for sizes
// worked out from the font (a window's fixed or least size).
void OnFontChange(QWidget* w, std::function<void()> refit);

// The model's colour as the widget's background, or the style's own.
void ApplyColours(QWidget* w, const Control& model, const Colour* fore = nullptr);

}  // namespace wlg
