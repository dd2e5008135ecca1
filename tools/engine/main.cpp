// SPDX-License-Identifier: GPL-3.0-or-later
// tallyfold-engine: generates puzzles and solves typed-in descriptions from the command
// line. Its output format is read by other programs; keep it stable.
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Daily.h"
#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/engine/DigitFiller.h"
#include "tallyfold/engine/Engine.h"
#include "tallyfold/engine/Explainer.h"
#include "tallyfold/engine/LogicSolver.h"
#include "tallyfold/engine/PuzzleCode.h"
#include "tallyfold/engine/PuzzleFile.h"
#include "tallyfold/engine/Quality.h"
#include "tool.h"

namespace tool {

constexpr const char* kUsage =
    "usage: tallyfold-engine generate ROWS COLUMNS LEVEL [--count N] [--seed S] "
    "[--time-limit SECONDS] [--format F] [--code] [--debug] [--stats]\n"
    "       tallyfold-engine solve [--format F] [FILE]\n"
    "       tallyfold-engine rate [--format F] [FILE]\n"
    "       tallyfold-engine explain [--grouped] [--format F] [FILE]\n"
    "       tallyfold-engine check [--format F] [FILE]\n"
    "       tallyfold-engine code ROWS COLUMNS LEVEL SEED\n"
    "       tallyfold-engine code [--format F] [FILE]\n"
    "       tallyfold-engine open [--format F] [--code] CODE\n"
    "       tallyfold-engine daily [--format F] [--code] YYYY-MM-DD\n"
    "       tallyfold-engine book --size S --level L --count N --seed X [--paper a4|letter]\n"
    "                        [--per-page 2|4] -o FILE.pdf\n"
    "       tallyfold-engine picture [--solution] -o FILE (CODE | --puzzle FILE)\n"
    "       tallyfold-engine --help | --version\n"
    "\n"
    "generate  makes N puzzles (default 1) of the size and level (1 easy, 2 medium,\n"
    "          3 hard), graded as rate does; with --seed, puzzle k uses seed S + k.\n"
    "          Sizes are the game's: 6, 7, 9, 12 or 14, the same both ways.\n"
    "          Each puzzle prints \"ms <milliseconds>\", \"tier <1-3>\", \"score <S>\",\n"
    "          the grid (digits, # for black) and an empty line, or \"failed\" instead\n"
    "          of tier, score and grid. --code adds \"code <CODE>\" after the score.\n"
    "          --format text prints the puzzle file (clues and solution digits, the\n"
    "          lines above as \"; \" comments, so one puzzle's output opens as a file) and\n"
    "          --format description the engine description instead of the grid.\n"
    "          --stats then prints what the puzzles made\n"
    "          hold: run shapes, give-away clues, layout repeats and deductions.\n"
    "          Time limit 5 s per puzzle; --time-limit takes fractions, 0 for none.\n"
    "          --debug also writes the layout generator's notes and dumps.\n"
    "solve     reads a puzzle (at most 1 MiB) from FILE or standard input: a\n"
    "          description (dimensions line, unfillable cells line, record count,\n"
    "          records) or a puzzle file (see tallyfold-puzzle(5)); --format text or\n"
    "          --format description says which, else the input's first line tells.\n"
    "          Prints \"solutions: N\" (2 meaning two or more) and the first solution\n"
    "          (a puzzle file's as a puzzle file with digits); for a clue no digits\n"
    "          make, \"solutions: 0\" and the clue's row and column.\n"
    "rate      reads a puzzle as solve does and prints \"tier: <1-4>\", the lowest\n"
    "          tier of reasoning that fills every cell (1 run combinations, 2 exact runs,\n"
    "          3 one-step trials, 4 none of them), \"score: <S>\" (the same order of\n"
    "          difficulty, finer: tier 2 starts at 100, tier 3 at 200), and how many\n"
    "          cells each tier fills.\n"
    "explain   reads a puzzle as solve does and prints its solving path, one\n"
    "          deduction a line, lowest tier first: \"place ROW COL DIGIT tier T: NAME:\n"
    "          SENTENCE\" or \"remove ROW COL DIGITS tier T: NAME: SENTENCE\" (rows and\n"
    "          columns from 0; the sentence counts them from 1, as a player does), then\n"
    "          \"solved\", or \"stuck\" where only guessing goes on.\n"
    "          NAME is the technique: single cell left, unique combination,\n"
    "          combination elimination, cross-reference, placed digit (tier 1);\n"
    "          subset, exact run (tier 2); area sum, trial (tier 3).\n"
    "          --grouped prints the hints the game gives instead: a placement first\n"
    "          where the lowest tier with a step has one, steps that belong together\n"
    "          as one hint, each hint's lines followed by an empty line.\n"
    "check     reads a puzzle as solve does and checks it as the game checks a puzzle\n"
    "          it opens: \"ok\" when it has exactly one solution (status 0), else one\n"
    "          line naming the first cell concerned (status 1).\n"
    "code      prints the code of the generated puzzle of a size, level and seed (as\n"
    "          generate --seed makes it), or of a puzzle read as solve does, which\n"
    "          must have exactly one solution.\n"
    "open      prints the puzzle of a code as generate prints its puzzles. Blanks\n"
    "          and dashes in the code do not matter, nor does case.\n"
    "daily     prints the three puzzles of the day of a date as generate does:\n"
    "          9x9 easy, 12x12 medium, 14x14 hard, the same in every copy.\n"
    "book      writes a PDF booklet of N puzzles of the size and level, seeds X,\n"
    "          X + 1, ..., two (default) or four a page on A4 (default) or Letter,\n"
    "          each with its code and grade, and the solutions at the end.\n"
    "picture   writes the puzzle of a code, or of a puzzle read as solve does, as\n"
    "          a print picture at 1 cm a cell with its code under it: PNG at 300 dpi\n"
    "          or SVG, as FILE's name ends; --solution draws the digits too.\n";

constexpr const char* kCommands = "generate, solve, rate, explain, check, code, open, daily, book and picture";

int UsageError(const std::string& what) {
    std::cerr << "tallyfold-engine: " << what << "\nTry 'tallyfold-engine --help' for more information.\n";
    return 2;
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// The board sizes the game offers; anything else is not a puzzle a player would get.
bool GameSize(unsigned n) { return n == 6 || n == 7 || n == 9 || n == 12 || n == 14; }

// Seconds as a plain decimal number ("2", "0.25"); no sign, exponent, inf or nan.
bool ParseSeconds(std::string_view text, double& seconds) {
    if (text.empty() || text.size() > 12) return false;
    bool point = false, digits = false;
    for (char ch : text) {
        if (ch == '.' && !point) {
            point = true;
        } else if (ch >= '0' && ch <= '9') {
            digits = true;
        } else {
            return false;
        }
    }
    if (!digits) return false;
    seconds = std::strtod(std::string(text).c_str(), nullptr);
    return seconds >= 0 && seconds <= 1e6;
}

// A 100 x 100 description is far below this; a larger input is not one.
constexpr std::size_t kMaxInput = std::size_t{1} << 20;

// Reads at most kMaxInput bytes; false when the stream holds more.
bool ReadLimited(std::istream& in, std::string& text) {
    text.assign(kMaxInput + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text.size() <= kMaxInput;
}

void PrintGrid(unsigned rows, unsigned columns, const std::uint8_t* cells) {
    std::string line;
    for (unsigned r = 0; r < rows; ++r) {
        line.clear();
        for (unsigned c = 0; c < columns; ++c) {
            if (c) line += ' ';
            std::uint8_t cell = cells[r * columns + c];
            line += (cell >= 1 && cell <= 9) ? static_cast<char>('0' + cell) : '#';
        }
        std::cout << line << '\n';
    }
}

// `printing` admits the grid, which is output only; reading admits nothing else either.
bool ParseFormat(std::string_view value, bool printing, Format& format) {
    if (value == "text") {
        format = Format::Text;
    } else if (value == "description") {
        format = Format::Description;
    } else if (printing && value == "grid") {
        format = Format::Grid;
    } else {
        return false;
    }
    return true;
}

std::string FormatChoices(bool printing) { return printing ? "grid, text or description" : "text or description"; }

// Takes "--format F" (and, where allowed, a lone flag) out of args; "" when fine,
// else the usage error.
std::string TakeFormat(std::vector<std::string_view>& args, bool printing, Format& format) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--format") continue;
        if (i + 1 >= args.size()) return "--format needs a value: " + FormatChoices(printing);
        if (!ParseFormat(args[i + 1], printing, format)) {
            return "--format takes " + FormatChoices(printing) + ", not " + Quoted(args[i + 1]);
        }
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return {};
}

bool TakeFlag(std::vector<std::string_view>& args, std::string_view flag) {
    const auto at = std::remove(args.begin(), args.end(), flag);
    const bool found = at != args.end();
    args.erase(at, args.end());
    return found;
}

// The block of a made puzzle in the generate format: everything from "score" on.
void PrintPuzzleBlock(const engine::Puzzle& puzzle, double score, const std::string& code, Format format) {
    std::cout << InfoPrefix(format) << "score " << score << '\n';
    if (!code.empty()) std::cout << InfoPrefix(format) << "code " << code << '\n';
    if (format == Format::Text) {
        std::cout << engine::WritePuzzleText(puzzle, true);
    } else if (format == Format::Description) {
        std::cout << engine::WriteDescription(puzzle);
    } else {
        std::vector<std::uint8_t> cells(puzzle.cells.size());
        for (std::size_t i = 0; i < cells.size(); ++i) {
            cells[i] = puzzle.cells[i] < 0 ? 0xFF : static_cast<std::uint8_t>(puzzle.cells[i]);
        }
        PrintGrid(puzzle.rows, puzzle.columns, cells.data());
    }
}

// Difficulty measures of a solved puzzle, as generate prints them.
engine::PuzzleMetrics MeasureSolved(const engine::Puzzle& puzzle) {
    std::vector<int> digits(puzzle.cells.begin(), puzzle.cells.end());
    engine::TBoard board;
    engine::BoardFromDigits(digits, puzzle.rows, puzzle.columns, board);
    return engine::MeasurePuzzle(board);
}

// The measures of the puzzles that `generate --stats` made, for anyone checking the
// generator against what players expect.
struct Stats {
    int puzzles = 0;
    int runs = 0;
    int twoCellRuns = 0;
    int longRuns = 0;
    int singleCombinationClues = 0;
    std::map<std::string, int> layouts;
    std::vector<int> trials;
    std::vector<double> scores;
    std::array<int, 5> tiers{};

    void Add(const engine::TBoard& board, const engine::PuzzleMetrics& m, double score) {
        ++puzzles;
        runs += m.runs;
        twoCellRuns += m.twoCellRuns;
        longRuns += m.longRuns;
        singleCombinationClues += m.singleCombinationClues;
        ++layouts[engine::LayoutKey(board)];
        trials.push_back(m.deductions[3]);
        scores.push_back(score);
        ++tiers[static_cast<std::size_t>(std::clamp(m.tier, 1, 4))];
    }

    void Print(unsigned rows, unsigned columns, unsigned level) const {
        auto percent = [](int part, int whole) { return whole ? 100.0 * part / whole : 0.0; };
        auto median = [](auto values) {
            std::sort(values.begin(), values.end());
            return values.empty() ? 0.0 : static_cast<double>(values[values.size() / 2]);
        };
        int common = 0;
        for (const auto& [key, count] : layouts) common = std::max(common, count);
        char line[160];
        std::cout << "stats: " << puzzles << " puzzles, " << rows << "x" << columns << ", level " << level << '\n';
        std::snprintf(line, sizeof line, "%-44s %8.0f %%\n", "two-cell runs among all runs",
                      percent(twoCellRuns, runs));
        std::cout << line;
        std::snprintf(line, sizeof line, "%-44s %8.1f\n", "runs of 7 or more cells per puzzle",
                      puzzles ? static_cast<double>(longRuns) / puzzles : 0.0);
        std::cout << line;
        std::snprintf(line, sizeof line, "%-44s %8.0f %%\n", "clues with a single combination",
                      percent(singleCombinationClues, runs));
        std::cout << line;
        std::snprintf(line, sizeof line, "%-44s %8.0f %%\n", "the most common layout's share",
                      percent(common, puzzles));
        std::cout << line;
        std::snprintf(line, sizeof line, "%-44s %8zu\n", "different layouts", layouts.size());
        std::cout << line;
        std::snprintf(line, sizeof line, "%-44s %8.0f\n", "tier 3 deductions per puzzle (median)", median(trials));
        std::cout << line;
        std::snprintf(line, sizeof line, "%-44s %8.1f\n", "score (median)", median(scores));
        std::cout << line;
        std::snprintf(line, sizeof line, "%-44s %2d/%d/%d/%d\n", "puzzles of tier 1/2/3/4", tiers[1], tiers[2],
                      tiers[3], tiers[4]);
        std::cout << line;
    }
};

int Generate(std::vector<std::string_view> args) {
    if (args.size() < 3) return UsageError("generate needs ROWS COLUMNS LEVEL");
    unsigned rows = 0, columns = 0, level = 0;
    if (!ParseNumber(args[0], rows) || !GameSize(rows))
        return UsageError("ROWS must be 6, 7, 9, 12 or 14, not " + Quoted(args[0]));
    if (!ParseNumber(args[1], columns) || columns != rows)
        return UsageError("COLUMNS must equal ROWS (" + std::to_string(rows) + "), not " + Quoted(args[1]));
    if (!ParseNumber(args[2], level) || level < 1 || level > 3)
        return UsageError("LEVEL must be 1 (easy), 2 (medium) or 3 (hard), not " + Quoted(args[2]));
    unsigned count = 1;
    double timeLimit = 5;
    std::optional<std::uint32_t> seed;
    bool withStats = false;
    Format format = Format::Grid;
    std::vector<std::string_view> options(args.begin() + 3, args.end());
    if (std::string error = TakeFormat(options, true, format); !error.empty()) return UsageError(error);
    const bool withCode = TakeFlag(options, "--code");
    args.resize(3);
    args.insert(args.end(), options.begin(), options.end());
    for (std::size_t i = 3; i < args.size(); i += 2) {
        if (args[i] == "--debug") {
            engine::EnableDebugDiagnostics(true);
            --i;
            continue;
        }
        if (args[i] == "--stats") {
            withStats = true;
            --i;
            continue;
        }
        std::string_view option = args[i];
        const char* allowed = nullptr;
        if (option == "--count") {
            allowed = "a whole number";
        } else if (option == "--seed") {
            allowed = "a whole number from 0 to 4294967295";
        } else if (option == "--time-limit") {
            allowed = "seconds as a plain decimal number from 0 to 1000000";
        } else {
            return UsageError("unknown option " + Quoted(option) + " for generate");
        }
        if (i + 1 >= args.size()) return UsageError(std::string(option) + " needs a value: " + allowed);
        std::string_view value = args[i + 1];
        bool ok = false;
        if (option == "--count") {
            ok = ParseNumber(value, count);
        } else if (option == "--seed") {
            std::uint32_t s = 0;
            ok = ParseNumber(value, s);
            seed = s;
        } else {
            ok = ParseSeconds(value, timeLimit);
        }
        if (!ok) return UsageError(std::string(option) + " takes " + allowed + ", not " + Quoted(value));
    }

    std::vector<std::uint8_t> result(static_cast<std::size_t>(rows) * columns, 0);
    bool allMade = true;
    Stats stats;
    engine::TBoard board;
    std::vector<int> digits(result.size());
    for (unsigned k = 0; k < count; ++k) {
        std::optional<std::uint32_t> puzzleSeed;
        if (seed) puzzleSeed = *seed + k;
        const auto start = std::chrono::steady_clock::now();
        int tier = 0;
        const bool made =
            engine::GenerateLevelPuzzle(rows, columns, static_cast<int>(level), timeLimit, result, puzzleSeed, &tier);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        std::cout << InfoPrefix(format) << "ms "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() << '\n';
        if (made) {
            for (std::size_t i = 0; i < result.size(); ++i) digits[i] = result[i] == 0xFF ? -1 : result[i];
            engine::BoardFromDigits(digits, rows, columns, board);
            const engine::PuzzleMetrics metrics = engine::MeasurePuzzle(board);
            const double score = engine::DifficultyScore(metrics);
            stats.Add(board, metrics, score);
            std::cout << InfoPrefix(format) << "tier " << tier << '\n';
            engine::Puzzle puzzle;
            engine::PuzzleFromSolution(rows, columns, result, puzzle);
            std::string code;
            if (withCode && puzzleSeed) {
                code = engine::GeneratedPuzzleCode(
                    {engine::kGeneratorVersion, rows, columns, static_cast<int>(level), *puzzleSeed});
            } else if (withCode) {
                code = engine::CluesPuzzleCode(puzzle);
            }
            PrintPuzzleBlock(puzzle, score, code, format);
        } else {
            std::cout << "failed\n";
            allMade = false;
        }
        std::cout << '\n';
        // Nobody reads what is made after the output failed.
        if (!std::cout.flush()) return 1;
    }
    if (withStats) stats.Print(rows, columns, level);
    return allMade ? 0 : 1;
}

std::string_view NextLine(std::string_view& text, bool& present) {
    present = !text.empty();
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// What `rate` prints for a parsed description.
int Rate(const engine::TBoard& board) {
    const engine::PuzzleGrade grade = engine::GradePuzzle(board);
    std::cout << "tier: " << grade.tier << '\n';
    std::cout << "score: " << engine::DifficultyScore(engine::MeasurePuzzle(board)) << '\n';
    for (int tier = engine::kTierCombinations; tier <= engine::kTierTrials; ++tier) {
        std::cout << "filled by tier " << tier << ": " << grade.filled[static_cast<std::size_t>(tier)] << '\n';
    }
    std::cout << "left open: " << grade.unfilled << '\n';
    if (grade.contradiction) std::cout << "the clues allow no solution\n";
    return 0;
}

std::string ExplainLine(const engine::TBoard& board, const engine::Explanation& step) {
    const unsigned row = step.cell / board.columns, column = step.cell % board.columns;
    std::string line = step.kind == engine::ExplainKind::Place ? "place " : "remove ";
    line += std::to_string(row) + ' ' + std::to_string(column) + ' ';
    if (step.kind == engine::ExplainKind::Place) {
        line += std::to_string(step.digit);
    } else {
        for (int d = 1; d <= 9; ++d) {
            if (step.removed >> d & 1) line += static_cast<char>('0' + d);
        }
    }
    line += " tier " + std::to_string(step.tier) + ": " + engine::TechniqueName(step.technique) + ": " +
            engine::ExplainSentence(step, board);
    return line;
}

// What `explain` prints for a parsed description: one deduction a line, or with
// `grouped` the hints the game gives, an empty line after each.
int Explain(const engine::TBoard& board, bool grouped) {
    engine::Explainer explainer(board);
    if (grouped) {
        engine::Hint hint;
        while (explainer.NextGroup(engine::kTierTrials, hint)) {
            for (const engine::Explanation& step : hint.steps) std::cout << ExplainLine(board, step) << '\n';
            std::cout << '\n';
        }
    } else {
        engine::Explanation step;
        while (explainer.Next(engine::kTierTrials, step)) std::cout << ExplainLine(board, step) << '\n';
    }
    std::cout << (explainer.Filled() ? "solved" : "stuck") << '\n';
    if (explainer.Contradiction()) std::cerr << "tallyfold-engine: the clues allow no solution\n";
    return 0;
}

const char* CommandName(Command command) {
    switch (command) {
        case Command::Solve:
            return "solve";
        case Command::Rate:
            return "rate";
        case Command::Explain:
            return "explain";
        case Command::Check:
            return "check";
        case Command::Code:
            return "code";
    }
    return "";
}

// Reads FILE, or the standard input for none or "-": 0, or the exit status after the
// message.
int ReadInput(const std::vector<std::string_view>& args, std::istream& standardInput, std::string& input) {
    bool withinLimit = false;
    if (args.empty() || args[0] == "-") {
        withinLimit = ReadLimited(standardInput, input);
        if (standardInput.bad()) {
            std::cerr << "tallyfold-engine: cannot read the standard input\n";
            return 2;
        }
    } else {
        const std::string path(args[0]);
        // A folder opens as a stream on Linux and then reads as nothing, which would be
        // reported as a description missing its lines.
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            std::cerr << "tallyfold-engine: " << path << " is a folder, not a puzzle\n";
            return 2;
        }
        std::ifstream file{path, std::ios::binary};
        if (!file) {
            const int reason = errno;
            std::cerr << "tallyfold-engine: cannot read " << path;
            if (reason != 0) std::cerr << ": " << std::strerror(reason);
            std::cerr << "\n";
            return 2;
        }
        withinLimit = ReadLimited(file, input);
        if (file.bad()) {
            std::cerr << "tallyfold-engine: cannot read " << path << "\n";
            return 2;
        }
    }
    if (!withinLimit) {
        std::cerr << "tallyfold-engine: input larger than 1 MiB is not a puzzle\n";
        return 2;
    }
    return 0;
}

// A description holds numbers only; a puzzle file's first row holds # or a clue cell.
Format DetectFormat(std::string_view input) {
    bool present = false;
    while (!input.empty()) {
        std::string_view line = NextLine(input, present);
        line = line.substr(0, line.find(';'));
        if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
        return line.find_first_of("#\\.") != std::string_view::npos ? Format::Text : Format::Description;
    }
    return Format::Description;
}

// The board of a description text: 0, or the exit status after the message.
int ParseDescriptionInput(std::string_view rest, engine::TBoard& board) {
    bool present = false;
    const std::string_view dimensions = NextLine(rest, present);
    const std::string_view unfillable = NextLine(rest, present);
    const std::string_view countLine = NextLine(rest, present);
    std::istringstream countStream{std::string(countLine)};
    long long records = 0;
    std::string trailing;
    if (!present || !(countStream >> records) || (countStream >> trailing) || records < 0 || records > 1'000'000) {
        std::cerr << "tallyfold-engine: line 3 must hold the number of constraint records\n";
        return 2;
    }
    std::ostringstream parseErrors;
    engine::RedirectDiagnostics(nullptr, &parseErrors);
    const bool parsed = engine::ParseDescription(dimensions, unfillable, rest, static_cast<int>(records), board);
    engine::RedirectDiagnostics(nullptr, nullptr);
    std::string message = parseErrors.str();
    // One of the engine's messages comes without a line end; a terminal wants one.
    if (!message.empty() && message.back() != '\n') message += '\n';
    std::cerr << message;
    return parsed ? 0 : 2;
}

int Solve(std::vector<std::string_view> args, std::istream& standardInput, Command command) {
    const bool grouped = command == Command::Explain && TakeFlag(args, "--grouped");
    Format format = Format::Auto;
    if (std::string error = TakeFormat(args, false, format); !error.empty()) return UsageError(error);
    if (args.size() > 1) {
        return UsageError(std::string(CommandName(command)) + " takes at most one FILE, not also " + Quoted(args[1]));
    }
    std::string input;
    if (const int status = ReadInput(args, standardInput, input); status != 0) return status;
    if (format == Format::Auto) format = DetectFormat(input);

    engine::BuildCombinations();
    engine::TBoard board;
    engine::Puzzle puzzle;
    std::vector<engine::SourcePosition> positions;
    if (format == Format::Text) {
        std::string error;
        if (!engine::ParsePuzzleText(input, puzzle, positions, error)) {
            std::cerr << "tallyfold-engine: " << error << '\n';
            return 2;
        }
        if (command != Command::Check && command != Command::Code &&
            !engine::BoardFromPuzzle(puzzle, board, error, &positions)) {
            std::cerr << "tallyfold-engine: " << error << '\n';
            return 2;
        }
    } else {
        if (const int status = ParseDescriptionInput(input, board); status != 0) return status;
        puzzle = engine::PuzzleFromBoard(board);
        // Runs in a description always reach the next black cell or the edge, so the
        // grid holds it whole.
    }
    if (command == Command::Check || command == Command::Code) {
        std::string message;
        const engine::PuzzleCheck check =
            engine::CheckPuzzle(puzzle, message, format == Format::Text ? &positions : nullptr);
        if (check != engine::PuzzleCheck::kUnique) {
            if (command == Command::Check) {
                std::cout << message << '\n';
            } else {
                std::cerr << "tallyfold-engine: no code for a puzzle without exactly one solution: " << message << '\n';
            }
            return check == engine::PuzzleCheck::kInvalid && command == Command::Code ? 2 : 1;
        }
        std::cout << (command == Command::Check ? std::string("ok") : engine::CluesPuzzleCode(puzzle)) << '\n';
        return 0;
    }
    if (command == Command::Rate) return Rate(board);
    if (command == Command::Explain) return Explain(board, grouped);
    engine::ImpossibleClue impossible;
    if (engine::FindImpossibleClue(board, impossible)) {
        // Counting would only say "none"; the player wants to know which clue is wrong.
        std::cout << "solutions: 0\n";
        std::cout << "impossible " << (impossible.direction == engine::kDown ? "down" : "across") << " clue at row "
                  << impossible.cell / board.columns << ", column " << impossible.cell % board.columns << ": ";
        if (impossible.length == 0) {
            std::cout << impossible.sum << " over no cells\n";
        } else {
            std::cout << "no " << impossible.length << " different digits add up to " << impossible.sum << '\n';
        }
        return 0;
    }
    int count = 0;
    engine::TBoard stored;
    if (!engine::CountSolutions(board, count, true, &stored)) {
        std::cerr << "tallyfold-engine: search limit reached before the solutions could be "
                     "counted\n";
        return 1;
    }
    std::cout << "solutions: " << count << '\n';
    if (count > 0 && format == Format::Text) {
        for (unsigned i = 0; i < stored.cellCount; ++i) {
            if (puzzle.cells[i] != engine::kBlack) puzzle.cells[i] = stored.cells[i];
        }
        std::cout << engine::WritePuzzleText(puzzle, true);
    } else if (count > 0) {
        std::vector<std::uint8_t> cells(stored.cellCount);
        for (unsigned i = 0; i < stored.cellCount; ++i) {
            cells[i] = static_cast<std::uint8_t>(stored.cells[i] & 0xFF);
        }
        PrintGrid(stored.rows, stored.columns, cells.data());
    }
    return 0;
}

}  // namespace tool

using namespace tool;

// The whole tool without main(), so that a fuzz target can drive its argument and
// input handling: args without the program name, the description read from
// standardInput where no FILE (or "-") is given; the result is the exit status.
int RunEngineTool(std::vector<std::string_view> args, std::istream& standardInput) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << "tallyfold-engine " << TALLYFOLD_VERSION << '\n';
        return 0;
    }
    if (args.empty()) return UsageError("a command is needed: " + std::string(kCommands));
    const std::string_view command = args[0];
    args.erase(args.begin());
    if (command == "generate") return Generate(args);
    if (command == "solve") return Solve(args, standardInput, Command::Solve);
    if (command == "rate") return Solve(args, standardInput, Command::Rate);
    if (command == "explain") return Solve(args, standardInput, Command::Explain);
    if (command == "check") return Solve(args, standardInput, Command::Check);
    if (command == "code") return Code(args, standardInput);
    if (command == "open") return Open(args);
    if (command == "daily") return Daily(args);
    if (command == "book") return Book(args);
    if (command == "picture") return Picture(args, standardInput);
    return UsageError("unknown command " + Quoted(command) + "; the commands are " + kCommands);
}

#ifndef TALLYFOLD_ENGINE_TOOL_NO_MAIN
int main(int argc, char** argv) {
    const int status = RunEngineTool(std::vector<std::string_view>(argv + 1, argv + argc), std::cin);
    // A full disk or a closed pipe lost what was printed: that is no success.
    if (!std::cout.flush()) {
        std::cerr << "tallyfold-engine: cannot write to standard output\n";
        return 1;
    }
    return status;
}
#endif
