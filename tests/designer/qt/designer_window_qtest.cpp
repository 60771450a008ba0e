// The designer window's real widgets on the offscreen platform.

#include <QTemporaryDir>
#include <QtTest>

#include "controls/qt/Bindings.h"
#include "designer/qt/DesignerWindow.h"
#include "support/DesignerHarness.h"
#include "support/LayoutCheck.h"

using wlg::testing::DesignerHarness;

namespace {
wlg::ValidTextWidget* EntryFor(QWidget* root, const wlg::Control& model) {
  for (auto* w : root->findChildren<wlg::ValidTextWidget*>())
    if (&w->model() == &model) return w;
  return nullptr;
}
}  // namespace

class DesignerWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void entriesBoxesTabsAndClosingSaveTheSettings() {
    QTemporaryDir dir;
    const std::string ini = dir.filePath("Whirligons.conf").toStdString();
    {
      DesignerHarness h(wlg::OpenSettingsFile(ini));
      wlg::DesignerWindow win(h.form);
      h.Start();
      h.form.Show();
      QCOMPARE(win.windowTitle(), QString("Whirligons v1.14"));

      auto* entry = EntryFor(&win, h.form.vs("vsNCols", 0));
      QVERIFY(entry);
      entry->setFocus();
      entry->selectAll();
      QTest::keyClicks(entry, "3,0");
      QCOMPARE(h.model().ColourCount[0], 2);  // typing alone commits nothing
      QTest::keyClick(entry, Qt::Key_Return);
      QCOMPARE(h.model().ColourCount[0], 3);
      QCOMPARE(entry->text(), QString("3"));
      // Out of range: the bound, shown in the box.
      entry->selectAll();
      QTest::keyClicks(entry, "42");
      QTest::keyClick(entry, Qt::Key_Enter);

      win.tabs()->setCurrentIndex(2);
      QCOMPARE(h.model().SelectedSlot, 32);

      {
        const QStringList faults = wlg::testing::LayoutFaultsInEveryFont(&win);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
      }
      // Unsaved changes: Discard lets it close (the desktop test asks Cancel too).
      h.form.RefreshDocument();
      h.prompts.Answer_(wlg::Answer::Discard);
      QVERIFY(win.close());
      QVERIFY(h.program.AppClosing && !win.isVisible());
    }
    auto store = wlg::OpenSettingsFile(ini);
    QCOMPARE(store->Get("vsNCols0").value_or(""), std::string("9"));
  }

  void clickPointsDragOneAndUndo() {
    DesignerHarness h;
    wlg::DesignerWindow win(h.form);
    h.Start();
    h.form.Show();
    wlg::CanvasWidget* canvas = nullptr;
    for (auto* c : win.findChildren<wlg::CanvasWidget*>())
      if (&c->model() == &h.form.picS(0)) canvas = c;
    QVERIFY(canvas);
    const QPoint pts[] = {{200, 300}, {260, 300}, {260, 360}, {200, 360}};
    for (QPoint p : pts) QTest::mouseClick(canvas, Qt::LeftButton, {}, p);
    wlg::DesignModel& m = h.model();
    QCOMPARE(m.PlacedCount[0], 4);
    // The rank is filled on the canvas: blue, the first colour, inside copy 0.
    QCOMPARE(QColor(h.form.picS(0).canvas.Image().pixel(230, 330)), QColor(0, 0, 255));
    // The background is the button face, not palette grey.
    QCOMPARE(QColor(h.form.picS(0).canvas.Image().pixel(5, 5)),
             wlg::ToQColor(wlg::ButtonFaceColour()));

    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(261, 359));
    QMouseEvent move(QEvent::MouseMove, QPointF(300, 380), canvas->mapToGlobal(QPointF(300, 380)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
    QCOMPARE(m.X[0][2], 300.0f);
    QCOMPARE(m.Y[0][2], 380.0f);
    auto& drag = h.form.Get<wlg::StaticControl>("txtDragData", 0);
    QVERIFY(drag.Visible());
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(300, 380));
    QVERIFY(!drag.Visible());

    // Undo puts the point back where it was before the press.
    h.form.Menu("mnuEditUndo").UserClick();
    QCOMPARE(m.X[0][2], 260.0f);
    QCOMPARE(m.Y[0][2], 360.0f);
  }
};

QTEST_MAIN(DesignerWindowTest)
#include "designer_window_qtest.moc"
