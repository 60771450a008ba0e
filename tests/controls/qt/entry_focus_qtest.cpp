// Entry boxes, menus and canvases in the real windows on the offscreen
// platform, for what the desktop tests do not reach: the focus-out reasons,
// the menu separators, the buttons of a move and the keys a box never keeps.

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>
#include <memory>

#include "controls/qt/Bindings.h"
#include "designer/Windows.h"
#include "designer/qt/DesignerWindow.h"
#include "platform/SettingsStore.h"
#include "solids/qt/View3DWindow.h"
#include "spherewrap/qt/SphereWrapWindow.h"
#include "support/ScriptedPrompts.h"
#include "tessellator/qt/TessellatorWindow.h"

namespace {

struct Rig {
  Rig() {
    form.Form_Load("");
    form.Show();
  }
  wlg::ValidTextWidget* EntryOf(QWidget* root, const wlg::ValidText& model) {
    for (auto* w : root->findChildren<wlg::ValidTextWidget*>())
      if (&w->model() == &model) return w;
    return nullptr;
  }

  wlg::testing::ScriptedPrompts prompts;
  wlg::Program program{prompts};
  std::unique_ptr<wlg::SettingsStore> settings = wlg::MakeMemorySettings();
  wlg::Windows windows{program, *settings};
  wlg::frmS& form = windows.designer;
  wlg::DesignerWindow designer{form};
  wlg::TessellatorWindow tessellator{windows.tessellator, program};
};

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
    const struct {
      Qt::FocusReason reason;
      bool commits;
    } cases[] = {{Qt::TabFocusReason, true},    {Qt::BacktabFocusReason, true},
                 {Qt::MouseFocusReason, true},  {Qt::ShortcutFocusReason, true},
                 {Qt::OtherFocusReason, true},  {Qt::ActiveWindowFocusReason, false},
                 {Qt::PopupFocusReason, false}, {Qt::MenuBarFocusReason, false}};
    for (const auto& c : cases) {
      wlg::EntryContext context;
      wlg::ValidText box("vtTest", 0, context);
      int changed = 0;
      box.Changed = [&](int) { ++changed; };
      wlg::ValidTextWidget entry(box);
      entry.setText("42");
      QFocusEvent out(QEvent::FocusOut, c.reason);
      QApplication::sendEvent(&entry, &out);
      QCOMPARE(changed, c.commits ? 1 : 0);
      QCOMPARE(box.Value(), std::string(c.commits ? "42" : "1"));
      QCOMPARE(entry.text(), QString("42"));
    }
  }

  // The window's commands come before the box's own editing keys (Ctrl+Z
  // in a box is the desktop test's), also while the command is disabled.
  void windowShortcutsWinInsideAnEntry() {
    Rig r;
    r.windows.tessellator.Show();
    int copies = 0;
    r.windows.tessellator.copyToClipboard = [&](const QImage&) { ++copies; };
    int redos = 0;
    r.form.Menu("mnuEditRedo").SetEnabled(true);
    r.form.Menu("mnuEditRedo").onClick = [&](int) { ++redos; };
    const struct {
      QWidget* window;
      wlg::ValidText& box;
      QKeyCombination key;
      int* count;
    } cases[] = {
        {&r.designer, r.form.vs("vsPoly", 0), Qt::CTRL | Qt::SHIFT | Qt::Key_Z, &redos},
        {&r.designer, r.form.vs("vsPoly", 0), Qt::CTRL | Qt::Key_Y, &redos},
        {&r.tessellator, r.windows.tessellator.Entry("vsZoom"), Qt::CTRL | Qt::Key_C, &copies},
    };
    for (const auto& c : cases) {
      auto* entry = r.EntryOf(c.window, c.box);
      QVERIFY(entry);
      QVERIFY(TypeInto(entry, "8"));
      QTest::keyClicks(entry, "9");
      const int before = *c.count;
      QTest::keyClick(entry, c.key.key(), c.key.keyboardModifiers());
      QCOMPARE(*c.count, before + 1);
      QCOMPARE(entry->text(), QString("89"));  // no text undo, redo or copy-and-edit
    }
    r.form.Menu("mnuEditUndo").SetEnabled(false);
    auto* entry = r.EntryOf(&r.designer, r.form.vs("vsPoly", 0));
    QVERIFY(TypeInto(entry, "7"));
    QTest::keyClick(entry, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(entry->text(), QString("7"));
  }

  void separatorsHaveNoText() {
    Rig r;
    wlg::View3DWindow view3D{r.windows.view3D, r.program};
    wlg::SphereWrapWindow sphere{r.windows.sphereWrap, r.program};
    for (QMainWindow* w :
         std::initializer_list<QMainWindow*>{&r.designer, &r.tessellator, &view3D, &sphere}) {
      int separators = 0;
      for (QMenu* menu : w->menuBar()->findChildren<QMenu*>())
        for (QAction* a : menu->actions()) {
          if (!a->isSeparator()) continue;
          ++separators;
          QVERIFY2(a->text().isEmpty(), qPrintable(w->windowTitle() + ": " + a->text()));
        }
      QVERIFY2(separators > 0, qPrintable(w->windowTitle()));
    }
  }

  // Several buttons held are none of them alone: no left drag.
  void aMoveReportsTheButtonsHeldAsTheirSum() {
    wlg::PictureBox pic("picTest", 0, 40, 40);
    wlg::CanvasWidget canvas(pic);
    wlg::MouseButton got = wlg::MouseButton::None;
    pic.onMouseMove = [&](int, wlg::MouseButton b, int, float, float) { got = b; };
    const struct {
      Qt::MouseButtons held;
      int sum;
    } cases[] = {{Qt::NoButton, 0},     {Qt::LeftButton, 1},
                 {Qt::RightButton, 2},  {Qt::MiddleButton, 4},
                 {Qt::LeftButton | Qt::RightButton, 3}, {Qt::LeftButton | Qt::MiddleButton, 5}};
    for (const auto& c : cases) {
      const QPointF at(10, 10);
      QMouseEvent move(QEvent::MouseMove, at, canvas.mapToGlobal(at), Qt::NoButton, c.held,
                       Qt::NoModifier);
      QApplication::sendEvent(&canvas, &move);
      QCOMPARE(static_cast<int>(got), c.sum);
    }

    int presses = 0, doubles = 0;
    pic.onMouseDown = [&](int, wlg::MouseButton, int, float, float) { ++presses; };
    QTest::mouseDClick(&canvas, Qt::LeftButton);
    QCOMPARE(presses, 1);  // without a double-click handler: a second press
    pic.onDblClick = [&](int) { ++doubles; };
    presses = 0;
    QTest::mouseDClick(&canvas, Qt::LeftButton);
    QCOMPARE(presses, 0);
    QCOMPARE(doubles, 1);
  }
};

QTEST_MAIN(EntryFocusTest)
#include "entry_focus_qtest.moc"
