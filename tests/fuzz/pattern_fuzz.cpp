// libFuzzer target for the pattern loader: arbitrary bytes are opened through
// File/Open of a started designer, with every message answered OK. A crash,
// a hang or a sanitizer report is a fault; the load error message is not.
// scripts/fuzz.sh builds it with clang and runs it on the sample patterns.

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "support/DesignerHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using wlg::testing::DesignerHarness;
  static QTemporaryDir dir;
  static const std::string path = dir.filePath("fuzz.wlg").toStdString();
  // One designer for the whole run, as a user would open file after file.
  static DesignerHarness* h = [] {
    auto* harness = new DesignerHarness;
    harness->prompts.autoOk = true;
    harness->Start();
    return harness;
  }();

  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
  file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  file.close();

  h->prompts.log.clear();
  // Whatever the last input did to the design (a solid's set-up, say), the
  // next open is not to stop at the save-changes question.
  h->form.document().MarkClean(path);
  h->prompts.File(path);
  h->form.mnuFileLoad_Click();
  return 0;
}
