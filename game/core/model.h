// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The puzzle model: everything the game knows about the puzzle in play (the board,
// the player's grid and marks, the edit history, the options that change play), and
// the questions and edits that read or change it. Whoever needs the puzzle is handed
// a model; nothing in the core reaches a global one, so tests make their own.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "game/core/autosave.h"
#include "game/core/candidates.h"
#include "game/core/core.h"
#include "game/core/edits.h"
#include "game/core/explain.h"
#include "game/core/high_scores.h"
#include "game/core/options.h"
#include "game/core/play_record.h"
#include "game/core/run_links.h"
#include "game/core/save_game.h"

class TPuzzleModel {
public:
    TPuzzleState Puzzle;
    TEditHistory EditHistory;
    TGameOptions Options;
    TCoreHooks Hooks;
    THighScoreTables HighScoreTables;
    // Names the game keeps in the profile folder for files of its own, compared in
    // any letter case; the save game manager never lists or deletes them.
    std::vector<std::string> ReservedSaveNames;
    // Digits explanations ruled out, for the puzzle whose solution they were found on.
    TRuledOut RuledOut;
    TAutosaveState AutosaveState;
    TPlayTrack PlayTrack;
    TPlayHistory PlayHistory;

    // Tells the player through Hooks.Notice.
    void CoreNotice(const std::string& message) const;

    // ---- questions about the board (board.cpp)
    bool OnBoard(int x, int y) const;
    // The run questions below follow the engine's run links when the layout makes an
    // engine board, and walk the tables when it does not (a typed-in board with a
    // white cell in no run or a run reaching the edge): true in the first case.
    bool RunsFromEngine() const { return RunBoard() != nullptr; }
    // Cells after (x, y) in the direction up to the next black cell or the edge (PlayerGrid).
    int RunLength(int direction, int x, int y) const;
    // The solution digits of that run (SolutionGrid).
    int SolutionRunSum(int direction, int x, int y) const;
    // sum minus what the player has entered in the run after clue cell (x, y).
    int RemainingSum(int direction, int sum, int x, int y) const;
    // 1 when d stands in one of the runs through (x, y), the cell itself included;
    // the hit goes to DoubleFoundX/Y.
    int DigitClashes(int d, int x, int y);
    // The possible combinations of the run after clue cell (x, y), "1+2, 3+4",
    // a line break before the 6th and the 11th.
    std::string CombinationText(int direction, int x, int y) const;
    int DigitFitsCombinations(int d, int x, int y) const;
    // The automatic pencil mark of digit d in cell (x, y): 0 or 1.
    int MarkupValue(int d, int x, int y);
    void FillMarkup();
    void ClearMarkup();
    // 1 when (x2, y2) lies in a run through (x1, y1), or after it when (x1, y1) is a clue cell.
    int InSameRun(int x1, int y1, int x2, int y2) const;
    // Grades the puzzle in SolutionGrid as the engine grades the puzzles it makes: one to
    // five stars within PuzzleDifficulty's level, 0 when the grid is no finished puzzle.
    int PuzzleGradeStars() const;
    // How the run after clue cell (x, y) stands by the rules, whatever the stored
    // solution: 1 full, adding up to its clue, no digit twice; -1 a digit twice,
    // or full and not adding up; 0 still open (or no such run).
    int RunCheck(int direction, int x, int y) const;
    // 1 when the digit in white cell (x, y) breaks the rules: it stands twice in one of the
    // cell's runs, or a run through it is full and misses its clue.
    int BreaksRules(int x, int y) const;
    // 1 when every white cell holds the stored solution's digit, or (a typed-in puzzle
    // with other fillings) every run is full and meets its clue.
    int BoardSolved() const;
    // Milliseconds on the puzzle clock: up to TimerStop while it is frozen.
    int PuzzleElapsed() const;
    // Why the puzzle on the board cannot enter the best times, as a game text key
    // ("Own Puzzle No Best Time", "Revealed No Best Time"); "" when its time may.
    std::string NoBestTimeReason() const;
    // A new puzzle on the board: no help taken on it yet.
    void ForgetHelpTaken();
    // Empties every white cell, the marks, the flags and the history, and starts the clock.
    void Restart();

    // The cells of the run after clue cell (x, y), in order.
    std::vector<std::pair<int, int>> RunCells(int direction, int x, int y) const;

    // ---- candidates (candidates.cpp)
    // The combinations of the run after clue cell (x, y) that still fit its placed
    // digits and the marks of its empty cells (a cell without marks may take any digit).
    TRunCandidates RunCandidates(int direction, int x, int y) const;
    // Those combinations as the message line shows them, with the digits every one
    // of them still needs and those none can use; "" for no run.
    std::string FilteredCombinationText(int direction, int x, int y) const;
    // 1 when digit d stands in another cell of a run through (x, y): a mark of d there
    // contradicts the board.
    int MarkContradicted(int d, int x, int y) const;

    // ---- checkpoints (checkpoints.cpp)
    static constexpr int MaxCheckpoints = 5;
    // Where the open checkpoints stand in EditHistory.Done, oldest first.
    std::vector<std::size_t> OpenCheckpoints() const;
    // The player grid as it was at the oldest open checkpoint; false when none is open.
    bool TriedFrom(TGrid& player) const;
    // "Try From Here": Refused when MaxCheckpoints are open already.
    TEditResult TryFromHere();
    // "Back to Checkpoint": the board as it was at the newest open checkpoint, which
    // closes; Unchanged when none is open.
    TEditResult BackToCheckpoint();
    // "Undo to Last Correct": the board as it was when it last held no wrong digit;
    // Unchanged when it holds none now or the history does not reach back that far.
    TEditResult UndoToLastCorrect();
    // True when no digit of player differs from the solution's (empty cells agree).
    bool AgreesWithSolution(const TGrid& player) const;

    // ---- typing in a puzzle (custom_puzzle.cpp)
    // Drops clues whose run has no cells left.
    void ClearSumsWithLengthZero();
    TPuzzleDescription CustomPuzzleDescription() const;
    // 1 when the clues on the board, as they stand, can be met by more than one filling.
    int CluesAllowSeveralSolutions() const;
    // Why a clue for the run going `direction` from clue cell (x, y) cannot be, in the
    // player's words; "" when it can. 0 is no clue. Any other must be 1..45, have a run to
    // sum, and be a sum of as many different digits as the run has cells. While typing
    // (final 0) the run may still be cut short by a new clue cell, so only a clue too large
    // for every length it can still take is refused then; the check (final 1) takes the
    // runs as they are.
    std::string ClueProblem(int direction, int x, int y, int clue, int final = 0) const;
    // The first clue on the typed-in board that its run cannot have, with its place, in
    // the player's words; "" when every clue can be.
    std::string MisfitClue() const;
    // The clue tool's result on a typed-in board: (x, y) becomes a black cell with
    // these clues, and clues left without a run go. False, and nothing changed, for a
    // clue outside 0..45 (ClueProblem says more).
    bool StoreClueCell(int x, int y, int horizontal, int vertical);
    // The eraser's result on a typed-in board: (x, y) becomes an empty white cell
    // without clues, and clues left without a run go.
    void StoreWhiteCell(int x, int y);

    // ---- the one edit path (edits.cpp)
    // Applies the request to the tables, keeps the change for undo (dropping what was
    // undone before it) and counts it.
    TEditResult ApplyEdit(const TEditRequest& request);
    // 1 when an edit was taken back or put again, 0 when there was none.
    int UndoEdit();
    int RedoEdit();
    int CanUndo() const;
    int CanRedo() const;
    // A new, restarted or loaded puzzle starts without a history.
    void ClearEditHistory();

    // ---- "Explain a Step" (explain.cpp)
    // The step for the puzzle on the board. A wrong digit comes first: nothing
    // is reasoned from it.
    TExplainedStep ExplainNextStep();
    // Carries out a step: a placement writes its digit, a wrong digit is erased,
    // both through the edit path; a removal is kept for the next explanations and,
    // while the pencil marks are automatic, taken off the marks.
    void ApplyExplainedStep(const TExplainedStep& step);
    // Keeps digits a carried-out hint ruled out of cell (x, y), for the next hints and the
    // automatic marks; false for a cell off the board.
    bool RememberRuledOut(int x, int y, unsigned digits);
    // 1 when an explanation ruled digit d out of cell (x, y) of this puzzle.
    int ExplainedOut(int d, int x, int y) const;
    // What explanations ruled out is forgotten (a restarted or another puzzle).
    void ForgetExplanations();

    // ---- save games (save_game.cpp)
    // The file text of the current puzzle with elapsedMs on the clock.
    std::string SaveGameText(int elapsedMs) const;
    // Puts a save game's content into the puzzle tables: the clock continues from
    // its time, the history starts empty.
    void ApplySaveGameContent(const TSaveGameContent& content);
    bool IsReservedSaveName(const std::string& name) const;
    // Saves or loads the puzzle under a name; the reason for a failure goes to
    // *error when given, for the caller to show in a dialog.
    int SaveGameNamed(const std::string& name, std::string* error = nullptr);
    int LoadGameNamed(const std::string& name, std::string* error = nullptr);

    // ---- the autosave (autosave.cpp)
    // The file's text for the puzzle in the tables: a header line, the typed-in
    // flag, then the puzzle exactly as a save game holds it (time included).
    std::string AutosaveText() const;
    // 1 written; 0 when it could not be: the puzzle is then kept in memory (Continue
    // finds it there) and written by the next WriteAutosave or FlushAutosave; the
    // player is told once until a write succeeds again, and the error log says why.
    int WriteAutosave();
    // Writes a puzzle kept in memory by a failed write; 1 when none is left waiting.
    int FlushAutosave();
    // Why a puzzle in progress is only in memory (its write failed); "" when none is.
    std::string UnsavedAutosaveReason() const;
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
    int AutosaveWanted() const;

    // ---- the options file (options.cpp)
    // GameIni's lines become one per option, with the current values.
    void WriteGameOptions() const;
    // The options take the values of GameIni's lines with their names.
    void ReadGameOptions();
    // WriteGameOptions, then GameIni is written. 1 written; 0 when it could not be
    // (the player has been told, and the options stay in force for this session).
    int SaveGameOptions() const;
    // Start-up: GameIni (created when missing) named SubPath + "config", the defaults
    // in it, the file loaded over them and the values read back.
    void LoadGameOptions();
    void ResetGameOptions();

    // ---- best times (high_scores.cpp)
    // The five tables under the shared data folder ("hs6x6" ... "hs14x14"), loaded.
    void LoadHighScoreTables();
    void ResetHighScoreTables();
    // The table of the current BoardWidth; nullptr for a width no table has.
    std::shared_ptr<TKakuroHighScoreList> HighScoreListForSize() const;
    // The place in the table of the current size, or else in that of its size and level.
    int WillEnterHighscoreForSize(int time) const;
    // The table of a size and level (0..2); nullptr for a size no table has.
    std::shared_ptr<TKakuroHighScoreList> LevelHighScoreList(int width, int difficulty) const;
    // Inserts into the table of the current size and saves it, and into that of its
    // level when the time enters there; the result of the saves (1 also when there
    // is no table for the size, since there is nothing to lose).
    int AddHighscoreForSize(const std::string& name, int difficulty, int time);

    // ---- the play history (play_tracking.cpp)
    // The history file in the shared data folder, read on first use.
    TPlayHistory& History();
    // The puzzle now in the tables is the one to record next.
    void BeginPlayRecord(const std::string& source);
    // The puzzle on the board ends: finished, or abandoned (recorded only when
    // the player changed it). Nothing happens when no record is open.
    void EndPlayRecord(int finished);
    // A saved puzzle is about to replace the board: the record open stays open
    // when it is the same puzzle (Continue), else the old one ends abandoned.
    // Returns 1 when it stays open.
    int KeepPlayRecordFor(const TGrid& solution, int width, int height);

private:
    // The engine board of the layout in the tables, rebuilt when that changed; nullptr
    // when the tables make none.
    const engine::TBoard* RunBoard() const { return RunLinks.For(Puzzle); }
    // The same board when the solution grid has the player grid's black cells, for
    // the questions about the solution's runs.
    const engine::TBoard* SolutionRunBoard() const;
    // The clue cell of the run through white cell (x, y): the nearest black cell
    // before it, or false when the run reaches the edge (a typed-in board can have that).
    bool FindClueCell(int direction, int x, int y, int& cx, int& cy) const;
    bool RuledOutBelongsHere() const;
    // Marks kept up to date by hand-placed digits (candidates.cpp).
    void KeepMarksAfterPlacing(int x, int y);
    void KeepMarksAfterErasing(int x, int y);
    void KeepMarksOf(int x, int y, bool placed);
    // The player grid, marks and automatic-marks flag as they were before Done[index] (checkpoints.cpp).
    void BoardBefore(std::size_t index, TGrid& player, TMarkupGrid& marks, int& autoMarkup) const;
    // Puts a whole board back (checkpoints.cpp); what changed becomes the edit.
    void PutBoard(const TGrid& player, const TMarkupGrid& marks, int autoMarkup);
    bool CheckpointTarget(TEditKind kind, TGrid& player, TMarkupGrid& marks, int& autoMarkup) const;
    void RebuildIfShapeChanged(const TEdit& edit);
    void Perform(const TEditRequest& r);
    bool Valid(const TEditRequest& r) const;
    void Restore(const TEdit& edit, bool after);
    std::optional<TSaveGameContent> ReadAutosave(int& custom, std::string& reason, bool& unreadable) const;
    void LeaveUnreadable(const std::string& reason);
    void HandleUnusable(const std::string& reason, bool unreadable);
    int WritePending(bool tell);

    // A cache of what the tables say, so the const questions may refresh it.
    mutable TRunLinks RunLinks;
};
