// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/core.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/timing.h"
#include "framework/paths/errors.h"
#include "framework/text/game_text.h"
#include "game/core/autosave.h"
#include "game/core/edits.h"
#include "game/core/explain.h"
#include "game/core/high_scores.h"
#include "game/core/options.h"
#include "tallyfold/engine/Engine.h"
#include "tallyfold/engine/Quality.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

TPuzzleState Puzzle;
TPossibleNumbers PossibleNumbers;
TCoreHooks CoreHooks;
std::shared_ptr<TCore> Core;

namespace {

bool OnBoard(int x, int y) {
    return x >= 0 && y >= 0 && x < Puzzle.BoardWidth && y < Puzzle.BoardHeight && x < MaxBoardSize &&
           y < MaxBoardSize;
}

// The step from a clue cell along its run.
void Step(int direction, int& dx, int& dy) {
    dx = direction == Vertical ? 0 : 1;
    dy = direction == Vertical ? 1 : 0;
}

// The clue cell of the run through white cell (x, y): the nearest black cell
// before it, or false when the run reaches the edge (a typed-in board can have that).
bool FindClueCell(int direction, int x, int y, int& cx, int& cy) {
    int dx, dy;
    Step(direction, dx, dy);
    for (cx = x, cy = y; OnBoard(cx, cy); cx -= dx, cy -= dy) {
        if (Puzzle.PlayerGrid[cx][cy] == BlackCell) return true;
    }
    return false;
}

bool ContainsDigit(const std::string& text, int d) { return text.find(static_cast<char>('0' + d)) != std::string::npos; }

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

void RestartLogicClock() {
    if (Game && Game->FixedRateLogic) Game->FixedRateLogic->Init();
}

}  // namespace

void CoreNotice(const std::string& message) {
    if (CoreHooks.Notice) {
        CoreHooks.Notice(message);
        return;
    }
    PlayerNotice(message);
}

bool IsBoardSize(int size) { return size == 6 || size == 7 || size == 9 || size == 12 || size == 14; }

namespace {
std::string Say(const std::string& key, const std::vector<std::pair<std::string, std::string>>& values) {
    std::string text = Resources.GameText ? Resources.GameText->FindString(key) : key;
    for (const auto& [name, value] : values)
        for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
            text.replace(at, name.size(), value);
    return text;
}

std::string Way(int direction) {
    const char* key = direction == Vertical ? "Explain Down" : "Explain Across";
    const std::string text = Resources.GameText ? Resources.GameText->FindString(key) : "";
    return text.empty() ? (direction == Vertical ? "down" : "across") : text;
}
}  // namespace

std::string ClueProblem(int direction, int x, int y, int clue, int final) {
    if (clue == 0) return "";
    const std::string typed = std::to_string(clue);
    if (clue < 1 || clue > MaxClue) return Say("Clue Out Of Range", {{"{clue}", typed}});
    const int length = OnBoard(x, y) ? RunLength(direction, x, y) : 0;
    if (length == 0) return Say("Clue Without Run", {{"{direction}", Way(direction)}});
    // The smallest and the largest sum of that many different digits.
    const int cells = std::min(length, 9);
    const int low = cells * (cells + 1) / 2, high = cells * (19 - cells) / 2;
    if (!final && clue <= high) return "";
    if (final && length > 9)
        return Say("Run Too Long", {{"{count}", std::to_string(length)}, {"{direction}", Way(direction)}});
    if (clue >= low && clue <= high) return "";
    return Say(length == 1 ? "Clue Impossible One" : "Clue Impossible",
               {{"{clue}", typed}, {"{count}", std::to_string(length)}, {"{low}", std::to_string(low)},
                {"{high}", std::to_string(high)}});
}

std::string MisfitClue() {
    for (int y = 0; y < Puzzle.BoardHeight; ++y)
        for (int x = 0; x < Puzzle.BoardWidth; ++x) {
            if (!OnBoard(x, y) || Puzzle.PlayerGrid[x][y] != BlackCell) continue;
            for (int direction : {Horizontal, Vertical}) {
                const int clue = direction == Vertical ? Puzzle.VerticalSumGrid[x][y] : Puzzle.HorizontalSumGrid[x][y];
                const std::string problem = ClueProblem(direction, x, y, clue, 1);
                if (problem.empty()) continue;
                return Say("Clue Place", {{"{clue}", std::to_string(clue)},
                                          {"{direction}", Way(direction)},
                                          {"{column}", std::to_string(x + 1)},
                                          {"{row}", std::to_string(y + 1)}}) +
                       " " + problem;
            }
        }
    return "";
}

// ---------------------------------------------------------------------------
// Questions about the board

int RunLength(int direction, int x, int y) {
    int dx, dy;
    Step(direction, dx, dy);
    int length = 0;
    for (int cx = x + dx, cy = y + dy; OnBoard(cx, cy) && Puzzle.PlayerGrid[cx][cy] != BlackCell;
         cx += dx, cy += dy) {
        ++length;
    }
    return length;
}

int SolutionRunSum(int direction, int x, int y) {
    int dx, dy;
    Step(direction, dx, dy);
    int sum = 0;
    for (int cx = x + dx, cy = y + dy; OnBoard(cx, cy) && Puzzle.SolutionGrid[cx][cy] != BlackCell;
         cx += dx, cy += dy) {
        sum += Puzzle.SolutionGrid[cx][cy];
    }
    return sum;
}

int RemainingSum(int direction, int sum, int x, int y) {
    int dx, dy;
    Step(direction, dx, dy);
    for (int cx = x + dx, cy = y + dy; OnBoard(cx, cy) && Puzzle.PlayerGrid[cx][cy] != BlackCell;
         cx += dx, cy += dy) {
        sum -= Puzzle.PlayerGrid[cx][cy];
    }
    return sum;
}

int DigitClashes(int d, int x, int y) {
    if (!OnBoard(x, y) || Puzzle.PlayerGrid[x][y] == BlackCell || d < 1 || d > 9) return 0;
    // Up (the cell itself first), down, left (the cell itself first), right.
    struct Scan {
        int fromX, fromY, dx, dy;
    };
    const Scan scans[] = {{x, y, 0, -1}, {x, y + 1, 0, 1}, {x, y, -1, 0}, {x + 1, y, 1, 0}};
    for (const Scan& scan : scans) {
        for (int cx = scan.fromX, cy = scan.fromY; OnBoard(cx, cy) && Puzzle.PlayerGrid[cx][cy] != BlackCell;
             cx += scan.dx, cy += scan.dy) {
            if (Puzzle.PlayerGrid[cx][cy] == d) {
                Puzzle.DoubleFoundX = cx;
                Puzzle.DoubleFoundY = cy;
                return 1;
            }
        }
    }
    return 0;
}

std::string CombinationText(int direction, int x, int y) {
    if (!OnBoard(x, y)) return "";
    const int sum = direction == Vertical ? Puzzle.VerticalSumGrid[x][y] : Puzzle.HorizontalSumGrid[x][y];
    const int length = RunLength(direction, x, y);
    // A typed-in board can hold clues and runs no combination has.
    if (sum < 1 || sum > MaxClue || length < 1 || length > 9) return "";
    std::string text;
    int entries = 0;
    for (const std::string& raw : PossibleNumbers[length - 1][sum - 1]) {
        const std::string entry = Trim(raw);
        if (entry.empty()) continue;
        if (entries > 0) text += ", ";
        if (entries == 5 || entries == 10) text += "\r\n";
        for (std::size_t i = 0; i < entry.size(); ++i) {
            if (i > 0) text += '+';
            text += entry[i];
        }
        ++entries;
    }
    return text;
}

int DigitFitsCombinations(int d, int x, int y) {
    if (!OnBoard(x, y) || d < 1 || d > 9) return 0;
    int vx, vy, hx, hy;
    if (!FindClueCell(Vertical, x, y, vx, vy) || !FindClueCell(Horizontal, x, y, hx, hy)) return 0;
    return ContainsDigit(CombinationText(Vertical, vx, vy), d) && ContainsDigit(CombinationText(Horizontal, hx, hy), d)
               ? 1
               : 0;
}

int MarkupValue(int d, int x, int y) {
    if (!OnBoard(x, y) || Puzzle.PlayerGrid[x][y] == BlackCell) return 0;
    if (DigitClashes(d, x, y)) return 0;
    return DigitFitsCombinations(d, x, y);
}

void ClearMarkup() {
    for (auto& column : Puzzle.MarkupGrid)
        for (auto& cell : column) cell.fill(0);
}

void FillMarkup() {
    ClearMarkup();
    for (int x = 0; x < Puzzle.BoardWidth; ++x)
        for (int y = 0; y < Puzzle.BoardHeight; ++y)
            for (int d = 1; d <= 9; ++d)
                // A digit an explanation ruled out stays off: the player was shown why.
                Puzzle.MarkupGrid[x][y][d - 1] =
                    static_cast<std::uint8_t>(MarkupValue(d, x, y) && !ExplainedOut(d, x, y) ? 1 : 0);
}

int InSameRun(int x1, int y1, int x2, int y2) {
    if (x1 == -1 || y1 == -1 || x2 == -1 || y2 == -1) return 0;
    if (!OnBoard(x1, y1) || !OnBoard(x2, y2)) return 0;
    int vx = x1, vy = y1, hx = x1, hy = y1;
    bool vertical = true, horizontal = true;
    if (Puzzle.PlayerGrid[x1][y1] != BlackCell) {
        vertical = FindClueCell(Vertical, x1, y1, vx, vy);
        horizontal = FindClueCell(Horizontal, x1, y1, hx, hy);
    }
    if (vertical && x2 == vx && y2 > vy && y2 <= vy + RunLength(Vertical, vx, vy)) return 1;
    if (horizontal && y2 == hy && x2 > hx && x2 <= hx + RunLength(Horizontal, hx, hy)) return 1;
    return 0;
}

int RunCheck(int direction, int x, int y) {
    if (!OnBoard(x, y) || Puzzle.PlayerGrid[x][y] != BlackCell) return 0;
    const int clue = direction == Vertical ? Puzzle.VerticalSumGrid[x][y] : Puzzle.HorizontalSumGrid[x][y];
    if (clue == 0) return 0;
    int dx, dy;
    Step(direction, dx, dy);
    int sum = 0, cells = 0;
    bool open = false, twice = false;
    unsigned used = 0;
    for (int cx = x + dx, cy = y + dy; OnBoard(cx, cy) && Puzzle.PlayerGrid[cx][cy] != BlackCell;
         cx += dx, cy += dy) {
        const int d = Puzzle.PlayerGrid[cx][cy];
        ++cells;
        if (d < 1 || d > 9) {
            open = true;
            continue;
        }
        twice = twice || (used & (1u << d)) != 0;
        used |= 1u << d;
        sum += d;
    }
    if (cells == 0) return 0;
    if (twice) return -1;
    if (open) return 0;
    return sum == clue ? 1 : -1;
}

int BreaksRules(int x, int y) {
    if (!OnBoard(x, y)) return 0;
    const int digit = Puzzle.PlayerGrid[x][y];
    if (digit < 1 || digit > 9) return 0;
    for (int direction : {Vertical, Horizontal}) {
        int cx, cy, dx, dy;
        if (!FindClueCell(direction, x, y, cx, cy)) continue;
        if (RunCheck(direction, cx, cy) != -1) continue;
        Step(direction, dx, dy);
        bool full = true;
        int same = 0;
        for (int rx = cx + dx, ry = cy + dy; OnBoard(rx, ry) && Puzzle.PlayerGrid[rx][ry] != BlackCell;
             rx += dx, ry += dy) {
            const int d = Puzzle.PlayerGrid[rx][ry];
            if (d < 1 || d > 9) full = false;
            if (d == digit) ++same;
        }
        // A run that fails only because of another digit's repeat leaves this one alone.
        if (same > 1 || full) return 1;
    }
    return 0;
}

int PuzzleElapsed() {
    // The clock wraps; the difference of two readings is still right modulo 2^32.
    const int end = Puzzle.TimerStop ? Puzzle.TimerStop : platform::MilliSecs();
    const int elapsed = static_cast<int>(static_cast<std::uint32_t>(end) - static_cast<std::uint32_t>(Puzzle.TimerStart));
    return elapsed < 0 ? 0 : elapsed;
}

std::string NoBestTimeReason() {
    if (Puzzle.IsCustomPuzzle) return "Own Puzzle No Best Time";
    if (Puzzle.RevealUsed) return "Revealed No Best Time";
    return "";
}

void ForgetHelpTaken() { Puzzle.RevealUsed = Puzzle.ExplainsUsed = 0; }

std::string DifficultyName(int difficulty) {
    static const char* const keys[] = {"Easy", "Medium", "Hard"};
    if (difficulty < 0 || difficulty > 2 || !Resources.GameText) return "";
    return Resources.GameText->FindString(keys[difficulty]);
}

int PuzzleGradeStars() {
    const int w = Puzzle.BoardWidth, h = Puzzle.BoardHeight;
    if (w < 2 || h < 2 || w > MaxBoardSize || h > MaxBoardSize) return 0;
    // The engine's row is the game's x, as in CreatePuzzle.
    std::vector<int> digits(static_cast<std::size_t>(w * h));
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            const int v = Puzzle.SolutionGrid[x][y];
            if (v != BlackCell && (v < 1 || v > 9)) return 0;
            // Every white cell needs a clue cell before it both ways.
            if ((x == 0 || y == 0) && v != BlackCell) return 0;
            digits[static_cast<std::size_t>(x * h + y)] = v == BlackCell ? -1 : v;
        }
    }
    engine::TBoard board;
    engine::BoardFromDigits(digits, static_cast<unsigned>(w), static_cast<unsigned>(h), board);
    const engine::PuzzleMetrics metrics = engine::MeasurePuzzle(board);
    if (metrics.tier > engine::kTierTrials) return 0;
    return engine::DifficultyStars(engine::DifficultyScore(metrics), static_cast<unsigned>(w),
                                   static_cast<unsigned>(h), Puzzle.PuzzleDifficulty + 1);
}

std::string DifficultyAsks(int difficulty) {
    static const char* const keys[] = {"Easy Asks", "Medium Asks", "Hard Asks"};
    if (difficulty < 0 || difficulty > 2 || !Resources.GameText) return "";
    return Resources.GameText->FindString(keys[difficulty]);
}

// ---------------------------------------------------------------------------
// TCore

void TCore::Start() {
    Puzzle.BoardWidth = Puzzle.BoardHeight = 9;
    Puzzle.PuzzleDifficulty = 0;
    FillPossibleNumbers();
}

void TCore::FillPossibleNumbers() {
    // Every set of distinct digits as its increasing digit text; sorted as a
    // whole, each length-and-sum bucket then receives its texts in lexicographic order.
    std::vector<std::string> texts;
    for (int mask = 1; mask < 512; ++mask) {
        std::string text;
        for (int d = 1; d <= 9; ++d)
            if (mask & (1 << (d - 1))) text += static_cast<char>('0' + d);
        texts.push_back(text);
    }
    std::sort(texts.begin(), texts.end());
    for (auto& byLength : PossibleNumbers)
        for (auto& bySum : byLength) bySum.fill("");
    std::array<std::array<int, 45>, 9> used{};
    for (const std::string& text : texts) {
        int sum = 0;
        for (char c : text) sum += c - '0';
        const std::size_t length = text.size();
        int& k = used[length - 1][static_cast<std::size_t>(sum - 1)];
        PossibleNumbers[length - 1][static_cast<std::size_t>(sum - 1)][static_cast<std::size_t>(k++)] = text;
    }
}

bool TCore::CreatePuzzle(int width, int height, int difficulty) {
    if (width < 2 || height < 2 || width > MaxBoardSize || height > MaxBoardSize) return false;
    // The engine draws the layout for the level and grades every puzzle by the reasoning
    // its solve needs, so the level the player picks is what the puzzle asks of them.
    const int level = difficulty == 0 ? 1 : difficulty == 2 ? 3 : 2;

    std::array<std::uint8_t, MaxBoardSize * MaxBoardSize> result{};
    for (unsigned attempt = 0;; ++attempt) {
        // The engine draws from a seed taken from the game's generator, so a test
        // that fixes the clock gets the same puzzle every run; the attempt number
        // keeps a retry within the same millisecond from repeating a failed seed.
        platform::SeedRnd(static_cast<int>(static_cast<unsigned>(platform::MilliSecs()) + attempt));
        platform::PumpMessages();
        const auto seed = static_cast<std::uint32_t>(platform::Rand(0, 0x7FFFFFFF)) ^ (attempt * 0x9E3779B9u);
        if (engine::GenerateLevelPuzzle(static_cast<unsigned>(width), static_cast<unsigned>(height), level, 5, result,
                                        seed)) {
            break;
        }
    }

    auto& p = Puzzle;
    for (int x = 0; x < MaxBoardSize; ++x) {
        for (int y = 0; y < MaxBoardSize; ++y) {
            p.VerticalSumGrid[x][y] = p.HorizontalSumGrid[x][y] = 0;
            if (x >= width || y >= height) continue;
            // The engine's row is the game's x.
            const std::uint8_t v = result[static_cast<std::size_t>(x * height + y)];
            p.SolutionGrid[x][y] = v == 0xFF ? BlackCell : v;
            p.PlayerGrid[x][y] = v == 0xFF ? BlackCell : 0;
        }
    }
    // SolutionRunSum and RunLength stop at the board edge, so the new extent
    // must be in force before the clues are summed.
    p.BoardWidth = width;
    p.BoardHeight = height;
    p.PuzzleDifficulty = difficulty;
    p.IsCustomPuzzle = 0;
    p.SeveralSolutions = 0;
    ForgetHelpTaken();
    p.PuzzleStars = PuzzleGradeStars();
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            if (p.SolutionGrid[x][y] != BlackCell) continue;
            if (x < width - 1 && p.SolutionGrid[x + 1][y] != BlackCell)
                p.HorizontalSumGrid[x][y] = static_cast<std::uint8_t>(SolutionRunSum(Horizontal, x, y));
            if (y < height - 1 && p.SolutionGrid[x][y + 1] != BlackCell)
                p.VerticalSumGrid[x][y] = static_cast<std::uint8_t>(SolutionRunSum(Vertical, x, y));
        }
    }
    RestartLogicClock();
    return true;
}

void TCore::CreateCells(int animate) {
    if (CoreHooks.CreateCells) CoreHooks.CreateCells(animate);
}

int TCore::IsPuzzleCompleted() {
    bool asStored = true, full = true;
    for (int x = 0; x < Puzzle.BoardWidth; ++x) {
        for (int y = 0; y < Puzzle.BoardHeight; ++y) {
            const int d = Puzzle.PlayerGrid[x][y];
            if (d != Puzzle.SolutionGrid[x][y]) asStored = false;
            if (d != BlackCell && (d < 1 || d > 9)) full = false;
        }
    }
    // A typed-in puzzle may allow other fillings than the stored one; any that meets
    // every clue is a solution. For a puzzle with one solution the two tests agree.
    if (!asStored) {
        if (!full) return 0;
        for (int x = 0; x < Puzzle.BoardWidth; ++x) {
            for (int y = 0; y < Puzzle.BoardHeight; ++y) {
                if (Puzzle.PlayerGrid[x][y] != BlackCell) continue;
                for (int direction : {Vertical, Horizontal}) {
                    int dx, dy;
                    Step(direction, dx, dy);
                    const bool run = OnBoard(x + dx, y + dy) && Puzzle.PlayerGrid[x + dx][y + dy] != BlackCell;
                    if (run && RunCheck(direction, x, y) != 1) return 0;
                }
            }
        }
    }
    Puzzle.PuzzleCompleted = 1;
    return 1;
}

void TCore::ShowHideMarkup() {
    TEditRequest request;
    request.Kind = TEditKind::AutoMarks;
    request.Digit = Puzzle.AutoMarkup ? 0 : 1;
    ApplyEdit(request);
}

void TCore::ShowHideSolution() {
    Puzzle.ShowSolution = Puzzle.ShowSolution ? 0 : 1;
    if (Puzzle.ShowSolution) Puzzle.RevealUsed = 1;
}

void TCore::ShowHideMistakes() { Puzzle.ShowMistakes = Puzzle.ShowMistakes ? 0 : 1; }

void TCore::ShowDesiredCell() { Puzzle.RevealCellMode = 1; }

void TCore::ShowRandomCell() {
    // Picking blindly would spin for ever on a finished board; the play screen
    // never asks then, but a hint must not be able to hang the game.
    bool open = false;
    for (int x = 0; x < Puzzle.BoardWidth && !open; ++x)
        for (int y = 0; y < Puzzle.BoardHeight && !open; ++y)
            open = Puzzle.PlayerGrid[x][y] != Puzzle.SolutionGrid[x][y];
    if (!open) return;
    int x, y;
    do {
        x = platform::Rand(0, Puzzle.BoardWidth - 1);
        y = platform::Rand(0, Puzzle.BoardHeight - 1);
    } while (Puzzle.PlayerGrid[x][y] == Puzzle.SolutionGrid[x][y]);
    TEditRequest request;
    request.Kind = TEditKind::Reveal;
    request.X = x;
    request.Y = y;
    ApplyEdit(request);
}

void TCore::ClearBoardCompletely() {
    for (int x = 0; x < Puzzle.BoardWidth; ++x) {
        for (int y = 0; y < Puzzle.BoardHeight; ++y) {
            Puzzle.HorizontalSumGrid[x][y] = Puzzle.VerticalSumGrid[x][y] = 0;
            Puzzle.PlayerGrid[x][y] = Puzzle.SolutionGrid[x][y] = 0;
        }
    }
}

void TCore::ClearBoard() {
    for (int x = 0; x < Puzzle.BoardWidth; ++x)
        for (int y = 0; y < Puzzle.BoardHeight; ++y)
            if (Puzzle.SolutionGrid[x][y] != BlackCell) Puzzle.PlayerGrid[x][y] = 0;
}

void TCore::RestartPuzzle() {
    ClearBoard();
    ClearMarkup();
    Puzzle.PuzzleCompleted = Puzzle.ShowSolution = Puzzle.ShowMistakes = 0;
    Puzzle.RevealCellMode = Puzzle.AutoMarkup = 0;
    Puzzle.TimerStop = 0;
    Puzzle.TimerStart = platform::MilliSecs();
    ClearEditHistory();
}

void TCore::NewPuzzle() {
    CreatePuzzle(Puzzle.BoardWidth, Puzzle.BoardHeight, Puzzle.PuzzleDifficulty);
    CreateCells(1);
    RestartPuzzle();
}

void TCore::CustomPuzzle() {
    ClearBoardCompletely();
    ForgetHelpTaken();
    CreateCells(1);
    RestartPuzzle();
}

void ResetCoreState() {
    Puzzle = TPuzzleState{};
    ClearEditHistory();
    ResetAutosaveState();
    CoreHooks = TCoreHooks{};
    ResetGameOptions();
    ResetHighScoreTables();
}
