// Every writer at the disk's extremes: a full disk, a folder that cannot
// take the file, a target that is a folder or a dangling link, and a save
// killed half way. The user's earlier file must survive each of them whole,
// nothing half-written may be left beside it, and the message names the file
// and the reason in words.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <random>

#include "platform/SafeFile.h"
#include "support/DesignerHarness.h"

namespace wlg {
namespace {

const std::string kSample = std::string(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";

std::string Read(const std::string& path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<unreadable>";
}
void Write(const std::string& path, const std::string& bytes) {
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path;
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

using SaveFn = std::function<bool(const std::string& path, std::string* error)>;

// Makes a folder refuse new files: by its mode, or for root (whom modes do
// not stop) by the immutable flag. False when neither can be done here.
bool LockFolder(const std::string& path, bool locked) {
  if (::geteuid() != 0) return ::chmod(path.c_str(), locked ? 0555 : 0755) == 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
  int flags = 0;
  bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = locked ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) ::close(fd);
  return done;
}

// Every save of the program's windows, each saving to a given path; a scene
// writes its texture (the second name) first, beside it. Each save is tried
// for real, then over an earlier file on a full disk, into a folder that is
// missing or a file, onto a folder, and through a dangling link,
// which is followed: the file it names appears and the link stays a link.
TEST(ExtremeSave, EveryWriterKeepsWhatWasThereAndSaysWhy) {
  testing::DesignerHarness h;
  QTemporaryDir dir;
  h.prompts.autoOk = true;
  h.Start("\"" + kSample + "\"");
  h.tess.Show();
  h.tess.Menu("mnuShearWrap").UserClick();  // the sphere window
  h.prompts.Answer_(Answer::Yes);
  h.form.Menu("mnuPlatonicCube").UserClick();  // the 3D window
  frm3D& v = h.windows.view3D;
  frmSphereWrap& sw = h.windows.sphereWrap;
  frmT& t = h.tess;
  auto at = [&](const std::string& name) {
    return dir.filePath(QString::fromStdString(name)).toStdString();
  };
  auto entries = [&](const char* sub) {
    return QDir(dir.filePath(sub))
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System);
  };
  const SaveFn vector = [&t](auto& p, auto* e) { return t.SaveVector(p, {}, e); };
  const struct {
    const char* name;
    const char* other;
    SaveFn save;
  } rows[] = {
      {"pattern.wlg", nullptr,
       [&h](const std::string& p, std::string* e) {
         h.prompts.log.clear();
         h.prompts.File(p);
         h.form.mnuFileSaveAs_Click();
         const bool saved = h.prompts.log.size() < 2;  // the dialog, then a failure message
         if (!saved) *e = h.prompts.log.back().text;
         return saved;
       }},
      {"tess.bmp", nullptr,
       [&t](auto& p, auto* e) { return t.SavePicture(p, PictureKind::BMP, e); }},
      {"tess.jpg", nullptr,
       [&t](auto& p, auto* e) { return t.SavePicture(p, PictureKind::JPG, e); }},
      {"tess.emf", nullptr, [&t](auto& p, auto* e) { return t.SaveMetafile(p, e); }},
      {"tess.svg", nullptr, vector},
      {"tess.pdf", nullptr, vector},
      {"solid.obj", "solid.mtl", [&v](auto& p, auto* e) { return v.SaveObj(p, e); }},
      {"solid.glb", nullptr, [&v](auto& p, auto* e) { return v.SaveGltf(p, e); }},
      {"ball.wrl", "ball.jpg", [&sw](auto& p, auto* e) { return sw.SaveVrml(p, e); }},
  };
  for (const char* sub : {"folders", "links", "locked"}) ASSERT_TRUE(QDir(dir.path()).mkpath(sub));
  Write(at("file"), "a file");
  // A file-size limit stands in for the full disk: writes past it fail with
  // EFBIG instead of raising SIGXFSZ.
  const sighandler_t oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string name = row.name, named = row.other ? row.other : row.name;
    std::string error;
    // A save over an existing second file answers the question about it.
    auto save = [&](const std::string& p) {
      const std::string other =
          p.substr(0, p.rfind('.')) + (row.other ? strrchr(row.other, '.') : "");
      if (row.other && QFileInfo(QString::fromStdString(other)).isFile())
        h.prompts.Answer_(Answer::Yes);
      return row.save(p, &error);
    };
    ASSERT_TRUE(save(at(name))) << error;
    const size_t fresh = std::min(Read(at(name)).size(), Read(at(named)).size());
    ASSERT_GT(fresh, 16u);
    auto fails = [&](const std::string& sub, const std::string& reason) {
      EXPECT_FALSE(save(at(sub + name)));
      EXPECT_NE(error.find(at(sub + named) + ": " + reason), std::string::npos) << error;
    };
    Write(at(name), "earlier");
    if (row.other) Write(at(row.other), "earlier texture");
    const QStringList before = entries("");
    rlimit full = saved;
    full.rlim_cur = std::min<size_t>(4096, fresh / 2);  // room for part of the file, never all
    ::setrlimit(RLIMIT_FSIZE, &full);
    fails("", "the file is too big for the disk");
    EXPECT_NE(error.find("Failed to save " + at(named)), std::string::npos) << error;
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(Read(at(name)), "earlier");
    if (row.other) EXPECT_EQ(Read(at(row.other)), "earlier texture");
    EXPECT_EQ(entries(""), before);

    fails("missing/", "no such folder");
    fails("file/", "a part of the path is not a folder");
    // A folder that refuses new files keeps the earlier one.
    Write(at("locked/" + name), "earlier");
    if (LockFolder(at("locked"), true)) {
      fails("locked/", "permission denied");
      LockFolder(at("locked"), false);
      EXPECT_EQ(Read(at("locked/" + name)), "earlier");
    }
    // The scene's name is taken by a folder: the texture written before it
    // is put back as it was.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(at("folders/" + name + "/inside"))));
    if (row.other) Write(at(std::string("folders/") + row.other), "earlier texture");
    EXPECT_FALSE(save(at("folders/" + name)));
    EXPECT_NE(error.find(at("folders/" + name) + ": a folder has that name"), std::string::npos)
        << error;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(at("folders/" + name + "/inside"))).isDir());
    if (row.other) EXPECT_EQ(Read(at(std::string("folders/") + row.other)), "earlier texture");

    ASSERT_EQ(::symlink(("linked-" + name).c_str(), at("links/" + name).c_str()), 0);
    EXPECT_TRUE(save(at("links/" + name))) << error;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(at("links/" + name))).isSymLink());
    EXPECT_GT(Read(at("links/linked-" + name)).size(), 16u);
  }
  ::signal(SIGXFSZ, oldHandler);
  for (const char* sub : {"folders", "links"})
    EXPECT_TRUE(entries(sub).filter(".tmp").isEmpty()) << sub;
}

// What the path shows comes first; otherwise the error seen at the failure.
TEST(WriteFailures, TheReasonsInWords) {
  for (auto [err, words] : {std::pair{ENOSPC, "the disk is full"},
                            {EROFS, "the disk is read-only"},
                            {EACCES, "permission denied"},
                            {EIO, "the disk could not be written"},
                            {0, "the file could not be written"}})
    EXPECT_EQ(WriteFailureReason("/tmp/x.jpg", err), words) << err;
}

// A save killed at any moment leaves the old file or the whole new one. The
// saver is a fresh exporter process: a child forked from this threaded test
// could wait forever on a lock that no thread of its own holds.
TEST(KilledSave, TargetIsAlwaysTheOldOrTheNewFile) {
  QTemporaryDir dir;
  const std::string target = dir.filePath("big.bmp").toStdString();
  const std::string patterns[2] = {kSample,
                                   std::string(WHIRLIGONS_SAMPLES_DIR) + "/star-sequential.wlg"};
  auto spawn = [&](int which) {
    const char* argv[] = {WHIRLIGONS_EXPORTER,     "--yes",        "--size", "900x700",
                          patterns[which].c_str(), target.c_str(), nullptr};
    pid_t child = -1;
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    if (::posix_spawn(&child, argv[0], &quiet, nullptr, const_cast<char**>(argv), environ) != 0)
      child = -1;
    posix_spawn_file_actions_destroy(&quiet);
    return child;
  };
  // Waits at most ten seconds; a saver that hangs is killed and reported.
  auto reap = [](pid_t child) {
    int status = 0;
    for (int waited = 0; waited < 10'000; ++waited) {
      if (::waitpid(child, &status, WNOHANG) == child) return status;
      ::usleep(1000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    ADD_FAILURE() << "the saver hung";
    return status;
  };
  // Whole saves first, timed as the killed ones will run.
  std::string bytes[2];
  std::chrono::microseconds oneSave{0};
  for (int i = 0; i < 2; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = spawn(i);
    ASSERT_GT(child, 0);
    const int status = reap(child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    oneSave = std::max(oneSave, std::chrono::duration_cast<std::chrono::microseconds>(
                                    std::chrono::steady_clock::now() - start));
    bytes[i] = Read(target);
  }
  ASSERT_NE(bytes[0], bytes[1]);
  std::mt19937 random(12);
  std::uniform_int_distribution<long> moment(0, oneSave.count());
  int current = 1, completed = 0;
  const int rounds = 120;
  for (int round = 0; round < rounds; ++round) {
    const int next = 1 - current;
    const pid_t child = spawn(next);
    ASSERT_GT(child, 0);
    ::usleep(static_cast<useconds_t>(moment(random)));
    ::kill(child, SIGKILL);
    reap(child);
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
