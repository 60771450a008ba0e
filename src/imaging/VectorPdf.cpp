// The PDF: the plan painted through Qt's PDF writer on one page, in
// millimetres, with the drawing clipped to its own area.

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include "imaging/VectorDrawing.h"
#include "platform/Colour.h"

namespace wlg {

namespace {

QColor ToQ(Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

// Points are painted in a fine grid of device units, so coordinates keep
// their fractions.
constexpr int kPdfDpi = 7200;

bool SetPage(QPdfWriter& pdf, const VectorPlan& plan) {
  return pdf.setPageSize(QPageSize(QSizeF(plan.pageWidthMm, plan.pageHeightMm),
                                   QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
}

void PaintPage(QPainter& painter, const VectorPlan& plan) {
  painter.save();
  painter.scale(kPdfDpi / 25.4, kPdfDpi / 25.4);  // millimetres from here on
  // On a page of its own the page edge clips the drawing.
  if (plan.drawingLeftMm > 0 || plan.drawingTopMm > 0)
    painter.setClipRect(
        QRectF(plan.drawingLeftMm, plan.drawingTopMm, plan.drawingWidthMm, plan.drawingHeightMm));
  std::vector<QPointF> pts;
  for (const PlanLayer& layer : plan.layers) {
    const QColor colour = ToQ(layer.colour);
    if (layer.kind == PlanLayer::Kind::Stroke) {
      painter.setBrush(Qt::NoBrush);
    } else {
      painter.setPen(Qt::NoPen);
      painter.setBrush(colour);
    }
    double penMm = -1;
    for (const PlanPath& p : layer.paths) {
      pts.resize(p.points.size());
      for (size_t i = 0; i < pts.size(); ++i) pts[i] = {p.points[i].x, p.points[i].y};
      if (layer.kind != PlanLayer::Kind::Stroke && p.ringStarts.empty()) {
        painter.drawPolygon(pts.data(), static_cast<int>(pts.size()), Qt::OddEvenFill);
        continue;
      }
      if (layer.kind != PlanLayer::Kind::Stroke) {
        QPainterPath rings;
        rings.setFillRule(Qt::OddEvenFill);
        size_t next = 0;
        for (size_t i = 0; i < pts.size(); ++i) {
          if (i == 0 || (next < p.ringStarts.size() && p.ringStarts[next] == i)) {
            if (i != 0) {
              rings.closeSubpath();
              ++next;
            }
            rings.moveTo(pts[i]);
          } else {
            rings.lineTo(pts[i]);
          }
        }
        rings.closeSubpath();
        painter.drawPath(rings);
        continue;
      }
      if (p.strokeMm != penMm) {
        penMm = p.strokeMm;
        QPen pen(colour, penMm);
        if (!layer.dashMm.empty() && penMm > 0) {
          // Qt measures dashes in pen widths.
          QList<qreal> dashes;
          for (double d : layer.dashMm) dashes.push_back(d / penMm);
          pen.setDashPattern(dashes);
        }
        pen.setCapStyle(layer.dashMm.empty() ? Qt::RoundCap : Qt::FlatCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
      }
      if (p.closed)
        painter.drawPolygon(pts.data(), static_cast<int>(pts.size()));
      else
        painter.drawPolyline(pts.data(), static_cast<int>(pts.size()));
    }
  }
  painter.restore();
}

}  // namespace

bool PdfBytes(const VectorPlan& plan, std::string& out) {
  return PdfBytes(std::span<const VectorPlan>(&plan, 1), out);
}

bool PdfBytes(std::span<const VectorPlan> pages, std::string& out) {
  if (pages.empty()) return false;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return false;
  {
    QPdfWriter pdf(&buffer);
    pdf.setCreator("Whirligons " WHIRLIGONS_VERSION);
    pdf.setTitle("Whirligons");
    pdf.setResolution(kPdfDpi);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    if (!SetPage(pdf, pages[0])) return false;
    QPainter painter;
    if (!painter.begin(&pdf)) return false;
    for (size_t k = 0; k < pages.size(); ++k) {
      if (k > 0 && (!SetPage(pdf, pages[k]) || !pdf.newPage())) return false;
      PaintPage(painter, pages[k]);
    }
    if (!painter.end()) return false;
  }
  buffer.close();
  out.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
  return !out.empty();
}

}  // namespace wlg
