#include "platform/qt/ScreenFit.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
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

QRect PlaceBeside(QSize size, QSize minimum, const QMargins& frame, const QRect& area,
                  const QRect& companion, const QRect& keepClear, bool* beside) {
  const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
  // The inner rectangle of a window framed inside 'strip', at 'x', 'y' (framed
  // corner) when they are inside it, and the most of it that shows there.
  auto inside = [&](const QRect& strip) {
    const QSize room = strip.size() - frameSize;
    return size.boundedTo(room).expandedTo(minimum);
  };
  auto fits = [&](const QRect& strip) {
    const QSize room = strip.size() - frameSize;
    return room.width() >= minimum.width() && room.height() >= minimum.height();
  };
  auto clampedTo = [](int v, int low, int high) { return std::max(low, std::min(v, high)); };
  // The framed window in 'strip', against the companion's side or level
  // with it, and held inside the area where its least size is too big.
  auto at = [&](const QRect& strip, bool rightAligned, bool bottomAligned) {
    const QSize inner = inside(strip);
    const QSize outer = inner + frameSize;
    int x = rightAligned ? strip.right() + 1 - outer.width() : strip.left();
    int y = bottomAligned ? strip.bottom() + 1 - outer.height() : strip.top();
    if (strip.height() == area.height()) y = companion.top();
    if (strip.width() == area.width()) x = companion.left();
    x = clampedTo(x, area.left(), area.right() + 1 - outer.width());
    y = clampedTo(y, area.top(), area.bottom() + 1 - outer.height());
    return QRect(QPoint(x + frame.left(), y + frame.top()), inner);
  };
  const QRect right(QPoint(companion.right() + 1, area.top()), area.bottomRight());
  const QRect left(area.topLeft(), QPoint(companion.left() - 1, area.bottom()));
  const QRect below(QPoint(area.left(), companion.bottom() + 1), area.bottomRight());
  const QRect above(area.topLeft(), QPoint(area.right(), companion.top() - 1));
  QRect best;
  // Above or below only at the full height: a canvas cut short hides the
  // bottom of its picture, which is not drawn from its centre.
  auto consider = [&](const QRect& strip, bool rightAligned, bool bottomAligned) {
    if (!fits(strip)) return;
    if (strip.width() == area.width() && strip.height() - frameSize.height() < size.height())
      return;
    const QRect r = at(strip, rightAligned, bottomAligned);
    if (best.isNull() || r.width() * r.height() > best.width() * best.height()) best = r;
  };
  consider(right, false, false);
  consider(left, true, false);
  consider(below, false, false);
  consider(above, false, true);
  if (beside) *beside = !best.isNull();
  if (!best.isNull()) return best;
  // No room beside: over the companion on the far side of what must stay clear.
  const QRect before(area.topLeft(), QPoint(keepClear.left() - 1, area.bottom()));
  const QRect after(QPoint(keepClear.right() + 1, area.top()), area.bottomRight());
  const bool useBefore = before.width() >= after.width();
  return at(useBefore ? before : after, useBefore, false);
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

// Keeps a window beside its companion from its first showing until both
// are on the screen where the window manager put them.
class Beside : public QObject {
 public:
  Beside(QWidget* window, QWidget* companion, std::function<QRect()> keepClear,
         std::function<bool()> arranging)
      : QObject(window),
        window_(window),
        companion_(companion),
        keepClear_(std::move(keepClear)),
        arranging_(std::move(arranging)) {
    window->installEventFilter(this);
    companion->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
      case QEvent::Show:
        if (watched != window_ || state_ != State::Waiting) break;
        state_ = State::Following;
        mayMoveCompanion_ = arranging_ && arranging_();
        if (QWindow* handle = window_->windowHandle()) handle->installEventFilter(this);
        if (QWindow* handle = companion_ ? companion_->windowHandle() : nullptr)
          handle->installEventFilter(this);
        Place();
        Later();
        break;
      case QEvent::Move:
      case QEvent::Resize:
        if (watched == companion_.data() && state_ == State::Following) Later();
        break;
      case QEvent::Expose:
        if (state_ != State::Following) break;
        Later();
        if (Exposed(window_) && Exposed(companion_)) {
          // Both are on the screen: one last look, then the window is the user's.
          state_ = State::Done;
          QTimer::singleShot(0, this, [this] { Place(); });
        }
        break;
      default:
        break;
    }
    return false;
  }

 private:
  enum class State { Waiting, Following, Done };
  static bool Exposed(QWidget* w) {
    return w && w->windowHandle() && w->windowHandle()->isExposed();
  }
  void Later() {
    QTimer::singleShot(0, this, [this] { Place(); });
  }
  void Place() {
    if (!companion_ || window_->isMaximized() || window_->isFullScreen() || !window_->isVisible())
      return;
    QScreen* screen = companion_->screen();
    if (!screen) return;
    const QRect inner = window_->geometry();
    const QRect outer = window_->frameGeometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (frame.isNull()) frame = QMargins(4, 30, 4, 4);
    const QRect area = screen->availableGeometry();
    bool beside = false;
    QRect to = PlaceBeside(window_->size(), window_->minimumSize(), frame, area,
                           companion_->frameGeometry(), keepClear_(), &beside);
    // Where the window manager put the companion leaves no room beside it,
    // the corner may.
    QRect cornered = companion_->frameGeometry();
    cornered.moveTopLeft(area.topLeft());
    if (!beside && mayMoveCompanion_ && cornered != companion_->frameGeometry()) {
      const QRect there = PlaceBeside(window_->size(), window_->minimumSize(), frame, area,
                                      cornered, QRect(), &beside);
      if (beside) {
        companion_->move(area.topLeft());
        to = there;
      }
    }
    if (to.size() != inner.size()) window_->resize(to.size());
    if (to.topLeft() != inner.topLeft())
      window_->move(to.topLeft() - QPoint(frame.left(), frame.top()));
  }

  QWidget* window_;
  QPointer<QWidget> companion_;
  std::function<QRect()> keepClear_;
  std::function<bool()> arranging_;
  State state_ = State::Waiting;
  bool mayMoveCompanion_ = false;
};

}  // namespace

void WaitUntilPlaced(QWidget* window, int timeoutMs) {
  if (!window || !window->isVisible()) return;
  QDeadlineTimer deadline(timeoutMs);
  const auto flags = QEventLoop::ExcludeUserInputEvents;
  while (!deadline.hasExpired() && !(window->windowHandle() && window->windowHandle()->isExposed()))
    QCoreApplication::processEvents(flags | QEventLoop::WaitForMoreEvents, 20);
  // The fitting on the screen posted at the showing moves it once more.
  QCoreApplication::processEvents(flags);
  QCoreApplication::processEvents(flags);
}

void OpenBeside(QWidget* window, QWidget* companion, std::function<QRect()> keepClear,
                std::function<bool()> arranging) {
  if (window && companion)
    new Beside(window, companion, std::move(keepClear), std::move(arranging));
}

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
