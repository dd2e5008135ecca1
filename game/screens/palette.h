// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The colours the game draws its own text and marks in (the pictures carry
// everything else). One name per meaning, so that a mistaken digit and a
// message that something went wrong always look alike.

struct TRgb {
    int R, G, B;
};

namespace palette {

inline constexpr TRgb Text{255, 255, 255};
// Mistakes, conflicts, overdrawn sums and messages that something went wrong.
inline constexpr TRgb Warning{255, 0, 0};
// Column titles of the best-times table.
inline constexpr TRgb Heading{255, 255, 0};
// A best-times row as it lands; it fades to Text.
inline constexpr TRgb Landed{100, 255, 0};

// On the light cells to fill every ink keeps 4.5:1 or more against the cell.
inline constexpr TRgb CellDigit{24, 36, 66};
inline constexpr TRgb CellMark{52, 68, 104};
inline constexpr TRgb CellMistake{192, 24, 24};
// Digits tried since a checkpoint: a blue that reads as "not settled yet".
inline constexpr TRgb CellTried{22, 92, 190};
// What a shown hint will change: the amber of a lit star, deepened to read on the cell.
inline constexpr TRgb CellToCome{140, 70, 0};
// The cells' own light ground, for covering what a hint replaces.
inline constexpr TRgb CellGround{233, 235, 241};
// On the ink-blue clue cells: white clues, a light red for an overspent or
// clashing run, green for a run that adds up.
inline constexpr TRgb ClueWarning{255, 140, 140};
inline constexpr TRgb ClueRight{96, 226, 128};

}  // namespace palette
