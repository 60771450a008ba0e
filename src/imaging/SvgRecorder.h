#pragma once
// Collects the renderer's outlines and fills as SVG paths: the same
// recording a metafile gets, in a format every browser reads.

#include <string>

#include "designer/TileRenderer.h"

namespace wlg {

class SvgRecorder : public PathRecorder {
 public:
  SvgRecorder(int width, int height, Colour background)
      : width_(width), height_(height), background_(background) {}

  void ClosedPath(const IPoint* pts, int count, int penWidth, bool filled, Colour fill) override;
  void OpenPath(const IPoint* pts, int count, int penWidth) override;

  std::string Document() const;

 private:
  int width_, height_;
  Colour background_;
  std::string body_;
};

std::string SvgColour(Colour c);

}  // namespace wlg
