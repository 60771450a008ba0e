// Windows open inside the screen's free area: every window of the program
// shown too big and far off on a 1280 x 1024 screen.

#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "designer/qt/DesignerWindow.h"
#include "shell/qt/HelpWindow.h"
#include "solids/qt/View3DWindow.h"
#include "spherewrap/qt/SphereWrapWindow.h"
#include "support/DesignerHarness.h"
#include "tessellator/qt/TessellatorWindow.h"

class ScreenFitTest : public QObject {
  Q_OBJECT
 private slots:
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
      // First shown at a size taller than the screen, where it was put; then
      // again at a remembered place that is now off the screen.
      w->resize(w->width(), 1500);
      for (bool again : {false, true}) {
        if (again) w->hide(), w->move(1200, 900);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCoreApplication::processEvents();
        QVERIFY2(area.contains(w->frameGeometry()), name);
      }
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
