#pragma once
// Records the renderer's outlines and fills into an enhanced metafile: one
// path per figure, stroked with a black pen of the canvas's draw width and
// filled with a solid brush (a hidden outline: filled only). One logical
// unit is one canvas pixel.

#include <memory>
#include <string>

#include "designer/TileRenderer.h"

namespace wlg {

// The picture frame in hundredths of a millimetre, from the canvas size in
// pixels at 15 twips per pixel (twips / 0.567, halves to even).
struct EmfFrame {
  int left = 0, top = 0, right = 0, bottom = 0;
};
EmfFrame EmfFrameFor(int widthPx, int heightPx);

class EmfRecorder : public PathRecorder {
 public:
  // Starts a metafile for a canvas of widthPx x heightPx under fileName
  // (taken exactly as given). Null, with *error set, when the file cannot
  // be created; nothing is then written.
  static std::unique_ptr<EmfRecorder> Create(const std::string& fileName, int widthPx, int heightPx,
                                             std::string* error);
  // An unfinished recording is abandoned: no file appears.
  ~EmfRecorder() override;
  EmfRecorder(const EmfRecorder&) = delete;
  EmfRecorder& operator=(const EmfRecorder&) = delete;

  void Record(const RecordedFigure& figure) override;

  // Closes the metafile and only then puts it in place, replacing any
  // earlier file. False, with *error set, when that fails; the earlier file
  // is then untouched. Figures recorded afterwards are ignored.
  bool Close(std::string* error);

  static constexpr const char* CreateFailedMessage =
      "Sorry, there was a problem creating the .emf. Perhaps it's open in an image editor";

 private:
  struct Impl;
  explicit EmfRecorder(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace wlg
