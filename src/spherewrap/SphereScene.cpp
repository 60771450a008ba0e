#include "spherewrap/SphereScene.h"

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
  // there; a scene that then fails puts back the picture that was there.
  return WriteWithCompanion(
      *textureName,
      [&](std::string* why) {
        return SaveJPG(dib, *textureName, CanvasJpgQuality, why, ReplacedTimes::Fresh);
      },
      scenePath, SphereSceneText(background, copies, url), error);
}

}  // namespace wlg
