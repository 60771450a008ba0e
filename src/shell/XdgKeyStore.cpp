#include "shell/XdgKeyStore.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/SafeFile.h"

extern char** environ;

namespace wlg {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string RootOf(const std::string& key) { return key.substr(0, key.find('\\')); }

bool IsExtension(const std::string& root) { return !root.empty() && root[0] == '.'; }

// Letters, digits and a few marks: safe in file names, MIME types and XML.
bool PlainName(const std::string& s, size_t from = 0) {
  if (s.size() <= from) return false;
  for (size_t i = from; i < s.size(); ++i) {
    const char c = s[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-' || c == '+' || (c == '.' && i > 0);
    if (!ok) return false;
  }
  return true;
}

constexpr const char* kCommand = "\\shell\\open\\command";
constexpr const char* kIcon = "\\defaulticon";
constexpr const char* kTypePrefix = "application/x-";

std::optional<std::string> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool RemoveFile(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
  return !ec;
}

bool WriteFile(const std::string& path, const std::string& text) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (ec) return false;
  return WriteFileAtomically(path, text, nullptr);
}

// Desktop entry strings escape backslashes and control characters.
std::string EscapeDesktop(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::string UnescapeDesktop(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    switch (s[++i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      default: out += s[i];
    }
  }
  return out;
}

// The value of "Key=" in a desktop entry's main group.
std::optional<std::string> DesktopValue(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  std::string line;
  bool mainGroup = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      mainGroup = line == "[Desktop Entry]";
      continue;
    }
    if (!mainGroup || line.compare(0, key.size() + 1, key + "=") != 0) continue;
    return UnescapeDesktop(line.substr(key.size() + 1));
  }
  return std::nullopt;
}

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    const std::string candidate = dir + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

enum class Run { Missing, Succeeded, Failed };

// Runs a tool when it is installed, its output out of sight.
Run RunTool(const std::string& name, const std::vector<std::string>& args) {
  const std::string program = FindProgram(name);
  if (program.empty()) return Run::Missing;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return Run::Failed;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return Run::Failed;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Run::Succeeded : Run::Failed;
}

}  // namespace

XdgKeyStore::XdgKeyStore(std::string dataHome) : dataHome_(std::move(dataHome)) {}

std::string XdgKeyStore::UserDataHome() {
  if (const char* d = std::getenv("XDG_DATA_HOME"); d && d[0] == '/') return d;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.local/share";
}

std::string XdgKeyStore::PackageFile(const std::string& extension) const {
  return dataHome_ + "/mime/packages/whirligons-" + Lower(extension.substr(1)) + ".xml";
}

namespace {
bool IsOurs(const std::string& title) { return Lower(title) == Lower(kAssociationTitle); }
}  // namespace

std::string XdgKeyStore::DesktopName(const std::string& title) {
  // The program's own entry takes the installed entry's name, so that it
  // stands in for that one instead of showing twice in the menus.
  return (IsOurs(title) ? std::string(WHIRLIGONS_APP_ID) : Lower(title)) + ".desktop";
}

std::string XdgKeyStore::DesktopFile(const std::string& title) const {
  return dataHome_ + "/applications/" + DesktopName(title);
}

std::string XdgKeyStore::OldDesktopFile(const std::string& title) const {
  return dataHome_ + "/applications/" + Lower(title) + ".desktop";
}

std::string XdgKeyStore::IconFile(const std::string& title, const std::string& iconExtension) const {
  const std::string size = iconExtension == ".svg" ? "scalable" : "48x48";
  return dataHome_ + "/icons/hicolor/" + size + "/apps/" + Lower(title) + iconExtension;
}

bool XdgKeyStore::Representable(const std::string& key) {
  const std::string root = RootOf(key);
  if (IsExtension(root)) return key == root && PlainName(root, 1);
  if (!PlainName(root)) return false;
  const std::string sub = key.substr(root.size());
  return sub.empty() || sub == "\\shell" || sub == "\\shell\\open" || sub == kCommand ||
         sub == kIcon;
}

void XdgKeyStore::Load(const std::string& root) {
  if (!loaded_.insert(root).second) return;
  if (IsExtension(root)) {
    const auto text = ReadWhole(PackageFile(root));
    if (!text) return;
    Key& k = keys_[root];
    k.name = root;
    const std::string marker = std::string("type=\"") + kTypePrefix;
    if (const size_t at = text->find(marker); at != std::string::npos) {
      const size_t from = at + marker.size();
      k.values[""] = text->substr(from, text->find('"', from) - from);
    }
    return;
  }
  auto text = ReadWhole(DesktopFile(root));
  if (!text) text = ReadWhole(OldDesktopFile(root));
  if (!text) return;
  keys_[root].name = DesktopValue(*text, "Name").value_or(root);
  if (const auto exec = DesktopValue(*text, "Exec")) {
    keys_[root + "\\shell"].name = "shell";
    keys_[root + "\\shell\\open"].name = "open";
    Key& command = keys_[root + kCommand];
    command.name = "command";
    command.values[""] = *exec;
  }
  if (const auto icon = DesktopValue(*text, "Icon")) {
    Key& k = keys_[root + kIcon];
    k.name = "DefaultIcon";
    k.values[""] = *icon;
  }
}

bool XdgKeyStore::Save(const std::string& root) {
  changed_ = true;
  const auto found = keys_.find(root);
  if (IsExtension(root)) {
    if (found == keys_.end()) return RemoveFile(PackageFile(root));
    const std::string title = found->second.values[""];
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    if (!title.empty()) {
      if (!PlainName(title)) return false;
      xml += "  <mime-type type=\"" + std::string(kTypePrefix) + Lower(title) + "\">\n"
             "    <comment>" + title + " pattern</comment>\n"
             "    <icon name=\"" + Lower(title) + "\"/>\n"
             "    <glob pattern=\"*" + root + "\"/>\n"
             "  </mime-type>\n";
    }
    xml += "</mime-info>\n";
    return WriteFile(PackageFile(root), xml);
  }

  auto removeIcons = [&] { return RemoveFile(IconFile(root, ".svg")) && RemoveFile(IconFile(root, ".png")); };
  // An entry written under its earlier name gives way to the current one.
  if (OldDesktopFile(root) != DesktopFile(root) && !RemoveFile(OldDesktopFile(root))) return false;
  if (found == keys_.end()) return RemoveFile(DesktopFile(root)) && removeIcons();

  std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=" + EscapeDesktop(found->second.name) + "\n"
      "GenericName=Pattern designer\n"
      "Comment=Design ornamental polygon patterns for the plane, solids and the sphere\n";
  if (const auto c = keys_.find(root + kCommand); c != keys_.end())
    entry += "Exec=" + EscapeDesktop(c->second.values[""]) + "\n";
  const auto icon = keys_.find(root + kIcon);
  const std::string iconValue = icon == keys_.end() ? "" : icon->second.values[""];
  if (!iconValue.empty() && iconValue[0] == '/') {
    // An icon file goes into the user's icon theme under the entry's name.
    const std::string ext = Lower(fs::path(iconValue).extension().string());
    if (ext != ".svg" && ext != ".png") return false;
    const std::string target = IconFile(root, ext);
    std::error_code ec;
    fs::create_directories(fs::path(target).parent_path(), ec);
    if (ec || !fs::is_regular_file(iconValue, ec)) return false;
    fs::copy_file(iconValue, target, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    entry += "Icon=" + root + "\n";
  } else if (!iconValue.empty()) {
    entry += "Icon=" + EscapeDesktop(iconValue) + "\n";
  } else if (!removeIcons()) {
    return false;
  }
  entry += "Terminal=false\n";
  // Our windows' X11 class, so that docks group them under this entry.
  if (IsOurs(root)) entry += "StartupWMClass=Whirligons\n";
  entry += "MimeType=" + std::string(kTypePrefix) + root + ";\nCategories=Graphics;\n";
  return WriteFile(DesktopFile(root), entry);
}

bool XdgKeyStore::OpenKey(const std::string& key) {
  const std::string k = Lower(key);
  Load(RootOf(k));
  return keys_.count(k) != 0;
}

bool XdgKeyStore::CreateKey(const std::string& key) {
  const std::string k = Lower(key);
  if (!Representable(k)) return false;
  const std::string root = RootOf(k);
  Load(root);
  if (keys_.count(k)) return true;
  // The key and its missing parents, undone again when the file cannot be written.
  std::vector<std::string> added;
  std::string path;
  std::istringstream parts(key);
  std::string part;
  while (std::getline(parts, part, '\\')) {
    path += (path.empty() ? "" : "\\") + Lower(part);
    if (keys_.count(path)) continue;
    keys_[path].name = part;
    added.push_back(path);
  }
  if (Save(root)) return true;
  for (const auto& path : added) keys_.erase(path);
  return false;
}

std::optional<std::string> XdgKeyStore::QueryValue(const std::string& key, const std::string& name) {
  if (!OpenKey(key)) return std::nullopt;
  const auto& values = keys_[Lower(key)].values;
  const auto v = values.find(name);
  if (v == values.end()) return std::nullopt;
  return v->second;
}

bool XdgKeyStore::SetValue(const std::string& key, const std::string& name,
                           const std::string& value) {
  // Only the default values have a place in the files.
  if (!name.empty() || !OpenKey(key)) return false;
  const std::string k = Lower(key);
  auto& values = keys_[k].values;
  const auto before = values;
  values[name] = value;
  if (Save(RootOf(k))) return true;
  keys_[k].values = before;
  return false;
}

std::string XdgKeyStore::EnumSubkey(const std::string& key, int index) {
  if (!OpenKey(key)) return {};
  const std::string prefix = Lower(key) + "\\";
  for (auto it = keys_.lower_bound(prefix); it != keys_.end(); ++it) {
    if (it->first.compare(0, prefix.size(), prefix) != 0) break;
    if (it->first.find('\\', prefix.size()) != std::string::npos) continue;
    if (index-- == 0) return it->second.name;
  }
  return {};
}

bool XdgKeyStore::DeleteKey(const std::string& key) {
  if (!OpenKey(key) || !EnumSubkey(key, 0).empty()) return false;
  const std::string k = Lower(key);
  const Key before = keys_[k];
  keys_.erase(k);
  if (Save(RootOf(k))) return true;
  keys_[k] = before;
  return false;
}

std::string XdgKeyStore::Refresh() {
  if (!changed_) return {};
  changed_ = false;
  std::string failed;
  auto run = [&failed](const std::string& tool, const std::vector<std::string>& args) {
    if (RunTool(tool, args) == Run::Failed) failed += (failed.empty() ? "" : ", ") + tool;
  };
  std::error_code ec;
  if (fs::is_directory(dataHome_ + "/mime/packages", ec))
    run("update-mime-database", {dataHome_ + "/mime"});
  if (fs::is_directory(dataHome_ + "/applications", ec))
    run("update-desktop-database", {dataHome_ + "/applications"});
  // Each registered type opens with its entry by default.
  for (const auto& [path, key] : keys_) {
    if (!IsExtension(path) || path.find('\\') != std::string::npos) continue;
    const auto title = key.values.find("");
    if (title == key.values.end() || title->second.empty()) continue;
    const std::string root = Lower(title->second);
    if (!keys_.count(root + kCommand)) continue;
    run("xdg-mime", {"default", DesktopName(root), kTypePrefix + root});
  }
  return failed;
}

}  // namespace wlg
