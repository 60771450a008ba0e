#pragma once
// A picture control: a persistent canvas the view shows, and the pointer
// events the view forwards to the window's handlers.

#include <functional>

#include "controls/Controls.h"
#include "platform/ImageCanvas.h"

namespace wlg {

// A press or release names one button; a move gives the sum of those held.
enum class MouseButton { None = 0, Left = 1, Right = 2, Middle = 4 };
// Shift state bits as the handlers test them.
enum ShiftState : int { ShiftKey = 1, CtrlKey = 2, AltKey = 4 };
enum class CursorShape { Arrow, Cross };

class PictureBox : public Control {
 public:
  PictureBox(std::string name, int index, int width, int height)
      : Control(std::move(name), index, ControlKind::Picture), canvas(width, height) {}

  ImageCanvas canvas;

  // The picture changed; the view repaints.
  void Invalidate() { Refresh(); }

  void SetCursor(CursorShape c) {
    if (cursor_ == c) return;
    cursor_ = c;
    Refresh();
  }
  CursorShape Cursor() const { return cursor_; }

  std::function<void(int index, MouseButton button, int shift, float x, float y)> onMouseDown;
  std::function<void(int index, MouseButton button, int shift, float x, float y)> onMouseMove;
  std::function<void(int index, MouseButton button, int shift, float x, float y)> onMouseUp;
  // The picture is to be drawn again: the screen it shows on has another
  // device pixel ratio now.
  std::function<void()> onRedraw;
  // A left double-click; without a handler its second press is a plain press.
  std::function<void(int index)> onDblClick;

 private:
  CursorShape cursor_ = CursorShape::Arrow;
};

}  // namespace wlg
