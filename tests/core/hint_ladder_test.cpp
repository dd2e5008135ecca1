// SPDX-License-Identifier: GPL-3.0-or-later
// The hint ladder on generated puzzles, played as a player would: press after press
// until the board is solved, with the aids on and off, Escape and undo in between.
#include <algorithm>
#include <vector>

#include "core_support.h"
#include "game/core/hint_ladder.h"

namespace {

using Cells = std::vector<std::pair<int, int>>;

// The white cells of the run through (x, y) going (dx, dy), the cell itself excluded,
// walked over the solution grid.
Cells RunMates(const TPuzzleState& p, int x, int y, int dx, int dy) {
    Cells mates;
    for (int sign : {-1, 1})
        for (int cx = x + sign * dx, cy = y + sign * dy;
             cx >= 0 && cy >= 0 && cx < p.BoardWidth && cy < p.BoardHeight && p.SolutionGrid[cx][cy] != BlackCell;
             cx += sign * dx, cy += sign * dy)
            mates.emplace_back(cx, cy);
    return mates;
}

// What a player already sees kept out of an empty cell: with Prevent Double Digits,
// digits in its runs; with automatic marks or any mark in the cell, digits without one.
bool SeenOut(const TPuzzleModel& m, int x, int y, int d) {
    if (m.Options.PreventDoubleNumbers) {
        for (auto [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}})
            for (auto [cx, cy] : RunMates(m.Puzzle, x, y, dx, dy))
                if (m.Puzzle.PlayerGrid[cx][cy] == d) return true;
    }
    const auto& marks = m.Puzzle.MarkupGrid[x][y];
    const bool marked = std::any_of(marks.begin(), marks.end(), [](auto mark) { return mark != 0; });
    return (m.Puzzle.AutoMarkup || marked) && marks[d - 1] == 0;
}

struct TBoardPicture {
    TGrid Player;
    TMarkupGrid Marks;
    bool operator==(const TBoardPicture&) const = default;
};
TBoardPicture Picture(const TPuzzleModel& m) { return {m.Puzzle.PlayerGrid, m.Puzzle.MarkupGrid}; }

bool Solved(const TPuzzleState& p) {
    for (int x = 0; x < p.BoardWidth; ++x)
        for (int y = 0; y < p.BoardHeight; ++y)
            if (p.PlayerGrid[x][y] != p.SolutionGrid[x][y]) return false;
    return true;
}

class HintLadderTest : public CoreTest {
protected:
    void NewPuzzle(int size, int difficulty, int seed) {
        now = 100000 + 7919 * seed;
        ASSERT_TRUE(Core->CreatePuzzle(size, size, difficulty));
        Core->RestartPuzzle();
    }
    THintLadder Ladder;
};

}  // namespace

// Every hint climbs its three rungs: the first names a place and no digit, the second
// shows the changes, the third makes them as one edit that one undo takes back. The
// changes are the solution's, the aids' own eliminations are never offered, and the
// hints alone solve the puzzle.
TEST_F(HintLadderTest, HintsClimbThreeRungsAndSolveEveryPuzzleTheyAreAskedAbout) {
    int placements = 0, eliminations = 0, undone = 0;
    for (int seed = 0; seed < 16; ++seed) {
        const int size = seed % 2 ? 9 : 6;
        SCOPED_TRACE("seed " + std::to_string(seed));
        NewPuzzle(size, seed % 3, seed);
        Options.PreventDoubleNumbers = seed % 4 < 2;
        // Kept marks on for half the puzzles: a digit the hint places then also
        // leaves the marks of its runs.
        Options.KeepPencilMarks = seed % 8 < 4;
        if (seed % 4 == 1 || seed % 4 == 3) Model.ApplyEdit({TEditKind::AutoMarks, 0, 0, 1});
        for (int hints = 0; !Solved(Puzzle); ++hints) {
            ASSERT_LT(hints, 400) << "the hints go round in circles";
            Ladder.Press(Model);
            ASSERT_EQ(Ladder.Stage(Model), THintStage::Pointed);
            const THint hint = Ladder.Hint();
            ASSERT_EQ(hint.Kind, THintKind::Deduction) << hint.Sentence;
            EXPECT_EQ(hint.Pointer.find_first_of("123456789"), std::string::npos) << hint.Pointer;
            for (const THintChange& c : hint.Changes) EXPECT_EQ(Ladder.PreviewRemoved(Model, c.X, c.Y), 0u);
            ASSERT_FALSE(hint.Changes.empty());
            for (const THintChange& c : hint.Changes) {
                EXPECT_EQ(Ladder.CellRole(Model, c.X, c.Y), 1) << "framed, not yet singled out";
                ASSERT_EQ(Puzzle.PlayerGrid[c.X][c.Y], 0);
                if (c.Digit) {
                    ASSERT_EQ(c.Digit, Puzzle.SolutionGrid[c.X][c.Y]) << hint.Sentence;
                    continue;
                }
                ASSERT_EQ(c.Removed >> Puzzle.SolutionGrid[c.X][c.Y] & 1, 0u) << hint.Sentence;
                bool news = false;
                for (int d = 1; d <= 9; ++d) news = news || (c.Removed >> d & 1 && !SeenOut(Model, c.X, c.Y, d));
                EXPECT_TRUE(news) << "the aids already keep these out: " << hint.Sentence;
            }

            Ladder.Press(Model);
            ASSERT_EQ(Ladder.Stage(Model), THintStage::Shown);
            EXPECT_FALSE(Ladder.Hint().Sentence.empty());
            for (const THintChange& c : hint.Changes) {
                EXPECT_EQ(Ladder.CellRole(Model, c.X, c.Y), 2);
                EXPECT_EQ(Ladder.PreviewRemoved(Model, c.X, c.Y), c.Removed);
            }

            const TBoardPicture before = Picture(Model);
            const std::size_t edits = EditHistory.Done.size();
            Ladder.Press(Model);
            ASSERT_EQ(Ladder.Stage(Model), THintStage::None);
            ASSERT_LE(EditHistory.Done.size(), edits + 1) << "one hint, one edit";
            for (const THintChange& c : hint.Changes) {
                if (c.Digit) {
                    ++placements;
                    EXPECT_EQ(Puzzle.PlayerGrid[c.X][c.Y], c.Digit);
                    continue;
                }
                ++eliminations;
                for (int d = 1; d <= 9; ++d) {
                    if (c.Removed >> d & 1) {
                        EXPECT_EQ(Puzzle.MarkupGrid[c.X][c.Y][d - 1], 0);
                    }
                    // Kept marks may take more away as the hint's placements land (their
                    // own test covers that); without them every digit left is shown.
                    if (!Options.KeepPencilMarks && !Puzzle.AutoMarkup && Puzzle.PlayerGrid[c.X][c.Y] == 0 &&
                        c.Left >> d & 1) {
                        EXPECT_EQ(Puzzle.MarkupGrid[c.X][c.Y][d - 1], 1) << "what is left is shown";
                    }
                }
            }
            if (EditHistory.Done.size() == edits + 1 && hints % 5 == 0) {
                const TBoardPicture after = Picture(Model);
                ASSERT_EQ(Model.UndoEdit(), 1);
                EXPECT_TRUE(Picture(Model) == before) << "undo takes the whole hint back";
                ASSERT_EQ(Model.RedoEdit(), 1);
                EXPECT_TRUE(Picture(Model) == after);
                ++undone;
            }
        }
        EXPECT_EQ(Puzzle.HintsCarried, Puzzle.ExplainsUsed);
        EXPECT_EQ(Puzzle.HintsShown, Puzzle.ExplainsUsed);
    }
    EXPECT_GT(placements, 0);
    EXPECT_GT(eliminations, 0);
    EXPECT_GT(undone, 0);
}

// Escape puts a hint away at either rung and changes nothing; the next press starts
// the same hint over from the first rung.
TEST_F(HintLadderTest, PuttingAHintAwayAtAnyRungChangesNothing) {
    NewPuzzle(9, 1, 3);
    for (int rung = 1; rung <= 2; ++rung) {
        SCOPED_TRACE(rung);
        const TBoardPicture before = Picture(Model);
        for (int k = 0; k < rung; ++k) Ladder.Press(Model);
        const THint shown = Ladder.Hint();
        Ladder.PutAway();
        EXPECT_EQ(Ladder.Stage(Model), THintStage::None);
        EXPECT_TRUE(Picture(Model) == before);
        for (const THintChange& c : shown.Changes) EXPECT_EQ(Ladder.CellRole(Model, c.X, c.Y), 0);
        Ladder.Press(Model);
        EXPECT_EQ(Ladder.Stage(Model), THintStage::Pointed);
        EXPECT_EQ(Ladder.Hint().Sentence, shown.Sentence);
        Ladder.PutAway();
    }
    // A board that changed under a shown hint makes it another board's hint.
    Ladder.Press(Model);
    Ladder.Press(Model);
    const THintChange c = Ladder.Hint().Changes.front();
    Model.ApplyEdit({TEditKind::Mark, c.X, c.Y, 1});
    EXPECT_EQ(Ladder.Stage(Model), THintStage::None);
    Ladder.Press(Model);
    EXPECT_EQ(Ladder.Stage(Model), THintStage::Pointed);
}

// A wrong digit comes first: the first press says only that one is wrong, the second
// frames it, the third takes it out; undo puts it back. No deduction is offered while
// it stands.
TEST_F(HintLadderTest, AWrongDigitIsToldFirstThenNamedThenErased) {
    for (int seed = 0; seed < 6; ++seed) {
        SCOPED_TRACE(seed);
        NewPuzzle(seed % 2 ? 9 : 7, 1, seed);
        // Half the board right, one cell wrong somewhere in it.
        std::vector<std::pair<int, int>> whites;
        for (int y = 0; y < Puzzle.BoardHeight; ++y)
            for (int x = 0; x < Puzzle.BoardWidth; ++x)
                if (Puzzle.SolutionGrid[x][y] != BlackCell) whites.emplace_back(x, y);
        for (std::size_t k = 0; k < whites.size(); k += 2)
            Model.ApplyEdit({TEditKind::Digit, whites[k].first, whites[k].second,
                             Puzzle.SolutionGrid[whites[k].first][whites[k].second]});
        const auto [wx, wy] = whites[(static_cast<std::size_t>(seed) * 5 + 1) % whites.size()];
        const int wrong = Puzzle.SolutionGrid[wx][wy] % 9 + 1;
        Puzzle.PlayerGrid[wx][wy] = static_cast<std::uint8_t>(wrong);

        Ladder.Press(Model);
        ASSERT_EQ(Ladder.Hint().Kind, THintKind::Wrong);
        EXPECT_EQ(Ladder.CellRole(Model, wx, wy), 0) << "not named at the first press";
        Ladder.Press(Model);
        EXPECT_EQ(Ladder.CellRole(Model, wx, wy), 2);
        EXPECT_FALSE(Ladder.Hint().Sentence.empty());
        ASSERT_EQ(Ladder.Hint().Changes.size(), 1u);
        EXPECT_EQ(Ladder.Hint().Changes.front().Digit, wrong);
        Ladder.Press(Model);
        EXPECT_EQ(Puzzle.PlayerGrid[wx][wy], 0);
        ASSERT_EQ(Model.UndoEdit(), 1);
        EXPECT_EQ(Puzzle.PlayerGrid[wx][wy], wrong);
        Ladder.Press(Model);
        EXPECT_EQ(Ladder.Hint().Kind, THintKind::Wrong) << "still wrong after the undo";
    }
}

// The most useful hint first: on a fresh 9x9 Medium the first placement comes within
// five hints (the median of 30 puzzles), eliminations carried out as they come.
TEST_F(HintLadderTest, AFreshMediumPuzzleReachesItsFirstPlacementWithinFiveHints) {
    std::vector<int> counts;
    for (int seed = 0; seed < 30; ++seed) {
        NewPuzzle(9, 1, 100 + seed);
        int hints = 1;
        for (;; ++hints) {
            Ladder.Press(Model);
            const THint hint = Ladder.Hint();
            ASSERT_EQ(hint.Kind, THintKind::Deduction);
            if (std::any_of(hint.Changes.begin(), hint.Changes.end(), [](const THintChange& c) { return c.Digit; }))
                break;
            Ladder.Press(Model);
            Ladder.Press(Model);
        }
        Ladder.PutAway();
        counts.push_back(hints);
    }
    std::nth_element(counts.begin(), counts.begin() + 15, counts.end());
    RecordProperty("median hints to the first placement", counts[15]);
    EXPECT_LE(counts[15], 5);
}

// The techniques a solved puzzle needed: each once, in the list's order, and only
// those its hints use.
TEST_F(HintLadderTest, ThePuzzleNeedsTheTechniquesItsHintsUse) {
    for (int seed = 0; seed < 4; ++seed) {
        NewPuzzle(9, seed % 3, 200 + seed);
        const std::vector<engine::Technique> needed = TechniquesNeeded(Puzzle);
        ASSERT_FALSE(needed.empty());
        EXPECT_TRUE(std::is_sorted(needed.begin(), needed.end()));
        EXPECT_EQ(std::adjacent_find(needed.begin(), needed.end()), needed.end());
        std::vector<engine::Technique> used;
        while (!Solved(Puzzle)) {
            for (int k = 0; k < 3; ++k) Ladder.Press(Model);
            used.push_back(Ladder.Hint().Technique);
        }
        for (engine::Technique t : used)
            EXPECT_NE(std::find(needed.begin(), needed.end(), t), needed.end()) << engine::TechniqueName(t);
    }
}
