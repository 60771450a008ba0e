// The table behind the placed tiles and the colour overrides: it must read
// and copy like a vector made at its full size while storing only what was
// written.

#include <gtest/gtest.h>

#include "platform/GrowingTable.h"

namespace wlg {
namespace {

struct Slot {
  int value = 7;  // not zero, so a block left unconstructed shows
};
using Table = GrowingTable<Slot, 10000>;  // 4096 slots a block

TEST(GrowingTable, ReadsFullAndKeepsReferencesAndCopies) {
  Table a;
  const Table& view = a;
  EXPECT_EQ(view[9999].value, 7);
  EXPECT_EQ(a.Stored(), 0u);  // reading stores nothing
  Slot& first = a[1];
  first.value = 1;
  a[9999].value = 2;                // the last block, past unwritten ones
  EXPECT_EQ(&a[1], &first);         // earlier items did not move
  EXPECT_EQ(a[5000].value, 7);      // a block between is whole
  EXPECT_EQ(view[10000].value, 7);  // past the end reads as empty
  Table b;
  b[9000].value = 3;
  Slot& kept = b[9000];
  b = a;
  kept.value = 9;  // assigning keeps b's items in place
  EXPECT_EQ(b[9000].value, 9);
  EXPECT_EQ(b[9999].value, 2);
  a[9999].value = 4;
  EXPECT_EQ(b[9999].value, 2);  // a copy, not shared
  Table small;
  small[0].value = 5;
  b = small;
  EXPECT_EQ(b[9999].value, 7);  // what the copy lacks reads as empty
  b.swap(a);
  EXPECT_EQ(b[9999].value, 4);
  EXPECT_EQ(a[0].value, 5);
}

}  // namespace
}  // namespace wlg
