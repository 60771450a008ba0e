#include "platform/DataDir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace wlg {

std::string DataDir() {
  if (const char* env = std::getenv("WHIRLIGONS_DATA_DIR"); env != nullptr && *env != '\0')
    return env;
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path installed(WHIRLIGONS_INSTALL_DATA_DIR);
  if (fs::is_directory(installed, ec) && !fs::is_empty(installed, ec) && !ec)
    return installed.string();
  return WHIRLIGONS_SOURCE_DATA_DIR;
}

}  // namespace wlg
