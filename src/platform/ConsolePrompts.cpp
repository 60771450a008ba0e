#include "platform/ConsolePrompts.h"

#include <cstdio>

namespace wlg {

namespace {
// Message texts break lines with CR LF; a terminal wants LF alone.
std::string OneLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
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
  switch (buttons) {
    case Buttons::OKCancel:
      return Answer::OK;
    // Yes to everything never extends to throwing work away or writing a
    // file nobody named: the answer that changes nothing.
    case Buttons::SaveDiscardCancel:
      return Answer::Cancel;
    default:
      return Answer::Yes;
  }
}

std::optional<std::string> ConsolePrompts::InputBox(const std::string&, const std::string&,
                                                    const std::string&) {
  return std::nullopt;
}
std::optional<std::string> ConsolePrompts::OpenFile(const FileDialogRequest&) { return std::nullopt; }
std::optional<std::string> ConsolePrompts::SaveFile(const FileDialogRequest&) { return std::nullopt; }
std::optional<Colour> ConsolePrompts::ChooseColour(Colour) { return std::nullopt; }
bool ConsolePrompts::EditForm(const std::string&, std::vector<FormField>&) { return false; }

}  // namespace wlg
