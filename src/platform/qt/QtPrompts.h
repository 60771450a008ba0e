#pragma once
#include <QWidget>

#include "platform/Prompts.h"

namespace wlg {

// Message boxes, input boxes and file and colour dialogs of Qt.
class QtPrompts : public Prompts {
 public:
  // Dialogs open over this window when it is set.
  void SetParent(QWidget* parent) { parent_ = parent; }

  Answer Message(const std::string& title, const std::string& text, Buttons buttons,
                 Icon icon) override;
  std::optional<std::string> InputBox(const std::string& title, const std::string& prompt,
                                      const std::string& defaultText) override;
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<Colour> ChooseColour(Colour initial) override;

 private:
  QWidget* parent_ = nullptr;
};

// "Whirligon files|*.wlg" -> "Whirligon files (*.wlg)"
QString QtFilter(const std::string& filter);

}  // namespace wlg
