#include "platform/ConsolePrompts.h"

#include <cstdio>

namespace wlg {

namespace {
std::string OneLine(std::string text) {
  for (size_t p; (p = text.find("\r\n")) != std::string::npos;) text.replace(p, 2, "\n");
  return text;
}
}  // namespace

Answer ConsolePrompts::Message(const std::string& title, const std::string& text, Buttons buttons,
                               Icon) {
  const std::string shown = OneLine(text);
  if (buttons == Buttons::OK) {
    messages_ += shown + "\n";
    std::fprintf(stderr, "%s\n", shown.c_str());
    return Answer::OK;
  }
  if (!answerYes_) throw UnansweredQuestion(title + ": " + shown);
  return buttons == Buttons::OKCancel ? Answer::OK : Answer::Yes;
}

std::optional<std::string> ConsolePrompts::InputBox(const std::string&, const std::string&,
                                                    const std::string&) {
  return std::nullopt;
}
std::optional<std::string> ConsolePrompts::OpenFile(const FileDialogRequest&) { return std::nullopt; }
std::optional<std::string> ConsolePrompts::SaveFile(const FileDialogRequest&) { return std::nullopt; }
std::optional<Colour> ConsolePrompts::ChooseColour(Colour) { return std::nullopt; }

}  // namespace wlg
