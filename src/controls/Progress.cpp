#include "controls/Progress.h"

#include <algorithm>

#include "platform/Numbers.h"

namespace wlg {

void BarPicture::Move(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Refresh();
}

void BarPicture::SetWidth(int width) {
  if (width == width_) return;
  width_ = width;
  Refresh();
}

frmProgress::frmProgress() {
  btnCancel.onClick = [this](int) { btnCancel_Click(); };
  Form_Load();
}

void frmProgress::Form_Load() { picInner.Move(0, 0, picInner.Width(), picProgress.Height()); }

void frmProgress::btnCancel_Click() { cancelPressed_ = true; }

void frmProgress::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Refresh();
}

void frmProgress::Show(const void* owner) {
  // Each run starts uncancelled.
  if (!visible_) cancelPressed_ = false;
  owner_ = owner;
  visible_ = true;
  Refresh();
}

void frmProgress::Hide() {
  if (!visible_) return;
  visible_ = false;
  Refresh();
}

void ProgressReporter::ShowProgress(int percent) {
  percent = std::clamp(percent, 0, 100);
  BarPicture& inner = form_.picInner;
  const int outerWidth = form_.picProgress.Width();

  if (percent == 0) {
    inner.SetWidth(1);
    form_.SetCaption(state.text);
    inner.SetBackColour(Rgb(0, 0, 255));
    form_.Show(state.owner);
  } else if (percent < 100) {
    const int red = static_cast<int>(RoundHalfEven(percent * 255 / 100.0));
    inner.SetBackColour(Rgb(red, 0, 255));
    inner.SetWidth(static_cast<int>(RoundHalfEven(outerWidth * percent / 100.0)));
    form_.SetCaption(state.text + std::to_string(percent) + "%");
    if (letPendingInputRun) letPendingInputRun();
  } else {
    inner.SetWidth(outerWidth);
    form_.SetCaption(state.text + " 100%");
    form_.Hide();
  }
}

}  // namespace wlg
