// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Engine.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/engine/DigitFiller.h"
#include "tallyfold/engine/LogicSolver.h"
#include "tallyfold/engine/Quality.h"
#include "tallyfold/engine/Random.h"
#include "tallyfold/engine/Template.h"

namespace engine {
namespace {

// Looks for four cells at the corners of a rectangle whose sides lie in four runs
// (across in both rows, down in both columns) where adding k to two opposite corners and
// taking k from the other two keeps every digit 1..9 and distinct in its runs. All four
// run sums stay as they were, so the clues have a second solution. Nearly every fill
// that is not unique shows such a rectangle, and finding it costs far less than a count.
// `corners`, when given, receives the four cells of the rectangle found.
bool HasShiftableRectangle(const Template& layout, const std::vector<int>& digits,
                           std::vector<unsigned>* corners = nullptr) {
    const unsigned columns = layout.columns;
    std::vector<unsigned> used(layout.runs.size(), 0);
    for (unsigned i = 0; i < layout.cellCount; ++i) {
        if (digits[i] <= 0) continue;
        for (int direction : {kDown, kAcross}) {
            used[static_cast<std::size_t>(layout.links[i][direction])] |= 1u << digits[i];
        }
    }
    auto usedOf = [&](unsigned cell, int direction) {
        return used[static_cast<std::size_t>(layout.links[cell][direction])];
    };
    for (unsigned r1 = 1; r1 < layout.rows; ++r1) {
        for (unsigned c1 = 1; c1 < columns; ++c1) {
            const unsigned topLeft = r1 * columns + c1;
            if (digits[topLeft] <= 0) continue;
            for (unsigned c2 = c1 + 1; c2 < columns && digits[r1 * columns + c2] > 0; ++c2) {
                const unsigned topRight = r1 * columns + c2;
                for (unsigned r2 = r1 + 1; r2 < layout.rows && digits[r2 * columns + c1] > 0; ++r2) {
                    const unsigned bottomLeft = r2 * columns + c1;
                    const unsigned bottomRight = r2 * columns + c2;
                    if (digits[bottomRight] <= 0 ||
                        layout.links[bottomRight][kAcross] != layout.links[bottomLeft][kAcross] ||
                        layout.links[bottomRight][kDown] != layout.links[topRight][kDown]) {
                        continue;
                    }
                    const int a = digits[topLeft], b = digits[topRight];
                    const int c = digits[bottomLeft], d = digits[bottomRight];
                    // Each run's other digits, which the shifted ones must avoid.
                    const unsigned top = usedOf(topLeft, kAcross) & ~(1u << a) & ~(1u << b);
                    const unsigned bottom = usedOf(bottomLeft, kAcross) & ~(1u << c) & ~(1u << d);
                    const unsigned left = usedOf(topLeft, kDown) & ~(1u << a) & ~(1u << c);
                    const unsigned right = usedOf(topRight, kDown) & ~(1u << b) & ~(1u << d);
                    for (int k = -8; k <= 8; ++k) {
                        const int na = a + k, nb = b - k, nc = c - k, nd = d + k;
                        if (k == 0 || na < 1 || na > 9 || nb < 1 || nb > 9 || nc < 1 || nc > 9 || nd < 1 || nd > 9) {
                            continue;
                        }
                        if (na == nb || nc == nd || na == nc || nb == nd) continue;
                        if (((top | left) >> na & 1) || ((top | right) >> nb & 1) || ((bottom | left) >> nc & 1) ||
                            ((bottom | right) >> nd & 1)) {
                            continue;
                        }
                        if (corners) *corners = {topLeft, topRight, bottomLeft, bottomRight};
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

// A fill whose uniqueness takes longer than this to settle is dropped for the next one:
// waiting for it would cost more than a fresh fill, and the game must not stall.
constexpr std::uint64_t kGenerationEffort = 400'000;

// Some layouts never yield a fill with a unique solution (and many need thousands of
// tries); re-filling them forever would only end at the time limit, a multi-second
// freeze for the player. After this many fills a fresh layout is made instead. Calls
// that succeed within the first layout's tries are unaffected.
constexpr int kFillsPerLayout = 200;

// A fill whose grade misses the level usually misses it in a few cells only: drawing just
// those again keeps the rest, where a fresh fill would have to get every cell right at
// once, which on a large board happens a few times in a thousand. After this many
// redraws the fill is given up for a fresh one.
constexpr int kRedrawsPerFill = 40;

// Some layouts hardly ever give the grade asked for; fills and redraws on one layout
// stop here and a fresh layout is made.
constexpr long kRoundsPerLayout = 100;

// Hard boards below 64 cells rarely allow a puzzle that needs trials, and only on some
// layouts: a hard request tries each layout briefly and moves on, and after this many
// fills and redraws without one takes a tier 2 puzzle.
constexpr long kSmallBoardCells = 64;
constexpr long kSmallBoardHardRounds = 5;
constexpr long kRoundsBeforeTierTwo = 3000;

// Hard puzzles from 64 cells up need at least this many trials in their solve: one trial
// that opens everything makes a medium puzzle with one hurdle, not a hard one.
constexpr int kMinTrialsOnHard = 3;

// Some boards cannot give a level at all (two rows leave every cell a run of its own in
// one direction, so nothing needs more than the combinations): a call without a time
// limit would never end. The game's sizes need a few thousand fills at the very most.
constexpr long kMaxAttempts = 200'000;

bool CheckRequest(unsigned rows, unsigned columns, std::span<std::uint8_t> result) {
    if (rows < 2 || columns < 2) return false;
    if (rows > kMaxDimension || columns > kMaxDimension) {
        DiagnosticErr() << "Error: boards above " << kMaxDimension << " cells in either direction are not supported\n";
        return false;
    }
    if (result.size() < static_cast<std::size_t>(rows) * columns) {
        DiagnosticErr() << "Error: result buffer smaller than the board\n";
        return false;
    }
    return true;
}

// The uniqueness proof: the single-candidate pass, then the counter.
bool ProvenUnique(TBoard board) {
    FillObviousTest(board, nullptr);
    int count = 0;
    // A search given up counts as "not proven unique": that fill is thrown away.
    return CountSolutions(board, count, false, nullptr, kGenerationEffort) && count == 1;
}

void OpenCells(const LogicSolver& logic, unsigned cellCount, std::vector<unsigned>& cells) {
    cells.clear();
    for (unsigned index = 0; index < cellCount; ++index) {
        const unsigned candidates = logic.Candidates(index);
        if (candidates & (candidates - 1)) cells.push_back(index);
    }
}

// Grades the filler's digits against the tiers a level takes (lowest..highest). Returns
// the tier, with uniqueness proven, when it fits; otherwise 0 and the cells worth drawing
// again: those the allowed reasoning leaves open, or, for a puzzle that is too easy, the
// two runs through a random cell.
int GradeForLevel(const Template& layout, const DigitFiller& filler, int lowest, int highest, Random& random,
                  TBoard& board, LogicSolver& logic, std::vector<unsigned>& redraw, int minTrials = 0) {
    redraw.clear();
    BoardFromDigits(filler.digits, layout.rows, layout.columns, board);
    logic.Load(board);
    // The filler's digits are a solution; trials need not test them, and a trial that
    // completes the board otherwise proves a second solution.
    logic.KnowSolution(filler.digits);
    int tier = 0;
    // Tier 2 deduces all that tier 1 does; when both are too easy, which of them filled the
    // board does not matter and tier 1 need not run first.
    if (lowest <= kTierExactRuns && logic.Solve(kTierCombinations)) {
        tier = kTierCombinations;
    } else if (highest >= kTierExactRuns && logic.Solve(kTierExactRuns)) {
        tier = kTierExactRuns;
    } else if (highest >= kTierTrials) {
        // Trials cost most on boards they cannot finish, nearly all of which have a second
        // solution; most of those show it as a rectangle of swappable digits, found for far
        // less, and drawing just its corners again mends it.
        if (HasShiftableRectangle(layout, filler.digits, &redraw)) return 0;
        if (logic.Solve(kTierTrials)) tier = kTierTrials;
    }
    if (tier == 0) {
        OpenCells(logic, board.cellCount, redraw);
        return 0;
    }
    // A hard puzzle whose one trial opens everything is a medium one with a hurdle.
    if (tier < lowest || (tier == kTierTrials && logic.Deductions()[kTierTrials] < minTrials)) {
        std::vector<unsigned> white;
        for (unsigned index = 0; index < layout.cellCount; ++index) {
            if (layout.cells[index] == 0) white.push_back(index);
        }
        if (white.empty()) return 0;
        const unsigned cell = white[static_cast<std::size_t>(random.RandomBelow(static_cast<int>(white.size())))];
        for (int direction : {kDown, kAcross}) {
            const int run = layout.links[cell][direction];
            if (run < 0) continue;
            for (unsigned other : filler.RunCells(run)) {
                if (std::find(redraw.begin(), redraw.end(), other) == redraw.end()) redraw.push_back(other);
            }
        }
        return 0;
    }
    return ProvenUnique(board) ? tier : 0;
}

}  // namespace

unsigned BlackCellTarget(unsigned rows, unsigned columns, int level) {
    struct Row {
        unsigned areaBound;
        unsigned target[3];
    };
    static constexpr Row kTable[] = {
        {1, {99, 99, 99}},   {36, {99, 8, 6}},    {64, {99, 13, 8}},   {81, {99, 20, 15}},
        {100, {99, 25, 22}}, {144, {99, 45, 42}}, {196, {99, 68, 62}}, {999, {999, 999, 999}},
    };
    if (level < 1 || level > 3) return 9999;
    const unsigned long long area = static_cast<unsigned long long>(rows) * columns;
    for (const Row& row : kTable) {
        if (row.areaBound >= area) return row.target[level - 1];
    }
    return 9999;
}

bool GeneratePuzzle(unsigned rows, unsigned columns, unsigned target, double timeLimit, std::span<std::uint8_t> result,
                    std::optional<std::uint32_t> seed) {
    Random random(seed ? *seed : FreshSeed());
    BuildCombinations();
    if (!CheckRequest(rows, columns, result)) return false;

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const std::chrono::duration<double> limit(timeLimit);

    TBoard board;
    for (;;) {
        Template layout;
        if (!layout.Generate(rows, columns, target, random)) {
            DiagnosticErr() << "Error: Template.Generate() failed!\n";
            return false;
        }
        for (int attempt = 0; attempt < kFillsPerLayout; ++attempt) {
            if (timeLimit != 0 && Clock::now() - start > limit) return false;
            DigitFiller filler(layout, random);
            if (!filler.FillDigits() || HasShiftableRectangle(layout, filler.digits)) continue;
            BoardFromDigits(filler.digits, rows, columns, board);
            FillObviousTest(board, nullptr);
            int count = 0;
            // A search given up counts as "not proven unique": that fill is thrown away.
            if (!CountSolutions(board, count, false, nullptr, kGenerationEffort) || count != 1) continue;
            for (unsigned i = 0; i < layout.cellCount; ++i) {
                const int digit = filler.digits[i];
                result[i] = digit < 0 ? 0xFF : static_cast<std::uint8_t>(digit);
            }
            return true;
        }
    }
}

namespace {

// The interior black cells an evenly drawn layout of a small board may have. Fewer
// black cells mean longer runs; easy puzzles are drawn a little denser, so that the
// combination rule has short runs to work on.
struct BlackRange {
    unsigned fewest;
    unsigned most;
};

BlackRange LayoutRange(unsigned rows, unsigned columns, int level) {
    const unsigned interior = (rows - 1) * (columns - 1);
    // Shares of the interior, in per cent, by level.
    static constexpr unsigned kFewest[3] = {24, 18, 18};
    static constexpr unsigned kMost[3] = {40, 34, 34};
    const auto at = static_cast<std::size_t>(std::clamp(level, 1, 3) - 1);
    return {interior * kFewest[at] / 100, (interior * kMost[at] + 99) / 100};
}

// How many finished puzzles of the right level a request compares before it keeps the
// best by QualityScore. Once the fills and redraws spent, each weighed by the board's
// cells, pass the choosing budget, it keeps the best it has: a count rather than a
// clock, so that a seed gives the same puzzle on any machine.
constexpr int kCandidates = 6;
constexpr long kChoosingBudget = 20'000;

// The share of two-cell runs a layout of 9 x 9 or more may have, and the runs of seven
// cells or more a board of 12 x 12 or more needs.
constexpr double kMaxTwoCellShare = 0.45;
constexpr unsigned kBigBoardCells = 144;
constexpr int kLongRunsOnBigBoards = 2;
constexpr int kLayoutDraws = 40;

// Small boards have few layouts, and each is drawn evenly. Larger ones have too many
// to repeat, and layouts made by breaking runs up fill far more readily than even draws,
// whose open blocks rarely give a unique puzzle; of those, the first whose runs are not
// mostly two cells long (and, on big boards, include long ones) is taken, or else the
// best of them.
bool PickLayout(Template& layout, unsigned rows, unsigned columns, int level, const BlackRange& range, Random& random) {
    // Black cells as a share of the interior, in per cent: easy a little denser, so that
    // the combination rule has short runs to work on; larger boards a little denser, or
    // their long runs seldom fill uniquely.
    const unsigned long area = static_cast<unsigned long>(rows) * columns;
    const unsigned percent = level == 1 ? 38 : area <= 100 ? 31 : area <= 144 ? 35 : 37;
    const unsigned target = (rows - 1) * (columns - 1) * percent / 100;
    if (rows >= 3 && columns >= 3 && (rows - 1) * (columns - 1) <= 36) {
        if (layout.Draw(rows, columns, range.fewest, range.most, random)) return true;
    }
    const bool big = static_cast<unsigned long>(rows) * columns >= kBigBoardCells;
    Template best;
    bool any = false;
    double bestScore = 0;
    for (int draw = 0; draw < kLayoutDraws; ++draw) {
        if (!layout.Generate(rows, columns, target, random)) continue;
        int runs = 0, two = 0, longRuns = 0;
        for (const TemplateRun& run : layout.runs) {
            ++runs;
            two += run.length == 2;
            longRuns += run.length >= kLongRun;
        }
        const double share = runs ? static_cast<double>(two) / runs : 1;
        const bool fits = share <= kMaxTwoCellShare && (!big || longRuns >= kLongRunsOnBigBoards);
        if (fits) return true;
        const double score = -share + (big ? 0.1 * std::min(longRuns, kLongRunsOnBigBoards) : 0);
        if (!any || score > bestScore) {
            any = true;
            bestScore = score;
            best = layout;
        }
    }
    if (!any) return false;
    layout = best;
    return true;
}

struct LevelSearch {
    unsigned rows;
    unsigned columns;
    int level;
    bool smallBoard;
    long rounds = 0;
    long attempts = 0;      // fills and redraws, failed ones included
    long cellAttempts = 0;  // the same, each weighed by the board's cells
};

// Fills one layout until a fill grades at the level (true, with `tier`), the layout has
// had its share of rounds (false) or time is up (false, `timeUp`).
bool SearchLayout(LevelSearch& search, const Template& layout, Random& random, TBoard& board, LogicSolver& logic,
                  std::vector<unsigned>& redraw, std::vector<int>& digits, int& tier,
                  const std::function<bool()>& timeUp, bool& stop) {
    long layoutRounds = 0;
    const long roundsPerLayout =
        search.smallBoard && search.level == kTierTrials ? kSmallBoardHardRounds : kRoundsPerLayout;
    while (layoutRounds < roundsPerLayout) {
        if (timeUp()) {
            stop = true;
            return false;
        }
        if (++search.attempts > kMaxAttempts) {
            stop = true;
            return false;
        }
        DigitFiller filler(layout, random);
        ++layoutRounds;
        search.cellAttempts += layout.cellCount;
        if (!filler.FillDigits()) continue;
        for (int pass = 0; pass < kRedrawsPerFill; ++pass) {
            if (pass > 0) {
                if (timeUp()) {
                    stop = true;
                    return false;
                }
                ++layoutRounds;
                ++search.attempts;
                search.cellAttempts += layout.cellCount;
            }
            ++search.rounds;
            const int lowest =
                search.smallBoard && search.level == 3 && search.rounds > kRoundsBeforeTierTwo ? 2 : search.level;
            const int minTrials = search.level == kTierTrials && !search.smallBoard ? kMinTrialsOnHard : 0;
            const int got =
                GradeForLevel(layout, filler, lowest, search.level, random, board, logic, redraw, minTrials);
            if (got > 0) {
                digits = filler.digits;
                tier = got;
                return true;
            }
            if (redraw.empty() || layoutRounds >= roundsPerLayout || !filler.Redraw(redraw)) break;
        }
    }
    return false;
}

}  // namespace

bool GenerateLevelPuzzle(unsigned rows, unsigned columns, int level, double timeLimit, std::span<std::uint8_t> result,
                         std::optional<std::uint32_t> seed, int* tier) {
    Random random(seed ? *seed : FreshSeed());
    BuildCombinations();
    if (!CheckRequest(rows, columns, result)) return false;
    if (level < 1 || level > 3) {
        DiagnosticErr() << "Error: level " << level << " is not 1 (easy), 2 (medium) or 3 (hard)\n";
        return false;
    }
    LevelSearch search{rows, columns, level, static_cast<long>(rows) * columns < kSmallBoardCells};
    const BlackRange range = LayoutRange(rows, columns, level);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const std::chrono::duration<double> limit(timeLimit);
    const std::function<bool()> timeUp = [&] { return timeLimit != 0 && Clock::now() - start > limit; };

    TBoard board;
    LogicSolver logic;
    std::vector<unsigned> redraw;
    std::vector<int> digits, best;
    int bestTier = 0;
    double bestQuality = 0;
    int found = 0;
    bool stop = false;
    Template layout;
    while (found < kCandidates && !stop) {
        if (found > 0 && search.cellAttempts > kChoosingBudget) break;
        // Small boards have few layouts: comparing candidates across them would favour a
        // handful, so their candidates differ in the digits only.
        if ((found == 0 || !search.smallBoard) && !PickLayout(layout, rows, columns, level, range, random)) {
            DiagnosticErr() << "Error: Template.Generate() failed!\n";
            return false;
        }
        int got = 0;
        if (!SearchLayout(search, layout, random, board, logic, redraw, digits, got, timeUp, stop)) continue;
        BoardFromDigits(digits, rows, columns, board);
        const PuzzleMetrics metrics = MeasurePuzzle(board);
        const double quality = QualityScore(metrics, rows, columns, level);
        // The level's own tier before anything else: a hard request keeps a fallback only
        // when it found nothing better.
        if (found == 0 || (got == level) > (bestTier == level) ||
            ((got == level) == (bestTier == level) && quality > bestQuality)) {
            best = digits;
            bestTier = got;
            bestQuality = quality;
        }
        ++found;
    }
    if (found == 0) {
        if (search.attempts > kMaxAttempts) {
            DiagnosticErr() << "Error: no level " << level << " puzzle found for a " << rows << " x " << columns
                            << " board\n";
        }
        return false;
    }
    for (unsigned i = 0; i < rows * columns; ++i) {
        result[i] = best[i] < 0 ? 0xFF : static_cast<std::uint8_t>(best[i]);
    }
    if (tier) *tier = bestTier;
    return true;
}

CustomCheck CheckCustomDescription(unsigned rows, unsigned columns, std::string_view dimensionsLine,
                                   std::string_view unfillableLine, std::string_view constraintsText,
                                   int constraintCount, std::span<std::uint8_t> solution, std::uint64_t effort) {
    BuildCombinations();
    TBoard board;
    if (!ParseDescription(dimensionsLine, unfillableLine, constraintsText, constraintCount, board)) {
        return CustomCheck::kInvalid;
    }
    if (board.rows != rows || board.columns != columns) {
        DiagnosticErr() << "dimensions line " << board.rows << " " << board.columns << " does not match the board size "
                        << rows << " " << columns << "\n";
        return CustomCheck::kInvalid;
    }
    if (solution.size() < board.cellCount) {
        DiagnosticErr() << "solution buffer smaller than the board\n";
        return CustomCheck::kInvalid;
    }
    ImpossibleClue impossible;
    if (FindImpossibleClue(board, impossible)) return CustomCheck::kNoSolution;
    int count = 0;
    TBoard stored;
    if (!CountSolutions(board, count, true, &stored, effort)) {
        // Giving up proves nothing either way; the caller must not call it "no solution".
        DiagnosticErr() << "puzzle too hard to check within the search limit\n";
        return CustomCheck::kTooHard;
    }
    if (count == 0) return CustomCheck::kNoSolution;
    for (unsigned i = 0; i < board.cellCount; ++i) {
        solution[i] = static_cast<std::uint8_t>(stored.cells[i] & 0xFF);
    }
    return count == 1 ? CustomCheck::kUnique : CustomCheck::kSeveral;
}

bool SolveCustomPuzzle(unsigned rows, unsigned columns, std::string_view dimensionsLine,
                       std::string_view unfillableLine, std::string_view constraintsText, int constraintCount,
                       std::span<std::uint8_t> solution, std::uint64_t effort) {
    const CustomCheck check = CheckCustomDescription(rows, columns, dimensionsLine, unfillableLine, constraintsText,
                                                     constraintCount, solution, effort);
    return check == CustomCheck::kUnique || check == CustomCheck::kSeveral;
}

}  // namespace engine
