#pragma once
// Keeping a window fully on the screen it opens on: no part of it under the
// panel or beyond the edge, whatever size it asks for or where it was last.

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace wlg {

// Where a window whose inner geometry is 'window' and whose frame adds
// 'frame' goes so that the framed window lies inside 'area': the inner size
// is clamped (never below 'minimum') and the window moved in as little as
// possible. A window that fits already stays where it is.
QRect FitInside(const QRect& window, const QMargins& frame, const QRect& area, QSize minimum);

// Applies FitInside with the available area of the window's screen and its
// frame as far as it is known (a window never shown has a guessed title bar).
// Maximised and full-screen windows are left to the window manager.
void FitOnScreen(QWidget* window);

}  // namespace wlg
