// SPDX-License-Identifier: GPL-3.0-or-later
// engine-bench: times puzzle generation for every size and level of the game (counting the
// tiers of reasoning the puzzles need), the grading of a candidate fill against its
// uniqueness proof, and the custom-puzzle solver on a set of deliberately awkward
// descriptions, and prints a table; also the time to explain a whole puzzle and how many
// of the game's hints a fresh puzzle takes to its first placement.
//
// It also checks N random open descriptions (--descriptions, 1000 by default) as a player
// might type them in.
//
//   engine-bench [--runs N] [--seed S] [--size N]... [--descriptions N]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/engine/DigitFiller.h"
#include "tallyfold/engine/Engine.h"
#include "tallyfold/engine/Explainer.h"
#include "tallyfold/engine/LogicSolver.h"
#include "tallyfold/engine/Template.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kTimeLimit = 5;
constexpr int kSolverRepeats = 5;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of this process: on a machine shared with other work, wall-clock
// times grow with the load while this stays put.
double CpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    // Nearest rank: the smallest value with at least p of the samples at or below it.
    std::size_t rank = static_cast<std::size_t>(p * static_cast<double>(values.size()) + 0.999999);
    rank = std::clamp<std::size_t>(rank, 1, values.size());
    return values[rank - 1];
}

struct Description {
    std::string name;
    unsigned rows = 0;
    unsigned columns = 0;
    std::string dimensions;
    std::string unfillable;
    std::string records;
    int recordCount = 0;
};

// Builds a description from a full grid (-1 black, 1..9 white) the way the game writes
// one; `adjust` may then change clues to make the puzzle contradictory.
Description FromGrid(std::string name, unsigned rows, unsigned columns, const std::vector<int>& grid,
                     const std::function<void(unsigned, int&, int&)>& adjust = {}) {
    Description d;
    d.name = std::move(name);
    d.rows = rows;
    d.columns = columns;
    d.dimensions = std::to_string(rows) + " " + std::to_string(columns);
    for (unsigned i = 0; i < rows * columns; ++i) {
        if (grid[i] >= 0) continue;
        d.unfillable += std::to_string(i) + " ";
        unsigned r = i / columns, c = i % columns;
        int downSum = 0, downLength = 0, acrossSum = 0, acrossLength = 0;
        for (unsigned y = r + 1; y < rows && grid[y * columns + c] > 0; ++y, ++downLength) {
            downSum += grid[y * columns + c];
        }
        for (unsigned x = c + 1; x < columns && grid[r * columns + x] > 0; ++x, ++acrossLength) {
            acrossSum += grid[r * columns + x];
        }
        if (downLength == 0 && acrossLength == 0) continue;
        if (adjust) adjust(i, downSum, acrossSum);
        d.records += std::to_string(i) + " " + std::to_string(downSum) + " " + std::to_string(downLength) + " " +
                     std::to_string(acrossSum) + " " + std::to_string(acrossLength) + " ";
        ++d.recordCount;
    }
    return d;
}

// Digits for a white block that repeat in no row or column: a sudoku-style shift.
int Pattern(unsigned row, unsigned column) { return static_cast<int>((row * 3 + row / 3 + column) % 9) + 1; }

// A size x size board that is white but for the frame and one black row and column at
// `cut`, which leaves blocks no longer than 9 cells either way: as sparse as the run
// length limit allows.
std::vector<int> SparseGrid(unsigned size, unsigned cut) {
    std::vector<int> grid(size * size, -1);
    for (unsigned r = 1; r < size; ++r) {
        for (unsigned c = 1; c < size; ++c) {
            if (r == cut || c == cut) continue;
            grid[r * size + c] = Pattern(r < cut ? r - 1 : r - cut - 1, c < cut ? c - 1 : c - cut - 1);
        }
    }
    return grid;
}

std::vector<Description> HardDescriptions() {
    std::vector<Description> set;

    // Every run holds all nine digits.
    {
        std::vector<int> grid(100, -1);
        for (unsigned r = 1; r < 10; ++r)
            for (unsigned c = 1; c < 10; ++c) grid[r * 10 + c] = Pattern(r - 1, c - 1);
        set.push_back(FromGrid("open 9x9, all sums 45", 10, 10, grid));
    }
    // Each run lacks one digit: a Latin square with its last row and column cut off.
    {
        std::vector<int> grid(81, -1);
        for (unsigned r = 1; r < 9; ++r)
            for (unsigned c = 1; c < 9; ++c) grid[r * 9 + c] = Pattern(r - 1, c - 1);
        set.push_back(FromGrid("open 8x8, sums 36 to 44", 9, 9, grid));
    }

    set.push_back(FromGrid("sparse 14x14, runs of 9 and 3", 14, 14, SparseGrid(14, 10)));
    set.push_back(FromGrid("sparse 14x14, four 6x6 blocks", 14, 14, SparseGrid(14, 7)));

    // The same board with one clue of the last 3 x 3 block raised: the contradiction
    // lies at the far end of the board in index order.
    set.push_back(FromGrid("sparse 14x14, late contradiction", 14, 14, SparseGrid(14, 10),
                           [](unsigned index, int&, int& acrossSum) {
                               if (index == 12 * 14 + 10) ++acrossSum;
                           }));

    // Row and column totals agree, but the digits missing from the rows (1 and 4) are not
    // those missing from the columns (2 and 3): no run on its own shows the conflict.
    {
        const int rowMissing[8] = {1, 4, 5, 5, 6, 6, 7, 7};
        const int columnMissing[8] = {2, 3, 5, 5, 6, 6, 7, 7};
        Description d;
        d.name = "open 8x8, digit counts disagree";
        d.rows = d.columns = 9;
        d.dimensions = "9 9";
        d.unfillable = "0 1 2 3 4 5 6 7 8 9 18 27 36 45 54 63 72 ";
        d.records = "0 0 0 0 0 ";
        d.recordCount = 1;
        for (int k = 1; k <= 8; ++k) {
            d.records += std::to_string(k) + " " + std::to_string(45 - columnMissing[k - 1]) + " 8 0 0 ";
            d.records += std::to_string(k * 9) + " 0 0 " + std::to_string(45 - rowMissing[k - 1]) + " 8 ";
            d.recordCount += 2;
        }
        set.push_back(d);
    }

    // Generated hard puzzles have exactly one solution, which must be proven.
    for (std::uint32_t seed : {11u, 12u, 13u}) {
        std::vector<std::uint8_t> cells(14 * 14);
        if (!engine::GeneratePuzzle(14, 14, engine::BlackCellTarget(14, 14, 3), 0, cells, seed)) continue;
        std::vector<int> grid(cells.begin(), cells.end());
        for (int& v : grid) v = v == 0xFF ? -1 : v;
        set.push_back(FromGrid("generated 14x14 hard, seed " + std::to_string(seed), 14, 14, grid));
    }
    return set;
}

// Fills as generation meets them (fresh layout of the level's density, one fill each),
// graded up to the level's tier the way generation grades them and, separately, put
// through the uniqueness proof (single-candidate pass, then the counter).
void GradingAgainstProof(const std::vector<unsigned>& sizes, int fills, std::uint32_t baseSeed) {
    std::printf("\nGrading a candidate fill against proving it unique: %d fills per row, microseconds\n\n", fills);
    std::printf("%-6s %-6s %11s %11s %11s %11s %9s\n", "size", "level", "grade med", "grade p95", "proof med",
                "proof p95", "gave up");
    for (unsigned size : sizes) {
        for (int level = 1; level <= 3; ++level) {
            engine::Random random(baseSeed + size * 100 + static_cast<unsigned>(level));
            const unsigned target = engine::BlackCellTarget(size, size, level == 3 ? 2 : level);
            std::vector<double> grading;
            std::vector<double> proving;
            int gaveUp = 0;
            engine::TBoard board;
            engine::LogicSolver logic;
            while (static_cast<int>(grading.size()) < fills) {
                engine::Template layout;
                if (!layout.Generate(size, size, target, random)) continue;
                engine::DigitFiller filler(layout, random);
                if (!filler.FillDigits()) continue;
                engine::BoardFromDigits(filler.digits, size, size, board);

                Clock::time_point start = Clock::now();
                logic.Load(board);
                logic.KnowSolution(filler.digits);
                // Hard grading skips tier 1: tier 2 covers it, and both are too easy there.
                for (int tier = level == 3 ? engine::kTierExactRuns : engine::kTierCombinations;
                     tier <= level && !logic.Solve(tier); ++tier) {
                }
                grading.push_back(Since(start) * 1000.0);

                start = Clock::now();
                engine::TBoard proof = board;
                engine::FillObviousTest(proof, nullptr);
                int count = 0;
                if (!engine::CountSolutions(proof, count, false, nullptr)) ++gaveUp;
                proving.push_back(Since(start) * 1000.0);
            }
            std::printf("%-6s %-6d %11.1f %11.1f %11.1f %11.1f %9d\n",
                        (std::to_string(size) + "x" + std::to_string(size)).c_str(), level, Percentile(grading, 0.5),
                        Percentile(grading, 0.95), Percentile(proving, 0.5), Percentile(proving, 0.95), gaveUp);
            std::fflush(stdout);
        }
    }
}

// An open layout: frame black, each interior cell black with the given chance, then runs
// longer than nine cut by a black cell at random.
std::vector<int> OpenLayout(unsigned n, double blackChance, std::mt19937& rng) {
    std::uniform_real_distribution<double> coin(0, 1);
    std::vector<int> grid(n * n, 0);
    for (unsigned i = 0; i < n * n; ++i) {
        if (i < n || i % n == 0 || coin(rng) < blackChance) grid[i] = -1;
    }
    for (bool cut = true; cut;) {
        cut = false;
        for (int across = 0; across < 2; ++across) {
            for (unsigned line = 1; line < n; ++line) {
                unsigned length = 0;
                for (unsigned k = 1; k <= n; ++k) {
                    const unsigned i = across ? line * n + k : k * n + line;
                    if (k < n && grid[i] == 0) {
                        ++length;
                        continue;
                    }
                    if (length > 9) {
                        const unsigned at = k - 1 - static_cast<unsigned>(rng() % length);
                        grid[across ? line * n + at : at * n + line] = -1;
                        cut = true;
                    }
                    length = 0;
                }
            }
        }
    }
    return grid;
}

// Random digits, none twice in a row or column stretch; false when the search gave up.
bool FillAtRandom(std::vector<int>& grid, unsigned n, std::mt19937& rng) {
    long steps = 200000;
    std::vector<unsigned> order;
    for (unsigned i = 0; i < n * n; ++i) {
        if (grid[i] == 0) order.push_back(i);
    }
    auto used = [&](unsigned i) {
        unsigned mask = 0;
        const unsigned r = i / n, c = i % n;
        for (unsigned x = c; x-- > 0 && grid[r * n + x] >= 0;) mask |= 1u << grid[r * n + x];
        for (unsigned x = c + 1; x < n && grid[r * n + x] >= 0; ++x) mask |= 1u << grid[r * n + x];
        for (unsigned y = r; y-- > 0 && grid[y * n + c] >= 0;) mask |= 1u << grid[y * n + c];
        for (unsigned y = r + 1; y < n && grid[y * n + c] >= 0; ++y) mask |= 1u << grid[y * n + c];
        return mask;
    };
    auto fill = [&](auto&& self, std::size_t k) -> bool {
        if (k == order.size()) return true;
        if (--steps < 0) return false;
        int digits[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
        std::shuffle(digits, digits + 9, rng);
        const unsigned taken = used(order[k]);
        for (int d : digits) {
            if (taken >> d & 1) continue;
            grid[order[k]] = d;
            if (self(self, k + 1)) return true;
        }
        grid[order[k]] = 0;
        return false;
    };
    return fill(fill, 0);
}

// Puzzles a player might type in: random open descriptions of 10x10 to 14x14 with 10-25 %
// black cells inside the frame, clues from a random fill; every third has one clue moved
// by one, which mostly leaves no solution. A description made from a fill must come out
// with at least one solution that meets its clues.
void BenchRandomDescriptions(int count, std::uint32_t baseSeed, std::ostringstream& diagnostics) {
    std::vector<double> times;
    int outcomes[5] = {};
    int wrong = 0;
    for (int k = 0; k < count; ++k) {
        std::mt19937 rng(baseSeed + static_cast<std::uint32_t>(k));
        const unsigned n = 10 + static_cast<unsigned>(rng() % 5);
        const double blackChance = 0.10 + 0.15 * static_cast<double>(rng() % 1001) / 1000.0;
        std::vector<int> grid = OpenLayout(n, blackChance, rng);
        if (!FillAtRandom(grid, n, rng)) {
            --k;  // a layout without a fill is no description; draw another
            baseSeed += 1000003;
            continue;
        }
        const bool moved = k % 3 == 2;
        const unsigned movedClue = static_cast<unsigned>(rng());
        unsigned seen = 0;
        const Description d = FromGrid("", n, n, grid, [&](unsigned, int& down, int& across) {
            if (moved && seen++ == movedClue % (n * 2)) (down > 0 ? down : across) += 1;
        });
        std::vector<std::uint8_t> solution(n * n);
        diagnostics.str({});
        const double start = CpuMs();
        const engine::CustomCheck check =
            engine::CheckCustomDescription(n, n, d.dimensions, d.unfillable, d.records, d.recordCount, solution);
        times.push_back(CpuMs() - start);
        ++outcomes[static_cast<int>(check)];
        const bool solved = check == engine::CustomCheck::kUnique || check == engine::CustomCheck::kSeveral;
        if (!moved && check != engine::CustomCheck::kTooHard && !solved) ++wrong;
        if (solved) {
            // The kept solution must meet every clue: each run adds up, no digit twice.
            std::vector<int> filled(solution.begin(), solution.end());
            for (int& v : filled) v = v == 0xFF ? -1 : v;
            if (FromGrid("", n, n, filled).records != d.records) ++wrong;
        }
    }
    std::printf("\nCustom puzzle check: %d random open descriptions, 10x10 to 14x14, 10-25 %% black\n\n", count);
    std::printf("%10s %10s %10s %10s %10s %10s %10s %8s %8s\n", "median ms", "p95 ms", "p99 ms", "max ms", "none",
                "one", "several", "gave up", "wrong");
    std::printf("%10.2f %10.2f %10.2f %10.1f %10d %10d %10d %8d %8d\n", Percentile(times, 0.5), Percentile(times, 0.95),
                Percentile(times, 0.99), *std::max_element(times.begin(), times.end()),
                outcomes[static_cast<int>(engine::CustomCheck::kNoSolution)],
                outcomes[static_cast<int>(engine::CustomCheck::kUnique)],
                outcomes[static_cast<int>(engine::CustomCheck::kSeveral)],
                outcomes[static_cast<int>(engine::CustomCheck::kTooHard)], wrong);
}

// Walking a whole puzzle's explained path, sentences included, one step at a time and
// as the game's hints; and how many hints a fresh puzzle takes to its first placement.
void ExplainingWholePuzzles(int runs, std::uint32_t baseSeed) {
    std::printf("\nExplaining whole puzzles: %d seeded puzzles per row, cpu ms per puzzle\n\n", runs);
    std::printf("%-6s %-6s %12s %12s %12s %12s %16s\n", "size", "level", "steps med", "steps p95", "hints med",
                "hints p95", "first placement");
    for (auto [size, level] : {std::pair{9u, 2}, std::pair{14u, 3}}) {
        std::vector<double> steps, hints, first;
        std::vector<std::uint8_t> cells(size * size);
        for (int k = 0; k < runs; ++k) {
            if (!engine::GenerateLevelPuzzle(size, size, level, kTimeLimit, cells,
                                             baseSeed + static_cast<std::uint32_t>(k)))
                continue;
            std::vector<int> grid(cells.begin(), cells.end());
            for (int& v : grid) v = v == 0xFF ? -1 : v;
            engine::TBoard board;
            engine::BoardFromDigits(grid, size, size, board);
            for (int& v : board.cells) v = v > 0 ? engine::kEmpty : v;
            double start = CpuMs();
            engine::Explainer explainer(board);
            engine::Explanation step;
            std::size_t words = 0;
            while (explainer.Next(engine::kTierTrials, step)) words += engine::ExplainSentence(step, board).size();
            steps.push_back(CpuMs() - start);
            start = CpuMs();
            engine::Explainer grouped(board);
            engine::Hint hint;
            int count = 0, placedAt = 0;
            while (grouped.NextGroup(engine::kTierTrials, hint)) {
                ++count;
                if (hint.places && placedAt == 0) placedAt = count;
                for (const engine::Explanation& e : hint.steps) words += engine::ExplainSentence(e, board).size();
            }
            hints.push_back(CpuMs() - start);
            first.push_back(placedAt);
            if (words == 0) std::printf("(no sentences)\n");
        }
        if (steps.empty()) continue;
        std::printf("%-6s %-6d %12.1f %12.1f %12.1f %12.1f %16.0f\n",
                    (std::to_string(size) + "x" + std::to_string(size)).c_str(), level, Percentile(steps, 0.5),
                    Percentile(steps, 0.95), Percentile(hints, 0.5), Percentile(hints, 0.95), Percentile(first, 0.5));
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 100;
    int descriptions = 1000;
    std::uint32_t baseSeed = 1;
    std::vector<unsigned> sizes;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--seed" && i + 1 < argc) {
            baseSeed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--size" && i + 1 < argc) {
            sizes.push_back(static_cast<unsigned>(std::atoi(argv[++i])));
        } else if (arg == "--descriptions" && i + 1 < argc) {
            descriptions = std::max(0, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: engine-bench [--runs N] [--seed S] [--size N]... [--descriptions N]\n");
            return 2;
        }
    }
    if (sizes.empty()) sizes = {6, 7, 9, 12, 14};

    // The generator's layout dumps and debug lines would break up the table.
    std::ostringstream diagnostics;
    engine::RedirectDiagnostics(&diagnostics, &diagnostics);

    std::printf("Puzzle generation: %d seeded calls per row (seeds %u..%u), time limit %u s\n\n", runs, baseSeed,
                baseSeed + static_cast<unsigned>(runs) - 1, kTimeLimit);
    std::printf("%-6s %-6s %10s %10s %10s %9s %12s %12s %14s\n", "size", "level", "median ms", "p95 ms", "max ms",
                "timeouts", "cpu median", "cpu p95", "tiers 1/2/3");
    for (unsigned size : sizes) {
        for (int level = 1; level <= 3; ++level) {
            std::vector<double> times;
            std::vector<double> cpuTimes;
            int timeouts = 0;
            int tiers[5] = {};
            std::vector<std::uint8_t> result(size * size);
            for (int k = 0; k < runs; ++k) {
                diagnostics.str({});
                const double cpuStart = CpuMs();
                const Clock::time_point start = Clock::now();
                int tier = 0;
                const bool made = engine::GenerateLevelPuzzle(size, size, level, kTimeLimit, result,
                                                              baseSeed + static_cast<std::uint32_t>(k), &tier);
                const double ms = Since(start);
                cpuTimes.push_back(CpuMs() - cpuStart);
                times.push_back(ms);
                if (!made && ms >= kTimeLimit * 1000.0) ++timeouts;
                if (made) ++tiers[std::clamp(tier, 0, 4)];
            }
            const std::string tierCounts =
                std::to_string(tiers[1]) + "/" + std::to_string(tiers[2]) + "/" + std::to_string(tiers[3]);
            std::printf("%-6s %-6d %10.1f %10.1f %10.1f %9d %12.1f %12.1f %14s\n",
                        (std::to_string(size) + "x" + std::to_string(size)).c_str(), level, Percentile(times, 0.5),
                        Percentile(times, 0.95), *std::max_element(times.begin(), times.end()), timeouts,
                        Percentile(cpuTimes, 0.5), Percentile(cpuTimes, 0.95), tierCounts.c_str());
            std::fflush(stdout);
        }
    }

    GradingAgainstProof(sizes, runs, baseSeed);
    ExplainingWholePuzzles(std::min(runs, 30), baseSeed);

    std::printf("\nCustom puzzle solver (slowest of %d calls)\n\n", kSolverRepeats);
    std::printf("%-36s %-14s %10s\n", "description", "result", "ms");
    for (const Description& d : HardDescriptions()) {
        std::vector<std::uint8_t> solution(d.rows * d.columns);
        double slowest = 0;
        const char* result = "";
        for (int k = 0; k < kSolverRepeats; ++k) {
            diagnostics.str({});
            const Clock::time_point start = Clock::now();
            const bool solved = engine::SolveCustomPuzzle(d.rows, d.columns, d.dimensions, d.unfillable, d.records,
                                                          d.recordCount, solution);
            slowest = std::max(slowest, Since(start));
            result = solved ? "solved" : "not solvable";
            if (!solved && diagnostics.str().find("search limit") != std::string::npos) result = "gave up";
        }
        std::printf("%-36s %-14s %10.1f\n", d.name.c_str(), result, slowest);
    }
    if (descriptions > 0) BenchRandomDescriptions(descriptions, baseSeed, diagnostics);
    return 0;
}
