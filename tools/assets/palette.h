// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's colours. Paper in two tones (cream sheets, ink-blue card) and
// one warm accent for everything that is "on".
//
// The game writes digits in dark inks on the light cells to fill, clues in
// white on the ink-blue clue cells, and most of its other text in white over
// the backgrounds; cream is kept for the sheet under the board, the buttons
// (whose captions are drawn here, in ink) and cards.

#include "canvas.h"

namespace assets::palette {

inline constexpr Rgb Cream = rgb(244, 237, 222);
inline constexpr Rgb CreamShade = rgb(226, 214, 192);
inline constexpr Rgb CreamBright = rgb(255, 252, 244);
inline constexpr Rgb Ink = rgb(24, 36, 66);
inline constexpr Rgb InkDeep = rgb(14, 22, 42);
inline constexpr Rgb InkSoft = rgb(52, 68, 104);
inline constexpr Rgb Slate = rgb(48, 58, 78);
inline constexpr Rgb Amber = rgb(242, 158, 52);
inline constexpr Rgb AmberBright = rgb(255, 194, 98);
inline constexpr Rgb AmberDeep = rgb(214, 120, 30);
inline constexpr Rgb Muted = rgb(118, 108, 94);
// Muted text that must still read as text on cream (4.5:1 and more).
inline constexpr Rgb MutedDeep = rgb(84, 76, 64);
// The board: the cells the player fills are light paper (the game writes its
// digits on them in dark inks), clearly apart from the deep ink of the clue
// cells, on which it writes in white.
inline constexpr Rgb FillTop = rgb(240, 241, 246);
inline constexpr Rgb FillBottom = rgb(226, 229, 237);
inline constexpr Rgb FillHotTop = rgb(253, 243, 219);
inline constexpr Rgb FillHotBottom = rgb(246, 232, 203);
// A clue half under the pointer: lighter than the card, still dark enough for
// white and light red numbers.
inline constexpr Rgb ClueLit = rgb(34, 50, 90);
inline constexpr Rgb ClueInk = rgb(17, 25, 47);
inline constexpr Rgb ClueInkShade = rgb(11, 17, 34);

}  // namespace assets::palette
