#pragma once
// The placed tiles of the tessellation. Item 0 is a scratch slot; items
// 1..TessCount form the tessellation; X == 0 marks an empty slot.

#include <array>

#include "platform/GrowingTable.h"

namespace wlg {

// Filling the plane by repetition needs room for sheets of tiles; the
// pattern file lists items by count, so files of up to 199 items are as
// they always were.
constexpr int MaxTessItems = 20000;
constexpr int TessCapacity = MaxTessItems + 1;  // indices 0..MaxTessItems
constexpr int OutlineCapacity = 39;

struct TessItem {
  float X = 0;
  float Y = 0;
  float Angle = 0;
  int Shape = 1;  // designer tile + 1
  bool Selected = false;
  float Scale = 2;
  bool Mirror = false;
  std::array<float, OutlineCapacity> OutlineX{};
  std::array<float, OutlineCapacity> OutlineY{};
};

struct TessState {
  GrowingTable<TessItem, TessCapacity> TessItems;
  int TessCount = 0;
  int EditItem = 0;

  // Empties items 1..TessCount (the designer's clear and "Clear All").
  void ClearItems() {
    for (int i = 1; i <= TessCount && i < TessCapacity; ++i) TessItems[i].X = 0;
    TessCount = 0;
  }
};

}  // namespace wlg
