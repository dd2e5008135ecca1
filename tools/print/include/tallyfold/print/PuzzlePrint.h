// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "tallyfold/engine/PuzzleFile.h"

// Print pictures of puzzles: black clue cells with white clues, white cells with a thin
// black grid, the code under the board. Nothing here knows the game; the game may link
// it to export pictures as the tool does.
namespace print {

// One puzzle and what is printed with it.
struct PrintedPuzzle {
    engine::Puzzle puzzle;  // with its digits when a solution is drawn
    std::string code;
    int stars = 0;        // 1..5, 0 for none
    std::string caption;  // e.g. "3  Hard", above the board in a booklet
};

// Writes one puzzle at 1 cm a cell: PNG at 300 dpi for a path ending in ".png", SVG for
// ".svg". The digits of the white cells are drawn with `solution`. Written to a temporary
// file first, so that a failure leaves no half picture; false with a message.
bool WritePuzzlePicture(const PrintedPuzzle& puzzle, bool solution, const std::string& path, std::string& error);

enum class Paper { kA4, kLetter };

struct BookletLayout {
    Paper paper = Paper::kA4;
    int perPage = 2;    // 2 or 4
    std::string title;  // on the first page
};

// A PDF of the puzzles, perPage a page, each with its caption, grade and code, then
// their solutions (the puzzles' digits), six a page; false with a message.
bool WriteBooklet(const std::vector<PrintedPuzzle>& puzzles, const BookletLayout& layout, const std::string& path,
                  std::string& error);

// cairo and fontconfig keep their font caches for the life of the process; a program
// that has drawn its last picture may hand them back, so that a leak checker sees
// nothing left. Nothing may be drawn afterwards.
void ReleasePrintResources();

}  // namespace print
