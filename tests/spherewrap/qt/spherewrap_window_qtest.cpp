// The sphere-wrap window's real widgets on the offscreen platform: opened
// from the tessellator's menu, the spin timer with and without "Rotate",
// the fixed size, the menus and closing.

#include <QCheckBox>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include "controls/qt/Bindings.h"
#include "designer/qt/DesignerWindow.h"
#include "spherewrap/qt/SphereWrapWindow.h"
#include "support/DesignerHarness.h"
#include "tessellator/qt/TessellatorWindow.h"

namespace {

// A shipped sample with a tessellation of seven tiles.
std::string SamplePattern() {
  const QDir here = QFileInfo(QStringLiteral(__FILE__)).dir();  // tests/spherewrap/qt
  return here.absoluteFilePath("../../../data/patterns/sample.wlg").toStdString();
}

struct Rig {
  Rig() {
    h.Start("\"" + SamplePattern() + "\"");
    h.form.Show();
  }
  void Open() {
    h.tess.Menu("mnuShearWrap").UserClick();
    QVERIFY(QTest::qWaitForWindowActive(&window));
  }
  // The sphere as the window shows it (the controls below change with clicks).
  QImage Shown() { return window.surface()->grab(h.windows.sphereWrap.SphereRect).toImage(); }
  wlg::testing::DesignerHarness h;
  wlg::DesignerWindow designer{h.form};
  wlg::TessellatorWindow tessellator{h.tess, h.program};
  wlg::SphereWrapWindow window{h.windows.sphereWrap, h.program};
};

template <class W>
W* Find(QWidget* root, const QString& text) {
  for (W* w : root->findChildren<W*>())
    if (w->isVisible() && w->text() == text) return w;
  return nullptr;
}

}  // namespace

class SphereWrapWindowTest : public QObject {
  Q_OBJECT
 private slots:
  // Opened from the tessellator with its menus and a fixed size; the timer
  // turns the picture only while "Rotate" is ticked and the window is shown.
  void timerTurnsThePictureOnlyWhileRotateIsTicked() {
    Rig r;
    QVERIFY(!r.window.isVisible());
    r.Open();
    QCOMPARE(r.window.windowTitle(), QString("SphereWrap"));
    QStringList menus;
    for (QAction* a : r.window.menuBar()->actions()) menus << a->text();
    QCOMPARE(menus, QStringList({"&File", "&Edit", "&Help"}));
    const QSize size = r.window.size();
    r.window.resize(size + QSize(200, 150));
    QCOMPARE(r.window.size(), size);
    const QImage still = r.Shown();
    r.window.TimerTick();
    QCOMPARE(r.Shown(), still);

    auto* rotate = Find<QCheckBox>(&r.window, "Rotate");
    QVERIFY(rotate);
    const QPoint box(8, rotate->height() / 2);  // the widget is wider than box and caption
    QTest::mouseClick(rotate, Qt::LeftButton, {}, box);
    QVERIFY(r.window.timer()->isActive());
    r.window.TimerTick();  // draws the same view, then turns
    r.window.TimerTick();
    QVERIFY(r.Shown() != still);

    QPointer<wlg::SphereWrapWindow> alive(&r.window);
    QVERIFY(!r.window.close());  // refused: it only hides
    QVERIFY(alive && !r.window.isVisible() && !r.window.timer()->isActive());
    r.Open();
    QVERIFY(r.window.timer()->isActive());

    QTest::mouseClick(rotate, Qt::LeftButton, {}, box);
    QVERIFY(!r.window.timer()->isActive());
    const QImage stopped = r.Shown();
    r.window.TimerTick();
    QCOMPARE(r.Shown(), stopped);
  }
};

QTEST_MAIN(SphereWrapWindowTest)
#include "spherewrap_window_qtest.moc"
