// libFuzzer target for the pattern reader alone: the byte checks a file read
// makes, then the parse and check the designer runs before it touches the
// design, and what passes put into a scratch program. No window, no file. A
// crash, a hang or a sanitizer report is a fault; a refusal is not.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "document/PatternFile.h"
#include "support/ScriptedPrompts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static wlg::testing::ScriptedPrompts prompts;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  wlg::PatternLoadError error;
  if (!wlg::CheckPatternBytes(bytes, error)) return 0;
  // A fresh program for every input, built again in the same storage: a
  // Program holds the solid's ~400 KB of vertex arrays, and a new heap block
  // of that size per input (mapped and unmapped by the sanitizer's
  // allocator) would cost most of the run.
  alignas(wlg::Program) static unsigned char storage[sizeof(wlg::Program)];
  wlg::Program* scratch = std::construct_at(reinterpret_cast<wlg::Program*>(storage), prompts);
  wlg::ReadPattern(bytes, *scratch, {}, {});
  std::destroy_at(scratch);
  return 0;
}
