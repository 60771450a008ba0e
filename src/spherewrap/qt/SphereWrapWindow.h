#pragma once
#include <QMainWindow>

#include "spherewrap/frmSphereWrap.h"

class QTimer;

namespace wlg {

class CanvasWidget;

// The sphere-wrap window: a thin view over frmSphereWrap. Its drawing
// surface fills the window under the menu; the controls sit in a strip at
// the bottom. It owns the spin timer, which ticks the form every 100 ms
// while the form has it switched on.
class SphereWrapWindow : public QMainWindow {
  Q_OBJECT
 public:
  SphereWrapWindow(frmSphereWrap& form, Program& program, QWidget* parent = nullptr);
  CanvasWidget* surface() const { return surface_; }
  QTimer* timer() const { return timer_; }
  // What the timer does on each timeout.
  void TimerTick();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void SyncWindow();
  void SyncTimer();

  frmSphereWrap& form_;
  Program& program_;
  CanvasWidget* surface_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace wlg
