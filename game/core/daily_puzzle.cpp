// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/daily_puzzle.h"

#include "tallyfold/engine/Daily.h"

int DailySize(int difficulty) {
    static constexpr int sizes[DailyLevels] = {9, 12, 14};
    return difficulty >= 0 && difficulty < DailyLevels ? sizes[difficulty] : 0;
}

bool MakeDailyPuzzle(TCivilDate date, int difficulty, TDailyPuzzle& puzzle) {
    puzzle = TDailyPuzzle{};
    if (!date.Valid() || DailySize(difficulty) == 0) return false;
    engine::DailyResult result;
    if (!engine::DailyPuzzle(date.Year, date.Month, date.Day, difficulty + 1, result)) return false;
    const int size = DailySize(difficulty);
    if (result.id.rows != static_cast<unsigned>(size) || result.id.columns != static_cast<unsigned>(size) ||
        result.cells.size() != static_cast<std::size_t>(size * size))
        return false;
    // Row by row as the engine tool prints it: the rows are the game's y.
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const std::uint8_t v = result.cells[static_cast<std::size_t>(y * size + x)];
            if (v != 0xFF && (v < 1 || v > 9)) return false;
            puzzle.Solution[x][y] = v == 0xFF ? BlackCell : v;
        }
    puzzle.Date = date;
    puzzle.Difficulty = difficulty;
    puzzle.Size = size;
    puzzle.Made = 1;
    return true;
}

std::string DailySource(TCivilDate date) { return "daily:" + date.Text(); }

bool PlayDailyPuzzle(TCore& core, const TDailyPuzzle& puzzle) {
    if (!puzzle.Made) return false;
    core.TakeSolution(puzzle.Solution, puzzle.Size, puzzle.Size, puzzle.Difficulty, DailySource(puzzle.Date));
    core.CreateCells(1);
    core.RestartPuzzle();
    return true;
}
