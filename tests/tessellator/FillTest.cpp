// Filling the plane by the lattice of the placed tiles.

#include <gtest/gtest.h>

#include <QPainter>
#include <QPolygonF>
#include <cmath>

#include "document/PatternFile.h"
#include "support/TessellatorFixture.h"

namespace wlg {
namespace {

class Fill : public testing::TessellatorFixture {
 protected:
  void Open(const char* name) {
    f.OpenPatternFile(std::string(WHIRLIGONS_SAMPLES_DIR) + "/" + name);
    ASSERT_FALSE(f.LastLoadError());
    t.Show();
    t.Entry("vsZoom").SetValue("1");
    t.XScroll().SetValue(50);
    t.YScroll().SetValue(50);
    t.Entry("vsTBackground").SetValue("13");  // a colour no tile uses
  }
  std::string Text() {
    const std::tm when{};
    return WritePattern(h.program, {&f, nullptr, &t}, when);
  }
  // Background pixels in the rectangle, on a redraw at zoom 1, that no
  // tile's polygon covers either (a tile's own ground is see-through).
  int Holes(int x0, int y0, int x1, int y1) {
    t.UpdateTess();
    const QImage img = pic().canvas.Image();
    QImage covered(img.size(), QImage::Format_Grayscale8);
    covered.fill(0);
    QPainter painter(&covered);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    for (int i = 1; i <= Count(); ++i) {
      QPolygonF poly;
      const int n = f.vs("vsPolyOut", Item(i).Shape - 1).Integer();
      for (int k = 1; k <= n; ++k) poly << QPointF(Item(i).OutlineX[k], Item(i).OutlineY[k]);
      painter.drawPolygon(poly);
    }
    painter.end();
    const Colour b = t.TessBackColour();
    const QRgb back = qRgb(RedOf(b), GreenOf(b), BlueOf(b)) & 0xffffff;
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        n += (img.pixel(x, y) & 0xffffff) == back && qGray(covered.pixel(x, y)) == 0;
    return n;
  }
};

// Two samples, and the sample's hexagons turned so that three kinds lie
// on three sublattices, fill the view with no gap and with as many tiles as
// the area holds cells, within the tiles along its border.
TEST_F(Fill, TheLatticeOfThePatchFillsAnAreaWithoutGaps) {
  const std::tuple<const char*, int> cases[] = {
      {"octagons-and-squares.wlg", 2}, {"sample.wlg", 1}, {"turned", 3}};
  for (const auto& [name, motif] : cases) {
    SCOPED_TRACE(name);
    const bool turned = std::string(name) == "turned";
    if (Count() > 0) h.prompts.Answer_(Answer::Discard);
    Open(turned ? "sample.wlg" : name);
    // The ring around the centre alternates between two sublattices.
    for (int i = 2; turned && i <= 7; ++i) Item(i).Angle = i % 2 ? 120 : 60;
    const int patch = Count();
    const auto basis = FindLattice(h.program.tess, t.FillTolerance());
    ASSERT_TRUE(basis.has_value());
    const double cell = std::fabs(basis->a.x * basis->b.y - basis->a.y * basis->b.x);
    EXPECT_GT(Holes(40, 40, 760, 560), 0) << "the patch alone covers the view";
    t.mnuEditFillView_Click();
    EXPECT_EQ(Holes(40, 40, 760, 560), 0);
    double reach = 0;
    for (int i = 1; i <= Count(); ++i)
      for (int k = 1; k < OutlineCapacity; ++k)
        if (Item(i).OutlineX[k] != 0)
          reach = std::max<double>(
              reach, std::hypot(Item(i).OutlineX[k] - Item(i).X, Item(i).OutlineY[k] - Item(i).Y));
    const double inner = (800 - 2 * reach) * (600 - 2 * reach);
    const double outer = (800 + 2 * reach) * (600 + 2 * reach);
    EXPECT_GE(Count(), motif * inner / cell);
    EXPECT_LE(Count(), patch + motif * outer / cell);
  }
}

// A fill is one Undo and one Redo step, repeats recoloured polygons, holds
// a 5,000-tile sheet that saves and loads as it was, and is refused whole
// beyond the capacity. Without a lattice: the message, and no change.
TEST_F(Fill, UndoRedoCapacityRoundTripAndNoLattice) {
  Open("octagons-and-squares.wlg");
  const int patch = Count();
  h.model().overrides.entries[0] = {0, 3, 0, 5};  // one recoloured octagon
  h.model().overrides.OverrideCount = 1;
  const std::string recoloured = Text();
  ASSERT_TRUE(t.FillOver({0, 0, 5800, 5800}));
  const int filled = Count();
  EXPECT_GT(filled, 5000);
  int octagons = 0;
  for (int i = patch + 1; i <= filled; ++i) octagons += Item(i).Shape == 1;
  EXPECT_EQ(h.model().overrides.OverrideCount, 1 + octagons);
  const std::string sheet = Text();
  f.UndoIt();
  EXPECT_EQ(Text(), recoloured);
  f.RedoIt();
  EXPECT_EQ(Text(), sheet);
  h.prompts.autoOk = true;
  EXPECT_FALSE(t.FillOver({0, 0, 5800, 5800}));  // every copy stands already
  EXPECT_EQ(h.prompts.log.back().text, frmT::kNothingToFill);
  EXPECT_FALSE(t.FillOver({-40000, -40000, 40000, 40000}));
  EXPECT_EQ(h.prompts.log.back().text, frmT::TooManyItems);
  EXPECT_EQ(Text(), sheet);

  std::string reason;
  ASSERT_TRUE(SavePatternFile(Path("sheet.wlg"), sheet, reason)) << reason;
  h.prompts.Answer_(Answer::Discard);
  f.OpenPatternFile(Path("sheet.wlg"));
  ASSERT_FALSE(f.LastLoadError());
  EXPECT_EQ(Text(), sheet);

  const TessItem lone = Item(1);
  h.program.tess.ClearItems();
  Item(1) = lone;
  h.program.tess.TessCount = 1;
  const std::string single = Text();
  t.mnuEditFillView_Click();
  EXPECT_EQ(h.prompts.log.back().text, kNoLatticeMessage);
  EXPECT_EQ(Text(), single);
}

}  // namespace
}  // namespace wlg
