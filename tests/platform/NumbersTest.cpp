#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/Numbers.h"

namespace wlg {
namespace {

TEST(NumbersTest, RoundHalfEvenSendsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(7.5), 8);
  EXPECT_EQ(RoundHalfEven(6.5), 6);
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(2.5001), 3);  // not a half: plain nearest
}

TEST(NumbersTest, ValReadsTheLongestLeadingNumber) {
  EXPECT_DOUBLE_EQ(Val(" 12.5abc"), 12.5);
  EXPECT_DOUBLE_EQ(Val("abc"), 0);
  EXPECT_DOUBLE_EQ(Val(""), 0);
  EXPECT_DOUBLE_EQ(Val("-"), 0);
  EXPECT_DOUBLE_EQ(Val("-3"), -3);
  EXPECT_DOUBLE_EQ(Val("1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(Val(".5"), 0.5);
  EXPECT_DOUBLE_EQ(Val("  -.25x"), -0.25);
  // Only "." separates decimals here; a comma ends the number.
  EXPECT_DOUBLE_EQ(Val("1,5"), 1);
  EXPECT_DOUBLE_EQ(Val("12 34"), 12);
}

TEST(NumbersTest, FormatSingleGivesShortPlainText) {
  EXPECT_EQ(FormatSingle(12.0f), "12");
  EXPECT_EQ(FormatSingle(0.5f), "0.5");
  EXPECT_EQ(FormatSingle(-37.25f), "-37.25");
  EXPECT_EQ(FormatSingle(0.1f), "0.1");
  EXPECT_EQ(FormatSingle(1 / 3.f), "0.3333333");
  EXPECT_EQ(FormatSingle(-2 / 3.f), "-0.6666667");
  EXPECT_EQ(FormatSingle(10.75f), "10.75");
  EXPECT_EQ(FormatSingle(1e6f), "1000000");
  EXPECT_EQ(FormatSingle(0.0f), "0");
  EXPECT_EQ(FormatSingle(-0.0f), "0");
  EXPECT_EQ(FormatSingle(0.0001f), "0.0001");
  EXPECT_EQ(FormatSingle(-20000.0f), "-20000");
  // More than seven significant digits are rounded away, not shown as exponent.
  EXPECT_EQ(FormatSingle(123456789.0f), "123456800");
  EXPECT_EQ(FormatSingle(1234.5678f), "1234.568");
}

TEST(NumbersTest, FormatSingleNeverUsesAnExponentAndReadsBackClosely) {
  for (int i = -20000 * 8; i <= 20000 * 8; i += 997) {
    for (float v : {i / 8.0f, i / 100.0f, i / 7.0f, i / 100000.0f}) {
      const std::string s = FormatSingle(v);
      ASSERT_EQ(s.find_first_of("eE"), std::string::npos) << v << " -> " << s;
      ASSERT_EQ(s.find(','), std::string::npos) << s;
      int significant = 0;
      bool leading = true;
      for (char c : s) {
        if (c < '0' || c > '9') continue;
        if (c != '0') leading = false;
        if (!leading) ++significant;
      }
      ASSERT_LE(significant, 7) << s;
      const float back = std::strtof(s.c_str(), nullptr);
      ASSERT_LE(std::fabs(back - v), std::fabs(v) * 1e-6f + 1e-7f) << v << " -> " << s;
      if (s.find('.') != std::string::npos) {
        ASSERT_NE(s.back(), '0') << s;
      }
    }
  }
}

TEST(NumbersTest, FormatFixedKeepsTheDecimalsAndDropsASignOnZero) {
  EXPECT_EQ(FormatFixed(1.0, 2), "1.00");
  EXPECT_EQ(FormatFixed(12.3456, 3), "12.346");
  EXPECT_EQ(FormatFixed(-3.14159, 2), "-3.14");
  EXPECT_EQ(FormatFixed(-0.004, 2), "0.00");
  EXPECT_EQ(FormatFixed(-0.0, 1), "0.0");
  EXPECT_EQ(FormatFixed(-0.5, 3), "-0.500");
}

}  // namespace
}  // namespace wlg
