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

}  // namespace palette
