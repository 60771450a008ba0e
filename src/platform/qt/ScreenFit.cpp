#include "platform/qt/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace wlg {

QRect FitInside(const QRect& window, const QMargins& frame, const QRect& area, QSize minimum) {
  const int maxW = std::max(area.width() - frame.left() - frame.right(), minimum.width());
  const int maxH = std::max(area.height() - frame.top() - frame.bottom(), minimum.height());
  QRect r(window.topLeft(), window.size().boundedTo(QSize(maxW, maxH)));
  const QRect framed = r.marginsAdded(frame);
  int dx = 0, dy = 0;
  if (framed.right() > area.right()) dx = area.right() - framed.right();
  if (framed.left() + dx < area.left()) dx = area.left() - framed.left();
  if (framed.bottom() > area.bottom()) dy = area.bottom() - framed.bottom();
  if (framed.top() + dy < area.top()) dy = area.top() - framed.top();
  r.translate(dx, dy);
  return r;
}

namespace {

void Fit(QWidget* window, bool placed) {
  if (!window->isWindow() || window->isMaximized() || window->isFullScreen() ||
      window->isMinimized())
    return;
  const QRect inner = window->geometry();
  QScreen* screen = QGuiApplication::screenAt(inner.center());
  if (!screen) screen = window->screen();
  if (!screen) return;
  const QRect outer = window->frameGeometry();
  QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                 outer.right() - inner.right(), outer.bottom() - inner.bottom());
  // Until the window manager has framed it, allow for a title bar and borders.
  if (frame.isNull()) frame = QMargins(4, 30, 4, 4);
  const QRect fitted = FitInside(inner, frame, screen->availableGeometry(), window->minimumSize());
  if (fitted.size() != inner.size()) window->resize(fitted.size());
  // A window the program never placed is left to the window manager, which
  // puts a window that fits on the screen; a top-level window moves by its frame.
  if (placed && fitted.topLeft() != inner.topLeft())
    window->move(fitted.topLeft() - QPoint(frame.left(), frame.top()));
}

// Follows a window from its showing until it is on the screen: the window
// manager may still move it (placing it where it likes, or framing it),
// and each such move is checked again.
class Placement : public QObject {
 public:
  static constexpr const char* Name = "wlgPlacement";
  explicit Placement(QWidget* window) : QObject(window), window_(window) { setObjectName(Name); }

  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Move || e->type() == QEvent::Resize || e->type() == QEvent::Expose) {
      QTimer::singleShot(0, window_, [w = window_] { Fit(w, true); });
      if (e->type() == QEvent::Expose) deleteLater();
    }
    return false;
  }

 private:
  QWidget* window_;
};

}  // namespace

void FitOnScreen(QWidget* window) {
  if (!window) return;
  // Shown again, it comes back where it was, which the screen may no longer hold.
  const bool placed = window->testAttribute(Qt::WA_Moved) || window->property("wlgShown").toBool();
  window->setProperty("wlgShown", true);
  Fit(window, placed);
  QTimer::singleShot(0, window, [window] { Fit(window, true); });
  if (QWindow* handle = window->windowHandle()) {
    for (QObject* old : window->findChildren<QObject*>(Placement::Name, Qt::FindDirectChildrenOnly))
      old->deleteLater();
    handle->installEventFilter(new Placement(window));
  }
}

}  // namespace wlg
