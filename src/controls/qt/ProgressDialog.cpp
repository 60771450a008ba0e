#include "controls/qt/ProgressDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/Progress.h"

namespace wlg {

namespace {
QColor ToQColor(Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
}  // namespace

ProgressBarView::ProgressBarView(const BarPicture& outer, const BarPicture& inner, QWidget* parent)
    : QWidget(parent), outer_(outer), inner_(inner) {
  setObjectName(QString::fromStdString(outer.Name()));
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ProgressBarView::sizeHint() const { return QSize(outer_.Width(), outer_.Height()); }

void ProgressBarView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect outer(0, 0, outer_.Width(), outer_.Height());
  p.fillRect(outer, outer_.HasBackColour() ? ToQColor(outer_.BackColour())
                                           : palette().color(QPalette::Base));
  if (inner_.Visible() && inner_.Width() > 0 && inner_.Height() > 0) {
    const QRect inner(inner_.Left(), inner_.Top(), inner_.Width(), inner_.Height());
    p.fillRect(inner.intersected(outer), inner_.HasBackColour()
                                             ? ToQColor(inner_.BackColour())
                                             : palette().color(QPalette::Button));
  }
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(outer.adjusted(0, 0, -1, -1));
}

ProgressDialog::ProgressDialog(frmProgress& form, QWidget* parent) : QDialog(parent), form_(form) {
  setObjectName("frmProgress");
  setModal(false);

  bar_ = new ProgressBarView(form.picProgress, form.picInner, this);
  cancel_ = new QPushButton(QString::fromStdString(form.btnCancel.Caption()), this);
  cancel_->setObjectName(QString::fromStdString(form.btnCancel.Name()));
  cancel_->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel_);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(bar_);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(cancel_, &QPushButton::clicked, this, [this] { form_.btnCancel.UserClick(); });

  form_.picProgress.onRefresh = [this] {
    bar_->updateGeometry();
    bar_->update();
  };
  form_.picInner.onRefresh = [this] { bar_->update(); };
  form_.btnCancel.onRefresh = [this] {
    cancel_->setText(QString::fromStdString(form_.btnCancel.Caption()));
    cancel_->setEnabled(form_.btnCancel.Enabled());
    cancel_->setVisible(form_.btnCancel.Visible());
  };
  form_.onRefresh = [this] { SyncForm(); };
  SyncForm();
}

ProgressDialog::~ProgressDialog() {
  // The model outlives the view; leave it without dangling callbacks.
  form_.onRefresh = nullptr;
  form_.picProgress.onRefresh = nullptr;
  form_.picInner.onRefresh = nullptr;
  form_.btnCancel.onRefresh = nullptr;
}

void ProgressDialog::SyncForm() {
  setWindowTitle(QString::fromStdString(form_.Caption()));
  if (!form_.Visible()) {
    hide();
    return;
  }
  if (ownerWidget) {
    QWidget* owner = ownerWidget(form_.Owner());
    if (owner && owner != parentWidget()) setParent(owner, windowFlags());
  }
  if (!isVisible()) {
    show();
    raise();
  }
  bar_->update();
}

void ProgressDialog::reject() { form_.btnCancel.UserClick(); }

void ProgressDialog::closeEvent(QCloseEvent* event) {
  // Never block the program's shut-down, which closes every window.
  if (!form_.Visible()) {
    event->accept();
    return;
  }
  event->ignore();
  form_.btnCancel.UserClick();
}

}  // namespace wlg
