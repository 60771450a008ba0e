#include "imaging/SaveJPG.h"

#include <turbojpeg.h>

#include <algorithm>
#include <memory>

#include "platform/SafeFile.h"

namespace wlg {

namespace {

void Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
}

std::string SaveFailed(const std::string& fileName, const std::string& why) {
  return "Failed to save to JPG " + fileName + ": " + why;
}

struct CompressorDeleter {
  void operator()(void* handle) const { tjDestroy(handle); }
};
struct BufferDeleter {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};

}  // namespace

bool SaveJPG(const cDIBSection& dib, const std::string& fileName, int quality, std::string* error,
             ReplacedDates dates) {
  std::unique_ptr<void, CompressorDeleter> compressor(tjInitCompress());
  if (!compressor) {
    Fail(error, "Failed to initialise the IJL library: " + std::to_string(JpgFailureCode));
    return false;
  }
  if (!dib.DIBSectionBitsPtr()) {
    Fail(error, SaveFailed(fileName, "the picture is empty"));
    return false;
  }

  // Compress into memory first, so that nothing touches the disk unless the
  // whole picture could be encoded.
  unsigned char* out = nullptr;
  unsigned long size = 0;
  const int rc = tjCompress2(compressor.get(), dib.DIBSectionBitsPtr(), dib.Width(),
                             dib.BytesPerScanLine(), dib.Height(), TJPF_BGR, &out, &size,
                             TJSAMP_420, std::clamp(quality, 1, 100), TJFLAG_BOTTOMUP);
  std::unique_ptr<unsigned char, BufferDeleter> jpeg(out);
  if (rc != 0 || !jpeg || size == 0) {
    Fail(error, SaveFailed(fileName, "the picture could not be compressed"));
    return false;
  }

  const std::string_view bytes(reinterpret_cast<const char*>(jpeg.get()), size);
  return WriteFileAtomically(
      fileName, bytes, error,
      dates == ReplacedDates::Keep ? ReplacedTimes::Keep : ReplacedTimes::Fresh);
}

}  // namespace wlg
