#include "shell/RegMod.h"

#include <filesystem>
#include <system_error>

#include "platform/DataDir.h"

namespace wlg {

namespace {
constexpr const char* CRLF = "\r\n";

enum class SetResult { Done, KeyNotOpened, WriteFailed };

SetResult SetString(KeyStore& store, Prompts& prompts, const std::string& subkey,
                    const std::string& valueName, const std::string& value) {
  if (!store.OpenKey(subkey)) return SetResult::KeyNotOpened;
  if (!store.SetValue(subkey, valueName, value)) {
    prompts.Tell("Unable to set value of " + valueName + " to subkey " + subkey);
    return SetResult::WriteFailed;
  }
  return SetResult::Done;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// Characters that may stand in a desktop entry's command without quotes.
bool PlainInCommand(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '/' || c == '.' || c == '_' || c == '-' || c == '+' || c == ',' || c == ':';
}

// The steps of the registration; false when one of them stopped it.
bool Register(KeyStore& store, Prompts& prompts, const FileAssociation& a) {
  auto tell = [&prompts](const std::string& text) { prompts.Tell(text); };
  const std::string& ext = a.extension;
  const std::string& title = a.title;

  if (ext.size() <= 1) return tell("No file extension entered yet"), false;
  if (title.empty()) return tell("No titel ref entered yet"), false;
  if (a.programPath.empty()) return tell("No association file spec entered yet"), false;
  if (!FileExists(a.programPath)) return tell(a.programPath + " not found"), false;

  if (store.OpenKey(ext)) {
    std::string old = store.QueryValue(ext, "").value_or("");
    old = old.substr(0, old.find('\0')).substr(0, 255);
    std::string question = "\"" + ext + "\" already in registry";
    if (!old.empty()) question += CRLF + std::string("for \"") + old + "\"";
    question += CRLF + std::string("Proceed still?");
    if (prompts.Message(kAppTitle, question, Buttons::YesNo, Icon::Question) != Answer::Yes)
      return false;
    // The registration goes on whatever is left of the old one.
    if (!DeleteKeyTree(store, prompts, ext))
      tell("Failed to complete deletion of old association of " + ext);
    if (!old.empty() && !DeleteKeyTree(store, prompts, old))
      tell("Failed to complete deletion of old association of " + old);
  }

  if (store.OpenKey(title)) {
    const std::string question =
        "Title Ref already in existence in the registery." + std::string(CRLF) + "Proceed still?";
    if (prompts.Message(kAppTitle, question, Buttons::YesNo, Icon::Question) != Answer::Yes)
      return false;
  }

  // A failed write has told the user already; an unopenable key has not.
  auto set = [&](const std::string& key, const std::string& value, const std::string& failure) {
    const SetResult r = SetString(store, prompts, key, "", value);
    if (r == SetResult::KeyNotOpened) tell(failure);
    return r == SetResult::Done;
  };

  if (!store.CreateKey(ext)) return tell("Unable to create " + ext), false;
  if (!set(ext, title, "Unable to set value of  to subkey " + ext)) return false;

  const std::string command = title + "\\shell\\open\\command";
  if (!store.CreateKey(title)) return tell("Unable to create " + title), false;
  if (!store.CreateKey(command)) return tell("Unable to create " + command), false;
  if (!set(command, OpenCommand(a.programPath), "Unable to set value to " + command)) return false;

  const std::string icon = title + "\\DefaultIcon";
  if (!store.CreateKey(icon)) return tell("Unable create " + icon), false;
  if (!set(icon, a.iconPath, "Unable to set value to " + icon)) return false;
  return true;
}
}  // namespace

FileAssociation DefaultFileAssociation() {
  FileAssociation a;
  a.programPath = ProgramFolder() + "/whirligons";
  a.iconPath = DataDir() + "/desktop/whirligons.svg";
  return a;
}

std::string OpenCommand(const std::string& programPath) {
  bool plain = true;
  for (char c : programPath) plain = plain && PlainInCommand(c);
  if (plain) return programPath + " %f";
  // Quoted, with the characters that stay special inside quotes escaped.
  std::string quoted = "\"";
  for (char c : programPath) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\" %f";
}

bool SetStringValue(KeyStore& store, Prompts& prompts, const std::string& subkey,
                    const std::string& valueName, const std::string& value) {
  return SetString(store, prompts, subkey, valueName, value) == SetResult::Done;
}

std::string FirstSubkey(KeyStore& store, Prompts& prompts, const std::string& key) {
  if (!store.OpenKey(key)) {
    prompts.Tell("Unable to open " + key);
    return {};
  }
  return store.EnumSubkey(key, 0);
}

bool DeleteKeyTree(KeyStore& store, Prompts& prompts, const std::string& key) {
  // Nothing there is nothing to delete.
  if (!store.OpenKey(key)) return true;
  std::string path = key;
  for (;;) {
    const std::string sub = FirstSubkey(store, prompts, path);
    if (!sub.empty()) {
      path += "\\" + sub;
      continue;
    }
    // A key that will not go would be found again and again.
    if (!store.DeleteKey(path) || path.size() <= key.size()) break;
    path.erase(path.rfind('\\'));
  }
  return !store.OpenKey(key);
}

void RegisterFileType(KeyStore& store, Prompts& prompts, const FileAssociation& association) {
  const bool done = Register(store, prompts, association);
  // Whatever was written, also by a registration that stopped half way, is
  // made known to the desktop.
  if (const std::string failed = store.Refresh(); !failed.empty())
    prompts.Tell("The desktop could not take in the change: " + failed + " failed");
  if (done)
    prompts.Tell(association.extension + " has been registered successfully" + CRLF +
                 "You can now open a " + association.extension +
                 " file by double clicking on it in your file manager");
}

void RegisterFileTypeCommand(KeyStore& store, Prompts& prompts,
                             const FileAssociation& association) {
  const std::string text =
      "This will register .wlg files so they can be opened by double-clicking on them in your "
      "file manager" +
      std::string(CRLF) + "Enter OK to continue";
  if (prompts.Message(kAppTitle, text, Buttons::OKCancel, Icon::None) == Answer::OK)
    RegisterFileType(store, prompts, association);
}

}  // namespace wlg
