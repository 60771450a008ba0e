#include "imaging/SvgRecorder.h"

#include <cstdio>

namespace wlg {

std::string SvgColour(Colour c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", RedOf(c), GreenOf(c), BlueOf(c));
  return buf;
}

namespace {
std::string Points(const IPoint* pts, int count, bool close) {
  std::string d;
  for (int i = 0; i < count; ++i)
    d += (i == 0 ? "M" : " L") + std::to_string(pts[i].x) + "," + std::to_string(pts[i].y);
  if (close) d += " Z";
  return d;
}
}  // namespace

void SvgRecorder::ClosedPath(const IPoint* pts, int count, int penWidth, bool filled, Colour fill) {
  if (count <= 0) return;
  body_ += "<path d=\"" + Points(pts, count, true) + "\" fill=\"" +
           (filled ? SvgColour(fill) : std::string("none")) + "\" stroke=\"#000000\" stroke-width=\"" +
           std::to_string(penWidth) + "\"/>\n";
}

void SvgRecorder::OpenPath(const IPoint* pts, int count, int penWidth) {
  if (count <= 0) return;
  body_ += "<path d=\"" + Points(pts, count, false) +
           "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"" + std::to_string(penWidth) +
           "\"/>\n";
}

std::string SvgRecorder::Document() const {
  const std::string w = std::to_string(width_), h = std::to_string(height_);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
         "\" viewBox=\"0 0 " + w + " " + h + "\" stroke-linejoin=\"round\">\n"
         "<rect width=\"" + w + "\" height=\"" + h + "\" fill=\"" + SvgColour(background_) +
         "\"/>\n" + body_ + "</svg>\n";
}

}  // namespace wlg
