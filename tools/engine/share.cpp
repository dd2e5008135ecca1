// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that pass puzzles on: codes, the puzzles of the day, pictures and
// booklets.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tallyfold/engine/Daily.h"
#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/engine/PuzzleCode.h"
#include "tallyfold/engine/PuzzleFile.h"
#include "tallyfold/engine/Quality.h"
#include "tallyfold/print/PuzzlePrint.h"
#include "tool.h"

namespace tool {

// code ROWS COLUMNS LEVEL SEED, or the code of a puzzle read.
int Code(std::vector<std::string_view> args, std::istream& standardInput) {
    unsigned rows = 0;
    if (args.empty() || !ParseNumber(args[0], rows)) return Solve(args, standardInput, Command::Code);
    if (args.size() != 4) return UsageError("code takes ROWS COLUMNS LEVEL SEED, or a puzzle FILE");
    unsigned columns = 0, level = 0;
    std::uint32_t seed = 0;
    if (!GameSize(rows)) return UsageError("ROWS must be 6, 7, 9, 12 or 14, not " + Quoted(args[0]));
    if (!ParseNumber(args[1], columns) || columns != rows)
        return UsageError("COLUMNS must equal ROWS (" + std::to_string(rows) + "), not " + Quoted(args[1]));
    if (!ParseNumber(args[2], level) || level < 1 || level > 3)
        return UsageError("LEVEL must be 1 (easy), 2 (medium) or 3 (hard), not " + Quoted(args[2]));
    if (!ParseNumber(args[3], seed))
        return UsageError("SEED must be a whole number from 0 to 4294967295, not " + Quoted(args[3]));
    std::cout << engine::GeneratedPuzzleCode({engine::kGeneratorVersion, rows, columns, static_cast<int>(level), seed})
              << '\n';
    return 0;
}

// Prints one opened or daily puzzle in the generate format; false when none was made.
bool PrintOpened(std::string_view code, Format format, bool withCode, std::string& error) {
    const auto start = std::chrono::steady_clock::now();
    engine::Puzzle puzzle;
    engine::DecodedPuzzleCode decoded;
    int tier = 0;
    std::ostringstream notes;
    engine::RedirectDiagnostics(nullptr, &notes);
    const bool opened = engine::OpenPuzzleCode(code, puzzle, error, &decoded, &tier);
    engine::RedirectDiagnostics(nullptr, nullptr);
    if (!opened) return false;
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const engine::PuzzleMetrics metrics = MeasureSolved(puzzle);
    std::cout << InfoPrefix(format) << "ms " << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()
              << '\n';
    std::cout << InfoPrefix(format) << "tier " << (decoded.generated ? tier : metrics.tier) << '\n';
    std::string shown;
    if (withCode) {
        shown = decoded.generated ? engine::GeneratedPuzzleCode(decoded.id) : engine::CluesPuzzleCode(puzzle);
    }
    PrintPuzzleBlock(puzzle, engine::DifficultyScore(metrics), shown, format);
    std::cout << '\n';
    return true;
}

int Open(std::vector<std::string_view> args) {
    Format format = Format::Grid;
    if (std::string error = TakeFormat(args, true, format); !error.empty()) return UsageError(error);
    const bool withCode = TakeFlag(args, "--code");
    if (args.empty()) return UsageError("open needs a CODE");
    std::string code;
    for (std::string_view part : args) {
        if (part.size() > 1 && part[0] == '-' && part[1] == '-')
            return UsageError("unknown option " + Quoted(part) + " for open");
        code += part;
    }
    std::string error;
    if (!PrintOpened(code, format, withCode, error)) {
        std::cerr << "tallyfold-engine: " << error << '\n';
        return 2;
    }
    return 0;
}

// YYYY-MM-DD, nothing else.
bool ParseDate(std::string_view text, int& year, int& month, int& day) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    year = std::stoi(std::string(text.substr(0, 4)));
    month = std::stoi(std::string(text.substr(5, 2)));
    day = std::stoi(std::string(text.substr(8, 2)));
    return engine::ValidDate(year, month, day);
}

int Daily(std::vector<std::string_view> args) {
    Format format = Format::Grid;
    if (std::string error = TakeFormat(args, true, format); !error.empty()) return UsageError(error);
    const bool withCode = TakeFlag(args, "--code");
    if (args.size() != 1) return UsageError("daily takes one date, YYYY-MM-DD");
    int year = 0, month = 0, day = 0;
    if (!ParseDate(args[0], year, month, day)) {
        return UsageError(Quoted(args[0]) + " is not a date of the form YYYY-MM-DD from 0001-01-01 to 9999-12-31");
    }
    bool all = true;
    for (int level = 1; level <= 3; ++level) {
        const auto start = std::chrono::steady_clock::now();
        engine::DailyResult daily;
        const bool made = engine::DailyPuzzle(year, month, day, level, daily);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        std::cout << InfoPrefix(format) << "ms "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() << '\n';
        engine::Puzzle puzzle;
        if (!made || !engine::PuzzleFromSolution(daily.id.rows, daily.id.columns, daily.cells, puzzle)) {
            std::cout << "failed\n\n";
            all = false;
            continue;
        }
        std::cout << "tier " << daily.tier << '\n';
        PrintPuzzleBlock(puzzle, engine::DifficultyScore(MeasureSolved(puzzle)),
                         withCode ? engine::GeneratedPuzzleCode(daily.id) : std::string(), format);
        std::cout << '\n';
    }
    return all ? 0 : 1;
}

const char* LevelName(int level) { return level == 1 ? "Easy" : level == 2 ? "Medium" : "Hard"; }

// A generated puzzle with what is printed beside it; false when none was made.
bool MakePrinted(const engine::GeneratedPuzzleId& id, print::PrintedPuzzle& printed) {
    std::vector<std::uint8_t> cells;
    if (!engine::GenerateFromId(id, cells) || !engine::PuzzleFromSolution(id.rows, id.columns, cells, printed.puzzle)) {
        return false;
    }
    printed.code = engine::GeneratedPuzzleCode(id);
    printed.stars =
        engine::DifficultyStars(engine::DifficultyScore(MeasureSolved(printed.puzzle)), id.rows, id.columns, id.level);
    printed.caption = LevelName(id.level);
    return true;
}

// Options of the form "--name VALUE" (and "-o FILE"), each at most once.
std::string TakeOptions(std::vector<std::string_view>& args, const std::vector<std::string_view>& names,
                        std::map<std::string_view, std::string_view>& values, const char* command) {
    for (std::size_t i = 0; i < args.size();) {
        const std::string_view name = args[i];
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            if (name.size() > 1 && name[0] == '-') return "unknown option " + Quoted(name) + " for " + command;
            ++i;
            continue;
        }
        if (i + 1 >= args.size()) return std::string(name) + " needs a value";
        if (values.count(name)) return std::string(name) + " given twice";
        values[name] = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    }
    return {};
}

int Book(std::vector<std::string_view> args) {
    std::map<std::string_view, std::string_view> values;
    if (std::string error = TakeOptions(args, {"--size", "--level", "--count", "--seed", "--paper", "--per-page", "-o"},
                                        values, "book");
        !error.empty()) {
        return UsageError(error);
    }
    if (!args.empty()) return UsageError("book takes options only, not " + Quoted(args[0]));
    for (std::string_view needed : {"--size", "--level", "--count", "--seed", "-o"}) {
        if (!values.count(needed)) return UsageError("book needs " + std::string(needed));
    }
    unsigned size = 0, level = 0, count = 0;
    std::uint32_t seed = 0;
    if (!ParseNumber(values["--size"], size) || !GameSize(size))
        return UsageError("--size must be 6, 7, 9, 12 or 14, not " + Quoted(values["--size"]));
    if (!ParseNumber(values["--level"], level) || level < 1 || level > 3)
        return UsageError("--level must be 1 (easy), 2 (medium) or 3 (hard), not " + Quoted(values["--level"]));
    if (!ParseNumber(values["--count"], count) || count < 1 || count > 1000)
        return UsageError("--count must be a whole number from 1 to 1000, not " + Quoted(values["--count"]));
    if (!ParseNumber(values["--seed"], seed))
        return UsageError("--seed takes a whole number from 0 to 4294967295, not " + Quoted(values["--seed"]));
    print::BookletLayout layout;
    if (values.count("--paper")) {
        const std::string_view paper = values["--paper"];
        if (paper != "a4" && paper != "letter") return UsageError("--paper takes a4 or letter, not " + Quoted(paper));
        layout.paper = paper == "a4" ? print::Paper::kA4 : print::Paper::kLetter;
    }
    if (values.count("--per-page")) {
        const std::string_view per = values["--per-page"];
        if (per != "2" && per != "4") return UsageError("--per-page takes 2 or 4, not " + Quoted(per));
        layout.perPage = per == "2" ? 2 : 4;
    }
    layout.title =
        "Tallyfold: " + std::to_string(size) + " x " + std::to_string(size) + ", " + LevelName(static_cast<int>(level));

    // Each puzzle depends on its seed alone, so two workers make the same booklet as one.
    std::vector<print::PrintedPuzzle> puzzles(count);
    std::vector<char> made(count, 0);
    engine::BuildCombinations();
    const auto work = [&](unsigned first, unsigned step) {
        for (unsigned k = first; k < count; k += step) {
            made[k] = MakePrinted(
                {engine::kGeneratorVersion, size, size, static_cast<int>(level), static_cast<std::uint32_t>(seed + k)},
                puzzles[k]);
        }
    };
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers; ++w) threads.emplace_back(work, w, workers);
    work(0, workers);
    for (std::thread& thread : threads) thread.join();
    for (unsigned k = 0; k < count; ++k) {
        if (!made[k]) {
            std::cerr << "tallyfold-engine: no puzzle was made for seed " << static_cast<std::uint32_t>(seed + k)
                      << '\n';
            return 1;
        }
    }
    std::string error;
    const bool written = print::WriteBooklet(puzzles, layout, std::string(values["-o"]), error);
    print::ReleasePrintResources();
    if (!written) {
        std::cerr << "tallyfold-engine: " << error << '\n';
        return 1;
    }
    return 0;
}

int Picture(std::vector<std::string_view> args, std::istream& standardInput) {
    const bool solution = TakeFlag(args, "--solution");
    std::map<std::string_view, std::string_view> values;
    if (std::string error = TakeOptions(args, {"-o", "--puzzle"}, values, "picture"); !error.empty()) {
        return UsageError(error);
    }
    if (!values.count("-o")) return UsageError("picture needs -o FILE.png or -o FILE.svg");
    print::PrintedPuzzle printed;
    std::string error;
    if (values.count("--puzzle")) {
        if (!args.empty()) return UsageError("picture takes a CODE or --puzzle FILE, not both");
        std::string input;
        if (const int status = ReadInput({values["--puzzle"]}, standardInput, input); status != 0) return status;
        std::vector<engine::SourcePosition> positions;
        engine::TBoard board;
        if (DetectFormat(input) == Format::Text) {
            if (!engine::ParsePuzzleText(input, printed.puzzle, positions, error)) {
                std::cerr << "tallyfold-engine: " << error << '\n';
                return 2;
            }
        } else {
            if (const int status = ParseDescriptionInput(input, board); status != 0) return status;
            printed.puzzle = engine::PuzzleFromBoard(board);
        }
        if (engine::CheckPuzzle(printed.puzzle, error, positions.empty() ? nullptr : &positions) !=
            engine::PuzzleCheck::kUnique) {
            std::cerr << "tallyfold-engine: " << error << '\n';
            return 1;
        }
        printed.code = engine::CluesPuzzleCode(printed.puzzle);
    } else {
        if (args.empty()) return UsageError("picture needs a CODE or --puzzle FILE");
        std::string code;
        for (std::string_view part : args) code += part;
        engine::DecodedPuzzleCode decoded;
        std::ostringstream notes;
        engine::RedirectDiagnostics(nullptr, &notes);
        const bool opened = engine::OpenPuzzleCode(code, printed.puzzle, error, &decoded);
        engine::RedirectDiagnostics(nullptr, nullptr);
        if (!opened) {
            std::cerr << "tallyfold-engine: " << error << '\n';
            return 2;
        }
        printed.code =
            decoded.generated ? engine::GeneratedPuzzleCode(decoded.id) : engine::CluesPuzzleCode(printed.puzzle);
    }
    const bool written = print::WritePuzzlePicture(printed, solution, std::string(values["-o"]), error);
    print::ReleasePrintResources();
    if (!written) {
        std::cerr << "tallyfold-engine: " << error << '\n';
        return 1;
    }
    return 0;
}

}  // namespace tool
