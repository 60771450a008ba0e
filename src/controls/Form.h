#pragma once
// A window's logic: its controls as models, in window order, addressed by
// name and index as the settings store, the pattern file and undo address
// them.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "controls/Controls.h"
#include "controls/ValidText.h"

namespace wlg {

class Form {
 public:
  explicit Form(std::string name) : name_(std::move(name)) {}
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return name_; }

  template <class T, class... Args>
  T& Add(Args&&... args) {
    auto owned = std::make_unique<T>(std::forward<Args>(args)...);
    T& ref = *owned;
    controls_.push_back(std::move(owned));
    Register(ref);
    return ref;
  }

  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }

  // Exact name, or letters compared without regard to case.
  Control* Find(const std::string& name, int index) const;
  Control* FindNoCase(const std::string& name, int index) const;

  template <class T>
  T& Get(const std::string& name, int index = 0) const {
    T* c = dynamic_cast<T*>(Find(name, index));
    if (!c)
      throw std::logic_error(name_ + " has no control " + name + "(" + std::to_string(index) + ")");
    return *c;
  }
  ValidText& Entry(const std::string& name, int index = 0) const {
    return Get<ValidText>(name, index);
  }
  CheckBox& Check(const std::string& name, int index = 0) const {
    return Get<CheckBox>(name, index);
  }
  MenuItem& Menu(const std::string& name, int index = 0) const {
    return Get<MenuItem>(name, index);
  }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string c) {
    caption_ = std::move(c);
    if (onWindowChanged) onWindowChanged();
  }
  bool IsVisible() const { return visible_; }
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }

  // The view, told when the caption or visibility changes.
  std::function<void()> onWindowChanged;

  // Undo or Redo has put an earlier value back into one of this window's
  // entries: the window updates from it as after a commit, but asks nothing,
  // since the user accepted that value once.
  virtual void EntryRestored(ValidText& /*entry*/) {}

 private:
  // Lookups by name are in every handler and in every line a pattern, the
  // settings or undo carry, so they must not walk the whole window.
  struct Slots {
    std::vector<Control*> byIndex;                // the usual indices 0, 1, 2, ...
    std::vector<std::pair<int, Control*>> other;  // any other index
  };
  void Register(Control& c);
  static Control* InSlots(const Slots& slots, int index);

  void SetVisible(bool on) {
    if (visible_ == on) return;
    visible_ = on;
    if (onWindowChanged) onWindowChanged();
  }

  std::string name_;
  std::string caption_;
  bool visible_ = false;
  std::vector<std::unique_ptr<Control>> controls_;
  std::unordered_map<std::string, Slots> byName_, byUpperName_;
};

}  // namespace wlg
