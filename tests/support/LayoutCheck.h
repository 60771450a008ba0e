#pragma once
// What a user would see as a broken window: a caption cut short, a control
// outside the window, two controls on top of each other, or a column heading
// that has drifted off its column. Checked on the window's visible leaf
// controls at its current size.

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>
#include <QStyle>
#include <QApplication>
#include <QFontInfo>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QWidget>
#include <vector>

#include "controls/qt/Bindings.h"

namespace wlg::testing {

inline QString Describe(const QWidget* w) {
  if (auto* b = qobject_cast<const QAbstractButton*>(w); b && !b->text().isEmpty())
    return b->text();
  if (auto* l = qobject_cast<const QLabel*>(w); l && !l->text().isEmpty()) return l->text();
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return "entry \"" + e->text() + "\"";
  return w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
}

// A button without a caption (the rank rows' clear buttons) has nothing to cut.
inline bool Blank(QWidget* w) {
  auto* button = qobject_cast<QAbstractButton*>(w);
  return button && button->text().isEmpty() && button->icon().isNull();
}

// An entry is cut short only when the widest value it takes (or the text it
// shows) does not fit the room its frame leaves for text; its size hint
// asks for more than that and says nothing a person would see.
inline QString EntryCut(QLineEdit* e) {
  QStringList texts{e->text()};
  if (auto* v = qobject_cast<wlg::ValidTextWidget*>(e))
    texts << QString::fromStdString(v->model().ValMin) << QString::fromStdString(v->model().ValMax);
  QStyleOptionFrame opt;
  opt.initFrom(e);
  opt.rect = e->rect();
  opt.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
  // QLineEdit keeps two pixels free on each side of its text.
  const QRect room = e->style()->subElementRect(QStyle::SE_LineEditContents, &opt, e)
                         .marginsRemoved(e->textMargins())
                         .adjusted(2, 0, -2, 0);
  const QFontMetrics fm = e->fontMetrics();
  for (const QString& t : texts)
    if (fm.horizontalAdvance(t) > room.width() || fm.ascent() + fm.descent() > room.height())
      return QString("entry \"%1\" is cut short (%2 needs %3x%4, has %5x%6)")
          .arg(e->text(), t)
          .arg(fm.horizontalAdvance(t))
          .arg(fm.ascent() + fm.descent())
          .arg(room.width())
          .arg(room.height());
  return {};
}

inline QStringList LayoutFaults(QWidget* window) {
  QStringList faults;
  std::vector<std::pair<QWidget*, QRect>> leaves;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window) || !w->findChildren<QWidget*>().isEmpty()) continue;
    const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) ||
                         qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSlider*>(w);
    if (!control) continue;
    const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
    if (!window->rect().contains(r)) faults << Describe(w) + " is outside the window";
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
      if (const QString cut = EntryCut(e); !cut.isEmpty()) faults << cut;
    } else if (!Blank(w) && (w->width() < w->minimumSizeHint().width() ||
                             w->height() < w->minimumSizeHint().height())) {
      faults << Describe(w) + " is cut short" +
                    QString(" (%1x%2 < %3x%4)")
                        .arg(w->width())
                        .arg(w->height())
                        .arg(w->minimumSizeHint().width())
                        .arg(w->minimumSizeHint().height());
    }
    leaves.emplace_back(w, r);
  }
  for (size_t i = 0; i < leaves.size(); ++i)
    for (size_t j = i + 1; j < leaves.size(); ++j)
      if (leaves[i].second.intersects(leaves[j].second))
        faults << Describe(leaves[i].first) + " overlaps " + Describe(leaves[j].first);
  return faults;
}

// What of a widget the user sees, in window coordinates: a check box or an
// option button is its mark and its caption, however wide the widget.
inline QRect SeenRect(QWidget* w, QWidget* window) {
  QRect r(QPoint(0, 0), w->size());
  auto* box = qobject_cast<QCheckBox*>(w);
  auto* option = qobject_cast<QRadioButton*>(w);
  if (box || option) {
    auto* b = static_cast<QAbstractButton*>(w);
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    QStyle* style = b->style();
    r = style->subElementRect(
        option ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &opt, b);
    if (!b->text().isEmpty()) {
      const QRect text = style->subElementRect(
          option ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &opt, b);
      r |= QRect(text.topLeft(), QSize(b->fontMetrics().horizontalAdvance(b->text()), 1));
    }
  }
  return r.translated(w->mapTo(window, QPoint(0, 0)));
}

// The rectangle of a layout item's visible widgets, in window coordinates.
inline QRect ItemRect(QLayoutItem* item, QWidget* window) {
  if (QWidget* w = item->widget()) return w->isVisibleTo(window) ? SeenRect(w, window) : QRect();
  QRect r;
  if (QLayout* l = item->layout())
    for (int i = 0; i < l->count(); ++i) r |= ItemRect(l->itemAt(i), window);
  return r;
}

// A heading is a label centred in its grid cell; its centre must lie over
// the controls of the first row below it that has any in its columns.
inline QStringList HeadingFaults(QWidget* window) {
  QStringList faults;
  for (QGridLayout* grid : window->findChildren<QGridLayout*>()) {
    for (int i = 0; i < grid->count(); ++i) {
      QLayoutItem* item = grid->itemAt(i);
      auto* label = qobject_cast<QLabel*>(item->widget());
      if (!label || !label->isVisibleTo(window)) continue;
      if (!((label->alignment() | item->alignment()) & Qt::AlignHCenter)) continue;
      int row = 0, col = 0, rows = 0, cols = 0;
      grid->getItemPosition(i, &row, &col, &rows, &cols);
      QRect below;
      for (int r = row + rows; r < grid->rowCount() && below.isNull(); ++r)
        for (int j = 0; j < grid->count(); ++j) {
          int r2 = 0, c2 = 0, rs2 = 0, cs2 = 0;
          grid->getItemPosition(j, &r2, &c2, &rs2, &cs2);
          if (r2 != r || c2 + cs2 <= col || c2 >= col + cols) continue;
          if (qobject_cast<QLabel*>(grid->itemAt(j)->widget())) continue;
          below |= ItemRect(grid->itemAt(j), window);
        }
      if (below.isNull()) continue;
      const int centre = label->mapTo(window, QPoint(label->width() / 2, 0)).x();
      if (centre < below.left() || centre > below.right())
        faults << QString("heading %1 is off its column (centre %2, controls %3..%4)")
                      .arg(label->text())
                      .arg(centre)
                      .arg(below.left())
                      .arg(below.right());
    }
  }
  return faults;
}

// The faults at the window's usual size, shrunk as far as it goes and
// stretched far beyond (as maximised on a large screen); the window gets its
// usual size back.
inline QStringList LayoutFaultsAtAnySize(QWidget* window) {
  const QSize usual = window->size();
  auto at = [&](const QString& when) {
    QCoreApplication::processEvents();
    QStringList faults;
    for (const QString& f : LayoutFaults(window) + HeadingFaults(window)) faults << when + f;
    return faults;
  };
  QStringList faults = at("");
  window->resize(1, 1);
  faults += at("when shrunk: ");
  window->resize(usual * 2.5);
  faults += at("when stretched: ");
  window->resize(usual);
  QCoreApplication::processEvents();
  return faults;
}

// The same faults with the common desktop fonts, DejaVu Sans and Noto Sans,
// at the usual size and at a large one. The window is laid out afresh for
// each; a font that is not installed is a fault, not a pass.
inline QStringList LayoutFaultsInEveryFont(QWidget* window) {
  const QFont usual = QApplication::font();
  QStringList faults;
  for (const char* family : {"DejaVu Sans", "Noto Sans"})
    for (const int points : {usual.pointSize() > 0 ? usual.pointSize() : 9, 14}) {
      QFont font(family, points);
      QApplication::setFont(font);
      QCoreApplication::processEvents();
      if (QFontInfo(font).family() != family) {
        faults << QString("%1 is not installed").arg(family);
        continue;
      }
      window->resize(window->sizeHint().expandedTo(window->minimumSizeHint()));
      for (const QString& f : LayoutFaultsAtAnySize(window))
        faults << QString("%1 %2 pt: %3").arg(family).arg(points).arg(f);
    }
  QApplication::setFont(usual);
  QCoreApplication::processEvents();
  return faults;
}

}  // namespace wlg::testing
