// Real widgets on the offscreen platform, for what the desktop tests do not
// reach: focus-out reasons, separators, buttons of a move, keys a box never keeps.

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "controls/qt/Bindings.h"
#include "designer/qt/DesignerWindow.h"
#include "support/DesignerHarness.h"
#include "tessellator/qt/TessellatorWindow.h"

namespace {

wlg::ValidTextWidget* EntryOf(QWidget* root, const wlg::ValidText& model) {
  for (auto* w : root->findChildren<wlg::ValidTextWidget*>())
    if (&w->model() == &model) return w;
  return nullptr;
}

// Focus into the box with the text selected, then 'typed' typed.
bool TypeInto(QLineEdit* entry, const char* typed) {
  QWidget* w = entry->window();
  w->show();
  w->activateWindow();
  if (!QTest::qWaitForWindowActive(w)) return false;
  entry->setFocus(Qt::TabFocusReason);
  if (!QTest::qWaitFor([entry] { return entry->hasFocus(); })) return false;
  entry->selectAll();
  QTest::keyClicks(entry, typed);
  return true;
}

}  // namespace

class EntryFocusTest : public QObject {
  Q_OBJECT
 private slots:
  void onlyFocusMovingToAnotherControlCommits() {
    for (auto [reason, commits] :
         {std::pair{Qt::OtherFocusReason, true}, {Qt::ActiveWindowFocusReason, false}}) {
      wlg::EntryContext context;
      wlg::ValidText box("vtTest", 0, context);
      wlg::ValidTextWidget entry(box);
      entry.setText("42");
      QFocusEvent out(QEvent::FocusOut, reason);
      QApplication::sendEvent(&entry, &out);
      QCOMPARE(box.Value(), std::string(commits ? "42" : "1"));
      QCOMPARE(entry.text(), QString("42"));
    }
  }

  // The window's commands come before the box's own editing keys, also
  // while the command is disabled.
  void windowShortcutsWinInsideAnEntry() {
    wlg::testing::DesignerHarness h;
    h.Start();
    h.form.Show();
    wlg::DesignerWindow designer{h.form};
    wlg::TessellatorWindow tessellator{h.tess, h.program};
    h.tess.Show();
    int copies = 0;
    h.tess.copyToClipboard = [&](const QImage&) { ++copies; };
    auto* zoom = EntryOf(&tessellator, h.tess.Entry("vsZoom"));
    QVERIFY(zoom && TypeInto(zoom, "8"));
    QTest::keyClicks(zoom, "9");
    QTest::keyClick(zoom, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(copies, 1);
    QCOMPARE(zoom->text(), QString("89"));  // no copy-and-edit
    h.form.Menu("mnuEditUndo").SetEnabled(false);
    auto* entry = EntryOf(&designer, h.form.vs("vsPoly", 0));
    const QString committed = entry->text();
    QVERIFY(TypeInto(entry, "7"));
    // The first Ctrl+Z throws the typing away; the next is the window's.
    for (int i = 0; i < 2; ++i) {
      QTest::keyClick(entry, Qt::Key_Z, Qt::ControlModifier);
      QCOMPARE(entry->text(), committed);
    }

    // The menus have separators, and none of them shows a text.
    for (QMainWindow* w : {(QMainWindow*)&designer, (QMainWindow*)&tessellator}) {
      int separators = 0;
      for (QMenu* menu : w->menuBar()->findChildren<QMenu*>())
        for (QAction* a : menu->actions())
          if (a->isSeparator() && ++separators) QVERIFY(a->text().isEmpty());
      QVERIFY(separators > 0);
    }
  }

  // Several buttons held are none of them alone: no left drag.
  void aMoveReportsTheButtonsHeldAsTheirSum() {
    wlg::PictureBox pic("picTest", 0, 40, 40);
    wlg::CanvasWidget canvas(pic);
    int got = -1, presses = 0, doubles = 0;
    pic.onMouseMove = [&](int, wlg::MouseButton b, int, float, float) { got = int(b); };
    const QPointF at(10, 10);
    QMouseEvent move(QEvent::MouseMove, at, canvas.mapToGlobal(at), Qt::NoButton,
                     Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&canvas, &move);
    QCOMPARE(got, 3);
    pic.onMouseDown = [&](int, wlg::MouseButton, int, float, float) { ++presses; };
    QTest::mouseDClick(&canvas, Qt::LeftButton);  // without a handler: a second press
    pic.onDblClick = [&](int) { ++doubles; };
    QTest::mouseDClick(&canvas, Qt::LeftButton);
    QCOMPARE(std::pair(presses, doubles), std::pair(1, 1));
  }
};

QTEST_MAIN(EntryFocusTest)
#include "entry_focus_qtest.moc"
