// The help window on the offscreen platform: every shipped page shows with
// its title, every link leads to a page that exists, and every menu command
// of every window is told on some page.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QtTest>

#include "controls/Form.h"
#include "shell/qt/HelpWindow.h"
#include "support/DesignerHarness.h"

class HelpWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void everyPageShowsWithItsTitleAndLinksOnlyToPagesThatExist() {
    const QString html = QString(WHIRLIGONS_SOURCE_DATA_DIR) + "/html";
    const QStringList pages = QDir(html).entryList({"*.htm"});
    QVERIFY(pages.size() >= 8);
    wlg::Form owner("frmS");
    wlg::HelpWindow help;
    QString told;
    for (const QString& name : pages) {
      QFile f(html + "/" + name);
      help.ShowPage(owner, f.fileName().toStdString());
      QVERIFY2(!help.browser()->documentTitle().isEmpty(), qPrintable(name));
      QCOMPARE(help.windowTitle(), "Whirligons Help - " + help.browser()->documentTitle());
      told += help.browser()->toPlainText().simplified() + "\n";
      if (name == "PAbout.htm") QVERIFY(help.browser()->toPlainText().contains("version 1.14"));
      QVERIFY(f.open(QIODevice::ReadOnly));
      for (const auto& link :
           QRegularExpression("href=\"([^\"#]+)").globalMatch(QString::fromUtf8(f.readAll()))) {
        const QUrl target = QUrl::fromLocalFile(f.fileName()).resolved(QUrl(link.captured(1)));
        QVERIFY2(QFile::exists(target.toLocalFile()), qPrintable(name + ": " + target.toString()));
      }
    }
    // A caption as the help names it: no access key, no "...", no count or
    // value in brackets after it.
    static const QRegularExpression tail(R"((\.\.\.|\s*\([\d.]+\))$)");
    wlg::testing::DesignerHarness h;
    h.Start();
    QStringList untold;
    for (const wlg::Form* w : std::initializer_list<const wlg::Form*>{
             &h.form, &h.tess, &h.windows.view3D, &h.windows.sphereWrap})
      for (const auto& c : w->Controls())
        if (auto* item = dynamic_cast<const wlg::MenuItem*>(c.get());
            item && !item->Separator() && item->Visible() && !item->Caption().empty()) {
          const QString caption =
              QString::fromStdString(item->Caption()).remove('&').remove(tail).simplified();
          if (!told.contains(caption, Qt::CaseInsensitive))
            untold << QString::fromStdString(w->Name()) + ": " + caption;
        }
    QVERIFY2(untold.isEmpty(), qPrintable("not in the help: " + untold.join("; ")));
  }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_qtest.moc"
