#pragma once
// Prompts for the headless exporter: messages go to standard error; a
// question is answered Yes/OK only when the user said so with --yes,
// otherwise the export stops with the question's text. Whether to save
// changes is answered Cancel even then.

#include <stdexcept>

#include "platform/Prompts.h"

namespace wlg {

// Thrown when a question needs an answer the command line did not give.
class UnansweredQuestion : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ConsolePrompts : public Prompts {
 public:
  explicit ConsolePrompts(bool answerYes) : answerYes_(answerYes) {}

  Answer Message(const std::string& title, const std::string& text, Buttons buttons,
                 Icon icon) override;
  std::optional<std::string> InputBox(const std::string& title, const std::string& prompt,
                                      const std::string& defaultText) override;
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<Colour> ChooseColour(Colour initial) override;
  bool EditForm(const std::string& title, std::vector<FormField>& fields) override;

  // Every plain message shown so far, in order.
  const std::string& Messages() const { return messages_; }

 private:
  bool answerYes_;
  std::string messages_;
};

}  // namespace wlg
