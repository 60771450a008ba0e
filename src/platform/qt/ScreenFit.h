#pragma once
// Keeping a window fully on the screen it opens on: no part of it under the
// panel or beyond the edge, whatever size it asks for or where it was last.

#include <QMargins>
#include <QRect>
#include <QSize>
#include <functional>

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

// Lets the window manager show and place a window just shown, for at most
// 'timeoutMs': a dialog about the window then opens over where it stays.
void WaitUntilPlaced(QWidget* window, int timeoutMs = 3000);

// Where a window of inner size 'size' (never below 'minimum') with frame
// 'frame' opens next to the framed rectangle 'companion' inside 'area': in
// the free strip beside it (or below or above it, at its full height) that
// shows the most of the window; where none holds it, over the companion but clear of 'keepClear'
// as far as the area allows. Returns the inner geometry; 'beside' tells
// which of the two it is.
QRect PlaceBeside(QSize size, QSize minimum, const QMargins& frame, const QRect& area,
                  const QRect& companion, const QRect& keepClear, bool* beside = nullptr);

// The first showing of 'window' puts it beside 'companion' (PlaceBeside,
// with 'keepClear' in global coordinates), following the companion while
// the window manager is still placing the two. When that showing comes
// while 'arranging' says so (the program's start), the companion too may
// move, to the area's corner, where that makes room beside it. Later
// showings bring the window back where the user left it.
void OpenBeside(QWidget* window, QWidget* companion, std::function<QRect()> keepClear,
                std::function<bool()> arranging);

}  // namespace wlg
