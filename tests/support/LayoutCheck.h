#pragma once
// What a user would see as a broken window: a caption cut short, an entry
// whose widest value does not fit, a control outside the window or on top
// of another, a column heading off its column.

#include <QtWidgets>
#include <algorithm>
#include <vector>

#include "controls/qt/Bindings.h"

namespace wlg::testing {

inline QString Describe(const QWidget* w) { return "\"" + w->property("text").toString() + "\""; }

// An entry is cut short when the widest value it takes (or its text) does
// not fit the room its frame leaves for text, whatever its size hint says.
inline bool EntryCut(QLineEdit* e) {
  QStringList texts{e->text()};
  if (auto* v = qobject_cast<wlg::ValidTextWidget*>(e))
    texts << QString::fromStdString(v->model().ValMin) << QString::fromStdString(v->model().ValMax);
  QStyleOptionFrame opt;
  opt.initFrom(e);
  opt.lineWidth =
      e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, e) : 0;
  // QLineEdit keeps two pixels free on each side of its text.
  const QRect room = e->style()
                         ->subElementRect(QStyle::SE_LineEditContents, &opt, e)
                         .marginsRemoved(e->textMargins())
                         .adjusted(2, 0, -2, 0);
  const QFontMetrics fm = e->fontMetrics();
  return std::any_of(texts.begin(), texts.end(), [&](const QString& t) {
    return fm.horizontalAdvance(t) > room.width() || fm.ascent() + fm.descent() > room.height();
  });
}

// What of a layout item the user sees, in window coordinates: a check box
// or an option button is its mark and its caption, however wide the widget.
inline QRect ItemRect(QLayoutItem* item, QWidget* window) {
  QRect r;
  if (QLayout* l = item->layout())
    for (int i = 0; i < l->count(); ++i) r |= ItemRect(l->itemAt(i), window);
  QWidget* w = item->widget();
  if (!w || !w->isVisibleTo(window)) return r;
  r = QRect(QPoint(0, 0), w->size());
  const bool option = qobject_cast<QRadioButton*>(w);
  if (auto* b = qobject_cast<QAbstractButton*>(w); option || qobject_cast<QCheckBox*>(w)) {
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    r = b->style()->subElementRect(
        option ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &opt, b);
    const QRect text = b->style()->subElementRect(
        option ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &opt, b);
    if (!b->text().isEmpty())
      r |= QRect(text.topLeft(), QSize(b->fontMetrics().horizontalAdvance(b->text()), 1));
  }
  return r.translated(w->mapTo(window, QPoint(0, 0)));
}

// A control in a scroll area's panel lies in that panel (the rest of it is
// reached by scrolling), any other in the window.
inline QWidget* Room(QWidget* w, QWidget* window) {
  for (QWidget* p = w; p && p != window; p = p->parentWidget())
    if (auto* s = qobject_cast<QScrollArea*>(p); s && s->widget()->isAncestorOf(w))
      return s->widget();
  return window;
}

inline QStringList LayoutFaults(QWidget* window) {
  QStringList faults;
  std::vector<std::tuple<QWidget*, QRect, QWidget*>> leaves;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    auto* button = qobject_cast<QAbstractButton*>(w);
    auto* entry = qobject_cast<QLineEdit*>(w);
    if (!w->isVisibleTo(window) || !w->findChildren<QWidget*>().isEmpty() ||
        (!button && !entry && !qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractSlider*>(w)))
      continue;
    QWidget* room = Room(w, window);
    const QRect r(w->mapTo(room, QPoint(0, 0)), w->size());
    if (!room->rect().contains(r)) faults << Describe(w) + " is outside the window";
    // A button without a caption (the rank rows' clear buttons) has nothing to cut.
    const bool blank = button && button->text().isEmpty() && button->icon().isNull();
    const QSize least = w->minimumSizeHint();
    if (entry ? EntryCut(entry)
              : !blank && (w->width() < least.width() || w->height() < least.height()))
      faults << Describe(w) + " is cut short";
    for (const auto& [other, seen, itsRoom] : leaves)
      if (itsRoom == room && seen.intersects(r))
        faults << Describe(other) + " overlaps " + Describe(w);
    leaves.emplace_back(w, r, room);
  }
  // A heading is a label centred in its grid cell; its centre must lie over
  // the controls of the first row below it that has any in its columns.
  for (QGridLayout* grid : window->findChildren<QGridLayout*>())
    for (int i = 0; i < grid->count(); ++i) {
      auto* label = qobject_cast<QLabel*>(grid->itemAt(i)->widget());
      if (!label || !label->isVisibleTo(window) ||
          !((label->alignment() | grid->itemAt(i)->alignment()) & Qt::AlignHCenter))
        continue;
      int row, col, rows, cols, r2, c2, rs2, cs2;
      grid->getItemPosition(i, &row, &col, &rows, &cols);
      QRect below;
      for (int r = row + rows; r < grid->rowCount() && below.isNull(); ++r)
        for (int j = 0; j < grid->count(); ++j) {
          grid->getItemPosition(j, &r2, &c2, &rs2, &cs2);
          if (r2 == r && c2 + cs2 > col && c2 < col + cols &&
              !qobject_cast<QLabel*>(grid->itemAt(j)->widget()))
            below |= ItemRect(grid->itemAt(j), window);
        }
      const int centre = label->mapTo(window, QPoint(label->width() / 2, 0)).x();
      if (!below.isNull() && (centre < below.left() || centre > below.right()))
        faults << "heading " + label->text() + " is off its column";
    }
  return faults;
}

// Under DejaVu Sans and Noto Sans at the usual size and 14 pt (a missing font
// is a fault), at the size the window asks for, shrunk and stretched.
inline QStringList LayoutFaultsInEveryFont(QWidget* window) {
  const QFont usual = QApplication::font();
  const QSize size = window->size();
  QStringList faults;
  for (const char* family : {"DejaVu Sans", "Noto Sans"})
    for (const int points : {usual.pointSize() > 0 ? usual.pointSize() : 9, 14}) {
      const QFont font(family, points);
      QApplication::setFont(font);
      QCoreApplication::processEvents();
      if (QFontInfo(font).family() != family) faults << QString(family) + " is not installed";
      // A canvas that fills its window holds the window's hint at its own
      // size: shrunk first, the window asks for what its controls need, not
      // two and a half times the last font's stretch (which compounds).
      window->resize(1, 1);
      QCoreApplication::processEvents();
      const QSize fits = window->sizeHint().expandedTo(window->minimumSizeHint());
      for (const QSize at : {fits, QSize(1, 1), fits * 2.5}) {
        window->resize(at);
        QCoreApplication::processEvents();
        for (const QString& f : LayoutFaults(window))
          faults << QString("%1 %2 pt, %3 wide: %4").arg(family).arg(points).arg(at.width()).arg(f);
      }
    }
  QApplication::setFont(usual);
  window->resize(size);
  QCoreApplication::processEvents();
  return faults;
}

}  // namespace wlg::testing
