#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace engine {

// Masks use bits 1..9 for the digits; the subset tables below index them by bits 0..8.

// Bit counts of 10-bit masks. The portable x86-64 baseline has no popcount instruction,
// and the library call it falls back to dominated the solver's profile.
inline constexpr auto kBitCounts = [] {
  std::array<std::uint8_t, 1024> counts{};
  for (unsigned i = 1; i < 1024; ++i) counts[i] = static_cast<std::uint8_t>(counts[i >> 1] + (i & 1));
  return counts;
}();

inline int BitCount(unsigned mask) { return kBitCounts[mask & 0x3FF]; }

// Walks the subsets of `set` (9-bit) in increasing order.
template <typename Visit>
inline void ForEachSubset(unsigned set, Visit&& visit) {
  unsigned s = 0;
  do {
    visit(s);
    s = (s - set) & set;
  } while (s != 0);
}

// True when cell j (0..count-1) can take a digit of cellMasks[j], all distinct, so that
// together they use exactly the digits of `digits` (which holds `count` digits).
inline bool CanAssignAll(const unsigned* cellMasks, int count, unsigned digits) {
  const unsigned set = (digits >> 1) & 0x1FF;
  std::array<std::uint8_t, 512> reach;
  ForEachSubset(set, [&](unsigned s) { reach[s] = 0; });
  reach[0] = 1;
  bool complete = false;
  ForEachSubset(set, [&](unsigned s) {
    if (!reach[s] || complete) return;
    const int j = BitCount(s);
    if (j == count) {
      complete = s == set;
      return;
    }
    for (unsigned free = (cellMasks[j] >> 1) & set & ~s; free; free &= free - 1) {
      reach[s | (free & (0u - free))] = 1;
    }
  });
  return complete || (count == 0 && set == 0);
}

}  // namespace engine
