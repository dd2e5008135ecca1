// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "Support.h"
#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/DigitFiller.h"

using namespace engine;
using enginetest::CapturedDiagnostics;

namespace {

unsigned Digits(std::initializer_list<int> digits) {
    unsigned mask = 0;
    for (int d : digits) mask |= 1u << d;
    return mask;
}

std::string ParseError(const std::string& dims, const std::string& unfillable, const std::string& records, int count) {
    CapturedDiagnostics captured;
    TBoard board;
    EXPECT_FALSE(ParseDescription(dims, unfillable, records, count, board));
    return captured.Err();
}

}  // namespace

TEST(Combinations, CatalogueHoldsEverySubsetOnceInMaskOrder) {
    const CombinationTable& table = CombinationsBySum();
    std::size_t total = 0;
    for (std::size_t sum = 0; sum < table.size(); ++sum) {
        int previous = -1;
        for (const SumCombination& combination : table[sum]) {
            EXPECT_EQ(combination.sum, static_cast<int>(sum));
            EXPECT_GT(combination.mask, previous);
            EXPECT_EQ(combination.mask & 1, 0);
            previous = combination.mask;
        }
        total += table[sum].size();
    }
    EXPECT_EQ(total, 512u);
    ASSERT_EQ(table[0].size(), 1u);
    EXPECT_EQ(table[0][0].mask, 0);
    EXPECT_EQ(CombinationMasks(20, 4).size(), 12u);
    // The by-count index must agree with the catalogue, in the same order.
    for (int sum = 0; sum <= 45; ++sum) {
        std::vector<int> expected;
        for (const SumCombination& c : table[static_cast<std::size_t>(sum)]) {
            if (c.count == 3) expected.push_back(c.mask);
        }
        std::vector<int> actual(CombinationMasks(sum, 3).begin(), CombinationMasks(sum, 3).end());
        EXPECT_EQ(actual, expected) << "sum " << sum;
    }
    EXPECT_TRUE(CombinationMasks(46, 2).empty());
    EXPECT_TRUE(CombinationMasks(10, 10).empty());
}

TEST(Candidates, RunCandidatesFollowSumLengthAndPlacedDigits) {
    EXPECT_EQ(RunCandidates({2, 4, 0}), Digits({1, 3}));
    EXPECT_EQ(RunCandidates({2, 4, Digits({3})}), Digits({1}));
    EXPECT_EQ(RunCandidates({3, 6, 0}), Digits({1, 2, 3}));
    EXPECT_EQ(RunCandidates({3, 24, 0}), Digits({7, 8, 9}));
    EXPECT_EQ(RunCandidates({3, 5, 0}), 0u);
    EXPECT_EQ(RunCandidates({9, 45, Digits({1, 2, 3, 4, 5, 6, 7, 8})}), Digits({9}));
    EXPECT_EQ(RunCandidates({2, 17, Digits({9})}), Digits({8}));
    EXPECT_EQ(RunCandidates({2, 17, Digits({7})}), 0u);
}

TEST(Candidates, CellCandidatesIntersectBothRunsAndNeedBothLinks) {
    TBoard board;
    // 3 x 3: clue column and row, a 2 x 2 white block; across sums 4 and 3, down 3 and 4.
    ASSERT_TRUE(ParseDescription("3 3", "0", "1 3 2 0 0 2 4 2 0 0 3 0 0 4 2 6 0 0 3 2", 4, board));
    EXPECT_EQ(CellCandidates(board, 4), Digits({1}));  // across {1,3} and down {1,2}
    EXPECT_EQ(CellCandidates(board, 5), Digits({1, 3}));
    EXPECT_EQ(CellCandidates(board, 7), Digits({1, 2}));
    EXPECT_EQ(CellCandidates(board, 0), 0u);
}

TEST(PlaceDigit, RefusesDigitsTheRunsAlreadyHoldAndKeepsMasksInStep) {
    TBoard board;
    ASSERT_TRUE(ParseDescription("3 3", "0", "1 3 2 0 0 2 4 2 0 0 3 0 0 4 2 6 0 0 3 2", 4, board));
    Constraint* across = board.Link(4, kAcross);
    Constraint* down = board.Link(4, kDown);
    ASSERT_TRUE(PlaceDigit(board, 4, 1));
    EXPECT_EQ(across->used, Digits({1}));
    EXPECT_EQ(down->used, Digits({1}));

    // Cell 5 shares the across run with cell 4: a second 1 is refused, nothing changes.
    const unsigned downOf5 = board.Link(5, kDown)->used;
    EXPECT_FALSE(PlaceDigit(board, 5, 1));
    EXPECT_EQ(board.cells[5], 0);
    EXPECT_EQ(across->used, Digits({1}));
    EXPECT_EQ(board.Link(5, kDown)->used, downOf5);

    // Placing the digit the cell already holds is refused too.
    EXPECT_FALSE(PlaceDigit(board, 4, 1));

    // Replacing moves the bit; 0 empties and never fails.
    ASSERT_TRUE(PlaceDigit(board, 4, 2));
    EXPECT_EQ(across->used, Digits({2}));
    EXPECT_EQ(down->used, Digits({2}));
    EXPECT_TRUE(PlaceDigit(board, 4, 0));
    EXPECT_TRUE(PlaceDigit(board, 4, 0));
    EXPECT_EQ(board.cells[4], 0);
    EXPECT_EQ(across->used, 0u);
    EXPECT_EQ(down->used, 0u);
}

TEST(ParseDescription, AcceptsMinimalAndTypicalDescriptions) {
    TBoard board;
    EXPECT_TRUE(ParseDescription("2 2", "0 1 2 3", "", 0, board));
    EXPECT_EQ(board.cellCount, 4u);
    for (int cell : board.cells) EXPECT_EQ(cell, kBlack);

    // Clue cells need not be listed; white space of any kind separates numbers.
    ASSERT_TRUE(ParseDescription("3 3", "0 ", "1 3 2 0 0\n2 4 2 0 0\n 3 0 0 4 2\t6 0 0 3 2", 4, board));
    EXPECT_EQ(board.cells[1], kBlack);
    EXPECT_EQ(board.cells[4], kEmpty);
    EXPECT_EQ(board.Link(4, kAcross)->sum, 4u);
    EXPECT_EQ(board.Link(4, kDown)->sum, 3u);
    EXPECT_EQ(board.Link(8, kDown)->length, 2u);
}

TEST(ParseDescription, ReportsEachFailureWordForWord) {
    EXPECT_EQ(ParseError("9", "", "", 0), "invalid dimensions line\n");
    EXPECT_EQ(ParseError("", "", "", 0), "invalid dimensions line\n");
    EXPECT_EQ(ParseError("1 9", "", "", 0), "invalid dimensions (must be at least 2 in each direction)\n");
    EXPECT_EQ(ParseError("2 2", "0 1 x", "", 0), "invalid unfillable cells line\n");
    EXPECT_EQ(ParseError("2 2", "0 1 2a", "", 0), "invalid unfillable cells line\n");
    EXPECT_EQ(ParseError("3 3", "", "0 5 10 0 0", 1), "inconsistent data for constraint index 0\n");
    EXPECT_EQ(ParseError("3 3", "", "4 -1 2 0 0", 1), "inconsistent data for constraint index 4\n");
    // The index of the record that could not be read is the last one read.
    EXPECT_EQ(ParseError("3 3", "0", "1 3 2 0 0 2 4", 2), "invalid input format for constraint index 2\n");
    EXPECT_EQ(ParseError("3 3", "0", "1 3 2 0 0", 2), "invalid input format for constraint index 1\n");
    EXPECT_EQ(ParseError("3 3", "0", "", 1), "invalid input format for constraint index 0\n");
    // A down run that leaves the board, an across run that meets a black cell.
    EXPECT_EQ(ParseError("3 3", "0", "1 3 3 0 0", 1), "overflowing (down?) run or misplaced constraint cell 1\n");
    EXPECT_EQ(ParseError("3 3", "0 5", "3 0 0 3 2", 1), "overflowing (right?) run or misplaced constraint cell 3\n");
    // Overlapping runs and a clue inside another run fail for the record read second.
    EXPECT_EQ(ParseError("3 3", "0", "1 3 2 0 0 1 3 2 0 0", 2),
              "overflowing (down?) run or misplaced constraint cell 1\n");
    EXPECT_EQ(ParseError("3 3", "0", "3 0 0 3 2 4 3 1 0 0", 2),
              "overflowing (down?) run or misplaced constraint cell 4\n");
    // Coverage: a white cell with only a down run, a cell nothing covers, in index order.
    EXPECT_EQ(ParseError("3 3", "0 2 3 5 6 8", "1 3 2 0 0", 1), "incompletely covered cell 4\n");
    EXPECT_EQ(ParseError("3 3", "0 1 2 3 4 5 6 7", "", 0), "uncovered cell 8\n");
}

// A clue no digits make is a wrong puzzle, not a wrong description: it parses, and the
// first such clue in clue-cell order is named with its direction.
TEST(ParseDescription, ImpossibleCluesParseAndAreFoundInCellOrder) {
    struct Case {
        const char* records;
        bool found;
        unsigned cell;
        int direction;
        unsigned long long sum;
        unsigned length;
    };
    // Clue cells 1 and 2 head the down runs, 3 and 6 the across runs of a 2 x 2 block.
    const Case cases[] = {
        {"1 3 2 0 0 2 4 2 0 0 3 0 0 4 2 6 0 0 3 2", false, 0, 0, 0, 0},
        {"1 3 2 0 0 2 4 2 0 0 3 0 0 4 2 6 0 0 46 2", true, 6, kAcross, 46, 2},
        {"6 0 0 99999999999 2 1 3 2 0 0 2 4 2 0 0 3 0 0 4 2", true, 6, kAcross, 99999999999ull, 2},
        {"1 3 2 0 0 2 18 2 0 0 3 0 0 4 2 6 0 0 2 2", true, 2, kDown, 18, 2},
        {"1 3 2 0 0 2 4 2 0 0 3 7 0 4 2 6 0 0 3 2", true, 3, kDown, 7, 0},
        {"1 3 2 0 0 2 4 2 0 0 3 0 0 4 2 6 0 0 0 2", true, 6, kAcross, 0, 2},
        {"6 0 0 50 2 1 3 2 0 0 2 4 2 0 0 3 0 0 1 2", true, 3, kAcross, 1, 2},
    };
    for (const Case& c : cases) {
        TBoard board;
        ASSERT_TRUE(ParseDescription("3 3", "0", c.records, 4, board)) << c.records;
        ImpossibleClue clue;
        ASSERT_EQ(FindImpossibleClue(board, clue), c.found) << c.records;
        if (!c.found) continue;
        EXPECT_EQ(clue.cell, c.cell) << c.records;
        EXPECT_EQ(clue.direction, c.direction) << c.records;
        EXPECT_EQ(clue.sum, c.sum) << c.records;
        EXPECT_EQ(clue.length, c.length) << c.records;
        int count = 0;
        ASSERT_TRUE(CountSolutions(board, count, false, nullptr));
        if (c.length > 0) {
            EXPECT_EQ(count, 0) << c.records;
        }
    }
}

TEST(ParseDescription, RejectsIndicesOutsideTheBoardAndRowWrappingRuns) {
    EXPECT_EQ(ParseError("3 3", "0 9", "", 0), "unfillable cell outside the board 9\n");
    EXPECT_EQ(ParseError("3 3", "-1", "", 0), "unfillable cell outside the board -1\n");
    EXPECT_EQ(ParseError("3 3", "0", "12 0 0 3 2", 1), "constraint index outside the board 12\n");
    EXPECT_EQ(ParseError("3 3", "0", "-3 0 0 3 2", 1), "constraint index outside the board -3\n");
    // Cell 2 ends row 0: an across run from it would continue in row 1.
    EXPECT_EQ(ParseError("3 3", "0 1", "2 0 0 3 2", 1), "overflowing (right?) run or misplaced constraint cell 2\n");
    EXPECT_EQ(ParseError("3 3", "0", "1 0 0 3 2", 1), "overflowing (right?) run or misplaced constraint cell 1\n");
    EXPECT_EQ(ParseError("4000000000 2", "", "", 0), "invalid dimensions (must be at most 100 in each direction)\n");
    EXPECT_EQ(ParseError("-5 5", "", "", 0), "invalid dimensions (must be at least 2 in each direction)\n");
}

TEST(BoardFromDigits, BuildsClueRunsFromAFilledGrid) {
    const std::vector<int> grid = {-1, -1, -1, -1,  //
                                   -1, 3,  1,  -1,  //
                                   -1, 9,  2,  4,   //
                                   -1, -1, 5,  1};
    TBoard board;
    BoardFromDigits(grid, 4, 4, board);
    for (unsigned i = 0; i < 16; ++i) {
        if (grid[i] < 0) {
            EXPECT_EQ(board.cells[i], kBlack) << i;
        } else {
            EXPECT_EQ(board.cells[i], kEmpty) << i;
            ASSERT_NE(board.Link(i, kDown), nullptr) << i;
            ASSERT_NE(board.Link(i, kAcross), nullptr) << i;
        }
    }
    EXPECT_EQ(board.Link(5, kAcross)->sum, 4u);
    EXPECT_EQ(board.Link(5, kDown)->sum, 12u);
    EXPECT_EQ(board.Link(10, kAcross)->sum, 15u);
    EXPECT_EQ(board.Link(10, kAcross)->length, 3u);
    EXPECT_EQ(board.Link(6, kDown)->sum, 8u);
    EXPECT_EQ(board.Link(6, kDown)->length, 3u);
    EXPECT_EQ(board.Link(15, kDown)->sum, 5u);
    EXPECT_EQ(board.Link(15, kAcross), board.Link(14, kAcross));
}
