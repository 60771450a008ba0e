#pragma once
// The tessellator window: lays the designer's tiles out on the plane.

#include <QImage>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "controls/Form.h"
#include "controls/PictureBox.h"
#include "designer/Program.h"
#include "imaging/PictureFiles.h"
#include "tessellator/Lattice.h"

namespace wlg {

class frmS;
class PathRecorder;
struct VectorOptions;

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
  // While one lives, redraws wait, and one is made when the last ends.
  class RedrawHold {
   public:
    explicit RedrawHold(frmT& t) : t_(t) { ++t_.holds_; }
    ~RedrawHold() {
      if (--t_.holds_ == 0 && t_.heldRedraw_) {
        t_.heldRedraw_ = false;
        t_.DrawTess();
      }
    }
    RedrawHold(const RedrawHold&) = delete;
    RedrawHold& operator=(const RedrawHold&) = delete;

   private:
    frmT& t_;
  };
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
  // Undo or Redo put a value back: zoom, scales, colours and the editor apply it.
  void EntryRestored(ValidText& entry) override;

  // ---- picture exports (frmT_Export.cpp)
  // "Save &BMP" (0) and "Save &JPG" (1), "Save &EMF".
  void mnuFileSaveBMP_Click(int index);
  void mnuFileSaveWMF_Click();
  // "Save S&VG...", "Save P&DF...", "Save D&XF...": ext is "svg", "pdf", "dxf".
  void mnuFileSaveVector_Click(const std::string& ext);
  // The writers behind them, shared with the exporter. Each redraws the
  // tessellation first (so only while the window is shown), without the
  // editor's highlight for the raster kinds. False with *error set on any
  // failure; no partial file is then left and an earlier file stays as it
  // was. SaveMetafile sets *notCreated when the file could not even be
  // started.
  // 'smooth': the antialiased picture instead of the exact one.
  bool SavePicture(const std::string& path, PictureKind kind, std::string* error,
                   bool smooth = false);
  bool SaveMetafile(const std::string& path, std::string* error, bool* notCreated = nullptr);
  // SVG, PDF or DXF by the extension of 'path'.
  bool SaveVector(const std::string& path, const VectorOptions& options, std::string* error);
  // One redraw recorded into 'recorder', then the normal redraw.
  void RecordRedraw(PathRecorder& recorder);
  static constexpr const char* SaveFailedMessage = "Sorry, the picture could not be saved:";
  // The name last chosen in a save dialog of this window: what the next one
  // offers while the design has no file name.
  std::string SaveName;
  // ---- end of picture exports

  // ---- filling by repetition (frmT_Fill.cpp)
  // "&Fill View": the placed tiles repeated over what the window shows.
  void mnuEditFillView_Click();
  // "Fill &Area...": over a sheet from the view's top left corner.
  void mnuEditFillArea_Click();
  // Repeats the motif over 'area' (world units) by 'basis', or by the
  // lattice the placed tiles show. One Undo step; false with a message when
  // there is no lattice or the copies would not fit.
  bool FillOver(const FillRect& area, const std::optional<LatticeBasis>& basis = {});
  // How near two tiles must be to count as one place: snapping's reach.
  double FillTolerance() const;
  static constexpr const char* kFillAreaTitle = "Fill Area";
  static constexpr const char* kNothingToFill =
      "Nothing to add: every copy that reaches the area is already placed.";
  static constexpr const char* kFillSizeMessage =
      "The width and the height must be numbers from 1 to 5000 millimetres.";
  static constexpr const char* kFillRepeatMessage =
      "The two repeats must be numbers, in canvas units, that point in different directions.";
  // ---- end of filling

  // The canvas background: palette colour vsTBackground, 7 standing for the
  // button face.
  Colour TessBackColour() const;

  int DragItem = 0;
  bool DragMoved = false;
  float SnapX = 0, SnapY = 0;
  std::array<float, TileCount> ShapeScale{2, 2, 2, 2};
  bool CopyOn = false;
  float CopyAngle = 0, CopyScale = 2;
  bool CopyMirror = false;

  // Short messages for the limits (shown through the prompts).
  static constexpr const char* TooManyItems = "Sorry, the Tessellator holds at most 20,000 tiles.";
  static constexpr const char* TooManyOverrides =
      "Sorry, at most 100,000 polygons can be recoloured.";

  // Hooks for the later windows.
  std::function<void()> openSphereWrap;
  std::function<void(const QImage&)> copyToClipboard;
  // The view raises the window and puts the focus on the canvas.
  std::function<void()> onOpen;

 private:
  // While a tile is dragged, the tiles below and above it do not change:
  // they are kept as two pictures and only the dragged tile is drawn anew.
  struct DragLayers {
    bool valid = false;
    int item = 0, count = 0, width = 0, height = 0;
    float zoom = 0, offsetX = 0, offsetY = 0;
    double ratio = 1;
    bool smooth = false;
    ImageCanvas::Pictures below, above;
    // What the dragged tile covered in the last frame, and where it was.
    QRect drawn;
    bool placed = false;
    float itemX = 0, itemY = 0;
    unsigned long long changes = 0;  // the canvas's count after that frame
  };
  void DrawItems(Canvas& canvas, int first, int last);
  bool DrawFromLayers(ImageCanvas& canvas);
  void BeginDrag() {
    dragLayers_ = DragLayers{};
    dragging_ = true;
  }
  void EndDrag() {
    dragLayers_ = DragLayers{};
    dragging_ = false;
  }
  DragLayers dragLayers_;
  bool dragging_ = false;
  int holds_ = 0;
  bool heldRedraw_ = false;

  void CreateControls();
  void CreateMenus();
  void Wire();
  void RefreshCopySettings();
  void PlaceItem(int shift, FPoint w);
  void RecolourAt(FPoint w);
  void ApplyFillSwatch();
  void WireExports();
  void ClearHighlight();
  // Points 1.. of an item's OutlineX/OutlineY that its tile uses.
  int OutlinePoints(const TessItem& it) const;

  // What the fill dialog showed last, offered again this run.
  std::string fillPage_ = "A4", fillOrientation_ = "Portrait", fillWidth_ = "210",
              fillHeight_ = "297";

  Program& p_;
  frmS& designer_;
  std::vector<OptionButton*> whichOne_;
};

}  // namespace wlg
