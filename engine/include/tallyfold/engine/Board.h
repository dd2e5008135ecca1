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

// The masks of CombinationsBySum()[sum] whose count is `count`, in list order; empty when
// sum or count are out of range. This is what every candidate computation iterates.
std::span<const std::uint16_t> CombinationMasks(int sum, int count);

// Union of the combinations for (sum, length) that contain `used`, minus `used`.
unsigned ComboCandidateMask(int sum, int length, unsigned used);

unsigned RunCandidates(const Constraint& constraint);
unsigned CellCandidates(const TBoard& board, unsigned index);
bool PlaceDigit(TBoard& board, unsigned index, int digit);
bool AddConstraint(TBoard& board, unsigned clueIndex, unsigned sum, unsigned length,
                   int direction);

bool ParseDescription(std::string_view dimensionsLine, std::string_view unfillableLine,
                      std::string_view constraintsText, int constraintCount, TBoard& board);

// digitGrid: rows x columns values, -1 black, 1..9 white.
void BoardFromDigits(const std::vector<int>& digitGrid, unsigned rows, unsigned columns,
                     TBoard& board);

}  // namespace engine
