// The sphere-wrap window's real widgets on the offscreen platform: opened
// from the tessellator's menu, the spin timer and closing.

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
    wlg::testing::DesignerHarness h;  // a sample with a tessellation of seven tiles
    h.Start(std::string("\"") + WHIRLIGONS_SAMPLES_DIR + "/sample.wlg\"");
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
    {
      const QStringList faults = wlg::testing::LayoutFaultsInEveryFont(&window);
      QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }
    const QImage still = shown();
    window.TimerTick();  // not ticked: the same view
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
  }
};

QTEST_MAIN(SphereWrapWindowTest)
#include "spherewrap_window_qtest.moc"
