// Pattern files dropped on the designer window open as from the command
// line; anything else is refused at the door.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include "designer/qt/DesignerWindow.h"
#include "support/DesignerHarness.h"

using wlg::testing::DesignerHarness;

namespace {
const QString kSamples = QString(WHIRLIGONS_SOURCE_DATA_DIR) + "/patterns";

// Offers the files to the window as a drag would; true when it takes them.
bool Drop(QWidget& window, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  const QPoint at(20, 20);
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&window, &drop);
  return drop.isAccepted();
}
}  // namespace

class DesignerDropTest : public QObject {
  Q_OBJECT
 private slots:
  void aDroppedPatternOpensAndOtherFilesAreRefused() {
    DesignerHarness h;
    wlg::DesignerWindow win(h.form);
    h.Start();
    h.form.Show();
    QVERIFY(win.acceptDrops());
    QVERIFY(!Drop(win, {QUrl("https://example.org/pattern.wlg")}));

    // Upper-case extensions count; the first pattern of several is the one opened.
    QTemporaryDir dir;
    const QString upper = dir.path() + "/SQUARES.WLG";
    QVERIFY(QFile::copy(kSamples + "/octagons-and-squares.wlg", upper));
    QVERIFY(Drop(win, {QUrl::fromLocalFile(dir.path() + "/notes.txt"), QUrl::fromLocalFile(upper),
                       QUrl::fromLocalFile(kSamples + "/sample.wlg")}));
    QTRY_COMPARE(h.program.tess.TessCount, 18);
    QCOMPARE(h.form.RecentFiles(), std::vector<std::string>{upper.toStdString()});
    QVERIFY(h.prompts.log.empty());

    // A drop onto unsaved changes asks first; Cancel opens nothing.
    h.model().CustomColours[2] = 0x010203;
    h.prompts.Answer_(wlg::Answer::Cancel);
    QVERIFY(Drop(win, {QUrl::fromLocalFile(kSamples + "/sample.wlg")}));
    QTRY_COMPARE(h.prompts.log.size(), size_t(1));
    QCOMPARE(h.prompts.log[0].text, std::string("Save changes to SQUARES.WLG?"));
    QCOMPARE(h.model().CustomColours[2], wlg::Colour(0x010203));
  }
};

QTEST_MAIN(DesignerDropTest)
#include "designer_drop_qtest.moc"
