#include "platform/SafeFile.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QSaveFile>
#include <cerrno>
#include <cstring>

namespace wlg {

namespace {

std::string Words(int err) {
  switch (err) {
    case ENOENT:
      return "no such folder";
    case ENOTDIR:
      return "a part of the path is not a folder";
    case EISDIR:
      return "a folder has that name";
    case EACCES:
    case EPERM:
      return "permission denied";
    case EROFS:
      return "the disk is read-only";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return "the disk is full";
    case ENAMETOOLONG:
      return "the name is too long";
    case EIO:
      return "the disk could not be written";
    case EMFILE:
    case ENFILE:
      return "too many files are open";
    case ENOMEM:
      return "out of memory";
    default:
      return std::strerror(err);
  }
}

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// What is wrong with the path itself, or 0 when it looks writable.
int PathProblem(const std::string& path) {
  if (path.empty()) return ENOENT;
  const std::string folder = Folder(path);
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) return ENOTDIR;
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (::access(path.c_str(), W_OK) != 0) return errno;
  }
  // The file is written beside its target and renamed, so the folder must
  // take a new entry.
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return errno;
  return 0;
}

bool DiskFull(const std::string& path) {
  struct statvfs fs {};
  return ::statvfs(Folder(path).c_str(), &fs) == 0 && fs.f_bavail == 0 && fs.f_blocks > 0;
}

}  // namespace

std::string WriteFailureReason(const std::string& path, int err) {
  if (const int problem = PathProblem(path)) return Words(problem);
  if (err != 0) return Words(err);
  if (DiskFull(path)) return Words(ENOSPC);
  return "the file could not be written";
}

std::string WriteFailedText(const std::string& path, int err) {
  return "Failed to save " + path + ": " + WriteFailureReason(path, err);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
  QSaveFile file(QString::fromStdString(path));
  errno = 0;
  auto fail = [&] {
    const int err = errno;
    file.cancelWriting();
    if (error) *error = WriteFailedText(path, err);
    return false;
  };
  if (!file.open(QIODevice::WriteOnly)) return fail();
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size || !file.commit()) return fail();
  return true;
}

}  // namespace wlg
