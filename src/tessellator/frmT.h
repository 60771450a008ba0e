#pragma once
// The tessellator window: lays the designer's tiles out on the plane.

#include <array>
#include <functional>

#include "controls/Form.h"
#include "controls/PictureBox.h"
#include "designer/Program.h"

namespace wlg {

class frmS;

class frmT : public Form {
 public:
  static constexpr int DefaultCanvasWidth = 800;
  static constexpr int DefaultCanvasHeight = 600;

  frmT(Program& program, frmS& designer);

  PictureBox& picT() { return Get<PictureBox>("picT"); }
  ScrollBar& XScroll() { return Get<ScrollBar>("XScroll"); }
  ScrollBar& YScroll() { return Get<ScrollBar>("YScroll"); }

  // The whole tessellation, redrawn through the tile renderer.
  void DrawTess();
  void UpdateTess() { DrawTess(); }
  void UpdateEdit(int n);
  void CheckXY(float x, float y);

  // Canvas pixels <-> world coordinates, exact inverses of each other.
  FPoint ToWorld(float px, float py) const;
  FPoint ToCanvas(float wx, float wy) const;

  // Pointer on the canvas (button, shift bits, canvas pixels).
  void picT_MouseDown(MouseButton button, int shift, float px, float py);
  void picT_MouseMove(MouseButton button, int shift, float px, float py);
  void picT_MouseUp(MouseButton button, int shift, float px, float py);
  void Frame1_MouseMove();
  void picFill_MouseDown(int shift);

  // Designer menu "&Tessellator".
  void Open();
  void mnuFileExit_Click() { Hide(); }
  void cmdClearAll_Click();
  void mnuEditSnap_Click();
  void mnuEditSnapRadius_Click();
  void SelectTile(int tile);  // the designer's current tile, without side effects

  int DragItem = 0;
  bool DragMoved = false;
  float SnapX = 0, SnapY = 0;
  std::array<float, TileCount> ShapeScale{2, 2, 2, 2};
  bool CopyOn = false;
  float CopyAngle = 0, CopyScale = 2;
  bool CopyMirror = false;

  // Short messages for the limits (shown through the prompts).
  static constexpr const char* TooManyItems =
      "Sorry, the Tessellator holds at most 199 tiles.";
  static constexpr const char* TooManyOverrides =
      "Sorry, at most 1000 polygons can be recoloured.";

  // Hooks for the later windows.
  std::function<void()> openSphereWrap;
  std::function<void(const QImage&)> copyToClipboard;

 private:
  void CreateControls();
  void CreateMenus();
  void Wire();
  void RefreshCopySettings();
  void PlaceItem(int shift, FPoint w);
  void RecolourAt(FPoint w);
  void ApplyFillSwatch();

  Program& p_;
  frmS& designer_;
  std::vector<OptionButton*> whichOne_;
};

}  // namespace wlg
