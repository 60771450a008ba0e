#pragma once
// The progress dialog that long operations (pattern loading, VRML export)
// drive with percentages. frmProgress is the dialog's model; a view shows it.
// The operation talks to a ProgressReporter, which holds the caption text and
// owner for the current run and whose ShowProgress shows, advances and hides
// the dialog.

#include <functional>
#include <string>
#include <utility>

#include "controls/Controls.h"
#include "platform/Colour.h"

namespace wlg {

// A picture box used as a bar: a rectangle in model units (one unit is one
// pixel in the view), filled with its back colour.
class BarPicture : public Control {
 public:
  BarPicture(std::string name, int left, int top, int width, int height)
      : Control(std::move(name), 0, ControlKind::Picture),
        left_(left),
        top_(top),
        width_(width),
        height_(height) {}

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void Move(int left, int top, int width, int height);
  void SetWidth(int width);

 private:
  int left_, top_, width_, height_;
};

class frmProgress {
 public:
  static constexpr int kBarWidth = 300;
  static constexpr int kBarHeight = 20;

  frmProgress();
  frmProgress(const frmProgress&) = delete;
  frmProgress& operator=(const frmProgress&) = delete;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);

  // Modeless: the caller keeps running while the dialog is up.
  void Show(const void* owner);
  void Hide();
  bool Visible() const { return visible_; }
  // The window the dialog was last shown over (opaque; the GUI maps it to a widget).
  const void* Owner() const { return owner_; }

  // Set by btnCancel, cleared when the dialog is shown again. Operations
  // that can stop part-way (an animation's save) read it; the others go on
  // to the end.
  bool CancelPressed() const { return cancelPressed_; }

  BarPicture picProgress{"picProgress", 0, 0, kBarWidth, kBarHeight};
  BarPicture picInner{"picInner", 0, 0, 1, kBarHeight};
  Button btnCancel{"btnCancel", 0, "&Cancel"};

  // The view, told when the caption or the visibility changes. The controls
  // above have their own onRefresh.
  std::function<void()> onRefresh;

 private:
  void Form_Load();
  void btnCancel_Click();
  void Refresh() {
    if (onRefresh) onRefresh();
  }

  std::string caption_ = "Progress";
  bool visible_ = false;
  const void* owner_ = nullptr;
  bool cancelPressed_ = false;
};

// What the caller sets before the first report of a run.
struct ProgressState {
  std::string text;             // "Loading ...", "Saving VRML2..."
  const void* owner = nullptr;  // the window the dialog appears over
};

class ProgressReporter {
 public:
  explicit ProgressReporter(frmProgress& form) : form_(form) {}

  ProgressState state;

  // Lets the program's other windows respond between intermediate reports.
  // The GUI sets it to QCoreApplication::processEvents; headless runs leave it empty.
  std::function<void()> letPendingInputRun;

  // percent 0 shows the dialog with an empty blue bar, 1..99 advance it
  // (blue turning towards magenta) and yield to pending input, 100 fills it
  // and hides the dialog. Values outside 0..100 are clamped.
  void ShowProgress(int percent);

  frmProgress& Form() { return form_; }

 private:
  frmProgress& form_;
};

}  // namespace wlg
