// SPDX-License-Identifier: GPL-3.0-or-later
#include "core_fixture.h"

void BuildBlockPuzzleOn(TPuzzleModel& model, int n) {
    TPuzzleState& Puzzle = model.Puzzle;
    Puzzle.BoardWidth = Puzzle.BoardHeight = n;
    for (int x = 0; x < n; ++x) {
        for (int y = 0; y < n; ++y) {
            const bool black = x % 3 == 0 || y % 3 == 0;
            Puzzle.SolutionGrid[x][y] = black ? BlackCell : static_cast<std::uint8_t>(x % 3 + 2 * (y % 3 - 1));
            Puzzle.PlayerGrid[x][y] = black ? BlackCell : 0;
        }
    }
    for (int x = 0; x < n; ++x) {
        for (int y = 0; y < n; ++y) {
            const bool black = Puzzle.SolutionGrid[x][y] == BlackCell;
            Puzzle.HorizontalSumGrid[x][y] =
                black ? static_cast<std::uint8_t>(model.SolutionRunSum(Horizontal, x, y)) : 0;
            Puzzle.VerticalSumGrid[x][y] = black ? static_cast<std::uint8_t>(model.SolutionRunSum(Vertical, x, y)) : 0;
        }
    }
}
