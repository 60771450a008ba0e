#pragma once
// The progress dialog's window: a modeless QDialog that shows frmProgress
// (caption, the outer and inner bars, the Cancel button) and follows its
// visible flag. It holds no logic of its own.

#include <QDialog>
#include <QWidget>
#include <functional>

class QPushButton;

namespace wlg {

class frmProgress;
class BarPicture;

// The outer bar with the inner bar drawn inside it, one model unit per pixel.
class ProgressBarView : public QWidget {
  Q_OBJECT
 public:
  ProgressBarView(const BarPicture& outer, const BarPicture& inner, QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const BarPicture& outer_;
  const BarPicture& inner_;
};

class ProgressDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ProgressDialog(frmProgress& form, QWidget* parent = nullptr);
  ~ProgressDialog() override;

  // Maps the model's opaque owner to the window to appear over; without it
  // (or when it answers null) the dialog stays over its Qt parent.
  std::function<QWidget*(const void* owner)> ownerWidget;

 protected:
  // While an operation runs, Escape and the window's close box act as the
  // Cancel button: the dialog goes away only when the operation reports 100.
  void reject() override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void SyncForm();

  frmProgress& form_;
  ProgressBarView* bar_;
  QPushButton* cancel_;
};

}  // namespace wlg
