// SPDX-License-Identifier: GPL-3.0-or-later
// The puzzle description reader: a board it accepts has every white cell in a
// run both ways; anything else is refused with a message. A board it accepts is
// then graded as `tallyfold-engine rate` does: whatever the tiers fill must keep
// every rule.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/engine/LogicSolver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The engine's refusals, millions of them, are kept away from libFuzzer's
    // own report; each one is checked for being said at all.
    static std::ostringstream refusals;
    static const bool quiet = [] {
        engine::RedirectDiagnostics(&refusals, &refusals);
        return true;
    }();
    (void)quiet;
    refusals.str("");
    // Lines: dimensions, unfillable cells, record count, then the records.
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string_view rest(text);
    auto line = [&rest] {
        const size_t lf = rest.find('\n');
        std::string_view out = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
        return out;
    };
    const std::string_view dimensions = line();
    const std::string_view unfillable = line();
    const std::string count(line());
    const int records = std::atoi(count.substr(0, 6).c_str());
    // A board of millions of cells is refused by size alone; keep the fuzzer on
    // the interesting ones.
    unsigned rows = 0, columns = 0;
    if (std::sscanf(std::string(dimensions).c_str(), "%u %u", &rows, &columns) == 2 && uint64_t(rows) * columns > 4096)
        return 0;
    engine::TBoard board;
    if (!engine::ParseDescription(dimensions, unfillable, rest, records, board)) {
        if (refusals.str().empty()) std::abort();  // a refusal always says why
        return 0;
    }
    for (unsigned i = 0; i < board.cellCount; ++i) {
        const int cell = board.cells[i];
        if (cell != -1 && cell != 0) std::abort();
        if (cell == 0 && (!board.Link(i, engine::kDown) || !board.Link(i, engine::kAcross))) std::abort();
    }
    // Trials cost about the square of the board's cells; larger boards add time, not cases.
    if (board.cellCount > 400) return 0;
    const engine::PuzzleGrade grade = engine::GradePuzzle(board);
    if (grade.tier < 1 || grade.tier > 4 || (grade.tier < 4) == (grade.unfilled > 0)) std::abort();
    if (grade.tier == 4) return 0;
    // Filled by reasoning: the digits are a solution, every run at its clue without a repeat.
    engine::LogicSolver solver(board);
    solver.Solve(engine::kTierTrials);
    for (unsigned i = 0; i < board.cellCount; ++i) {
        if (board.cells[i] != 0) continue;
        const unsigned digit = solver.Candidates(i);
        if (digit == 0 || (digit & (digit - 1)) != 0) std::abort();
        if (!engine::PlaceDigit(board, i, static_cast<int>(__builtin_ctz(digit)))) std::abort();
    }
    for (const engine::Constraint& run : board.constraints) {
        if (run.length == 0) continue;  // no cells: its sum binds nothing, for solve neither
        unsigned total = 0;
        for (unsigned d = 1; d <= 9; ++d) total += (run.used >> d & 1) ? d : 0;
        if (static_cast<unsigned>(__builtin_popcount(run.used)) != run.length || total != run.sum) std::abort();
    }
    return 0;
}
