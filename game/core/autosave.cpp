// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/autosave.h"

#include <cstdint>
#include <optional>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/paths/errors.h"
#include "game/core/core.h"
#include "game/core/edits.h"
#include "game/core/save_game.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"

namespace {

const char* const AutosaveHeader = "Tallyfold Autosave";
// A 14 x 14 puzzle takes about 6 KB.
constexpr std::int64_t MaxAutosaveBytes = 64 * 1024;

bool WriteFailureLogged = false;

// The header line and the flag line, each ended by CR LF (a bare LF is taken too).
bool SplitLine(const std::string& text, std::size_t& at, std::string& line) {
    const std::size_t lf = text.find('\n', at);
    if (lf == std::string::npos) return false;
    line = text.substr(at, lf - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    at = lf + 1;
    return true;
}

// Reads the file; nullopt with the reason when it is damaged, and none at all
// (reason empty) when there is no file.
std::optional<TSaveGameContent> ReadAutosave(int& custom, std::string& reason) {
    reason.clear();
    std::string bytes;
    switch (platform::ReadRegularFile(AutosavePath(), MaxAutosaveBytes, bytes)) {
        case platform::ReadStatus::Missing:
            return std::nullopt;
        case platform::ReadStatus::NotRegular:
        case platform::ReadStatus::Unreadable:
            reason = "it cannot be read";
            return std::nullopt;
        case platform::ReadStatus::TooLarge:
            reason = "it is far too large";
            return std::nullopt;
        case platform::ReadStatus::Read:
            break;
    }
    std::size_t at = 0;
    std::string header, flag;
    if (!SplitLine(bytes, at, header) || header != AutosaveHeader) {
        reason = "line 1: not a Tallyfold autosave";
        return std::nullopt;
    }
    if (!SplitLine(bytes, at, flag) || (flag != "0" && flag != "1")) {
        reason = "line 2: the typed-in flag must be 0 or 1";
        return std::nullopt;
    }
    std::string why;
    auto content = ParseSaveGame(bytes.substr(at), why);
    if (!content) {
        reason = "the puzzle after line 2: " + why;
        return std::nullopt;
    }
    custom = flag == "1" ? 1 : 0;
    return content;
}

void DropDamaged(const std::string& reason) {
    const std::string path = AutosavePath();
    // Only a plain file is ours to remove; anything else is left for its owner.
    const bool removed = platform::FileType(path) == platform::FILETYPE_FILE && platform::DeleteFile(path);
    AppendErrorLog("The autosaved puzzle " + path + " was damaged (" + reason + ") and " +
                   (removed ? "has been removed." : "could not be removed."));
}

}  // namespace

std::string AutosavePath() { return (Game ? Game->ProfilePath : std::string()) + AutosaveFileName; }

std::string AutosaveText() {
    return std::string(AutosaveHeader) + "\r\n" + (Puzzle.IsCustomPuzzle ? "1" : "0") + "\r\n" +
           SaveGameText(PuzzleElapsed());
}

int WriteAutosave() {
    const std::string path = AutosavePath();
    if (platform::SaveFileAtomic(path, AutosaveText())) return 1;
    if (!WriteFailureLogged) {
        WriteFailureLogged = true;
        AppendErrorLog("Could not write the autosaved puzzle " + path + ".");
    }
    return 0;
}

int AutosaveExists() {
    int custom = 0;
    std::string reason;
    if (ReadAutosave(custom, reason)) return 1;
    if (!reason.empty()) DropDamaged(reason);
    return 0;
}

int LoadAutosave(int* elapsedMs) {
    int custom = 0;
    std::string reason;
    auto content = ReadAutosave(custom, reason);
    if (!content) {
        if (reason.empty()) return 0;
        DropDamaged(reason);
        return -1;
    }
    // Whatever the last puzzle left behind (a frozen clock, the solution shown)
    // must not carry over.
    if (Core) Core->RestartPuzzle();
    ApplySaveGameContent(*content);
    Puzzle.TimerStop = 0;
    Puzzle.CustomMode = 0;
    Puzzle.CustomPuzzleReady = 0;
    Puzzle.IsCustomPuzzle = custom;
    if (custom) Puzzle.PuzzleStars = 0;
    EditHistory.Continued = 1;
    if (elapsedMs) *elapsedMs = content->ElapsedMs;
    return 1;
}

void RemoveAutosave() {
    const std::string path = AutosavePath();
    if (platform::FileType(path) == platform::FILETYPE_FILE) platform::DeleteFile(path);
}

int AutosaveWanted() {
    if (Puzzle.CustomMode || Puzzle.PuzzleCompleted) return 0;
    return EditHistory.Changes > 0 || EditHistory.Continued ? 1 : 0;
}

void ResetAutosaveState() { WriteFailureLogged = false; }
