// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How big the board's cells are and where their contents go. The cells grow
// to fill the sheet of paper under the board (up to twice the size of the
// 14x14 board's cells), and every digit, mark and clue grows with them.
#include <memory>
#include <string>

namespace platform {
class ImageFont;
}  // namespace platform
class TGameImage;

// The cells of a 14x14 board and the most a cell grows to (6x6 and 7x7).
inline constexpr int BaseCellSize = 32;
inline constexpr int LargestCellSize = 64;

struct TBoardGeometry {
    int Cell = BaseCellSize;  // side and pitch of a cell, whole pixels
    int X0 = 0, Y0 = 0;       // centre of the top-left cell
};
// A board of width x height cells, centred on the sheet with a margin kept free all round.
TBoardGeometry BoardGeometry(int width, int height);

// The cell pictures are drawn for the largest cells; this draws one `side`
// pixels square, centred on (x, y).
void DrawCellPicture(const std::shared_ptr<TGameImage>& picture, float x, float y, float side);
// The cursor's frame lies around the cell, beyond its edges.
void DrawCellCursor(float x, float y, int cell);

// The game's font at `size` pixels (the nearest ready size before the fonts
// are made, so that nothing is ever drawn without one).
std::shared_ptr<platform::ImageFont> FontOfSize(int size);

// A playing digit, its ink centred on the cell centre (x, y).
void DrawCellDigit(const std::string& text, float x, float y, int cell);
// Pencil mark `digit` (1 to 9) in its place of the 3 x 3 block; struck marks get
// a stroke through them as well as the colour already set.
void DrawPencilMark(int digit, float x, float y, int cell, bool struck);
// A clue number in the outer corner of its half: the down clue (direction
// Vertical) bottom left, the across clue top right, clear of the fold.
void DrawClueNumber(int direction, const std::string& text, float x, float y, int cell);
// The state of a clue's run as a mark beside its number inside its half, for
// players who cannot tell the clue's colours apart: right 1 a tick (the run
// adds up), 0 a cross (a clash).
void DrawRunMark(int direction, int right, float x, float y, int cell);
// Whether (px, py) lies in the half of the clue cell centred on (x, y) that
// belongs to the direction; a point exactly on the fold is in neither.
bool InClueHalf(int direction, float px, float py, float x, float y, int cell);
