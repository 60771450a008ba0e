#include "designer/qt/DesignerWindow.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "controls/qt/Bindings.h"
#include "platform/qt/ScreenFit.h"

namespace wlg {

namespace {
QLabel* Heading(const char* text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setAlignment(Qt::AlignCenter);
  return l;
}
ValidTextWidget* Entry(ValidText& m, QWidget* parent, int width = 48) {
  auto* w = new ValidTextWidget(m, parent);
  w->SetLeastWidth(width);
  return w;
}
// The first local pattern file among dropped ones; empty when there is none.
QString DroppedPattern(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls())
    if (url.isLocalFile() && url.toLocalFile().endsWith(".wlg", Qt::CaseInsensitive))
      return url.toLocalFile();
  return {};
}
}  // namespace

DesignerWindow::DesignerWindow(frmS& form, QWidget* parent) : QMainWindow(parent), form_(form) {
  tabs_ = new QTabWidget(this);
  for (int t = 0; t < TileCount; ++t) tabs_->addTab(BuildTile(t), QString("Tile %1").arg(t + 1));
  setCentralWidget(tabs_);
  BuildMenus();
  setAcceptDrops(true);

  connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index != form_.TabIndex()) form_.SSTab1_Click(index);
  });
  form_.onTabsChanged = [this] {
    for (int t = 0; t < TileCount; ++t) tabs_->setTabEnabled(t, form_.TabEnabled(t));
    if (tabs_->currentIndex() != form_.TabIndex()) tabs_->setCurrentIndex(form_.TabIndex());
  };
  form_.onWindowChanged = [this] { SyncWindow(); };
  // Opens showing everything where the screen has room for it (a window's
  // own default is two thirds of the screen); the screen fitting trims it.
  resize(sizeHint());
  SyncWindow();
}

void DesignerWindow::SyncWindow() {
  setWindowTitle(QString::fromStdString(form_.Caption()));
  if (form_.IsVisible() && !isVisible() && !closing_) show();
  if (!form_.IsVisible() && isVisible() && !closing_) {
    closing_ = true;
    close();
  }
}

QWidget* DesignerWindow::BuildTile(int t) {
  auto* page = new QWidget(tabs_);
  auto* row = new QHBoxLayout(page);

  // The canvas keeps its exact pixels: spare room goes round it, never into it.
  auto* canvasArea = new QWidget(page);
  canvasArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  auto* canvasBox = new QVBoxLayout(canvasArea);
  canvasBox->setContentsMargins(0, 0, 0, 0);
  auto* canvas = new CanvasWidget(form_.picS(t), canvasArea);
  canvasBox->addWidget(canvas, 0, Qt::AlignCenter);
  auto* drag = new QLabel(canvas);
  drag->setFrameShape(QFrame::Box);
  drag->setAutoFillBackground(true);
  drag->move(4, 4);
  auto& dragModel = form_.Get<StaticControl>("txtDragData", t);
  dragModel.onRefresh = [drag, &dragModel] {
    drag->setText(QString::fromStdString(dragModel.Caption()));
    drag->adjustSize();
    drag->setVisible(dragModel.Visible());
  };
  dragModel.Refresh();
  row->addWidget(canvasArea, 1);

  auto* panel = new QWidget;
  auto* frames = new QHBoxLayout(panel);
  frames->setContentsMargins(0, 0, 0, 0);
  auto* side = new QVBoxLayout;
  side->addWidget(BuildParameterFrame(t));
  side->addStretch(1);
  frames->addLayout(side);
  frames->addWidget(BuildRankFrame(t), 0, Qt::AlignTop);
  // On a small screen the panel scrolls rather than pushing the window
  // off it; at the usual size it shows whole, without scroll bars.
  panels_[t] = new PanelScroll(panel, page);
  row->addWidget(panels_[t], 0);
  return page;
}

QRect DesignerWindow::PanelGeometry() const {
  const QWidget* panel = panels_[std::clamp(tabs_->currentIndex(), 0, TileCount - 1)];
  return QRect(panel->mapToGlobal(QPoint(0, 0)), panel->size());
}

QWidget* DesignerWindow::BuildRankFrame(int t) {
  auto* frame = new QGroupBox(nullptr);
  frame->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
  auto* grid = new QGridLayout(frame);
  grid->setVerticalSpacing(1);
  grid->addWidget(Heading("Rank", frame), 0, 0);
  grid->addWidget(Heading("Clear", frame), 0, 1);
  // Short column heads; each box's tool tip says what it does.
  const char* heads[] = {"T", "R", "F", "L"};
  const char* tips[] = {"No Tessellation", "No Replication", "No Fill", "No Polygon"};
  for (int i = 0; i < 4; ++i) {
    QLabel* head = Heading(heads[i], frame);
    head->setToolTip(tips[i]);
    grid->addWidget(head, 0, 3 + i);
  }
  for (int r = 0; r < RanksPerTile; ++r) {
    const int k = RanksPerTile * t + r;
    grid->addWidget(new OptionButtonWidget(form_.optRank(k), frame), r + 1, 0);
    auto* clear = new ButtonWidget(form_.Get<Button>("cmdClear", k), frame);
    clear->setFixedSize(20, 18);
    clear->setToolTip("Clear this rank");
    grid->addWidget(clear, r + 1, 1, Qt::AlignHCenter);
    grid->addWidget(Entry(form_.vs("vsN", k), frame, 32), r + 1, 2);
    int col = 3;
    for (const char* name : {"chkT", "chkR", "chkF", "chkL"})
      grid->addWidget(new CheckBoxWidget(form_.chk(name, k), frame), r + 1, col++,
                      Qt::AlignHCenter);
  }
  return frame;
}

QWidget* DesignerWindow::BuildParameterFrame(int t) {
  auto* frame = new QGroupBox(nullptr);
  frame->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
  auto* grid = new QGridLayout(frame);
  // An entry sits in the middle of its column, under the column's heading.
  auto entry = [&](const char* name, int index, int row, int col) {
    grid->addWidget(Entry(form_.vs(name, index), frame), row, col, Qt::AlignHCenter);
  };
  int row = 0;
  grid->addWidget(Heading("Sides", frame), row, 1);
  grid->addWidget(Heading("Size", frame), row, 2);
  grid->addWidget(Heading("Rotate", frame), row, 3);
  ++row;
  grid->addWidget(new QLabel("Outer", frame), row, 0);
  entry("vsPolyOut", t, row, 1);
  entry("vsPolyBig", t, row, 2);
  grid->addWidget(new CheckBoxWidget(form_.chk("chkRotateOut", t), frame), row, 3, Qt::AlignCenter);
  ++row;
  grid->addWidget(new QLabel("Inner", frame), row, 0);
  entry("vsPoly", t, row, 1);
  entry("vsPolySmall", t, row, 2);
  grid->addWidget(new CheckBoxWidget(form_.chk("chkRotate", t), frame), row, 3, Qt::AlignCenter);
  ++row;
  grid->addWidget(Heading("Colours", frame), row, 1);
  grid->addWidget(Heading("1st", frame), row, 2);
  grid->addWidget(Heading("Back", frame), row, 3);
  ++row;
  entry("vsNCols", t, row, 1);
  entry("vsFirstCol", t, row, 2);
  entry("vsBackground", t, row, 3);
  ++row;
  grid->addWidget(new CheckBoxWidget(form_.chk("chkSequential", t), frame), row, 1, 1, 3);
  ++row;
  grid->addWidget(Heading("Angle", frame), row, 2);
  ++row;
  grid->addWidget(new CheckBoxWidget(form_.chk("chkStar", t), frame), row, 1);
  entry("vsStarAngle", t, row, 2);
  entry("vsFit", t, row, 3);
  ++row;
  grid->addWidget(Heading("Seed Width", frame), row, 1);
  grid->addWidget(Heading("Shape Width", frame), row, 2);
  ++row;
  entry("vsLineWidth", 2 * t, row, 1);
  entry("vsLineWidth", 2 * t + 1, row, 2);
  ++row;
  grid->addWidget(new QLabel("Hide Lines", frame), row, 0);
  grid->addWidget(new CheckBoxWidget(form_.chk("chkHideLine", 3 * t), frame), row, 1);
  grid->addWidget(new CheckBoxWidget(form_.chk("chkHideLine", 3 * t + 1), frame), row, 2);
  grid->addWidget(new CheckBoxWidget(form_.chk("chkHideLine", 3 * t + 2), frame), row, 3);
  return frame;
}

void DesignerWindow::BuildMenus() {
  std::map<std::string, QMenu*> menus;
  for (const auto& c : form_.Controls()) {
    auto* item = dynamic_cast<MenuItem*>(c.get());
    if (!item) continue;
    QMenu*& menu = menus[item->Menu()];
    if (!menu) menu = menuBar()->addMenu(QString::fromStdString(item->Menu()));
    // Separators too are bound to their models, which may hide them.
    menu->addAction(MakeAction(*item, this));
  }
}

void DesignerWindow::closeEvent(QCloseEvent* e) {
  if (!form_.program().AppClosing) {
    // Unsaved changes may keep the program open.
    if (!form_.QueryClose()) {
      e->ignore();
      return;
    }
    closing_ = true;
    form_.Form_QueryUnload();
  }
  closing_ = true;
  e->accept();
}

void DesignerWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (!DroppedPattern(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

void DesignerWindow::dropEvent(QDropEvent* e) {
  const QString path = DroppedPattern(e->mimeData());
  if (path.isEmpty()) return;
  e->acceptProposedAction();
  // Loaded once the drop is over, so the program that dragged is not kept waiting.
  QTimer::singleShot(0, this, [this, path] { form_.OpenPatternFile(path.toStdString()); });
}

void DesignerWindow::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange && isActiveWindow()) form_.Form_Activate();
  QMainWindow::changeEvent(e);
}

// Every showing opens the window fully inside the screen's free area.
void DesignerWindow::showEvent(QShowEvent* e) {
  FitOnScreen(this);
  QMainWindow::showEvent(e);
}

}  // namespace wlg
