#pragma once
// A table of Capacity items that reads as full of default items from the
// start but stores only the blocks written so far. Making one costs next to
// nothing (the parse fuzz target makes a program for every input), and a
// table of a few items stays a few blocks, even to copy (a fill works on a
// copy of the placed tiles, and a fold-up on a copy of the solid). Blocks never
// move, so a reference to an item stays valid while other items are
// written, as with a vector made at its full size.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

namespace wlg {

template <typename T, std::size_t Capacity>
class GrowingTable {
  // About 16 KB a block: one for a small design, and few enough for a full one.
  static constexpr std::size_t kBlock = std::bit_floor(std::max<std::size_t>(1, 16384 / sizeof(T)));
  static constexpr int kShift = std::countr_zero(kBlock);

 public:
  GrowingTable() = default;
  GrowingTable(const GrowingTable& other) { CopyBlocks(other); }
  GrowingTable& operator=(const GrowingTable& other) {
    if (this != &other) CopyBlocks(other);
    return *this;
  }
  GrowingTable(GrowingTable&&) noexcept = default;
  GrowingTable& operator=(GrowingTable&&) noexcept = default;

  static constexpr std::size_t size() { return Capacity; }
  // Items from here on were never written and read as default ones.
  std::size_t Stored() const { return std::min(blocks_.size() << kShift, Capacity); }

  const T& operator[](std::size_t i) const {
    const std::size_t b = i >> kShift;
    return b < blocks_.size() && i < Capacity ? blocks_[b][i & (kBlock - 1)] : kDefault;
  }
  T& operator[](std::size_t i) {
    const std::size_t b = i >> kShift;
    if (b >= blocks_.size() || i >= Capacity) [[unlikely]]
      Grow(i);
    return blocks_[b][i & (kBlock - 1)];
  }

  void swap(GrowingTable& other) noexcept { blocks_.swap(other.blocks_); }

 private:
  void Grow(std::size_t i) {
    if (i >= Capacity) std::abort();  // a slot the table never had: the caller's fault
    while (blocks_.size() <= (i >> kShift)) blocks_.push_back(std::make_unique<T[]>(kBlock));
  }
  // Blocks this table has beyond the other's are emptied, not freed, so
  // references into them stay valid as they would in a vector.
  void CopyBlocks(const GrowingTable& other) {
    while (blocks_.size() < other.blocks_.size()) blocks_.push_back(std::make_unique<T[]>(kBlock));
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
      if (b < other.blocks_.size())
        std::copy_n(other.blocks_[b].get(), kBlock, blocks_[b].get());
      else
        std::fill_n(blocks_[b].get(), kBlock, T{});
    }
  }

  static inline const T kDefault{};
  std::vector<std::unique_ptr<T[]>> blocks_;
};

}  // namespace wlg
