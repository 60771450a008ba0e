// The VRML number styles against the examples the file format uses.

#include <gtest/gtest.h>

#include "solids/VrmlNumbers.h"

namespace wlg {
namespace {

TEST(VrmlNumbers, PrintStyle) {
  EXPECT_EQ(PrintStyle(0.5f), " .5 ");
  EXPECT_EQ(PrintStyle(1.0f), " 1 ");
  EXPECT_EQ(PrintStyle(0.0f), " 0 ");
  EXPECT_EQ(PrintStyle(128.0f / 255.0f), " .5019608 ");
  EXPECT_EQ(PrintStyle(-0.25f), "-.25 ");
  EXPECT_EQ(PrintStyle(0.5), " .5 ");
  EXPECT_EQ(PrintStyle(1.0 / 3.0), " .333333333333333 ");
  // The grey background line of the scene header.
  EXPECT_EQ("Background {skyColor " + PrintStyle(0.5f) + "," + PrintStyle(0.5f) + "," +
                PrintStyle(0.5f) + "}",
            "Background {skyColor  .5 , .5 , .5 }");
}

TEST(VrmlNumbers, PlainStyleKeepsTheLeadingZero) {
  EXPECT_EQ(PlainStyle(128.0f / 255.0f), "0.5019608");
  EXPECT_EQ(PlainStyle(1.0f), "1");
  EXPECT_EQ(PlainStyle(0.0f), "0");
  EXPECT_EQ(PlainStyle(255.0f / 255.0f), "1");
  EXPECT_EQ(PlainStyle(-0.5f), "-0.5");
}

TEST(VrmlNumbers, FixedThreeAndIndexForm) {
  EXPECT_EQ(Fixed3(1.0), "1.000");
  EXPECT_EQ(Fixed3(-2.5), "-2.500");
  EXPECT_EQ(Fixed3(0.0004), "0.000");
  EXPECT_EQ(Fixed3(-0.0004), "0.000");  // no "-0.000"
  EXPECT_EQ(Fixed3(0.0125), "0.013");
  EXPECT_EQ(Fixed3(12.3456), "12.346");
  EXPECT_EQ(IndexForm(7), " 7 ,");
  EXPECT_EQ(IndexForm(0), " 0 ,");
}

}  // namespace
}  // namespace wlg
