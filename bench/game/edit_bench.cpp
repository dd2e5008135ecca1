// SPDX-License-Identifier: GPL-3.0-or-later
// edit-bench: the cost of one change of the board through the core's edit path
// (with and without automatic pencil marks), of undo and redo, and of writing
// and reading back the autosave, on generated 14 x 14 puzzles. Prints a table.
//
//   edit-bench [--edits N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "framework/core/game.h"
#include "game/core/autosave.h"
#include "game/core/edits.h"
#include "game/core/model.h"
#include "game/core/options.h"
#include "game/store/framework_services.h"
#include "tallyfold/engine/Diagnostics.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Row {
    std::string label;
    std::vector<double> us;  // microseconds per operation
};

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const std::size_t rank = std::clamp<std::size_t>(
        static_cast<std::size_t>(p * static_cast<double>(values.size()) + 0.999999), 1, values.size());
    return values[rank - 1];
}

double Time(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

TEditRequest RandomEdit(const TPuzzleModel& model, std::mt19937& random) {
    TEditRequest r;
    const int kind = static_cast<int>(random() % 4);
    r.Kind = kind < 2 ? TEditKind::Digit : kind == 2 ? TEditKind::Erase : TEditKind::Mark;
    r.X = static_cast<int>(random() % static_cast<unsigned>(model.Puzzle.BoardWidth));
    r.Y = static_cast<int>(random() % static_cast<unsigned>(model.Puzzle.BoardHeight));
    r.Digit = 1 + static_cast<int>(random() % 9);
    return r;
}

void Print(const Row& row) {
    double sum = 0;
    for (double v : row.us) sum += v;
    std::printf("| %-34s | %7zu | %9.2f | %9.2f | %9.2f |\n", row.label.c_str(), row.us.size(),
                sum / static_cast<double>(row.us.size()), Percentile(row.us, 0.5), Percentile(row.us, 0.95));
}

}  // namespace

int main(int argc, char** argv) {
    int edits = 20000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--edits") edits = std::max(100, std::atoi(argv[i + 1]));

    // The generator's layout dumps would break up the table.
    std::ostringstream diagnostics;
    engine::RedirectDiagnostics(&diagnostics, &diagnostics);

    const auto folder = std::filesystem::temp_directory_path() / ("edit-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    Game = std::make_shared<TGame>();
    Game->ProfilePath = folder.string() + "/";
    ConnectCoreServices();
    TPuzzleModel model;
    TCore core(model);
    core.Start();
    model.Options.PreventDoubleNumbers = 1;
    std::mt19937 random(2024);

    Row plain{"edit, no automatic marks", {}}, marked{"edit, automatic marks on", {}};
    Row undo{"undo", {}}, redo{"redo", {}}, write{"autosave written (atomic)", {}},
        read{"autosave read and checked", {}};
    for (int puzzle = 0; puzzle < 4; ++puzzle) {
        core.CreatePuzzle(14, 14, puzzle % 3);
        core.RestartPuzzle();
        // Only requests that change the board count: the others return at once.
        auto measure = [&](Row& row, int count) {
            while (static_cast<int>(row.us.size()) < count) {
                const TEditRequest r = RandomEdit(model, random);
                TEditResult result = TEditResult::Unchanged;
                const double us = Time([&] { result = model.ApplyEdit(r); });
                if (result == TEditResult::Applied) row.us.push_back(us);
            }
        };
        measure(plain, (puzzle + 1) * edits / 4);
        TEditRequest on;
        on.Kind = TEditKind::AutoMarks;
        on.Digit = 1;
        model.ApplyEdit(on);
        measure(marked, (puzzle + 1) * edits / 40);
        while (model.CanUndo()) undo.us.push_back(Time([&] { model.UndoEdit(); }));
        while (model.CanRedo()) redo.us.push_back(Time([&] { model.RedoEdit(); }));
        for (int k = 0; k < 50; ++k) {
            write.us.push_back(Time([&] { model.WriteAutosave(); }));
            read.us.push_back(Time([&] { model.LoadAutosave(); }));
        }
    }
    std::printf("\n14 x 14 puzzles, microseconds per operation (edits that changed the board)\n\n");
    std::printf("| %-34s | %7s | %9s | %9s | %9s |\n", "operation", "count", "mean", "median", "p95");
    std::printf("|------------------------------------|---------|-----------|-----------|-----------|\n");
    for (const Row* row : {&plain, &marked, &undo, &redo, &write, &read}) Print(*row);
    std::filesystem::remove_all(folder);
    return 0;
}
