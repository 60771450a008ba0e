#pragma once
// The 3D window: the decorated solid, shaded, with its viewing angles, the
// navigation disc, the spin timer, the lighting entries and the exports.

#include <functional>
#include <string>

#include "animation/AnimationSave.h"
#include "controls/Form.h"
#include "controls/PictureBox.h"
#include "designer/Program.h"
#include "imaging/PictureFiles.h"
#include "solids/M3Ops.h"
#include "solids/NavigationDisc.h"
#include "solids/PrintFiles.h"
#include "solids/ShadedRenderer.h"
#include "solids/SolidNet.h"

class QImage;

namespace wlg {

class frmS;

class frm3D : public Form {
 public:
  static constexpr int PictureWidth = 480;
  static constexpr int PictureHeight = 480;
  static constexpr int NavSize = 100;
  static constexpr int TimerInterval = 100;  // ms
  // Key codes of the arrow keys.
  static constexpr int KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40;
  // Turn per arrow key: 9 degrees.
  static constexpr float KeyStep = 0.15707964f;

  static constexpr const char* NavToolTip =
      "3D Rotator - Left click for Theta/Phi, Right click for Psi";
  static constexpr const char* PictureFailed = "Sorry, the picture could not be saved:";
  static constexpr const char* ObjFailed = "Sorry, the OBJ file could not be saved:";
  static constexpr const char* VrmlFailed = "Sorry, the VRML file could not be saved:";
  static constexpr const char* NetFailed = "Sorry, the net could not be saved:";
  static constexpr const char* NetEdgeTitle = "Net edge length";
  static constexpr const char* NetEdgePrompt =
      "Edge length in millimetres (0: as large as one page allows, at least 20 mm):";
  static constexpr const char* NetLetterOption = "Letter pages instead of A4";
  static constexpr const char* NetLaserOption =
      "Laser file: outlines cut red, folds scored blue, numbers engraved black";
  static constexpr const char* NetEngraveOption = "Laser file: engrave the decoration too";
  static constexpr const char* NetTabNumbersOption = "Edge numbers on the tabs only";
  static constexpr const char* NetNoNumbersOption = "No edge numbers";
  static constexpr const char* GltfFailed = "Sorry, the glTF file could not be saved:";
  static constexpr const char* FoldUpFailed = "Sorry, the net could not be folded:";
  static constexpr const char* PrintTitle = "Save 3MF";
  static constexpr const char* PrintEdgeLabel = "&Edge length (mm):";
  static constexpr const char* PrintColoursLabel = "&Colours (filaments):";
  static constexpr const char* PrintAllColours = "All used";
  static constexpr const char* PrintReliefLabel = "&Raised decoration (mm)";
  static constexpr const char* PrintNumbers =
      "The edge length must be from 1 to 1000 millimetres, and a raised decoration more than 0 "
      "and at most 20 millimetres high.";
  static constexpr const char* ThreeMfFailed = "Sorry, the 3MF file could not be saved:";
  static constexpr const char* StlFailed = "Sorry, the STL file could not be saved:";

  frm3D(Program& program, frmS& designer);

  PictureBox& pic3D() { return Get<PictureBox>("pic3D"); }
  PictureBox& picNav() { return Get<PictureBox>("picNav"); }
  ScrollBar& chkHScroll() { return Get<ScrollBar>("chkHScroll"); }
  ScrollBar& chkVScroll() { return Get<ScrollBar>("chkVScroll"); }

  // Normalises the angles and rebuilds ViewTransform.
  void CheckAngles();
  // The angle boxes and the navigation disc.
  void ShowViewingParameters();
  // Full redraw of the solid from the recorded list.
  void DrawData();
  // The picture's background, a shade apart from the solid's faces.
  Colour BackColour();
  // Undo or Redo put a value back: the view redraws from it.
  void EntryRestored(ValidText& entry) override;

  // Timer1; the view's timer calls it every TimerInterval ms while enabled.
  void Tick();
  bool Timer1Enabled = false;

  void Form_KeyDown(int key);
  void pic3D_MouseDown(MouseButton button, float x, float y);
  void pic3D_MouseMove(MouseButton button, float x, float y);
  void pic3D_MouseUp(MouseButton button, float x, float y);
  // A press or move on the navigation disc: 1 the left button alone, 2 the right.
  void DrawNav(int16_t button, float x, float y);

  void chkSpin_Click();
  void chkHScroll_Change();
  void chkVScroll_Change();

  // ---- menus and files (frm3D_Files.cpp)
  void mnuFileSave_Click();
  void mnuFileSaveBMP_Click(int index);  // 0 BMP, 1 JPEG
  void mnuFileSaveOBJ_Click();
  void mnuFileSaveGLTF_Click();
  void mnuFileSaveVRML2_Click();
  void mnuFileSaveNet_Click();
  // A printable 3MF or STL after a dialog of its edge, colours and relief.
  void mnuFileSave3MF_Click();
  // One full turn about the spin axis as an animation.
  void mnuFileSaveAnimation_Click();
  // The net folding itself up into the solid.
  void mnuFileSaveFoldUp_Click();
  AnimationChoice LastAnimation;
  void mnuFileExit3D_Click();
  void mnuCopy_Click();
  void mnuEditVRMLLines_Click();
  void mnuEditVRMLSmooth_Click();
  // The writers behind them, shared with the exporter: false with *error
  // set on failure, leaving no partial file.
  // 'smooth': the antialiased picture instead of the exact one.
  bool SavePicture(const std::string& path, PictureKind kind, std::string* error,
                   bool smooth = false);
  // SaveObj asks before its materials file replaces one of that name.
  bool SaveObj(const std::string& path, std::string* error);
  // exact: the corners unrounded, with seven decimals.
  bool SaveObj(const std::string& path, std::string* error, bool exact);
  bool SaveGltf(const std::string& path, std::string* error);
  bool SaveVrml(const std::string& path, std::string* error);
  bool SaveNet(const std::string& path, const NetOptions& options, std::string* error);
  // A printable 3MF or STL file; 'note' gets what the user should know.
  bool SavePrint(const std::string& path, const PrintFileOptions& options, std::string* note,
                 std::string* error);
  // The net dialog's choices, kept between saves.
  NetOptions LastNetOptions;
  // The print dialog's choices, kept between saves; the relief height stays
  // offered while the relief is off.
  PrintFileOptions LastPrintOptions;
  double LastReliefMm = 0.6;
  // The name last chosen in a save dialog of this window: what the next one
  // offers while the design has no file name.
  std::string DialogFileName;
  std::function<void(const QImage&)> copyToClipboard;
  // ---- end of menus and files

  // Closing by the user: hides the window (false) unless the program is
  // shutting down (true: the window really closes).
  bool Form_QueryUnload();

  // The view's hook for caption and visibility changes. It hides Form's
  // own, which the form keeps for itself: whatever route hides the window
  // (its close box, Exit 3D, the tessellator, a pattern load, shut-down...),
  // the designer's tabs that a solid locked are free again.
  std::function<void()> onWindowChanged;

  // A new picture size (the exporter's --size); the solid's recorded
  // centre follows it.
  void ResizePicture(int width, int height);

  float ThetaRad = 1.5707964f;
  float PhiRad = 0;
  float PsiRad = 0;
  float EyeDistance = 500;
  Matrix4 ViewTransform;
  float LastMouseX = 0, LastMouseY = 0;
  bool SpinTheta = false, SpinPhi = false;
  float SpinSpeedTheta = 0, SpinSpeedPhi = 0;

  ShadedRenderer shaded;
  NavigationDisc nav{static_cast<float>(NavSize)};

 private:
  // A model file through its save dialog, telling 'failed' and the reason
  // when 'save' fails.
  void SaveScene(const FileDialogRequest& dialog, const char* failed,
                 bool (frm3D::*save)(const std::string&, std::string*));
  void CreateControls();
  void CreateMenus();
  void Wire();
  void WireFiles();
  void Form_Load();
  void WindowChanged();
  float SpeedOf(const ScrollBar& bar) const;

  Program& p_;
  frmS& designer_;
  M3Ops m3_;
  bool shown_ = false;
};

}  // namespace wlg
