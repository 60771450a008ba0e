// The help window on the offscreen platform: every shipped page shows with
// its title, and every link leads to a page that exists.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QtTest>

#include "controls/Form.h"
#include "shell/qt/HelpWindow.h"

class HelpWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void everyPageShowsWithItsTitleAndLinksOnlyToPagesThatExist() {
    const QString html = QString(WHIRLIGONS_SOURCE_DATA_DIR) + "/html";
    const QStringList pages = QDir(html).entryList({"*.htm"});
    QVERIFY(pages.size() >= 8);
    wlg::Form owner("frmS");
    wlg::HelpWindow help;
    for (const QString& name : pages) {
      QFile f(html + "/" + name);
      help.ShowPage(owner, f.fileName().toStdString());
      QVERIFY2(!help.browser()->documentTitle().isEmpty(), qPrintable(name));
      QCOMPARE(help.windowTitle(), "Whirligons Help - " + help.browser()->documentTitle());
      if (name == "PAbout.htm") QVERIFY(help.browser()->toPlainText().contains("version 1.14"));
      QVERIFY(f.open(QIODevice::ReadOnly));
      for (const auto& link :
           QRegularExpression("href=\"([^\"#]+)").globalMatch(QString::fromUtf8(f.readAll()))) {
        const QUrl target = QUrl::fromLocalFile(f.fileName()).resolved(QUrl(link.captured(1)));
        QVERIFY2(QFile::exists(target.toLocalFile()), qPrintable(name + ": " + target.toString()));
      }
    }
  }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_qtest.moc"
