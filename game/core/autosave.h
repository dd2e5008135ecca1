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
// The file's bytes read back: the puzzle, and in custom its typed-in flag; nullopt
// with the reason when they are not a file the autosave could have made.
std::optional<TSaveGameContent> ParseAutosave(const std::string& bytes, int& custom, std::string& reason);
// What the autosave remembers of this session.
struct TAutosaveState {
    // The puzzle as the file should hold it, while the file does not: the
    // disk refused it. Continue brings it back from here, and every later
    // write (or FlushAutosave) tries again.
    std::string Pending;
    // Why the last write failed, for the message at the end of the game.
    std::string PendingReason;
    // The player has been told of the failures since the last good write.
    bool FailureTold = false;
    // An autosave that could not be read (not damaged: unreadable) stands on
    // disk; it is left as it is, so nothing is written over it this session.
    std::string Blocked;
    bool BlockedTold = false;
};
