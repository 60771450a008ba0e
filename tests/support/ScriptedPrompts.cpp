#include "support/ScriptedPrompts.h"

namespace wlg::testing {

namespace {
[[noreturn]] void Unexpected(const std::string& kind, const std::string& title,
                             const std::string& text) {
  throw std::logic_error("unexpected " + kind + " prompt: [" + title + "] " + text);
}
}  // namespace

Answer ScriptedPrompts::Message(const std::string& title, const std::string& text,
                                Buttons buttons, Icon) {
  log.push_back({"message", title, text, buttons, {}, {}});
  if (answers_.empty()) {
    if (autoOk && buttons == Buttons::OK) return Answer::OK;
    Unexpected("message", title, text);
  }
  const Answer a = answers_.front();
  answers_.pop_front();
  // Save and Discard answer only the save-changes question, and it takes
  // nothing else: a script that mixes them up is wrong, not lucky.
  const bool saveAnswer = a == Answer::Save || a == Answer::Discard;
  if (buttons == Buttons::SaveDiscardCancel ? !(saveAnswer || a == Answer::Cancel) : saveAnswer)
    throw std::logic_error("scripted answer does not fit the buttons of: [" + title + "] " + text);
  return a;
}

std::optional<std::string> ScriptedPrompts::InputBox(const std::string& title,
                                                     const std::string& prompt,
                                                     const std::string& defaultText) {
  log.push_back({"input", title, prompt, Buttons::OKCancel, defaultText, {}});
  if (inputs_.empty()) Unexpected("input", title, prompt);
  auto a = inputs_.front();
  inputs_.pop_front();
  return a;
}

std::optional<std::string> ScriptedPrompts::OpenFile(const FileDialogRequest& r) {
  log.push_back({"open", r.title, r.filter, Buttons::OKCancel, r.initialName, {}});
  if (files_.empty()) Unexpected("open", r.title, r.filter);
  auto a = files_.front();
  files_.pop_front();
  return a;
}

std::optional<std::string> ScriptedPrompts::SaveFile(const FileDialogRequest& r) {
  log.push_back({"save", r.title, r.filter, Buttons::OKCancel, r.initialName, {}});
  if (r.options)
    for (const FileDialogOption& o : *r.options) log.back().options.push_back(o.label);
  if (files_.empty()) Unexpected("save", r.title, r.filter);
  auto a = files_.front();
  files_.pop_front();
  if (a && r.options && !options_.empty()) {
    const std::vector<bool> checked = options_.front();
    options_.pop_front();
    for (size_t i = 0; i < checked.size() && i < r.options->size(); ++i)
      (*r.options)[i].checked = checked[i];
  }
  return a;
}

std::optional<Colour> ScriptedPrompts::ChooseColour(Colour) {
  log.push_back({"colour", "", "", Buttons::OKCancel, {}, {}});
  if (colours_.empty()) Unexpected("colour", "", "");
  auto a = colours_.front();
  colours_.pop_front();
  return a;
}

}  // namespace wlg::testing
