// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A puzzle in progress saved under a name: a small text file in the profile
// folder holding the whole puzzle state.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/core/core.h"
#include "game/core/edits.h"

// What a save game holds, as read from a file before any of it reaches the tables.
struct TSaveGameContent {
    int BoardWidth = 0;
    int BoardHeight = 0;
    int PuzzleDifficulty = 0;
    int AutoMarkup = 0;
    int ElapsedMs = 0;
    TGrid HorizontalSumGrid{};
    TGrid VerticalSumGrid{};
    TGrid PlayerGrid{};
    TGrid SolutionGrid{};
    TMarkupGrid MarkupGrid{};
    // The help line after the pencil marks; files written before it existed have
    // none and load as a generated puzzle played without help.
    int RevealUsed = 0;
    int ExplainsUsed = 0;
    int IsCustomPuzzle = 0;
    // The autosave's edit history when it has one that fits the puzzle; otherwise why
    // not (empty when the file has none).
    std::optional<TEditHistory> History;
    std::string HistoryProblem;
};

// Reads a save game text; nullopt with the reason (in English, for the player's
// message and the maintainer) when it is not one this program wrote or could
// have written: every number, every line and the puzzle itself are checked.
std::optional<TSaveGameContent> ParseSaveGame(const std::string& text, std::string& reason);

// What the Load list tells of a save without loading it.
struct TSaveGameSummary {
    int BoardWidth = 0;
    int BoardHeight = 0;
    int PuzzleDifficulty = 0;
    int ElapsedMs = 0;
    // Playing cells holding a digit, of all the playing cells.
    int CellsFilled = 0;
    int CellsToFill = 0;
};

// The save file at path summed up; nullopt with the reason when it cannot be
// read or would not load (the same checks as loading it).
std::optional<TSaveGameSummary> SummariseSaveGame(const std::string& path, std::string& reason);

// A name the player may save under: not empty, no folder separators or control
// characters, not beginning with a dot, and short enough for any file system.
// The save game manager lists, loads and deletes no other names.
bool IsValidSaveName(const std::string& name);

class TPuzzleModel;

class TSaveGame {
public:
    explicit TSaveGame(TPuzzleModel& model) : Model(model) {}
    virtual ~TSaveGame() = default;
    TPuzzleModel& Model;
    std::string Name;
    // Why the last Save or Load did not do its work, ready to show to the player.
    std::string Error;

    static std::shared_ptr<TSaveGame> Create(TPuzzleModel& model, const std::string& name);
    virtual void Init(const std::string& name);
    // 1 written; 0 not written, Error says why. The puzzle in play is untouched
    // either way, so the player can carry on or try another name.
    virtual int Save();
    // 1 loaded. -1 when there is no such file, it is not a regular file (a
    // link, a pipe), it cannot be read or it is damaged: Error says why, the
    // puzzle in play stays exactly as it was and nothing is written.
    virtual int Load();
    // The profile folder + Name + ".dat".
    std::string FilePath() const;
};

// Nothing in the game makes one; kept for files and callers that name the type.
class TSaveData {
public:
    virtual ~TSaveData() = default;
    static std::shared_ptr<TSaveData> Create();
};
