// SPDX-License-Identifier: GPL-3.0-or-later
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
    // Lengths of the open stretches ending at each cell, looking up, down, left and right.
    openUp_.assign(layout.cellCount, 0);
    openDown_.assign(layout.cellCount, 0);
    openLeft_.assign(layout.cellCount, 0);
    openRight_.assign(layout.cellCount, 0);
    auto open = [&](unsigned r, unsigned c) { return layout.cells[r * columns_ + c] == 0; };
    for (unsigned r = 0; r < rows_; ++r) {
        for (unsigned c = 0; c < columns_; ++c) {
            if (!open(r, c)) continue;
            openUp_[r * columns_ + c] = static_cast<std::uint8_t>(1 + (r > 0 ? openUp_[(r - 1) * columns_ + c] : 0));
            openLeft_[r * columns_ + c] = static_cast<std::uint8_t>(1 + (c > 0 ? openLeft_[r * columns_ + c - 1] : 0));
        }
    }
    for (unsigned r = rows_; r-- > 0;) {
        for (unsigned c = columns_; c-- > 0;) {
            if (!open(r, c)) continue;
            openDown_[r * columns_ + c] =
                static_cast<std::uint8_t>(1 + (r + 1 < rows_ ? openDown_[(r + 1) * columns_ + c] : 0));
            openRight_[r * columns_ + c] =
                static_cast<std::uint8_t>(1 + (c + 1 < columns_ ? openRight_[r * columns_ + c + 1] : 0));
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
    return ComboCandidateMask(sum, static_cast<int>(layout_.runs[static_cast<std::size_t>(run)].length), used);
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
        if (i == R || digits[i * columns_ + C] == 0) continue;
        // Column x joins the rectangle when rows i..R are all open in it.
        const unsigned height = (i < R ? R - i : i - R) + 1;
        const std::uint8_t* stretch = i < R ? &openUp_[R * columns_] : &openDown_[R * columns_];
        auto columnOpen = [&](unsigned x) { return stretch[x] >= height; };
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
        if (j == C || digits[R * columns_ + j] == 0) continue;
        const unsigned width = (j < C ? C - j : j - C) + 1;
        const std::vector<std::uint8_t>& stretch = j < C ? openLeft_ : openRight_;
        auto rowOpen = [&](unsigned y) { return stretch[y * columns_ + C] >= width; };
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

namespace {

// ComboCandidates for every sum at once.
void CandidatesBySum(int length, unsigned used, std::array<unsigned, kMaxSum + 1>& out) {
    for (int sum = 0; sum <= static_cast<int>(kMaxSum); ++sum) {
        unsigned all = 0;
        for (std::uint16_t mask : CombinationMasks(sum, length)) {
            if ((mask & used) == used) all |= mask;
        }
        out[static_cast<std::size_t>(sum)] = all & ~used & 0x3FF;
    }
}

}  // namespace

// Of the candidate digits d per run sum: those for which the rest of the run can still be
// completed, with every digit where `allowed` permits it.
void DigitFiller::RestMasks(int run, unsigned cell, const std::array<unsigned, kMaxSum + 1>& candidates,
                            std::array<unsigned, kMaxSum + 1>& ok) const {
    int placed = 0;
    unsigned emptyAllowed[kMaxRunLength];
    int empties = 0;
    for (unsigned other : CellsOf(run)) {
        if (other == cell) continue;
        if (digits[other] > 0) {
            placed += digits[other];
        } else if (empties < static_cast<int>(kMaxRunLength)) {
            emptyAllowed[empties++] = allowed[other];
        }
    }
    if (empties == 0) {
        ok = candidates;
        return;
    }
    // avoid[rest]: digits left out by some placeable set of digits for the empties that
    // sums to rest. The cell's digit must be one of those, or the run would repeat it.
    std::array<unsigned, kMaxSum + 1> avoid{};
    if (empties == 1) {
        for (unsigned free = emptyAllowed[0]; free; free &= free - 1) {
            const unsigned bit = free & (0u - free);
            avoid[static_cast<std::size_t>(std::countr_zero(bit))] |= ~bit & kAllDigits;
        }
    } else if (empties == 2) {
        for (unsigned first = emptyAllowed[0]; first; first &= first - 1) {
            const unsigned a = first & (0u - first);
            for (unsigned second = emptyAllowed[1] & ~a; second; second &= second - 1) {
                const unsigned b = second & (0u - second);
                avoid[static_cast<std::size_t>(std::countr_zero(a) + std::countr_zero(b))] |= ~(a | b) & kAllDigits;
            }
        }
    } else {
        // Placeable sets are grown cell by cell; a set reached twice is kept once.
        std::array<std::uint64_t, 8> seen{};
        std::array<std::uint16_t, 512> layer;
        std::array<std::uint16_t, 512> next;
        std::size_t layerSize = 1;
        layer[0] = 0;
        for (int j = 0; j < empties; ++j) {
            const unsigned fits = emptyAllowed[j] >> 1;
            std::size_t nextSize = 0;
            for (std::size_t k = 0; k < layerSize; ++k) {
                const unsigned set = layer[k];
                for (unsigned free = fits & ~set; free; free &= free - 1) {
                    const unsigned grown = set | (free & (0u - free));
                    std::uint64_t& word = seen[grown >> 6];
                    const std::uint64_t bit = std::uint64_t{1} << (grown & 63);
                    if (word & bit) continue;
                    word |= bit;
                    next[nextSize++] = static_cast<std::uint16_t>(grown);
                }
            }
            layer.swap(next);
            layerSize = nextSize;
        }
        for (std::size_t k = 0; k < layerSize; ++k) {
            avoid[kSubsetSums[layer[k]]] |= ~(static_cast<unsigned>(layer[k]) << 1) & kAllDigits;
        }
    }
    for (int sum = 0; sum <= static_cast<int>(kMaxSum); ++sum) {
        unsigned mask = 0;
        for (unsigned free = candidates[static_cast<std::size_t>(sum)]; free; free &= free - 1) {
            const int d = std::countr_zero(free);
            const int rest = sum - d - placed;
            if (rest >= 0 && rest <= static_cast<int>(kMaxSum) && (avoid[static_cast<std::size_t>(rest)] & (1u << d))) {
                mask |= 1u << d;
            }
        }
        ok[static_cast<std::size_t>(sum)] = mask;
    }
}

// Of `digits`, those that the cell can take without opening a swap cycle; each digit is
// tested once per cell.
unsigned DigitFiller::SwapFreeAmong(SwapMemo& memo, unsigned digits) {
    for (unsigned untested = digits & ~memo.tested; untested; untested &= untested - 1) {
        const unsigned bit = untested & (0u - untested);
        this->digits[memo.cell] = std::countr_zero(bit);
        if (NoSwapCycle(memo.r, memo.c)) memo.free |= bit;
        this->digits[memo.cell] = 0;
        memo.tested |= bit;
    }
    return memo.free;
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
    return FillPending(pending);
}

bool DigitFiller::Redraw(std::vector<unsigned> cells) {
    for (unsigned cell : cells) {
        if (cell < digits.size() && digits[cell] > 0) digits[cell] = 0;
    }
    std::erase_if(cells, [&](unsigned cell) { return cell >= digits.size() || digits[cell] != 0; });
    // The digits that stay are all the rule needs: a fresh fill would have struck exactly
    // these from the empty cells by now.
    for (unsigned cell : cells) {
        allowed[cell] = kAllDigits;
        for (int direction : {kDown, kAcross}) {
            const int run = layout_.links[cell][direction];
            if (run >= 0) allowed[cell] &= ~UsedDigits(run);
        }
    }
    random_.Shuffle(cells);
    return FillPending(cells);
}

bool DigitFiller::FillPending(std::vector<unsigned>& pending) {
    std::array<unsigned, kMaxSum + 1> downCandidates{};
    std::array<unsigned, kMaxSum + 1> acrossCandidates{};
    std::array<unsigned, kMaxSum + 1> downRest{};
    std::array<unsigned, kMaxSum + 1> acrossRest{};

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
        CandidatesBySum(static_cast<int>(layout_.runs[static_cast<std::size_t>(downRun)].length), usedDown,
                        downCandidates);
        CandidatesBySum(static_cast<int>(layout_.runs[static_cast<std::size_t>(acrossRun)].length), usedAcross,
                        acrossCandidates);
        // Every test below depends on the digit and at most one of the two sums, while the
        // pair loop asks for it up to 43 times: the run tests are tabled per sum up front,
        // the swap test is run once per digit on first need.
        RestMasks(downRun, cell, downCandidates, downRest);
        RestMasks(acrossRun, cell, acrossCandidates, acrossRest);
        // Pairs whose sums leave no digit passing both run tests add no choice whatever their
        // candidate count, so only sums with such digits are visited.
        int acrossSums[kMaxSum + 1];
        unsigned acrossOk[kMaxSum + 1];
        unsigned acrossAny[kMaxSum + 1];
        int acrossSumCount = 0;
        for (int sum = kFirstSum; sum <= static_cast<int>(kMaxSum); ++sum) {
            const auto s = static_cast<std::size_t>(sum);
            if (acrossRest[s] == 0) continue;
            acrossSums[acrossSumCount] = sum;
            acrossOk[acrossSumCount] = acrossRest[s];
            acrossAny[acrossSumCount++] = acrossCandidates[s];
        }
        SwapMemo swap{cell, r, c, 0, 0};
        // A sum that only one set of digits makes gives the whole run away to the solver. The
        // fewest candidates keep the fill unique and come first; among choices that leave
        // as many, those without such a sum win. Counts are doubled to make room for that.
        const int downLength = static_cast<int>(layout_.runs[static_cast<std::size_t>(downRun)].length);
        const int acrossLength = static_cast<int>(layout_.runs[static_cast<std::size_t>(acrossRun)].length);
        auto giveAway = [](int sum, int length) { return static_cast<int>(CombinationMasks(sum, length).size() == 1); };
        int acrossCost[kMaxSum + 1];
        for (int a = 0; a < acrossSumCount; ++a) acrossCost[a] = giveAway(acrossSums[a], acrossLength);

        int best = 999;
        choices_.clear();
        for (int sD = kFirstSum; sD <= static_cast<int>(kMaxSum); ++sD) {
            const unsigned downOk = downRest[static_cast<std::size_t>(sD)];
            if (downOk == 0) continue;
            const unsigned candDown = downCandidates[static_cast<std::size_t>(sD)];
            const int downCost = giveAway(sD, downLength);
            for (int a = 0; a < acrossSumCount; ++a) {
                unsigned good = downOk & acrossOk[a];
                const int cost = downCost + acrossCost[a];
                if (good == 0 || 2 * BitCount(candDown & acrossAny[a]) + cost > best) continue;
                good &= SwapFreeAmong(swap, good);
                if (good == 0) continue;
                const int g = 2 * BitCount(good) + cost;
                if (g > best) continue;
                if (g < best) {
                    choices_.clear();
                    best = g;
                }
                for (unsigned rest = good; rest; rest &= rest - 1) {
                    choices_.push_back({sD, acrossSums[a], std::countr_zero(rest)});
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
