// SPDX-License-Identifier: GPL-3.0-or-later
// The questions the play screen and the cells ask of the puzzle model.
#include "game/core/model.h"
#include "game/core/services.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "game/core/engine_adapter.h"

namespace {

bool OnBoardOf(const TPuzzleState& p, int x, int y) {
    return x >= 0 && y >= 0 && x < p.BoardWidth && y < p.BoardHeight && x < MaxBoardSize && y < MaxBoardSize;
}

// The step from a clue cell along its run.
void Step(int direction, int& dx, int& dy) {
    dx = direction == Vertical ? 0 : 1;
    dy = direction == Vertical ? 1 : 0;
}

int EngineDirection(int direction) { return direction == Vertical ? engine::kDown : engine::kAcross; }

// The cells of a run in order, (x, y) each.
struct TRunCells {
    int Count = 0;
    std::array<std::array<int, 2>, MaxBoardSize> Cells{};
    void Add(int x, int y) { Cells[static_cast<std::size_t>(Count++)] = {x, y}; }
};

// The cells after (x, y) going `direction`, up to the next black cell of grid or the
// edge. With a board (whose black cells must be grid's) they are the rest of the run
// its links give the next cell; without one, the tables are walked: a typed-in layout
// the engine cannot hold still gets its answers.
TRunCells RunFrom(const TPuzzleState& p, const engine::TBoard* board, const TGrid& grid, int direction, int x, int y) {
    TRunCells run;
    int dx, dy;
    Step(direction, dx, dy);
    if (board) {
        if (!OnBoardOf(p, x + dx, y + dy)) return run;
        const int w = p.BoardWidth;
        const unsigned next = EngineIndex(x + dx, y + dy, w);
        const engine::Constraint* c = board->Link(next, EngineDirection(direction));
        if (!c) return run;
        const unsigned step = direction == Vertical ? board->columns : 1u;
        for (unsigned i = next; i <= c->clue + c->length * step; i += step) run.Add(GameX(i, w), GameY(i, w));
        return run;
    }
    for (int cx = x + dx, cy = y + dy; OnBoardOf(p, cx, cy) && grid[cx][cy] != BlackCell; cx += dx, cy += dy)
        run.Add(cx, cy);
    return run;
}

}  // namespace

bool TPuzzleModel::OnBoard(int x, int y) const { return OnBoardOf(Puzzle, x, y); }

const engine::TBoard* TPuzzleModel::SolutionRunBoard() const {
    const engine::TBoard* board = RunBoard();
    return board && RunLinks.SolutionAgrees() ? board : nullptr;
}

bool TPuzzleModel::FindClueCell(int direction, int x, int y, int& cx, int& cy) const {
    const engine::TBoard* board = RunBoard();
    if (board && OnBoard(x, y) && Puzzle.PlayerGrid[x][y] != BlackCell) {
        const int w = Puzzle.BoardWidth;
        if (const engine::Constraint* c = board->Link(EngineIndex(x, y, w), EngineDirection(direction))) {
            cx = GameX(c->clue, w);
            cy = GameY(c->clue, w);
            return true;
        }
    }
    int dx, dy;
    Step(direction, dx, dy);
    for (cx = x, cy = y; OnBoard(cx, cy); cx -= dx, cy -= dy) {
        if (Puzzle.PlayerGrid[cx][cy] == BlackCell) return true;
    }
    return false;
}

namespace {

bool ContainsDigit(const std::string& text, int d) {
    return text.find(static_cast<char>('0' + d)) != std::string::npos;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

void TPuzzleModel::CoreNotice(const std::string& message) const {
    if (Hooks.Notice) {
        Hooks.Notice(message);
        return;
    }
    CorePlayerNotice(message);
}

bool IsBoardSize(int size) { return size == 6 || size == 7 || size == 9 || size == 12 || size == 14; }

namespace {
std::string Say(const std::string& key, const std::vector<std::pair<std::string, std::string>>& values) {
    std::string text = key;
    CoreLookUpText(key, text);
    for (const auto& [name, value] : values)
        for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
            text.replace(at, name.size(), value);
    return text;
}

std::string Way(int direction) {
    const char* key = direction == Vertical ? "Explain Down" : "Explain Across";
    const std::string text = CoreText(key);
    return text.empty() ? (direction == Vertical ? "down" : "across") : text;
}
}  // namespace

std::string TPuzzleModel::ClueProblem(int direction, int x, int y, int clue, int final) const {
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
    return Say(length == 1 ? "Clue Impossible One" : "Clue Impossible", {{"{clue}", typed},
                                                                         {"{count}", std::to_string(length)},
                                                                         {"{low}", std::to_string(low)},
                                                                         {"{high}", std::to_string(high)}});
}

std::string TPuzzleModel::MisfitClue() const {
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

int TPuzzleModel::RunLength(int direction, int x, int y) const {
    return RunFrom(Puzzle, RunBoard(), Puzzle.PlayerGrid, direction, x, y).Count;
}

std::vector<std::pair<int, int>> TPuzzleModel::RunCells(int direction, int x, int y) const {
    std::vector<std::pair<int, int>> cells;
    if (!OnBoard(x, y)) return cells;
    const TRunCells run = RunFrom(Puzzle, RunBoard(), Puzzle.PlayerGrid, direction, x, y);
    for (int k = 0; k < run.Count; ++k) cells.emplace_back(run.Cells[k][0], run.Cells[k][1]);
    return cells;
}

int TPuzzleModel::SolutionRunSum(int direction, int x, int y) const {
    const TRunCells run = RunFrom(Puzzle, SolutionRunBoard(), Puzzle.SolutionGrid, direction, x, y);
    int sum = 0;
    for (int k = 0; k < run.Count; ++k) sum += Puzzle.SolutionGrid[run.Cells[k][0]][run.Cells[k][1]];
    return sum;
}

int TPuzzleModel::RemainingSum(int direction, int sum, int x, int y) const {
    const TRunCells run = RunFrom(Puzzle, RunBoard(), Puzzle.PlayerGrid, direction, x, y);
    for (int k = 0; k < run.Count; ++k) sum -= Puzzle.PlayerGrid[run.Cells[k][0]][run.Cells[k][1]];
    return sum;
}

int TPuzzleModel::DigitClashes(int d, int x, int y) {
    if (!OnBoard(x, y) || Puzzle.PlayerGrid[x][y] == BlackCell || d < 1 || d > 9) return 0;
    auto hit = [&](int cx, int cy) {
        if (Puzzle.PlayerGrid[cx][cy] != d) return false;
        Puzzle.DoubleFoundX = cx;
        Puzzle.DoubleFoundY = cy;
        return true;
    };
    // Up (the cell itself first), down, left (the cell itself first), right: the first
    // clash found is the one shown.
    if (const engine::TBoard* board = RunBoard()) {
        for (int direction : {Vertical, Horizontal}) {
            int cx, cy;
            FindClueCell(direction, x, y, cx, cy);
            const TRunCells run = RunFrom(Puzzle, board, Puzzle.PlayerGrid, direction, cx, cy);
            const int at = (direction == Vertical ? y - cy : x - cx) - 1;
            for (int k = at; k >= 0; --k)
                if (hit(run.Cells[k][0], run.Cells[k][1])) return 1;
            for (int k = at + 1; k < run.Count; ++k)
                if (hit(run.Cells[k][0], run.Cells[k][1])) return 1;
        }
        return 0;
    }
    struct Scan {
        int fromX, fromY, dx, dy;
    };
    const Scan scans[] = {{x, y, 0, -1}, {x, y + 1, 0, 1}, {x, y, -1, 0}, {x + 1, y, 1, 0}};
    for (const Scan& scan : scans)
        for (int cx = scan.fromX, cy = scan.fromY; OnBoard(cx, cy) && Puzzle.PlayerGrid[cx][cy] != BlackCell;
             cx += scan.dx, cy += scan.dy)
            if (hit(cx, cy)) return 1;
    return 0;
}

std::string TPuzzleModel::CombinationText(int direction, int x, int y) const {
    if (!OnBoard(x, y)) return "";
    const int sum = direction == Vertical ? Puzzle.VerticalSumGrid[x][y] : Puzzle.HorizontalSumGrid[x][y];
    const int length = RunLength(direction, x, y);
    // A typed-in board can hold clues and runs no combination has.
    if (sum < 1 || sum > MaxClue || length < 1 || length > 9) return "";
    std::string text;
    int entries = 0;
    for (const std::string& raw : PossibleNumbers()[length - 1][sum - 1]) {
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

int TPuzzleModel::DigitFitsCombinations(int d, int x, int y) const {
    if (!OnBoard(x, y) || d < 1 || d > 9) return 0;
    int vx, vy, hx, hy;
    if (!FindClueCell(Vertical, x, y, vx, vy) || !FindClueCell(Horizontal, x, y, hx, hy)) return 0;
    return ContainsDigit(CombinationText(Vertical, vx, vy), d) && ContainsDigit(CombinationText(Horizontal, hx, hy), d)
               ? 1
               : 0;
}

int TPuzzleModel::MarkupValue(int d, int x, int y) {
    if (!OnBoard(x, y) || Puzzle.PlayerGrid[x][y] == BlackCell) return 0;
    if (DigitClashes(d, x, y)) return 0;
    return DigitFitsCombinations(d, x, y);
}

void TPuzzleModel::ClearMarkup() {
    for (auto& column : Puzzle.MarkupGrid)
        for (auto& cell : column) cell.fill(0);
}

void TPuzzleModel::FillMarkup() {
    ClearMarkup();
    const TRunLinks::TPin pin(RunLinks, Puzzle);
    for (int x = 0; x < Puzzle.BoardWidth; ++x)
        for (int y = 0; y < Puzzle.BoardHeight; ++y)
            for (int d = 1; d <= 9; ++d)
                // A digit an explanation ruled out stays off: the player was shown why.
                Puzzle.MarkupGrid[x][y][d - 1] =
                    static_cast<std::uint8_t>(MarkupValue(d, x, y) && !ExplainedOut(d, x, y) ? 1 : 0);
}

int TPuzzleModel::InSameRun(int x1, int y1, int x2, int y2) const {
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

int TPuzzleModel::RunCheck(int direction, int x, int y) const {
    if (!OnBoard(x, y) || Puzzle.PlayerGrid[x][y] != BlackCell) return 0;
    const int clue = direction == Vertical ? Puzzle.VerticalSumGrid[x][y] : Puzzle.HorizontalSumGrid[x][y];
    if (clue == 0) return 0;
    const TRunCells run = RunFrom(Puzzle, RunBoard(), Puzzle.PlayerGrid, direction, x, y);
    int sum = 0, cells = 0;
    bool open = false, twice = false;
    unsigned used = 0;
    for (int k = 0; k < run.Count; ++k) {
        const int d = Puzzle.PlayerGrid[run.Cells[k][0]][run.Cells[k][1]];
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

int TPuzzleModel::BreaksRules(int x, int y) const {
    if (!OnBoard(x, y)) return 0;
    const int digit = Puzzle.PlayerGrid[x][y];
    if (digit < 1 || digit > 9) return 0;
    for (int direction : {Vertical, Horizontal}) {
        int cx, cy;
        if (!FindClueCell(direction, x, y, cx, cy)) continue;
        if (RunCheck(direction, cx, cy) != -1) continue;
        const TRunCells run = RunFrom(Puzzle, RunBoard(), Puzzle.PlayerGrid, direction, cx, cy);
        bool full = true;
        int same = 0;
        for (int k = 0; k < run.Count; ++k) {
            const int d = Puzzle.PlayerGrid[run.Cells[k][0]][run.Cells[k][1]];
            if (d < 1 || d > 9) full = false;
            if (d == digit) ++same;
        }
        // A run that fails only because of another digit's repeat leaves this one alone.
        if (same > 1 || full) return 1;
    }
    return 0;
}

int TPuzzleModel::PuzzleElapsed() const {
    // The clock wraps; the difference of two readings is still right modulo 2^32.
    const int end = Puzzle.TimerStop ? Puzzle.TimerStop : CoreClock();
    const int elapsed =
        static_cast<int>(static_cast<std::uint32_t>(end) - static_cast<std::uint32_t>(Puzzle.TimerStart));
    return elapsed < 0 ? 0 : elapsed;
}

std::string TPuzzleModel::NoBestTimeReason() const {
    if (Puzzle.IsCustomPuzzle) return "Own Puzzle No Best Time";
    if (Puzzle.RevealUsed) return "Revealed No Best Time";
    return "";
}

void TPuzzleModel::ForgetHelpTaken() {
    Puzzle.RevealUsed = Puzzle.ExplainsUsed = Puzzle.HintsShown = Puzzle.HintsCarried = 0;
}

void TPuzzleModel::ResetGameOptions() { Options = TGameOptions{}; }

std::string DifficultyName(int difficulty) {
    static const char* const keys[] = {"Easy", "Medium", "Hard"};
    if (difficulty < 0 || difficulty > 2) return "";
    return CoreText(keys[difficulty]);
}

int TPuzzleModel::PuzzleGradeStars() const {
    return GradeSolution(Puzzle.SolutionGrid, Puzzle.BoardWidth, Puzzle.BoardHeight, Puzzle.PuzzleDifficulty + 1);
}

std::string DifficultyAsks(int difficulty) {
    static const char* const keys[] = {"Easy Asks", "Medium Asks", "Hard Asks"};
    if (difficulty < 0 || difficulty > 2) return "";
    return CoreText(keys[difficulty]);
}

int TPuzzleModel::BoardSolved() const {
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
    if (asStored) return 1;
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
    return 1;
}

void TPuzzleModel::Restart() {
    for (int x = 0; x < Puzzle.BoardWidth; ++x)
        for (int y = 0; y < Puzzle.BoardHeight; ++y)
            if (Puzzle.SolutionGrid[x][y] != BlackCell) Puzzle.PlayerGrid[x][y] = 0;
    ClearMarkup();
    Puzzle.PuzzleCompleted = Puzzle.ShowSolution = Puzzle.ShowMistakes = 0;
    Puzzle.RevealCellMode = Puzzle.AutoMarkup = 0;
    Puzzle.TimerStop = 0;
    Puzzle.TimerStart = CoreClock();
    ClearEditHistory();
}
