// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The puzzle in progress kept without the player asking, so that leaving the
// board, closing the window or a lost session never loses it: one reserved
// file in the profile folder, written whole and atomically. The save game
// manager lists only ".dat" files there, so it never shows this one.
#include <optional>
#include <string>

#include "game/core/save_game.h"

inline constexpr const char* AutosaveFileName = "autosave.sav";

// The profile folder + AutosaveFileName.
std::string AutosavePath();
// The file's text for the puzzle in the tables: a header line, the typed-in
// flag, then the puzzle exactly as a save game holds it (time included).
std::string AutosaveText();
// The file's bytes read back: the puzzle, and in custom its typed-in flag; nullopt
// with the reason when they are not a file AutosaveText could have made.
std::optional<TSaveGameContent> ParseAutosave(const std::string& bytes, int& custom, std::string& reason);
// 1 written; 0 when it could not be (a line in the error log says why, once a
// session: play goes on and the next write may succeed).
int WriteAutosave();
// 1 when a puzzle can be continued. A file that is not one the game wrote is
// removed here, with a line in the error log, and answers 0.
int AutosaveExists();
// Puts the kept puzzle into the tables with its time in *elapsedMs: 1. No file
// 0; a damaged one -1 (removed and logged); the tables are then untouched.
int LoadAutosave(int* elapsedMs = nullptr);
void RemoveAutosave();
// 1 when the puzzle on the board is one to keep: being played (not typed in,
// not solved) and changed by the player or itself continued.
int AutosaveWanted();
// Forgets that a failed write was already logged (tests, a new session).
void ResetAutosaveState();
