// Every solid of a sample pattern, exported by the headless exporter, opens
// in readers we did not write: assimp for the OBJ mesh, tovrmlx3d for the
// VRML scene (which exits 0 even on warnings, so its stderr must be empty).

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "solids/SolidTables.h"

namespace wlg {
namespace {

struct Output {
  int code;
  QString out, err;
};

Output RunTool(const QString& exe, const QStringList& args) {
  QProcess p;
  p.start(exe, args);
  p.waitForFinished(120000);
  return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
          QString::fromLocal8Bit(p.readAllStandardError())};
}

int FaceLines(const QString& obj) {
  QFile f(obj);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  int n = 0;
  for (const QByteArray& line : f.readAll().split('\n')) n += line.startsWith("f ");
  return n;
}

TEST(SolidReaders, EverySolidOpensInAssimpAndTovrmlx3d) {
  const QString assimp = QStandardPaths::findExecutable("assimp");
  const QString tovrml = QStandardPaths::findExecutable("tovrmlx3d");
  if (assimp.isEmpty() || tovrml.isEmpty()) GTEST_SKIP() << "assimp or tovrmlx3d not installed";
  QTemporaryDir dir;
  const QString sample = QString(WHIRLIGONS_SAMPLES_DIR) + "/sample.wlg";
  for (const SolidInfo& solid : Solids()) {
    const QString key = QString::fromStdString(solid.key);
    SCOPED_TRACE(solid.key);
    const QString obj = dir.filePath(key + ".obj"), wrl = dir.filePath(key + ".wrl");
    ASSERT_EQ(RunTool(WHIRLIGONS_EXPORTER, {"--solid", key, "--yes", sample, obj}).code, 0);
    ASSERT_EQ(RunTool(WHIRLIGONS_EXPORTER, {"--solid", key, "--yes", "--lines", sample, wrl}).code, 0);

    const Output info = RunTool(assimp, {"info", obj});
    ASSERT_EQ(info.code, 0) << info.err.toStdString();
    // assimp splits polygons into triangles, so it counts at least our faces.
    const QRegularExpressionMatch faces =
        QRegularExpression(R"(Faces:\s+(\d+))").match(info.out);
    ASSERT_TRUE(faces.hasMatch()) << info.out.toStdString();
    EXPECT_GE(faces.captured(1).toInt(), FaceLines(obj));
    EXPECT_GE(FaceLines(obj), solid.faceCounts[0]);

    const Output parsed = RunTool(tovrml, {"--encoding", "classic", wrl});
    EXPECT_EQ(parsed.code, 0);
    EXPECT_TRUE(parsed.err.trimmed().isEmpty()) << parsed.err.toStdString();
  }
}

}  // namespace
}  // namespace wlg
