#include "platform/qt/QtPrompts.h"

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>

#include "platform/ImageCanvas.h"

namespace wlg {

namespace {

// Fits every message box to its title as it is shown: Qt's own boxes too,
// such as a save dialog's question before it replaces a file.
class TitleFitter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show)
      if (auto* box = qobject_cast<QMessageBox*>(watched)) FitTitle(*box);
    return false;
  }
};

// Qt's save dialog, saying why it will not take a name that is too long.
class SaveDialog final : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

 protected:
  void showEvent(QShowEvent* event) override {
    AddNameCheck();
    QFileDialog::showEvent(event);
  }
  void accept() override {
    // Enter on a name the file system cannot take does nothing, as the
    // greyed-out Save says; the line under the list says why.
    if (tooLong_ && !tooLong_->isHidden()) return;
    QFileDialog::accept();
  }

 private:
  void AddNameCheck() {
    auto* name = findChild<QLineEdit*>("fileNameEdit");
    auto* grid = qobject_cast<QGridLayout*>(layout());
    // A desktop's own dialog has neither, and speaks for itself.
    if (tooLong_ || !name || !grid) return;
    tooLong_ = new QLabel(this);
    tooLong_->setWordWrap(true);
    grid->addWidget(tooLong_, grid->rowCount(), 0, 1, -1);
    auto check = [this, name] { CheckName(name->text()); };
    connect(name, &QLineEdit::textChanged, this, check);
    connect(this, &QFileDialog::directoryEntered, this, check);
    check();
  }
  // The name as it will be written: its last component, with the default
  // extension added as the dialog adds it, in the file system's encoding.
  void CheckName(const QString& typed) {
    QString file = typed.section('/', -1);
    if (!file.isEmpty() && QFileInfo(file).suffix().isEmpty() && !defaultSuffix().isEmpty())
      file += '.' + defaultSuffix();
    long max = pathconf(QFile::encodeName(directory().absolutePath()).constData(), _PC_NAME_MAX);
    if (max <= 0) max = 255;
    tooLong_->setText(NameTooLongText(max));
    tooLong_->setVisible(QFile::encodeName(file).size() > max);
  }
  QLabel* tooLong_ = nullptr;
};

}  // namespace

QString NameTooLongText(long maxBytes) {
  return QString("The name is too long for the file system (at most %1 bytes).").arg(maxBytes);
}

void FitTitle(QMessageBox& box) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  // Once per layout: the box builds a new one when its parts change.
  const QVariant fitted = QVariant::fromValue(reinterpret_cast<quintptr>(grid));
  if (!grid || box.property("wlgTitleFitted") == fitted) return;
  box.setProperty("wlgTitleFitted", fitted);
  QFont bold = box.font();
  bold.setBold(true);
  const QFontMetrics title(bold);
  // The window's icon and its minimise, maximise and close buttons, each
  // about a line high, with the title bar's margins.
  const int room = 6 * (title.height() + 4);
  grid->addItem(new QSpacerItem(title.horizontalAdvance(box.windowTitle()) + room, 0,
                                QSizePolicy::Fixed, QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

QtPrompts::QtPrompts() {
  // One filter for the whole program, however many prompt objects exist.
  static QPointer<TitleFitter> fitter;
  if (!fitter && qApp) {
    fitter = new TitleFitter(qApp);
    qApp->installEventFilter(fitter);
  }
}

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
      // GNOME's words, each with its access key; the buttons keep their
      // standard roles.
      box.button(QMessageBox::Save)->setText("&Save");
      box.button(QMessageBox::Discard)->setText("Close &without Saving");
      box.button(QMessageBox::Cancel)->setText("&Cancel");
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
  SaveDialog dialog(parent, QString::fromStdString(r.title), QString(), QtFilter(r.filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QString::fromStdString(r.defaultExt));
  // A name typed without an extension gets the kind picked in the list.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
    const QRegularExpressionMatch m = QRegularExpression(R"(\(\*\.(\w+))").match(f);
    if (m.hasMatch()) dialog.setDefaultSuffix(m.captured(1));
  });
  const QString initial = QString::fromStdString(r.initialName);
  if (QFileInfo(initial).isDir())
    dialog.setDirectory(initial);
  else if (!initial.isEmpty())
    dialog.selectFile(initial);
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

bool QtPrompts::EditForm(const std::string& title, std::vector<FormField>& fields) {
  QDialog dialog(DialogParent());
  dialog.setWindowTitle(QString::fromStdString(title));
  auto* form = new QFormLayout(&dialog);
  std::vector<QWidget*> editors;
  std::vector<std::pair<QCheckBox*, ptrdiff_t>> checks;
  for (const FormField& f : fields) {
    QWidget* editor = nullptr;
    if (f.choices.empty()) {
      auto* line = new QLineEdit(QString::fromStdString(f.value), &dialog);
      editor = line;
    } else {
      auto* box = new QComboBox(&dialog);
      for (const std::string& c : f.choices) box->addItem(QString::fromStdString(c));
      box->setCurrentText(QString::fromStdString(f.value));
      editor = box;
    }
    editors.push_back(editor);
    if (!f.checked) {
      form->addRow(QString::fromStdString(f.label), editor);
      continue;
    }
    auto* box = new QCheckBox(QString::fromStdString(f.label), &dialog);
    box->setChecked(*f.checked);
    editor->setEnabled(*f.checked);
    QObject::connect(box, &QCheckBox::toggled, editor, &QWidget::setEnabled);
    form->addRow(box, editor);
    checks.push_back({box, &f - fields.data()});
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (!editors.empty()) editors.front()->setFocus();
  if (dialog.exec() != QDialog::Accepted) return false;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (auto* line = qobject_cast<QLineEdit*>(editors[i]))
      fields[i].value = line->text().toStdString();
    else if (auto* box = qobject_cast<QComboBox*>(editors[i]))
      fields[i].value = box->currentText().toStdString();
  }
  for (const auto& [box, i] : checks) fields[i].checked = box->isChecked();
  return true;
}

}  // namespace wlg
