#pragma once
// The per-user settings store: section "General" of application
// "Whirligons", keys to strings.

#include <memory>
#include <optional>
#include <string>

namespace wlg {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<std::string> Get(const std::string& key) const = 0;
  virtual void Set(const std::string& key, const std::string& value) = 0;
  // Writes pending values out; false when the store could not be written.
  virtual bool Flush() = 0;
};

// The user's own store (QSettings, organisation and application "Whirligons").
std::unique_ptr<SettingsStore> OpenUserSettings();
// A store kept in the given INI file, for tests and tools.
std::unique_ptr<SettingsStore> OpenSettingsFile(const std::string& path);
// A store that lives in memory only (the exporter starts from defaults).
std::unique_ptr<SettingsStore> MakeMemorySettings();

}  // namespace wlg
