#include "spherewrap/SphereScene.h"

#include <QFile>
#include <QFileInfo>

#include "imaging/DIBSection.h"
#include "imaging/PictureFiles.h"
#include "imaging/SaveJPG.h"
#include "platform/Numbers.h"
#include "platform/SafeFile.h"
#include "solids/VrmlNumbers.h"

namespace wlg {

namespace {

void Line(std::string& out, const std::string& text) {
  out += text;
  out += "\r\n";
}

}  // namespace

std::string SphereSceneText(Colour background, const std::string& copies, const std::string& url) {
  std::string out;
  out += VrmlSceneOpening("0 0 3", background);
  Line(out, "Shape { appearance Appearance {");
  Line(out, "material Material {}");
  Line(out, "texture ImageTexture {url \"" + url + "\"}");
  Line(out, "textureTransform TextureTransform {scale " + copies + " " + copies + " }");
  Line(out, "}");
  Line(out, "geometry Sphere {}");
  Line(out, "}");
  out += VrmlSceneClosing();
  return out;
}

std::optional<std::string> SphereTextureName(const std::string& scenePath) {
  const size_t slash = scenePath.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = scenePath.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) return std::nullopt;
  return scenePath.substr(0, dot) + ".jpg";
}

std::string TextureReplaceQuestion(const std::string& texturePath) {
  const std::string name = QFileInfo(QString::fromStdString(texturePath)).fileName().toStdString();
  return name + " already exists.\r\nDo you want to replace it?";
}

bool WriteSphereScene(const QImage& texture, Colour background, const std::string& copies,
                      const std::string& scenePath, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const auto textureName = SphereTextureName(scenePath);
  if (!textureName) return fail(scenePath + ": the name needs an extension");
  const QFileInfo textureInfo(QString::fromStdString(*textureName));
  if (textureInfo.absoluteFilePath() ==
      QFileInfo(QString::fromStdString(scenePath)).absoluteFilePath())
    return fail(scenePath + ": the scene would overwrite its own texture");
  // The scene names its texture relative to itself, so the two stay together.
  const std::string url = textureInfo.fileName().toStdString();

  cDIBSection dib;
  if (!dib.Create(texture.width(), texture.height()) || !dib.CopyFrom(texture))
    return fail(*textureName + ": the tessellation picture is empty");
  // The picture goes first, so a scene never names a texture that is not
  // there. If the scene then fails, the picture that was there before comes
  // back (or the new one goes): nothing looks like a complete save.
  QFile former(QString::fromStdString(*textureName));
  const bool textureExisted = textureInfo.exists();
  QByteArray formerBytes;
  const bool kept = textureExisted && former.open(QIODevice::ReadOnly);
  if (kept) formerBytes = former.readAll();
  former.close();
  std::string why;
  if (!SaveJPG(dib, *textureName, CanvasJpgQuality, &why, ReplacedDates::Fresh)) return fail(why);

  if (!WriteFileAtomically(scenePath, SphereSceneText(background, copies, url), &why)) {
    const bool undone =
        textureExisted
            ? kept && WriteFileAtomically(
                          *textureName,
                          std::string_view(formerBytes.constData(), formerBytes.size()), nullptr)
            : QFile::remove(QString::fromStdString(*textureName));
    if (!undone)
      why += "\r\nThe scene was not saved, but its picture " + *textureName + " was replaced.";
    return fail(why);
  }
  return true;
}

}  // namespace wlg
