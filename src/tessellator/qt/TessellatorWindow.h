#pragma once
#include <QMainWindow>

#include "tessellator/frmT.h"

namespace wlg {

class CanvasWidget;

// The tessellator's window: a thin view over frmT.
class TessellatorWindow : public QMainWindow {
  Q_OBJECT
 public:
  TessellatorWindow(frmT& form, Program& program, QWidget* parent = nullptr);
  CanvasWidget* canvas() const { return canvas_; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void SyncWindow();
  void KeepControlsUnsqueezed();
  void FitCanvas();
  static int DefaultWidth();
  static int DefaultHeight();

  frmT& form_;
  Program& program_;
  CanvasWidget* canvas_ = nullptr;
  QWidget* canvasArea_ = nullptr;
  QWidget* editor_ = nullptr;
};

}  // namespace wlg
