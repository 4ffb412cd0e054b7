// A stable sort of (64-bit key, value) pairs by key, a byte at a time from
// the lowest, for the gateway's bulk builds: ids and slot numbers share most
// of their high bytes, and a byte that every key shares costs no pass.
// Linear in the number of pairs, where a comparison sort of a million pairs
// would take several times as long.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

template <class Value>
void StableRadixSortByKey(std::vector<std::pair<std::uint64_t, Value>>& pairs) {
  if (pairs.size() < 2) return;
  constexpr int kBytes = 8;
  std::array<std::array<std::size_t, 256>, kBytes> counts{};
  for (const auto& p : pairs) {
    for (int b = 0; b < kBytes; ++b) ++counts[b][(p.first >> (8 * b)) & 0xFF];
  }
  std::vector<std::pair<std::uint64_t, Value>> scratch(pairs.size());
  for (int b = 0; b < kBytes; ++b) {
    std::array<std::size_t, 256>& count = counts[b];
    const std::uint64_t shared = (pairs.front().first >> (8 * b)) & 0xFF;
    if (count[shared] == pairs.size()) continue;
    std::size_t at = 0;
    for (std::size_t& c : count) at += std::exchange(c, at);
    for (auto& p : pairs) scratch[count[(p.first >> (8 * b)) & 0xFF]++] = std::move(p);
    pairs.swap(scratch);
  }
}
