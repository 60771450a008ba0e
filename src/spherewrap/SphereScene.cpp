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

// A channel of 128 or more lights the sky at half strength; less leaves it dark.
std::string HalfChannel(int channel) {
  const int on = static_cast<int>(RoundHalfEven(channel / 255.0));
  return PrintStyle(on / 2.0);
}

}  // namespace

std::string SphereSceneText(Colour background, const std::string& copies, const std::string& url) {
  std::string out;
  out += VrmlWorldHeader("0 0 3");
  Line(out, "Background {skyColor " + HalfChannel(RedOf(background)) + "," +
                HalfChannel(GreenOf(background)) + "," + HalfChannel(BlueOf(background)) + "}");
  Line(out,
       "DEF Knot Transform {children [ DEF Click TouchSensor { } DEF MyRotate SphereSensor { }");
  Line(out, "Shape { appearance Appearance {");
  Line(out, "material Material {}");
  Line(out, "texture ImageTexture {url \"" + url + "\"}");
  Line(out, "textureTransform TextureTransform {scale " + copies + " " + copies + " }");
  Line(out, "}");
  Line(out, "geometry Sphere {}");
  Line(out, "}");
  Line(out, "] }");
  Line(out, "DEF s Script {");
  Line(out, "eventIn SFTime touch");
  Line(out, "eventOut SFBool flag");
  Line(out, "url \"javascript: function touch () {flag = false; }\"}");
  Line(out, "DEF myClock TimeSensor { cycleInterval 30.0 loop TRUE }");
  Line(out, "DEF Animation OrientationInterpolator {");
  Line(out, "key [ 0,      .33,       .66,        1.0 ]");
  Line(out, "keyValue [ 0 1 0 0, 0 1 0 2.1, 0 1 0 4.2, 0 1 0 0 ]}");
  Line(out, "ROUTE Click.touchTime TO myClock.stopTime");
  Line(out, "ROUTE Click.touchTime TO s.touch");
  Line(out, "ROUTE s.flag TO Click.enabled");
  Line(out, "ROUTE myClock.fraction_changed TO Animation.set_fraction");
  Line(out, "ROUTE Animation.value_changed TO Knot.rotation");
  Line(out, "ROUTE MyRotate.rotation_changed TO Knot.set_rotation");
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
  const bool textureExisted = textureInfo.exists();
  std::string why;
  if (!SaveJPG(dib, *textureName, CanvasJpgQuality, &why, ReplacedDates::Fresh))
    return fail(*textureName + ": " + why);

  if (!WriteFileAtomically(scenePath, SphereSceneText(background, copies, url), &why)) {
    // A texture without its scene is litter, unless the user had one there already.
    if (!textureExisted) QFile::remove(QString::fromStdString(*textureName));
    return fail(scenePath + ": " + why);
  }
  return true;
}

}  // namespace wlg
