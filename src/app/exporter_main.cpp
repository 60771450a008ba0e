// whirligons-export: writes what a user would save from the windows,
// headlessly, through the same loader, renderer and writers.

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Exporter.h"
#include "platform/FreedMemory.h"

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with a reason we can report,
  // instead of the signal ending the program without a word.
  std::signal(SIGXFSZ, SIG_IGN);
  wlg::KeepFreedMemoryForReuse();
  std::vector<std::string> args(argv + 1, argv + argc);
  const wlg::ParseResult parsed = wlg::ParseExportArgs(args);
  if (!parsed.request) {
    std::fputs(parsed.out.c_str(), stdout);
    std::fputs(parsed.err.c_str(), stderr);
    return parsed.exitCode;
  }
  // No display is needed: pictures are drawn into images.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QCoreApplication app(argc, argv);
  const int code = wlg::RunExport(*parsed.request);
  // Every file is written and closed by now. Tearing the application down
  // would only load the font configuration (the platform's font database
  // reads it when it is destroyed), which costs more than the export.
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(code);
}
