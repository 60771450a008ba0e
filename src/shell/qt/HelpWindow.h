#pragma once
// The help pages in a browser window of their own, with back, forward and
// contents buttons. One window serves every Help command.

#include <QMainWindow>

#include "shell/Help.h"

class QTextBrowser;
class QAction;

namespace wlg {

class HelpWindow : public QMainWindow, public HelpViewer {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  void ShowPage(const Form& window, const std::string& pagePath) override;
  QTextBrowser* browser() const { return browser_; }

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  QTextBrowser* browser_ = nullptr;
  QAction* back_ = nullptr;
  QAction* forward_ = nullptr;
  QString contents_;
};

}  // namespace wlg
