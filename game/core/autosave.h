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
// 1 written; 0 when it could not be: the puzzle is then kept in memory (Continue
// finds it there) and written by the next WriteAutosave or FlushAutosave; the
// player is told once until a write succeeds again, and the error log says why.
int WriteAutosave();
// Writes a puzzle kept in memory by a failed write; 1 when none is left waiting.
int FlushAutosave();
// Why a puzzle in progress is only in memory (its write failed); "" when none is.
std::string UnsavedAutosaveReason();
// 1 when a puzzle can be continued. A file that was read and found damaged is
// kept aside as autosave.sav.damaged, with a line in the error log, and
// answers 0; one that cannot be read is left as it is (the player is told, and
// nothing is written over it this session).
int AutosaveExists();
// Puts the kept puzzle into the tables with its time in *elapsedMs: 1. No file
// 0; a damaged or unreadable one -1 (handled as by AutosaveExists); the tables
// are then untouched.
int LoadAutosave(int* elapsedMs = nullptr);
// Forgets the kept puzzle, in memory and on disk.
void RemoveAutosave();
// 1 when the puzzle on the board is one to keep: being played (not typed in,
// not solved) and changed by the player or itself continued.
int AutosaveWanted();
// Forgets everything the autosave remembers of this session (tests, a new session).
void ResetAutosaveState();
