// SPDX-License-Identifier: GPL-3.0-or-later
// hint-bench: what the hint ladder costs and how soon it gives a digit. For fresh
// 9 x 9 Medium puzzles, the hints a player takes (each carried out) before the first
// one that places a digit; for whole solves by hints on each size and level, the
// milliseconds of one first press (the search for the hint). Prints two tables.
//
//   hint-bench [--puzzles N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "framework/core/game.h"
#include "game/core/hint_ladder.h"
#include "game/core/model.h"
#include "game/store/framework_services.h"
#include "tallyfold/engine/Diagnostics.h"

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t rank = std::clamp<std::size_t>(
        static_cast<std::size_t>(p * static_cast<double>(values.size()) + 0.999999), 1, values.size());
    return values[rank - 1];
}

bool Solved(const TPuzzleState& p) {
    for (int x = 0; x < p.BoardWidth; ++x)
        for (int y = 0; y < p.BoardHeight; ++y)
            if (p.PlayerGrid[x][y] != p.SolutionGrid[x][y]) return false;
    return true;
}

bool Places(const THint& hint) {
    return std::any_of(hint.Changes.begin(), hint.Changes.end(), [](const THintChange& c) { return c.Digit != 0; });
}

}  // namespace

int main(int argc, char** argv) {
    int puzzles = 30;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--puzzles") puzzles = std::max(1, std::atoi(argv[i + 1]));

    // The generator's layout dumps would break up the tables.
    std::ostringstream diagnostics;
    engine::RedirectDiagnostics(&diagnostics, &diagnostics);
    const auto folder = std::filesystem::temp_directory_path() / ("hint-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    Game = std::make_shared<TGame>();
    Game->ProfilePath = folder.string() + "/";
    ConnectCoreServices();
    TPuzzleModel model;
    TCore core(model);
    core.Start();

    std::vector<double> toPlacement;
    for (int k = 0; k < puzzles; ++k) {
        core.CreatePuzzle(9, 9, 1);
        core.RestartPuzzle();
        THintLadder ladder;
        int hints = 1;
        for (; hints < 500; ++hints) {
            ladder.Press(model);
            if (Places(ladder.Hint()) || ladder.Hint().Kind != THintKind::Deduction) break;
            ladder.Press(model);
            ladder.Press(model);
        }
        toPlacement.push_back(hints);
    }
    std::printf("\nFresh 9 x 9 Medium, %d puzzles: hints up to the first that places a digit\n\n", puzzles);
    std::printf("| median | p95 | max |\n|--------|-----|-----|\n| %6.0f | %3.0f | %3.0f |\n",
                Percentile(toPlacement, 0.5), Percentile(toPlacement, 0.95), Percentile(toPlacement, 1.0));

    std::printf("\nWhole solves by hints, milliseconds of one first press (the search)\n\n");
    std::printf("| %-14s | %7s | %7s | %7s | %7s |\n", "puzzles", "hints", "median", "p95", "max");
    std::printf("|----------------|---------|---------|---------|---------|\n");
    for (int size : {9, 14})
        for (int level = 0; level < 3; ++level) {
            std::vector<double> ms;
            for (int k = 0; k < std::max(1, puzzles / 10); ++k) {
                core.CreatePuzzle(size, size, level);
                core.RestartPuzzle();
                THintLadder ladder;
                for (int hints = 0; hints < 2000 && !Solved(model.Puzzle); ++hints) {
                    const auto start = Clock::now();
                    ladder.Press(model);
                    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                    if (ladder.Hint().Kind == THintKind::Stuck) break;
                    ladder.Press(model);
                    ladder.Press(model);
                }
            }
            const char* levels[] = {"easy", "medium", "hard"};
            const std::string label = std::to_string(size) + "x" + std::to_string(size) + " " + levels[level];
            std::printf("| %-14s | %7zu | %7.2f | %7.2f | %7.2f |\n", label.c_str(), ms.size(), Percentile(ms, 0.5),
                        Percentile(ms, 0.95), Percentile(ms, 1.0));
        }
    std::filesystem::remove_all(folder);
    return 0;
}
