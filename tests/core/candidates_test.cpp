// SPDX-License-Identifier: GPL-3.0-or-later
// Candidates that keep up: the filtered combinations of a run against an
// enumeration of digit assignments done here, marks kept by placed digits against
// a model of the rule kept here over long random games, and checkpoints and
// "Undo to Last Correct" against boards the test remembers itself, through undo,
// redo, the autosave and hostile autosave data.
#include <algorithm>
#include <random>
#include <set>

#include "core_support.h"
#include "game/core/autosave.h"
#include "game/core/candidates.h"
#include "game/core/edits.h"
#include "game/core/options.h"

namespace {

// Every set of `length` distinct digits adding up to `clue`, as masks (bit d for d).
std::vector<unsigned> DigitSets(int clue, int length) {
    std::vector<unsigned> sets;
    for (unsigned m = 0; m < 512; ++m) {
        int count = 0, sum = 0;
        for (int d = 1; d <= 9; ++d)
            if (m >> (d - 1) & 1) ++count, sum += d;
        if (count == length && sum == clue) sets.push_back(m << 1);
    }
    return sets;
}

// True when some order of the set's digits puts every placed digit in its cell and
// every other digit in an empty cell that has it as a candidate.
bool SomeOrderFits(unsigned set, const std::vector<int>& digits, const std::vector<unsigned>& candidates) {
    std::vector<int> order;
    for (int d = 1; d <= 9; ++d)
        if (set >> d & 1) order.push_back(d);
    if (order.size() != digits.size()) return false;
    do {
        bool fits = true;
        for (std::size_t k = 0; k < digits.size() && fits; ++k)
            fits = digits[k] ? digits[k] == order[k] : (candidates[k] >> order[k] & 1) != 0;
        if (fits) return true;
    } while (std::next_permutation(order.begin(), order.end()));
    return false;
}

struct Board {
    TGrid player;
    TMarkupGrid marks;
    int autoMarkup;
    bool operator==(const Board&) const = default;
};

Board Take(const TPuzzleState& p) { return {p.PlayerGrid, p.MarkupGrid, p.AutoMarkup}; }

// The cells of the runs through (x, y), walked in the grid here.
std::vector<std::vector<std::pair<int, int>>> RunsThrough(const TPuzzleState& p, int x, int y) {
    std::vector<std::vector<std::pair<int, int>>> runs;
    for (auto [dx, dy] : {std::pair{1, 0}, std::pair{0, 1}}) {
        int sx = x, sy = y;
        while (p.SolutionGrid[sx - dx][sy - dy] != BlackCell) sx -= dx, sy -= dy;
        std::vector<std::pair<int, int>> run;
        for (int cx = sx, cy = sy; cx < p.BoardWidth && cy < p.BoardHeight && p.SolutionGrid[cx][cy] != BlackCell;
             cx += dx, cy += dy)
            run.emplace_back(cx, cy);
        runs.push_back(run);
    }
    return runs;
}

int ClueOf(const TPuzzleState& p, const std::vector<std::pair<int, int>>& run) {
    const auto [x, y] = run.front();
    const bool across = run.size() > 1
                            ? run[1].first != x
                            : p.SolutionGrid[x - 1][y] == BlackCell && p.HorizontalSumGrid[x - 1][y] != 0 &&
                                  (y == 0 || p.SolutionGrid[x][y - 1] != BlackCell || p.VerticalSumGrid[x][y - 1] == 0);
    return across ? p.HorizontalSumGrid[x - 1][y] : p.VerticalSumGrid[x][y - 1];
}

// The automatic mark of d at (x, y) by the rule the game has always had.
bool AutoMark(const TPuzzleState& p, const std::vector<std::vector<std::pair<int, int>>>& runs, int d) {
    for (const auto& run : runs) {
        for (auto [cx, cy] : run)
            if (p.PlayerGrid[cx][cy] == d) return false;
        bool inSome = false;
        for (unsigned set : DigitSets(ClueOf(p, run), static_cast<int>(run.size()))) inSome |= (set >> d & 1) != 0;
        if (!inSome) return false;
    }
    return true;
}

class CandidatesTest : public CoreTest {
protected:
    void NewPuzzle(int n, int difficulty) {
        ASSERT_TRUE(Core->CreatePuzzle(n, n, difficulty));
        Core->RestartPuzzle();
    }
    // The runs of a generated puzzle are told apart by their clue cell; this gives
    // each of the two runs through (x, y) with its clue directly.
    std::vector<std::pair<int, std::vector<std::pair<int, int>>>> Runs(int x, int y) {
        std::vector<std::pair<int, std::vector<std::pair<int, int>>>> out;
        const auto runs = RunsThrough(Puzzle, x, y);
        out.emplace_back(Puzzle.HorizontalSumGrid[runs[0].front().first - 1][y], runs[0]);
        out.emplace_back(Puzzle.VerticalSumGrid[x][runs[1].front().second - 1], runs[1]);
        return out;
    }
    TEditRequest RandomRequest(std::mt19937& random) {
        TEditRequest r;
        const int n = Puzzle.BoardWidth;
        do {
            r.X = static_cast<int>(random() % static_cast<unsigned>(n));
            r.Y = static_cast<int>(random() % static_cast<unsigned>(n));
        } while (Puzzle.SolutionGrid[r.X][r.Y] == BlackCell);
        const int kind = static_cast<int>(random() % 20);
        r.Kind = kind < 8    ? TEditKind::Digit
                 : kind < 10 ? TEditKind::Erase
                 : kind < 18 ? TEditKind::Mark
                 : kind < 19 ? TEditKind::Reveal
                             : TEditKind::AutoMarks;
        // Mostly the right digit, so that runs fill up and combinations narrow.
        r.Digit = random() % 3 ? Puzzle.SolutionGrid[r.X][r.Y] : 1 + static_cast<int>(random() % 9);
        if (r.Kind == TEditKind::AutoMarks) r.Digit = Puzzle.AutoMarkup ? 0 : 1;
        return r;
    }
};

}  // namespace

TEST(FilterCombinationsTest, AgreesWithEveryOrderOfEveryDigitSetOnRandomRunStates) {
    std::mt19937 random(34);
    int withFits = 0, withoutFits = 0, narrowed = 0;
    for (int round = 0; round < 6000; ++round) {
        const int length = 1 + static_cast<int>(random() % (round % 4 == 0 ? 9 : 6));
        const auto sets = DigitSets(1 + static_cast<int>(random() % 45), length);
        if (sets.empty()) continue;
        const unsigned truth = sets[random() % sets.size()];
        const int clue = [&] {
            int s = 0;
            for (int d = 1; d <= 9; ++d) s += (truth >> d & 1) ? d : 0;
            return s;
        }();
        std::vector<int> order;
        for (int d = 1; d <= 9; ++d)
            if (truth >> d & 1) order.push_back(d);
        std::shuffle(order.begin(), order.end(), random);
        std::vector<int> digits(order.size());
        std::vector<unsigned> candidates(order.size());
        for (std::size_t k = 0; k < order.size(); ++k) {
            const int roll = static_cast<int>(random() % 10);
            if (roll < 3) {
                // Placed: mostly the true digit, now and then any (a mistake, or twice).
                digits[k] = roll == 0 ? 1 + static_cast<int>(random() % 9) : order[k];
            } else if (roll < 5) {
                candidates[k] = AllDigits;  // no marks
            } else {
                candidates[k] = (random() & AllDigits) | (roll < 9 ? 1u << order[k] : 0u);
                if (!candidates[k]) candidates[k] = 1u << (1 + random() % 9);
            }
        }
        std::vector<unsigned> expected;
        unsigned any = 0, every = AllDigits;
        for (unsigned set : sets.empty() ? sets : DigitSets(clue, length))
            if (SomeOrderFits(set, digits, candidates)) {
                expected.push_back(set);
                any |= set;
                every &= set;
            }
        const TRunCandidates got = FilterCombinations(clue, digits, candidates);
        std::vector<unsigned> fitting = got.Fitting, all = got.All;
        std::sort(fitting.begin(), fitting.end());
        std::sort(expected.begin(), expected.end());
        std::sort(all.begin(), all.end());
        auto everySet = DigitSets(clue, length);
        std::sort(everySet.begin(), everySet.end());
        ASSERT_EQ(all, everySet) << "clue " << clue << " length " << length;
        ASSERT_EQ(fitting, expected) << "round " << round << " clue " << clue << " length " << length;
        EXPECT_EQ(got.Must, expected.empty() ? 0u : every);
        EXPECT_EQ(got.Cannot, expected.empty() ? 0u : AllDigits & ~any);
        (expected.empty() ? withoutFits : withFits)++;
        if (!expected.empty() && expected.size() < everySet.size()) ++narrowed;
    }
    // The random states must reach every outcome, or the comparison proves little.
    EXPECT_GT(withFits, 1000);
    EXPECT_GT(withoutFits, 300);
    EXPECT_GT(narrowed, 300);
    EXPECT_EQ(CombinationListText({0x6u, 0x222u}), "1+2, 1+5+9");
    EXPECT_EQ(DigitListText(0x20Au), "1 3 9");
}

TEST_F(CandidatesTest, ThePanelReadsTheBoardsRunsAndNamesWhatTheyMustAndCannotHave) {
    std::mt19937 random(7);
    for (int puzzle = 0; puzzle < 3; ++puzzle) {
        NewPuzzle(puzzle == 2 ? 14 : 9, puzzle);
        for (int step = 0; step < 300; ++step) Model.ApplyEdit(RandomRequest(random));
        for (int x = 1; x < Puzzle.BoardWidth; ++x)
            for (int y = 1; y < Puzzle.BoardHeight; ++y) {
                if (Puzzle.SolutionGrid[x][y] == BlackCell) continue;
                for (const auto& [clue, run] : Runs(x, y)) {
                    if (run.front() != std::pair{x, y}) continue;
                    std::vector<int> digits;
                    std::vector<unsigned> candidates;
                    for (auto [cx, cy] : run) {
                        digits.push_back(Puzzle.PlayerGrid[cx][cy]);
                        unsigned marks = 0;
                        for (int d = 1; d <= 9; ++d) marks |= Puzzle.MarkupGrid[cx][cy][d - 1] ? 1u << d : 0u;
                        candidates.push_back(marks ? marks : AllDigits);
                    }
                    const bool across = run.size() == 1 ? Runs(x, y)[0].second == run : run[1].second == y;
                    const int cx = across ? x - 1 : x, cy = across ? y : y - 1;
                    const int direction = across ? Horizontal : Vertical;
                    const TRunCandidates expected = FilterCombinations(clue, digits, candidates);
                    const TRunCandidates got = Model.RunCandidates(direction, cx, cy);
                    ASSERT_EQ(got.Fitting, expected.Fitting) << cx << "," << cy;
                    const std::string text = Model.FilteredCombinationText(direction, cx, cy);
                    if (expected.Fitting.empty()) {
                        EXPECT_EQ(text, "No Combination Fits");
                        continue;
                    }
                    EXPECT_EQ(text.rfind(CombinationListText(expected.Fitting), 0), 0u) << text;
                    const unsigned must = expected.Must & ~expected.Placed;
                    EXPECT_EQ(text.find("Must Have Digits " + DigitListText(must)) != std::string::npos, must != 0)
                        << text;
                    EXPECT_EQ(text.find("Cannot Have Digits " + DigitListText(expected.Cannot)) != std::string::npos,
                              expected.Cannot != 0)
                        << text;
                }
            }
    }
}

TEST_F(CandidatesTest, PlacedDigitsTakeOffOnlyTheMarksTheyRuleOutOverLongRandomGames) {
    std::mt19937 random(11);
    int removedByKeeping = 0, reappearedWithoutKeeping = 0;
    for (int game = 0; game < 6; ++game) {
        NewPuzzle(game % 2 ? 12 : 9, game % 3);
        Options.KeepPencilMarks = game < 5 ? 1 : 0;
        Options.PreventDoubleNumbers = static_cast<int>(random() % 2);
        std::vector<Board> states{Take(Puzzle)};
        for (int step = 0; step < 400; ++step) {
            const TEditRequest r = RandomRequest(random);
            const Board before = Take(Puzzle);
            const TEditResult result = Model.ApplyEdit(r);
            const Board after = Take(Puzzle);
            Board expected = before;
            const int x = r.X, y = r.Y;
            auto ruleOut = [&] {
                const int d = expected.player[x][y];
                expected.marks[x][y].fill(0);
                for (const auto& [clue, run] : Runs(x, y)) {
                    unsigned placed = 0, fitting = 0;
                    bool twice = false;
                    for (auto [cx, cy] : run)
                        if (int p = expected.player[cx][cy]; p >= 1 && p <= 9) {
                            twice |= (placed >> p & 1) != 0;
                            placed |= 1u << p;
                        }
                    for (unsigned set : DigitSets(clue, static_cast<int>(run.size())))
                        if (!twice && (placed & ~set) == 0) fitting |= set;
                    const unsigned keep = fitting ? fitting & ~placed : AllDigits & ~(1u << d);
                    for (auto [cx, cy] : run)
                        for (int k = 1; k <= 9; ++k)
                            if (!(keep >> k & 1) || k == d) expected.marks[cx][cy][k - 1] = 0;
                }
            };
            switch (r.Kind) {
                case TEditKind::Digit:
                case TEditKind::Reveal:
                    if (result == TEditResult::Refused) break;
                    expected.player[x][y] =
                        static_cast<std::uint8_t>(r.Kind == TEditKind::Digit ? r.Digit : Puzzle.SolutionGrid[x][y]);
                    if (Options.KeepPencilMarks) ruleOut();
                    break;
                case TEditKind::Erase:
                    expected.player[x][y] = 0;
                    expected.marks[x][y].fill(0);
                    if (Options.KeepPencilMarks && expected.autoMarkup)
                        for (int d = 1; d <= 9; ++d)
                            expected.marks[x][y][d - 1] = AutoMark(Puzzle, RunsThrough(Puzzle, x, y), d) ? 1 : 0;
                    break;
                case TEditKind::Mark:
                    expected.player[x][y] = 0;
                    expected.marks[x][y][r.Digit - 1] ^= 1;
                    break;
                case TEditKind::AutoMarks:
                    expected.autoMarkup = r.Digit;
                    for (int cx = 0; cx < Puzzle.BoardWidth; ++cx)
                        for (int cy = 0; cy < Puzzle.BoardHeight; ++cy)
                            for (int d = 1; d <= 9; ++d)
                                expected.marks[cx][cy][d - 1] = r.Digit && Puzzle.SolutionGrid[cx][cy] != BlackCell &&
                                                                        AutoMark(Puzzle, RunsThrough(Puzzle, cx, cy), d)
                                                                    ? 1
                                                                    : 0;
                    break;
                default:
                    break;
            }
            if (!Options.KeepPencilMarks) {
                // The old way: every placed digit works the automatic marks out afresh.
                if (before.autoMarkup && r.Kind != TEditKind::Mark && r.Kind != TEditKind::AutoMarks) {
                    for (int cx = 0; cx < Puzzle.BoardWidth; ++cx)
                        for (int cy = 0; cy < Puzzle.BoardHeight; ++cy)
                            for (int d = 1; d <= 9; ++d)
                                if (!before.marks[cx][cy][d - 1] && after.marks[cx][cy][d - 1])
                                    ++reappearedWithoutKeeping;
                    expected.marks = after.marks;
                } else if (result != TEditResult::Refused && r.Kind != TEditKind::Mark &&
                           r.Kind != TEditKind::AutoMarks) {
                    expected.marks[x][y].fill(0);
                }
            }
            ASSERT_EQ(after, expected) << "game " << game << " step " << step << " kind " << static_cast<int>(r.Kind)
                                       << " at " << x << "," << y;
            if (Options.KeepPencilMarks && (r.Kind == TEditKind::Digit || r.Kind == TEditKind::Reveal))
                for (int cx = 0; cx < Puzzle.BoardWidth; ++cx)
                    for (int cy = 0; cy < Puzzle.BoardHeight; ++cy)
                        for (int d = 0; d < 9; ++d) {
                            EXPECT_LE(after.marks[cx][cy][d], before.marks[cx][cy][d]) << "a mark came back";
                            removedByKeeping +=
                                (cx != x || cy != y) && before.marks[cx][cy][d] > after.marks[cx][cy][d];
                        }
            if (result == TEditResult::Applied) states.push_back(after);
            if (states.size() > 1 && random() % 8 == 0) {
                ASSERT_EQ(Model.UndoEdit(), 1);
                ASSERT_EQ(Take(Puzzle), states[states.size() - 2]);
                ASSERT_EQ(Model.RedoEdit(), 1);
                ASSERT_EQ(Take(Puzzle), states.back());
            }
        }
    }
    EXPECT_GT(removedByKeeping, 100) << "the games must exercise the rule";
    EXPECT_GT(reappearedWithoutKeeping, 0) << "the option is what keeps removed marks away";
}

TEST_F(CandidatesTest, MarksThatContradictAPlacedDigitOfTheirRunAreFound) {
    NewPuzzle(9, 1);
    Options.KeepPencilMarks = 0;
    std::mt19937 random(5);
    for (int step = 0; step < 500; ++step) Model.ApplyEdit(RandomRequest(random));
    int found = 0;
    for (int x = 0; x < Puzzle.BoardWidth; ++x)
        for (int y = 0; y < Puzzle.BoardHeight; ++y) {
            if (Puzzle.SolutionGrid[x][y] == BlackCell) continue;
            for (int d = 1; d <= 9; ++d) {
                bool clash = false;
                for (const auto& run : RunsThrough(Puzzle, x, y))
                    for (auto [cx, cy] : run) clash |= (cx != x || cy != y) && Puzzle.PlayerGrid[cx][cy] == d;
                EXPECT_EQ(Model.MarkContradicted(d, x, y), clash ? 1 : 0) << x << "," << y << " " << d;
                found += clash;
            }
        }
    EXPECT_GT(found, 20);
    EXPECT_EQ(Model.MarkContradicted(3, 0, 0), 0) << "a black cell holds no marks";
}

TEST_F(CandidatesTest, CheckpointsNestReturnInOneStepAndSurviveUndoRedoAndTheAutosave) {
    std::mt19937 random(3);
    for (int game = 0; game < 8; ++game) {
        NewPuzzle(9, game % 3);
        std::vector<Board> opened;  // the board at each open checkpoint
        int returns = 0, refusals = 0;
        for (int step = 0; step < 400; ++step) {
            const int roll = static_cast<int>(random() % 20);
            if (roll == 0) {
                const Board now = Take(Puzzle);
                const TEditResult result = Model.TryFromHere();
                if (opened.size() == 5) {
                    EXPECT_EQ(result, TEditResult::Refused);
                    ++refusals;
                } else {
                    ASSERT_EQ(result, TEditResult::Applied);
                    EXPECT_EQ(Take(Puzzle), now);
                    opened.push_back(now);
                }
            } else if (roll == 1) {
                const Board now = Take(Puzzle);
                const TEditResult result = Model.BackToCheckpoint();
                if (opened.empty()) {
                    EXPECT_EQ(result, TEditResult::Unchanged);
                    continue;
                }
                ASSERT_EQ(result, TEditResult::Applied);
                ASSERT_EQ(Take(Puzzle), opened.back()) << "back in one step";
                // Undo gives back what was tried and reopens the checkpoint; redo closes it again.
                ASSERT_EQ(Model.UndoEdit(), 1);
                ASSERT_EQ(Take(Puzzle), now);
                EXPECT_EQ(Model.OpenCheckpoints().size(), opened.size());
                ASSERT_EQ(Model.RedoEdit(), 1);
                ASSERT_EQ(Take(Puzzle), opened.back());
                opened.pop_back();
                ++returns;
            } else {
                Model.ApplyEdit(RandomRequest(random));
            }
            ASSERT_EQ(Model.OpenCheckpoints().size(), opened.size());
            TGrid tried{};
            ASSERT_EQ(Model.TriedFrom(tried), !opened.empty());
            if (!opened.empty()) {
                ASSERT_EQ(tried, opened.front().player);
            }
        }
        EXPECT_GT(returns, 3);

        // Kept by the autosave and continued: the same checkpoints, the same way back.
        ASSERT_EQ(Model.WriteAutosave(), 1);
        TPuzzleModel continued;
        ASSERT_EQ(continued.LoadAutosave(), 1);
        ASSERT_TRUE(continued.EditHistory.Done.size() == EditHistory.Done.size()) << "the whole history came back";
        ASSERT_EQ(continued.OpenCheckpoints(), Model.OpenCheckpoints());
        while (!opened.empty()) {
            ASSERT_EQ(continued.BackToCheckpoint(), TEditResult::Applied);
            EXPECT_EQ(Take(continued.Puzzle), opened.back());
            opened.pop_back();
        }
        EXPECT_EQ(continued.BackToCheckpoint(), TEditResult::Unchanged);
        (void)refusals;
    }
}

TEST_F(CandidatesTest, UndoToLastCorrectGoesBackToTheLastBoardWithoutAWrongDigit) {
    std::mt19937 random(21);
    int taken = 0;
    for (int game = 0; game < 10; ++game) {
        NewPuzzle(9, game % 3);
        std::vector<Board> states{Take(Puzzle)};
        for (int step = 0; step < 300; ++step) {
            if (random() % 25 == 0) {
                auto wrong = [&](const Board& b) {
                    for (int x = 0; x < Puzzle.BoardWidth; ++x)
                        for (int y = 0; y < Puzzle.BoardHeight; ++y)
                            if (int d = b.player[x][y]; d >= 1 && d <= 9 && d != Puzzle.SolutionGrid[x][y]) return true;
                    return false;
                };
                std::size_t target = states.size() - 1;
                while (target > 0 && wrong(states[target])) --target;
                const TEditResult result = Model.UndoToLastCorrect();
                if (!wrong(states.back()) || wrong(states[target])) {
                    EXPECT_EQ(result, TEditResult::Unchanged);
                    continue;
                }
                ASSERT_EQ(result, TEditResult::Applied);
                ASSERT_EQ(Take(Puzzle), states[target]);
                ++taken;
                ASSERT_EQ(Model.UndoEdit(), 1);
                ASSERT_EQ(Take(Puzzle), states.back()) << "one undo brings every entry back";
                ASSERT_EQ(Model.RedoEdit(), 1);
                states.push_back(Take(Puzzle));
                continue;
            }
            if (Model.ApplyEdit(RandomRequest(random)) == TEditResult::Applied) states.push_back(Take(Puzzle));
        }
    }
    EXPECT_GT(taken, 20);
}

TEST_F(CandidatesTest, HostileCheckpointDataInTheAutosaveDropsTheHistoryNotThePuzzle) {
    NewPuzzle(9, 0);
    int x = 1, y = 1;
    while (Puzzle.SolutionGrid[x][y] == BlackCell) ++x;
    const std::string digit = std::to_string(x) + " " + std::to_string(y) + " 0 " +
                              std::to_string(Puzzle.SolutionGrid[x][y]) + " 0 0 000000000 7 " +
                              std::to_string(Puzzle.SolutionGrid[x][y]) + " 0 0 000000000\r\n";
    ASSERT_EQ(Model.TryFromHere(), TEditResult::Applied);
    ASSERT_EQ(Model.ApplyEdit({TEditKind::Digit, x, y, 7}), TEditResult::Applied);
    ASSERT_EQ(Model.WriteAutosave(), 1);
    const std::string good = files.begin()->second;
    const std::string path = files.begin()->first;
    const std::size_t history = good.find("history ");
    ASSERT_NE(history, std::string::npos);
    ASSERT_EQ(good.substr(history), "history 2 0\r\nedit 8 0 0 0\r\nedit 0 0 0 1\r\n" + digit);

    const std::string head = good.substr(0, history);
    const std::string deep = [] {
        std::string text;
        for (int k = 0; k < 6; ++k) text += "edit 8 0 0 0\r\n";
        return text;
    }();
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"a checkpoint with a cell", "history 1 0\r\nedit 8 0 0 1\r\n" + digit},
        {"a checkpoint switching the marks", "history 2 0\r\nedit 8 0 1 0\r\nedit 0 0 0 1\r\n" + digit},
        {"six checkpoints deep", "history 7 0\r\n" + deep + "edit 0 0 0 1\r\n" + digit},
        {"six deep on the way to redo", "history 1 6\r\nedit 0 0 0 1\r\n" + digit + deep},
        {"a kind no game writes", "history 2 0\r\nedit 11 0 0 0\r\nedit 0 0 0 1\r\n" + digit},
        {"a return that does not end at the board",
         "history 2 0\r\nedit 8 0 0 0\r\nedit 9 0 0 1\r\n" + std::to_string(x) + " " + std::to_string(y) + " 0 " +
             std::to_string(Puzzle.SolutionGrid[x][y]) + " 0 0 000000000 5 " +
             std::to_string(Puzzle.SolutionGrid[x][y]) + " 0 0 000000000\r\n"},
    };
    for (const auto& [what, text] : hostile) {
        files[path] = head + text;
        errorLog.clear();
        TPuzzleModel continued;
        ASSERT_EQ(continued.LoadAutosave(), 1) << what;
        EXPECT_EQ(continued.Puzzle.PlayerGrid[x][y], 7) << what;
        EXPECT_TRUE(continued.EditHistory.Done.empty() && continued.EditHistory.Undone.empty()) << what;
        EXPECT_TRUE(continued.OpenCheckpoints().empty()) << what;
        ASSERT_EQ(errorLog.size(), 1u) << what;
        EXPECT_NE(errorLog[0].find("left out"), std::string::npos) << errorLog[0];
    }
    // Six deep is one too many; five is what the game itself can write.
    files[path] = head + "history 6 0\r\n" + deep.substr(0, 5 * std::string("edit 8 0 0 0\r\n").size()) +
                  "edit 0 0 0 1\r\n" + digit;
    TPuzzleModel five;
    ASSERT_EQ(five.LoadAutosave(), 1);
    EXPECT_EQ(five.OpenCheckpoints().size(), 5u);
    EXPECT_EQ(five.TryFromHere(), TEditResult::Refused);
    EXPECT_EQ(five.BackToCheckpoint(), TEditResult::Applied);
    EXPECT_EQ(five.Puzzle.PlayerGrid[x][y], 0);
}
