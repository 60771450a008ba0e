#include "shell/Help.h"

#include <filesystem>
#include <system_error>

#include "controls/Form.h"
#include "designer/Program.h"
#include "platform/DataDir.h"

namespace wlg {

std::string FindHelpFile() {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(DataDir()) / "html";
  std::error_code ec;
  // A folder without a single page is as good as none.
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().extension() == ".htm" && it->is_regular_file(ec)) return dir.string();
  return {};
}

std::string HelpTopicPage(const std::string& helpFile, const std::string& topic) {
  return helpFile + "/" + topic + ".htm";
}

void ShowHelpTopic(Program& program, const Form& window, const std::string& topic) {
  if (program.help.HelpFile.empty()) {
    program.prompts.Message(kHelpMissingTitle, kHelpMissingText, Buttons::OK, Icon::None);
    return;
  }
  if (program.help.viewer)
    program.help.viewer->ShowPage(window, HelpTopicPage(program.help.HelpFile, topic));
}

void WireHelpItem(Program& program, Form& window, const std::string& menuItem,
                  const std::string& topic) {
  MenuItem& item = window.Menu(menuItem);
  item.onClick = [&program, &window, topic](int) { ShowHelpTopic(program, window, topic); };
  item.SetEnabled(true);
}

}  // namespace wlg
