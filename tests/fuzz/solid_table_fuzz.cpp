// libFuzzer target for the solid tables: the first byte picks one of the
// eighteen solids, the rest is its table's text. A crash, a hang or a
// sanitizer report is a fault; a damaged-table message is not. A table that
// is accepted must hold only what the builder may index.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "solids/SolidTables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const wlg::SolidInfo& info = wlg::Solids()[data[0] % wlg::kSolidCount];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  wlg::SolidTable table;
  std::string error;
  if (!wlg::ParseSolidTable(bytes, info, table, error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  if (static_cast<int>(table.blocks.size()) != info.kindCount) std::abort();
  for (const wlg::SolidFaceBlock& block : table.blocks) {
    if (static_cast<int>(block.vertices.size()) != info.vertexCount) std::abort();
    for (const auto& face : block.faces)
      for (const int v : face)
        if (v < 0 || v >= info.vertexCount) std::abort();
  }
  return 0;
}
