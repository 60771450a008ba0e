#include "platform/DataDir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace wlg {

namespace {
bool HoldsSomething(const std::filesystem::path& dir) {
  std::error_code ec;
  return std::filesystem::is_directory(dir, ec) && !std::filesystem::is_empty(dir, ec) && !ec;
}
}  // namespace

std::string ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return self.parent_path().string();
}

std::string DataDir() {
  if (const char* env = std::getenv("WHIRLIGONS_DATA_DIR"); env != nullptr && *env != '\0')
    return env;
  namespace fs = std::filesystem;
  if (const std::string bin = ProgramFolder(); !bin.empty()) {
    const fs::path beside = fs::path(bin) / WHIRLIGONS_DATA_DIR_FROM_BIN;
    if (HoldsSomething(beside)) return beside.lexically_normal().string();
  }
  const fs::path installed(WHIRLIGONS_INSTALL_DATA_DIR);
  if (HoldsSomething(installed)) return installed.string();
  return WHIRLIGONS_SOURCE_DATA_DIR;
}

}  // namespace wlg
