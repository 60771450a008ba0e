// The tessellator window's real widgets on the offscreen platform: opened
// from the designer's menu, the pointer on its canvas, closing, and a layout
// that shows every control.

#include <QGroupBox>
#include <QTemporaryDir>
#include <cmath>
#include <QLabel>
#include <QPointer>
#include <QtTest>

#include "controls/qt/Bindings.h"
#include "designer/qt/DesignerWindow.h"
#include "support/DesignerHarness.h"
#include "tessellator/qt/TessellatorWindow.h"

using wlg::testing::DesignerHarness;

namespace {

struct Rig {
  Rig() {
    h.Start();
    h.form.Show();
  }
  void Open() {
    h.form.Menu("mnuTessellator").UserClick();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }
  DesignerHarness h;
  wlg::DesignerWindow designer{h.form};
  wlg::TessellatorWindow window{h.tess, h.program};
};

// The visible widget showing 'text', as a caption, a title or a label.
QWidget* Captioned(QWidget* root, const QString& text) {
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisible()) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->text() == text) return w;
    if (auto* l = qobject_cast<QLabel*>(w); l && l->text() == text) return w;
    if (auto* g = qobject_cast<QGroupBox*>(w); g && g->title().startsWith(text)) return w;
  }
  return nullptr;
}

QRect InWindow(QWidget* w, QWidget* window) {
  return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

}  // namespace

class TessellatorWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void designerMenuOpensIt() {
    Rig r;
    QVERIFY(!r.window.isVisible());
    r.Open();
    QVERIFY(r.h.tess.IsVisible());
    QCOMPARE(r.window.windowTitle(), QString("Tessellator"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(r.window.canvas()));
  }

  void pointerPlacesDragsAndDeletes() {
    Rig r;
    r.Open();
    wlg::CanvasWidget* canvas = r.window.canvas();
    const wlg::TessState& t = r.h.program.tess;

    QTest::mouseClick(canvas, Qt::LeftButton, Qt::ShiftModifier, QPoint(200, 150));
    QCOMPARE(t.TessCount, 1);
    QCOMPARE(t.TessItems[1].X, 200.0f);
    QCOMPARE(t.TessItems[1].Y, 150.0f);
    QCOMPARE(r.h.tess.Entry("vtX").Value(), std::string("400"));
    const QImage placed = canvas->grab().toImage();

    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(203, 152));
    QTest::mouseMove(canvas, QPoint(260, 180));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(260, 180));
    QCOMPARE(t.TessCount, 1);
    QCOMPARE(t.TessItems[1].X, 260.0f);
    QCOMPARE(t.TessItems[1].Y, 180.0f);
    QVERIFY(canvas->grab().toImage() != placed);  // the widget shows the move

    QTest::mouseClick(canvas, Qt::RightButton, {}, QPoint(260, 180));
    QCOMPARE(t.TessCount, 0);
  }

  // Three tiles placed, one dragged onto another until it snaps, a polygon
  // recoloured with Alt-click, and the picture saved as a JPEG.
  void placeSnapRecolourAndSave() {
    Rig r;
    // A square rank, so the tiles have polygons to recolour.
    for (QPoint p : {QPoint(230, 300), QPoint(250, 300), QPoint(250, 320), QPoint(230, 320)}) {
      r.h.form.picS(0).onMouseDown(0, wlg::MouseButton::Left, 0, p.x(), p.y());
      r.h.form.picS(0).onMouseUp(0, wlg::MouseButton::Left, 0, p.x(), p.y());
    }
    r.h.form.Menu("mnuEditSnap").UserClick();
    r.Open();
    wlg::CanvasWidget* canvas = r.window.canvas();
    const wlg::TessState& t = r.h.program.tess;
    for (QPoint p : {QPoint(150, 150), QPoint(300, 150), QPoint(450, 300)})
      QTest::mouseClick(canvas, Qt::LeftButton, Qt::ShiftModifier, p);
    QCOMPARE(t.TessCount, 3);

    // Hexagons of side 48 side by side are 83.1 apart; drag tile 3 near
    // tile 2's right-hand neighbour place and let go a little off.
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(450, 300));
    QTest::mouseMove(canvas, QPoint(420, 200));
    QTest::mouseMove(canvas, QPoint(385, 153));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(385, 153));
    const float gap = std::hypot(t.TessItems[3].X - t.TessItems[2].X,
                                 t.TessItems[3].Y - t.TessItems[2].Y);
    QVERIFY2(std::abs(gap - 48 * std::sqrt(3.0f)) < 0.05f, qPrintable(QString::number(gap)));

    // Alt-click on tile 1's first rank copy recolours it with fill colour 3.
    r.h.tess.Entry("vsFillColour").SetValue("3");
    const wlg::TessItem& one = t.TessItems[1];
    // Copy 0 sits where the seed sits relative to the tile centre (240, 240),
    // scaled by the tile's 2 / 5: the seed's middle (240, 310) lands 28 below.
    const QPoint copy(int(one.X), int(one.Y + 70 * 0.4f));
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::AltModifier, copy);
    QCOMPARE(r.h.model().overrides.OverrideCount, 1);
    QCOMPARE(r.h.model().overrides.entries[0].colour, 3);
    QCOMPARE(r.h.model().overrides.entries[0].item, 1.0f);

    QTemporaryDir dir;
    const QString jpg = dir.filePath("tiles.jpg");
    r.h.prompts.File(jpg.toStdString());
    r.h.tess.Menu("mnuFileSaveBMP", 1).UserClick();
    QImage saved(jpg);
    QCOMPARE(saved.size(), r.h.tess.picT().canvas.Image().size());
  }

  void closingHidesTheWindow() {
    Rig r;
    r.Open();
    QTest::mouseClick(r.window.canvas(), Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 100));
    QPointer<wlg::TessellatorWindow> alive(&r.window);
    QVERIFY(r.window.close() == false);  // refused: it only hides
    QVERIFY(alive);
    QVERIFY(!r.window.isVisible());
    QVERIFY(!r.h.tess.IsVisible());
    r.Open();
    QCOMPARE(r.h.program.tess.TessCount, 1);
  }

  void layoutShowsEveryControl() {
    Rig r;
    r.Open();
    r.h.tess.Check("chkShowEditor").UserClick();
    QTest::mouseClick(r.window.canvas(), Qt::LeftButton, Qt::ShiftModifier, QPoint(250, 200));
    QTest::mouseClick(r.window.canvas(), Qt::LeftButton, Qt::ShiftModifier, QPoint(330, 200));
    QCoreApplication::processEvents();
    QVERIFY(r.window.grab().save("/tmp/tessellator_window.png"));

    const QStringList captions = {
        "T 1",     "T 2",  "T 3",  "T 4",   "Mirror1",    "Mirror2",     "Mirror3",
        "Mirror4", "Zoom", "Back", "Fill",  "Clear &All", "Show Editor", "Editor 2 of 2",
        "N",       "X",    "Y",    "Angle", "Scale",      "Mirror",      "Copy"};
    // At its usual size and shrunk as far as it goes, nothing is cut or covered.
    for (const QSize size : {r.window.size(), QSize(1, 1)}) {
      r.window.resize(size);
      QCoreApplication::processEvents();
      QVERIFY(r.window.width() >= 5500 / 15 && r.window.height() >= 5000 / 15);
      const QRect inside = r.window.rect();
      std::vector<std::pair<QString, QWidget*>> seen;
      for (const QString& c : captions) {
        QWidget* w = Captioned(&r.window, c);
        QVERIFY2(w, qPrintable("nothing shows " + c));
        QVERIFY2(inside.contains(InWindow(w, &r.window)), qPrintable(c + " is outside"));
        QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(c + " is cut short"));
        if (!qobject_cast<QGroupBox*>(w)) seen.emplace_back(c, w);
      }
      seen.emplace_back("Fill swatch", r.window.findChildren<wlg::CanvasWidget*>().value(0));
      for (auto* e : r.window.findChildren<wlg::ValidTextWidget*>())
        seen.emplace_back(QString::fromStdString(e->model().Name()), e);
      seen.emplace_back("canvas", r.window.canvas());
      for (size_t i = 0; i < seen.size(); ++i)
        for (size_t j = i + 1; j < seen.size(); ++j)
          QVERIFY2(
              !InWindow(seen[i].second, &r.window).intersects(InWindow(seen[j].second, &r.window)),
              qPrintable(seen[i].first + " overlaps " + seen[j].first));
    }

    // Every entry box is wide enough for the longest value it accepts.
    const auto entries = r.window.findChildren<wlg::ValidTextWidget*>();
    QCOMPARE(entries.size(), 12);  // 4 scales, zoom, back, fill, and the editor's five
    for (auto* e : entries) {
      const auto& m = e->model();
      const QFontMetrics fm = e->fontMetrics();
      const int widest = std::max(fm.horizontalAdvance(QString::fromStdString(m.ValMin)),
                                  fm.horizontalAdvance(QString::fromStdString(m.ValMax)));
      QVERIFY2(e->width() >= widest + 8, qPrintable(QString::fromStdString(m.Name())));
    }
    QVERIFY(r.window.grab().save("/tmp/tessellator_window_small.png"));
  }
};

QTEST_MAIN(TessellatorWindowTest)
#include "tessellator_window_qtest.moc"
