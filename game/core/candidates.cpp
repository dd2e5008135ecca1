// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/candidates.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>

#include "game/core/model.h"
#include "game/core/services.h"
#include "tallyfold/engine/Board.h"

namespace {

// True when the empty cells can take the digits of `needed` one each, every cell a
// digit of its candidates: a matching of cells to digits, found by walking the
// cells in order and keeping every set of digits the cells so far can have used.
// At most nine cells and 2^9 sets, so a pointer move can afford it for every combination.
bool CellsCanTake(const std::vector<unsigned>& cells, unsigned needed) {
    if (static_cast<int>(cells.size()) != std::popcount(needed)) return false;
    if (cells.empty()) return true;
    // reach[m]: the first k cells can use exactly the digits of m (k = popcount(m)).
    std::uint8_t reach[1u << 10] = {};
    reach[0] = 1;
    for (unsigned m = 0; m < (1u << 10); m += 2) {
        if (!reach[m]) continue;
        const auto k = static_cast<std::size_t>(std::popcount(m));
        if (k == cells.size()) continue;
        const unsigned free = cells[k] & needed & ~m;
        for (unsigned rest = free; rest != 0; rest &= rest - 1) reach[m | (rest & (~rest + 1))] = 1;
    }
    return reach[needed] != 0;
}

std::string DigitText(unsigned digits) {
    std::string text;
    for (int d = 1; d <= 9; ++d)
        if (digits >> d & 1) text += static_cast<char>('0' + d);
    return text;
}

}  // namespace

TRunCandidates FilterCombinations(int clue, const std::vector<int>& digits, const std::vector<unsigned>& candidates) {
    TRunCandidates result;
    result.Clue = clue;
    result.Length = static_cast<int>(digits.size());
    std::vector<unsigned> open;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        const int d = digits[k];
        if (d >= 1 && d <= 9) {
            if (result.Placed >> d & 1) result.PlacedTwice = true;
            result.Placed |= 1u << d;
        } else {
            open.push_back(k < candidates.size() ? candidates[k] & AllDigits : AllDigits);
        }
    }
    for (const std::uint16_t mask : engine::CombinationMasks(clue, result.Length)) result.All.push_back(mask);
    // As the unfiltered list shows them: in the order of their digits written out.
    std::sort(result.All.begin(), result.All.end(), [](unsigned a, unsigned b) { return DigitText(a) < DigitText(b); });
    unsigned any = 0, every = AllDigits;
    for (const unsigned combination : result.All) {
        if (result.PlacedTwice || (result.Placed & ~combination) != 0) continue;
        if (!CellsCanTake(open, combination & ~result.Placed)) continue;
        result.Fitting.push_back(combination);
        any |= combination;
        every &= combination;
    }
    if (!result.Fitting.empty()) {
        result.Must = every;
        result.Cannot = AllDigits & ~any;
    }
    return result;
}

std::string CombinationListText(const std::vector<unsigned>& combinations) {
    std::string text;
    for (std::size_t k = 0; k < combinations.size(); ++k) {
        if (k > 0) text += ", ";
        if (k == 5 || k == 10) text += "\r\n";
        bool first = true;
        for (int d = 1; d <= 9; ++d)
            if (combinations[k] >> d & 1) {
                if (!first) text += '+';
                text += static_cast<char>('0' + d);
                first = false;
            }
    }
    return text;
}

std::string DigitListText(unsigned digits) {
    std::string text;
    for (int d = 1; d <= 9; ++d)
        if (digits >> d & 1) {
            if (!text.empty()) text += ' ';
            text += static_cast<char>('0' + d);
        }
    return text;
}

// ---------------------------------------------------------------------------
// On the model

TRunCandidates TPuzzleModel::RunCandidates(int direction, int x, int y) const {
    if (!OnBoard(x, y) || Puzzle.PlayerGrid[x][y] != BlackCell) return {};
    const int clue = direction == Vertical ? Puzzle.VerticalSumGrid[x][y] : Puzzle.HorizontalSumGrid[x][y];
    const auto cells = RunCells(direction, x, y);
    std::vector<int> digits;
    std::vector<unsigned> candidates;
    for (const auto& [cx, cy] : cells) {
        digits.push_back(Puzzle.PlayerGrid[cx][cy]);
        // A cell without marks has not been thought about yet: any digit may go there.
        unsigned marks = 0;
        for (int d = 1; d <= 9; ++d)
            if (Puzzle.MarkupGrid[cx][cy][d - 1]) marks |= 1u << d;
        candidates.push_back(marks ? marks : AllDigits);
    }
    return FilterCombinations(clue, digits, candidates);
}

std::string TPuzzleModel::FilteredCombinationText(int direction, int x, int y) const {
    const TRunCandidates run = RunCandidates(direction, x, y);
    if (run.All.empty()) return "";
    if (run.Fitting.empty()) {
        const std::string none = CoreText("No Combination Fits");
        return none.empty() ? "No combination fits the digits and marks of this run." : none;
    }
    std::string text = CombinationListText(run.Fitting);
    // The placed digits are in every combination left; what is still to decide matters.
    const unsigned must = run.Must & ~run.Placed;
    std::string line;
    if (must) {
        const std::string label = CoreText("Must Have Digits");
        line += (label.empty() ? "Must have:" : label) + " " + DigitListText(must);
    }
    if (run.Cannot) {
        const std::string label = CoreText("Cannot Have Digits");
        if (!line.empty()) line += "   ";
        line += (label.empty() ? "Cannot have:" : label) + " " + DigitListText(run.Cannot);
    }
    if (!line.empty()) text += "\r\n" + line;
    return text;
}

int TPuzzleModel::MarkContradicted(int d, int x, int y) const {
    if (!OnBoard(x, y) || Puzzle.PlayerGrid[x][y] == BlackCell || d < 1 || d > 9) return 0;
    for (int direction : {Vertical, Horizontal}) {
        int cx, cy;
        if (!FindClueCell(direction, x, y, cx, cy)) continue;
        for (const auto& [rx, ry] : RunCells(direction, cx, cy))
            if ((rx != x || ry != y) && Puzzle.PlayerGrid[rx][ry] == d) return 1;
    }
    return 0;
}

// A digit placed at (x, y) rules out its own cell's marks, the same digit's marks in
// both its runs, and in each run the marks no combination holding the run's placed
// digits has. Marks only go: one the player took off never comes back. A run whose
// placed digits no combination holds (a digit twice, a wrong one) loses only the
// digit's own marks, rather than every mark in it.
void TPuzzleModel::KeepMarksAfterPlacing(int x, int y) {
    const int d = Puzzle.PlayerGrid[x][y];
    for (auto& mark : Puzzle.MarkupGrid[x][y]) mark = 0;
    if (d < 1 || d > 9) return;
    for (int direction : {Vertical, Horizontal}) {
        int cx, cy;
        if (!FindClueCell(direction, x, y, cx, cy)) continue;
        const int clue = direction == Vertical ? Puzzle.VerticalSumGrid[cx][cy] : Puzzle.HorizontalSumGrid[cx][cy];
        const auto cells = RunCells(direction, cx, cy);
        unsigned placed = 0;
        bool twice = false;
        for (const auto& [rx, ry] : cells) {
            const int p = Puzzle.PlayerGrid[rx][ry];
            if (p < 1 || p > 9) continue;
            twice = twice || (placed >> p & 1) != 0;
            placed |= 1u << p;
        }
        unsigned allowed = AllDigits & ~(1u << d);
        if (!twice) {
            unsigned fitting = 0;
            for (const std::uint16_t mask : engine::CombinationMasks(clue, static_cast<int>(cells.size())))
                if ((placed & ~mask) == 0) fitting |= mask;
            if (fitting) allowed &= fitting & ~placed;
        }
        for (const auto& [rx, ry] : cells)
            for (int k = 1; k <= 9; ++k)
                if (!(allowed >> k & 1)) Puzzle.MarkupGrid[rx][ry][k - 1] = 0;
    }
}

// An emptied cell had no marks while it held its digit; with the automatic marks on
// it gets its own back, and no other cell changes.
void TPuzzleModel::KeepMarksAfterErasing(int x, int y) {
    for (auto& mark : Puzzle.MarkupGrid[x][y]) mark = 0;
    if (!Puzzle.AutoMarkup) return;
    for (int d = 1; d <= 9; ++d)
        Puzzle.MarkupGrid[x][y][d - 1] = static_cast<std::uint8_t>(MarkupValue(d, x, y) && !ExplainedOut(d, x, y));
}

void TPuzzleModel::KeepMarksOf(int x, int y, bool placed) {
    if (!Options.KeepPencilMarks) {
        for (auto& mark : Puzzle.MarkupGrid[x][y]) mark = 0;
        if (Puzzle.AutoMarkup) FillMarkup();
    } else if (placed) {
        KeepMarksAfterPlacing(x, y);
    } else {
        KeepMarksAfterErasing(x, y);
    }
}
