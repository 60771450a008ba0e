#pragma once
// The sphere-wrap window: the tessellation wrapped on a turning sphere, with
// its quality, background, spin and speed, the clipboard, BMP and JPEG
// pictures of the sphere and a textured VRML scene.

#include <QImage>
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>
#include <string>

#include "animation/AnimationSave.h"
#include "controls/Form.h"
#include "controls/PictureBox.h"
#include "designer/Program.h"
#include "imaging/PictureFiles.h"
#include "spherewrap/SphereMapping.h"

namespace wlg {

class frmS;
class frmT;

class frmSphereWrap : public Form {
 public:
  static constexpr int TimerInterval = 100;  // ms
  static constexpr int SphereSide = 400;     // the sphere on screen and in pictures
  // The window's outer size at load, in twips (15 to a pixel).
  static constexpr int LoadWidthTwips = 6480;
  static constexpr int LoadHeightTwips = 7605;
  // The strip below the sphere that holds the controls (Shape1), in pixels.
  static constexpr int Shape1Height = 56;
  // The drawing surface: the window without its title bar and menu.
  static constexpr int SurfaceWidth = LoadWidthTwips / 15;
  static constexpr int SurfaceHeight = 466;

  static constexpr const char* BlitError = "Blit Error";
  static constexpr const char* SceneFailed = "Sorry, the VRML file could not be saved:";
  // Said when the scene is not written because the user kept the picture
  // its texture would have replaced: "ball.wrl was not saved: its texture
  // ball.jpg was kept".
  static std::string KeptTextureText(const std::string& scene, const std::string& texture);

  frmSphereWrap(Program& program, frmS& designer, frmT& tessellator);

  // The window's own drawing surface; the sphere is shown in SphereRect.
  PictureBox& Surface() { return Get<PictureBox>("picSurface"); }
  ScrollBar& HScroll1() { return Get<ScrollBar>("HScroll1"); }

  // The tessellator's "&SphereWrap": shows the window and makes it active.
  void Open();
  // The window became the active one.
  void Form_Activate();
  // Undo or Redo put a value back: the sphere redraws from it.
  void EntryRestored(ValidText& entry) override;
  // Closing by the user: hides the window and keeps it (false) unless the
  // program is shutting down (true: the window really closes).
  bool Form_QueryUnload();
  // The size the window keeps: its outer size after loading, in twips.
  QSize LoadedSizeTwips() const { return {loadWidthTwips_, loadHeightTwips_}; }

  // Timer1: the view's timer calls it every TimerInterval ms while enabled.
  void Tick();
  bool Timer1Enabled() const { return timer1Enabled_; }

  // Rebuilds the texture from the tessellator picture (and clears the
  // tessellation-changed flag).
  void SqueezePIC();
  // Renders the sphere from the texture at the current turning state.
  void Rotate() { sphere.Rotate(); }
  // Shows plane 1 (the texture) or 2 (the sphere) in SphereRect.
  bool ShowPalBGR(int plane);
  // The sphere at 400 x 400 pixels, for the clipboard and the pictures;
  // nothing (after the "Blit Error" message) when there is no sphere.
  std::optional<QImage> CopyToPic1();
  // The sphere's picture 'side' pixels square: each of the window's pixels
  // copied, or with 'smooth' the frame smoothly resampled. Nothing (after
  // the "Blit Error" message) when there is no sphere.
  std::optional<QImage> Picture(int side, bool smooth);

  void chkRotate_Click();
  void HScroll1_Change();
  void vtBackSphere_Changed();
  void vtWidth_Changed();

  // ---- menus
  void mnuFileSaveBMP_Click(int index);  // 0 BMP, 1 JPEG
  void mnuFileSaveVRML2_Click();
  // One full turn of the sphere as an animation.
  void mnuFileSaveAnimation_Click();
  AnimationChoice LastAnimation;
  void mnuFileExit_Click() { Form_QueryUnload(); }
  void mnuEditCopy_Click();
  // The writers behind them, shared with the exporter: false with *error
  // set on failure, leaving no partial file.
  // 'smooth': the antialiased picture instead of the exact one.
  bool SavePicture(const std::string& path, PictureKind kind, std::string* error,
                   bool smooth = false);
  // Asks before the scene's texture replaces an existing file; false with
  // *error empty when the answer is No (nothing is written then).
  bool SaveVrml(const std::string& path, std::string* error);
  // The name last chosen in a save dialog of this window: what the next one
  // offers while the design has no file name.
  std::string SaveName;

  // The sphere turned to its angles and shown again.
  void Redraw();

  SphereWrap sphere;  // the texture, the frame and their tables
  QRect SphereRect;
  int LastQuality = 0;

  // Hooks the view fills in.
  std::function<void(const QImage&)> copyToClipboard;
  // Caption of the program's active window ("" when none is active).
  std::function<std::string()> activeWindowCaption;
  // The spin timer was switched on or off.
  std::function<void()> onTimerChanged;
  // The view raises and activates the window.
  std::function<void()> onOpen;

 private:
  void CreateControls();
  void CreateMenus();
  void Wire();
  void Form_Load();
  void SetTimer(bool on);
  // The window's back colour: palette colour of vtBackSphere.
  void ApplyWindowColour();
  // A failed blit: no sphere to show until the next rebuild.
  void BlitFailed();

  Program& p_;
  frmS& designer_;
  frmT& tess_;
  bool timer1Enabled_ = false;
  int loadWidthTwips_ = 0;
  int loadHeightTwips_ = 0;
};

}  // namespace wlg
