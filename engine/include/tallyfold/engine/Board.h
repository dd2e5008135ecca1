// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace engine {

inline constexpr int kDown = 0;
inline constexpr int kAcross = 1;

// Cell values of a TBoard.
inline constexpr int kUncovered = -2;
inline constexpr int kBlack = -1;
inline constexpr int kEmpty = 0;

inline constexpr int kNoLink = -1;
inline constexpr unsigned kMaxSum = 45;
inline constexpr unsigned kMaxRunLength = 9;
inline constexpr unsigned kAllDigits = 0x3FE;  // bits 1..9

// Larger boards are refused outright: a typed-in "4000000000 2" must not become a
// multi-gigabyte allocation, and the game itself never goes beyond 14.
inline constexpr unsigned kMaxDimension = 100;

struct Constraint {
    unsigned length = 0;
    unsigned sum = 0;
    unsigned used = 0;
    unsigned clue = 0;  // the clue cell
    int direction = kAcross;
    // A typed-in clue above 45, as it was given; `sum` then holds 0, which no run of one
    // cell or more can make, so that every solver meets a run without solutions instead
    // of a sum beyond its tables.
    unsigned long long statedSum = 0;
};

struct TBoard {
    unsigned rows = 0;
    unsigned columns = 0;
    unsigned cellCount = 0;
    std::vector<int> cells;
    // Per cell: [kDown], [kAcross] index into constraints, or kNoLink.
    std::vector<std::array<int, 2>> links;
    std::vector<Constraint> constraints;

    // Every cell kUncovered, no links, no constraints.
    void Resize(unsigned rows, unsigned columns);

    Constraint* Link(unsigned index, int direction) {
        int c = links[index][direction];
        return c == kNoLink ? nullptr : &constraints[static_cast<std::size_t>(c)];
    }
    const Constraint* Link(unsigned index, int direction) const {
        int c = links[index][direction];
        return c == kNoLink ? nullptr : &constraints[static_cast<std::size_t>(c)];
    }
};

struct SumCombination {
    int count = 0;
    int sum = 0;
    int mask = 0;
};

using CombinationTable = std::array<std::vector<SumCombination>, kMaxSum + 1>;

// All 512 subsets of 1..9 by sum, each list in increasing mask order. Built on first use.
const CombinationTable& CombinationsBySum();
void BuildCombinations();

namespace detail {
// The catalogue regrouped by (sum, count) at compile time, so that the hot loops of the
// filler and the solver pay neither a call nor a first-use check for it.
struct MaskIndex {
    std::array<std::uint16_t, 512> masks{};
    std::array<std::array<std::uint16_t, kMaxRunLength + 1>, kMaxSum + 1> start{};
    std::array<std::array<std::uint16_t, kMaxRunLength + 1>, kMaxSum + 1> size{};
};

inline constexpr MaskIndex kMaskIndex = [] {
    MaskIndex index;
    std::array<unsigned, 512> sums{};
    std::array<unsigned, 512> counts{};
    for (unsigned i = 0; i < 512; ++i) {
        for (unsigned d = 1; d <= 9; ++d) {
            if (i & (1u << (d - 1))) {
                sums[i] += d;
                ++counts[i];
            }
        }
        ++index.size[sums[i]][counts[i]];
    }
    std::uint16_t next = 0;
    for (unsigned sum = 0; sum <= kMaxSum; ++sum) {
        for (unsigned count = 0; count <= kMaxRunLength; ++count) {
            index.start[sum][count] = next;
            next = static_cast<std::uint16_t>(next + index.size[sum][count]);
        }
    }
    std::array<std::array<std::uint16_t, kMaxRunLength + 1>, kMaxSum + 1> filled{};
    for (unsigned i = 0; i < 512; ++i) {
        const unsigned sum = sums[i], count = counts[i];
        index.masks[index.start[sum][count] + filled[sum][count]++] = static_cast<std::uint16_t>(2 * i);
    }
    return index;
}();
}  // namespace detail

// The masks of CombinationsBySum()[sum] whose count is `count`, in list order; empty when
// sum or count are out of range. This is what every candidate computation iterates.
inline std::span<const std::uint16_t> CombinationMasks(int sum, int count) {
    if (sum < 0 || sum > static_cast<int>(kMaxSum) || count < 0 || count > static_cast<int>(kMaxRunLength)) {
        return {};
    }
    const auto s = static_cast<std::size_t>(sum);
    const auto c = static_cast<std::size_t>(count);
    return {detail::kMaskIndex.masks.data() + detail::kMaskIndex.start[s][c], detail::kMaskIndex.size[s][c]};
}

// Union of the combinations for (sum, length) that contain `used`, minus `used`.
unsigned ComboCandidateMask(int sum, int length, unsigned used);

unsigned RunCandidates(const Constraint& constraint);
unsigned CellCandidates(const TBoard& board, unsigned index);
bool PlaceDigit(TBoard& board, unsigned index, int digit);
bool AddConstraint(TBoard& board, unsigned clueIndex, unsigned sum, unsigned length, int direction);

bool ParseDescription(std::string_view dimensionsLine, std::string_view unfillableLine,
                      std::string_view constraintsText, int constraintCount, TBoard& board);

// A clue that no set of distinct digits makes: a sum above 45, a sum that `length`
// different digits cannot add up to, or a sum over no cells at all.
struct ImpossibleClue {
    unsigned cell = 0;
    int direction = kAcross;
    unsigned long long sum = 0;
    unsigned length = 0;
};

// The first impossible clue in clue-cell order (down before across); false when there is
// none. A board with one has no solution, whatever its other clues.
bool FindImpossibleClue(const TBoard& board, ImpossibleClue& out);

// digitGrid: rows x columns values, -1 black, 1..9 white.
void BoardFromDigits(const std::vector<int>& digitGrid, unsigned rows, unsigned columns, TBoard& board);

}  // namespace engine
