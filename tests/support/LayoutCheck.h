#pragma once
// What a user would see as a broken window: a caption cut short, a control
// outside the window, or two controls on top of each other. Checked on the
// window's visible leaf controls at its current size.

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace wlg::testing {

inline QString Describe(const QWidget* w) {
  if (auto* b = qobject_cast<const QAbstractButton*>(w); b && !b->text().isEmpty())
    return b->text();
  if (auto* l = qobject_cast<const QLabel*>(w); l && !l->text().isEmpty()) return l->text();
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return "entry \"" + e->text() + "\"";
  return w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName();
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
    // A button without a caption (the rank rows' clear buttons) has nothing to cut.
    auto* button = qobject_cast<QAbstractButton*>(w);
    const bool blank = button && button->text().isEmpty() && button->icon().isNull();
    if (!blank &&
        (w->width() < w->minimumSizeHint().width() || w->height() < w->minimumSizeHint().height()))
      faults << Describe(w) + " is cut short" +
                    QString(" (%1x%2 < %3x%4)")
                        .arg(w->width())
                        .arg(w->height())
                        .arg(w->minimumSizeHint().width())
                        .arg(w->minimumSizeHint().height());
    leaves.emplace_back(w, r);
  }
  for (size_t i = 0; i < leaves.size(); ++i)
    for (size_t j = i + 1; j < leaves.size(); ++j)
      if (leaves[i].second.intersects(leaves[j].second))
        faults << Describe(leaves[i].first) + " overlaps " + Describe(leaves[j].first);
  return faults;
}

// The faults at the window's usual size and shrunk as far as it goes; the
// window gets its usual size back.
inline QStringList LayoutFaultsAtUsualAndSmallestSize(QWidget* window) {
  const QSize usual = window->size();
  QStringList faults = LayoutFaults(window);
  window->resize(1, 1);
  QCoreApplication::processEvents();
  for (const QString& f : LayoutFaults(window)) faults << "when shrunk: " + f;
  window->resize(usual);
  QCoreApplication::processEvents();
  return faults;
}

}  // namespace wlg::testing
