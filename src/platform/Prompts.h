#pragma once
// The one way the program asks or tells the user anything: message boxes,
// input boxes, file and colour dialogs. The GUI answers through Qt dialogs,
// the exporter through the console, tests through a script.

#include <optional>
#include <string>
#include <vector>

#include "platform/Colour.h"

namespace wlg {

// SaveDiscardCancel: whether to save unsaved changes before they would be lost.
enum class Buttons { OK, OKCancel, YesNo, YesNoCancel, SaveDiscardCancel };
enum class Icon { None, Information, Question, Warning, Critical };
enum class Answer { OK, Cancel, Yes, No, Save, Discard };

// The default title of plain messages: the application's title.
inline constexpr const char* kAppTitle = "Whirligons";

// A check box shown under a save dialog's file list. Boxes of one non-zero
// group exclude each other; at most one of them is checked.
struct FileDialogOption {
  std::string label;
  bool checked = false;
  int group = 0;
};

struct FileDialogRequest {
  std::string title;
  std::string filter;       // "Whirligon files|*.wlg"
  std::string defaultExt;   // "wlg", without the dot
  std::string initialName;  // file name offered in the dialog, or only the folder it opens in
  bool confirmOverwrite = true;
  // Save dialogs only: shown with their 'checked' states, which are set to
  // the user's choice when a file is chosen.
  std::vector<FileDialogOption>* options = nullptr;
};

// One labelled field of a form: an entry, or with 'choices' a list to pick
// from. 'value' is shown first and holds the user's entry (or choice) after.
// With 'checked' set the label is a check box, and the entry takes text only
// while it is ticked.
struct FormField {
  std::string label;
  std::string value;
  std::vector<std::string> choices;
  std::optional<bool> checked = std::nullopt;
};

class Prompts {
 public:
  virtual ~Prompts() = default;

  virtual Answer Message(const std::string& title, const std::string& text, Buttons buttons,
                         Icon icon) = 0;
  // nullopt when cancelled.
  virtual std::optional<std::string> InputBox(const std::string& title, const std::string& prompt,
                                              const std::string& defaultText) = 0;
  virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
  virtual std::optional<Colour> ChooseColour(Colour initial) = 0;
  // A dialog of fields with OK and Cancel; false when cancelled.
  virtual bool EditForm(const std::string& title, std::vector<FormField>& fields) = 0;

  // A plain message with an OK button and the application's title.
  void Tell(const std::string& text) { Message(kAppTitle, text, Buttons::OK, Icon::None); }
};

// The question asked before a file written beside the one the user chose
// replaces a file of its name: "NAME already exists.\r\nDo you want to
// replace it?" with the bare file name.
inline constexpr const char* kReplaceTitle = "Just checking";
std::string ReplaceQuestion(const std::string& path);
// True when 'path' is not an existing file, or the user lets it be replaced.
bool MayReplace(Prompts& prompts, const std::string& path);

}  // namespace wlg
