// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <set>

#include "Support.h"
#include "tallyfold/engine/DigitFiller.h"
#include "tallyfold/engine/Template.h"

using namespace engine;
using enginetest::CapturedDiagnostics;

namespace {

Template OpenBlock(unsigned rows, unsigned columns) {
    Template t;
    t.Reset(rows, columns);
    for (unsigned k = 0; k < columns; ++k) t.At(0, k) = -1;
    for (unsigned k = 0; k < rows; ++k) t.At(k, 0) = -1;
    t.BuildRuns();
    return t;
}

}  // namespace

TEST(DigitFillerTests, SwappableRowsOrColumnsFailTheSwapTest) {
    Template t = OpenBlock(3, 3);
    Random random(1);
    DigitFiller filler(t, random);
    filler.digits = {-1, -1, -1, -1, 1, 2, -1, 2, 1};
    for (unsigned r = 1; r <= 2; ++r) {
        for (unsigned c = 1; c <= 2; ++c) EXPECT_FALSE(filler.NoSwapCycle(r, c)) << r << "," << c;
    }
    filler.digits = {-1, -1, -1, -1, 1, 2, -1, 3, 4};
    for (unsigned r = 1; r <= 2; ++r) {
        for (unsigned c = 1; c <= 2; ++c) EXPECT_TRUE(filler.NoSwapCycle(r, c)) << r << "," << c;
    }
    // A longer cycle: rows 1 and 2 hold the same three digits in rotated order.
    Template wide = OpenBlock(3, 4);
    DigitFiller rotated(wide, random);
    rotated.digits = {-1, -1, -1, -1, -1, 1, 2, 3, -1, 2, 3, 1};
    EXPECT_FALSE(rotated.NoSwapCycle(1, 2));
    rotated.digits = {-1, -1, -1, -1, -1, 1, 2, 3, -1, 2, 3, 4};
    EXPECT_TRUE(rotated.NoSwapCycle(1, 2));
    // An empty cell breaks the chain.
    rotated.digits = {-1, -1, -1, -1, -1, 1, 2, 0, -1, 2, 3, 1};
    EXPECT_TRUE(rotated.NoSwapCycle(1, 2));
}

TEST(DigitFillerTests, SwapTestOnlyLooksAtOpenRectangles) {
    Template t;
    t.Reset(3, 4);
    for (unsigned k = 0; k < 4; ++k) t.At(0, k) = -1;
    for (unsigned k = 0; k < 3; ++k) t.At(k, 0) = -1;
    t.At(2, 2) = -1;
    Random random(1);
    DigitFiller filler(t, random);
    // Columns 1 and 3 hold 1/2 and 2/1, but column 2 of row 2 is black between them.
    filler.digits = {-1, -1, -1, -1, -1, 1, 5, 2, -1, 2, -1, 1};
    EXPECT_TRUE(filler.NoSwapCycle(1, 1));
    EXPECT_TRUE(filler.NoSwapCycle(2, 3));
}

TEST(DigitFillerTests, ClearedDigitsStayStruckFromTheirRuns) {
    Template t = OpenBlock(4, 4);
    Random random(3);
    DigitFiller filler(t, random);
    const unsigned cell = 1 * 4 + 1;
    filler.SetFillerDigit(cell, 7);
    filler.SetFillerDigit(cell, 0);
    EXPECT_EQ(filler.digits[cell], 0);
    for (unsigned other : {5u, 6u, 7u, 9u, 13u}) {
        EXPECT_EQ(filler.allowed[other] & (1u << 7), 0u) << other;
    }
    EXPECT_NE(filler.allowed[10] & (1u << 7), 0u);  // shares no run with the cell
    EXPECT_EQ(filler.UsedDigits(t.links[cell][kAcross]), 0u);
    filler.SetFillerDigit(6, 4);
    EXPECT_EQ(filler.UsedDigits(t.links[cell][kAcross]), 1u << 4);
    EXPECT_EQ(filler.RunCells(t.links[cell][kDown]), (std::vector<unsigned>{5, 9, 13}));
    EXPECT_EQ(filler.ComboCandidates(10, t.links[cell][kAcross], 1u << 4), (1u << 1) | (1u << 5));
}

TEST(DigitFillerTests, FilledGridsHaveDistinctDigitsInEveryRun) {
    CapturedDiagnostics captured;
    int filled = 0;
    for (std::uint32_t seed = 0; seed < 30; ++seed) {
        Random random(seed);
        Template t;
        const unsigned size = 6 + seed % 9;
        ASSERT_TRUE(t.Generate(size, size, 10 + seed, random));
        DigitFiller filler(t, random);
        if (!filler.FillDigits()) continue;
        ++filled;
        for (unsigned i = 0; i < t.cellCount; ++i) {
            if (t.cells[i] != 0) {
                EXPECT_EQ(filler.digits[i], -1);
                continue;
            }
            EXPECT_GE(filler.digits[i], 1);
            EXPECT_LE(filler.digits[i], 9);
        }
        for (std::size_t run = 0; run < t.runs.size(); ++run) {
            std::set<int> seen;
            for (unsigned cell : filler.RunCells(static_cast<int>(run))) {
                EXPECT_TRUE(seen.insert(filler.digits[cell]).second) << "seed " << seed;
            }
        }
    }
    EXPECT_GT(filled, 20);
}
