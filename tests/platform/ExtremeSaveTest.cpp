// Every writer at the disk's extremes: a full disk, a folder that cannot
// take the file, a target that is a folder or a dangling link, and a save
// killed half way. The user's earlier file must survive each of them whole,
// and nothing half-written may be left beside it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <random>

#include "imaging/PictureFiles.h"
#include "imaging/VectorDrawing.h"
#include "solids/SolidExport.h"
#include "spherewrap/SphereScene.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

const std::string kSample = std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";

std::string Read(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
  return f.readAll().toStdString();
}

void Write(const std::string& path, const std::string& bytes) {
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path;
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// A file-size limit stands in for a full disk: writes past it fail with
// EFBIG instead of raising SIGXFSZ.
class FullDisk {
 public:
  explicit FullDisk(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  sighandler_t oldHandler_;
};

// Makes a folder refuse new files. Root ignores permissions, so for root
// the folder is made immutable instead; false when neither is possible.
bool LockFolder(const std::string& path, bool locked) {
  if (::geteuid() != 0) return ::chmod(path.c_str(), locked ? 0555 : 0755) == 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = locked ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return done;
}

using SaveFn = std::function<bool(const std::string& path, std::string* error)>;

struct Row {
  const char* name;   // the target's name
  const char* other;  // a second file the save writes beside it, or null
  SaveFn save;
};

class ExtremeSave : public ::testing::Test {
 protected:
  void SetUp() override {
    h.prompts.autoOk = true;
    h.Start("\"" + kSample + "\"");
    h.tess.Show();
    h.tess.Menu("mnuShearWrap").UserClick();  // the sphere window
    h.prompts.Answer_(Answer::Yes);
    h.form.Menu("mnuPlatonicCube").UserClick();  // the 3D window
    h.prompts.log.clear();
  }

  std::string Path(const std::string& name) const {
    return dir.filePath(QString::fromStdString(name)).toStdString();
  }
  QStringList Entries() const {
    return QDir(dir.path())
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System);
  }

  std::vector<Row> Rows() {
    frm3D& v = h.windows.view3D;
    frmSphereWrap& s = h.windows.sphereWrap;
    frmT& t = h.tess;
    return {
        {"pattern.wlg", nullptr,
         [this](const std::string& p, std::string* e) {
           h.prompts.log.clear();
           h.prompts.File(p);
           h.form.mnuFileSave_Click();
           // The dialog, then a failure message if any.
           if (h.prompts.log.size() < 2) return true;
           *e = h.prompts.log.back().text;
           return false;
         }},
        {"tess.bmp", nullptr,
         [&t](auto& p, auto* e) { return t.SavePicture(p, PictureKind::BMP, e); }},
        {"tess.jpg", nullptr,
         [&t](auto& p, auto* e) { return t.SavePicture(p, PictureKind::JPG, e); }},
        {"tess.emf", nullptr, [&t](auto& p, auto* e) { return t.SaveMetafile(p, e); }},
        {"tess.svg", nullptr, [&t](auto& p, auto* e) { return t.SaveVector(p, {}, e); }},
        {"tess.pdf", nullptr, [&t](auto& p, auto* e) { return t.SaveVector(p, {}, e); }},
        {"tess.dxf", nullptr, [&t](auto& p, auto* e) { return t.SaveVector(p, {}, e); }},
        {"solid.bmp", nullptr,
         [&v](auto& p, auto* e) { return v.SavePicture(p, PictureKind::BMP, e); }},
        {"solid.obj", "solid.mtl",
         [this, &v](auto& p, auto* e) {
           if (QFileInfo(QString::fromStdString(MtlPath(p))).isFile())
             h.prompts.Answer_(Answer::Yes);
           return v.SaveObj(p, e);
         }},
        {"solid.glb", nullptr, [&v](auto& p, auto* e) { return v.SaveGltf(p, e); }},
        {"solid.wrl", nullptr, [&v](auto& p, auto* e) { return v.SaveVrml(p, e); }},
        {"sphere.jpg", nullptr,
         [&s](auto& p, auto* e) { return s.SavePicture(p, PictureKind::JPG, e); }},
        {"ball.wrl", "ball.jpg",
         [this, &s](auto& p, auto* e) {
           if (QFileInfo(QString::fromStdString(*SphereTextureName(p))).isFile())
             h.prompts.Answer_(Answer::Yes);
           return s.SaveVrml(p, e);
         }},
    };
  }

  DesignerHarness h;
  QTemporaryDir dir;
};

// Each row saves once for real, then again over an earlier file (and
// texture) while the disk is full; the earlier files stay byte for byte.
TEST_F(ExtremeSave, FullDiskNamesTheFileAndKeepsTheEarlierOne) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.name);
    const std::string target = Path(row.name);
    std::string error;
    ASSERT_TRUE(row.save(target, &error)) << error;
    const std::string fresh = Read(target);
    const std::string other = row.other ? Read(Path(row.other)) : "";
    ASSERT_GT(fresh.size(), 16u);

    Write(target, "earlier " + std::string(row.name));
    if (row.other) Write(Path(row.other), "earlier texture");
    const QStringList before = Entries();
    // Room for part of the file, never all of it.
    const size_t smallest = row.other ? std::min(fresh.size(), other.size()) : fresh.size();
    const rlim_t room = std::min<size_t>(4096, smallest / 2);
    bool saved;
    {
      FullDisk full(room);
      saved = row.save(target, &error);
    }
    EXPECT_FALSE(saved);
    // A scene's texture is written first, so it is the file that fails.
    const std::string named = Path(row.other ? row.other : row.name);
    EXPECT_NE(error.find("Failed to save "), std::string::npos) << error;
    EXPECT_NE(error.find(": the file is too big for the disk"), std::string::npos) << error;
    EXPECT_NE(error.find(named), std::string::npos) << error;
    EXPECT_EQ(Read(target), "earlier " + std::string(row.name));
    if (row.other) {
      EXPECT_EQ(Read(Path(row.other)), "earlier texture");
    }
    EXPECT_EQ(Entries(), before);
  }
}

// A folder the file cannot go in, a folder where the file should be, and a
// dangling link, which is written through: the file it names appears and
// the link stays a link.
TEST_F(ExtremeSave, UnwritableTargetsKeepWhatWasThere) {
  ASSERT_TRUE(QDir(dir.path()).mkpath("locked"));
  ASSERT_TRUE(QDir(dir.path()).mkpath("folders"));
  ASSERT_TRUE(QDir(dir.path()).mkpath("links"));
  bool lockable = true;
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.name);
    std::string error;
    const std::string name = row.name;

    const std::string locked = Path("locked/" + name);
    Write(locked, "earlier");
    if (row.other) Write(Path(std::string("locked/") + row.other), "earlier texture");
    if (lockable && (lockable = LockFolder(Path("locked"), true))) {
      const bool saved = row.save(locked, &error);
      LockFolder(Path("locked"), false);
      EXPECT_FALSE(saved);
      EXPECT_NE(error.find(": permission denied"), std::string::npos) << error;
      EXPECT_EQ(Read(locked), "earlier");
      if (row.other) {
        EXPECT_EQ(Read(Path(std::string("locked/") + row.other)), "earlier texture");
      }
    }

    // The scene's name is taken by a folder: the texture written before it
    // is put back as it was.
    const std::string folder = Path("folders/" + name);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder + "/inside")));
    if (row.other) Write(Path(std::string("folders/") + row.other), "earlier texture");
    EXPECT_FALSE(row.save(folder, &error));
    EXPECT_NE(error.find(folder + ": a folder has that name"), std::string::npos) << error;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(folder + "/inside")).isDir());
    if (row.other) {
      EXPECT_EQ(Read(Path(std::string("folders/") + row.other)), "earlier texture");
    }

    const std::string link = Path("links/" + name), linked = Path("links/linked-" + name);
    ASSERT_EQ(::symlink(("linked-" + name).c_str(), link.c_str()), 0);
    EXPECT_TRUE(row.save(link, &error)) << error;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(link)).isSymLink());
    EXPECT_GT(Read(linked).size(), 16u);
  }
  for (const char* sub : {"locked", "folders", "links"})
    EXPECT_TRUE(
        QDir(dir.filePath(sub)).entryList(QDir::Files | QDir::Hidden).filter(".tmp").isEmpty())
        << sub;
  if (!lockable) GTEST_SKIP() << "no folder could be locked (root without the immutable flag)";
}

// A save killed at any moment leaves the old file or the whole new one.
TEST(KilledSave, TargetIsAlwaysTheOldOrTheNewFile) {
  QTemporaryDir dir;
  QImage pictures[2] = {QImage(700, 500, QImage::Format_RGB32),
                        QImage(700, 500, QImage::Format_RGB32)};
  pictures[0].fill(Qt::red);
  pictures[1].fill(Qt::blue);
  const std::string target = dir.filePath("big.bmp").toStdString();
  auto spawn = [&](int which) {
    const pid_t child = ::fork();
    if (child == 0) {
      std::string e;
      ::_exit(SaveCanvasPicture(pictures[which], target, PictureKind::BMP, &e) ? 0 : 1);
    }
    return child;
  };
  // Whole saves first, timed as the killed ones will run.
  std::string bytes[2];
  std::chrono::microseconds oneSave{0};
  for (int i = 0; i < 2; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = spawn(i);
    ASSERT_GT(child, 0);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    oneSave = std::max(oneSave, std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::steady_clock::now() - start));
    bytes[i] = Read(target);
  }
  ASSERT_NE(bytes[0], bytes[1]);
  // A few hundred kills, within a few seconds on a slow disk.
  const int rounds =
      static_cast<int>(std::clamp<long>(3'000'000 / (oneSave.count() + 1000), 100, 300));
  std::mt19937 random(12);
  std::uniform_int_distribution<long> moment(0, oneSave.count());
  int current = 1, completed = 0;
  for (int round = 0; round < rounds; ++round) {
    const int next = 1 - current;
    const pid_t child = spawn(next);
    ASSERT_GT(child, 0);
    ::usleep(static_cast<useconds_t>(moment(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string now = Read(target);
    ASSERT_TRUE(now == bytes[current] || now == bytes[next]) << "round " << round;
    if (now == bytes[next]) {
      current = next;
      ++completed;
    }
  }
  // Some kills came too late, some in time.
  EXPECT_GT(completed, 0);
  EXPECT_LT(completed, rounds);
}

}  // namespace
}  // namespace wlg
