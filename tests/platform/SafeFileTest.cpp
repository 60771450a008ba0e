// Why a save failed, in words: every picture and model writer names the file
// and the reason, never a bare code or the library's "Unknown error".

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cerrno>
#include <functional>

#include "imaging/EmfRecorder.h"
#include "imaging/PictureFiles.h"
#include "platform/SafeFile.h"
#include "solids/SolidExport.h"
#include "solids/SolidGltf.h"
#include "spherewrap/SphereScene.h"

namespace wlg {
namespace {

using WriteFn = std::function<bool(const std::string& path, std::string* error)>;

struct Writer {
  const char* file;   // written in the failing folder
  const char* named;  // the file the message names
  WriteFn write;
};

TEST(WriteFailures, EveryWriterNamesTheFileAndTheReason) {
  QTemporaryDir dir;
  QImage picture(8, 8, QImage::Format_RGB32);
  picture.fill(Qt::red);
  SolidPolyList solid;
  auto canvas = [&](PictureKind kind) {
    return [&picture, kind](const std::string& p, std::string* e) {
      return SaveCanvasPicture(picture, p, kind, e);
    };
  };
  const Writer writers[] = {
      {"out.bmp", "out.bmp", canvas(PictureKind::BMP)},
      {"out.jpg", "out.jpg", canvas(PictureKind::JPG)},
      {"out.png", "out.png", canvas(PictureKind::PNG)},
      {"out.obj", "out.mtl",  // the materials go first
       [&](auto& p, auto* e) { return WriteObjFile(solid, p, true, e); }},
      {"out.glb", "out.glb", [&](auto& p, auto* e) { return WriteGltfFile(solid, p, e); }},
      {"out.wrl", "out.wrl",
       [&](auto& p, auto* e) { return WriteVrmlFile(solid, {}, nullptr, p, e); }},
      {"ball.wrl", "ball.jpg",  // the texture goes first
       [&](auto& p, auto* e) { return WriteSphereScene(picture, Palette16[8], "4", p, e); }},
      {"out.emf", "out.emf",
       [](auto& p, auto* e) { return EmfRecorder::Create(p, 8, 8, e) != nullptr; }},
      {"out.txt", "out.txt", [](auto& p, auto* e) { return WriteFileAtomically(p, "x", e); }},
  };

  if (QFile f(dir.filePath("file.txt")); f.open(QIODevice::WriteOnly)) f.write("a file");
  std::vector<std::pair<QString, std::string>> folders = {
      {dir.filePath("file.txt"), "a part of the path is not a folder"},
      {dir.filePath("missing"), "no such folder"},
  };
  // Root writes into any folder, whatever its permissions say.
  if (::geteuid() != 0) {
    QDir(dir.path()).mkdir("locked");
    ::chmod(dir.filePath("locked").toLocal8Bit().constData(), 0500);
    folders.push_back({dir.filePath("locked"), "permission denied"});
  }
  for (const auto& [folder, reason] : folders)
    for (const Writer& w : writers) {
      const std::string path = (folder + "/" + w.file).toStdString();
      const std::string named = (folder + "/" + w.named).toStdString();
      std::string error;
      EXPECT_FALSE(w.write(path, &error)) << path;
      EXPECT_NE(error.find(named + ": " + reason), std::string::npos) << error;
      EXPECT_EQ(error.find("Unknown error"), std::string::npos) << error;
    }
  ::chmod(dir.filePath("locked").toLocal8Bit().constData(), 0700);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
            (::geteuid() != 0 ? QStringList{"file.txt", "locked"} : QStringList{"file.txt"}));
}

TEST(WriteFailures, TheReasonsInWords) {
  QTemporaryDir dir;
  const std::string fine = dir.filePath("x.jpg").toStdString();
  // What the path shows comes first; otherwise the error seen at the failure.
  for (auto [err, words] : {std::pair{ENOSPC, "the disk is full"},
                            {EROFS, "the disk is read-only"},
                            {EACCES, "permission denied"},
                            {EIO, "the disk could not be written"},
                            {0, "the file could not be written"}})
    EXPECT_EQ(WriteFailureReason(fine, err), words) << err;
  QDir(dir.path()).mkdir("x.jpg");
  EXPECT_EQ(WriteFailedText(fine, ENOSPC), "Failed to save " + fine + ": a folder has that name");
}

}  // namespace
}  // namespace wlg
