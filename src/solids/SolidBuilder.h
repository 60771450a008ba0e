#pragma once
// Puts the designer's tiles on a solid: checks (and on request adjusts) the
// tiles so that their polygons match the solid's face kinds, records each
// tile through the tile renderer, maps a copy onto every face of its kind,
// fixes the winding of every polygon and hands the list to the 3D window.

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "designer/Program.h"
#include "solids/SolidTables.h"

namespace wlg {

class frmS;
class frm3D;

class SolidBuilder {
 public:
  // Sizes of the template a tile is recorded into before it is copied onto
  // the faces; a bigger tile is too complex for a solid.
  static constexpr int TemplatePolyCapacity = 129;
  static constexpr int TemplateVertCapacity = 1000;

  static constexpr const char* TwoGonTitle = "2-gon/Line check";
  static constexpr const char* TwoGonQuestion =
      "Sorry, you can't have 2-gon shapes or Lines in 3D\r\n"
      "OK to set all 2-gons to 3-gons and deselect all Lines?";
  static constexpr const char* SetupTitle = "3D geometry setup";

  SolidBuilder(Program& program, frmS& designer, frm3D& view);

  // The menu command of one solid: the check, then the build.
  void RunCommand(const SolidInfo& solid);
  // The designer redrew a tile: while the 3D window shows and no check is
  // adjusting the tiles, the solid named by SolidName is built again.
  void Rebuild();
  // Shows the 3D window for SolidName (a pattern reopening its solid); the
  // designer's next redraw builds it.
  void ShowSolid();

  // Whether the tiles suit a solid with this check code, asking to adjust
  // them when they do not. ok is false when the user declined.
  void OK3D(int code, bool& ok);
  // Builds the solid 'key' from its table; 'sides' holds one side count per
  // face kind. 'resource' names the table as the menu item does.
  void Archi(int resource, const std::string& key, std::span<const int> sides);
  // Winds every recorded polygon so that the cross product of its first two
  // edges points into the solid.
  void CheckHand();

  // The side counts a check code asks for, one per face kind (a last digit
  // 9 standing for 10).
  static std::vector<int> FaceKinds(int code);
  static std::string SetupQuestion(const std::vector<int>& kinds);

  // The table text of the current solid, its lines as read.
  std::vector<std::string> SolidLines;
  // The vertex store holds the vertices of SolidName.
  bool SolidBuilt = false;
  // While set, a designer redraw does not rebuild the solid.
  bool RebuildGuard = false;
  // How a solid's table is read: its bytes, or false with a message.
  std::function<bool(const SolidInfo& info, std::string& bytes, std::string& error)> readTable;
  // Tables read so far.
  int TableReads = 0;

 private:
  struct Template {
    int polyCount = 0;
    int vertCount = 0;
    std::array<Colour, TemplatePolyCapacity> colour{};
    std::array<int, TemplatePolyCapacity> lastPoint{};
    std::array<int, TemplatePolyCapacity> rank{};
    std::array<float, TemplateVertCapacity> x{}, y{}, z{};
  };
  struct StoredVertex {
    double x = 0, y = 0, z = 0;
  };

  void TooComplex();
  // Records tile k into the template; false when the tile does not fit.
  bool RecordTemplate(int kind);
  // Ends a build: the designer's own view of its tile comes back.
  void RestoreDesigner();
  void EnableTabs(int kindCount);

  Program& p_;
  frmS& designer_;
  frm3D& view_;
  std::string lastLoaded_;
  std::array<std::array<StoredVertex, kMaxSolidVertices>, kMaxFaceKinds> store_{};
  Template template_;
};

}  // namespace wlg
