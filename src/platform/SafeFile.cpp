#include "platform/SafeFile.h"

#include <QSaveFile>

namespace wlg {

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
  QSaveFile file(QString::fromStdString(path));
  auto fail = [&] {
    if (error) *error = file.errorString().toStdString();
    return false;
  };
  if (!file.open(QIODevice::WriteOnly)) return fail();
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size) {
    const bool r = fail();
    file.cancelWriting();
    return r;
  }
  if (!file.commit()) return fail();
  return true;
}

}  // namespace wlg
