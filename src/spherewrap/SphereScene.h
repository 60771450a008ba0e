#pragma once
// The sphere-wrap window's VRML 2.0 scene: a unit sphere textured with the
// flat tessellation picture, repeated a number of times each way, turning
// once round the y axis every 30 seconds, stopped by a touch.

#include <QImage>
#include <optional>
#include <string>

#include "platform/Colour.h"

namespace wlg {

// The scene's text with CR LF line ends. 'copies' is the texture repeat as
// the user typed it (written twice on the TextureTransform line); 'url' is
// the texture file's bare name.
std::string SphereSceneText(Colour background, const std::string& copies, const std::string& url);

// The JPEG written beside a scene: the scene's name up to its last "." plus
// ".jpg". Nothing when the file name has no "." or starts with it.
std::optional<std::string> SphereTextureName(const std::string& scenePath);

// Writes the texture (quality 90) and then the scene, each atomically. A
// failure leaves neither half-written; a texture made by this call is
// removed again when the scene cannot be written. False with *error set
// (naming the file and the reason). An existing texture is replaced without
// asking: the window asks first (MayReplace).
bool WriteSphereScene(const QImage& texture, Colour background, const std::string& copies,
                      const std::string& scenePath, std::string* error);

}  // namespace wlg
