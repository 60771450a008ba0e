// The 3D window's real widgets on the offscreen platform: a solid opened from
// the designer's menu, the picture turned by keys, drag, disc and timer, and
// a layout that shows every control.

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QtTest>

#include "controls/qt/Bindings.h"
#include "designer/qt/DesignerWindow.h"
#include "solids/qt/View3DWindow.h"
#include "support/DesignerHarness.h"

using wlg::testing::DesignerHarness;

namespace {

struct Rig {
  Rig() {
    h.Start();
    h.form.Show();
    // A triangle rank on tile 1, so the faces carry coloured copies.
    wlg::DesignModel& m = h.model();
    const float xs[] = {230, 250, 240}, ys[] = {250, 250, 232};
    h.form.vs("vsN", 0).SetValue("3");
    m.PointCount[0] = 3;
    for (int j = 0; j < 3; ++j) m.X[0][j] = xs[j], m.Y[0][j] = ys[j];
    h.form.DrawPolygon();
  }
  QAction* DesignerAction(const QString& text) {
    for (QAction* a : designer.findChildren<QAction*>())
      if (a->text() == text) return a;
    return nullptr;
  }
  void OpenCube() {
    h.prompts.Answer_(wlg::Answer::Yes);
    QAction* cube = DesignerAction("&Cube (6)");
    QVERIFY(cube);
    cube->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
  DesignerHarness h;
  wlg::DesignerWindow designer{h.form};
  wlg::View3DWindow window{h.windows.view3D, h.program};
  wlg::frm3D& form = h.windows.view3D;
};

QWidget* Captioned(QWidget* root, const QString& text) {
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->text() == text) return w;
    if (auto* l = qobject_cast<QLabel*>(w); l && l->text() == text) return w;
    if (auto* g = qobject_cast<QGroupBox*>(w); g && g->title() == text) return w;
  }
  return nullptr;
}

QRect InWindow(QWidget* w, QWidget* window) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); }

int DistinctColours(const QImage& image, const QRect& area) {
  QSet<QRgb> colours;
  for (int y = area.top(); y <= area.bottom(); y += 2)
    for (int x = area.left(); x <= area.right(); x += 2) colours.insert(image.pixel(x, y));
  return static_cast<int>(colours.size());
}

}  // namespace

class View3DWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void designerMenuOpensTheShadedSolid() {
    Rig r;
    QVERIFY(!r.window.isVisible());
    r.OpenCube();
    QCOMPARE(r.window.windowTitle(), QString("3D Whirligons"));
    QCOMPARE(r.h.model().SolidName, std::string("Cube"));
    QCOMPARE(r.h.prompts.log.size(), size_t(1));
    QCOMPARE(QString::fromStdString(r.h.prompts.log[0].title), QString("3D geometry setup"));
    QVERIFY(r.designer.tabs()->isTabEnabled(0));
    for (int t = 1; t < 4; ++t) QVERIFY(!r.designer.tabs()->isTabEnabled(t));

    // The picture shows the shaded cube: its middle is not background, and
    // faces and copies give many shades.
    const QImage shown = r.window.picture()->grab().toImage();
    const QRgb back = wlg::ToQColor(r.form.pic3D().canvas.backColour).rgb();
    QVERIFY(shown.pixel(shown.width() / 2, shown.height() / 2) != back);
    QVERIFY(shown.pixel(2, 2) == back);
    QVERIFY(DistinctColours(shown, QRect(140, 140, 200, 200)) >= 6);
  }

  void keysDragDiscAndTimerTurnIt() {
    Rig r;
    r.OpenCube();
    auto* picture = r.window.picture();
    const QImage before = picture->grab().toImage();

    const float theta = r.form.ThetaRad;
    QTest::keyClick(picture, Qt::Key_Left);
    QCOMPARE(r.form.ThetaRad, theta + wlg::frm3D::KeyStep);
    QVERIFY(picture->grab().toImage() != before);
    QCOMPARE(r.form.Entry("vtTheta").Value(), std::string("351"));
    QTest::keyClick(picture, Qt::Key_Down);
    QVERIFY(r.form.PhiRad > 6.0f);  // below the equator wraps to just under 2 pi

    // A drag: the first move only notes the position.
    const float t0 = r.form.ThetaRad;
    QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(100, 100));
    QMouseEvent move1(QEvent::MouseMove, QPointF(110, 100), picture->mapToGlobal(QPointF(110, 100)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(picture, &move1);
    QCOMPARE(r.form.ThetaRad, t0);
    QMouseEvent move2(QEvent::MouseMove, QPointF(128, 100), picture->mapToGlobal(QPointF(128, 100)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(picture, &move2);
    QCOMPARE(r.form.ThetaRad, t0 - 18.0f / 180);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(128, 100));

    // The disc: a left click at its centre is the view at load.
    const QPointF c(r.form.nav.NavCentre.x, r.form.nav.NavCentre.y);
    QMouseEvent press(QEvent::MouseButtonPress, c, r.window.disc()->mapToGlobal(c), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(r.window.disc(), &press);
    QCOMPARE(r.form.Entry("vtTheta").Value(), std::string("0"));
    QCOMPARE(r.form.Entry("vtPhi").Value(), std::string("0"));

    // The spin timer ticks every 100 ms; a tick with "Spin Theta" on turns
    // the azimuth by the scroll bar's speed.
    QVERIFY(r.window.timer()->isActive());
    QCOMPARE(r.window.timer()->interval(), 100);
    r.form.chkHScroll().SetValue(60);
    QAbstractButton* spin = qobject_cast<QAbstractButton*>(Captioned(&r.window, "Spin Theta"));
    QVERIFY(spin);
    spin->click();
    QVERIFY(r.form.Check("chkSpin", 1).Checked());
    const float spinFrom = r.form.ThetaRad;
    QVERIFY(QMetaObject::invokeMethod(r.window.timer(), "timeout", Qt::DirectConnection));
    QVERIFY(std::fabs(r.form.ThetaRad - (spinFrom - 0.05f)) < 1e-6f);
  }

  void closingHidesAndFreesTheTabs() {
    Rig r;
    r.OpenCube();
    QPointer<wlg::View3DWindow> alive(&r.window);
    QVERIFY(r.window.close() == false);
    QVERIFY(alive);
    QVERIFY(!r.window.isVisible());
    QVERIFY(!r.form.IsVisible());
    for (int t = 0; t < 4; ++t) QVERIFY(r.designer.tabs()->isTabEnabled(t));
  }

  void layoutShowsEveryControl() {
    Rig r;
    r.OpenCube();
    QCoreApplication::processEvents();
    QVERIFY(r.window.grab().save("/tmp/view3d.png"));

    const QStringList captions = {"View", "Theta", "Phi", "Psi", "Spin Theta", "Spin Phi",
                                  "Scale", "3D colour", "Back colour", "N",
                                  "k<sub>a</sub>", "k<sub>d</sub>", "k<sub>s</sub>",
                                  "k<sub>dist</sub>"};
    std::vector<std::pair<QString, QWidget*>> seen;
    for (const QString& c : captions) {
      QWidget* w = Captioned(&r.window, c);
      QVERIFY2(w, qPrintable("nothing shows " + c));
      QVERIFY2(r.window.rect().contains(InWindow(w, &r.window)), qPrintable(c + " is outside"));
      if (!qobject_cast<QGroupBox*>(w)) seen.emplace_back(c, w);
    }
    const auto entries = r.window.findChildren<wlg::ValidTextWidget*>();
    QCOMPARE(entries.size(), 11);
    for (auto* e : entries) {
      seen.emplace_back(QString::fromStdString(e->model().Name()), e);
      const auto& m = e->model();
      const QFontMetrics fm = e->fontMetrics();
      const int widest = std::max(fm.horizontalAdvance(QString::fromStdString(m.ValMin)),
                                  fm.horizontalAdvance(QString::fromStdString(m.ValMax)));
      QVERIFY2(e->width() >= widest + 8, qPrintable(QString::fromStdString(m.Name())));
    }
    seen.emplace_back("picture", r.window.picture());
    seen.emplace_back("disc", r.window.disc());
    for (size_t i = 0; i < seen.size(); ++i)
      for (size_t j = i + 1; j < seen.size(); ++j)
        QVERIFY2(!InWindow(seen[i].second, &r.window).intersects(InWindow(seen[j].second, &r.window)),
                 qPrintable(seen[i].first + " overlaps " + seen[j].first));

    QCOMPARE(r.window.disc()->toolTip(),
             QString("3D Rotator - Left click for Theta/Phi, Right click for Psi"));
    QStringList menus, items;
    for (QAction* top : r.window.menuBar()->actions()) {
      menus << top->text();
      if (top->menu())
        for (QAction* a : top->menu()->actions())
          if (!a->isSeparator()) items << a->text();
    }
    QCOMPARE(menus, QStringList({"&File", "&Edit", "&Help"}));
    QCOMPARE(items, QStringList({"&Save .wlg", "Save &BMP", "Save &JPG", "Save &OBJ", "Save &VRML2",
                                 "E&xit 3D", "&Copy", "VRML &Lines", "VRML &Smooth"}));
  }
};

QTEST_MAIN(View3DWindowTest)
#include "view3d_window_qtest.moc"
