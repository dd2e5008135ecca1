// SPDX-License-Identifier: GPL-3.0-or-later
// share-bench: what passing a puzzle on costs in the game, for every size and level:
// opening a generated puzzle's code (the generator without a time limit, which is how
// the game now makes every puzzle), working out a puzzle's code, opening the code of
// its clues (the solver's check) and exporting its pictures (PNG and SVG at print
// resolution). Prints a table of milliseconds.
//
//   share-bench [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "game/core/model.h"
#include "game/core/share.h"
#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/print/PuzzlePrint.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Print(const std::string& label, std::vector<double> ms) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms) sum += v;
    std::printf("| %-34s | %4zu | %9.2f | %9.2f | %9.2f |\n", label.c_str(), ms.size(),
                sum / static_cast<double>(ms.size()), ms[ms.size() / 2], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 10;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
    std::ostringstream diagnostics;
    engine::RedirectDiagnostics(&diagnostics, &diagnostics);
    const auto folder = std::filesystem::temp_directory_path() / ("share-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);

    std::printf("| %-34s | %4s | %9s | %9s | %9s |\n", "ms", "runs", "mean", "median", "max");
    std::printf("|%s|------|-----------|-----------|-----------|\n", std::string(36, '-').c_str());
    for (const unsigned size : {6u, 7u, 9u, 12u, 14u})
        for (int level = 1; level <= 3; ++level) {
            std::vector<double> open, code, clues, pictures;
            for (int run = 0; run < runs; ++run) {
                engine::GeneratedPuzzleId id;
                id.rows = id.columns = size;
                id.level = level;
                id.seed = static_cast<std::uint32_t>(1000 * run + 17 * size + static_cast<unsigned>(level));
                const std::string generated = engine::GeneratedPuzzleCode(id);
                TPuzzleModel model;
                TOpenedPuzzle opened;
                std::string error;
                open.push_back(Ms([&] { OpenCodeText(generated, opened, error); }));
                if (!PlaceOpenedPuzzle(model, opened, error)) continue;
                model.Puzzle.IsCustomPuzzle = 1;
                std::string typed;
                code.push_back(Ms([&] { typed = PuzzleCodeOf(model.Puzzle); }));
                clues.push_back(Ms([&] { OpenCodeText(typed, opened, error); }));
                if (run < 3) {
                    print::PrintedPuzzle printed{PuzzleFromTables(model.Puzzle, false), generated, 0, ""};
                    pictures.push_back(Ms([&] {
                        for (const char* extension : {".png", ".svg"})
                            print::WritePuzzlePicture(printed, false,
                                                      (folder / ("p" + std::string(extension))).string(), error);
                    }));
                }
            }
            const std::string name =
                std::to_string(size) + "x" + std::to_string(size) + " level " + std::to_string(level);
            Print(name + ": open generated code", open);
            Print(name + ": code of the clues", code);
            Print(name + ": open clues code", clues);
            Print(name + ": export PNG + SVG", pictures);
        }
    std::filesystem::remove_all(folder);
    print::ReleasePrintResources();
    return 0;
}
