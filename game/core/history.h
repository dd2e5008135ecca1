// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The edit history as the autosave keeps it, after the puzzle, so that Continue
// brings back undo and redo as well.
//
// A line "history D U" with the number of edits that can be undone and redone, then
// each edit (those to undo, oldest first, then those to redo, the last to redo first)
// as a line "edit KIND AUTOBEFORE AUTOAFTER CELLS" followed by one line per changed
// cell: "X Y", then the cell before and after, each "PLAYER SOLUTION DOWN ACROSS MARKS"
// with MARKS nine 0/1 characters. Lines end in CR LF.
#include <cstddef>
#include <string>

#include "game/core/edits.h"
#include "game/core/save_game.h"

// Empty for an empty history. Past maxBytes the edits farthest from the board as it
// stands are left out.
std::string HistoryText(const TEditHistory& history, std::size_t maxBytes);
// Reads such a section for the puzzle `board` (as the autosave holds it) into
// history. False, with the reason, for anything this program did not write: counts,
// kinds, cells off the board, values no table holds, a change to a cell's solution or
// clues, or edits that do not lead from one to the next and end at the board as it is.
bool ParseHistory(const std::string& text, const TSaveGameContent& board, TEditHistory& history, std::string& reason);
