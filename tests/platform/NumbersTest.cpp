// The number conversions behind every value shown and saved: halves to the
// even neighbour, huge values held at the limits rather than wrapped, text
// read the way the pattern files and entries need it.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/Numbers.h"

namespace wlg {
namespace {

TEST(NumbersTest, RoundingHeldAtTheLimits) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(9223372036854775808.0), std::numeric_limits<int64_t>::max());  // 2^63
  EXPECT_EQ(RoundHalfEvenToInt(-3e9), std::numeric_limits<int>::min());
  EXPECT_EQ(FloorToInt64(-1e300), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(FloorToInt64(std::nan("")), 0);
  EXPECT_DOUBLE_EQ(Val("1,5"), 1);                     // a comma ends the number
  EXPECT_EQ(FormatSingle(123456789.0f), "123456800");  // seven digits, no exponent
}

}  // namespace
}  // namespace wlg
