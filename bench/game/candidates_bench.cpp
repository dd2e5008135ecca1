// SPDX-License-Identifier: GPL-3.0-or-later
// candidates-bench: what the combination panel costs per pointer move on 14 x 14
// puzzles in play: the combinations of the run under the pointer filtered by its
// placed digits and marks and put in words, and the two runs through the keyboard
// cursor. The budget is 100 microseconds per move. Prints a table.
//
//   candidates-bench [--moves N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/game.h"
#include "game/core/edits.h"
#include "game/core/model.h"
#include "game/store/framework_services.h"
#include "tallyfold/engine/Diagnostics.h"

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto rank = std::clamp<std::size_t>(
        static_cast<std::size_t>(p * static_cast<double>(values.size()) + 0.999999), 1, values.size());
    return values[rank - 1];
}

void Print(const char* label, const std::vector<double>& us) {
    double sum = 0;
    for (double v : us) sum += v;
    // On a shared machine a move now and then waits for the processor; how many went over says whether that is all.
    const auto over = std::count_if(us.begin(), us.end(), [](double v) { return v > 100.0; });
    std::printf("| %-40s | %7zu | %8.2f | %8.2f | %8.2f | %8.2f | %8.2f | %6zd |\n", label, us.size(),
                sum / static_cast<double>(us.size()), Percentile(us, 0.5), Percentile(us, 0.95), Percentile(us, 0.999),
                *std::max_element(us.begin(), us.end()), over);
}

}  // namespace

int main(int argc, char** argv) {
    int moves = 20000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--moves") moves = std::max(100, std::atoi(argv[i + 1]));
    std::ostringstream diagnostics;
    engine::RedirectDiagnostics(&diagnostics, &diagnostics);
    Game = std::make_shared<TGame>();
    ConnectCoreServices();
    TPuzzleModel model;
    TCore core(model);
    core.Start();
    model.Options.PreventDoubleNumbers = 0;
    std::mt19937 random(34);
    std::vector<double> pointer, cursor;
    std::size_t keep = 0;
    for (int puzzle = 0; puzzle < 4; ++puzzle) {
        core.CreatePuzzle(14, 14, puzzle % 3);
        core.RestartPuzzle();
        auto& p = model.Puzzle;
        // A board in the middle of play: automatic marks, some taken off, a third of
        // the digits placed (some wrong).
        model.ApplyEdit({TEditKind::AutoMarks, -1, -1, 1});
        for (int step = 0; step < 400; ++step) {
            TEditRequest r;
            r.X = static_cast<int>(random() % 14);
            r.Y = static_cast<int>(random() % 14);
            if (p.SolutionGrid[r.X][r.Y] == BlackCell) continue;
            r.Kind = step % 3 ? TEditKind::Mark : TEditKind::Digit;
            r.Digit = r.Kind == TEditKind::Digit && random() % 4 ? p.SolutionGrid[r.X][r.Y] : 1 + random() % 9;
            if (r.Kind == TEditKind::Mark && !p.MarkupGrid[r.X][r.Y][r.Digit - 1]) continue;
            model.ApplyEdit(r);
        }
        std::vector<std::pair<int, int>> clues, whites;
        for (int x = 0; x < 14; ++x)
            for (int y = 0; y < 14; ++y) {
                if (p.PlayerGrid[x][y] != BlackCell)
                    whites.emplace_back(x, y);
                else if (p.VerticalSumGrid[x][y] || p.HorizontalSumGrid[x][y])
                    clues.emplace_back(x, y);
            }
        // The first question about a new layout builds its run links once (the board's
        // own cost, paid whatever is asked first); the moves are timed after it.
        keep += model.FilteredCombinationText(Horizontal, clues.front().first, clues.front().second).size();
        for (int move = 0; move < moves / 4; ++move) {
            const auto [x, y] = clues[random() % clues.size()];
            const int direction = p.VerticalSumGrid[x][y] && (random() % 2 || !p.HorizontalSumGrid[x][y]) ? 1 : 0;
            auto start = Clock::now();
            keep += model.FilteredCombinationText(direction, x, y).size();
            pointer.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());

            const auto [cx, cy] = whites[random() % whites.size()];
            start = Clock::now();
            for (int d : {0, 1}) {
                int ax = cx, ay = cy;
                while (p.PlayerGrid[ax][ay] != BlackCell) (d ? ay : ax)--;
                keep += model.FilteredCombinationText(d, ax, ay).size();
            }
            cursor.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
    }
    std::printf("\n14 x 14 puzzles in play, microseconds per pointer move (budget 100)\n\n");
    std::printf("| %-40s | %7s | %8s | %8s | %8s | %8s | %8s | %6s |\n", "panel text", "moves", "mean", "median", "p95",
                "p99.9", "max", ">100");
    std::printf(
        "|------------------------------------------|---------|----------|----------|----------|----------|----------|"
        "--------|\n");
    Print("run under the pointer (one run)", pointer);
    Print("runs through the cursor (two runs)", cursor);
    std::printf("\n(%zu characters written)\n", keep);
    return 0;
}
