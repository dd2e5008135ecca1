// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The engine's run structure for the board in the tables, kept beside the model so that
// the run questions follow the engine's links instead of a second copy of the runs.
// It is keyed by the layout (extent, black cells, clues) and rebuilt on the first
// question after any change to it, however the tables were written: a load, a typed-in
// clue, an undo or a test writing the grids directly cannot leave it stale.
#include <array>
#include <cstdint>

#include "game/core/core.h"
#include "tallyfold/engine/Board.h"

class TRunLinks {
public:
    // The engine board for the layout in puzzle; nullptr when the tables make none
    // (a white cell in no run, a run reaching the edge without a clue cell, a run
    // over nine cells), and the caller walks the tables instead.
    const engine::TBoard* For(const TPuzzleState& puzzle);
    // True when the solution grid's black cells are the player grid's, so that the
    // runs of the one are the runs of the other. Valid after For.
    bool SolutionAgrees() const { return Agrees; }
    // While a pin lives the layout is taken as unchanged and not compared: for a pass
    // that asks thousands of questions (the automatic marks) and writes no layout.
    class TPin {
    public:
        TPin(TRunLinks& links, const TPuzzleState& puzzle) : Links(links), Was(links.Pinned) {
            Links.For(puzzle);
            Links.Pinned = true;
        }
        ~TPin() { Links.Pinned = Was; }
        TPin(const TPin&) = delete;
        TPin& operator=(const TPin&) = delete;

    private:
        TRunLinks& Links;
        bool Was;
    };
    // How often the board was built; a layout that did not change costs no build.
    int Builds() const { return BuildCount; }

private:
    bool Same(const TPuzzleState& p) const;
    bool Known = false, Usable = false, Agrees = false, Pinned = false;
    int Width = 0, Height = 0, BuildCount = 0;
    // Per cell y * width + x: 1 black in the player grid, 2 black in the solution.
    std::array<std::uint8_t, MaxBoardSize * MaxBoardSize> Shape{};
    TGrid Vertical{}, Horizontal{};
    engine::TBoard Board;
};
