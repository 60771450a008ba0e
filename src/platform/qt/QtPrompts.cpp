#include "platform/qt/QtPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>

#include "platform/ImageCanvas.h"

namespace wlg {

QString QtFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) out << parts[i] + " (" + parts[i + 1] + ")";
  return out.join(";;");
}

QWidget* QtPrompts::DialogParent() const {
  QWidget* w = QApplication::activeWindow();
  if (!w || !w->isVisible()) {
    QWidget* f = QApplication::focusWidget();
    w = f && f->window()->isVisible() ? f->window() : nullptr;
  }
  if (!w && lastParent_ && lastParent_->isVisible()) w = lastParent_;
  if (!w) w = parent_;
  lastParent_ = w;
  return w;
}

Answer QtPrompts::Message(const std::string& title, const std::string& text, Buttons buttons,
                          Icon icon) {
  QMessageBox box(DialogParent());
  box.setWindowTitle(QString::fromStdString(title.empty() ? kAppTitle : title));
  QString body = QString::fromStdString(text);
  body.replace("\r\n", "\n");
  box.setText(body);
  switch (icon) {
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::None: break;
  }
  switch (buttons) {
    case Buttons::OK: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OKCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case Buttons::SaveDiscardCancel:
      box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Save);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok: return Answer::OK;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Save: return Answer::Save;
    case QMessageBox::Discard: return Answer::Discard;
    default: return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
  }
}

std::optional<std::string> QtPrompts::InputBox(const std::string& title, const std::string& prompt,
                                               const std::string& defaultText) {
  QWidget* parent = DialogParent();
  bool ok = false;
  const QString answer =
      QInputDialog::getText(parent, QString::fromStdString(title), QString::fromStdString(prompt),
                            QLineEdit::Normal, QString::fromStdString(defaultText), &ok);
  if (!ok) return std::nullopt;
  return answer.toStdString();
}

std::optional<std::string> QtPrompts::OpenFile(const FileDialogRequest& r) {
  QWidget* parent = DialogParent();
  const QString path = QFileDialog::getOpenFileName(
      parent, QString::fromStdString(r.title), QString::fromStdString(r.initialName),
      QtFilter(r.filter), nullptr, QFileDialog::ReadOnly);
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtPrompts::SaveFile(const FileDialogRequest& r) {
  QWidget* parent = DialogParent();
  QFileDialog dialog(parent, QString::fromStdString(r.title), QString(), QtFilter(r.filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QString::fromStdString(r.defaultExt));
  if (!r.initialName.empty()) dialog.selectFile(QString::fromStdString(r.initialName));
  if (!r.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  std::vector<QCheckBox*> boxes;
  if (r.options && !r.options->empty()) {
    // Check boxes need the dialog's own widgets, which a desktop's native
    // dialog does not offer.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    for (const FileDialogOption& o : *r.options) {
      auto* box = new QCheckBox(QString::fromStdString(o.label), &dialog);
      box->setChecked(o.checked);
      if (grid)
        grid->addWidget(box, grid->rowCount(), 0, 1, -1);
      boxes.push_back(box);
    }
    for (size_t i = 0; i < boxes.size(); ++i) {
      const int group = (*r.options)[i].group;
      if (group == 0) continue;
      QObject::connect(boxes[i], &QCheckBox::toggled, &dialog, [&boxes, &r, i, group](bool on) {
        if (!on) return;
        for (size_t j = 0; j < boxes.size(); ++j)
          if (j != i && (*r.options)[j].group == group) boxes[j]->setChecked(false);
      });
    }
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  for (size_t i = 0; i < boxes.size(); ++i) (*r.options)[i].checked = boxes[i]->isChecked();
  return dialog.selectedFiles().first().toStdString();
}

std::optional<Colour> QtPrompts::ChooseColour(Colour initial) {
  QWidget* parent = DialogParent();
  const QColor c = QColorDialog::getColor(ToQColor(initial), parent);
  if (!c.isValid()) return std::nullopt;
  return FromQColor(c);
}

}  // namespace wlg
