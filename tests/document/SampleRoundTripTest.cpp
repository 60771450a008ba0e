// Every shipped sample reopens identically: save -> load -> save gives the
// same file apart from its date line.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/DesignerHarness.h"

namespace wlg {
namespace {

using testing::DesignerHarness;

std::string Read(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
  return f.readAll().toStdString();
}

std::string WithoutDate(std::string text) {
  const auto end = text.find("\r\n");
  EXPECT_EQ(text.rfind("Created on: ", 0), 0u);
  return text.substr(end);
}

TEST(SampleRoundTrip, EverySampleSavesBackTheSameFile) {
  const QDir samples(WHIRLIGONS_SAMPLES_DIR);
  const QStringList files = samples.entryList({"*.wlg"}, QDir::Files);
  ASSERT_GE(files.size(), 3);
  QTemporaryDir dir;
  for (const QString& name : files) {
    SCOPED_TRACE(name.toStdString());
    DesignerHarness h;
    h.Start();
    h.model().CreatorName = "Whirligons samples";  // the name the samples were made with
    h.prompts.File(samples.filePath(name).toStdString());
    h.form.mnuFileLoad_Click();
    ASSERT_FALSE(h.form.LastLoadError().has_value());
    const QString first = dir.filePath("first.wlg"), second = dir.filePath("second.wlg");
    h.prompts.File(first.toStdString());
    h.form.mnuFileSave_Click();

    DesignerHarness again;
    again.Start();
    again.model().CreatorName = "Whirligons samples";
    again.prompts.File(first.toStdString());
    again.form.mnuFileLoad_Click();
    ASSERT_FALSE(again.form.LastLoadError().has_value());
    again.prompts.File(second.toStdString());
    again.form.mnuFileSave_Click();

    EXPECT_EQ(WithoutDate(Read(first)), WithoutDate(Read(second)));
    // The sample as shipped is what the program writes, too.
    EXPECT_EQ(WithoutDate(Read(samples.filePath(name))), WithoutDate(Read(first)));
    EXPECT_TRUE(h.prompts.AllAnswered());
  }
}

}  // namespace
}  // namespace wlg
