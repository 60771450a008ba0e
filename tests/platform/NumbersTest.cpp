#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>

#include "platform/Numbers.h"

namespace wlg {
namespace {

TEST(NumbersTest, RoundHalfEvenSendsHalvesToTheEvenNeighbour) {
  for (auto [v, want] :
       {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {2.5001, 3}})
    EXPECT_EQ(RoundHalfEven(v), want) << v;
}

TEST(NumbersTest, ConversionsHoldHugeValuesAtTheLimits) {
  constexpr int64_t lo = std::numeric_limits<int64_t>::min(),
                    hi = std::numeric_limits<int64_t>::max();
  EXPECT_EQ(RoundHalfEven(1e30), hi);
  EXPECT_EQ(RoundHalfEven(-1e30), lo);
  EXPECT_EQ(RoundHalfEven(9223372036854775808.0), hi);  // 2^63, just out of range
  EXPECT_EQ(RoundHalfEvenToInt(3e9), std::numeric_limits<int>::max());
  EXPECT_EQ(RoundHalfEvenToInt(-3e9), std::numeric_limits<int>::min());
  EXPECT_EQ(RoundHalfEvenToInt(-2.5), -2);
  EXPECT_EQ(FloorToInt64(-1e300), lo);
  EXPECT_EQ(FloorToInt64(-2.5), -3);
  EXPECT_EQ(FloorToInt64(std::nan("")), 0);
}

TEST(NumbersTest, ValReadsTheLongestLeadingNumber) {
  // Only "." separates decimals here; a comma ends the number.
  const std::pair<const char*, double> cases[] = {
      {" 12.5abc", 12.5}, {"abc", 0}, {"-", 0},     {"1.2.3", 1.2},
      {"  -.25x", -0.25}, {"1,5", 1}, {"12 34", 12}};
  for (auto [text, want] : cases) EXPECT_DOUBLE_EQ(Val(text), want) << text;
}

TEST(NumbersTest, FormatSingleGivesShortPlainText) {
  // More than seven significant digits are rounded away, not shown as exponent.
  const std::pair<float, const char*> cases[] = {
      {-37.25f, "-37.25"}, {-0.6666667f, "-0.6666667"}, {-0.0f, "0"},
      {0.0001f, "0.0001"}, {123456789.0f, "123456800"}, {1234.5678f, "1234.568"}};
  for (auto [v, want] : cases) EXPECT_EQ(FormatSingle(v), want) << v;
}

TEST(NumbersTest, FormatSingleNeverUsesAnExponentAndReadsBackClosely) {
  for (int i = -20000 * 8; i <= 20000 * 8; i += 997) {
    for (float v : {i / 8.0f, i / 100.0f, i / 7.0f, i / 100000.0f}) {
      const std::string s = FormatSingle(v);
      ASSERT_EQ(s.find_first_of("eE,"), std::string::npos) << v << " -> " << s;
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
  EXPECT_EQ(FormatFixed(12.3456, 3), "12.346");
  EXPECT_EQ(FormatFixed(-3.14159, 2), "-3.14");
  EXPECT_EQ(FormatFixed(-0.004, 2), "0.00");
  EXPECT_EQ(FormatFixed(-0.5, 3), "-0.500");
}

}  // namespace
}  // namespace wlg
