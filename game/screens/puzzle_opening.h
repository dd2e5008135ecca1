// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Puzzles that come from outside the game: a code, and a puzzle file chosen, dropped
// on the window or named on the command line. An opened puzzle goes onto the board
// whatever screen is up; a refused one is explained over that screen and changes
// nothing.
#include <cstddef>
#include <string>

struct TOpenedPuzzle;

// Clipboard text longer than this is no puzzle code.
inline constexpr std::size_t MaxCodeTextBytes = 4096;

// Nothing waiting, nothing shown: a game set up afresh.
void ResetPuzzleOpening();
// The file named on the command line, opened once the first screen is up.
void RequestOpenPuzzleFile(const std::string& path);
// One logic step, from the shell, before the current screen's: a waiting file is
// opened once no fade or generation is under way, and the message or question about
// it is run. True while that holds the screen (its own logic waits).
bool ManagePuzzleOpening();
// Over the current screen: the message or question, if any.
void DrawPuzzleOpening();
// Shows a message over whatever screen is up.
void ShowOpeningMessage(const std::string& text);

// Each false with the reason in error, nothing changed; true: the puzzle is on the
// board and the board's screen fades in.
bool OpenPuzzleFile(const std::string& path, std::string& error);
bool PutOpenedPuzzleOnBoard(const TOpenedPuzzle& opened, std::string& error);
