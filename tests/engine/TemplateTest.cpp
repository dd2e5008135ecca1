// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "Support.h"
#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Template.h"

using namespace engine;
using enginetest::CapturedDiagnostics;

namespace {

// Builds a layout from rows of '#' (black) and '.' (white).
Template FromPicture(const std::vector<std::string>& picture) {
    Template t;
    t.Reset(static_cast<unsigned>(picture.size()), static_cast<unsigned>(picture[0].size()));
    for (unsigned r = 0; r < t.rows; ++r) {
        for (unsigned c = 0; c < t.columns; ++c) t.At(r, c) = picture[r][c] == '#' ? -1 : 0;
    }
    return t;
}

bool WhiteCellsConnected(const Template& t) {
    std::vector<unsigned> stack;
    std::vector<bool> seen(t.cellCount, false);
    unsigned whites = 0;
    for (unsigned i = 0; i < t.cellCount; ++i) {
        if (t.cells[i] != 0) continue;
        ++whites;
        if (stack.empty() && !seen[i]) {
            stack.push_back(i);
            seen[i] = true;
        }
    }
    unsigned reached = 0;
    while (!stack.empty()) {
        const unsigned i = stack.back();
        stack.pop_back();
        ++reached;
        const unsigned r = i / t.columns, c = i % t.columns;
        const unsigned next[4][2] = {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
        for (const auto& n : next) {
            if (n[0] >= t.rows || n[1] >= t.columns) continue;
            const unsigned j = n[0] * t.columns + n[1];
            if (t.cells[j] == 0 && !seen[j]) {
                seen[j] = true;
                stack.push_back(j);
            }
        }
    }
    return whites > 0 && reached == whites;
}

}  // namespace

TEST(TemplateTests, StrandsLoneCellSeesTheFrameAndTheEdges) {
    Template t = FromPicture({"#######",  //
                              "#......",  //
                              "#......",  //
                              "#......",  //
                              "#......"});
    // Blacking (2, 5) would leave (1, 5) alone between itself and the black row 0.
    EXPECT_TRUE(t.StrandsLoneCell(2, 5));
    // The board edge counts like a black cell: (4, 3) on the last row would be alone.
    EXPECT_TRUE(t.StrandsLoneCell(3, 3));
    EXPECT_TRUE(t.StrandsLoneCell(1, 5));  // (1, 6) is the last column
    EXPECT_TRUE(t.StrandsLoneCell(1, 2));  // (1, 1) next to column 0
    EXPECT_FALSE(t.StrandsLoneCell(1, 3));
    EXPECT_TRUE(t.StrandsLoneCell(3, 4));  // (4, 4) on the last row
}

TEST(TemplateTests, RunLengthQueries) {
    Template t = FromPicture({"#############",  //
                              "#..........#.",  //
                              "#...#.......#",  //
                              "#............"});
    EXPECT_EQ(t.LongestRunInRow(0), 0u);
    EXPECT_EQ(t.LongestRunInRow(1), 10u);
    EXPECT_EQ(t.LongestRunInRow(2), 7u);
    EXPECT_EQ(t.LongestRunInColumn(4), 1u);
    EXPECT_EQ(t.LongestRunInColumn(1), 3u);
    Stretch s = t.FindLongRunInRow(1);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.first, 1u);
    EXPECT_EQ(s.last, 10u);
    EXPECT_FALSE(t.FindLongRunInRow(2).found);
    s = t.FindLongRunInRow(3);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.last, 12u);
    EXPECT_FALSE(t.FindLongRunInColumn(3).found);
}

TEST(TemplateTests, HasIslandFindsSeparatedAndLoneWhiteCells) {
    Template pairs = FromPicture({"#####",  //
                                  "#..##",  //
                                  "#####",  //
                                  "#..##"});
    EXPECT_TRUE(pairs.HasIsland());
    Template none = FromPicture({"###", "###"});
    EXPECT_TRUE(none.HasIsland());
    Template lone = FromPicture({"###", "#.#", "###"});
    EXPECT_TRUE(lone.HasIsland());
    Template joined = FromPicture({"#####",  //
                                   "#..##",  //
                                   "##.##",  //
                                   "##..."});
    EXPECT_FALSE(joined.HasIsland());
    // The flood fill's marks are gone afterwards.
    for (int cell : joined.cells) EXPECT_TRUE(cell == 0 || cell == -1);
    for (int cell : pairs.cells) EXPECT_TRUE(cell == 0 || cell == -1);
}

TEST(TemplateTests, BuildRunsLinksEveryWhiteCellBothWays) {
    Template t = FromPicture({"####",  //
                              "#..#",  //
                              "#...",  //
                              "##.."});
    t.BuildRuns();
    for (unsigned i = 0; i < t.cellCount; ++i) {
        if (t.cells[i] != 0) continue;
        ASSERT_GE(t.links[i][kDown], 0) << i;
        ASSERT_GE(t.links[i][kAcross], 0) << i;
    }
    const TemplateRun& across = t.runs[static_cast<std::size_t>(t.links[9][kAcross])];
    EXPECT_EQ(across.first, 9u);
    EXPECT_EQ(across.length, 3u);
    const TemplateRun& down = t.runs[static_cast<std::size_t>(t.links[6][kDown])];
    EXPECT_EQ(down.first, 6u);
    EXPECT_EQ(down.length, 3u);
}

TEST(TemplateTests, DumpTemplateMarksBlackAndLongestRun) {
    Template t = FromPicture({"###", "#..", "#.#"});
    CapturedDiagnostics captured;
    t.DumpTemplate();
    EXPECT_EQ(captured.Out(), "* * * (0)\n* . . (2)\n* . * (1)\n");
}

TEST(TemplateTests, TargetDecidesHowDenseA9x9LayoutGets) {
    CapturedDiagnostics captured;
    unsigned reachedTarget = 0;
    unsigned sparseTotal = 0;
    unsigned denseTotal = 0;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        Random random(seed);
        Template sparse;
        ASSERT_TRUE(sparse.Generate(9, 9, 20, random));
        // Blacks come in mirrored pairs, so the count stops at 20 or one above; 100
        // fruitless picks in a row may stop it earlier.
        EXPECT_LE(sparse.blackCount, 21u);
        if (sparse.blackCount >= 20) ++reachedTarget;
        sparseTotal += sparse.blackCount;

        Template dense;
        ASSERT_TRUE(dense.Generate(9, 9, 99, random));
        EXPECT_LT(dense.blackCount, 64u);
        denseTotal += dense.blackCount;
    }
    EXPECT_GE(reachedTarget, 15u);
    EXPECT_GT(denseTotal, sparseTotal);
}

// Layout properties over many seeds and every game size and level target.
TEST(TemplateTests, EveryLayoutIsFramedSymmetricConnectedAndShortRunned) {
    CapturedDiagnostics captured;
    const unsigned sizes[] = {6, 7, 9, 12, 14};
    const unsigned targets[][3] = {{99, 8, 6}, {99, 13, 8}, {99, 20, 15}, {99, 45, 42}, {99, 68, 62}};
    for (std::size_t s = 0; s < 5; ++s) {
        const unsigned n = sizes[s];
        for (unsigned target : targets[s]) {
            for (std::uint32_t seed = 0; seed < 12; ++seed) {
                Random random(seed * 31 + n);
                Template t;
                ASSERT_TRUE(t.Generate(n, n, target, random));
                SCOPED_TRACE("size " + std::to_string(n) + " target " + std::to_string(target) + " seed " +
                             std::to_string(seed));
                for (unsigned k = 0; k < n; ++k) {
                    EXPECT_EQ(t.At(0, k), -1);
                    EXPECT_EQ(t.At(k, 0), -1);
                }
                for (unsigned r = 1; r < n; ++r) {
                    for (unsigned c = 1; c < n; ++c) EXPECT_EQ(t.At(r, c), t.At(n - r, n - c));
                }
                EXPECT_TRUE(WhiteCellsConnected(t));
                for (unsigned k = 1; k < n; ++k) {
                    EXPECT_LE(t.LongestRunInRow(k), 9u);
                    EXPECT_LE(t.LongestRunInColumn(k), 9u);
                }
            }
        }
    }
}

namespace {

// Every run of white cells, across and down, is two to nine cells long.
bool RunsTwoToNine(const Template& t) {
    for (int pass = 0; pass < 2; ++pass) {
        for (unsigned line = 1; line < (pass ? t.columns : t.rows); ++line) {
            unsigned length = 0;
            for (unsigned k = 1; k <= (pass ? t.rows : t.columns); ++k) {
                const bool white = k < (pass ? t.rows : t.columns) && (pass ? t.White(k, line) : t.White(line, k));
                if (white) {
                    ++length;
                } else {
                    if (length == 1 || length > 9) return false;
                    length = 0;
                }
            }
        }
    }
    return true;
}

}  // namespace

// Draw picks evenly among the valid layouts in range: on 6x6 every one of them, counted
// here by going through all symmetric layouts, comes up, and none twice as often as
// another.
TEST(TemplateTests, DrawPicksEvenlyAmongValidLayouts) {
    const unsigned n = 6, fewest = 4, most = 10;
    std::vector<std::pair<unsigned, unsigned>> pairs;
    for (unsigned r = 1; r < n; ++r) {
        for (unsigned c = 1; c < n; ++c) {
            if (r * n + c <= (n - r) * n + (n - c)) pairs.push_back({r, c});
        }
    }
    std::set<std::string> valid;
    for (unsigned mask = 0; mask < (1u << pairs.size()); ++mask) {
        std::vector<std::string> picture(n, std::string(n, '.'));
        picture[0] = std::string(n, '#');
        unsigned black = 0;
        for (unsigned r = 0; r < n; ++r) picture[r][0] = '#';
        for (std::size_t k = 0; k < pairs.size(); ++k) {
            if (!(mask >> k & 1)) continue;
            const auto [r, c] = pairs[k];
            picture[r][c] = picture[n - r][n - c] = '#';
            black += (r == n - r && c == n - c) ? 1 : 2;
        }
        const Template t = FromPicture(picture);
        if (black < fewest || black > most || !WhiteCellsConnected(t) || !RunsTwoToNine(t)) continue;
        std::string key;
        for (const auto& row : picture) key += row;
        valid.insert(key);
    }
    ASSERT_GT(valid.size(), 20u);

    std::map<std::string, int> drawn;
    Random random(77);
    const int draws = 60 * static_cast<int>(valid.size());
    for (int k = 0; k < draws; ++k) {
        Template t;
        ASSERT_TRUE(t.Draw(n, n, fewest, most, random));
        std::string key;
        for (int cell : t.cells) key += cell == 0 ? '.' : '#';
        ASSERT_TRUE(valid.count(key)) << key;
        EXPECT_EQ(t.blackCount, static_cast<unsigned>(std::count(key.begin(), key.end(), '#')) - (2 * n - 1));
        ++drawn[key];
    }
    EXPECT_EQ(drawn.size(), valid.size());
    int least = draws, commonest = 0;
    for (const auto& [key, count] : drawn) {
        least = std::min(least, count);
        commonest = std::max(commonest, count);
    }
    EXPECT_LE(commonest, 2 * least);

    Template t;
    EXPECT_FALSE(t.Draw(9, 9, 10, 20, random));  // too large to draw evenly
    EXPECT_FALSE(t.Draw(6, 6, 11, 11, random));  // no valid layout has 11 black cells
}
