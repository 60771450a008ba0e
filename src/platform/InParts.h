#pragma once
// Work over 0..n split between the machine's cores, for the long steps of
// a save that a person waits for.

#include <algorithm>
#include <cstddef>
#include <string>
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

// Where to cut n items into parts of about equal weight, one per core and
// none lighter than 'least': 'before[i]' is the weight of the items before
// item i, before[n] the whole. The cuts run from 0 to n.
inline std::vector<size_t> CutsByWeight(const std::vector<size_t>& before, size_t least) {
  const size_t n = before.size() - 1, total = before.back();
  const size_t parts = std::clamp<size_t>(total / std::max<size_t>(least, 1), 1,
                                          std::max(1u, std::thread::hardware_concurrency()));
  std::vector<size_t> cuts{0};
  for (size_t k = 1; k < parts; ++k)
    cuts.push_back(static_cast<size_t>(
        std::lower_bound(before.begin(), before.end(), total * k / parts) - before.begin()));
  cuts.push_back(n);
  return cuts;
}

// Text for n items appended to 'out', written in parts side by side and
// joined in order: write(text, from, to) appends items from..to to text,
// the first part straight into 'out'. 'before' and 'least' as for CutsByWeight.
template <typename Write>
void TextInParts(std::string& out, const std::vector<size_t>& before, size_t least, Write&& write) {
  const std::vector<size_t> cuts = CutsByWeight(before, least);
  std::vector<std::string> texts(cuts.size() - 1);
  InParts(
      texts.size(),
      [&](size_t begin, size_t end, size_t) {
        for (size_t part = begin; part < end; ++part)
          write(part == 0 ? out : texts[part], cuts[part], cuts[part + 1]);
      },
      1);
  for (size_t part = 1; part < texts.size(); ++part) out += texts[part];
}

}  // namespace wlg
