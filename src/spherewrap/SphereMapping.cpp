#include "spherewrap/SphereMapping.h"

#include <cmath>
#include <cstring>
#include <unordered_map>

#include "designer/DesignModel.h"
#include "platform/Numbers.h"

namespace wlg {
namespace {

// Widest texture whose frames go through the offset table (FixedColumnOffset
// guarantees its answer up to here).
constexpr int MaxTableWidth = 1 << 18;
// A longitude's fraction this close to a half may round either way once a
// turning state is added; wider than any rounding error of the sum.
constexpr double HalfMargin = 1.0 / (1 << 30);

QRgb PixelOf(Colour c) { return qRgb(RedOf(c), GreenOf(c), BlueOf(c)); }

// Nearest-neighbour stretch of the whole source into target, a plain source
// copy as the display's own stretch does it.
void StretchInto(QImage& dst, const QRect& target, const QImage& src) {
  const int tw = target.width(), th = target.height();
  const int sw = src.width(), sh = src.height();
  if (tw <= 0 || th <= 0 || sw <= 0 || sh <= 0) return;
  std::vector<int> fromColumn(tw);
  for (int x = 0; x < tw; ++x)
    fromColumn[x] = static_cast<int>((int64_t{2} * x + 1) * sw / (int64_t{2} * tw));
  for (int y = 0; y < th; ++y) {
    const int sy = static_cast<int>((int64_t{2} * y + 1) * sh / (int64_t{2} * th));
    const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
    auto* out = reinterpret_cast<QRgb*>(dst.scanLine(target.y() + y)) + target.x();
    for (int x = 0; x < tw; ++x) out[x] = in[fromColumn[x]];
  }
}

}  // namespace

int SphereWrap::SizeForQuality(double quality) {
  return static_cast<int>(RoundHalfEven(quality * 1024 / 10));
}

void SphereWrap::SqueezePIC(const QImage& tessImage, double quality, int backIndex) {
  Release();
  const int w = SizeForQuality(quality);
  if (w <= 0) return;
  QImage texture(w, w, QImage::Format_RGB32);
  QImage frame(w, w, QImage::Format_RGB32);
  if (texture.isNull() || frame.isNull()) return;  // no memory: no sphere
  texture.fill(PixelOf(PaletteColour(backIndex)));
  w_ = h_ = w;
  texture_ = std::move(texture);
  frame_ = std::move(frame);

  const QImage src = tessImage.convertToFormat(QImage::Format_RGB32);
  if (!src.isNull()) {
    if (src.height() * 1.5 < src.width()) {
      StretchInto(texture_, QRect(0, 0, w_, h_), src);
    } else {
      const int half = w_ / 2;
      StretchInto(texture_, QRect(0, 0, half, h_), src);
      StretchInto(texture_, QRect(half, 0, half, h_), src);
    }
  }
  SetBackCol(backIndex);
  Wrap_Rotate();
}

void SphereWrap::Wrap_Rotate() {
  rowLeft_.assign(h_, 0);
  rowRadius2_.assign(h_, 0.0f);
  const double half = w_ * 0.5;
  for (int r = 1; r <= h_; ++r) {
    const double h = std::sqrt((2 * half - r) * r);  // half-chord of the disc at row r
    // + 2 keeps every row two pixels inside the exact circle on each side.
    const int left = static_cast<int>(RoundHalfEven(half - h + 2));
    const int chord = w_ - 2 * left;
    rowLeft_[r - 1] = left;
    rowRadius2_[r - 1] = static_cast<float>((chord * 0.5) * (chord * 0.5));
  }
  spinShift_ = static_cast<int>(RoundHalfEven(w_ / 2.0));
  sphereCentre_ = spinShift_;
  angleScale_ = static_cast<float>((w_ / 2.0) / Pi);
  BuildOffsets();
}

double SphereWrap::LongitudeColumns(float rowRadius2, int dx, float angleScale) {
  double z2 = static_cast<double>(rowRadius2) - static_cast<double>(dx) * dx;
  // On an odd-sized disc the centre column is half a pixel off the circle's
  // centre, so one end pixel of each row lies half a column past the radius:
  // it is taken as on the rim.
  if (!(z2 > 0)) z2 = 0;
  const double theta = std::atan2(std::sqrt(z2), static_cast<double>(dx));
  return theta * static_cast<double>(angleScale);
}

int SphereWrap::TextureColumn(double longitude, int spinShift, int w) {
  int u = static_cast<int>(RoundHalfEven(longitude + spinShift));
  if (u < 1)
    u += w;
  else if (u > w)
    u -= w;
  return u;
}

bool SphereWrap::FixedColumnOffset(double longitude, int& offset) {
  const double whole = std::floor(longitude);
  const double fraction = longitude - whole;  // exact
  if (std::fabs(fraction - 0.5) <= HalfMargin) return false;
  offset = static_cast<int>(whole) + (fraction > 0.5 ? 1 : 0);
  return true;
}

void SphereWrap::BuildOffsets() {
  rowPlan_.assign(h_, -1);
  plans_.clear();
  offsets_.clear();
  extras_.clear();
  if (w_ > MaxTableWidth) return;
  // Rows with the same rim and circle have the same offsets.
  std::unordered_map<uint64_t, int> known;
  for (int r = 1; r <= h_; ++r) {
    const int left = rowLeft_[r - 1];
    const float radius2 = rowRadius2_[r - 1];
    uint32_t radiusBits;
    std::memcpy(&radiusBits, &radius2, sizeof radiusBits);
    const uint64_t key = (uint64_t{static_cast<uint32_t>(left)} << 32) | radiusBits;
    if (const auto it = known.find(key); it != known.end()) {
      rowPlan_[r - 1] = it->second;
      continue;
    }
    RowPlan plan;
    plan.count = std::max(0, w_ - 2 * left + 1);
    plan.start = static_cast<int>(offsets_.size());
    plan.extraBegin = static_cast<int>(extras_.size());
    for (int i = 0; i < plan.count; ++i) {
      const int x = left + i;
      const double longitude = LongitudeColumns(radius2, sphereCentre_ - x, angleScale_);
      int k = 0;
      if (!FixedColumnOffset(longitude, k))
        extras_.push_back({static_cast<int>(offsets_.size()), longitude});
      offsets_.push_back(k - 1);  // 0-based, so adding SpinShift gives the QImage column
    }
    plan.extraEnd = static_cast<int>(extras_.size());
    const int index = static_cast<int>(plans_.size());
    plans_.push_back(plan);
    known.emplace(key, index);
    rowPlan_[r - 1] = index;
  }
}

void SphereWrap::Rotate() {
  if (w_ <= 0) return;
  if (w_ > MaxTableWidth) {
    RotateReference();
    return;
  }
  const int w = w_;
  const int s = spinShift_;
  const qsizetype texStride = texture_.bytesPerLine() / 4;
  const qsizetype outStride = frame_.bytesPerLine() / 4;
  const auto* tex = reinterpret_cast<const QRgb*>(texture_.constBits());
  auto* out = reinterpret_cast<QRgb*>(frame_.bits());
  for (int r = 1; r <= h_; ++r) {
    const RowPlan& plan = plans_[rowPlan_[r - 1]];
    if (plan.count == 0) continue;
    const QRgb* src = tex + (h_ - r) * texStride;
    QRgb* dst = out + (h_ - r) * outStride + (rowLeft_[r - 1] - 1);
    const int32_t* k = offsets_.data() + plan.start;
    for (int i = 0; i < plan.count; ++i) {
      int c = k[i] + s;
      if (c < 0)
        c += w;
      else if (c >= w)
        c -= w;
      dst[i] = src[c];
    }
    for (int e = plan.extraBegin; e < plan.extraEnd; ++e)
      dst[extras_[e].slot - plan.start] = src[TextureColumn(extras_[e].longitude, s, w) - 1];
  }
}

void SphereWrap::RotateReference() {
  if (w_ <= 0) return;
  const qsizetype texStride = texture_.bytesPerLine() / 4;
  const qsizetype outStride = frame_.bytesPerLine() / 4;
  const auto* tex = reinterpret_cast<const QRgb*>(texture_.constBits());
  auto* out = reinterpret_cast<QRgb*>(frame_.bits());
  for (int r = 1; r <= h_; ++r) {
    const QRgb* src = tex + (h_ - r) * texStride;
    QRgb* dst = out + (h_ - r) * outStride;
    const int left = rowLeft_[r - 1];
    const float radius2 = rowRadius2_[r - 1];
    for (int x = left; x <= w_ - left; ++x) {
      const double longitude = LongitudeColumns(radius2, sphereCentre_ - x, angleScale_);
      dst[x - 1] = src[TextureColumn(longitude, spinShift_, w_) - 1];
    }
  }
}

void SphereWrap::SetBackCol(int backIndex) {
  if (w_ <= 0) return;
  frame_.fill(PixelOf(PaletteColour(backIndex)));
}

void SphereWrap::GetSpeed(int hScrollValue) { spinSpeed_ = 10 - hScrollValue; }

bool SphereWrap::SpinTick() {
  if (w_ <= 0) return false;
  const bool drawn = spinSpeed_ != 0;
  if (drawn) Rotate();
  spinShift_ += 2 * spinSpeed_;
  // To the other end, not round by the remainder.
  if (spinShift_ > w_)
    spinShift_ = 1;
  else if (spinShift_ < 1)
    spinShift_ = w_;
  return drawn;
}

void SphereWrap::SetSpinShift(int value) {
  if (w_ <= 0) {
    spinShift_ = value;
    return;
  }
  int m = (value - 1) % w_;
  if (m < 0) m += w_;
  spinShift_ = m + 1;
}

void SphereWrap::Release() {
  w_ = h_ = 0;
  texture_ = QImage();
  frame_ = QImage();
  rowLeft_.clear();
  rowRadius2_.clear();
  rowPlan_.clear();
  plans_.clear();
  offsets_.clear();
  extras_.clear();
}

}  // namespace wlg
