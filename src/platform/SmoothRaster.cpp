#include "platform/SmoothRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace wlg {

namespace {

bool WithinReach(const IPoint& p) {
  return std::abs(static_cast<long long>(p.x)) <= SmoothRaster::kReach &&
         std::abs(static_cast<long long>(p.y)) <= SmoothRaster::kReach;
}

// d blended towards the opaque s by a / 255, all four channels at once.
uint32_t Lerp(uint32_t d, uint32_t s, uint32_t a) {
  if (a >= 255) return s;
  const uint32_t ia = 255 - a;
  uint32_t rb = (s & 0xff00ffu) * a + (d & 0xff00ffu) * ia;
  rb = ((rb + ((rb >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
  uint32_t ag = ((s >> 8) & 0xff00ffu) * a + ((d >> 8) & 0xff00ffu) * ia;
  ag = (ag + ((ag >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
  return rb | ag;
}

}  // namespace

bool SmoothRaster::IsConvex(const IPoint* pts, int count) {
  if (count < 3) return false;
  for (int i = 0; i < count; ++i)
    if (!WithinReach(pts[i])) return false;
  // Edges between distinct corners (repeated corners add none).
  int first = -1;
  for (int i = 0; i < count && first < 0; ++i)
    if (!(pts[i] == pts[(i + 1) % count])) first = i;
  if (first < 0) return false;
  int sign = 0, xTurns = 0, lastDxSign = 0, firstDxSign = 0, edges = 0;
  long long pdx = 0, pdy = 0, fdx = 0, fdy = 0;
  auto turn = [&](long long ax, long long ay, long long bx, long long by) {
    const long long c = ax * by - ay * bx;
    if (c == 0) return ax * bx + ay * by > 0;  // straight on, not back
    const int s = c > 0 ? 1 : -1;
    if (sign == 0) sign = s;
    return s == sign;
  };
  for (int k = 0; k < count; ++k) {
    const int i = (first + k) % count;
    const IPoint& a = pts[i];
    const IPoint& b = pts[(i + 1) % count];
    if (a == b) continue;
    const long long dx = b.x - a.x, dy = b.y - a.y;
    if (edges == 0) {
      fdx = dx, fdy = dy;
    } else if (!turn(pdx, pdy, dx, dy)) {
      return false;
    }
    ++edges;
    pdx = dx, pdy = dy;
    // Going round once, the edges' direction changes between rightwards
    // and leftwards exactly twice; a star going round twice does it four times.
    if (dx != 0) {
      const int s = dx > 0 ? 1 : -1;
      if (firstDxSign == 0) firstDxSign = s;
      if (lastDxSign != 0 && s != lastDxSign) ++xTurns;
      lastDxSign = s;
    }
  }
  if (edges < 3 || !turn(pdx, pdy, fdx, fdy) || sign == 0) return false;
  if (lastDxSign != firstDxSign) ++xTurns;
  return xTurns == 2;
}

SmoothRaster::Window SmoothRaster::WindowFor(const PixelRows& px, const IPoint* pts, int count) {
  const auto [minX, maxX, minY, maxY] = BoundsOf(pts, count);
  // Corners at pixel centres: the fill reaches no pixel beyond them.
  Window w;
  w.x0 = std::max(minX, 0);
  w.y0 = std::max(minY, 0);
  w.w = std::max(std::min(maxX + 1, px.width) - w.x0, 0);
  w.h = std::max(std::min(maxY + 1, px.height) - w.y0, 0);
  if (w.w == 0 || w.h == 0) w.w = w.h = 0;
  return w;
}

void SmoothRaster::Polygon(const PixelRows& px, const IPoint* pts, int count, bool fill,
                           uint32_t fillColour, bool outline, uint32_t penColour) {
  if (count < 1) return;
  for (int i = 0; i < count; ++i)
    if (!WithinReach(pts[i])) return;
  if (fill) {
    const Window win = WindowFor(px, pts, count);
    if (win.w > 0) Fill(px, win, pts, count, fillColour);
  }
  if (outline)
    for (int i = 0; i < count; ++i) Stroke(px, pts[i], pts[i + 1 == count ? 0 : i + 1], penColour);
}

bool SmoothRaster::Polyline(const PixelRows& px, const IPoint* pts, int count, uint32_t penColour) {
  for (int i = 0; i < count; ++i)
    if (!WithinReach(pts[i])) return false;
  if (count == 1) Ink(px, pts[0], 255, penColour);
  for (int i = 0; i + 1 < count; ++i) Stroke(px, pts[i], pts[i + 1], penColour);
  return true;
}

void SmoothRaster::Ink(const PixelRows& px, IPoint p, uint32_t alpha, uint32_t colour) {
  if (p.x < 0 || p.y < 0 || p.x >= px.width || p.y >= px.height) return;
  uint32_t& q = px.bits[p.y * px.stride + p.x];
  q = Lerp(q, colour, alpha);
}

// The polygon's corners lie at pixel centres, clipped to the window so that
// every edge stays inside the area buffer (a part left of it covers the
// window's left column as the clipped edge along that column does).
void SmoothRaster::Fill(const PixelRows& px, const Window& win, const IPoint* pts, int count,
                        uint32_t colour) {
  areaStride_ = win.w + 2;
  const size_t cells = static_cast<size_t>(areaStride_) * win.h;
  if (area_.size() < cells) area_.resize(cells, 0.0f);
  if (lo_.size() < 2 * static_cast<size_t>(win.h)) {
    lo_.resize(2 * static_cast<size_t>(win.h), std::numeric_limits<int>::max());
    hi_.resize(2 * static_cast<size_t>(win.h), -1);
  }
  rows_ = win.h;
  clip_.clear();
  for (int i = 0; i < count; ++i)
    clip_.push_back({pts[i].x + 0.5 - win.x0, pts[i].y + 0.5 - win.y0});
  const double w = win.w, h = win.h;
  auto clipBy = [&](auto inside, auto cross) {
    clipNext_.clear();
    const size_t n = clip_.size();
    for (size_t i = 0; i < n; ++i) {
      const DPt a = clip_[i], b = clip_[i + 1 == n ? 0 : i + 1];
      const bool ia = inside(a), ib = inside(b);
      if (ia) clipNext_.push_back(a);
      if (ia != ib) clipNext_.push_back(cross(a, b));
    }
    clip_.swap(clipNext_);
  };
  auto atX = [](DPt a, DPt b, double x) {
    const double t = (x - a.x) / (b.x - a.x);
    return DPt{x, a.y + t * (b.y - a.y)};
  };
  auto atY = [](DPt a, DPt b, double y) {
    const double t = (y - a.y) / (b.y - a.y);
    return DPt{a.x + t * (b.x - a.x), y};
  };
  bool out = false;
  for (const DPt& p : clip_) out = out || p.x < 0 || p.y < 0 || p.x > w || p.y > h;
  if (out) {
    clipBy([](DPt p) { return p.x >= 0; }, [&](DPt a, DPt b) { return atX(a, b, 0); });
    clipBy([&](DPt p) { return p.x <= w; }, [&](DPt a, DPt b) { return atX(a, b, w); });
    clipBy([](DPt p) { return p.y >= 0; }, [&](DPt a, DPt b) { return atY(a, b, 0); });
    clipBy([&](DPt p) { return p.y <= h; }, [&](DPt a, DPt b) { return atY(a, b, h); });
    // Rounding must not put a clipped corner a hair outside the buffer.
    for (DPt& p : clip_) p = {std::clamp(p.x, 0.0, w), std::clamp(p.y, 0.0, h)};
  }
  const size_t n = clip_.size();
  for (size_t i = 0; i < n; ++i) AreaEdge(clip_[i], clip_[i + 1 == n ? 0 : i + 1]);
  BlendFill(px, win, colour);
}

// One edge's share of each pixel's covered area, the edge inside the
// window: each row gets the signed area to the right of the edge within
// the pixels it crosses and the cover beyond, so that summing along the
// row gives each pixel's coverage.
void SmoothRaster::AreaEdge(DPt p0, DPt p1) {
  if (p0.y == p1.y) return;
  double dir = 1;
  int side = 0;
  if (p0.y > p1.y) {
    std::swap(p0, p1);
    dir = -1;
    side = 1;
  }
  const double dxdy = (p1.x - p0.x) / (p1.y - p0.y);
  double x = p0.x;
  int yEnd = static_cast<int>(p1.y);
  yEnd = std::min(rows_, yEnd + (yEnd < p1.y));
  for (int y = static_cast<int>(p0.y); y < yEnd; ++y) {
    float* row = &area_[static_cast<size_t>(y) * areaStride_];
    const double dy = std::min(y + 1.0, p1.y) - std::max(static_cast<double>(y), p0.y);
    const double xNext = x + dxdy * dy;
    const double d = dy * dir;
    const double xa = std::min(x, xNext), xb = std::max(x, xNext);
    // Both are at least 0: truncation is the floor (and cheaper than it).
    const int xai = static_cast<int>(xa);
    int xbi = static_cast<int>(xb);
    xbi += xbi < xb;
    const double xaFloor = xai, xbCeil = xbi;
    int last;
    if (xbi <= xai + 1) {
      const double xmf = 0.5 * (x + xNext) - xaFloor;
      row[xai] += static_cast<float>(d - d * xmf);
      row[xai + 1] += static_cast<float>(d * xmf);
      last = xai + 1;
    } else {
      const double s = 1 / (xb - xa);
      const double xaf = xa - xaFloor;
      const double a0 = 0.5 * s * (1 - xaf) * (1 - xaf);
      const double xbf = xb - xbCeil + 1;
      const double am = 0.5 * s * xbf * xbf;
      row[xai] += static_cast<float>(d * a0);
      if (xbi == xai + 2) {
        row[xai + 1] += static_cast<float>(d * (1 - a0 - am));
      } else {
        const double a1 = s * (1.5 - xaf);
        row[xai + 1] += static_cast<float>(d * (a1 - a0));
        for (int xi = xai + 2; xi < xbi - 1; ++xi) row[xi] += static_cast<float>(d * s);
        const double a2 = a1 + (xbi - xai - 3) * s;
        row[xbi - 1] += static_cast<float>(d * (1 - a2 - am));
      }
      row[xbi] += static_cast<float>(d * am);
      last = xbi;
    }
    int& lo = lo_[2 * static_cast<size_t>(y) + side];
    int& hi = hi_[2 * static_cast<size_t>(y) + side];
    lo = std::min(lo, xai);
    hi = std::max(hi, last);
    x = xNext;
  }
}

namespace {

uint32_t CoverageAlpha(float acc) {
  const float a = std::fabs(acc) * 255 + 0.5f;
  return a >= 255 ? 255u : static_cast<uint32_t>(a);
}

}  // namespace

void SmoothRaster::BlendFill(const PixelRows& px, const Window& win, uint32_t colour) {
  for (int y = 0; y < win.h; ++y) {
    int& lo0 = lo_[2 * static_cast<size_t>(y)];
    int& hi0 = hi_[2 * static_cast<size_t>(y)];
    int& lo1 = lo_[2 * static_cast<size_t>(y) + 1];
    int& hi1 = hi_[2 * static_cast<size_t>(y) + 1];
    int aLo = lo0, aHi = hi0, bLo = lo1, bHi = hi1;
    lo0 = lo1 = std::numeric_limits<int>::max();
    hi0 = hi1 = -1;
    if (aHi < 0) std::swap(aLo, bLo), std::swap(aHi, bHi);
    if (aHi < 0) continue;
    if (bHi >= 0 && bLo < aLo) std::swap(aLo, bLo), std::swap(aHi, bHi);
    float* row = &area_[static_cast<size_t>(y) * areaStride_];
    uint32_t* dst = px.bits + (win.y0 + y) * px.stride + win.x0;
    float acc = 0;
    auto cells = [&](int from, int to) {
      for (int x = from; x <= to; ++x) {
        acc += row[x];
        row[x] = 0;
        if (x < win.w) {
          const uint32_t a = CoverageAlpha(acc);
          if (a) dst[x] = Lerp(dst[x], colour, a);
        }
      }
    };
    if (bHi < 0 || bLo <= aHi + 1) {
      cells(aLo, std::max(aHi, bHi));
      continue;
    }
    cells(aLo, aHi);
    // Between the two edges' cells the coverage stays as it is.
    const uint32_t a = CoverageAlpha(acc);
    const int runEnd = std::min(bLo, win.w);
    if (a == 255) {
      std::fill(dst + aHi + 1, dst + std::max(runEnd, aHi + 1), colour);
    } else if (a) {
      for (int x = aHi + 1; x < runEnd; ++x) dst[x] = Lerp(dst[x], colour, a);
    }
    cells(bLo, bHi);
  }
}

// A 1-pixel line between pixel centres: at each pixel along its longer
// axis, the line's position across splits the ink between the two pixels
// it falls between.
void SmoothRaster::Stroke(const PixelRows& px, IPoint a, IPoint b, uint32_t colour) {
  const long long dx = static_cast<long long>(b.x) - a.x, dy = static_cast<long long>(b.y) - a.y;
  if (dx == 0 && dy == 0) return;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  // Along the major axis u, across it v (in 1/65536 pixel); only the
  // picture's part is stepped.
  const long long u0 = xMajor ? a.x : a.y, v0 = xMajor ? a.y : a.x;
  const long long du = xMajor ? dx : dy, dv = xMajor ? dy : dx;
  const long long uLimit = (xMajor ? px.width : px.height) - 1;
  const long long vLimit = (xMajor ? px.height : px.width) - 1;
  const long long lo = std::max(std::min(u0, u0 + du), 0LL);
  const long long hi = std::min(std::max(u0, u0 + du), uLimit);
  if (lo > hi) return;
  // Positions in 1/65536 pixel, from each pixel's distance to the start so
  // that both ends fall exactly on their pixels.
  const double perStep = static_cast<double>(dv) / du * 65536;
  constexpr double kBias = 1LL << 40;  // keeps the rounded value positive
  auto at = [&](long long u) {
    return v0 * 65536 + (static_cast<long long>((u - u0) * perStep + (kBias + 0.5)) - (1LL << 40));
  };
  const std::ptrdiff_t uStride = xMajor ? 1 : px.stride, vStride = xMajor ? px.stride : 1;
  // Lines wholly inside need no check per pixel.
  const long long vLo = at(lo), vHi = at(hi);
  const bool inside = std::min(vLo, vHi) >= 0 && (std::max(vLo, vHi) >> 16) + 1 <= vLimit;
  const long long u1 = u0 + du;
  for (long long u = lo; u <= hi; ++u) {
    const long long v = at(u);
    const long long vi = v >> 16;  // the floor, also below 0
    const uint32_t f = static_cast<uint32_t>(((v & 0xffff) * 255 + 0x8000) >> 16);
    // The ends, at pixel centres, are inked half: the next line inks the other half.
    const uint32_t near = u == u0 || u == u1 ? 128 : 255 - f;
    if (inside) {
      uint32_t* p = px.bits + u * uStride + vi * vStride;
      *p = Lerp(*p, colour, near);
      if (f) p[vStride] = Lerp(p[vStride], colour, f);
      continue;
    }
    auto put = [&](long long at, uint32_t c) {
      if (c == 0 || at < 0 || at > vLimit) return;
      uint32_t& q = px.bits[u * uStride + at * vStride];
      q = Lerp(q, colour, c);
    };
    put(vi, near);
    put(vi + 1, f);
  }
}

}  // namespace wlg
