#include "shell/qt/HelpWindow.h"

#include <QAction>
#include <QFileInfo>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include "platform/qt/ScreenFit.h"

namespace wlg {

HelpWindow::HelpWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("Whirligons Help");
  resize(720, 600);
  browser_ = new QTextBrowser(this);
  // Pages link to each other; anything on the web goes to the desktop's browser.
  browser_->setOpenLinks(true);
  browser_->setOpenExternalLinks(true);
  setCentralWidget(browser_);

  QToolBar* bar = addToolBar("Navigation");
  bar->setMovable(false);
  back_ = bar->addAction("&Back", browser_, &QTextBrowser::backward);
  back_->setShortcut(QKeySequence::Back);
  forward_ = bar->addAction("&Forward", browser_, &QTextBrowser::forward);
  forward_->setShortcut(QKeySequence::Forward);
  bar->addAction("&Contents", this, [this] {
    if (!contents_.isEmpty()) browser_->setSource(QUrl::fromLocalFile(contents_));
  });
  back_->setEnabled(false);
  forward_->setEnabled(false);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QString("Whirligons Help") : "Whirligons Help - " + title);
  });
}

void HelpWindow::ShowPage(const Form&, const std::string& pagePath) {
  const QString page = QString::fromStdString(pagePath);
  contents_ = QFileInfo(page).absolutePath() + "/PHowToUse.htm";
  browser_->setSource(QUrl::fromLocalFile(page));
  show();
  raise();
  activateWindow();
}

// Every showing opens the window fully inside the screen's free area.
void HelpWindow::showEvent(QShowEvent* e) {
  FitOnScreen(this);
  QMainWindow::showEvent(e);
}

}  // namespace wlg
