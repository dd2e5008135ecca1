// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/autosave.h"

#include <cstdint>
#include <optional>

#include "game/core/history.h"
#include "game/core/model.h"
#include "game/core/services.h"

namespace {

const char* const AutosaveHeader = "Tallyfold Autosave";
// A 14 x 14 puzzle takes about 6 KB; its history a kilobyte or two per edit at most.
constexpr std::int64_t MaxAutosaveBytes = 4 * 1024 * 1024;
// Past this the oldest edits are not kept: undo goes back that far.
constexpr std::size_t MaxHistoryBytes = 2 * 1024 * 1024;

// The header line and the flag line, each ended by CR LF (a bare LF is taken too).
bool SplitLine(const std::string& text, std::size_t& at, std::string& line) {
    const std::size_t lf = text.find('\n', at);
    if (lf == std::string::npos) return false;
    line = text.substr(at, lf - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    at = lf + 1;
    return true;
}

}  // namespace

// Reads the file; nullopt with the reason when it is damaged, and none at all
// (reason empty) when there is no file.
// unreadable is set when the file is there but cannot be read (a link, a
// pipe, a permission or input/output error): that is no damage.
std::optional<TSaveGameContent> TPuzzleModel::ReadAutosave(int& custom, std::string& reason, bool& unreadable) const {
    reason.clear();
    unreadable = false;
    std::string bytes;
    if (!AutosaveState.Pending.empty()) {
        bytes = AutosaveState.Pending;
    } else {
        std::string why;
        switch (CoreReadFile(AutosavePath(), MaxAutosaveBytes, bytes, &why)) {
            case TCoreRead::Missing:
                return std::nullopt;
            case TCoreRead::NotRegular:
            case TCoreRead::Unreadable:
                reason = why;
                unreadable = true;
                return std::nullopt;
            case TCoreRead::TooLarge:
                reason = "it is far too large";
                return std::nullopt;
            case TCoreRead::Read:
                break;
        }
    }
    return ParseAutosave(bytes, custom, reason);
}

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
    // The history, when there is one, follows the puzzle; a file without it is one
    // written before it was kept.
    std::string puzzle = bytes.substr(at), history;
    if (const std::size_t mark = puzzle.find("\nhistory"); mark != std::string::npos) {
        history = puzzle.substr(mark + 1);
        puzzle.resize(mark + 1);
    }
    std::string why;
    auto content = ParseSaveGame(puzzle, why);
    if (!content) {
        reason = "the puzzle after line 2: " + why;
        return std::nullopt;
    }
    custom = flag == "1" ? 1 : 0;
    // A history that does not fit costs the player their undo, not the puzzle.
    if (TEditHistory edits; !history.empty() && ParseHistory(history, *content, edits, content->HistoryProblem))
        content->History = std::move(edits);
    return content;
}

namespace {

// A file that was read and found damaged is kept aside under a name of its
// own, never deleted: the player (or whoever helps them) may want it.
void SetAsideDamaged(const std::string& reason) {
    const std::string path = AutosavePath();
    if (!CoreSavingOff().empty()) return;
    std::string aside = path + ".damaged";
    for (int n = 2; n < 1000 && CoreExists(aside); ++n) aside = path + ".damaged." + std::to_string(n);
    const bool kept = CoreIsPlainFile(path) && CoreRename(path, aside);
    CoreLogError("The autosaved puzzle " + path + " was damaged (" + reason + ") and " +
                 (kept ? "has been kept as " + aside + "." : "could not be set aside."));
}

}  // namespace

// The file is there but cannot be read now; it may well be whole. It stays,
// and the puzzles of this session are not written over it.
void TPuzzleModel::LeaveUnreadable(const std::string& reason) {
    const std::string path = AutosavePath();
    AutosaveState.Blocked = reason;
    if (AutosaveState.BlockedTold) return;
    AutosaveState.BlockedTold = true;
    CoreLogError("The autosaved puzzle " + path + " cannot be read (" + reason + "); it was left as it is.");
    std::string text = CoreText("Autosave Not Read");
    if (text.empty())
        text =
            "The puzzle kept from last time cannot be read, so it was left as it is and nothing will be "
            "written over it until the game starts again:";
    CoreNotice(text + "\r\n" + path + " (" + reason + ")");
}

// A kept puzzle that did not come back: left alone when unreadable, set aside
// when damaged; one only in memory was written by the game itself, so its
// damage cannot happen and it is simply dropped.
void TPuzzleModel::HandleUnusable(const std::string& reason, bool unreadable) {
    if (unreadable)
        LeaveUnreadable(reason);
    else if (AutosaveState.Pending.empty())
        SetAsideDamaged(reason);
    else
        AutosaveState.Pending.clear();
}

// Tries to put the kept puzzle on disk; 1 when it is there.
int TPuzzleModel::WritePending(bool tell) {
    const std::string path = AutosavePath();
    std::string reason;
    if (!AutosaveState.Blocked.empty()) {
        AutosaveState.PendingReason = "the puzzle kept from last time stands there and cannot be read";
        return 0;
    }
    if (CoreWriteFile(path, AutosaveState.Pending, &reason)) {
        AutosaveState.Pending.clear();
        AutosaveState.PendingReason.clear();
        AutosaveState.FailureTold = false;
        return 1;
    }
    AutosaveState.PendingReason = reason;
    // Nothing is saved this session at all, and the player knows it.
    if (!CoreSavingOff().empty() || !tell || AutosaveState.FailureTold) return 0;
    AutosaveState.FailureTold = true;
    std::string text = CoreText("Autosave Failed");
    if (text.empty())
        text =
            "Your puzzle in progress could not be kept on disk. Continue still brings it back while the "
            "game runs, and it is written as soon as the disk lets it:";
    CoreNotice(text + "\r\n" + CoreFileFault(path, reason));
    return 0;
}

std::string AutosavePath() { return CoreProfileFolder() + AutosaveFileName; }

std::string TPuzzleModel::AutosaveText() const {
    return std::string(AutosaveHeader) + "\r\n" + (Puzzle.IsCustomPuzzle ? "1" : "0") + "\r\n" +
           SaveGameText(PuzzleElapsed()) + HistoryText(EditHistory, MaxHistoryBytes);
}

int TPuzzleModel::WriteAutosave() {
    AutosaveState.Pending = AutosaveText();
    return WritePending(true);
}

int TPuzzleModel::FlushAutosave() {
    if (AutosaveState.Pending.empty()) return 1;
    return WritePending(false);
}

std::string TPuzzleModel::UnsavedAutosaveReason() const {
    return AutosaveState.Pending.empty() ? std::string() : AutosaveState.PendingReason;
}

int TPuzzleModel::AutosaveExists() {
    int custom = 0;
    std::string reason;
    bool unreadable = false;
    if (ReadAutosave(custom, reason, unreadable)) return 1;
    if (reason.empty()) return 0;
    HandleUnusable(reason, unreadable);
    return 0;
}

int TPuzzleModel::LoadAutosave(int* elapsedMs) {
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
    Restart();
    ApplySaveGameContent(*content);
    Puzzle.TimerStop = 0;
    Puzzle.CustomMode = 0;
    Puzzle.CustomPuzzleReady = 0;
    // The flag line is older than the save game's own help line; either may say so.
    Puzzle.IsCustomPuzzle = custom || content->IsCustomPuzzle ? 1 : 0;
    if (Puzzle.IsCustomPuzzle) Puzzle.PuzzleStars = 0;
    if (content->History) {
        EditHistory.Done = std::move(content->History->Done);
        EditHistory.Undone = std::move(content->History->Undone);
    } else if (!content->HistoryProblem.empty()) {
        CoreLogError("The undo history kept with " + AutosavePath() + " was left out (" + content->HistoryProblem +
                     ").");
    }
    EditHistory.Continued = 1;
    if (elapsedMs) *elapsedMs = content->ElapsedMs;
    return 1;
}

void TPuzzleModel::RemoveAutosave() {
    AutosaveState.Pending.clear();
    AutosaveState.PendingReason.clear();
    // An unreadable file is not ours to remove; nor is anything while nothing is written.
    if (!AutosaveState.Blocked.empty() || !CoreSavingOff().empty()) return;
    const std::string path = AutosavePath();
    if (CoreIsPlainFile(path)) CoreDelete(path);
}

int TPuzzleModel::AutosaveWanted() const {
    if (Puzzle.CustomMode || Puzzle.PuzzleCompleted) return 0;
    return EditHistory.Changes > 0 || EditHistory.Continued ? 1 : 0;
}
