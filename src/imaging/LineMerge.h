#pragma once
// Outline post-processing for cutters and plotters: shared edges drawn once and
// joined into long strokes, and strokes ordered to keep pen-up travel short.

#include <vector>

#include "platform/Canvas.h"

namespace wlg {

struct Segment {
  DPoint a, b;
};

struct Stroke {
  std::vector<DPoint> points;  // at least 2
  bool closed = false;         // the last point joins the first (not repeated)
};

// The union of the segments, each shared stretch once: segments on the same line within
// 'tolerance' (canvas units) are merged where they overlap, split where they overlap in part,
// then joined end to end into as few strokes as practical. Zero-length and non-finite
// segments are ignored. Output coordinates are input endpoint coordinates, so nothing moves
// by more than the tolerance.
std::vector<Stroke> MergeIntoStrokes(const std::vector<Segment>& segments, double tolerance);

// Reorders 'strokes' (reversing open ones and rotating the start of closed ones where that
// helps) so the pen-up travel from 'start' through all strokes is short.
void OrderForShortTravel(std::vector<Stroke>& strokes, DPoint start);

// The pen-up distance: from 'start' to the first stroke's start, then from each stroke's end
// (a closed stroke ends where it starts) to the next stroke's start.
double PenUpTravel(const std::vector<Stroke>& strokes, DPoint start);

// Total drawn length (closed strokes include their closing edge).
double DrawnLength(const std::vector<Stroke>& strokes);

}  // namespace wlg
