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
    // Of those hints, how many were opened to their reasoning and how many carried out
    // (ExplainsUsed counts the first presses).
    int HintsShown = 0, HintsCarried = 0;

    // The generator's request behind the puzzle in play (level 1..3; 0 for a puzzle that
    // came from elsewhere) and the solution it made: the short code names the puzzle only
    // while the board holds exactly that.
    int GeneratedLevel = 0;
    std::uint32_t GeneratedSeed = 0;
    TGrid GeneratedSolution{};

    int DoubleFoundX = 0;
    int DoubleFoundY = 0;

    // Milliseconds of the platform clock.
    int TimerStart = 0;
    int TimerStop = 0;
};

// The combinations of distinct digits by run length and sum:
// [length - 1][sum - 1][k], each a text of increasing digits ("129"), "" past the last.
using TPossibleNumbers = std::array<std::array<std::array<std::string, 12>, 45>, 9>;
// Made on first use and only read afterwards.
const TPossibleNumbers& PossibleNumbers();

// Where the core needs the screens: they fill these in at start-up. Nothing is
// called while a hook is empty.
struct TCoreHooks {
    // Rebuild the board's cell sprites from the tables; animate 1 drops them in.
    std::function<void(int animate)> CreateCells;
    // A typed-in puzzle passed its check: fade over to the play screen.
    std::function<void()> CustomPuzzleAccepted;
    // A problem the player should hear about but that does not stop the game
    // (a file that could not be written). Empty: the services' notice.
    std::function<void(const std::string& message)> Notice;
};

class TPuzzleModel;

// The operations of a game on the model it is given.
class TCore {
public:
    explicit TCore(TPuzzleModel& model) : Model(model) {}
    virtual ~TCore() = default;
    TPuzzleModel& Model;

    // Default board and difficulty. Once at start-up.
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
    // Puts a generated solution grid (digits, BlackCell) and its clues in the tables;
    // source names it in the play history ("seed:N", "daily:YYYY-MM-DD").
    virtual void TakeSolution(const TGrid& solution, int width, int height, int difficulty, const std::string& source);
};

// Direction of a run from its clue cell.
inline constexpr int Horizontal = 0;  // to the right
inline constexpr int Vertical = 1;    // down

std::string DifficultyName(int difficulty);
// One line on the reasoning a level's puzzles ask of the player.
std::string DifficultyAsks(int difficulty);

// The engine's description of the board as the player has typed it in.
struct TPuzzleDescription {
    std::string Dimensions;   // "W H"
    std::string Unfillable;   // every black cell's index y * H + x, each followed by a blank
    std::string Constraints;  // per clue cell: index, down clue and length, across clue and length
    int Count = 0;            // clue cells with at least one run
};

// The sizes a board can have: 6, 7, 9, 12 or 14.
bool IsBoardSize(int size);
