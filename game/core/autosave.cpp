// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/autosave.h"

#include <cstdint>
#include <optional>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/text/game_text.h"
#include "game/core/core.h"
#include "game/core/edits.h"
#include "game/core/save_game.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"

namespace {

const char* const AutosaveHeader = "Tallyfold Autosave";
// A 14 x 14 puzzle takes about 6 KB.
constexpr std::int64_t MaxAutosaveBytes = 64 * 1024;

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
TAutosaveState State;

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
// unreadable is set when the file is there but cannot be read (a link, a
// pipe, a permission or input/output error): that is no damage.
std::optional<TSaveGameContent> ReadAutosave(int& custom, std::string& reason, bool& unreadable) {
    reason.clear();
    unreadable = false;
    std::string bytes;
    if (!State.Pending.empty()) {
        bytes = State.Pending;
    } else {
        std::string why;
        switch (platform::ReadRegularFile(AutosavePath(), MaxAutosaveBytes, bytes, &why)) {
            case platform::ReadStatus::Missing:
                return std::nullopt;
            case platform::ReadStatus::NotRegular:
            case platform::ReadStatus::Unreadable:
                reason = why;
                unreadable = true;
                return std::nullopt;
            case platform::ReadStatus::TooLarge:
                reason = "it is far too large";
                return std::nullopt;
            case platform::ReadStatus::Read:
                break;
        }
    }
    return ParseAutosave(bytes, custom, reason);
}

}  // namespace

std::optional<TSaveGameContent> ParseAutosave(const std::string& bytes, int& custom, std::string& reason) {
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

namespace {

// A file that was read and found damaged is kept aside under a name of its
// own, never deleted: the player (or whoever helps them) may want it.
void SetAsideDamaged(const std::string& reason) {
    const std::string path = AutosavePath();
    if (!SharedData.SavingOff.empty()) return;
    std::string aside = path + ".damaged";
    for (int n = 2; n < 1000 && platform::FileType(aside) != platform::FILETYPE_NONE; ++n)
        aside = path + ".damaged." + std::to_string(n);
    const bool kept = platform::IsPlainFile(path) && platform::RenameFile(path, aside);
    AppendErrorLog("The autosaved puzzle " + path + " was damaged (" + reason + ") and " +
                   (kept ? "has been kept as " + aside + "." : "could not be set aside."));
}

// The file is there but cannot be read now; it may well be whole. It stays,
// and the puzzles of this session are not written over it.
void LeaveUnreadable(const std::string& reason) {
    const std::string path = AutosavePath();
    State.Blocked = reason;
    if (State.BlockedTold) return;
    State.BlockedTold = true;
    AppendErrorLog("The autosaved puzzle " + path + " cannot be read (" + reason + "); it was left as it is.");
    std::string text = Resources.GameText ? Resources.GameText->FindString("Autosave Not Read") : std::string();
    if (text.empty())
        text = "The puzzle kept from last time cannot be read, so it was left as it is and nothing will be "
               "written over it until the game starts again:";
    CoreNotice(text + "\r\n" + path + " (" + reason + ")");
}

// A kept puzzle that did not come back: left alone when unreadable, set aside
// when damaged; one only in memory was written by the game itself, so its
// damage cannot happen and it is simply dropped.
void HandleUnusable(const std::string& reason, bool unreadable) {
    if (unreadable)
        LeaveUnreadable(reason);
    else if (State.Pending.empty())
        SetAsideDamaged(reason);
    else
        State.Pending.clear();
}

// Tries to put the kept puzzle on disk; 1 when it is there.
int WritePending(bool tell) {
    const std::string path = AutosavePath();
    std::string reason;
    if (!State.Blocked.empty()) {
        State.PendingReason = "the puzzle kept from last time stands there and cannot be read";
        return 0;
    }
    if (WriteSharedFile(path, State.Pending, &reason, true)) {
        State.Pending.clear();
        State.PendingReason.clear();
        State.FailureTold = false;
        return 1;
    }
    State.PendingReason = reason;
    // Nothing is saved this session at all, and the player knows it.
    if (!SharedData.SavingOff.empty() || !tell || State.FailureTold) return 0;
    State.FailureTold = true;
    std::string text = Resources.GameText ? Resources.GameText->FindString("Autosave Failed") : std::string();
    if (text.empty())
        text = "Your puzzle in progress could not be kept on disk. Continue still brings it back while the "
               "game runs, and it is written as soon as the disk lets it:";
    CoreNotice(text + "\r\n" + FileFaultText(path, reason));
    return 0;
}

}  // namespace

std::string AutosavePath() { return (Game ? Game->ProfilePath : std::string()) + AutosaveFileName; }

std::string AutosaveText() {
    return std::string(AutosaveHeader) + "\r\n" + (Puzzle.IsCustomPuzzle ? "1" : "0") + "\r\n" +
           SaveGameText(PuzzleElapsed());
}

int WriteAutosave() {
    State.Pending = AutosaveText();
    return WritePending(true);
}

int FlushAutosave() {
    if (State.Pending.empty()) return 1;
    return WritePending(false);
}

std::string UnsavedAutosaveReason() { return State.Pending.empty() ? std::string() : State.PendingReason; }

int AutosaveExists() {
    int custom = 0;
    std::string reason;
    bool unreadable = false;
    if (ReadAutosave(custom, reason, unreadable)) return 1;
    if (reason.empty()) return 0;
    HandleUnusable(reason, unreadable);
    return 0;
}

int LoadAutosave(int* elapsedMs) {
    int custom = 0;
    std::string reason;
    bool unreadable = false;
    auto content = ReadAutosave(custom, reason, unreadable);
    if (!content) {
        if (reason.empty()) return 0;
        HandleUnusable(reason, unreadable);
        return -1;
    }
    // Whatever the last puzzle left behind (a frozen clock, the solution shown)
    // must not carry over.
    if (Core) Core->RestartPuzzle();
    ApplySaveGameContent(*content);
    Puzzle.TimerStop = 0;
    Puzzle.CustomMode = 0;
    Puzzle.CustomPuzzleReady = 0;
    // The flag line is older than the save game's own help line; either may say so.
    Puzzle.IsCustomPuzzle = custom || content->IsCustomPuzzle ? 1 : 0;
    if (Puzzle.IsCustomPuzzle) Puzzle.PuzzleStars = 0;
    EditHistory.Continued = 1;
    if (elapsedMs) *elapsedMs = content->ElapsedMs;
    return 1;
}

void RemoveAutosave() {
    State.Pending.clear();
    State.PendingReason.clear();
    // An unreadable file is not ours to remove; nor is anything while nothing is written.
    if (!State.Blocked.empty() || !SharedData.SavingOff.empty()) return;
    const std::string path = AutosavePath();
    if (platform::IsPlainFile(path)) platform::DeleteFile(path);
}

int AutosaveWanted() {
    if (Puzzle.CustomMode || Puzzle.PuzzleCompleted) return 0;
    return EditHistory.Changes > 0 || EditHistory.Continued ? 1 : 0;
}

void ResetAutosaveState() { State = TAutosaveState{}; }
