// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sheet of paper under the board, as every play background draws it.
struct PaperRect {
    int x, y, w, h;
};
inline constexpr PaperRect PaperSheet{212, 24, 480, 480};
