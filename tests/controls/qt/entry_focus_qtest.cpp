// Entry boxes, the focus and the keyboard in the real windows on the
// offscreen platform: when a box commits, which keys it keeps, and what a
// click on a canvas sees.

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <stdexcept>

#include "controls/qt/Bindings.h"
#include "designer/Windows.h"
#include "designer/qt/DesignerWindow.h"
#include "platform/SettingsStore.h"
#include "solids/qt/View3DWindow.h"
#include "spherewrap/qt/SphereWrapWindow.h"
#include "tessellator/qt/TessellatorWindow.h"

using wlg::Answer;

namespace {

// Asks with a real modal message box, so that a question takes the focus
// and the activation as it does for the user; answers it once it is up.
class DialogPrompts : public wlg::Prompts {
 public:
  Answer answer = Answer::Yes;
  int questions = 0;

  Answer Message(const std::string& title, const std::string& text, wlg::Buttons,
                 wlg::Icon) override {
    ++questions;
    QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                    QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    const auto wanted = answer == Answer::Yes  ? QMessageBox::Yes
                        : answer == Answer::No ? QMessageBox::No
                                               : QMessageBox::Cancel;
    QTimer poll;
    int polls = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      // Once the box is the active window (or it never becomes one).
      if (QApplication::activeModalWidget() != &box) return;
      if (QApplication::activeWindow() != &box && ++polls < 100) return;
      poll.stop();
      box.button(wanted)->click();
    });
    poll.start(5);
    return box.exec() == wanted ? answer : Answer::Cancel;
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&,
                                      const std::string&) override {
    throw std::logic_error("unexpected input box");
  }
  std::optional<std::string> OpenFile(const wlg::FileDialogRequest&) override {
    throw std::logic_error("unexpected file dialog");
  }
  std::optional<std::string> SaveFile(const wlg::FileDialogRequest&) override {
    throw std::logic_error("unexpected file dialog");
  }
  std::optional<wlg::Colour> ChooseColour(wlg::Colour) override {
    throw std::logic_error("unexpected colour dialog");
  }
};

struct Rig {
  Rig() {
    form.Form_Load("");
    form.Show();
  }
  // Two placed tiles showing the designer's tile 1: shape edits ask first.
  void PlaceTwoTiles() {
    for (int i : {1, 2}) {
      program.tess.TessItems[i].X = 100.0f * i;
      program.tess.TessItems[i].Y = 100;
      program.tess.TessItems[i].Shape = 1;
    }
    program.tess.TessCount = 2;
  }
  template <class W, class M>
  W* WidgetOf(QWidget* root, const M& model) {
    for (auto* w : root->findChildren<W*>())
      if (&w->model() == &model) return w;
    return nullptr;
  }
  // Counts the box's Changed events, still running the window's handler.
  int& CountChanged(wlg::ValidText& box) {
    auto counter = std::make_shared<int>(0);
    counts.push_back(counter);
    box.Changed = [counter, handler = box.Changed](int i) {
      ++*counter;
      if (handler) handler(i);
    };
    return *counter;
  }
  wlg::ValidText& vsPoly() { return form.vs("vsPoly", 0); }
  QString Sides() { return QString::fromStdString(vsPoly().Value()); }

  DialogPrompts prompts;
  wlg::Program program{prompts};
  std::unique_ptr<wlg::SettingsStore> settings = wlg::MakeMemorySettings();
  wlg::Windows windows{program, *settings};
  wlg::frmS& form = windows.designer;
  wlg::DesignerWindow designer{form};
  wlg::TessellatorWindow tessellator{windows.tessellator, program};
  std::vector<std::shared_ptr<int>> counts;
};

bool Activate(QWidget* w) {
  w->show();
  w->activateWindow();
  return QTest::qWaitForWindowActive(w);
}

// Focus into the box with the text selected, then 'typed' typed.
bool TypeInto(QLineEdit* entry, const char* typed) {
  if (!Activate(entry->window())) return false;
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
  // The question opening takes the focus from the box: that is no second commit.
  void enterAsksOneQuestionAndRaisesOneChange() {
    Rig r;
    r.PlaceTwoTiles();
    auto* entry = r.WidgetOf<wlg::ValidTextWidget>(&r.designer, r.vsPoly());
    QVERIFY(entry);
    int& changed = r.CountChanged(r.vsPoly());
    QVERIFY(TypeInto(entry, "8"));
    QTest::keyClick(entry, Qt::Key_Return);
    QCOMPARE(r.prompts.questions, 1);
    QCOMPARE(changed, 1);
    QCOMPARE(r.Sides(), QString("8"));
    QCOMPARE(r.program.tess.TessCount, 0);  // Yes: the tessellation went
  }

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

  void switchingWindowsLeavesTheTypedTextUncommitted() {
    Rig r;
    auto* entry = r.WidgetOf<wlg::ValidTextWidget>(&r.designer, r.vsPoly());
    int& changed = r.CountChanged(r.vsPoly());
    const QString sides = r.Sides();
    QVERIFY(TypeInto(entry, "8"));
    QVERIFY(Activate(&r.tessellator));
    QVERIFY(Activate(&r.designer));
    QCOMPARE(changed, 0);
    QCOMPARE(r.Sides(), sides);
    QVERIFY(entry->hasFocus());
    QCOMPARE(entry->text(), QString("8"));
    QTest::keyClick(entry, Qt::Key_Return);
    QCOMPARE(changed, 1);
    QCOMPARE(r.Sides(), QString("8"));
  }

  // The window's commands come before the box's own editing keys.
  void windowShortcutsWinInsideAnEntry() {
    Rig r;
    r.windows.tessellator.Show();
    int copies = 0;
    r.windows.tessellator.copyToClipboard = [&](const QImage&) { ++copies; };
    int redos = 0;
    r.form.Menu("mnuEditRedo").SetEnabled(true);
    r.form.Menu("mnuEditRedo").onClick = [&](int) { ++redos; };
    int undos = 0;
    r.form.Menu("mnuEditUndo").SetEnabled(true);
    r.form.Menu("mnuEditUndo").onClick = [&](int) { ++undos; };
    r.windows.tessellator.Menu("mnuEditUndo").onClick = [&](int) { ++undos; };

    const struct {
      QWidget* window;
      wlg::ValidText& box;
      QKeyCombination key;
      int* count;
    } cases[] = {
        {&r.designer, r.vsPoly(), Qt::CTRL | Qt::Key_Z, &undos},
        {&r.designer, r.vsPoly(), Qt::CTRL | Qt::SHIFT | Qt::Key_Z, &redos},
        {&r.designer, r.vsPoly(), Qt::CTRL | Qt::Key_Y, &redos},
        {&r.tessellator, r.windows.tessellator.Entry("vsZoom"), Qt::CTRL | Qt::Key_C, &copies},
        {&r.tessellator, r.windows.tessellator.Entry("vtX"), Qt::CTRL | Qt::Key_Z, &undos},
    };
    for (const auto& c : cases) {
      auto* entry = r.WidgetOf<wlg::ValidTextWidget>(c.window, c.box);
      QVERIFY(entry);
      if (!entry->isVisible()) r.windows.tessellator.Check("chkShowEditor").UserClick();
      QVERIFY(TypeInto(entry, "8"));
      QTest::keyClicks(entry, "9");
      const int before = *c.count;
      QTest::keyClick(entry, c.key.key(), c.key.keyboardModifiers());
      QCOMPARE(*c.count, before + 1);
      QCOMPARE(entry->text(), QString("89"));  // no text undo, redo or copy-and-edit
    }
    // A command's key while the command is disabled is not the box's either.
    r.form.Menu("mnuEditUndo").SetEnabled(false);
    auto* entry = r.WidgetOf<wlg::ValidTextWidget>(&r.designer, r.vsPoly());
    QVERIFY(TypeInto(entry, "7"));
    QTest::keyClick(entry, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(entry->text(), QString("7"));
  }

  // The click first moves the focus, so the box commits and the click sees
  // the new shape; a click whose commit asked a question is dropped, the
  // user having answered it instead.
  void clickingACanvasCommitsTheEntryFirst() {
    Rig r;
    auto* entry = r.WidgetOf<wlg::ValidTextWidget>(&r.designer, r.vsPoly());
    auto* canvas = r.WidgetOf<wlg::CanvasWidget>(&r.designer, r.form.picS(0));
    QVERIFY(entry && canvas);
    QStringList seen;  // vsPoly as each press on the canvas finds it
    r.form.picS(0).onMouseDown = [&](int, wlg::MouseButton, int, float, float) {
      seen << QString::fromStdString(r.vsPoly().Value());
    };
    QVERIFY(TypeInto(entry, "8"));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(seen, QStringList{"8"});
    QCOMPARE(r.prompts.questions, 0);

    r.PlaceTwoTiles();
    r.prompts.answer = Answer::Cancel;
    QVERIFY(TypeInto(entry, "5"));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(r.prompts.questions, 1);
    QCOMPARE(seen, QStringList{"8"});
    QCOMPARE(r.Sides(), QString("8"));
    QCOMPARE(entry->text(), QString("8"));
    QCOMPARE(r.program.tess.TessCount, 2);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(60, 50));
    QCOMPARE(seen, (QStringList{"8", "8"}));
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
    } cases[] = {{Qt::NoButton, 0},
                 {Qt::LeftButton, 1},
                 {Qt::RightButton, 2},
                 {Qt::MiddleButton, 4},
                 {Qt::LeftButton | Qt::RightButton, 3},
                 {Qt::LeftButton | Qt::MiddleButton, 5}};
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
