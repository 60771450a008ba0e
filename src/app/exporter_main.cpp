// whirligons-export: writes what a user would save from the windows,
// headlessly, through the same loader, renderer and writers.

#include <cstdio>
#include <cstring>
#include <string>

namespace {
const char* kUsage =
    "usage: whirligons-export [options] PATTERN.wlg OUT\n"
    "  whirligons-export PATTERN.wlg OUT.{bmp,jpg,png,emf,svg}          the tessellation canvas\n"
    "  whirligons-export --tile N PATTERN.wlg OUT.{bmp,jpg,png,svg}     designer tile N (1..4)\n"
    "  whirligons-export --solid KEY PATTERN.wlg OUT.{obj,wrl,bmp,jpg,png}   solid KEY (Tetra ... TTet)\n"
    "  whirligons-export --sphere PATTERN.wlg OUT.{wrl,bmp,jpg,png}     the sphere wrap\n"
    "options: --size WxH, --zoom Z, --yes (answer Yes/OK to setup questions),\n"
    "         --lines, --smooth (VRML), --quality N (sphere), --theta/--phi/--psi DEG\n"
    "         --help, --version\n";
}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts(WHIRLIGONS_VERSION);
      return 0;
    }
  }
  std::fputs("whirligons-export: pattern export is not available yet\n", stderr);
  std::fputs(kUsage, stderr);
  return 2;
}
