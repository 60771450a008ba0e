#pragma once
// PNG and TIFF files written a band of rows at a time, so a picture never
// has to be whole in memory. The file appears complete or not at all.

#include <QImage>
#include <functional>
#include <string>

namespace wlg {

enum class StreamedKind { PNG, TIFF };

struct StreamedPicture {
  int width = 0, height = 0;
  bool alpha = false;  // an alpha channel is written (a see-through background)
  int bandRows = 512;
  double dpi = 96;  // written in the file, so print programs know its size
  // Fills 'band' (width x up to bandRows rows, Format_ARGB32_Premultiplied
  // holding opaque or fully clear pixels) with the rows from 'top' down.
  std::function<void(int top, QImage& band)> render;
  // Told the share done (0..1) after each band; may be empty.
  std::function<void(double)> progress;
};

// Rows for a band of about 'budgetBytes' at this width (16..512).
int BandRowsFor(int width, size_t budgetBytes = size_t{48} << 20);

// By the extension: "png" or "tif"/"tiff"; false for any other.
bool StreamedKindOf(const std::string& lowerExt, StreamedKind* kind);

// False with *error ("Failed to save PATH: REASON") on failure, leaving any
// earlier file of that name as it was.
bool SaveStreamedPicture(const StreamedPicture& picture, const std::string& path, StreamedKind kind,
                         std::string* error);

// A picture already in memory, through the same writers.
bool SaveImageStreamed(const QImage& image, const std::string& path, StreamedKind kind, bool alpha,
                       std::string* error);

}  // namespace wlg
