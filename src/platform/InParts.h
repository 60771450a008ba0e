#pragma once
// Work over 0..n split between the machine's cores, for the long steps of
// a save that a person waits for.

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

namespace wlg {

// Runs body(begin, end, part) over 0..n in as many parts as the machine has
// cores, none smaller than 'least'; the parts write to their own entries
// only.
template <typename Body>
void InParts(size_t n, Body&& body, size_t least = 2000) {
  const size_t parts = std::clamp<size_t>(std::thread::hardware_concurrency(), 1,
                                          std::max<size_t>(1, n / std::max<size_t>(least, 1)));
  if (parts <= 1) {
    body(size_t{0}, n, size_t{0});
    return;
  }
  std::vector<std::thread> threads;
  for (size_t p = 0; p < parts; ++p)
    threads.emplace_back([&, p] { body(n * p / parts, n * (p + 1) / parts, p); });
  for (std::thread& t : threads) t.join();
}

}  // namespace wlg
