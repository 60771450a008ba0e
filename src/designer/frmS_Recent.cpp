// The File menu's list of recent pattern files, and pattern files dropped
// on the window: both open through the command-line path of File/Open.

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "designer/frmS.h"

namespace wlg {

namespace {
std::string RecentKey(int i) { return "RecentFile" + std::to_string(i + 1); }

// The same file always gets the same entry, however it was named.
std::string FullPath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

// A menu caption shows '&' only when doubled.
std::string MenuText(const std::string& s) {
  std::string out;
  for (char c : s) {
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}
}  // namespace

void frmS::CreateRecentFileItems() {
  Add<MenuItem>("mnuFileRecentBar", 0, "-", "&File").SetVisible(false);
  for (int i = 0; i < RecentFileCount; ++i)
    Add<MenuItem>("mnuFileRecent", i, "", "&File").SetVisible(false);
}

void frmS::WireRecentFiles() {
  for (int i = 0; i < RecentFileCount; ++i) {
    const auto path = settings_.Get(RecentKey(i));
    if (path && !path->empty() &&
        std::find(recentFiles_.begin(), recentFiles_.end(), *path) == recentFiles_.end())
      recentFiles_.push_back(*path);
    Menu("mnuFileRecent", i).onClick = [this](int index) { mnuFileRecent_Click(index); };
  }
  ShowRecentFiles();
}

void frmS::ShowRecentFiles() {
  const int count = static_cast<int>(recentFiles_.size());
  Menu("mnuFileRecentBar").SetVisible(count > 0);
  for (int i = 0; i < RecentFileCount; ++i) {
    MenuItem& item = Menu("mnuFileRecent", i);
    item.SetCaption(i < count ? "&" + std::to_string(i + 1) + " " + MenuText(recentFiles_[i]) : "");
    item.SetVisible(i < count);
  }
}

void frmS::SaveRecentFiles() {
  for (int i = 0; i < RecentFileCount; ++i)
    settings_.Set(RecentKey(i), i < static_cast<int>(recentFiles_.size()) ? recentFiles_[i] : "");
  settings_.Flush();
  ShowRecentFiles();
}

void frmS::RememberRecentFile(const std::string& path) {
  const std::string full = FullPath(path);
  recentFiles_.erase(std::remove(recentFiles_.begin(), recentFiles_.end(), full),
                     recentFiles_.end());
  recentFiles_.insert(recentFiles_.begin(), full);
  if (recentFiles_.size() > RecentFileCount) recentFiles_.resize(RecentFileCount);
  SaveRecentFiles();
}

void frmS::mnuFileRecent_Click(int index) {
  if (index < 0 || index >= static_cast<int>(recentFiles_.size())) return;
  const std::string path = recentFiles_[index];
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    recentFiles_.erase(recentFiles_.begin() + index);
    SaveRecentFiles();
    p_.prompts.Tell("The pattern file " + path + " is no longer there." + "\r\n" +
                    "It has been taken off the list of recent files.");
    return;
  }
  OpenPatternFile(path);
}

void frmS::OpenPatternFile(const std::string& path) {
  commandLineFile_ = path;
  CommandLineLoad = true;
  mnuFileLoad_Click();
  CommandLineLoad = false;
}

}  // namespace wlg
