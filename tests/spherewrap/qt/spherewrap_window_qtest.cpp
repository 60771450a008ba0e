// The sphere-wrap window's real widgets on the offscreen platform: opened
// from the tessellator's menu, the spin timer, the fixed size and closing.

#include <QCheckBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include "controls/qt/Bindings.h"
#include "designer/qt/DesignerWindow.h"
#include "spherewrap/qt/SphereWrapWindow.h"
#include "support/DesignerHarness.h"
#include "support/LayoutCheck.h"
#include "tessellator/qt/TessellatorWindow.h"

class SphereWrapWindowTest : public QObject {
  Q_OBJECT
 private slots:
  // The timer turns the picture only while "Rotate" is ticked and the window is shown.
  void timerTurnsThePictureOnlyWhileRotateIsTicked() {
    // A shipped sample with a tessellation of seven tiles.
    const QDir samples(QStringLiteral(WHIRLIGONS_SAMPLES_DIR));
    wlg::testing::DesignerHarness h;
    h.Start("\"" + samples.absoluteFilePath("sample.wlg").toStdString() + "\"");
    h.form.Show();
    wlg::DesignerWindow designer{h.form};
    wlg::TessellatorWindow tessellator{h.tess, h.program};
    wlg::SphereWrapWindow window{h.windows.sphereWrap, h.program};
    auto open = [&] {
      h.tess.Menu("mnuShearWrap").UserClick();
      return QTest::qWaitForWindowActive(&window);
    };
    // The sphere as the window shows it (the controls below change with clicks).
    auto shown = [&] { return window.surface()->grab(h.windows.sphereWrap.SphereRect).toImage(); };

    QVERIFY(open());
    QCOMPARE(window.windowTitle(), QString("SphereWrap"));
    {
      const QStringList faults = wlg::testing::LayoutFaultsAtAnySize(&window);
      QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }
    const QSize size = window.size();
    window.resize(size + QSize(200, 150));
    QCOMPARE(window.size(), size);
    const QImage still = shown();
    window.TimerTick();
    QCOMPARE(shown(), still);

    QCheckBox* rotate = nullptr;
    for (auto* box : window.findChildren<QCheckBox*>())
      if (box->isVisible() && box->text() == "Rotate") rotate = box;
    QVERIFY(rotate);
    const QPoint box(8, rotate->height() / 2);  // the widget is wider than box and caption
    QTest::mouseClick(rotate, Qt::LeftButton, {}, box);
    QVERIFY(window.timer()->isActive());
    window.TimerTick();  // draws the same view, then turns
    window.TimerTick();
    QVERIFY(shown() != still);

    QPointer<wlg::SphereWrapWindow> alive(&window);
    QVERIFY(!window.close());  // refused: it only hides
    QVERIFY(alive && !window.isVisible() && !window.timer()->isActive());
    QVERIFY(open());
    QVERIFY(window.timer()->isActive());

    QTest::mouseClick(rotate, Qt::LeftButton, {}, box);
    QVERIFY(!window.timer()->isActive());
    const QImage stopped = shown();
    window.TimerTick();
    QCOMPARE(shown(), stopped);
  }
};

QTEST_MAIN(SphereWrapWindowTest)
#include "spherewrap_window_qtest.moc"
