#include "tessellator/qt/TessellatorWindow.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>
#include <map>

#include "controls/qt/Bindings.h"
#include "platform/qt/ScreenFit.h"

namespace wlg {

namespace {
ValidTextWidget* Entry(ValidText& m, QWidget* parent, int width = 44) {
  auto* w = new ValidTextWidget(m, parent);
  w->SetLeastWidth(width);
  return w;
}
}  // namespace

TessellatorWindow::TessellatorWindow(frmT& form, Program& program, QWidget* parent)
    : QMainWindow(parent), form_(form), program_(program) {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);

  // Top strip: the tile to place, per-shape scale and mirror, view settings.
  // It scrolls sideways in a window narrower than itself, so the window fits
  // beside the designer's panel on a small screen.
  auto* stripPanel = new QWidget(central);
  auto* strip = new QGridLayout(stripPanel);
  strip->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < TileCount; ++i) {
    strip->addWidget(new OptionButtonWidget(form_.Get<OptionButton>("optWhichOne", i), central), 0,
                     i);
    strip->addWidget(Entry(form_.Entry("vsScale", i), central), 1, i);
    strip->addWidget(new CheckBoxWidget(form_.Check("chkMirror", i), central), 2, i);
  }
  int col = TileCount;
  strip->addWidget(new QLabel("Zoom", central), 0, col, Qt::AlignCenter);
  strip->addWidget(Entry(form_.Entry("vsZoom"), central), 1, col++);
  strip->addWidget(new QLabel("Back", central), 0, col, Qt::AlignCenter);
  strip->addWidget(Entry(form_.Entry("vsTBackground"), central), 1, col++);
  strip->addWidget(new QLabel("Fill", central), 0, col, Qt::AlignCenter);
  auto* fillRow = new QHBoxLayout;
  fillRow->addWidget(Entry(form_.Entry("vsFillColour"), central, 32));
  auto* swatch = new CanvasWidget(form_.Get<PictureBox>("picFill"), central);
  swatch->setToolTip(QString::fromStdString(form_.Get<PictureBox>("picFill").ToolTip()));
  swatch->setAutoFillBackground(true);
  fillRow->addWidget(swatch);
  strip->addLayout(fillRow, 1, col++);
  strip->addWidget(new ButtonWidget(form_.Get<Button>("cmdClearAll"), central), 1, col);
  strip->addWidget(new CheckBoxWidget(form_.Check("chkShowEditor"), central), 2, col++);
  strip->setColumnStretch(col, 1);
  auto* stripScroll = new PanelScroll(stripPanel, central, true);
  column->addWidget(stripScroll);
  // While the strip scrolls it is taller by its scroll bar, and so is the
  // window's least size.
  connect(
      stripScroll->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
      [this] { KeepControlsUnsqueezed(); }, Qt::QueuedConnection);

  // The picFill swatch shows its back colour rather than a canvas.
  auto& fillModel = form_.Get<PictureBox>("picFill");
  fillModel.onRefresh = [swatch, &fillModel] {
    fillModel.canvas.backColour = fillModel.BackColour();
    fillModel.canvas.Clear();
    swatch->update();
  };
  fillModel.Refresh();

  auto* body = new QHBoxLayout;
  canvasArea_ = new QWidget(central);
  auto* grid = new QGridLayout(canvasArea_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  canvas_ = new CanvasWidget(form_.picT(), canvasArea_);
  canvas_->setFocusPolicy(Qt::StrongFocus);
  grid->addWidget(canvas_, 0, 0, Qt::AlignTop | Qt::AlignLeft);
  grid->addWidget(new ScrollBarWidget(form_.YScroll(), Qt::Vertical, canvasArea_), 0, 1);
  grid->addWidget(new ScrollBarWidget(form_.XScroll(), Qt::Horizontal, canvasArea_), 1, 0);
  canvasArea_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  canvasArea_->installEventFilter(this);
  canvasArea_->setMinimumSize(200, 150);
  canvas_->setMinimumSize(1, 1);
  body->addWidget(canvasArea_, 1);

  auto* editor = new QGroupBox(central);
  editor_ = editor;
  editor->installEventFilter(this);
  editor->setMouseTracking(true);
  auto& frameModel = form_.Get<StaticControl>("Frame1");
  frameModel.onRefresh = [this, editor, &frameModel] {
    editor->setTitle(QString::fromStdString(frameModel.Caption()));
    if (editor->isVisibleTo(this) != frameModel.Visible()) {
      editor->setVisible(frameModel.Visible());
      KeepControlsUnsqueezed();
    }
  };
  auto* eg = new QGridLayout(editor);
  int row = 0;
  auto labelled = [&](const char* label, ValidText& m) {
    eg->addWidget(new QLabel(label, editor), row, 0);
    eg->addWidget(Entry(m, editor, 60), row++, 1);
  };
  labelled("N", form_.Entry("vtTile"));
  labelled("X", form_.Entry("vtX"));
  labelled("Y", form_.Entry("vtY"));
  labelled("Angle", form_.Entry("vtAngle"));
  labelled("Scale", form_.Entry("vtScale"));
  eg->addWidget(new CheckBoxWidget(form_.Check("CheckFlip"), editor), row++, 0, 1, 2);
  eg->addWidget(new CheckBoxWidget(form_.Check("checkCopy"), editor), row++, 0, 1, 2);
  eg->setRowStretch(row, 1);
  frameModel.Refresh();
  body->addWidget(editor, 0, Qt::AlignTop);
  column->addLayout(body, 1);
  setCentralWidget(central);

  BuildMenuBar(menuBar(), form_, this);

  form_.onWindowChanged = [this] { SyncWindow(); };
  form_.onOpen = [this] {
    raise();
    activateWindow();
    canvas_->setFocus();
  };
  KeepControlsUnsqueezed();
  OnFontChange(this, [this] { KeepControlsUnsqueezed(); });
  resize(DefaultWidth(), DefaultHeight());
  SyncWindow();
}

int TessellatorWindow::DefaultWidth() { return frmT::DefaultCanvasWidth + 160; }
int TessellatorWindow::DefaultHeight() { return frmT::DefaultCanvasHeight + 140; }

// At least 5500 x 5000 twips, and never so small that the controls above
// the canvas, or the editor beside it when shown, are squeezed.
void TessellatorWindow::KeepControlsUnsqueezed() {
  setMinimumSize(minimumSizeHint().expandedTo(QSize(5500 / 15, 5000 / 15)));
}

void TessellatorWindow::SyncWindow() {
  setWindowTitle(QString::fromStdString(form_.Caption()));
  if (form_.IsVisible() && !isVisible()) {
    show();
    raise();
    canvas_->setFocus();
  } else if (!form_.IsVisible() && isVisible()) {
    hide();
  }
}

void TessellatorWindow::FitCanvas() {
  // The canvas fills the area beside the scroll bars.
  const int w = std::max(1, canvasArea_->width() - 17);
  const int h = std::max(1, canvasArea_->height() - 17);
  PictureBox& pic = form_.picT();
  if (pic.canvas.Width() == w && pic.canvas.Height() == h) return;
  pic.canvas.Resize(w, h);
  canvas_->setFixedSize(w, h);
  form_.UpdateTess();
}

bool TessellatorWindow::eventFilter(QObject* watched, QEvent* e) {
  if (watched == canvasArea_ && e->type() == QEvent::Resize && !isMinimized()) FitCanvas();
  if (watched == editor_ && (e->type() == QEvent::Enter || e->type() == QEvent::MouseMove))
    form_.Frame1_MouseMove();
  return QMainWindow::eventFilter(watched, e);
}

void TessellatorWindow::closeEvent(QCloseEvent* e) {
  if (program_.AppClosing) {
    e->accept();
    return;
  }
  // Closing only hides it; the designer keeps it for the whole run.
  e->ignore();
  form_.Hide();
}

// Every showing opens the window fully inside the screen's free area.
void TessellatorWindow::showEvent(QShowEvent* e) {
  FitOnScreen(this);
  QMainWindow::showEvent(e);
}

}  // namespace wlg
