// The tessellator window's real widgets on the offscreen platform: opened
// from the designer's menu, the pointer on its canvas, and closing.

#include <QDialog>
#include <QPointer>
#include <QtTest>
#include <cmath>
#include <functional>

#include "controls/qt/Bindings.h"
#include "designer/qt/DesignerWindow.h"
#include "platform/qt/QtPrompts.h"
#include "support/DesignerHarness.h"
#include "support/LayoutCheck.h"
#include "tessellator/qt/TessellatorWindow.h"

class TessellatorWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void placeSnapRecolourSaveDeleteAndClose() {
    wlg::testing::DesignerHarness h;
    h.Start();
    h.form.Show();
    wlg::DesignerWindow designer{h.form};
    wlg::TessellatorWindow window{h.tess, h.program};
    auto open = [&] {
      h.form.Menu("mnuTessellator").UserClick();
      return QTest::qWaitForWindowExposed(&window);
    };
    // A square rank, so the tiles have polygons to recolour.
    for (QPoint p : {QPoint(230, 300), QPoint(250, 300), QPoint(250, 320), QPoint(230, 320)}) {
      h.form.picS(0).onMouseDown(0, wlg::MouseButton::Left, 0, p.x(), p.y());
      h.form.picS(0).onMouseUp(0, wlg::MouseButton::Left, 0, p.x(), p.y());
    }
    h.form.Menu("mnuEditSnap").UserClick();
    QVERIFY(open());
    wlg::CanvasWidget* canvas = window.canvas();
    const wlg::TessState& t = h.program.tess;
    for (QPoint p : {QPoint(150, 150), QPoint(300, 150), QPoint(450, 300)})
      QTest::mouseClick(canvas, Qt::LeftButton, Qt::ShiftModifier, p);
    QCOMPARE(t.TessCount, 3);
    const QImage placed = canvas->grab().toImage();

    // Hexagons of side 48 side by side are 83.1 apart; drag tile 3 near
    // tile 2's right-hand neighbour place and let go a little off.
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(450, 300));
    QTest::mouseMove(canvas, QPoint(385, 153));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(385, 153));
    const float gap =
        std::hypot(t.TessItems[3].X - t.TessItems[2].X, t.TessItems[3].Y - t.TessItems[2].Y);
    QVERIFY2(std::abs(gap - 48 * std::sqrt(3.0f)) < 0.05f, qPrintable(QString::number(gap)));
    QVERIFY(canvas->grab().toImage() != placed);  // the widget shows the move

    // Alt-click on tile 1's first rank copy: the seed's middle (240, 310) is
    // 70 below the tile centre, scaled by the tile's 2 / 5.
    h.tess.Entry("vsFillColour").SetValue("3");
    const wlg::TessItem& one = t.TessItems[1];
    const QPoint recoloured(int(one.X), int(one.Y + 70 * 0.4f));
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::AltModifier, recoloured);
    QCOMPARE(h.model().overrides.OverrideCount, 1);
    QCOMPARE(h.model().overrides.entries[0].colour, 3);
    // A new colour for number 3 shows on that polygon at once.
    QCOMPARE(h.tess.picT().canvas.Image().pixel(recoloured),
             QColor(wlg::ToQColor(h.model().CustomColours[3])).rgb());
    h.prompts.Colour_(wlg::Rgb(10, 200, 30));
    h.tess.Get<wlg::PictureBox>("picFill").onMouseDown(0, wlg::MouseButton::Left, wlg::AltKey, 1,
                                                       1);
    QCOMPARE(QColor(h.tess.picT().canvas.Image().pixel(recoloured)), QColor(10, 200, 30));

    QTest::mouseClick(canvas, Qt::RightButton, {}, QPoint(300, 150));
    QCOMPARE(t.TessCount, 2);

    h.tess.Check("chkShowEditor").UserClick();
    const QStringList faults = wlg::testing::LayoutFaultsInEveryFont(&window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));

    QPointer<wlg::TessellatorWindow> alive(&window);
    QVERIFY(!window.close());  // refused: it only hides, keeping the tiles
    QVERIFY(alive && !window.isVisible() && !h.tess.IsVisible());
    QVERIFY(open());
    QCOMPARE(t.TessCount, 2);
  }

  // Every kind of dialog opens over the window the command came from, so
  // that window stays on top; over the designer when no window is active.
  void dialogsOpenOverTheActiveWindow() {
    wlg::testing::DesignerHarness h;
    h.Start();
    h.form.Show();
    wlg::DesignerWindow designer{h.form};
    wlg::TessellatorWindow window{h.tess, h.program};
    wlg::QtPrompts prompts;
    prompts.SetParent(&designer);
    QVERIFY(QTest::qWaitForWindowExposed(&designer));
    h.form.Menu("mnuTessellator").UserClick();

    // The parent of the dialog the prompt opens, which is then dismissed.
    auto parentOf = [](const std::function<void()>& prompt) {
      QWidget* parent = nullptr;
      QTimer poll;
      QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
          parent = dialog->parentWidget();
          if (auto* d = qobject_cast<QDialog*>(dialog)) d->reject();
        }
      });
      poll.start(10);
      prompt();
      return parent;
    };
    const std::pair<const char*, std::function<void()>> kinds[] = {
        {"message", [&] { prompts.Message("Just checking", "OK?", wlg::Buttons::OKCancel, {}); }},
        {"colour", [&] { prompts.ChooseColour(wlg::Rgb(1, 2, 3)); }},
    };
    for (const auto& [kind, prompt] : kinds) {
      window.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&window));
      QVERIFY2(parentOf(prompt) == &window, kind);
    }
    window.hide();
    QCoreApplication::processEvents();
    QVERIFY(parentOf(kinds[0].second) == &designer);
  }
};

QTEST_MAIN(TessellatorWindowTest)
#include "tessellator_window_qtest.moc"
