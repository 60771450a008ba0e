#include "platform/Prompts.h"

#include <QFileInfo>

namespace wlg {

std::string ReplaceQuestion(const std::string& path) {
  const std::string name = QFileInfo(QString::fromStdString(path)).fileName().toStdString();
  return name + " already exists.\r\nDo you want to replace it?";
}

bool MayReplace(Prompts& prompts, const std::string& path) {
  const QFileInfo existing(QString::fromStdString(path));
  if (!existing.exists() || existing.isDir()) return true;
  return prompts.Message(kReplaceTitle, ReplaceQuestion(path), Buttons::YesNo, Icon::Question) ==
         Answer::Yes;
}

}  // namespace wlg
