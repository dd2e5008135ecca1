// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's colours. Paper in two tones (cream sheets, ink-blue card) and
// one warm accent for everything that is "on".
//
// The game writes digits and clues in white (red for mistakes) straight onto
// the board cells, and most of its other text in white over the backgrounds,
// so everything text lands on is dark paper; cream is kept for the sheet under
// the board, the buttons (whose captions are drawn here, in ink) and cards.

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
// The board: the cells the player fills are a warm slate, clearly apart from
// the deep ink of the clue cells; both stay dark enough for white digits and
// for the red of a mistake.
inline constexpr Rgb FillTop = rgb(71, 64, 77);
inline constexpr Rgb FillBottom = rgb(60, 55, 67);
inline constexpr Rgb FillHotTop = rgb(78, 70, 84);
inline constexpr Rgb FillHotBottom = rgb(67, 61, 74);
inline constexpr Rgb ClueInk = rgb(17, 25, 47);
inline constexpr Rgb ClueInkShade = rgb(11, 17, 34);

}  // namespace assets::palette
