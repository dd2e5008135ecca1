// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace engine {

inline constexpr int kMaxCells = 9;

// Masks use bits 1..9 for the digits; the subset tables below index them by bits 0..8.

// Bit counts of 10-bit masks. The portable x86-64 baseline has no popcount instruction,
// and the library call it falls back to dominated the solver's profile.
inline constexpr auto kBitCounts = [] {
    std::array<std::uint8_t, 1024> counts{};
    for (unsigned i = 1; i < 1024; ++i) counts[i] = static_cast<std::uint8_t>(counts[i >> 1] + (i & 1));
    return counts;
}();

inline int BitCount(unsigned mask) { return kBitCounts[mask & 0x3FF]; }

// Digit sums of 9-bit subsets (bit k standing for digit k + 1).
inline constexpr auto kSubsetSums = [] {
    std::array<std::uint8_t, 512> sums{};
    for (unsigned i = 1; i < 512; ++i) {
        const unsigned low = i & (0u - i);
        sums[i] = static_cast<std::uint8_t>(sums[i ^ low] + std::countr_zero(low) + 1);
    }
    return sums;
}();

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
    unsigned reachable = 0;
    bool everyCellTakesAny = true;
    for (int j = 0; j < count; ++j) {
        const unsigned fits = cellMasks[j] & digits;
        if (fits == 0) return false;
        reachable |= fits;
        everyCellTakesAny = everyCellTakesAny && fits == digits;
    }
    if (reachable != digits) return false;
    if (everyCellTakesAny) return true;

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
    return complete;
}

}  // namespace engine

namespace engine {

// Cells 0..count-1 must take distinct digits from cellMasks[j] (all within `digits`, which
// holds exactly `count` digits). Adds to support[j] every digit that cell j takes in some
// complete placement; false when there is none. A digit v is possible for cell j when,
// starting from one placement, the cell holding v can hand it over along a chain of
// cells that each move to another digit they allow, ending at j's old digit.
inline bool MatchingSupport(const unsigned* cellMasks, int count, unsigned digits, unsigned* support) {
    int owner[10];
    unsigned match[kMaxCells];
    for (int& o : owner) o = -1;
    unsigned visited = 0;
    auto augment = [&](auto&& self, int cell) -> bool {
        for (unsigned free = cellMasks[cell] & ~visited; free; free &= free - 1) {
            const unsigned bit = free & (0u - free);
            visited |= bit;
            const int digit = std::countr_zero(bit);
            if (owner[digit] < 0 || self(self, owner[digit])) {
                owner[digit] = cell;
                match[cell] = bit;
                return true;
            }
        }
        return false;
    };
    for (int j = 0; j < count; ++j) {
        visited = 0;
        if (!augment(augment, j)) return false;
    }

    // reach[d]: digits whose holder can be displaced, directly or through a chain, once
    // digit d is taken away from its holder.
    unsigned reach[10] = {};
    for (int j = 0; j < count; ++j) reach[std::countr_zero(match[j])] = cellMasks[j] & ~match[j];
    for (unsigned k = digits; k; k &= k - 1) {
        const int via = std::countr_zero(k);
        const unsigned viaBit = 1u << via;
        for (unsigned u = digits; u; u &= u - 1) {
            const int from = std::countr_zero(u);
            if (reach[from] & viaBit) reach[from] |= reach[via];
        }
    }
    for (int j = 0; j < count; ++j) {
        unsigned possible = match[j];
        for (unsigned other = cellMasks[j] & ~match[j]; other; other &= other - 1) {
            const unsigned bit = other & (0u - other);
            if (reach[std::countr_zero(bit)] & match[j]) possible |= bit;
        }
        support[j] |= possible;
    }
    return true;
}

}  // namespace engine
