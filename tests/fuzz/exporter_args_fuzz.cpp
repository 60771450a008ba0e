// libFuzzer target for whirligons-export's command line: the bytes are split
// at NULs into arguments. Every list must end in exit 0, 1 or 2, a refused
// one with a message. Requests that parse are run, with the pattern mapped to
// a sample when it names one and the output kept in a private folder.

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Exporter.h"

namespace {

std::string Base(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char name[] = "exporter_args_fuzz";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  static QTemporaryDir dir;
  (void)app;

  std::vector<std::string> args(1);
  for (size_t i = 0; i < size && args.size() < 64; ++i) {
    if (data[i] == 0)
      args.emplace_back();
    else
      args.back() += static_cast<char>(data[i]);
  }
  const wlg::ParseResult parsed = wlg::ParseExportArgs(args);
  if (!parsed.request) {
    const bool fine = (parsed.exitCode == 0 && !parsed.out.empty()) ||
                      (parsed.exitCode == 2 && !parsed.err.empty());
    if (!fine) std::abort();
    return 0;
  }
  wlg::ExportRequest req = *parsed.request;
  const std::string pattern = Base(req.pattern);
  for (const char* sample : {"sample.wlg", "octagons-and-squares.wlg", "star-sequential.wlg"})
    if (pattern == sample) req.pattern = std::string(WHIRLIGONS_SAMPLES_DIR) + "/" + sample;
  if (req.pattern != std::string(WHIRLIGONS_SAMPLES_DIR) + "/" + pattern)
    req.pattern = dir.filePath("missing.wlg").toStdString();
  req.output =
      dir.filePath("out." + QFileInfo(QString::fromStdString(req.output)).suffix()).toStdString();
  const int code = wlg::RunExport(req);
  if (code < 0 || code > 2) std::abort();
  return 0;
}
