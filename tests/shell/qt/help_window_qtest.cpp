// The help window on the offscreen platform: every shipped page shows with
// its title, every link between the pages leads to a page that exists and is
// followed, and the window finds its way back.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QtTest>

#include "controls/Form.h"
#include "shell/qt/HelpWindow.h"

namespace {
const QString kHtml = QString(WHIRLIGONS_SOURCE_DATA_DIR) + "/html";
const QStringList kTopics = {"PHowToUse", "PPowerUse",   "PTessellator",
                             "P3D",       "PWhirligons", "PFrequently Asked Questions",
                             "PAbout",    "PSphereWrap"};
}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void everyTopicShowsWithItsTitle() {
    wlg::Form owner("frmS");
    wlg::HelpWindow help;
    for (const QString& topic : kTopics) {
      const QString page = kHtml + "/" + topic + ".htm";
      QVERIFY2(QFile::exists(page), qPrintable(page));
      help.ShowPage(owner, page.toStdString());
      QVERIFY(help.isVisible());
      const QString title = help.browser()->documentTitle();
      QVERIFY2(!title.isEmpty(), qPrintable(topic));
      QCOMPARE(help.windowTitle(), "Whirligons Help - " + title);
      // A page with real text, not an empty shell.
      QVERIFY2(help.browser()->toPlainText().size() > 400, qPrintable(topic));
      if (topic == "PAbout") QVERIFY(help.browser()->toPlainText().contains("version 1.14"));
    }

    // Links are followed, and Back returns to the page before.
    help.ShowPage(owner, (kHtml + "/PTessellator.htm").toStdString());
    const QString first = help.windowTitle();
    help.browser()->setSource(QUrl::fromLocalFile(kHtml + "/PFrequently Asked Questions.htm"));
    QCOMPARE(help.windowTitle(), QString("Whirligons Help - Frequently Asked Questions"));
    help.browser()->backward();
    QCOMPARE(help.windowTitle(), first);
  }

  void everyLinkLeadsToAPage() {
    const QRegularExpression href("href=\"([^\"#]+)");
    const QStringList pages = QDir(kHtml).entryList({"*.htm"});
    QCOMPARE(pages.size(), kTopics.size());
    for (const QString& name : pages) {
      QFile f(kHtml + "/" + name);
      QVERIFY(f.open(QIODevice::ReadOnly));
      int links = 0;
      for (const QRegularExpressionMatch& link : href.globalMatch(QString::fromUtf8(f.readAll()))) {
        const QUrl target = QUrl::fromLocalFile(f.fileName()).resolved(QUrl(link.captured(1)));
        QVERIFY2(QFile::exists(target.toLocalFile()),
                 qPrintable(name + " links to a missing " + target.toString()));
        ++links;
      }
      QVERIFY2(links >= kTopics.size(), qPrintable(name + " lacks the links to the other pages"));
    }
  }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_qtest.moc"
