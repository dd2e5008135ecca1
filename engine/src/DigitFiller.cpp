#include "tallyfold/engine/DigitFiller.h"

#include <bit>

#include "Assign.h"
#include "tallyfold/engine/Diagnostics.h"

namespace engine {
namespace {

constexpr int kFirstSum = 3;
constexpr int kMaxOrderingsPerCombination = 100;

}  // namespace

DigitFiller::DigitFiller(const Template& layout, Random& random)
    : layout_(layout), random_(random), rows_(layout.rows), columns_(layout.columns) {
  runCells_.resize(layout.runs.size());
  for (unsigned index = 0; index < layout.links.size(); ++index) {
    for (int direction : {kDown, kAcross}) {
      int run = layout.links[index][direction];
      if (run >= 0) runCells_[static_cast<std::size_t>(run)].push_back(index);
    }
  }
  digits.resize(layout.cellCount);
  for (unsigned i = 0; i < layout.cellCount; ++i) digits[i] = layout.cells[i] == 0 ? 0 : -1;
  allowed.assign(layout.cellCount, kAllDigits);
}

std::vector<unsigned> DigitFiller::RunCells(int run) const { return CellsOf(run); }

unsigned DigitFiller::UsedDigits(int run) const {
  unsigned used = 0;
  for (unsigned cell : CellsOf(run)) {
    if (digits[cell] > 0) used |= 1u << digits[cell];
  }
  return used;
}

unsigned DigitFiller::ComboCandidates(int sum, int run, unsigned used) const {
  return ComboCandidateMask(sum, static_cast<int>(layout_.runs[static_cast<std::size_t>(run)].length),
                            used);
}

void DigitFiller::SetFillerDigit(unsigned cell, int digit) {
  digits[cell] = digit;
  if (digit == 0) return;
  unsigned keep = ~(1u << digit);
  allowed[cell] &= keep;
  for (int direction : {kDown, kAcross}) {
    int run = layout_.links[cell][direction];
    if (run < 0) continue;
    for (unsigned other : CellsOf(run)) allowed[other] &= keep;
  }
}

bool DigitFiller::NoSwapCycle(unsigned R, unsigned C) const {
  return VerticalSwapFree(R, C) && HorizontalSwapFree(R, C);
}

// Rows i and R of an open rectangle can trade digits when following "the column where
// row R holds row i's digit" leads back to column C: that permutation keeps every run's
// digit set, so the clues would admit a second solution.
bool DigitFiller::VerticalSwapFree(unsigned R, unsigned C) const {
  const unsigned lastRow = rows_ - 1;
  const unsigned lastColumn = columns_ - 1;
  unsigned top = R;
  while (top > 1 && Open(top - 1, C)) --top;
  unsigned bottom = R;
  while (bottom < lastRow && Open(bottom + 1, C)) ++bottom;

  for (unsigned i = top; i <= bottom; ++i) {
    if (i == R) continue;
    const unsigned from = i < R ? i + 1 : R;
    const unsigned to = i < R ? R : i - 1;
    auto columnOpen = [&](unsigned x) {
      if (!Open(i, x)) return false;
      for (unsigned y = from; y <= to; ++y) {
        if (!Open(y, x)) return false;
      }
      return true;
    };
    unsigned left = C;
    while (left > 1 && columnOpen(left - 1)) --left;
    unsigned right = C;
    while (right < lastColumn && columnOpen(right + 1)) ++right;

    const int* rowI = &digits[i * columns_];
    const int* rowR = &digits[R * columns_];
    int v = rowI[C];
    for (unsigned steps = 0; v != 0 && steps <= right - left + 1; ++steps) {
      unsigned x = left;
      while (x <= right && rowR[x] != v) ++x;
      if (x > right) break;
      if (x == C) return false;
      v = rowI[x];
    }
  }
  return true;
}

bool DigitFiller::HorizontalSwapFree(unsigned R, unsigned C) const {
  const unsigned lastRow = rows_ - 1;
  const unsigned lastColumn = columns_ - 1;
  unsigned left = C;
  while (left > 1 && Open(R, left - 1)) --left;
  unsigned right = C;
  while (right < lastColumn && Open(R, right + 1)) ++right;

  for (unsigned j = left; j <= right; ++j) {
    if (j == C) continue;
    const unsigned from = j < C ? j + 1 : C;
    const unsigned to = j < C ? C : j - 1;
    auto rowOpen = [&](unsigned y) {
      if (!Open(y, j)) return false;
      for (unsigned x = from; x <= to; ++x) {
        if (!Open(y, x)) return false;
      }
      return true;
    };
    unsigned top = R;
    while (top > 1 && rowOpen(top - 1)) --top;
    unsigned bottom = R;
    while (bottom < lastRow && rowOpen(bottom + 1)) ++bottom;

    int v = digits[R * columns_ + j];
    for (unsigned steps = 0; v != 0 && steps <= bottom - top + 1; ++steps) {
      unsigned y = top;
      while (y <= bottom && digits[y * columns_ + C] != v) ++y;
      if (y > bottom) break;
      if (y == R) return false;
      v = digits[y * columns_ + j];
    }
  }
  return true;
}

// Can the rest of `run` still reach `sum` once `digit` stands in `cell`, with every
// digit where `allowed` still permits it?
bool DigitFiller::RestCanReach(int run, unsigned cell, int sum, int digit) const {
  int rem = sum - digit;
  unsigned emptyAllowed[kMaxRunLength];
  int empties = 0;
  for (unsigned other : CellsOf(run)) {
    if (other == cell) continue;
    if (digits[other] > 0) {
      rem -= digits[other];
    } else if (empties < static_cast<int>(kMaxRunLength)) {
      emptyAllowed[empties++] = allowed[other];
    }
  }
  if (empties == 0) return true;
  const unsigned digitBit = 1u << digit;
  for (std::uint16_t combo : CombinationMasks(rem, empties)) {
    if (combo & digitBit) continue;
    if (CanAssignAll(emptyAllowed, empties, combo)) return true;
  }
  return false;
}

void DigitFiller::CollectOrderings(const std::vector<unsigned>& empties, unsigned combo) {
  const int count = static_cast<int>(empties.size());
  Ordering ordering{};
  int kept = 0;
  // Depth-first with digits in increasing order visits the orderings in lexicographic
  // order, skipping whole branches that a plain permutation walk would test one by one.
  auto walk = [&](auto&& self, int position, unsigned remaining) -> void {
    if (kept >= kMaxOrderingsPerCombination) return;
    if (position == count) {
      options_.push_back(ordering);
      ++kept;
      return;
    }
    unsigned fits = remaining & allowed[empties[static_cast<std::size_t>(position)]];
    while (fits && kept < kMaxOrderingsPerCombination) {
      int digit = std::countr_zero(fits);
      fits &= fits - 1;
      ordering[static_cast<std::size_t>(position)] = static_cast<std::uint8_t>(digit);
      self(self, position + 1, remaining & ~(1u << digit));
    }
  };
  walk(walk, 0, combo);
}

void DigitFiller::CompleteRun(int run, int target, unsigned r, unsigned c) {
  int rem = target;
  std::vector<unsigned> empties;
  for (unsigned cell : CellsOf(run)) {
    if (digits[cell] > 0) {
      rem -= digits[cell];
    } else {
      empties.push_back(cell);
    }
  }
  if (empties.empty()) return;
  random_.Shuffle(empties);

  options_.clear();
  for (std::uint16_t combo : CombinationMasks(rem, static_cast<int>(empties.size()))) {
    CollectOrderings(empties, combo);
  }

  while (!options_.empty()) {
    std::size_t pick = static_cast<std::size_t>(random_.RandomBelow(static_cast<int>(options_.size())));
    const Ordering option = options_[pick];
    bool fits = true;
    for (std::size_t k = 0; k < empties.size() && fits; ++k) {
      unsigned cell = empties[k];
      SetFillerDigit(cell, option[k]);
      fits = NoSwapCycle(cell / columns_, cell % columns_);
    }
    if (fits && NoSwapCycle(r, c)) return;
    for (unsigned cell : empties) SetFillerDigit(cell, 0);
    options_.erase(options_.begin() + static_cast<std::ptrdiff_t>(pick));
  }
}

bool DigitFiller::FillDigits() {
  for (unsigned i = 0; i < layout_.cellCount; ++i) digits[i] = layout_.cells[i] == 0 ? 0 : -1;
  allowed.assign(layout_.cellCount, kAllDigits);

  std::vector<unsigned> pending;
  for (unsigned r = 1; r < rows_; ++r) {
    for (unsigned c = 1; c < columns_; ++c) {
      if (digits[r * columns_ + c] == 0) pending.push_back(r * columns_ + c);
    }
  }
  random_.Shuffle(pending);

  // Per cell, each test depends on one digit and at most one of the two sums, while the
  // pair loop below asks for it up to 43 times: remember the answers.
  enum : std::uint8_t { kUnknown = 0, kPass = 1, kFail = 2 };
  std::array<std::uint8_t, 10> swapTest{};
  std::array<std::array<std::uint8_t, 10>, kMaxSum + 1> downTest{};
  std::array<std::array<std::uint8_t, 10>, kMaxSum + 1> acrossTest{};
  std::array<unsigned, kMaxSum + 1> acrossCandidates{};

  while (!pending.empty()) {
    const unsigned cell = pending.back();
    pending.pop_back();
    if (digits[cell] != 0) continue;
    const unsigned r = cell / columns_;
    const unsigned c = cell % columns_;
    const int downRun = layout_.links[cell][kDown];
    const int acrossRun = layout_.links[cell][kAcross];
    if (downRun < 0 || acrossRun < 0) return false;

    const unsigned usedDown = UsedDigits(downRun);
    const unsigned usedAcross = UsedDigits(acrossRun);
    swapTest.fill(kUnknown);
    for (auto& row : downTest) row.fill(kUnknown);
    for (auto& row : acrossTest) row.fill(kUnknown);
    for (int sA = kFirstSum; sA <= static_cast<int>(kMaxSum); ++sA) {
      acrossCandidates[static_cast<std::size_t>(sA)] = ComboCandidates(sA, acrossRun, usedAcross);
    }

    auto passes = [&](std::uint8_t& memo, auto&& test) {
      if (memo == kUnknown) memo = test() ? kPass : kFail;
      return memo == kPass;
    };

    int best = 999;
    choices_.clear();
    for (int sD = kFirstSum; sD <= static_cast<int>(kMaxSum); ++sD) {
      const unsigned candDown = ComboCandidates(sD, downRun, usedDown);
      if (candDown == 0) continue;
      for (int sA = kFirstSum; sA <= static_cast<int>(kMaxSum); ++sA) {
        const unsigned both = candDown & acrossCandidates[static_cast<std::size_t>(sA)];
        const int n = BitCount(both);
        if (n == 0 || n > best) continue;
        unsigned good = 0;
        for (unsigned rest = both; rest; rest &= rest - 1) {
          const int d = std::countr_zero(rest);
          const auto ud = static_cast<std::size_t>(d);
          const bool swapFree = passes(swapTest[ud], [&] {
            digits[cell] = d;
            bool free = NoSwapCycle(r, c);
            digits[cell] = 0;
            return free;
          });
          if (!swapFree) continue;
          if (!passes(downTest[static_cast<std::size_t>(sD)][ud],
                      [&] { return RestCanReach(downRun, cell, sD, d); })) {
            continue;
          }
          if (!passes(acrossTest[static_cast<std::size_t>(sA)][ud],
                      [&] { return RestCanReach(acrossRun, cell, sA, d); })) {
            continue;
          }
          good |= 1u << d;
        }
        const int g = BitCount(good);
        if (g == 0 || g > best) continue;
        if (g < best) {
          choices_.clear();
          best = g;
        }
        for (unsigned rest = good; rest; rest &= rest - 1) {
          choices_.push_back({sD, sA, std::countr_zero(rest)});
        }
      }
    }
    if (choices_.empty()) return false;

    const Choice choice =
        choices_[static_cast<std::size_t>(random_.RandomBelow(static_cast<int>(choices_.size())))];
    SetFillerDigit(cell, choice.digit);
    CompleteRun(downRun, choice.downSum, r, c);
    CompleteRun(acrossRun, choice.acrossSum, r, c);
  }
  return true;
}

}  // namespace engine
