// The 3D routines' degenerate cases, the light term and the roll. Which
// faces show, in which order, is checked on every solid by ShadedDepthTest.

#include <gtest/gtest.h>

#include "solids/M3Ops.h"
#include "solids/ShadedRenderer.h"
#include "solids/SolidKit.h"
#include "support/RecordingCanvas.h"
#include "support/ScriptedPrompts.h"

namespace wlg {
namespace {

Point4 Transform(const Matrix4& m, float x, float y, float z) {
  Point4 r;
  M3Ops::TransformPoint(Point4{{x, y, z, 1}}, m, r);
  return r;
}

TEST(M3OpsTest, DegenerateViewsAndASingularMatrix) {
  Matrix4 out;
  M3Ops::PerspectiveMatrix(out, 512);  // w = 0 does not divide by zero
  EXPECT_EQ(Transform(out, 10, -20, 512).e, (std::array<float, 4>{10, -20, 2147483648.0f, 1}));
  M3Ops().BuildViewMatrix(out, 1, 4, 5, 6, 4, 5, 6, 0, 1, 0);  // eye on the reference
  EXPECT_EQ(Transform(out, 5, 7, 9).e, (std::array<float, 4>{1, 2, 3, 1}));

  Matrix3 singular, m;
  m.e = singular.e = {1, 2, 3, 1, 2, 3, 4, 5, 6};
  testing::ScriptedPrompts prompts;
  prompts.Answer_(Answer::OK);
  EXPECT_FALSE(M3Ops::InvertMatrix3(m, prompts));
  EXPECT_EQ(m.e, singular.e);
  ASSERT_EQ(prompts.log.size(), 1u);
  EXPECT_EQ(prompts.log[0].text, "Sorry - Matrix inversion error");
}

TEST(ShadedRendererTest, AmbientDiffuseClampAndTheZeroAttenuationDistance) {
  // Above the light the ambient term alone, 256 x 0.3; below it, d = 1000:
  // 0.3 x 256 + 0.5 x 253.98; 2000 from it Kdist + d = 0, ambient only.
  constexpr Colour kRed = Rgb(255, 0, 0);
  testing::TestSolid solid;
  for (const auto& [z, colour] :
       {std::pair{-1000.f, kRed}, {2000.f, kRed}, {0.f, Rgb(255, 255, 255)}})
    solid.Add(colour, {{100, 500, z}, {110, 500, z}, {110, 510, z}});
  ShadedRenderer r;
  testing::RecordingCanvas pic{600, 600};
  M3Ops::IdentityMatrix(r.ViewTransform);
  r.ViewTransform(3, 3) = -1;  // seen from -z, the side these triangles face
  r.SolidCentre = {300, 300};
  r.shading = {.Ka = 0.3f, .Kd = 0.5f, .Ks = 1, .N = 3, .Kdist = -2000};
  auto fills = [&] {
    r.DrawData(pic, *solid);  // farthest first: z = 2000, 0, -1000
    std::vector<Colour> c;
    for (const auto& f : pic.figures) c.push_back(f.fillColour);
    return c;
  };
  EXPECT_EQ(fills(), (std::vector<Colour>{Rgb(77, 0, 0), Rgb(204, 204, 204), Rgb(77, 0, 0)}));
  r.shading.Kdist = -1999;
  EXPECT_NE(fills().at(2), Rgb(77, 0, 0));
  r.shading.Ka = 1;  // I = 256, clamped to 255
  EXPECT_EQ(fills().at(0), kRed);
  r.PsiRad = 1.5707964f;  // the roll turns about the centre: right goes below, below left
  fills();
  EXPECT_EQ(pic.figures.at(0).points, (std::vector<IPoint>{{-200, 400}, {-200, 410}, {-210, 410}}));
}

}  // namespace
}  // namespace wlg
