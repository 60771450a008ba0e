// The 3D window's real widgets on the offscreen platform: a cube opened from
// the designer's menu, turned by keys, drag, disc and timer, then closed.

#include <QAbstractButton>
#include <QAction>
#include <QSet>
#include <QTimer>
#include <QtTest>

#include "controls/qt/Bindings.h"
#include "designer/qt/DesignerWindow.h"
#include "solids/SolidKit.h"
#include "solids/qt/View3DWindow.h"
#include "support/LayoutCheck.h"

using wlg::testing::DesignerHarness;

struct Rig {
  DesignerHarness h;
  wlg::DesignerWindow designer{h.form};
  wlg::View3DWindow window{h.windows.view3D, h.program};
  wlg::frm3D& form = h.windows.view3D;
};

class View3DWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void cubeTurnsByKeysDragDiscAndTimer() {
    Rig r;
    r.h.Start();
    r.h.form.Show();
    wlg::testing::DrawRank(r.h, 0, 3, 240, 244, 11);  // the faces carry coloured copies
    r.h.prompts.Answer_(wlg::Answer::Yes);
    for (QAction* a : r.designer.findChildren<QAction*>())
      if (a->text() == "&Cube (6)") a->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(&r.window));
    // The picture shows the shaded cube: faces and copies give many shades.
    auto* picture = r.window.picture();
    const QImage before = picture->grab().toImage();
    QVERIFY(before.pixel(2, 2) == wlg::ToQColor(r.form.pic3D().canvas.backColour).rgb());
    QSet<QRgb> shades;
    for (int y = 140; y < 340; y += 2)
      for (int x = 140; x < 340; x += 2) shades.insert(before.pixel(x, y));
    QVERIFY(shades.size() >= 6);

    const QStringList faults = wlg::testing::LayoutFaultsInEveryFont(&r.window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    const float theta = r.form.ThetaRad;
    QTest::keyClick(picture, Qt::Key_Left);
    QCOMPARE(r.form.ThetaRad, theta + wlg::frm3D::KeyStep);
    QVERIFY(picture->grab().toImage() != before);
    QTest::keyClick(picture, Qt::Key_Down);  // below 0 wraps
    QCOMPARE(r.form.Entry("vtPhi").Value(), std::string("351"));

    // A drag: the first move only notes the position.
    const float t0 = r.form.ThetaRad;
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(100, 100));
    for (const int x : {110, 128}) {
      QMouseEvent move(QEvent::MouseMove, QPointF(x, 100), picture->mapToGlobal(QPointF(x, 100)),
                       Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(picture, &move);
    }
    QCOMPARE(r.form.ThetaRad, t0 - 18.0f / 180);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(128, 100));

    // The disc: a left click at its centre is the view at load.
    const QPointF c(r.form.nav.NavCentre.x, r.form.nav.NavCentre.y);
    QMouseEvent press(QEvent::MouseButtonPress, c, r.window.disc()->mapToGlobal(c), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(r.window.disc(), &press);
    QCOMPARE(r.form.Entry("vtTheta").Value(), std::string("0"));

    // With "Spin Theta" on each tick turns the azimuth by the scroll bar's speed.
    QVERIFY(r.window.timer()->isActive());
    r.form.chkHScroll().SetValue(60);
    for (auto* b : r.window.findChildren<QAbstractButton*>())
      if (b->isVisible() && b->text() == "Spin Theta") b->click();
    const float spinFrom = r.form.ThetaRad;
    const QImage still = picture->grab().toImage();
    for (int tick = 0; tick < 3; ++tick)
      QVERIFY(QMetaObject::invokeMethod(r.window.timer(), "timeout", Qt::DirectConnection));
    QVERIFY(std::fabs(r.form.ThetaRad - (spinFrom - 0.15f)) < 1e-5f);
    QVERIFY(picture->grab().toImage() != still);

    // Closing only hides the window and frees the tabs.
    QVERIFY(!r.window.close());
    QVERIFY(!r.window.isVisible());
    QVERIFY(!r.form.IsVisible());
    for (int t = 0; t < 4; ++t) QVERIFY(r.designer.tabs()->isTabEnabled(t));
    r.h.program.AppClosing = true;  // when the program ends it really closes
    QVERIFY(r.window.close());
  }
};

QTEST_MAIN(View3DWindowTest)
#include "view3d_window_qtest.moc"
