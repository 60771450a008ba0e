#pragma once
// Registering the pattern file type with the desktop, so that a double-click
// on a .wlg file opens the program. The question-and-message flow works on a
// small store of keys and values (names joined by "\"); XdgKeyStore maps it
// onto the freedesktop files of the user's data folder.

#include <optional>
#include <string>

#include "platform/Prompts.h"

namespace wlg {

class KeyStore {
 public:
  virtual ~KeyStore() = default;
  // Whether the key exists and can be opened.
  virtual bool OpenKey(const std::string& key) = 0;
  // Creates the key and any missing parents; true when it exists afterwards.
  virtual bool CreateKey(const std::string& key) = 0;
  // A value of the key ("" names the default value); nullopt when unset.
  virtual std::optional<std::string> QueryValue(const std::string& key,
                                                const std::string& name) = 0;
  virtual bool SetValue(const std::string& key, const std::string& name,
                        const std::string& value) = 0;
  // The name of the key's subkey number 'index' (from 0); empty past the last.
  virtual std::string EnumSubkey(const std::string& key, int index) = 0;
  // Deletes a key that has no subkeys.
  virtual bool DeleteKey(const std::string& key) = 0;
  // Tells the desktop about what was changed. Returns the names of the
  // tools that failed, empty when all went well.
  virtual std::string Refresh() { return {}; }
};

inline constexpr const char* kAssociationTitle = "Whirligons";

// What is registered: the extension, the title key naming the file type's
// opener, the program that opens the files and its icon.
struct FileAssociation {
  std::string extension = ".wlg";
  std::string title = kAssociationTitle;
  std::string programPath;
  std::string iconPath;
};

// The program beside the running one and the icon shipped in the data folder.
FileAssociation DefaultFileAssociation();

// The command a double-click runs: the program with the file as argument.
std::string OpenCommand(const std::string& programPath);

// Sets a string value; an unopenable key fails silently, a failed write
// with a message.
bool SetStringValue(KeyStore& store, Prompts& prompts, const std::string& subkey,
                    const std::string& valueName, const std::string& value);
// The key's first subkey, empty when it has none or cannot be opened (then
// with a message).
std::string FirstSubkey(KeyStore& store, Prompts& prompts, const std::string& key);
// Deletes the key with everything below it; true when it is gone.
bool DeleteKeyTree(KeyStore& store, Prompts& prompts, const std::string& key);

void RegisterFileType(KeyStore& store, Prompts& prompts, const FileAssociation& association);

// The Help menu's command: explains, asks for OK, then registers.
void RegisterFileTypeCommand(KeyStore& store, Prompts& prompts,
                             const FileAssociation& association);

}  // namespace wlg
