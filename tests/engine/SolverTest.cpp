// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>

#include "Reference.h"
#include "Support.h"
#include "tallyfold/engine/DigitFiller.h"
#include "tallyfold/engine/Engine.h"
#include "tallyfold/engine/Template.h"

using namespace engine;
using enginetest::CapturedDiagnostics;

namespace {

// The plain enumeration the solver must agree with: first empty cell in index order,
// digits from 1 upwards, stop after two solutions, keep the first.
void ReferenceCount(TBoard& board, unsigned start, int& count, std::vector<int>& first) {
    if (count > 1) return;
    unsigned cell = start;
    while (cell < board.cellCount && board.cells[cell] != 0) ++cell;
    if (cell == board.cellCount) {
        if (count == 0) first = board.cells;
        ++count;
        return;
    }
    const unsigned candidates = CellCandidates(board, cell);
    for (int d = 1; d <= 9; ++d) {
        if (!(candidates & (1u << d))) continue;
        PlaceDigit(board, cell, d);
        ReferenceCount(board, cell + 1, count, first);
    }
    PlaceDigit(board, cell, 0);
}

// 3 x 3 with a 2 x 2 white block and the given across (top, bottom) and down (left,
// right) sums.
TBoard Square(int top, int bottom, int left, int right) {
    TBoard board;
    const std::string records = "1 " + std::to_string(left) + " 2 0 0 2 " + std::to_string(right) + " 2 0 0 3 0 0 " +
                                std::to_string(top) + " 2 6 0 0 " + std::to_string(bottom) + " 2";
    EXPECT_TRUE(ParseDescription("3 3", "0", records, 4, board));
    return board;
}

}  // namespace

TEST(CountSolutionsTests, CountsZeroOneOrTwoAndKeepsTheFirstSolution) {
    TBoard twoWays = Square(3, 3, 3, 3);  // 1 2 / 2 1 and 2 1 / 1 2
    int count = 0;
    TBoard stored;
    ASSERT_TRUE(CountSolutions(twoWays, count, true, &stored));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(stored.cells, (std::vector<int>{-1, -1, -1, -1, 1, 2, -1, 2, 1}));
    EXPECT_EQ(stored.Link(4, kAcross)->used, (1u << 1) | (1u << 2));
    EXPECT_EQ(twoWays.cells[4], 0);  // the board itself is left as it was

    TBoard unique = Square(4, 3, 3, 4);  // 1 3 / 2 1
    count = 0;
    ASSERT_TRUE(CountSolutions(unique, count, true, &stored));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(stored.cells, (std::vector<int>{-1, -1, -1, -1, 1, 3, -1, 2, 1}));

    TBoard none = Square(4, 4, 3, 3);
    count = 0;
    ASSERT_TRUE(CountSolutions(none, count, true, &stored));
    EXPECT_EQ(count, 0);

    // A count already above one returns at once; one already found needs one more.
    count = 2;
    ASSERT_TRUE(CountSolutions(twoWays, count, false, nullptr));
    EXPECT_EQ(count, 2);
    count = 1;
    ASSERT_TRUE(CountSolutions(unique, count, false, nullptr));
    EXPECT_EQ(count, 2);

    // No white cell at all: one (empty) solution.
    TBoard black;
    ASSERT_TRUE(ParseDescription("2 2", "0 1 2 3", "", 0, black));
    count = 0;
    ASSERT_TRUE(CountSolutions(black, count, true, &stored));
    EXPECT_EQ(count, 1);
}

TEST(CountSolutionsTests, FillObviousTestPlacesOnlyForcedDigits) {
    TBoard open = Square(3, 3, 3, 3);
    std::vector<unsigned> placed;
    FillObviousTest(open, &placed);
    EXPECT_TRUE(placed.empty());
    EXPECT_EQ(open.cells[4], 0);

    TBoard unique = Square(4, 3, 3, 4);
    FillObviousTest(unique, &placed);
    EXPECT_EQ(placed, (std::vector<unsigned>{4, 5, 7, 8}));
    EXPECT_EQ(unique.cells, (std::vector<int>{-1, -1, -1, -1, 1, 3, -1, 2, 1}));
}

// The pruned search must give exactly the plain enumeration's answers. Clues come from
// random fills, some nudged so that they contradict each other somewhere.
TEST(CountSolutionsTests, AgreesWithPlainEnumerationOnRandomBoards) {
    CapturedDiagnostics captured;
    int outcomes[3] = {};
    for (std::uint32_t seed = 0; seed < 160; ++seed) {
        Random random(seed);
        const unsigned size = 5 + seed % 3;
        Template t;
        ASSERT_TRUE(t.Generate(size, size, 2 + seed % 9, random));
        DigitFiller filler(t, random);
        if (!filler.FillDigits()) continue;
        enginetest::Description d = enginetest::DescribeGrid(size, size, filler.digits);
        if (seed % 4 == 0) {
            // Raise the first record's down clue by one: usually no solution, sometimes several.
            const std::size_t pos = d.records.find(' ');
            const std::size_t end = d.records.find(' ', pos + 1);
            const int sum = std::stoi(d.records.substr(pos + 1, end - pos - 1));
            if (sum > 0 && sum < 45) d.records.replace(pos + 1, end - pos - 1, std::to_string(sum + 1));
        }
        TBoard board;
        ASSERT_TRUE(enginetest::Parse(d, board));
        TBoard reference = board;
        int expected = 0;
        std::vector<int> expectedFirst;
        ReferenceCount(reference, 0, expected, expectedFirst);

        int count = 0;
        TBoard stored;
        ASSERT_TRUE(CountSolutions(board, count, true, &stored)) << "seed " << seed;
        EXPECT_EQ(count, expected) << "seed " << seed;
        if (expected > 0) {
            EXPECT_EQ(stored.cells, expectedFirst) << "seed " << seed;
        }
        ++outcomes[expected];
    }
    // The sample must exercise all three answers.
    EXPECT_GT(outcomes[0], 5);
    EXPECT_GT(outcomes[1], 5);
    EXPECT_GT(outcomes[2], 5);
}

TEST(CountSolutionsTests, SeesDigitCountsThatRowsAndColumnsCannotShare) {
    // An open 8 x 8 block whose rows lack 1 and 4 where its columns lack 2 and 3: the
    // totals agree and every run on its own can be filled, yet a 1 would have to appear
    // seven times across and eight times down.
    const int rowMissing[8] = {1, 4, 5, 5, 6, 6, 7, 7};
    const int columnMissing[8] = {2, 3, 5, 5, 6, 6, 7, 7};
    std::string records = "0 0 0 0 0 ";
    for (int k = 1; k <= 8; ++k) {
        records += std::to_string(k) + " " + std::to_string(45 - columnMissing[k - 1]) + " 8 0 0 ";
        records += std::to_string(k * 9) + " 0 0 " + std::to_string(45 - rowMissing[k - 1]) + " 8 ";
    }
    TBoard board;
    ASSERT_TRUE(ParseDescription("9 9", "", records, 17, board));
    int count = 0;
    ASSERT_TRUE(CountSolutions(board, count, true, nullptr, 2'000));
    EXPECT_EQ(count, 0);
}

TEST(CountSolutionsTests, GivesUpOnlyWhenTheEffortRunsOut) {
    // An open 9 x 9 block of nine-digit runs: easy to solve, but not in a handful of steps.
    std::vector<int> grid(100, -1);
    for (unsigned r = 1; r < 10; ++r) {
        for (unsigned c = 1; c < 10; ++c)
            grid[r * 10 + c] = static_cast<int>(((r - 1) * 3 + (r - 1) / 3 + c - 1) % 9) + 1;
    }
    TBoard board;
    ASSERT_TRUE(enginetest::Parse(enginetest::DescribeGrid(10, 10, grid), board));
    int count = 0;
    TBoard stored;
    EXPECT_FALSE(CountSolutions(board, count, true, &stored, 50));
    count = 0;
    ASSERT_TRUE(CountSolutions(board, count, true, &stored));
    EXPECT_EQ(count, 2);
    // The first solution in index order starts 1 2 3 ... in the top row.
    for (unsigned c = 1; c < 10; ++c) EXPECT_EQ(stored.cells[10 + c], static_cast<int>(c));
}

namespace {

// White cells that share no run with each other's group: the number of such groups.
int Groups(const enginetest::Puzzle& p) {
    std::vector<int> group(p.rows * p.columns, -1);
    int groups = 0;
    for (unsigned start = 0; start < p.rows * p.columns; ++start) {
        if (p.black[start] || group[start] >= 0) continue;
        std::vector<unsigned> stack{start};
        group[start] = groups;
        while (!stack.empty()) {
            const unsigned i = stack.back();
            stack.pop_back();
            for (unsigned j : {i - 1, i + 1, i - p.columns, i + p.columns}) {
                if (j < p.rows * p.columns && !p.black[j] && group[j] < 0) {
                    group[j] = groups;
                    stack.push_back(j);
                }
            }
        }
        ++groups;
    }
    return groups;
}

// Checks the engine's count and first solution against the brute-force reference;
// false when the reference gave up on the board.
bool AgreesWithReference(const enginetest::Puzzle& p, bool prefill, int& outcome) {
    const enginetest::ReferenceResult expected = enginetest::ReferenceCount(p, 50'000);
    if (!expected.finished) return false;  // too open for plain enumeration
    TBoard board;
    EXPECT_TRUE(enginetest::Parse(enginetest::Describe(p), board));
    // Digits that are the only candidate of their cell stand in every solution, so placing
    // them first (as generation does) changes neither the count nor the first solution.
    if (prefill) FillObviousTest(board, nullptr);
    int count = 0;
    TBoard stored;
    EXPECT_TRUE(CountSolutions(board, count, true, &stored));
    EXPECT_EQ(count, expected.count);
    if (count > 0 && expected.count > 0) {
        EXPECT_EQ(stored.cells, expected.first);
    }
    outcome = expected.count;
    return true;
}

}  // namespace

// Thousands of random boards of every density, from scattered single cells to open
// blocks; a third keep the clues of their fill, the others get two clues moved, which
// often leaves no solution and sometimes several.
TEST(CountSolutionsTests, MatchesBruteForceOnRandomBoards) {
    int outcomes[3] = {}, compared = 0, split = 0;
    for (std::uint32_t seed = 0; seed < 4000; ++seed) {
        std::mt19937 rng(seed);
        const unsigned size = 4 + seed % 6;
        // The emptiest 8x8 and 9x9 boards are beyond plain enumeration.
        const double sparsest = size >= 8 ? 0.1 : 0.0;
        const double blackChance = sparsest + (0.7 - sparsest) * (seed % 97) / 96.0;
        std::vector<int> grid;
        if (!enginetest::RandomFilledGrid(size, size, blackChance, rng, grid)) continue;
        enginetest::Puzzle p = enginetest::PuzzleFromGrid(size, size, grid);
        if (p.sums.size() < 2) continue;
        if (seed % 3 != 0) enginetest::MoveTwoClues(p, seed % 3 == 1, rng);
        SCOPED_TRACE("seed " + std::to_string(seed));
        int outcome = 0;
        if (!AgreesWithReference(p, seed % 4 == 3, outcome)) continue;
        ++compared;
        ++outcomes[outcome];
        if (Groups(p) > 1) ++split;
    }
    EXPECT_GT(compared, 3700);
    EXPECT_GT(outcomes[0], 1000);
    EXPECT_GT(outcomes[1], 500);
    EXPECT_GT(outcomes[2], 1000);
    EXPECT_GT(split, 500);
}

// Boards made of blocks that share no run: each block is counted on its own, and the
// answers must still combine into the whole board's.
TEST(CountSolutionsTests, CombinesIndependentBlocks) {
    auto put = [](std::vector<int>& g, unsigned n, unsigned r0, unsigned c0,
                  const std::vector<std::vector<int>>& block) {
        for (std::size_t r = 0; r < block.size(); ++r) {
            for (std::size_t c = 0; c < block[r].size(); ++c) g[(r0 + r) * n + c0 + c] = block[r][c];
        }
    };
    // Seven blocks, one of them (top left) with two ways to fill it.
    std::vector<int> blocks(81, -1);
    put(blocks, 9, 1, 1, {{1, 2}, {2, 1}});
    put(blocks, 9, 1, 4, {{1, 3}, {2, 1}});
    put(blocks, 9, 1, 7, {{9, 8}, {7, 9}});
    put(blocks, 9, 4, 1, {{1, 2, 4}, {3, 1, 2}});
    put(blocks, 9, 4, 5, {{8, 9, 7, 5}, {9, 7, 8, 6}});
    put(blocks, 9, 7, 1, {{6, 8, 9, 7}, {5, 9, 8, 6}});
    put(blocks, 9, 7, 6, {{1, 2, 3}, {3, 1, 2}});
    // One open 7 x 7 block with a clue for every row and column.
    std::vector<int> open(81, -1);
    for (unsigned r = 1; r <= 7; ++r) {
        for (unsigned c = 1; c <= 7; ++c)
            open[r * 9 + c] = static_cast<int>(((r - 1) * 3 + (r - 1) / 3 + c - 1) % 9) + 1;
    }
    for (const std::vector<int>* grid : {&blocks, &open}) {
        int outcome = 0;
        ASSERT_TRUE(AgreesWithReference(enginetest::PuzzleFromGrid(9, 9, *grid), false, outcome));
        EXPECT_EQ(outcome, 2);
    }

    // Four generated 7 x 7 puzzles side by side: each unique, so the 14 x 14 is too.
    CapturedDiagnostics captured;
    std::vector<int> quads(196, -1);
    for (unsigned q = 0; q < 4; ++q) {
        std::vector<std::uint8_t> cells(49);
        ASSERT_TRUE(GeneratePuzzle(7, 7, BlackCellTarget(7, 7, 2 + q % 2), 0, cells, 100 + q));
        for (unsigned r = 0; r < 7; ++r) {
            for (unsigned c = 0; c < 7; ++c) {
                const int v = cells[r * 7 + c];
                quads[(r + 7 * (q / 2)) * 14 + c + 7 * (q % 2)] = v == 0xFF ? -1 : v;
            }
        }
    }
    TBoard board;
    ASSERT_TRUE(enginetest::Parse(enginetest::DescribeGrid(14, 14, quads), board));
    int count = 0;
    TBoard stored;
    ASSERT_TRUE(CountSolutions(board, count, true, &stored));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(stored.cells, quads);
}
