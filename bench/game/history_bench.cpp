// SPDX-License-Identifier: GPL-3.0-or-later
// history-bench: opening the statistics over a full play history (ten thousand
// records read from the file and worked out), and making a day's three daily
// puzzles, as the daily screen does before it shows; and summing up a folder of
// a hundred 14x14 saves, as the Load list does each time it opens.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "framework/core/game.h"
#include "game/core/core.h"
#include "game/core/daily_puzzle.h"
#include "game/core/model.h"
#include "game/core/play_record.h"
#include "game/core/save_game.h"
#include "game/core/statistics.h"
#include "game/store/framework_services.h"

namespace {

std::string FullHistoryFile() {
    std::mt19937 rng(10000);
    std::vector<TPlayRecord> records;
    TCivilDate day{2000, 1, 1};
    for (int i = 0; i < MaxPlayRecords; ++i) {
        TPlayRecord r;
        r.Date = TCivilDate::FromDayNumber(day.DayNumber() + i / 3);
        r.Width = r.Height = std::array{6, 7, 9, 12, 14}[rng() % 5];
        r.Level = static_cast<int>(rng() % 3);
        r.Source = i % 4 == 0 ? DailySource(r.Date) : "seed:" + std::to_string(rng() % 0x7FFFFFFF);
        r.TimeMs = static_cast<int>(60000 + rng() % 3600000);
        r.Reveals = static_cast<int>(rng() % 4);
        r.Finished = rng() % 5 != 0;
        records.push_back(r);
    }
    const std::string path = (std::filesystem::temp_directory_path() / "tallyfold-history-bench.txt").string();
    std::ofstream(path, std::ios::binary) << EncodePlayHistory(records);
    return path;
}

void OpenStatistics(benchmark::State& state) {
    ConnectCoreServices();
    const std::string path = FullHistoryFile();
    for (auto _ : state) {
        TPlayHistory history;
        history.filepath = path;
        history.Load();
        const TStatistics stats = ComputeStatistics(history.Records, {2026, 12, 11});
        benchmark::DoNotOptimize(stats);
        if (history.Records.size() != static_cast<std::size_t>(MaxPlayRecords)) state.SkipWithError("records lost");
    }
    std::filesystem::remove(path);
}
BENCHMARK(OpenStatistics)->Unit(benchmark::kMillisecond);

void DailyPuzzlesOfADay(benchmark::State& state) {
    long long day = TCivilDate{2026, 12, 1}.DayNumber();
    for (auto _ : state) {
        const TCivilDate date = TCivilDate::FromDayNumber(day++);
        for (int level = 0; level < DailyLevels; ++level) {
            TDailyPuzzle puzzle;
            if (!MakeDailyPuzzle(date, level, puzzle)) state.SkipWithError("no daily puzzle");
            benchmark::DoNotOptimize(puzzle);
        }
    }
}
BENCHMARK(DailyPuzzlesOfADay)->Unit(benchmark::kMillisecond)->Iterations(30);

void LoadListOfAHundredSaves(benchmark::State& state) {
    const auto folder = std::filesystem::temp_directory_path() / "tallyfold-saves-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    Game = std::make_shared<TGame>();
    Game->ProfilePath = folder.string() + "/";
    ConnectCoreServices();
    TPuzzleModel model;
    TCore core(model);
    core.Start();
    std::vector<std::string> paths;
    for (int k = 0; k < 100; ++k) {
        if (k % 10 == 0) core.CreatePuzzle(14, 14, k % 3);
        const std::string name = "save" + std::to_string(k);
        if (model.SaveGameNamed(name) != 1) state.SkipWithError("not saved");
        paths.push_back(Game->ProfilePath + name + ".dat");
    }
    for (auto _ : state) {
        int readable = 0;
        for (const auto& path : paths) {
            std::string reason;
            readable += SummariseSaveGame(path, reason) ? 1 : 0;
        }
        if (readable != 100) state.SkipWithError("a save did not read");
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(LoadListOfAHundredSaves)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
