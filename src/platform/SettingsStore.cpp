#include "platform/SettingsStore.h"

#include <QSettings>
#include <map>

namespace wlg {
namespace {

class QtSettingsStore : public SettingsStore {
 public:
  explicit QtSettingsStore(std::unique_ptr<QSettings> s) : settings_(std::move(s)) {
    settings_->beginGroup("General");
  }
  std::optional<std::string> Get(const std::string& key) const override {
    const QString k = QString::fromStdString(key);
    if (!settings_->contains(k)) return std::nullopt;
    // A garbage value of another type still reads as some text; the control
    // that receives it validates it.
    return settings_->value(k).toString().toStdString();
  }
  void Set(const std::string& key, const std::string& value) override {
    settings_->setValue(QString::fromStdString(key), QString::fromStdString(value));
  }
  bool Flush() override {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
  }

 private:
  std::unique_ptr<QSettings> settings_;
};

class MemoryStore : public SettingsStore {
 public:
  std::optional<std::string> Get(const std::string& key) const override {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }
  void Set(const std::string& key, const std::string& value) override { values_[key] = value; }
  bool Flush() override { return true; }

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace

std::unique_ptr<SettingsStore> OpenUserSettings() {
  return std::make_unique<QtSettingsStore>(std::make_unique<QSettings>(
      QSettings::IniFormat, QSettings::UserScope, "Whirligons", "Whirligons"));
}

std::unique_ptr<SettingsStore> OpenSettingsFile(const std::string& path) {
  return std::make_unique<QtSettingsStore>(
      std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat));
}

std::unique_ptr<SettingsStore> MakeMemorySettings() { return std::make_unique<MemoryStore>(); }

}  // namespace wlg
