#pragma once
// Models of a window's controls. A form owns them in window order; views
// show them and forward the user's actions; handlers are plain callbacks.
// Values set from code reach the view through Refresh().

#include <functional>
#include <string>
#include <vector>

#include "platform/Colour.h"

namespace wlg {

enum class ControlKind {
  Entry,         // ValidText, names "vs..." / "vt..."
  CheckBox,      // "chk..." (and the editor's CheckFlip / checkCopy)
  OptionButton,  // "opt..."
  ScrollBar,
  Button,        // "cmd..."
  MenuItem,      // "mnu..."
  Label,
  Frame,         // "fra..."
  Picture,       // "pic..."
  TextBox,       // "txt..."
};

class Control {
 public:
  Control(std::string name, int index, ControlKind kind)
      : name_(std::move(name)), index_(index), kind_(kind) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }
  int Index() const { return index_; }
  ControlKind Kind() const { return kind_; }

  // The view of this control, told whenever code changes what it shows.
  std::function<void()> onRefresh;
  void Refresh() {
    if (onRefresh) onRefresh();
  }

  void SetEnabled(bool on) {
    if (enabled_ == on) return;
    enabled_ = on;
    Refresh();
  }
  bool Enabled() const { return enabled_; }
  void SetVisible(bool on) {
    if (visible_ == on) return;
    visible_ = on;
    Refresh();
  }
  bool Visible() const { return visible_; }
  void SetCaption(std::string c) {
    caption_ = std::move(c);
    Refresh();
  }
  const std::string& Caption() const { return caption_; }
  void SetToolTip(std::string t) { toolTip_ = std::move(t); }
  const std::string& ToolTip() const { return toolTip_; }
  void SetBackColour(Colour c) {
    backColour_ = c;
    hasBackColour_ = true;
    Refresh();
  }
  // Back to the style's own colour.
  void ResetBackColour() {
    hasBackColour_ = false;
    Refresh();
  }
  bool HasBackColour() const { return hasBackColour_; }
  Colour BackColour() const { return backColour_; }

 private:
  std::string name_;
  int index_;
  ControlKind kind_;
  bool enabled_ = true;
  bool visible_ = true;
  std::string caption_;
  std::string toolTip_;
  bool hasBackColour_ = false;
  Colour backColour_ = 0;
};

// A check box: 0 clear, 1 checked, 2 greyed. Like the platform's boxes, it
// reports a click also when code changes its value.
class CheckBox : public Control {
 public:
  CheckBox(std::string name, int index, std::string caption = {})
      : Control(std::move(name), index, ControlKind::CheckBox) {
    SetCaption(std::move(caption));
  }
  int Value() const { return value_; }
  bool Checked() const { return value_ == 1; }
  void SetValue(int v);
  // The user clicked it.
  void UserClick() { SetValue(value_ == 1 ? 0 : 1); }

  std::function<void(int index)> onClick;

 private:
  int value_ = 0;
};

// Option buttons sharing a group: switching one on switches the others off.
class OptionButton : public Control {
 public:
  OptionButton(std::string name, int index, std::string caption, std::vector<OptionButton*>* group)
      : Control(std::move(name), index, ControlKind::OptionButton), group_(group) {
    SetCaption(std::move(caption));
  }
  bool Value() const { return value_; }
  // Switching on raises the click (only when it was off); switching off is silent.
  void SetValue(bool on);
  void UserClick() { SetValue(true); }
  // A coloured row's back colour and the text colour that reads on it.
  void SetRowColours(Colour back, Colour text) {
    textColour_ = text;
    SetBackColour(back);
  }
  Colour TextColour() const { return textColour_; }
  // Switches on without raising the click.
  void SetValueQuietly(bool on) {
    auto handler = std::move(onClick);
    onClick = nullptr;
    SetValue(on);
    onClick = std::move(handler);
  }

  std::function<void(int index)> onClick;

 private:
  bool value_ = false;
  Colour textColour_ = 0;
  std::vector<OptionButton*>* group_;
};

class ScrollBar : public Control {
 public:
  ScrollBar(std::string name, int index, int min, int max, int value, int largeChange = 10)
      : Control(std::move(name), index, ControlKind::ScrollBar),
        min_(min), max_(max), value_(value), largeChange_(largeChange) {}
  int Value() const { return value_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int LargeChange() const { return largeChange_; }
  // Clamps; raises the change only when the value moves.
  void SetValue(int v);
  std::function<void(int index)> onChange;

 private:
  int min_, max_, value_, largeChange_;
};

class Button : public Control {
 public:
  Button(std::string name, int index, std::string caption)
      : Control(std::move(name), index, ControlKind::Button) {
    SetCaption(std::move(caption));
  }
  void UserClick() {
    if (onClick) onClick(Index());
  }
  std::function<void(int index)> onClick;
};

class MenuItem : public Control {
 public:
  MenuItem(std::string name, int index, std::string caption, std::string menu,
           std::string shortcut = {})
      : Control(std::move(name), index, ControlKind::MenuItem),
        menu_(std::move(menu)), shortcut_(std::move(shortcut)) {
    SetCaption(std::move(caption));
  }
  // The top-level menu this item belongs to, e.g. "&File".
  const std::string& Menu() const { return menu_; }
  const std::string& Shortcut() const { return shortcut_; }
  bool Separator() const { return Caption() == "-"; }
  bool Checkable() const { return checkable_; }
  void SetCheckable(bool on) { checkable_ = on; }
  bool Checked() const { return checked_; }
  void SetChecked(bool on) {
    if (checked_ == on) return;
    checked_ = on;
    Refresh();
  }
  void UserClick() {
    if (Enabled() && onClick) onClick(Index());
  }
  std::function<void(int index)> onClick;

 private:
  std::string menu_;
  std::string shortcut_;
  bool checkable_ = false;
  bool checked_ = false;
};

// Labels, frames and plain text boxes: a caption and nothing else.
class StaticControl : public Control {
 public:
  StaticControl(std::string name, int index, ControlKind kind, std::string text)
      : Control(std::move(name), index, kind) {
    SetCaption(std::move(text));
  }
};

}  // namespace wlg
