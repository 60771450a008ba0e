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
[[gnu::always_inline]] inline uint32_t Lerp(uint32_t d, uint32_t s, uint32_t a) {
  if (a >= 255) return s;
  const uint32_t ia = 255 - a;
  uint32_t rb = (s & 0xff00ffu) * a + (d & 0xff00ffu) * ia;
  rb = ((rb + ((rb >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
  uint32_t ag = ((s >> 8) & 0xff00ffu) * a + ((d >> 8) & 0xff00ffu) * ia;
  ag = (ag + ((ag >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
  return rb | ag;
}

}  // namespace

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
  clip_.clear();
  for (int i = 0; i < count; ++i)
    clip_.push_back({pts[i].x + 0.5 - win.x0, pts[i].y + 0.5 - win.y0});
  FillClipped(px, win, colour);
}

void SmoothRaster::FillClipped(const PixelRows& px, const Window& win, uint32_t colour) {
  areaStride_ = win.w + 2;
  const size_t cells = static_cast<size_t>(areaStride_) * win.h;
  if (area_.size() < cells) area_.resize(cells, 0.0f);
  if (lo_.size() < 2 * static_cast<size_t>(win.h)) {
    lo_.resize(2 * static_cast<size_t>(win.h), std::numeric_limits<int>::max());
    hi_.resize(2 * static_cast<size_t>(win.h), -1);
  }
  rows_ = win.h;
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
  BlendEvenOdd(px, win, colour);
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

// Any polygon: each row is summed from its first touched cell to its last,
// the sum's winding folded to even-odd (a part wound twice is outside).
void SmoothRaster::BlendEvenOdd(const PixelRows& px, const Window& win, uint32_t colour) {
  for (int y = 0; y < win.h; ++y) {
    int* lo = &lo_[2 * static_cast<size_t>(y)];
    int* hi = &hi_[2 * static_cast<size_t>(y)];
    const int from = std::min(lo[0], lo[1]), to = std::max(hi[0], hi[1]);
    lo[0] = lo[1] = std::numeric_limits<int>::max();
    hi[0] = hi[1] = -1;
    if (to < 0) continue;
    float* row = &area_[static_cast<size_t>(y) * areaStride_];
    uint32_t* dst = px.bits + (win.y0 + y) * px.stride + win.x0;
    float acc = 0;
    uint32_t a = 0;
    const int end = std::min(to, win.w - 1);
    for (int x = from; x <= end;) {
      if (row[x] != 0) {
        acc += row[x];
        row[x] = 0;
        float c = std::fabs(acc);
        if (c > 1) {  // wound more than once: even-odd
          c = std::fmod(c, 2.0f);
          if (c > 1) c = 2 - c;
        }
        a = CoverageAlpha(c);
        if (a) dst[x] = Lerp(dst[x], colour, a);
        ++x;
        continue;
      }
      // Between edges the coverage stays as it is: a run at once.
      int run = x + 1;
      while (run <= end && row[run] == 0) ++run;
      if (a == 255)
        std::fill(dst + x, dst + run, colour);
      else if (a)
        for (int k = x; k < run; ++k) dst[k] = Lerp(dst[k], colour, a);
      x = run;
    }
    for (int x = std::max(from, end + 1); x <= to; ++x) row[x] = 0;
  }
}

// The pixels whose centres lie inside, by the even-odd rule; each edge
// counts from its upper end to just above its lower end.
void SmoothRaster::SampledFill(const PixelRows& px, const DPoint* pts, int count, uint32_t colour) {
  double minY = pts[0].y, maxY = pts[0].y;
  for (int i = 1; i < count; ++i) minY = std::min(minY, pts[i].y), maxY = std::max(maxY, pts[i].y);
  const int top = std::max(0, static_cast<int>(std::ceil(minY - 0.5)));
  const int bottom = std::min(px.height - 1, static_cast<int>(std::ceil(maxY - 0.5)) - 1);
  crossings_.resize(static_cast<size_t>(count));
  for (int y = top; y <= bottom; ++y) {
    const double yc = y + 0.5;
    int m = 0;
    for (int i = 0; i < count; ++i) {
      const DPoint& a = pts[i];
      const DPoint& b = pts[i + 1 == count ? 0 : i + 1];
      if ((a.y <= yc && yc < b.y) || (b.y <= yc && yc < a.y)) {
        const double x = a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y);
        int k = m++;
        for (; k > 0 && crossings_[k - 1] > x; --k) crossings_[k] = crossings_[k - 1];
        crossings_[k] = x;
      }
    }
    uint32_t* row = px.bits + y * px.stride;
    for (int k = 0; k + 1 < m; k += 2) {
      const int left = std::max(0, static_cast<int>(std::ceil(crossings_[k] - 0.5)));
      const int right = std::min(px.width, static_cast<int>(std::ceil(crossings_[k + 1] - 0.5)));
      if (left < right) std::fill(row + left, row + right, colour);
    }
  }
}

// A pen 'width' pixels wide from a to b and half its width beyond each: at
// each pixel along the longer axis, the pixels across within the pen's
// reach there (their part of it when smooth, their centres when not).
void SmoothRaster::Band(const PixelRows& px, DPoint a, DPoint b, double width, bool smooth,
                        bool dotted, uint32_t colour) {
  const bool xMajor = std::fabs(b.x - a.x) >= std::fabs(b.y - a.y);
  double ua = xMajor ? a.x : a.y, va = xMajor ? a.y : a.x;
  double ub = xMajor ? b.x : b.y, vb = xMajor ? b.y : b.x;
  if (ua > ub) std::swap(ua, ub), std::swap(va, vb);
  const double slope = ub > ua ? (vb - va) / (ub - ua) : 0;
  const double stretch = std::sqrt(1 + slope * slope);
  const double half = width / 2, across = half * stretch;
  const double from = ua - half, to = ub + half;
  const int uCount = xMajor ? px.width : px.height, vCount = xMajor ? px.height : px.width;
  const std::ptrdiff_t uStride = xMajor ? 1 : px.stride, vStride = xMajor ? px.stride : 1;
  const int i0 = std::max(0, static_cast<int>(smooth ? std::floor(from) : std::ceil(from - 0.5)));
  const int i1 =
      std::min(uCount - 1, static_cast<int>(smooth ? std::ceil(to) : std::ceil(to - 0.5)) - 1);
  // A dotted pen is a painter's dot pattern with round ends: a pen's width
  // of line, two widths of gap, each dot lengthened by half a width at both ends.
  const double period = 3 * width, start = xMajor ? a.x : a.y;
  auto gap = [&](int i) {
    const double along = std::fabs(i + 0.5 - start) * stretch + half;
    return std::fmod(along, period) >= 2 * width;
  };
  if (!smooth) {
    for (int i = i0; i <= i1; ++i) {
      if (dotted && gap(i)) continue;
      const double v = va + (std::clamp(i + 0.5, ua, ub) - ua) * slope;
      const double lo = v - across, hi = v + across;
      uint32_t* line = px.bits + i * uStride;
      const int j0 = std::max(0, static_cast<int>(std::ceil(lo - 0.5)));
      const int j1 = std::min(vCount - 1, static_cast<int>(std::ceil(hi - 0.5)) - 1);
      for (int j = j0; j <= j1; ++j) line[j * vStride] = colour;
    }
    return;
  }
  // Smooth: positions across in 1/65536 pixel, covers out of 65536. Every
  // point lies within 2^24 pixels, so the biased truncation is the floor.
  constexpr int64_t kOne = 65536;
  auto fixed = [](double v) {
    return static_cast<int64_t>(v * 65536 + 2199023255552.0) - (int64_t{1} << 41);
  };
  auto alphaOf = [](int64_t cover) { return static_cast<uint32_t>((cover * 255 + 32768) >> 16); };
  // A band wholly inside the picture needs no check per pixel.
  const bool inside = std::min(va, vb) - across >= 0 && std::max(va, vb) + across <= vCount;
  for (int i = i0; i <= i1; ++i) {
    if (dotted && gap(i)) continue;
    const double v = va + (std::clamp(i + 0.5, ua, ub) - ua) * slope;
    const int64_t lo = fixed(v - across), hi = fixed(v + across);
    // The first and last pixels along are only partly within the pen's ends.
    int64_t along = kOne;
    if (i == i0 || i == i1)
      along = fixed(std::min(i + 1.0, to) - std::max(static_cast<double>(i), from));
    auto cover = [&](int64_t c) { return along == kOne ? c : (c * along) >> 16; };
    uint32_t* line = px.bits + i * uStride;
    auto ink = [&](int j, int64_t c) {
      if (!inside && (j < 0 || j >= vCount)) return;
      const uint32_t alpha = alphaOf(cover(c));
      if (alpha) line[j * vStride] = Lerp(line[j * vStride], colour, alpha);
    };
    const int j0 = static_cast<int>(lo >> 16), j1 = static_cast<int>((hi + kOne - 1) >> 16) - 1;
    if (j0 >= j1) {
      ink(j0, hi - lo);
      continue;
    }
    ink(j0, kOne - (lo & (kOne - 1)));
    ink(j1, hi - int64_t{j1} * kOne);
    // Between the two ends the pen covers whole pixels across.
    const uint32_t alpha = alphaOf(along);
    const int first = std::max(j0 + 1, 0), last = std::min(j1, vCount);
    if (alpha == 255)
      for (int j = first; j < last; ++j) line[j * vStride] = colour;
    else if (alpha)
      for (int j = first; j < last; ++j) line[j * vStride] = Lerp(line[j * vStride], colour, alpha);
  }
}

bool SmoothRaster::Figure(const PixelRows& px, const DPoint* pts, int count, bool closed,
                          bool smooth, bool fill, uint32_t fillColour, double penWidth, bool dotted,
                          uint32_t penColour) {
  constexpr double kDeviceReach = 8.0 * kReach;
  if (count < 1) return true;
  double minX = pts[0].x, maxX = pts[0].x, minY = pts[0].y, maxY = pts[0].y;
  for (int i = 0; i < count; ++i) {
    // Written so that a NaN fails too.
    if (!(std::fabs(pts[i].x) <= kDeviceReach && std::fabs(pts[i].y) <= kDeviceReach)) return false;
    minX = std::min(minX, pts[i].x), maxX = std::max(maxX, pts[i].x);
    minY = std::min(minY, pts[i].y), maxY = std::max(maxY, pts[i].y);
  }
  if (!(penWidth >= 0 && penWidth <= 1 << 16)) return false;
  if (fill && closed && count >= 3) {
    if (!smooth) {
      SampledFill(px, pts, count, fillColour);
    } else {
      Window win;
      win.x0 = std::max(0, static_cast<int>(std::floor(minX)));
      win.y0 = std::max(0, static_cast<int>(std::floor(minY)));
      win.w = std::min(px.width, static_cast<int>(std::ceil(maxX))) - win.x0;
      win.h = std::min(px.height, static_cast<int>(std::ceil(maxY))) - win.y0;
      if (win.w > 0 && win.h > 0) {
        clip_.clear();
        for (int i = 0; i < count; ++i) clip_.push_back({pts[i].x - win.x0, pts[i].y - win.y0});
        FillClipped(px, win, fillColour);
      }
    }
  }
  if (penWidth > 0) {
    if (count == 1) Band(px, pts[0], pts[0], penWidth, smooth, false, penColour);
    const int edges = closed ? count : count - 1;
    for (int i = 0; i < edges; ++i)
      Band(px, pts[i], pts[i + 1 == count ? 0 : i + 1], penWidth, smooth, dotted, penColour);
  }
  return true;
}

}  // namespace wlg
