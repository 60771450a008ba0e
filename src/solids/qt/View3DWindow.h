#pragma once
#include <QMainWindow>

#include "solids/frm3D.h"

class QTimer;

namespace wlg {

class CanvasWidget;

// The 3D window: a thin view over frm3D. It owns the spin timer, which
// ticks the form every 100 ms.
class View3DWindow : public QMainWindow {
  Q_OBJECT
 public:
  View3DWindow(frm3D& form, Program& program, QWidget* parent = nullptr);
  CanvasWidget* picture() const { return picture_; }
  CanvasWidget* disc() const { return disc_; }
  QTimer* timer() const { return timer_; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void SyncWindow();
  // The arrow keys turn the solid unless an entry box is taking them.
  bool ArrowKey(QKeyEvent* e);

  frm3D& form_;
  Program& program_;
  CanvasWidget* picture_ = nullptr;
  CanvasWidget* disc_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace wlg
