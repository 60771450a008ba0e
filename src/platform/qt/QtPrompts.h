#pragma once
#include <QPointer>
#include <QWidget>

class QMessageBox;

#include "platform/Prompts.h"

namespace wlg {

// Message boxes, input boxes and file and colour dialogs of Qt.
class QtPrompts : public Prompts {
 public:
  // Every message box of the program, Qt's own included, is made wide
  // enough to show its whole title (see FitTitle).
  QtPrompts();
  // Dialogs open over the program's active window, so that the window the
  // command came from stays on top; over this one when no window of the
  // program is active.
  void SetParent(QWidget* parent) { parent_ = parent; }
  // The window the next dialog opens over.
  QWidget* DialogParent() const;

  Answer Message(const std::string& title, const std::string& text, Buttons buttons,
                 Icon icon) override;
  std::optional<std::string> InputBox(const std::string& title, const std::string& prompt,
                                      const std::string& defaultText) override;
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<Colour> ChooseColour(Colour initial) override;
  bool EditForm(const std::string& title, std::vector<FormField>& fields) override;

 private:
  QWidget* parent_ = nullptr;
  // Where the last dialog opened: between two dialogs of one command no
  // window is active yet, and the second belongs where the first did.
  mutable QPointer<QWidget> lastParent_;
};

// "Whirligon files|*.wlg" -> "Whirligon files (*.wlg)"
QString QtFilter(const std::string& filter);

// Qt leaves a message box only 50 pixels beside its title, so window
// managers with several title bar buttons and a bold title font cut it
// short. This widens the box (once) to the title's bold width plus room for
// the buttons; QMessageBox sizes itself from its layout, so the room is a
// spacer there. Run before the box is shown.
void FitTitle(QMessageBox& box);

// Shown in a save dialog of Qt's own while the typed name, with the default
// extension it will get, is longer than the folder's file system allows:
// Qt then greys out Save without a word. MaxBytes is that limit.
QString NameTooLongText(long maxBytes);

}  // namespace wlg
