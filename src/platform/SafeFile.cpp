#include "platform/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

namespace wlg {

namespace {

std::string ResolveLinks(const std::string& path);

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
    case EFBIG:
      return "the file is too big for the disk";
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
  if (const int problem = PathProblem(ResolveLinks(path))) return Words(problem);
  if (err != 0) return Words(err);
  if (DiskFull(path)) return Words(ENOSPC);
  return "the file could not be written";
}

std::string WriteFailedText(const std::string& path, int err) {
  return "Failed to save " + path + ": " + WriteFailureReason(path, err);
}

namespace {

// Follows symbolic links to the file they name, so a save through a link
// replaces the linked file and leaves the link in place. A dangling link is
// written through: the file it names is created.
std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char target[4096];
    const ssize_t n = ::readlink(current.c_str(), target, sizeof target - 1);
    if (n <= 0) return current;
    const std::string next(target, static_cast<size_t>(n));
    current = next[0] == '/' ? next : Folder(current) + "/" + next;
  }
  return current;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// The new contents, beside the target until they are complete. Where the
// file system allows it the file has no name until then, so a save that is
// killed leaves nothing behind; otherwise it has a hidden unique name and is
// removed on any failure.
class TempFile {
 public:
  explicit TempFile(std::string folder) : folder_(std::move(folder)) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!name_.empty()) ::unlink(name_.c_str());
  }

  bool Open(const std::string& base) {
#ifdef O_TMPFILE
    fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0) return true;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
#endif
    return Create(base, &name_);
  }

  int fd() const { return fd_; }

  // Gives the finished file a name (when it has none yet) and closes it.
  bool Finish(const std::string& base) {
    if (name_.empty()) {
      const std::string proc = "/proc/self/fd/" + std::to_string(fd_);
      std::string name;
      for (int attempt = 0; attempt < 100 && name.empty(); ++attempt) {
        const std::string candidate = Candidate(base);
        if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0)
          name = candidate;
        else if (errno != EEXIST)
          return false;
      }
      if (name.empty()) return false;
      name_ = name;
    }
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

  const std::string& name() const { return name_; }
  void Release() { name_.clear(); }

 private:
  std::string Candidate(const std::string& base) const {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x%04x", seed ^ static_cast<unsigned>(::getpid()),
                  counter++ & 0xffffu);
    return folder_ + "/." + base + suffix + ".tmp";
  }

  bool Create(const std::string& base, std::string* name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string candidate = Candidate(base);
      fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0) {
        *name = candidate;
        return true;
      }
      if (errno != EEXIST) return false;
    }
    return false;
  }

  std::string folder_;
  int fd_ = -1;
  std::string name_;
};

}  // namespace

namespace {

bool WriteThroughTemp(const std::string& path, const std::function<bool(int)>& write,
                      std::string* error, ReplacedTimes times) {
  auto fail = [&](int err) {
    if (error) *error = WriteFailedText(path, err);
    return false;
  };
  if (path.empty()) return fail(ENOENT);
  const std::string target = ResolveLinks(path);
  struct stat former {};
  const bool replacing = ::stat(target.c_str(), &former) == 0;
  if (replacing && S_ISDIR(former.st_mode)) return fail(EISDIR);
  const std::string folder = Folder(target), base = BaseName(target);

  errno = 0;
  TempFile temp(folder);
  if (!temp.Open(base)) return fail(errno);
  errno = 0;
  if (!write(temp.fd())) return fail(errno);
  if (replacing) {
    // The replacement keeps what the user had set on the file it replaces.
    (void)::fchmod(temp.fd(), former.st_mode & 07777);
    if (times == ReplacedTimes::Keep) {
      const struct timespec stamps[2] = {former.st_atim, former.st_mtim};
      (void)::futimens(temp.fd(), stamps);
    }
  }
  // Only bytes known to be on the disk may replace the old file.
  if (::fsync(temp.fd()) != 0) return fail(errno);
  if (!temp.Finish(base)) return fail(errno);
  if (::rename(temp.name().c_str(), target.c_str()) != 0) return fail(errno);
  temp.Release();
  // The rename itself reaches the disk with the folder.
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error,
                         ReplacedTimes times) {
  return WriteThroughTemp(
      path, [bytes](int fd) { return WriteAll(fd, bytes); }, error, times);
}

bool WriteFileStreamed(const std::string& path, const std::function<bool(int fd)>& write,
                       std::string* error, ReplacedTimes times) {
  return WriteThroughTemp(path, write, error, times);
}

bool WriteToDescriptor(int fd, std::string_view bytes) { return WriteAll(fd, bytes); }

bool WriteWithCompanion(const std::string& companion,
                        const std::function<bool(std::string*)>& writeCompanion,
                        const std::string& path, std::string_view bytes, std::string* error) {
  struct stat info {};
  const bool existed = ::stat(companion.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  std::string former;
  bool kept = false;
  if (existed) {
    std::ifstream in(companion, std::ios::binary);
    former.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    kept = !in.bad();
  }
  std::string why;
  if (!writeCompanion(&why)) {
    if (error) *error = why;
    return false;
  }
  if (WriteFileAtomically(path, bytes, &why)) return true;
  const bool undone = existed ? kept && WriteFileAtomically(companion, former, nullptr)
                              : ::unlink(companion.c_str()) == 0;
  if (!undone) why += "\r\n" + path + " was not saved, but " + companion + " was replaced.";
  if (error) *error = why;
  return false;
}

bool CheckWritable(const std::string& path, std::string* error) {
  const int problem = PathProblem(ResolveLinks(path));
  if (problem == 0) return true;
  if (error) *error = WriteFailedText(path, problem);
  return false;
}

}  // namespace wlg
