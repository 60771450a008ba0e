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
  std::string defaultText;           // input default, file dialog initial name
  std::vector<std::string> options;  // a save dialog's check boxes
};

class ScriptedPrompts : public Prompts {
 public:
  void Answer_(Answer a) { answers_.push_back(a); }
  void Input(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
  void File(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  // The next save dialog's check boxes are set to these (by position).
  void FileOptions(std::vector<bool> checked) { options_.push_back(std::move(checked)); }
  void Colour_(std::optional<Colour> c) { colours_.push_back(c); }
  // The next form's values by position, or nullopt to cancel it. A check
  // box field is unticked by "" and ticked by any other value, its entry's.
  void Form(std::optional<std::vector<std::string>> values) { forms_.push_back(std::move(values)); }
  // Plain OK messages are answered without a script when this is set.
  bool autoOk = false;

  Answer Message(const std::string& title, const std::string& text, Buttons buttons,
                 Icon) override {
    log.push_back({"message", title, text, buttons, {}, {}});
    if (answers_.empty() && autoOk && buttons == Buttons::OK) return Answer::OK;
    const Answer a = Next(answers_);
    // Save and Discard answer only the save-changes question, and it takes
    // nothing else: a script that mixes them up is wrong, not lucky.
    const bool saveAnswer = a == Answer::Save || a == Answer::Discard;
    if (buttons == Buttons::SaveDiscardCancel ? !(saveAnswer || a == Answer::Cancel) : saveAnswer)
      throw std::logic_error("scripted answer does not fit the buttons of: [" + title + "] " +
                             text);
    return a;
  }
  std::optional<std::string> InputBox(const std::string& title, const std::string& prompt,
                                      const std::string& defaultText) override {
    log.push_back({"input", title, prompt, Buttons::OKCancel, defaultText, {}});
    return Next(inputs_);
  }
  std::optional<std::string> OpenFile(const FileDialogRequest& r) override {
    log.push_back({"open", r.title, r.filter, Buttons::OKCancel, r.initialName, {}});
    return Next(files_);
  }
  std::optional<std::string> SaveFile(const FileDialogRequest& r) override {
    log.push_back({"save", r.title, r.filter, Buttons::OKCancel, r.initialName, {}});
    if (r.options)
      for (const FileDialogOption& o : *r.options) log.back().options.push_back(o.label);
    auto a = Next(files_);
    if (a && r.options && !options_.empty()) {
      const std::vector<bool> checked = Next(options_);
      for (size_t i = 0; i < checked.size() && i < r.options->size(); ++i)
        (*r.options)[i].checked = checked[i];
    }
    return a;
  }
  std::optional<Colour> ChooseColour(Colour) override {
    log.push_back({"colour", "", "", Buttons::OKCancel, {}, {}});
    return Next(colours_);
  }

  bool EditForm(const std::string& title, std::vector<FormField>& fields) override {
    log.push_back({"form", title, "", Buttons::OKCancel, {}, {}});
    for (const FormField& f : fields)
      log.back().options.push_back(f.label + "=" + (f.checked ? *f.checked ? "[x]" : "[ ]" : "") +
                                   f.value);
    const auto values = Next(forms_);
    if (!values) return false;
    for (size_t i = 0; i < values->size() && i < fields.size(); ++i) {
      const std::string& v = (*values)[i];
      if (fields[i].checked) fields[i].checked = !v.empty();
      if (!v.empty() || !fields[i].checked) fields[i].value = v;
    }
    return true;
  }

  std::vector<PromptRecord> log;
  bool AllAnswered() const {
    return answers_.empty() && inputs_.empty() && files_.empty() && colours_.empty() &&
           options_.empty() && forms_.empty();
  }

 private:
  // The next queued answer to the prompt just logged.
  template <class T>
  T Next(std::deque<T>& queue) {
    if (queue.empty())
      throw std::logic_error("unexpected prompt: [" + log.back().title + "] " + log.back().text);
    T a = std::move(queue.front());
    queue.pop_front();
    return a;
  }
  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> inputs_, files_;
  std::deque<std::optional<Colour>> colours_;
  std::deque<std::vector<bool>> options_;
  std::deque<std::optional<std::vector<std::string>>> forms_;
};

}  // namespace wlg::testing
