#pragma once
// A started designer with the tessellator shown.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "support/DesignerHarness.h"

namespace wlg::testing {

class TessellatorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    h.Start();
    t.Show();
  }

  PictureBox& pic() { return t.picT(); }
  TessItem& Item(int i) { return h.program.tess.TessItems[i]; }
  int Count() { return h.program.tess.TessCount; }
  // A Shift-click places a tile; other keys and buttons as given.
  void Click(float x, float y, int shift = ShiftKey, MouseButton b = MouseButton::Left) {
    pic().onMouseDown(0, b, shift, x, y);
    pic().onMouseUp(0, b, 0, x, y);
  }
  // A square rank on the first tile, so placed tiles have rank polygons.
  void SquareRank() {
    for (auto [x, y] : {std::pair{100, 100}, {130, 100}, {130, 130}, {100, 130}}) {
      f.picS(0).onMouseDown(0, MouseButton::Left, 0, x, y);
      f.picS(0).onMouseUp(0, MouseButton::Left, 0, x, y);
    }
  }
  std::string Path(const char* name) { return dir.filePath(name).toStdString(); }

  DesignerHarness h;
  frmS& f = h.form;
  frmT& t = h.tess;
  QTemporaryDir dir;
};

}  // namespace wlg::testing
