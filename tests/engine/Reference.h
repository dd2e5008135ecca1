// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A puzzle model and a brute-force solution counter that share nothing with the engine,
// so that the engine's counter is checked against the rules themselves.

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "Support.h"

namespace enginetest {

// A board as the rules see it: black or white cells, and one clue per run.
struct Puzzle {
    unsigned rows = 0;
    unsigned columns = 0;
    std::vector<bool> black;
    // Per white cell: its across run and its down run (indices into sums/lengths).
    std::vector<int> acrossRun;
    std::vector<int> downRun;
    std::vector<int> sums;
    std::vector<int> lengths;
    std::vector<bool> across;  // per run
};

// Runs of a layout whose frame (row 0, column 0) is black; `digits` gives the clues
// (-1 black, 1..9 white).
inline Puzzle PuzzleFromGrid(unsigned rows, unsigned columns, const std::vector<int>& digits) {
    Puzzle p;
    p.rows = rows;
    p.columns = columns;
    p.black.resize(rows * columns);
    p.acrossRun.assign(rows * columns, -1);
    p.downRun.assign(rows * columns, -1);
    for (unsigned i = 0; i < rows * columns; ++i) p.black[i] = digits[i] < 0;
    for (unsigned i = 0; i < rows * columns; ++i) {
        if (p.black[i]) continue;
        const unsigned r = i / columns, c = i % columns;
        if (p.black[i - 1]) {
            p.sums.push_back(0);
            p.lengths.push_back(0);
            p.across.push_back(true);
            for (unsigned x = c; x < columns && !p.black[r * columns + x]; ++x) {
                p.acrossRun[r * columns + x] = static_cast<int>(p.sums.size()) - 1;
                p.sums.back() += digits[r * columns + x];
                ++p.lengths.back();
            }
        }
        if (p.black[i - columns]) {
            p.sums.push_back(0);
            p.lengths.push_back(0);
            p.across.push_back(false);
            for (unsigned y = r; y < rows && !p.black[y * columns + c]; ++y) {
                p.downRun[y * columns + c] = static_cast<int>(p.sums.size()) - 1;
                p.sums.back() += digits[y * columns + c];
                ++p.lengths.back();
            }
        }
    }
    return p;
}

// The description the game would write for the puzzle.
inline Description Describe(const Puzzle& p) {
    Description d;
    d.dimensions = std::to_string(p.rows) + " " + std::to_string(p.columns);
    for (unsigned i = 0; i < p.rows * p.columns; ++i) {
        if (!p.black[i]) continue;
        d.unfillable += std::to_string(i) + " ";
        const unsigned below = i + p.columns, right = i + 1;
        const bool down = below < p.rows * p.columns && !p.black[below];
        const bool across = (i % p.columns) + 1 < p.columns && !p.black[right];
        if (!down && !across) continue;
        const int dr = down ? p.downRun[below] : -1, ar = across ? p.acrossRun[right] : -1;
        d.records += std::to_string(i) + " " + std::to_string(down ? p.sums[dr] : 0) + " " +
                     std::to_string(down ? p.lengths[dr] : 0) + " " + std::to_string(across ? p.sums[ar] : 0) + " " +
                     std::to_string(across ? p.lengths[ar] : 0) + " ";
        ++d.count;
    }
    return d;
}

struct ReferenceResult {
    int count = 0;           // 0, 1 or 2 (two or more)
    std::vector<int> first;  // per cell: -1 black, else the digit of the first solution
    bool finished = true;    // false: the node budget ran out, nothing is known
};

// Tries the white cells in index order and digits from 1 up, and drops a digit only when
// it repeats one of the run's digits or when the run's remaining cells could no longer
// reach its clue with distinct unused digits.
class ReferenceCounter {
public:
    ReferenceCounter(const Puzzle& p, long budget) : p_(p), budget_(budget) {
        for (unsigned i = 0; i < p.rows * p.columns; ++i) {
            if (!p.black[i]) whites_.push_back(i);
        }
        digits_.assign(p.rows * p.columns, -1);
        for (unsigned i : whites_) digits_[i] = 0;
        cellsOf_.resize(p.sums.size());
        for (unsigned i : whites_) {
            cellsOf_[p.acrossRun[i]].push_back(i);
            cellsOf_[p.downRun[i]].push_back(i);
        }
        used_.assign(p.sums.size(), 0);
        total_.assign(p.sums.size(), 0);
        placed_.assign(p.sums.size(), 0);
    }

    ReferenceResult Run() {
        Visit(0);
        result_.finished = budget_ >= 0;
        return result_;
    }

private:
    // Smallest and largest sum of k distinct digits outside `used`.
    static void Bounds(int k, unsigned used, int& low, int& high) {
        low = high = 0;
        for (int d = 1, n = 0; d <= 9 && n < k; ++d) {
            if (!(used >> d & 1)) low += d, ++n;
        }
        for (int d = 9, n = 0; d >= 1 && n < k; --d) {
            if (!(used >> d & 1)) high += d, ++n;
        }
    }

    bool Fits(int run, int digit) const {
        if (used_[run] >> digit & 1) return false;
        const int rest = p_.sums[run] - total_[run] - digit;
        const int open = p_.lengths[run] - placed_[run] - 1;
        int low, high;
        Bounds(open, used_[run] | 1u << digit, low, high);
        return rest >= low && rest <= high;
    }

    void Place(int run, int digit, int sign) {
        used_[run] ^= 1u << digit;
        total_[run] += sign * digit;
        placed_[run] += sign;
    }

    // Every empty cell of the run must keep a digit that suits both of its runs.
    bool RunStaysOpen(int run) const {
        for (unsigned cell : cellsOf_[run]) {
            if (digits_[cell] != 0) continue;
            bool any = false;
            for (int digit = 1; digit <= 9 && !any; ++digit) {
                any = Fits(p_.acrossRun[cell], digit) && Fits(p_.downRun[cell], digit);
            }
            if (!any) return false;
        }
        return true;
    }

    void Visit(std::size_t k) {
        if (result_.count > 1 || --budget_ < 0) return;
        if (k == whites_.size()) {
            if (result_.count++ == 0) result_.first = digits_;
            return;
        }
        const unsigned cell = whites_[k];
        const int across = p_.acrossRun[cell], down = p_.downRun[cell];
        for (int digit = 1; digit <= 9; ++digit) {
            if (!Fits(across, digit) || !Fits(down, digit)) continue;
            digits_[cell] = digit;
            Place(across, digit, 1);
            Place(down, digit, 1);
            if (RunStaysOpen(across) && RunStaysOpen(down)) Visit(k + 1);
            Place(across, digit, -1);
            Place(down, digit, -1);
        }
        digits_[cell] = 0;
    }

    const Puzzle& p_;
    long budget_;
    std::vector<unsigned> whites_;
    std::vector<std::vector<unsigned>> cellsOf_;
    std::vector<int> digits_;
    std::vector<unsigned> used_;
    std::vector<int> total_;
    std::vector<int> placed_;
    ReferenceResult result_;
};

inline ReferenceResult ReferenceCount(const Puzzle& p, long budget = 2'000'000) {
    return ReferenceCounter(p, budget).Run();
}

// Moves two clues by one so that the across clues still add up to the down clues (a
// plain total check must not settle the board): `sameDirection` moves two runs of one
// direction in opposite ways, otherwise one run of each direction the same way.
inline void MoveTwoClues(Puzzle& p, bool sameDirection, std::mt19937& rng) {
    const std::size_t a = rng() % p.sums.size();
    const int step = rng() % 2 ? 1 : -1;
    for (std::size_t tries = 0; tries < 100; ++tries) {
        const std::size_t b = rng() % p.sums.size();
        if (b == a || (p.across[a] == p.across[b]) != sameDirection) continue;
        p.sums[a] = std::clamp(p.sums[a] + step, 1, 45);
        p.sums[b] = std::clamp(p.sums[b] + (sameDirection ? -step : step), 1, 45);
        return;
    }
}

// A random layout (frame black, each interior cell black with the given chance) filled
// with random digits that repeat in no run; false when the fill did not succeed.
inline bool RandomFilledGrid(unsigned rows, unsigned columns, double blackChance, std::mt19937& rng,
                             std::vector<int>& grid) {
    std::uniform_real_distribution<double> coin(0, 1);
    grid.assign(rows * columns, 0);
    for (unsigned i = 0; i < rows * columns; ++i) {
        if (i < columns || i % columns == 0 || coin(rng) < blackChance) grid[i] = -1;
    }
    // Digits in cell order, each drawn from those its row and column stretches lack.
    std::vector<unsigned> order;
    for (unsigned i = 0; i < rows * columns; ++i) {
        if (grid[i] == 0) order.push_back(i);
    }
    long steps = 100000;
    auto usedAround = [&](unsigned i) {
        unsigned used = 0;
        const unsigned r = i / columns, c = i % columns;
        for (unsigned x = c; x-- > 0 && grid[r * columns + x] >= 0;) used |= 1u << grid[r * columns + x];
        for (unsigned x = c + 1; x < columns && grid[r * columns + x] >= 0; ++x) used |= 1u << grid[r * columns + x];
        for (unsigned y = r; y-- > 0 && grid[y * columns + c] >= 0;) used |= 1u << grid[y * columns + c];
        for (unsigned y = r + 1; y < rows && grid[y * columns + c] >= 0; ++y) used |= 1u << grid[y * columns + c];
        return used & 0x3FEu;
    };
    auto fill = [&](auto&& self, std::size_t k) -> bool {
        if (k == order.size()) return true;
        if (--steps < 0) return false;
        int digits[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
        std::shuffle(digits, digits + 9, rng);
        const unsigned used = usedAround(order[k]);
        for (int d : digits) {
            if (used >> d & 1) continue;
            grid[order[k]] = d;
            if (self(self, k + 1)) return true;
        }
        grid[order[k]] = 0;
        return false;
    };
    return fill(fill, 0);
}

}  // namespace enginetest
