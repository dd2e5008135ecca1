// SPDX-License-Identifier: GPL-3.0-or-later
// The run questions answered over the engine's run links, compared with a plain walk
// over the tables written here, on made puzzles of every size and shape and on random
// typed-in layouts (many of which the engine cannot hold) with random player digits,
// the tables written directly between questions.
#include <random>
#include <vector>

#include "core_support.h"

namespace {

using TCells = std::vector<std::pair<int, int>>;

bool On(const TPuzzleState& p, int x, int y) { return x >= 0 && y >= 0 && x < p.BoardWidth && y < p.BoardHeight; }

void Walk(int direction, int& dx, int& dy) {
    dx = direction == Horizontal ? 1 : 0;
    dy = direction == Horizontal ? 0 : 1;
}

// The cells after (x, y) up to a black cell of grid or the edge.
TCells After(const TPuzzleState& p, const TGrid& grid, int direction, int x, int y) {
    int dx, dy;
    Walk(direction, dx, dy);
    TCells cells;
    for (int cx = x + dx, cy = y + dy; On(p, cx, cy) && grid[cx][cy] != BlackCell; cx += dx, cy += dy)
        cells.emplace_back(cx, cy);
    return cells;
}

// The run's clue cell for (x, y): itself when black, the first black cell before it, or none.
bool ClueOf(const TPuzzleState& p, int direction, int x, int y, int& cx, int& cy) {
    int dx, dy;
    Walk(direction, dx, dy);
    for (cx = x, cy = y; On(p, cx, cy); cx -= dx, cy -= dy)
        if (p.PlayerGrid[cx][cy] == BlackCell) return true;
    return false;
}

int Check(const TPuzzleState& p, int direction, int x, int y) {
    if (!On(p, x, y) || p.PlayerGrid[x][y] != BlackCell) return 0;
    const int clue = direction == Horizontal ? p.HorizontalSumGrid[x][y] : p.VerticalSumGrid[x][y];
    const TCells run = After(p, p.PlayerGrid, direction, x, y);
    if (clue == 0 || run.empty()) return 0;
    int seen[10] = {}, sum = 0;
    bool open = false;
    for (const auto& [cx, cy] : run) {
        const int d = p.PlayerGrid[cx][cy];
        if (d < 1 || d > 9)
            open = true;
        else if (seen[d]++)
            return -1;
        else
            sum += d;
    }
    return open ? 0 : sum == clue ? 1 : -1;
}

// The first cell holding d looking up from (x, y), down, left, then right; (-1, -1) none.
std::pair<int, int> Clash(const TPuzzleState& p, int d, int x, int y) {
    const int scans[4][4] = {{x, y, 0, -1}, {x, y + 1, 0, 1}, {x, y, -1, 0}, {x + 1, y, 1, 0}};
    for (const auto& s : scans)
        for (int cx = s[0], cy = s[1]; On(p, cx, cy) && p.PlayerGrid[cx][cy] != BlackCell; cx += s[2], cy += s[3])
            if (p.PlayerGrid[cx][cy] == d) return {cx, cy};
    return {-1, -1};
}

bool Breaks(const TPuzzleState& p, int x, int y) {
    const int digit = p.PlayerGrid[x][y];
    if (digit < 1 || digit > 9) return false;
    for (int direction : {Horizontal, Vertical}) {
        int cx, cy;
        if (!ClueOf(p, direction, x, y, cx, cy) || Check(p, direction, cx, cy) != -1) continue;
        int same = 0, empty = 0;
        for (const auto& [rx, ry] : After(p, p.PlayerGrid, direction, cx, cy)) {
            same += p.PlayerGrid[rx][ry] == digit;
            empty += p.PlayerGrid[rx][ry] < 1 || p.PlayerGrid[rx][ry] > 9;
        }
        if (same > 1 || empty == 0) return true;
    }
    return false;
}

// The cells sharing a run with (x, y), or after it when it is a clue cell.
std::vector<std::vector<bool>> Mates(const TPuzzleState& p, int x, int y) {
    std::vector<std::vector<bool>> mates(MaxBoardSize, std::vector<bool>(MaxBoardSize));
    for (int direction : {Horizontal, Vertical}) {
        int cx, cy;
        if (!ClueOf(p, direction, x, y, cx, cy)) continue;
        for (const auto& [rx, ry] : After(p, p.PlayerGrid, direction, cx, cy)) mates[rx][ry] = true;
    }
    return mates;
}

int Sum(const TGrid& grid, const TCells& cells) {
    int sum = 0;
    for (const auto& [x, y] : cells) sum += grid[x][y];
    return sum;
}

void ExpectSameAnswers(TPuzzleModel& model) {
    const TPuzzleState& p = model.Puzzle;
    for (int x = -1; x <= p.BoardWidth; ++x)
        for (int y = -1; y <= p.BoardHeight; ++y) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            for (int direction : {Horizontal, Vertical}) {
                const TCells run = After(p, p.PlayerGrid, direction, x, y);
                ASSERT_EQ(model.RunLength(direction, x, y), static_cast<int>(run.size()));
                ASSERT_EQ(model.RemainingSum(direction, 30, x, y), 30 - Sum(p.PlayerGrid, run));
                ASSERT_EQ(model.SolutionRunSum(direction, x, y),
                          Sum(p.SolutionGrid, After(p, p.SolutionGrid, direction, x, y)));
                ASSERT_EQ(model.RunCheck(direction, x, y), Check(p, direction, x, y));
            }
            if (!On(p, x, y)) continue;
            const bool white = p.PlayerGrid[x][y] != BlackCell;
            if (white) {
                ASSERT_EQ(model.BreaksRules(x, y), Breaks(p, x, y) ? 1 : 0);
            }
            for (int d = 1; d <= 9 && white; ++d) {
                const auto [cx, cy] = Clash(p, d, x, y);
                model.Puzzle.DoubleFoundX = model.Puzzle.DoubleFoundY = -1;
                ASSERT_EQ(model.DigitClashes(d, x, y), cx >= 0 ? 1 : 0) << d;
                ASSERT_EQ(p.DoubleFoundX, cx);
                ASSERT_EQ(p.DoubleFoundY, cy);
            }
            const auto mates = Mates(p, x, y);
            for (int x2 = 0; x2 < p.BoardWidth; ++x2)
                for (int y2 = 0; y2 < p.BoardHeight; ++y2)
                    ASSERT_EQ(model.InSameRun(x, y, x2, y2), mates[x2][y2] ? 1 : 0) << x2 << "," << y2;
        }
}

// Random digits, repeats and all, in some of the white cells.
void ScatterDigits(TPuzzleState& p, std::mt19937& random) {
    for (int x = 0; x < p.BoardWidth; ++x)
        for (int y = 0; y < p.BoardHeight; ++y)
            if (p.PlayerGrid[x][y] != BlackCell)
                p.PlayerGrid[x][y] = random() % 3 ? static_cast<std::uint8_t>(random() % 10) : p.SolutionGrid[x][y];
}

// A layout as a player might type one in: black cells anywhere, the first row and
// column often white, clues of any size, a solution grid that now and then disagrees.
void RandomLayout(TPuzzleState& p, std::mt19937& random) {
    p.BoardWidth = 2 + static_cast<int>(random() % 13);
    p.BoardHeight = 2 + static_cast<int>(random() % 13);
    const bool framed = random() % 2;
    for (int x = 0; x < MaxBoardSize; ++x)
        for (int y = 0; y < MaxBoardSize; ++y) {
            const bool black = (framed && (x == 0 || y == 0)) || random() % 10 < 3;
            p.PlayerGrid[x][y] = p.SolutionGrid[x][y] = black ? BlackCell : 0;
            if (!black) p.SolutionGrid[x][y] = static_cast<std::uint8_t>(1 + random() % 9);
            p.VerticalSumGrid[x][y] = black ? static_cast<std::uint8_t>(random() % 46) : 0;
            p.HorizontalSumGrid[x][y] = black ? static_cast<std::uint8_t>(random() % 46) : 0;
        }
    if (random() % 5 == 0) p.SolutionGrid[random() % p.BoardWidth][random() % p.BoardHeight] = BlackCell;
}

}  // namespace

TEST_F(CoreTest, RunQuestionsOverTheEngineLinksMatchAWalkOverTheTables) {
    std::mt19937 random(31);
    const std::pair<int, int> made[] = {{6, 6}, {7, 7}, {9, 9}, {12, 12}, {14, 14}, {9, 6}, {6, 12}, {14, 7}};
    for (const auto& [w, h] : made) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        ASSERT_TRUE(Core->CreatePuzzle(w, h, static_cast<int>(random() % 3)));
        ASSERT_TRUE(Model.RunsFromEngine());
        ExpectSameAnswers(Model);
        ScatterDigits(Puzzle, random);
        ExpectSameAnswers(Model);
    }
    int linked = 0, walked = 0;
    for (int board = 0; board < 300; ++board) {
        SCOPED_TRACE("layout " + std::to_string(board));
        RandomLayout(Puzzle, random);
        ScatterDigits(Puzzle, random);
        (Model.RunsFromEngine() ? linked : walked) += 1;
        ExpectSameAnswers(Model);
        // Written straight into the tables, a black cell turned white or a clue changed
        // must not leave an answer behind.
        const int x = static_cast<int>(random() % Puzzle.BoardWidth),
                  y = static_cast<int>(random() % Puzzle.BoardHeight);
        if (Puzzle.PlayerGrid[x][y] == BlackCell)
            Puzzle.PlayerGrid[x][y] = Puzzle.SolutionGrid[x][y] = 5;
        else
            Puzzle.PlayerGrid[x][y] = Puzzle.SolutionGrid[x][y] = BlackCell;
        ExpectSameAnswers(Model);
    }
    EXPECT_GT(linked, 30);
    EXPECT_GT(walked, 30);
}
