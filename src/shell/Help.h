#pragma once
// Help: one HTML page per topic in the help folder, shown by whatever page
// viewer the GUI supplies.

#include <string>

namespace wlg {

class Form;
struct Program;

// Shows a help page; the GUI's is a browser window.
class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  // 'window' is the window whose Help command asked for the page.
  virtual void ShowPage(const Form& window, const std::string& pagePath) = 0;
};

struct HelpState {
  // The help folder, set at start-up when the pages are there; empty otherwise.
  std::string HelpFile;
  // Null where nothing can show a page (the exporter).
  HelpViewer* viewer = nullptr;
};

inline constexpr const char* kHelpMissingText =
    "Sorry, the Help file Whirligons.chm seems to be missing";
inline constexpr const char* kHelpMissingTitle = "Help file missing";

// DataDir()/html when it holds the pages, else empty.
std::string FindHelpFile();
// The page of a topic: helpFile/<topic>.htm.
std::string HelpTopicPage(const std::string& helpFile, const std::string& topic);
// Opens the topic's page, or says that the help is missing.
void ShowHelpTopic(Program& program, const Form& window, const std::string& topic);
// Makes a window's Help menu item open the topic, and enables it.
void WireHelpItem(Program& program, Form& window, const std::string& menuItem,
                  const std::string& topic);

}  // namespace wlg
