// The whole program as a person meets it: the real windows and the real
// dialogs on a real X server under a real window manager, with focus that
// really moves between windows. Run through run-under-openbox.sh.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImageReader>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>
#include <deque>
#include <functional>
#include <memory>

#include "app/DesktopSession.h"
#include "controls/qt/Bindings.h"
#include "controls/qt/ProgressDialog.h"
#include "designer/qt/DesignerWindow.h"
#include "platform/SettingsStore.h"
#include "solids/qt/View3DWindow.h"
#include "tessellator/qt/TessellatorWindow.h"

namespace {

// The bound of every wait for the window manager, a dialog or the program.
constexpr int kWait = 5000;
const QString kDesignerTitle = "Whirligons v1.14";

// ---- the X server, asked with the desktop's own tools

QString Run(const QString& program, const QStringList& args, int timeoutMs = kWait) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished();
    return {};
  }
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// A window list on the root window, e.g. _NET_CLIENT_LIST_STACKING (bottom first).
QList<WId> RootWindows(const char* property) {
  const QString out = Run("xprop", {"-root", property}).section('#', 1);
  QList<WId> ids;
  static const QRegularExpression hex("0x[0-9a-fA-F]+");
  for (auto it = hex.globalMatch(out); it.hasNext();)
    ids << it.next().captured().toULongLong(nullptr, 16);
  return ids;
}

WId ServerActiveWindow() {
  const QList<WId> ids = RootWindows("_NET_ACTIVE_WINDOW");
  return ids.isEmpty() ? 0 : ids.first();
}

// The window manager activates w, as when the user clicks its title bar.
bool Activate(QWidget* w) {
  Run("xdotool", {"windowactivate", "--sync", QString::number(w->winId())});
  return QTest::qWaitForWindowActive(w, kWait);
}

// Lets the window manager finish reacting: the same window active in the
// program and on the server for several polls in a row (bounded).
void Settle() {
  QWidget* last = nullptr;
  WId lastServer = 0;
  int same = 0;
  QDeadlineTimer deadline(kWait);
  while (same < 5 && !deadline.hasExpired()) {
    QTest::qWait(40);
    QWidget* now = QApplication::activeWindow();
    const WId server = ServerActiveWindow();
    same = (now == last && server == lastServer) ? same + 1 : 0;
    last = now;
    lastServer = server;
  }
}

// A real pointer click through the server (and so through the window
// manager, which keeps Alt+click for itself) at a point of widget w.
void RealClick(QWidget* w, QPoint at, int button) {
  // The server counts device pixels; a scaled screen has more than Qt's points.
  const QPoint g = w->mapToGlobal(at) * w->devicePixelRatioF();
  Run("xdotool", {"mousemove", "--sync", QString::number(g.x()), QString::number(g.y()), "click",
                  QString::number(button)});
}

// How many pixels of a canvas as shown have a colour the exact picture
// has nowhere: blends of an antialiased edge, or a blurred copy.
int ForeignPixels(const QImage& exact, const QImage& shown) {
  QSet<QRgb> own;
  for (int y = 0; y < exact.height(); ++y)
    for (int x = 0; x < exact.width(); ++x) own.insert(exact.pixel(x, y) | 0xff000000u);
  const QImage s = shown.convertToFormat(QImage::Format_RGB32);
  int n = 0;
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) n += !own.contains(s.pixel(x, y));
  return n;
}

QString Describe(QWidget* w) {
  if (!w) return "nothing";
  if (auto* e = qobject_cast<wlg::ValidTextWidget*>(w))
    return QString("entry %1(%2)")
        .arg(QString::fromStdString(e->model().Name()))
        .arg(e->model().Index());
  return QString("%1 \"%2\"").arg(w->metaObject()->className(), w->window()->windowTitle());
}

// ---- the dialogs, answered as a person answers them

QString OneLine(QString text) { return text.replace('\n', ' '); }

// Watches for the modal dialog of the moment (from a timer, so also inside
// the dialog's own event loop), records it and answers it with the next
// queued answer. A dialog nobody expected is cancelled and recorded.
class Dialogs : public QObject {
 public:
  using Answer = std::function<QString(QWidget*)>;  // returns a fault, or empty
  struct Seen {
    QString title, text;
    QPointer<QWindow> transientParent;
  };

  Dialogs() {
    connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    timer_.start(20);
  }
  void Expect(Answer a) { answers_.push_back(std::move(a)); }
  int count() const { return seen_.size(); }
  const Seen& at(int i) const { return seen_.at(i); }
  // Every dialog seen and every fault in answering them, for a failure message.
  QString Log() const {
    QStringList lines;
    for (const Seen& s : seen_) lines << QString("[%1] %2").arg(s.title, OneLine(s.text));
    QString log = QString("%1 dialog(s)").arg(seen_.size());
    if (!lines.isEmpty()) log += ": " + lines.join(" | ");
    if (!faults_.isEmpty()) log += "; faults: " + faults_.join("; ");
    return log;
  }
  bool clean() const { return faults_.isEmpty(); }

  static QString Dismiss(QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
      if (QAbstractButton* b = box->escapeButton()) {
        b->click();
        return {};
      }
    }
    for (auto* buttons : w->findChildren<QDialogButtonBox*>())
      if (QPushButton* b = buttons->button(QDialogButtonBox::Cancel)) {
        b->click();
        return {};
      }
    if (auto* d = qobject_cast<QDialog*>(w))
      d->reject();
    else
      w->close();
    return {};
  }

  static Answer Press(QMessageBox::StandardButton which, const char* name) {
    return [which, name](QWidget* w) -> QString {
      auto* box = qobject_cast<QMessageBox*>(w);
      QAbstractButton* b = box ? box->button(which) : nullptr;
      if (!b) {
        Dismiss(w);
        return QString("the dialog \"%1\" has no %2 button").arg(w->windowTitle(), name);
      }
      b->click();
      return {};
    };
  }
  static Answer Cancel() {
    return [](QWidget* w) { return Dismiss(w); };
  }

 private:
  void Poll() {
    QWidget* w = QApplication::activeModalWidget();
    if (busy_ || !w || !w->isVisible()) return;
    Handled* h = nullptr;
    for (auto& e : handled_)
      if (e.dialog == w) h = &e;
    if (!h) {
      handled_.push_back({w, 0, false});
      h = &handled_.back();
      Seen s;
      s.title = w->windowTitle();
      if (auto* box = qobject_cast<QMessageBox*>(w)) s.text = box->text();
      if (auto* input = qobject_cast<QInputDialog*>(w)) s.text = input->labelText();
      if (w->windowHandle()) s.transientParent = w->windowHandle()->transientParent();
      seen_ << s;
    }
    ++h->polls;
    if (h->answered) {
      // Answered but still open: close it rather than hang the test.
      if (h->polls == 200) {
        faults_ << QString("\"%1\" stayed open after its answer").arg(w->windowTitle());
        Dismiss(w);
      }
      return;
    }
    // A person answers once the dialog has the focus, by which time the
    // window it came from has lost it (and reacted to losing it).
    if (!w->isActiveWindow() && h->polls < 100) return;
    h->answered = true;
    busy_ = true;
    QString fault;
    if (!w->isActiveWindow())
      faults_ << QString("\"%1\" never became active").arg(w->windowTitle());
    if (answers_.empty()) {
      fault = QString("unexpected dialog [%1]").arg(w->windowTitle());
      Dismiss(w);
    } else {
      Answer a = std::move(answers_.front());
      answers_.pop_front();
      fault = a(w);
    }
    if (!fault.isEmpty()) faults_ << fault;
    busy_ = false;
  }

  struct Handled {
    QPointer<QWidget> dialog;
    int polls;
    bool answered;
  };
  QTimer timer_;
  std::deque<Answer> answers_;
  std::vector<Handled> handled_;
  QList<Seen> seen_;
  QStringList faults_;
  bool busy_ = false;
};

// ---- the program

QString SamplePath() { return QStringLiteral(WHIRLIGONS_SAMPLES_DIR "/sample.wlg"); }

// One run of the program in this process: its own settings file and, for
// whatever it keeps between runs, its own state folder.
class Desktop {
 public:
  // commandLine: a pattern file to open, copied first so the test may change it.
  explicit Desktop(const QString& pattern = {}) {
    qputenv("XDG_STATE_HOME", dir_.filePath("state").toLocal8Bit());
    QString commandLine;
    if (!pattern.isEmpty()) {
      commandLine = dir_.filePath(QFileInfo(pattern).fileName());
      QFile::copy(pattern, commandLine);
    }
    session_ = std::make_unique<wlg::DesktopSession>(
        wlg::OpenSettingsFile(dir_.filePath("Whirligons.conf").toStdString()));
    session_->Start(commandLine.toStdString());
    // Opening a pattern may show the tessellator too; let the window
    // manager map and focus whatever appeared before the test acts.
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && !QTest::qWaitForWindowExposed(w, kWait))
        qWarning("\"%s\" was not shown on the screen", qPrintable(w->windowTitle()));
    Settle();
  }
  ~Desktop() {
    // Text left typed in an entry is committed while every window still
    // exists, not halfway through tearing them down.
    if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
    session_.reset();
  }

  Dialogs dialogs;
  wlg::frmS& designer() { return session_->windows().designer; }
  wlg::frmT& tessellator() { return session_->windows().tessellator; }
  wlg::Program& program() { return session_->program(); }
  wlg::DesignModel& model() { return program().design; }
  wlg::DesignerWindow* designerWindow() { return &session_->designerWindow(); }
  wlg::TessellatorWindow* tessellatorWindow() { return &session_->tessellatorWindow(); }
  wlg::View3DWindow* view3DWindow() { return &session_->view3DWindow(); }

  wlg::ValidTextWidget* EntryView(QWidget* root, wlg::ValidText& model) {
    for (auto* w : root->findChildren<wlg::ValidTextWidget*>())
      if (&w->model() == &model) return w;
    return nullptr;
  }
  wlg::ValidTextWidget* DesignerEntry(const char* name, int index) {
    return EntryView(designerWindow(), designer().vs(name, index));
  }
  wlg::ValidTextWidget* TessellatorEntry(const char* name, int index = 0) {
    return EntryView(tessellatorWindow(), tessellator().Entry(name, index));
  }
  wlg::CanvasWidget* TileCanvas(int tile) {
    for (auto* c : designerWindow()->findChildren<wlg::CanvasWidget*>())
      if (&c->model() == &designer().picS(tile)) return c;
    return nullptr;
  }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<wlg::DesktopSession> session_;
};

// A person's answer to a save dialog: the name typed over whatever is
// offered, then Enter. A fault when the dialog has no name box.
QString TypeFileName(QWidget* dialog, const QString& target) {
  auto* name =
      qobject_cast<QFileDialog*>(dialog) ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
  if (!name) return Dialogs::Dismiss(dialog), QString("not a file dialog with a name box");
  name->setFocus();
  name->selectAll();
  QTest::keyClicks(name, target);
  // Once this answer is over, so that a question Enter leads to gets its own.
  QTimer::singleShot(0, name, [name] { QTest::keyClick(name, Qt::Key_Return); });
  return {};
}

// A menu command of a window's menu bar, found by its captions.
QAction* MenuAction(QMainWindow* window, const QString& menu, const QString& item) {
  for (QAction* top : window->menuBar()->actions()) {
    if (top->text() != menu || !top->menu()) continue;
    for (QAction* a : top->menu()->actions())
      if (a->text().startsWith(item)) return a;
  }
  return nullptr;
}

// A menu opened by its access key, then keys typed into it, through the
// server as a person types them; false when no menu opened.
bool MenuKeys(const char* menu, const QStringList& keys) {
  Run("xdotool", {"key", "--clearmodifiers", menu});
  if (!QTest::qWaitFor([] { return QApplication::activePopupWidget(); }, kWait)) return false;
  Run("xdotool", QStringList{"key"} + keys);
  return true;
}

// A key as the user presses it: to the widget that has the focus.
void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QWidget* target = QApplication::focusWidget();
  if (!target) target = QApplication::activeWindow();
  if (target) QTest::keyClick(target, key, mods);
}

// Clicks into an entry, selects its text and types over it (no Enter).
bool TypeInto(QWidget* entry, const QString& text) {
  if (!entry) return false;
  QTest::mouseClick(entry, Qt::LeftButton);
  if (QApplication::focusWidget() != entry) return false;
  Key(Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(entry, text);
  return true;
}

// Types into an entry, or fails naming where the focus went instead.
#define TYPE_INTO(entry, text)    \
  QVERIFY2(TypeInto(entry, text), \
           qPrintable("focus went to " + Describe(QApplication::focusWidget())))

// Opens the tessellator from the designer's menu and lets the window manager place it.
bool OpenTessellator(Desktop& d) {
  QAction* open = MenuAction(d.designerWindow(), "&Tessellator", "&Tessellator");
  if (!open) return false;
  open->trigger();
  return QTest::qWaitForWindowExposed(d.tessellatorWindow(), kWait);
}

// The cube from the designer's menu (Yes to setting the tiles up), shown
// and active; null when it is not.
wlg::View3DWindow* ShowCube(Desktop& d) {
  d.dialogs.Expect(Dialogs::Press(QMessageBox::Yes, "Yes"));
  MenuAction(d.designerWindow(), "&Platonic solids", "&Cube (6)")->trigger();
  auto* view = d.view3DWindow();
  return QTest::qWaitFor([view] { return view->isVisible(); }, kWait) && Activate(view) ? view
                                                                                        : nullptr;
}

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QVERIFY2(QGuiApplication::platformName() == "xcb",
             "needs a real X server: run through tests/desktop/run-under-openbox.sh");
    QVERIFY2(!RootWindows("_NET_SUPPORTING_WM_CHECK").isEmpty(),
             "no window manager on the display: run through tests/desktop/run-under-openbox.sh");
    // The tests close the program's windows; the test runner goes on.
    QApplication::setQuitOnLastWindowClosed(false);
  }

  // A typed shape change with placed copies of the tile asks once whether
  // to clear the tessellator; Cancel leaves everything as it was.
  void enterOnAShapeEntryAsksOnce() {
    Desktop d(SamplePath());
    const int placed = d.program().tess.TessCount;
    QVERIFY2(placed >= 2, "the sample should place several copies of tile 1");
    const auto ranks = d.model().PlacedCount;
    QVERIFY(Activate(d.designerWindow()));
    auto* sides = d.DesignerEntry("vsPoly", 0);
    const QString before = sides->text();
    QVERIFY(before != "8");

    d.dialogs.Expect(Dialogs::Press(QMessageBox::Cancel, "Cancel"));
    TYPE_INTO(sides, "8");
    Key(Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(d.dialogs.count() >= 1, kWait);
    Settle();
    QVERIFY2(
        d.dialogs.count() == 1 && d.dialogs.at(0).title == "Just checking" && d.dialogs.clean(),
        qPrintable("Enter should ask once: " + d.dialogs.Log()));
    QCOMPARE(d.program().tess.TessCount, placed);
    QVERIFY2(d.model().PlacedCount == ranks, "Cancel cleared rank points of the tile");
    QCOMPARE(QString::fromStdString(d.designer().vs("vsPoly", 0).Value()), before);
    QCOMPARE(sides->text(), before);
  }

  // The designer fits the screen with every panel control reachable (the
  // panel scrolls on a small screen); the tessellator a pattern opens goes
  // beside it where there is room (not on these screens), else leaves the
  // panel clear. Maximised, the canvas keeps its size, centred.
  void designerFitsAndTheTessellatorLeavesItsPanelClear() {
    Desktop d(SamplePath());
    wlg::DesignerWindow* designer = d.designerWindow();
    wlg::TessellatorWindow* tess = d.tessellatorWindow();
    const QRect area = designer->screen()->availableGeometry(), panel = designer->PanelGeometry();
    const QRect framed = designer->frameGeometry(), tessFramed = tess->frameGeometry();
    QVERIFY2(area.contains(framed), "the designer does not fit the screen");
    QVERIFY2(tess->isVisible() && !tessFramed.intersects(panel),
             "the tessellator covers the panel");
    auto* scroll = designer->tabs()->currentWidget()->findChild<QScrollArea*>();
    QVERIFY(scroll);
    for (QWidget* w : scroll->widget()->findChildren<QWidget*>()) {
      if (!w->isVisibleTo(designer) || !w->findChildren<QWidget*>().isEmpty()) continue;
      scroll->ensureWidgetVisible(w, 0, 0);
      QVERIFY2(panel.contains(QRect(w->mapToGlobal(QPoint(0, 0)), w->size())),
               qPrintable(w->property("text").toString() + " is out of reach"));
    }
    designer->showMaximized();
    QTRY_VERIFY_WITH_TIMEOUT(designer->isMaximized(), kWait);
    Settle();
    wlg::CanvasWidget* canvas = d.TileCanvas(0);
    QCOMPARE(canvas->size(), QSize(wlg::frmS::TileCanvasSize, wlg::frmS::TileCanvasSize));
    const int spare = canvas->parentWidget()->width() - canvas->geometry().right();
    QVERIFY2(std::abs(canvas->x() - spare) <= 2, "the canvas is not centred in its room");
  }

  // With sequential colours every rank row shows its colour on the screen,
  // its caption reads on it, and its option mark shows.
  void rankLabelsReadOnTheirRowColours() {
    Desktop d(QStringLiteral(WHIRLIGONS_SAMPLES_DIR "/star-sequential.wlg"));
    const auto rows =
        d.designerWindow()->tabs()->widget(0)->findChildren<wlg::OptionButtonWidget*>();
    QCOMPARE(rows.size(), wlg::RanksPerTile);
    for (wlg::OptionButtonWidget* row : rows) {
      // As the server shows it: a widget's own grab paints a background that
      // the screen may not.
      const QPoint g = row->mapToGlobal(QPoint(0, 0));
      const QImage shot = row->screen()
                              ->grabWindow(0, g.x(), g.y(), row->width(), row->height())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
      const QColor back = row->palette().color(QPalette::Window);
      QStyleOptionButton opt;
      opt.initFrom(row);
      for (const auto part : {QStyle::SE_RadioButtonContents, QStyle::SE_RadioButtonIndicator}) {
        const QRect r = row->style()->subElementRect(part, &opt, row);
        const qreal k = shot.devicePixelRatio();
        const QImage seen = shot.copy(QRect(r.topLeft() * k, r.size() * k));
        int n = 0, same = 0;
        for (int i = 0; i < seen.width() * seen.height(); ++i) {
          const QRgb c = seen.pixel(i % seen.width(), i / seen.width());
          n += std::abs(qRed(c) - back.red()) + std::abs(qGreen(c) - back.green()) +
                   std::abs(qBlue(c) - back.blue()) >
               150;
          same += (c & 0xffffff) == (back.rgb() & 0xffffff);
        }
        QVERIFY2(n >= 10,
                 qPrintable(row->text() + QString(": the %1 is lost on ").arg(part) + back.name()));
        if (part == QStyle::SE_RadioButtonContents)
          QVERIFY2(3 * same > seen.width() * seen.height(),
                   qPrintable(row->text() + ": the row does not show " + back.name()));
      }
    }
  }

  // Undo and Redo by their keys wherever the focus is. Going to another
  // window and back with text typed in an entry commits nothing; the first
  // Ctrl+Z there throws the typing away, the next is the program's Undo.
  void undoAndRedoByKeysFromAnyEntry() {
    Desktop d;
    QVERIFY(OpenTessellator(d));
    QVERIFY(Activate(d.designerWindow()));
    const QPoint a(200, 300), b(260, 300);
    QTest::mouseClick(d.TileCanvas(0), Qt::LeftButton, {}, a);
    QTest::mouseClick(d.TileCanvas(0), Qt::LeftButton, {}, b);
    wlg::DesignModel& m = d.model();
    QCOMPARE(m.PlacedCount[0], 2);
    auto* colours = d.DesignerEntry("vsNCols", 0);
    const std::string committed = d.designer().vs("vsNCols", 0).Value();
    QVERIFY(committed != "5");
    TYPE_INTO(colours, "5");
    QVERIFY2(Activate(d.tessellatorWindow()), "the tessellator did not become active");
    QVERIFY2(Activate(d.designerWindow()), "the designer did not become active again");
    QCOMPARE(d.designer().vs("vsNCols", 0).Value(), committed);

    auto* zoom = d.TessellatorEntry("vsZoom");
    struct Step {
      QWidget* entry;  // clicked first, or null to keep the focus
      Qt::Key key;
      Qt::KeyboardModifiers mods;
      int points;
    };
    const Step steps[] = {{colours, Qt::Key_Z, Qt::ControlModifier, 2},
                          {nullptr, Qt::Key_Z, Qt::ControlModifier, 1},
                          {zoom, Qt::Key_Z, Qt::ControlModifier, 0},
                          {nullptr, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, 1},
                          {nullptr, Qt::Key_Y, Qt::ControlModifier, 2}};
    for (const Step& s : steps) {
      if (s.entry) {
        QVERIFY(Activate(s.entry->window()));
        QTest::mouseClick(s.entry, Qt::LeftButton);
      }
      auto* focus = qobject_cast<wlg::ValidTextWidget*>(QApplication::focusWidget());
      QVERIFY(focus);
      const QString text = focus->text() == "5" ? QString::fromStdString(committed) : focus->text();
      Key(s.key, s.mods);
      QVERIFY2(m.PlacedCount[0] == s.points,
               qPrintable(QString("%1 in %2 left %3 point(s), not %4")
                              .arg(QKeySequence(s.key | s.mods).toString(), Describe(focus))
                              .arg(m.PlacedCount[0])
                              .arg(s.points)));
      QCOMPARE(focus->text(), text);
    }
    QCOMPARE(d.designer().vs("vsNCols", 0).Value(), committed);
    QCOMPARE(QPointF(m.X[0][0], m.Y[0][0]), QPointF(a));
    QCOMPARE(QPointF(m.X[0][1], m.Y[0][1]), QPointF(b));
    QVERIFY2(d.dialogs.count() == 0, qPrintable(d.dialogs.Log()));
  }

  // A click on the canvas first commits what was typed in an entry, and
  // acts on the shape that results: with snapping on, the new point lands
  // on a vertex of the new inner polygon.
  void canvasClickCommitsTypedTextFirst() {
    Desktop d;
    QVERIFY(Activate(d.designerWindow()));
    QAction* snap = MenuAction(d.designerWindow(), "&Edit", "&Snap to vertices");
    QVERIFY(snap);
    snap->trigger();
    QVERIFY(d.designer().Menu("mnuEditSnap").Checked());

    // The inner polygon is regular and centred: at half (or double) the
    // size its vertices lie half (or twice) as far from the centre.
    const wlg::ConstructedPolygon old = d.model().poly;
    const int n = old.VertexCount;
    QVERIFY(n >= 3);
    QPointF centre;
    for (int i = 1; i <= n; ++i) centre += QPointF(old.InnerVertices[i].x, old.InnerVertices[i].y);
    centre /= n;
    const float size = d.designer().vs("vsPolySmall", 0).Single();
    const float newSize = size >= 2 ? size / 2 : size * 2;
    const double k = newSize / size;
    const QPointF v1(old.InnerVertices[1].x, old.InnerVertices[1].y);
    const QPointF predicted = centre + (v1 - centre) * k;
    for (int i = 1; i <= n; ++i)
      QVERIFY(QLineF(QPointF(old.InnerVertices[i].x, old.InnerVertices[i].y), predicted).length() >
              20);

    const QString typed = QString::number(newSize);
    TYPE_INTO(d.DesignerEntry("vsPolySmall", 0), typed);
    const QPoint click = (predicted + QPointF(4, 4)).toPoint();  // within snap reach
    QTest::mouseClick(d.TileCanvas(0), Qt::LeftButton, {}, click);

    QCOMPARE(d.designer().vs("vsPolySmall", 0).Value(), typed.toStdString());
    QCOMPARE(d.model().PlacedCount[0], 1);
    const QPointF point(d.model().X[0][0], d.model().Y[0][0]);
    const wlg::FPoint now = d.model().poly.InnerVertices[1];
    QVERIFY2(QLineF(point, QPointF(now.x, now.y)).length() < 0.01,
             "the click did not land on the new inner polygon's vertex");
    QVERIFY2(QLineF(point, predicted).length() < 1.5,
             "the new inner polygon is not where it was expected");
    QVERIFY2(d.dialogs.count() == 0, qPrintable(d.dialogs.Log()));
  }

  // A dialog opened from the tessellator belongs to it: once closed, the
  // tessellator is active again and above the designer.
  void tessellatorDialogStaysWithTheTessellator() {
    Desktop d;
    QVERIFY(OpenTessellator(d));
    auto* tess = d.tessellatorWindow();
    QVERIFY(Activate(tess));
    QAction* snap = MenuAction(tess, "&Edit", "&Snap to vertices");
    QVERIFY(snap);
    snap->trigger();
    const QStringList commands[] = {
        {"&File", "&Save .wlg"}, {"&Edit", "Select Snap &Radius"}, {"&File", "Save D&XF..."}};
    for (const QStringList& c : commands) {
      QAction* command = MenuAction(tess, c[0], c[1]);
      QVERIFY2(command && command->isEnabled(), qPrintable(c[1] + " is missing or disabled"));
      const int before = d.dialogs.count();
      d.dialogs.Expect(Dialogs::Cancel());
      command->trigger();
      QTRY_VERIFY_WITH_TIMEOUT(d.dialogs.count() == before + 1, kWait);
      Settle();
      QWindow* parent = d.dialogs.at(before).transientParent;
      QVERIFY2(parent == tess->windowHandle(),
               qPrintable(QString("the dialog [%1] belongs to %2, not to the tessellator")
                              .arg(d.dialogs.at(before).title,
                                   parent ? "\"" + parent->title() + "\"" : QString("no window"))));
      QVERIFY2(QApplication::activeWindow() == tess,
               qPrintable(c[1] + ": afterwards the active window is " +
                          Describe(QApplication::activeWindow())));
      QCOMPARE(ServerActiveWindow(), tess->winId());
      const QList<WId> stacking = RootWindows("_NET_CLIENT_LIST_STACKING");
      const qsizetype tessAt = stacking.indexOf(tess->winId());
      const qsizetype designerAt = stacking.indexOf(d.designerWindow()->winId());
      QVERIFY2(tessAt > designerAt && designerAt >= 0,
               qPrintable(c[1] + ": afterwards the designer is above the tessellator"));
    }
    QVERIFY2(d.dialogs.clean(), qPrintable(d.dialogs.Log()));
  }

  // Save dialogs offer the pattern's name beside it, say why a name too long
  // is refused, and take their options by a click on the box. A vector file's
  // offers the cutter's and the plotter's lines, which exclude each other,
  // and the one ticked is written under the name typed; the net's takes its
  // page, its replace question shows its whole title, and the edge box that
  // follows has the keyboard.
  void saveDialogsTakeTheirOptions() {
    Desktop d(SamplePath());
    QVERIFY(OpenTessellator(d));
    auto* tess = d.tessellatorWindow();
    QVERIFY(Activate(tess));
    QTemporaryDir out;
    const QString target = out.filePath("for the cutter");
    const QDir folder = QFileInfo(QString::fromStdString(d.designer().document().FileName())).dir();
    d.dialogs.Expect([&](QWidget* w) -> QString {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      auto* name = dialog ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
      if (!name || dialog->directory() != folder || name->text() != "sample.svg")
        return Dialogs::Dismiss(w), QString("not a file dialog offering sample.svg");
      auto refused = [dialog] {
        for (QWidget* l : dialog->findChildren<QWidget*>())
          if (l->isVisible() && l->property("text").toString().startsWith("The name is too long"))
            return true;
        return false;
      };
      QTest::keyClicks(name, QString(260, 'a'));
      if (!refused()) return Dialogs::Dismiss(w), QString("a 260-byte name: no reason shown");
      QCheckBox *cut = nullptr, *plot = nullptr;
      for (auto* box : dialog->findChildren<QCheckBox*>()) {
        if (box->text().startsWith("Cut lines only")) cut = box;
        if (box->text().startsWith("Plotter pens")) plot = box;
      }
      if (!cut || !plot || !cut->isVisible()) return Dialogs::Dismiss(w), QString("no options");
      // On the box itself, where a person clicks.
      QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(8, plot->height() / 2));
      QTest::mouseClick(cut, Qt::LeftButton, {}, QPoint(8, cut->height() / 2));
      if (plot->isChecked() || !cut->isChecked())
        return Dialogs::Dismiss(w), QString("the options do not exclude each other");
      const QString fault = TypeFileName(dialog, target);
      return refused() ? "the reason stayed" : fault;
    });
    QAction* save = MenuAction(tess, "&File", "Save S&VG...");
    QVERIFY(save);
    save->trigger();
    QTRY_VERIFY2_WITH_TIMEOUT(QFile::exists(target + ".svg"), qPrintable(d.dialogs.Log()), kWait);
    QVERIFY2(d.dialogs.clean(), qPrintable(d.dialogs.Log()));
    QFile svg(target + ".svg");
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    QVERIFY(text.contains("inkscape:label=\"Cut\""));
    QVERIFY(!text.contains("inkscape:label=\"Outlines\""));
    auto* view = ShowCube(d);
    QVERIFY(view);
    const QString netTarget = out.filePath("cube net");
    QFile(netTarget + ".pdf").open(QIODevice::WriteOnly);
    d.dialogs.Expect([&](QWidget* w) -> QString {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      if (!dialog) return Dialogs::Dismiss(w), QString("not a file dialog");
      QCheckBox* letter = nullptr;
      for (auto* box : dialog->findChildren<QCheckBox*>())
        if (box->text() == wlg::frm3D::NetLetterOption) letter = box;
      if (!letter || !letter->isVisible()) return Dialogs::Dismiss(w), QString("no page option");
      QTest::mouseClick(letter, Qt::LeftButton, {}, QPoint(8, letter->height() / 2));
      return TypeFileName(dialog, netTarget);
    });
    d.dialogs.Expect([](QWidget* w) {
      QFont bold = w->font();
      bold.setBold(true);  // beside some four buttons as wide as the title bar is high
      const int needs = QFontMetrics(bold).horizontalAdvance(w->windowTitle()) +
                        4 * (w->frameGeometry().height() - w->geometry().height());
      const int width = w->frameGeometry().width();
      const QString fault = Dialogs::Press(QMessageBox::Yes, "Yes")(w);
      return width >= needs ? fault : QString("%1 pixels wide, not %2").arg(width).arg(needs);
    });
    d.dialogs.Expect([&](QWidget* w) -> QString {
      if (!qobject_cast<QInputDialog*>(w)) return Dialogs::Dismiss(w), QString("not an input box");
      QWidget* focus = QApplication::focusWidget();
      if (!qobject_cast<QLineEdit*>(focus) || focus->window() != w)
        return Dialogs::Dismiss(w), QString("the edge box has no keyboard focus");
      QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(focus, "40");
      QTest::keyClick(focus, Qt::Key_Return);
      return {};
    });
    QAction* saveNet = MenuAction(view, "&File", "Save &Net...");
    QVERIFY(saveNet);
    saveNet->trigger();
    QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo(netTarget + ".pdf").size() > 0, qPrintable(d.dialogs.Log()),
                              kWait);
    QVERIFY2(d.dialogs.clean(), qPrintable(d.dialogs.Log()));
    QCOMPARE(d.dialogs.at(d.dialogs.count() - 1).transientParent, view->windowHandle());
    QFile pdf(netTarget + ".pdf");
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    // Letter, upright or on its side.
    QVERIFY(QString::fromLatin1(pdf.readAll())
                .contains(QRegularExpression(R"(/MediaBox \[0 0 (612|792)\.0* (792|612)\.0*\])")));
  }

  // Closing with unsaved work asks whether to save it; Escape keeps the
  // window and the design, Alt+W closes without saving. Ctrl+S saves a design
  // with a file at once, with no dialog; Ctrl+Shift+S asks for a name.
  void closingWithUnsavedChangesAsks_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::newRow("never saved") << QString() << "Untitled";
    QTest::newRow("opened file") << SamplePath() << "sample.wlg";
  }
  void closingWithUnsavedChangesAsks() {
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    Desktop d(pattern);
    auto* designer = d.designerWindow();
    auto keys = [](const char* k) { Run("xdotool", {"key", "--clearmodifiers", k}); };
    auto close = [&](const char* answer) {
      d.dialogs.Expect([&keys, answer](QWidget*) { return keys(answer), QString(); });
      Run("wmctrl", {"-i", "-c", QString::number(designer->winId())});
    };
    QVERIFY(Activate(designer));
    TYPE_INTO(d.DesignerEntry("vsNCols", 0), "5");
    Key(Qt::Key_Return);
    close("Escape");
    QTRY_VERIFY_WITH_TIMEOUT(d.dialogs.count() >= 1 || !designer->isVisible(), kWait);
    Settle();
    QVERIFY2(d.dialogs.count() == 1 && d.dialogs.at(0).text == "Save changes to " + name + "?" &&
                 designer->isVisible() && designer->windowTitle().startsWith("*" + name),
             qPrintable("closing should ask and stay: " + d.dialogs.Log()));
    if (pattern.isEmpty()) {
      close("alt+w");
      QTRY_VERIFY2_WITH_TIMEOUT(!designer->isVisible(), qPrintable(d.dialogs.Log()), kWait);
      QVERIFY2(d.dialogs.count() == 2 && d.dialogs.clean() && d.program().AppClosing,
               qPrintable(d.dialogs.Log()));
      return;
    }
    keys("ctrl+s");
    QTRY_COMPARE_WITH_TIMEOUT(designer->windowTitle(), name + " - " + kDesignerTitle, kWait);
    QFile saved(QString::fromStdString(d.designer().document().FileName()));
    QVERIFY(saved.open(QIODevice::ReadOnly) && saved.readAll().contains("\r\nvsNCols,0,5\r\n"));
    d.dialogs.Expect(Dialogs::Cancel());
    keys("ctrl+shift+s");
    QTRY_VERIFY_WITH_TIMEOUT(d.dialogs.count() == 2, kWait);
    QVERIFY2(d.dialogs.at(1).title == "Saving Whirligon configuration" && d.dialogs.clean(),
             qPrintable(d.dialogs.Log()));
  }

  // A middle click on a placed tile's polygon recolours it with the fill
  // colour, as Alt+click does where the window manager lets it through.
  void middleClickRecolours() {
    Desktop d(SamplePath());
    auto* tess = d.tessellatorWindow();
    QVERIFY2(tess->isVisible(), "opening the sample should show the tessellator");
    QVERIFY(Activate(tess));
    TYPE_INTO(d.TessellatorEntry("vsFillColour"), "12");
    Key(Qt::Key_Return);
    QCOMPARE(d.tessellator().Entry("vsFillColour").Value(), std::string("12"));
    Settle();

    auto& overrides = d.model().overrides;
    QCOMPARE(overrides.OverrideCount, 0);
    const wlg::TessItem& first = d.program().tess.TessItems[1];
    const wlg::FPoint p = d.tessellator().ToCanvas(first.X, first.Y);
    RealClick(tess->canvas(), QPointF(p.x, p.y).toPoint(), 2);
    QTRY_VERIFY2_WITH_TIMEOUT(overrides.OverrideCount == 1,
                              "a middle click on the first placed tile recoloured nothing", kWait);
    QCOMPARE(overrides.entries[0].colour, 12);
    QCOMPARE(overrides.entries[0].item, 1.0f);
    QVERIFY2(d.dialogs.count() == 0, qPrintable(d.dialogs.Log()));
  }

  // After a real kill -9 the next start offers the design that was not
  // saved, and Yes brings it back marked unsaved.
  void crashRecoveryAfterKill() {
    // Where the designer's first canvas lies in its window.
    QPoint canvasPoint;
    {
      Desktop d;
      QVERIFY(QTest::qWaitForWindowExposed(d.designerWindow(), kWait));
      canvasPoint = d.TileCanvas(0)->mapTo(d.designerWindow(), QPoint(200, 300));
    }
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_STATE_HOME", home.filePath("state"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("QT_QPA_PLATFORM", "xcb");
    const QString recovery = home.filePath("state/whirligons/recovery.wlg");

    struct Child {
      QProcess process;
      ~Child() {
        if (process.state() != QProcess::NotRunning) {
          process.kill();
          process.waitForFinished();
        }
      }
    };
    auto start = [&](Child& p) {
      p.process.setProcessEnvironment(env);
      p.process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
      p.process.start(WHIRLIGONS_PROGRAM, {});
      return p.process.waitForStarted(kWait);
    };
    // The program's visible windows with a name matching the pattern (bounded wait).
    auto windows = [](Child& p, const QString& name, int timeoutMs = 3 * kWait) {
      QDeadlineTimer deadline(timeoutMs);
      do {
        const QStringList ids =
            Run("xdotool", {"search", "--all", "--onlyvisible", "--pid",
                            QString::number(p.process.processId()), "--name", name})
                .split('\n', Qt::SkipEmptyParts);
        if (!ids.isEmpty()) return ids;
        QTest::qWait(100);
      } while (!deadline.hasExpired() && p.process.state() == QProcess::Running);
      return QStringList();
    };
    auto windowList = [] { return Run("wmctrl", {"-l"}).trimmed().replace('\n', "; "); };

    {
      Child first;
      QVERIFY(start(first));
      const QStringList main = windows(first, "^Whirligons v1\\.14$");
      QVERIFY2(!main.isEmpty(), qPrintable("the designer did not appear: " + windowList()));
      Run("xdotool",
          {"windowactivate", "--sync", main.first(), "mousemove", "--window", main.first(),
           QString::number(canvasPoint.x()), QString::number(canvasPoint.y()), "click", "1"});
      QTRY_VERIFY2_WITH_TIMEOUT(QFile::exists(recovery),
                                qPrintable("no recovery copy " + recovery + " after a change"),
                                3 * kWait);
      first.process.kill();  // SIGKILL: no clean exit
      QVERIFY(first.process.waitForFinished(kWait));
    }
    Child second;
    QVERIFY(start(second));
    const QStringList offer = windows(second, "^Restore unsaved design$");
    QVERIFY2(!offer.isEmpty(),
             qPrintable("no \"Restore unsaved design\" question after the kill; windows: " +
                        windowList()));
    // Centred on the designer it is about, once the window manager placed it.
    auto centre = [](const QString& id) {  // WINDOW, X, Y, WIDTH, HEIGHT
      const QStringList v = Run("xdotool", {"getwindowgeometry", "--shell", id}).split('\n');
      auto n = [&v](int i) { return v.value(i).section('=', 1).toInt(); };
      return QPoint(n(1) + n(3) / 2, n(2) + n(4) / 2);
    };
    const QPoint off = centre(offer.first()) - centre(windows(second, "v1\\.14$").first());
    QVERIFY2(std::abs(off.x()) <= 30 && std::abs(off.y()) <= 60,
             "the question is off the designer");
    Run("xdotool", {"windowactivate", "--sync", offer.first(), "key", "y"});
    const QStringList restored = windows(second, "^\\*.*Whirligons v1\\.14$");
    QVERIFY2(!restored.isEmpty(),
             qPrintable("after Yes the designer's caption shows no unsaved mark; windows: " +
                        windowList()));
  }
  // Smooth Edges chosen by keyboard from the designer's real Edit menu: every
  // window's item is ticked and the canvases on screen are antialiased,
  // while the exact picture the clicks and fills read is unchanged.
  void smoothEdgesFromTheEditMenu() {
    Desktop d(SamplePath());
    QVERIFY(OpenTessellator(d));
    QVERIFY(Activate(d.designerWindow()));
    const QImage exact = d.designer().picS(0).canvas.Image().copy();
    auto blends = [&exact](const QImage& shown) { return ForeignPixels(exact, shown); };
    wlg::CanvasWidget* tile = d.TileCanvas(0);
    QVERIFY(tile);
    QCOMPARE(blends(tile->grab().toImage()), 0);

    QVERIFY(MenuKeys("alt+e", {"e"}));
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activePopupWidget(), kWait);
    for (QMainWindow* w :
         std::initializer_list<QMainWindow*>{d.designerWindow(), d.tessellatorWindow()}) {
      QAction* item = MenuAction(w, "&Edit", "Smooth &Edges");
      QVERIFY2(item && item->isChecked(), qPrintable(w->windowTitle() + ": not ticked"));
    }
    QTRY_VERIFY_WITH_TIMEOUT(blends(tile->grab().toImage()) > 100, kWait);
    QVERIFY2(d.designer().picS(0).canvas.Image() == exact,
             "smooth edges changed the exact picture");
    QVERIFY2(d.dialogs.count() == 0, qPrintable(d.dialogs.Log()));
  }
  // File > Save 3MF... and Save Animation... of the 3D window by their keys:
  // the typed edge and the ticked relief, the animation's kind and frames,
  // reach the file. A long save shows the progress window, whose Cancel
  // leaves no file; the sphere window writes its turn too.
  void savesFromTheFileMenusByKeys() {
    Desktop d(SamplePath());
    auto* view = ShowCube(d);
    QVERIFY(view);
    QTemporaryDir out;
    d.dialogs.Expect([](QWidget* w) -> QString {
      auto* relief = w->findChild<QCheckBox*>();
      const auto lines = w->findChildren<QLineEdit*>();  // the edge, the height
      if (w->windowTitle() != "Save 3MF" || !relief || lines.size() != 2 || lines[1]->isEnabled())
        return Dialogs::Dismiss(w), "not the 3MF dialog: " + w->windowTitle();
      lines[0]->selectAll();
      QTest::keyClicks(lines[0], "25");
      QTest::mouseClick(relief, Qt::LeftButton, {}, QPoint(8, relief->height() / 2));
      if (!lines[1]->isEnabled()) return Dialogs::Dismiss(w), QString("no height to type");
      QTest::keyClick(lines[1], Qt::Key_Return);
      return {};
    });
    d.dialogs.Expect([&out](QWidget* w) -> QString {
      auto* type = w->findChild<QComboBox*>("fileTypeCombo");
      if (!type) return Dialogs::Dismiss(w), QString("no file type list");
      QTest::keyClick(type, Qt::Key_Down);  // STL files: a name typed without one gets .stl
      return TypeFileName(w, out.filePath("cube"));
    });
    d.dialogs.Expect(Dialogs::Press(QMessageBox::Ok, "OK"));  // the note
    QVERIFY(MenuKeys("alt+f", {"3"}));
    QTRY_VERIFY2_WITH_TIMEOUT(d.dialogs.count() == 4 && d.dialogs.at(3).text.contains("raised"),
                              qPrintable(d.dialogs.Log()), kWait);
    const qint64 stl = QFileInfo(out.filePath("cube.stl")).size();  // 84 bytes, 50 a triangle
    QVERIFY2(stl > 84 && (stl - 84) % 50 == 0, qPrintable(QString::number(stl)));
    auto answer = [&](const QString& kind, const QString& frames, const QString& name) {
      d.dialogs.Expect([kind, frames](QWidget* w) -> QString {
        const auto boxes = w->findChildren<QComboBox*>();
        const auto lines = w->findChildren<QLineEdit*>();
        if (w->windowTitle() != "Save Animation" || boxes.size() != 2 || lines.size() != 2)
          return Dialogs::Dismiss(w), "not the animation dialog: " + w->windowTitle();
        boxes[0]->setCurrentText(kind);
        lines[0]->setText(frames);
        QTest::keyClick(lines[0], Qt::Key_Return);
        return {};
      });
      d.dialogs.Expect([&out, name](QWidget* w) { return TypeFileName(w, out.filePath(name)); });
    };
    answer("Animated GIF", "6", "cube");
    // "Save &As..." has the same key: the second press reaches this item.
    QVERIFY(MenuKeys("alt+f", {"a", "a", "Return"}));
    QTRY_VERIFY2_WITH_TIMEOUT(QFile::exists(out.filePath("cube.gif")), qPrintable(d.dialogs.Log()),
                              kWait);
    QCOMPARE(QImageReader(out.filePath("cube.gif")).imageCount(), 6);

    answer("Animated WebP", "3600", "long");
    int cancels = 0;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&cancels] {
      for (auto* p : QApplication::topLevelWidgets())
        if (qobject_cast<wlg::ProgressDialog*>(p) && p->isVisible())
          if (auto* b = p->findChild<QPushButton*>()) b->click(), ++cancels;
    });
    cancel.start(100);
    MenuAction(view, "&File", "Save &Animation...")->trigger();
    cancel.stop();
    QVERIFY(cancels > 0);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"cube.gif", "cube.stl"}));

    QVERIFY(OpenTessellator(d));
    for (QAction* top : d.tessellatorWindow()->menuBar()->actions())
      if (top->text() == "&SphereWrap") top->trigger();
    QWidget* sphere = nullptr;
    for (auto* w : QApplication::topLevelWidgets())
      if (w->isVisible() && w->windowTitle().contains("SphereWrap")) sphere = w;
    QVERIFY(sphere && Activate(sphere));
    answer("MP4 video (H.264)", "4", "ball");
    QVERIFY(MenuKeys("alt+f", {"a"}));
    QTRY_VERIFY2_WITH_TIMEOUT(QFileInfo(out.filePath("ball.mp4")).size() > 0,
                              qPrintable(d.dialogs.Log()), kWait);
    QVERIFY2(d.dialogs.clean(), qPrintable(d.dialogs.Log()));
  }
  // Edit > Fill View by its keys covers the window; Edit > Fill Area...
  // opens over the tessellator with the keyboard in its first field, and
  // Enter fills an A4 sheet; Ctrl+Z takes that fill back in one step.
  void fillFromTheEditMenu() {
    Desktop d(SamplePath());
    auto* tess = d.tessellatorWindow();
    QVERIFY(tess->isVisible());
    QVERIFY(Activate(tess));
    const int patch = d.program().tess.TessCount;
    QVERIFY(MenuKeys("alt+e", {"f"}));
    QTRY_VERIFY2_WITH_TIMEOUT(d.program().tess.TessCount > patch, "Fill View placed nothing",
                              kWait);
    const int view = d.program().tess.TessCount;
    Settle();

    QString fault;
    d.dialogs.Expect([&fault, tess](QWidget* w) -> QString {
      QWidget* focus = QApplication::focusWidget();
      if (w->windowTitle() != "Fill Area" || !focus || focus->window() != w)
        fault = "the fill dialog is \"" + w->windowTitle() + "\", focus on " + Describe(focus);
      else if (w->windowHandle()->transientParent() != tess->windowHandle())
        fault = "the fill dialog does not belong to the tessellator";
      QTest::keyClick(focus ? focus : w, Qt::Key_Return);
      return {};
    });
    QVERIFY(MenuKeys("alt+e", {"a"}));
    QTRY_VERIFY2_WITH_TIMEOUT(d.program().tess.TessCount > view,
                              qPrintable("Fill Area placed nothing; " + d.dialogs.Log()), kWait);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
    Settle();
    QVERIFY(Activate(tess));
    Run("xdotool", {"key", "--clearmodifiers", "ctrl+z"});
    QTRY_COMPARE_WITH_TIMEOUT(d.program().tess.TessCount, view, kWait);
    QVERIFY2(d.dialogs.count() == 1, qPrintable(d.dialogs.Log()));
  }
  // On a scale-2 screen (the hidpi run sets QT_SCALE_FACTOR=2) the tile is
  // drawn at the screen's resolution: edges step within each canvas pixel,
  // in the exact picture's own colours only (not a blown-up or blurred
  // copy), while the exact picture stays at canvas size.
  void hidpiCanvasIsDrawnAtScreenResolution() {
    Desktop d(SamplePath());
    wlg::CanvasWidget* tile = d.TileCanvas(0);
    QVERIFY(tile);
    if (tile->devicePixelRatioF() < 2) QSKIP("needs QT_SCALE_FACTOR=2 (the hidpi run)");
    const QImage& exact = d.designer().picS(0).canvas.Image();
    QCOMPARE(exact.size(), QSize(wlg::frmS::TileCanvasSize, wlg::frmS::TileCanvasSize));
    const QImage shown = tile->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QVERIFY2(shown.width() >= 2 * exact.width() - 2,
             qPrintable(QString("the canvas shows %1 pixels across").arg(shown.width())));
    QCOMPARE(ForeignPixels(exact, shown), 0);
    int split = 0;
    for (int y = 0; y + 1 < shown.height(); y += 2)
      for (int x = 0; x + 1 < shown.width(); x += 2)
        split += shown.pixel(x + 1, y + 1) != shown.pixel(x, y) ||
                 shown.pixel(x + 1, y) != shown.pixel(x, y);
    QVERIFY2(split > 200, qPrintable(QString("only %1 canvas pixels hold an edge").arg(split)));
  }

  // Files dragged from another program's window onto the designer: the
  // first pattern among them opens (an upper-case extension too); over
  // unsaved changes it asks first, and Cancel opens nothing.
  void filesDraggedFromAnotherProgramOpen() {
    Desktop d;
    QTemporaryDir dir;
    const QString upper = dir.filePath("SQUARES.WLG");
    QVERIFY(QFile::copy(QString(WHIRLIGONS_SAMPLES_DIR) + "/octagons-and-squares.wlg", upper));
    auto drag = [&](const QStringList& files) {
      QProcess source;
      source.start(WHIRLIGONS_DRAG_SOURCE, files);
      QString id;
      for (QDeadlineTimer t(kWait); id.isEmpty() && !t.hasExpired(); QTest::qWait(50))
        id = Run("xdotool", {"search", "--onlyvisible", "--pid",
                             QString::number(source.processId()), "--name", "^Drag source$"})
                 .section('\n', 0, 0);
      if (id.isEmpty()) return false;
      Run("xdotool", {"mousemove", "--sync", "--window", id, "80", "50", "mousedown", "1"});
      const qreal ratio = d.designerWindow()->devicePixelRatioF();  // device pixels
      const QPoint from = QCursor::pos() * ratio,
                   to = d.designerWindow()->geometry().center() * ratio;
      for (int i = 1; i <= 12; ++i) {  // the drop target answers between moves
        const QPoint at = from + (to - from) * i / 12;
        Run("xdotool", {"mousemove", "--sync", QString::number(at.x()), QString::number(at.y())});
        QTest::qWait(40);
      }
      Run("xdotool", {"mouseup", "1"});
      QTest::qWait(200);
      source.kill();
      return source.waitForFinished(kWait);
    };
    QVERIFY(drag({dir.filePath("notes.txt"), upper, SamplePath()}));
    QTRY_COMPARE_WITH_TIMEOUT(d.program().tess.TessCount, 18, kWait);
    QCOMPARE(d.designerWindow()->windowTitle(), "SQUARES.WLG - " + kDesignerTitle);

    d.model().CustomColours[2] = 0x010203;
    QVERIFY(Activate(d.designerWindow()));  // the opened pattern showed the tessellator
    d.dialogs.Expect(Dialogs::Cancel());
    QVERIFY(drag({SamplePath()}));
    QTRY_VERIFY_WITH_TIMEOUT(d.dialogs.count() == 1, kWait);
    QCOMPARE(d.dialogs.at(0).text, "Save changes to SQUARES.WLG?");
    QVERIFY2(d.dialogs.clean(), qPrintable(d.dialogs.Log()));
    QCOMPARE(d.model().CustomColours[2], wlg::Colour(0x010203));
  }
};

QTEST_MAIN(DesktopTest)
#include "desktop_qtest.moc"
