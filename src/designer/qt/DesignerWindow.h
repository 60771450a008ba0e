#pragma once
#include <QMainWindow>
#include <QTabWidget>
#include <array>

#include "designer/frmS.h"

namespace wlg {

// The designer's window: a thin view over frmS.
class DesignerWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit DesignerWindow(frmS& form, QWidget* parent = nullptr);
  QTabWidget* tabs() const { return tabs_; }
  // The current tile's panel (its parameter and rank frames) as shown, in
  // global coordinates: what a window opened over this one should leave clear.
  QRect PanelGeometry() const;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  // A pattern file dropped on the window is opened.
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  QWidget* BuildTile(int t);
  QWidget* BuildRankFrame(int t);
  QWidget* BuildParameterFrame(int t);
  void BuildMenus();
  void SyncWindow();

  frmS& form_;
  QTabWidget* tabs_ = nullptr;
  std::array<QWidget*, TileCount> panels_{};
  bool closing_ = false;
};

}  // namespace wlg
