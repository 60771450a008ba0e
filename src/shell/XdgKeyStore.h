#pragma once
// The association's keys as freedesktop files in the user's data folder
// ($XDG_DATA_HOME, by default ~/.local/share):
//   ".wlg"                          mime/packages/whirligons-wlg.xml, a
//                                   shared-mime-info package giving *.wlg the
//                                   type application/x-<title>; its default
//                                   value is the title
//   "<Title>"                       applications/<title>.desktop, and for
//                                   the program's own title its desktop id
//                                   (io.github.whirligons.Whirligons.desktop),
//                                   replacing a whirligons.desktop from before
//   "<Title>\shell\open\command"    that entry's Exec line
//   "<Title>\DefaultIcon"           its Icon line; set to an icon file, the
//                                   file is copied into icons/hicolor
// Key names are compared without regard to case, file names are in lower
// case. Refresh runs update-mime-database, update-desktop-database and
// xdg-mime default, each only when it is installed.

#include <map>
#include <set>
#include <string>

#include "shell/RegMod.h"

namespace wlg {

class XdgKeyStore : public KeyStore {
 public:
  explicit XdgKeyStore(std::string dataHome);
  // $XDG_DATA_HOME when set to an absolute path, else $HOME/.local/share.
  static std::string UserDataHome();

  bool OpenKey(const std::string& key) override;
  bool CreateKey(const std::string& key) override;
  std::optional<std::string> QueryValue(const std::string& key, const std::string& name) override;
  bool SetValue(const std::string& key, const std::string& name,
                const std::string& value) override;
  std::string EnumSubkey(const std::string& key, int index) override;
  bool DeleteKey(const std::string& key) override;
  std::string Refresh() override;

  // Where a root key's file lives.
  std::string PackageFile(const std::string& extension) const;
  std::string DesktopFile(const std::string& title) const;
  // The entry's file name: the title in lower case, the desktop id for ours.
  static std::string DesktopName(const std::string& title);
  std::string IconFile(const std::string& title, const std::string& iconExtension) const;

 private:
  struct Key {
    std::string name;                           // as created
    std::map<std::string, std::string> values;  // "" = default value
  };
  // Loads a root key (and what lies below it) from its file, once.
  void Load(const std::string& root);
  // Rewrites a root key's file from the keys; false when that failed.
  bool Save(const std::string& root);
  static bool Representable(const std::string& lowerKey);
  // Where the entry was kept before it took the desktop id.
  std::string OldDesktopFile(const std::string& title) const;

  std::string dataHome_;
  std::map<std::string, Key> keys_;  // by lower-case path
  std::set<std::string> loaded_;     // lower-case roots
  bool changed_ = false;
};

}  // namespace wlg
