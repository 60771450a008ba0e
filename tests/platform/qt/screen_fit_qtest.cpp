// Windows open inside the screen's free area: the fitting rule, and every
// window of the program shown too big and far off on a 1280 x 1024 screen.

#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "designer/qt/DesignerWindow.h"
#include "platform/qt/ScreenFit.h"
#include "shell/qt/HelpWindow.h"
#include "solids/qt/View3DWindow.h"
#include "spherewrap/qt/SphereWrapWindow.h"
#include "support/DesignerHarness.h"
#include "tessellator/qt/TessellatorWindow.h"

class ScreenFitTest : public QObject {
  Q_OBJECT
 private slots:
  void fitInsideClampsThenMovesIn() {
    const QMargins frame(1, 20, 1, 5);
    const QRect screen(0, 0, 1280, 1024), belowPanel(0, 30, 1280, 994);
    struct Case {
      const char* what;
      QRect window, area;
      QSize minimum;
      QRect fitted;
    };
    const Case cases[] = {
        {"fits", {100, 100, 960, 740}, screen, {}, {100, 100, 960, 740}},
        {"taller than the screen", {100, 100, 960, 1100}, screen, {}, {100, 20, 960, 999}},
        {"off right and bottom", {1000, 900, 400, 300}, screen, {}, {879, 719, 400, 300}},
        {"off left and top", {-50, -10, 300, 200}, screen, {}, {1, 20, 300, 200}},
        {"under a panel", {10, 5, 300, 200}, belowPanel, {}, {10, 50, 300, 200}},
        {"never below its minimum", {0, 0, 2000, 500}, screen, {1500, 100}, {1, 20, 1500, 500}},
    };
    for (const Case& c : cases)
      QVERIFY2(wlg::FitInside(c.window, frame, c.area, c.minimum) == c.fitted, c.what);
  }

  void everyWindowOpensOnTheScreen() {
    wlg::testing::DesignerHarness h;
    h.Start();
    using Make = std::function<std::unique_ptr<QWidget>()>;
    const std::pair<const char*, Make> windows[] = {
        {"designer", [&] { return std::make_unique<wlg::DesignerWindow>(h.form); }},
        {"tessellator",
         [&] { return std::make_unique<wlg::TessellatorWindow>(h.tess, h.program); }},
        {"3D", [&] { return std::make_unique<wlg::View3DWindow>(h.windows.view3D, h.program); }},
        {"sphere",
         [&] { return std::make_unique<wlg::SphereWrapWindow>(h.windows.sphereWrap, h.program); }},
        {"help", [] { return std::make_unique<wlg::HelpWindow>(); }},
    };
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(area, QRect(0, 0, 1280, 1024));
    for (const auto& [name, make] : windows) {
      std::unique_ptr<QWidget> w = make();
      auto where = [&, name = name] {
        const QRect r = w->frameGeometry();
        return QString("%1 at %2,%3 %4x%5")
            .arg(name)
            .arg(r.x())
            .arg(r.y())
            .arg(r.width())
            .arg(r.height());
      };
      auto onScreen = [&] {
        QCoreApplication::processEvents();
        return area.contains(w->frameGeometry());
      };
      // First shown at a size taller than the screen, where it was put.
      w->resize(w->width(), 1500);
      w->show();
      QVERIFY(QTest::qWaitForWindowExposed(w.get()));
      QVERIFY2(onScreen(), qPrintable(where()));
      // Shown again at a remembered place that is now off the screen.
      w->hide();
      w->move(1200, 900);
      w->show();
      QVERIFY(QTest::qWaitForWindowExposed(w.get()));
      QVERIFY2(onScreen(), qPrintable(where()));
      w->setAttribute(Qt::WA_DeleteOnClose, false);
      h.program.AppClosing = true;  // the secondary windows really close
      w->close();
      h.program.AppClosing = false;
    }
  }
};

// A screen of 1280 x 1024 pixels, whatever the offscreen platform's default.
int main(int argc, char** argv) {
  QTemporaryDir dir;
  const QString config = dir.filePath("screens.json");
  if (QFile f(config); f.open(QIODevice::WriteOnly))
    f.write(R"({"screens": [{"name": "s", "x": 0, "y": 0, "width": 1280, "height": 1024,
                             "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
  QApplication app(argc, argv);
  ScreenFitTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "screen_fit_qtest.moc"
