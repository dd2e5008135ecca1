// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The puzzle being played: its tables and flags, the operations of TCore that
// change them, and the questions the play screen and the cells ask of them.
//
// Every grid is indexed [x][y], x the column and y the row, and is sized for the
// largest board; only the top-left BoardWidth x BoardHeight part is in use.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

inline constexpr int MaxBoardSize = 14;
// The letter X: a black cell in PlayerGrid and SolutionGrid.
inline constexpr std::uint8_t BlackCell = 88;
// The largest clue a run of nine distinct digits can have.
inline constexpr int MaxClue = 45;

using TGrid = std::array<std::array<std::uint8_t, MaxBoardSize>, MaxBoardSize>;
// [x][y][d - 1] is 1 when digit d is pencilled into the cell; index 9 stays 0.
using TMarkupGrid = std::array<std::array<std::array<std::uint8_t, 10>, MaxBoardSize>, MaxBoardSize>;

struct TPuzzleState {
    int BoardWidth = 9;
    int BoardHeight = 9;
    int PuzzleDifficulty = 0;  // 0 Easy, 1 Medium, 2 Hard
    // The grade within the level, one to five stars; 0 when it is not known (a typed-in
    // puzzle, or one with several solutions).
    int PuzzleStars = 0;

    TGrid PlayerGrid{};         // 0 empty, 1..9, BlackCell
    TGrid SolutionGrid{};       // 1..9, BlackCell
    TGrid VerticalSumGrid{};    // at a black cell: the clue of the run below, 0 none
    TGrid HorizontalSumGrid{};  // at a black cell: the clue of the run to the right, 0 none
    TMarkupGrid MarkupGrid{};

    int RevealCellMode = 0;
    int ShowSolution = 0;
    int ShowMistakes = 0;
    int AutoMarkup = 0;
    int PuzzleCompleted = 0;

    // Typing in a puzzle of one's own.
    int CustomMode = 0;
    int CustomPuzzleReady = 0;
    // The puzzle in play was typed in by the player (kept by the autosave).
    int IsCustomPuzzle = 0;
    // The typed-in puzzle allows more than one filling: mistakes are judged by the rules,
    // not by the one solution kept in SolutionGrid.
    int SeveralSolutions = 0;
    int EnteredVerticalSum = 0;
    int EnteredHorizontalSum = 0;

    // Help taken on this puzzle. It stays with the puzzle through a restart, a save and
    // the autosave: digits once revealed have been seen. A revealed cell or the solution
    // shown keeps the time out of the best times; explained steps are only counted.
    int RevealUsed = 0;
    int ExplainsUsed = 0;

    int DoubleFoundX = 0;
    int DoubleFoundY = 0;

    // Milliseconds of the platform clock.
    int TimerStart = 0;
    int TimerStop = 0;
};

extern TPuzzleState Puzzle;

// The combinations of distinct digits by run length and sum:
// [length - 1][sum - 1][k], each a text of increasing digits ("129"), "" past the last.
using TPossibleNumbers = std::array<std::array<std::array<std::string, 12>, 45>, 9>;
// Filled once at start-up and only read afterwards, so it lives apart from the
// puzzle state that tests reset.
extern TPossibleNumbers PossibleNumbers;

// Where the core needs the screens: they fill these in at start-up. Nothing is
// called while a hook is empty.
struct TCoreHooks {
    // Rebuild the board's cell sprites from the tables; animate 1 drops them in.
    std::function<void(int animate)> CreateCells;
    // A typed-in puzzle passed its check: fade over to the play screen.
    std::function<void()> CustomPuzzleAccepted;
    // A problem the player should hear about but that does not stop the game
    // (a file that could not be written). Empty: the framework's message box.
    std::function<void(const std::string& message)> Notice;
};

extern TCoreHooks CoreHooks;

// Tells the player through CoreHooks.Notice.
void CoreNotice(const std::string& message);

class TCore {
public:
    virtual ~TCore() = default;

    // Default board and difficulty, and the combination table. Once at start-up.
    virtual void Start();
    // Drops clues whose run has no cells left.
    virtual void ClearSumsWithLengthZero();
    // 1 when the typed-in puzzle has a solution; it then becomes the puzzle to play.
    // CheckMessage names the game text that tells the player the outcome ("" when a
    // single solution was found); CheckDetail, when not empty, says more in words.
    virtual int CheckCustomPuzzle();
    std::string CheckMessage;
    std::string CheckDetail;
    virtual void CreateCells(int animate);
    virtual int IsPuzzleCompleted();
    virtual void ShowHideMarkup();
    virtual void ShowHideSolution();
    virtual void ShowHideMistakes();
    virtual void ShowDesiredCell();
    // Reveals one empty or wrong white cell. The puzzle must not be complete.
    virtual void ShowRandomCell();
    // An all-white board without clues.
    virtual void ClearBoardCompletely();
    // Empties every white cell.
    virtual void ClearBoard();
    virtual void NewPuzzle();
    virtual void CustomPuzzle();
    virtual void RestartPuzzle();
    // Generates a puzzle and puts it in the tables. Blocks until the engine
    // delivers. False, with the tables untouched, for a size no board can have.
    virtual bool CreatePuzzle(int width, int height, int difficulty);
    virtual void FillPossibleNumbers();
};

extern std::shared_ptr<TCore> Core;

// Direction of a run from its clue cell.
inline constexpr int Horizontal = 0;  // to the right
inline constexpr int Vertical = 1;    // down

// Cells after (x, y) in the direction up to the next black cell or the edge (PlayerGrid).
int RunLength(int direction, int x, int y);
// The solution digits of that run (SolutionGrid).
int SolutionRunSum(int direction, int x, int y);
// sum minus what the player has entered in the run after clue cell (x, y).
int RemainingSum(int direction, int sum, int x, int y);
// 1 when d stands in one of the runs through (x, y), the cell itself included;
// the hit goes to DoubleFoundX/Y.
int DigitClashes(int d, int x, int y);
// The possible combinations of the run after clue cell (x, y), "1+2, 3+4",
// a line break before the 6th and the 11th.
std::string CombinationText(int direction, int x, int y);
int DigitFitsCombinations(int d, int x, int y);
// The automatic pencil mark of digit d in cell (x, y): 0 or 1.
int MarkupValue(int d, int x, int y);
void FillMarkup();
void ClearMarkup();
// 1 when (x2, y2) lies in a run through (x1, y1), or after it when (x1, y1) is a clue cell.
int InSameRun(int x1, int y1, int x2, int y2);
std::string DifficultyName(int difficulty);

// Grades the puzzle in SolutionGrid as the engine grades the puzzles it makes: one to
// five stars within PuzzleDifficulty's level, 0 when the grid is no finished puzzle.
int PuzzleGradeStars();
// How the run after clue cell (x, y) stands by the rules, whatever the stored
// solution: 1 full, adding up to its clue, no digit twice; -1 a digit twice,
// or full and not adding up; 0 still open (or no such run).
int RunCheck(int direction, int x, int y);
// 1 when the digit in white cell (x, y) breaks the rules: it stands twice in one of the
// cell's runs, or a run through it is full and misses its clue.
int BreaksRules(int x, int y);
// Milliseconds on the puzzle clock: up to TimerStop while it is frozen.
int PuzzleElapsed();
// Why the puzzle on the board cannot enter the best times, as a game text key
// ("Own Puzzle No Best Time", "Revealed No Best Time"); "" when its time may.
std::string NoBestTimeReason();
// A new puzzle on the board: no help taken on it yet.
void ForgetHelpTaken();
// One line on the reasoning a level's puzzles ask of the player.
std::string DifficultyAsks(int difficulty);

// The engine's description of the board as the player has typed it in.
struct TPuzzleDescription {
    std::string Dimensions;   // "W H"
    std::string Unfillable;   // every black cell's index y * H + x, each followed by a blank
    std::string Constraints;  // per clue cell: index, down clue and length, across clue and length
    int Count = 0;            // clue cells with at least one run
};
TPuzzleDescription CustomPuzzleDescription();

// 1 when the clues on the board, as they stand, can be met by more than one filling.
int CluesAllowSeveralSolutions();

// Why a clue for the run going `direction` from clue cell (x, y) cannot be, in the
// player's words; "" when it can. 0 is no clue. Any other must be 1..45, have a run to
// sum, and be a sum of as many different digits as the run has cells. While typing
// (final 0) the run may still be cut short by a new clue cell, so only a clue too large
// for every length it can still take is refused then; the check (final 1) takes the
// runs as they are.
std::string ClueProblem(int direction, int x, int y, int clue, int final = 0);
// The first clue on the typed-in board that its run cannot have, with its place, in
// the player's words; "" when every clue can be.
std::string MisfitClue();

// The clue tool's result on a typed-in board: (x, y) becomes a black cell with
// these clues, and clues left without a run go. False, and nothing changed, for a
// clue outside 0..45 (ClueProblem says more).
bool StoreClueCell(int x, int y, int horizontal, int vertical);
// The eraser's result on a typed-in board: (x, y) becomes an empty white cell
// without clues, and clues left without a run go.
void StoreWhiteCell(int x, int y);

// The sizes a board can have: 6, 7, 9, 12 or 14.
bool IsBoardSize(int size);

// Puts the puzzle tables, the options, the high score tables and the hooks back
// to how the program starts (tests).
void ResetCoreState();
