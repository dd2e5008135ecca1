// SPDX-License-Identifier: GPL-3.0-or-later
#include <bit>

#include "ExactCounter.h"
#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/engine/DigitFiller.h"

namespace engine {

void FillObviousTest(TBoard& board, std::vector<unsigned>* placed) {
    bool productive = true;
    while (productive) {
        productive = false;
        for (unsigned index = 0; index < board.cellCount; ++index) {
            if (board.cells[index] != kEmpty) continue;
            const unsigned candidates = CellCandidates(board, index);
            if (candidates == 0 || (candidates & (candidates - 1)) != 0) continue;
            if (!PlaceDigit(board, index, std::countr_zero(candidates))) {
                DiagnosticErr() << "FillObviousTest: PlaceDigit failed!\n";
            }
            if (placed) placed->push_back(index);
            productive = true;
        }
    }
}

bool CountSolutions(const TBoard& board, int& count, bool store, TBoard* out, std::uint64_t effort) {
    if (count > 1) return true;
    BuildCombinations();
    ExactCounter counter(board, effort);
    const int wanted = 2 - count;
    const int found = counter.Count(wanted);
    if (found < 0) return false;

    if (store && out && count == 0 && found > 0) {
        std::vector<int> digits;
        if (found == 1) {
            counter.Witness(digits);  // the only solution is also the first
        } else {
            // The first of several solutions in index order is what a plain enumeration would
            // report, and usually quick to settle; on very open boards proving that no earlier
            // solution exists can take minutes. Such a puzzle is judged by its rules, not by the
            // stored filling, so the solution the count met serves rather than a refusal.
            std::vector<int> met;
            counter.Witness(met);
            counter.CapEffort(effort / 4);
            if (!counter.FirstInIndexOrder(digits)) digits = std::move(met);
        }
        *out = board;
        for (Constraint& constraint : out->constraints) constraint.used = 0;
        for (int cell = 0; cell < counter.CellCount(); ++cell) {
            const unsigned index = counter.BoardIndex(cell);
            const int digit = digits[static_cast<std::size_t>(cell)];
            out->cells[index] = digit;
            for (int direction : {kDown, kAcross}) {
                if (Constraint* constraint = out->Link(index, direction)) constraint->used |= 1u << digit;
            }
        }
    }
    count += found;
    return true;
}

}  // namespace engine
