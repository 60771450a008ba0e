#pragma once
// Prompts answered from a script: every prompt is recorded, and answered
// with the next queued answer of its kind. A prompt with no answer queued
// throws, so an unexpected question fails the test.

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Prompts.h"

namespace wlg::testing {

struct PromptRecord {
  std::string kind;  // "message", "input", "open", "save", "colour"
  std::string title;
  std::string text;  // message text, input prompt, or file filter
  Buttons buttons = Buttons::OK;
  std::string defaultText;  // input default, file dialog initial name
  std::vector<std::string> options;  // a save dialog's check boxes
};

class ScriptedPrompts : public Prompts {
 public:
  // Queue answers.
  void Answer_(Answer a) { answers_.push_back(a); }
  void Input(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
  void File(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  // The next save dialog's check boxes are set to these (by position).
  void FileOptions(std::vector<bool> checked) { options_.push_back(std::move(checked)); }
  void Colour_(std::optional<Colour> c) { colours_.push_back(c); }
  // Plain OK messages are answered without a script when this is set.
  bool autoOk = false;

  Answer Message(const std::string& title, const std::string& text, Buttons buttons,
                 Icon icon) override;
  std::optional<std::string> InputBox(const std::string& title, const std::string& prompt,
                                      const std::string& defaultText) override;
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  std::optional<Colour> ChooseColour(Colour initial) override;

  std::vector<PromptRecord> log;
  bool AllAnswered() const {
    return answers_.empty() && inputs_.empty() && files_.empty() && colours_.empty() &&
           options_.empty();
  }

 private:
  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> inputs_;
  std::deque<std::optional<std::string>> files_;
  std::deque<std::optional<Colour>> colours_;
  std::deque<std::vector<bool>> options_;
};

}  // namespace wlg::testing
