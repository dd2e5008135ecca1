// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "Support.h"
#include "tallyfold/engine/Daily.h"
#include "tallyfold/engine/Engine.h"
#include "tallyfold/engine/PuzzleCode.h"
#include "tallyfold/engine/PuzzleFile.h"

namespace {

using engine::kAcross;
using engine::kBlack;
using engine::kDown;

// A grid of runs with random clues and digits: not a puzzle anyone could solve, but any
// shape the formats must carry. Row 0 and column 0 are black, no run is longer than 9.
engine::Puzzle RandomGrid(std::mt19937& random, unsigned rows, unsigned columns) {
    engine::Puzzle p;
    p.Resize(rows, columns);
    std::uniform_int_distribution<int> percent(0, 99), digit(1, 9), clue(1, 45);
    const int density = std::uniform_int_distribution<int>(5, 70)(random);
    for (unsigned r = 0; r < rows; ++r) {
        for (unsigned c = 0; c < columns; ++c) {
            const bool black = r == 0 || c == 0 || r % 10 == 0 || c % 10 == 0 || percent(random) < density;
            p.cells[p.Index(r, c)] = black ? kBlack : digit(random);
        }
    }
    for (unsigned i = 0; i < p.cells.size(); ++i) {
        if (p.cells[i] != kBlack) continue;
        const unsigned r = i / columns, c = i % columns;
        if (r + 1 < rows && p.cells[i + columns] != kBlack) p.clues[i][kDown] = static_cast<unsigned>(clue(random));
        if (c + 1 < columns && p.cells[i + 1] != kBlack) p.clues[i][kAcross] = static_cast<unsigned>(clue(random));
    }
    return p;
}

engine::Puzzle Blank(engine::Puzzle p) {
    for (int& cell : p.cells) {
        if (cell != kBlack) cell = engine::kEmpty;
    }
    return p;
}

std::string GridText(const std::vector<std::uint8_t>& cells) {
    std::string text;
    for (std::uint8_t cell : cells) text += cell == 0xFF ? '#' : static_cast<char>('0' + cell);
    return text;
}

std::uint64_t Fnv(const std::string& text) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (unsigned char ch : text) hash = (hash ^ ch) * 0x100000001B3ull;
    return hash;
}

}  // namespace

// Every shape, square or not, from 2 x 2 to 100 x 100, survives the code, the puzzle file
// (with and without its digits) and the engine description unchanged.
TEST(PuzzleFormats, RoundTripsKeepEveryPuzzle) {
    std::mt19937 random(2026);
    std::uniform_int_distribution<unsigned> size(2, 40);
    for (int n = 0; n < 3006; ++n) {
        // The largest boards and the thinnest, then every small shape, then any.
        const unsigned extremes[6][2] = {{100, 100}, {100, 100}, {2, 100}, {100, 2}, {2, 2}, {100, 37}};
        const unsigned rows = n < 6 ? extremes[n][0] : n < 106 ? 2 + n % 13 : size(random);
        const unsigned columns = n < 6 ? extremes[n][1] : n < 106 ? 2 + n / 13 % 13 : size(random);
        const engine::Puzzle grid = RandomGrid(random, rows, columns);
        const engine::Puzzle blank = Blank(grid);
        SCOPED_TRACE(std::to_string(rows) + "x" + std::to_string(columns) + " #" + std::to_string(n));

        const std::string code = engine::CluesPuzzleCode(grid);
        ASSERT_FALSE(code.empty());
        engine::DecodedPuzzleCode decoded;
        std::string error;
        ASSERT_TRUE(engine::DecodePuzzleCode(code, decoded, error)) << error;
        EXPECT_FALSE(decoded.generated);
        EXPECT_EQ(decoded.puzzle, blank);

        for (bool withSolution : {false, true}) {
            engine::Puzzle read;
            std::vector<engine::SourcePosition> positions;
            const std::string text = engine::WritePuzzleText(grid, withSolution, "made by a test\nsecond line");
            ASSERT_TRUE(engine::ParsePuzzleText(text, read, positions, error)) << error << "\n" << text;
            EXPECT_EQ(read, withSolution ? grid : blank);
            ASSERT_EQ(positions.size(), grid.cells.size());
            EXPECT_EQ(positions[grid.Index(rows - 1, 0)].line, rows + 2);  // after two comment lines
        }

        engine::TBoard mine;
        const std::string description = engine::WriteDescription(grid);
        const std::size_t first = description.find('\n'), second = description.find('\n', first + 1),
                          third = description.find('\n', second + 1);
        ASSERT_TRUE(engine::ParseDescription(
            description.substr(0, first), description.substr(first + 1, second - first - 1),
            description.substr(third + 1), std::stoi(description.substr(second + 1, third - second - 1)), mine));
        EXPECT_EQ(engine::PuzzleFromBoard(mine), blank);
    }
}

// Real puzzles of every size the generator makes, square or not, written as a file
// without their digits and as a clue code, read back and checked: each has exactly one
// solution, the one it was made with.
TEST(PuzzleFormats, GeneratedPuzzlesSurviveFilesAndCodes) {
    const unsigned sizes[][2] = {{4, 4}, {6, 6}, {7, 7}, {9, 9}, {12, 12}, {14, 14}, {5, 9}, {9, 6}, {8, 12}, {13, 7}};
    int checked = 0;
    for (const auto& [rows, columns] : sizes) {
        for (std::uint32_t seed = 1; seed <= 30; ++seed) {
            std::vector<std::uint8_t> made(rows * columns);
            if (!engine::GeneratePuzzle(rows, columns, engine::BlackCellTarget(rows, columns, 2), 0, made, seed))
                continue;
            engine::Puzzle solved;
            ASSERT_TRUE(engine::PuzzleFromSolution(rows, columns, made, solved));
            engine::Puzzle fromFile;
            std::vector<engine::SourcePosition> positions;
            std::string error;
            ASSERT_TRUE(engine::ParsePuzzleText(engine::WritePuzzleText(solved, false), fromFile, positions, error))
                << error;
            EXPECT_EQ(engine::CheckPuzzle(fromFile, error, &positions), engine::PuzzleCheck::kUnique) << error;
            EXPECT_EQ(fromFile, solved);
            engine::Puzzle fromCode;
            ASSERT_TRUE(engine::OpenPuzzleCode(engine::CluesPuzzleCode(solved), fromCode, error)) << error;
            EXPECT_EQ(fromCode, solved);
            ++checked;
        }
    }
    EXPECT_GT(checked, 250);
}

// A generated code opens the very puzzle generate made, and the code of its clues opens
// a puzzle with the same solution.
TEST(PuzzleFormats, CodesOpenTheirPuzzles) {
    const struct {
        unsigned rows, columns;
        int level;
    } kinds[] = {{6, 6, 1}, {7, 7, 2}, {9, 9, 3}, {12, 12, 2}, {14, 14, 3}};
    for (const auto& kind : kinds) {
        for (std::uint32_t seed = 40; seed < 43; ++seed) {
            std::vector<std::uint8_t> made(kind.rows * kind.columns);
            ASSERT_TRUE(engine::GenerateLevelPuzzle(kind.rows, kind.columns, kind.level, 0, made, seed));
            engine::Puzzle expected;
            ASSERT_TRUE(engine::PuzzleFromSolution(kind.rows, kind.columns, made, expected));
            const std::string code =
                engine::GeneratedPuzzleCode({engine::kGeneratorVersion, kind.rows, kind.columns, kind.level, seed});
            EXPECT_EQ(code.size(), 14u) << code;
            engine::Puzzle opened;
            std::string error;
            ASSERT_TRUE(engine::OpenPuzzleCode(code, opened, error)) << error;
            EXPECT_EQ(opened, expected) << code;
            ASSERT_TRUE(engine::OpenPuzzleCode(engine::CluesPuzzleCode(expected), opened, error)) << error;
            EXPECT_EQ(opened, expected);
        }
    }
}

// A mistyped code never opens another puzzle: every wrong character, every swap of two
// neighbours, is refused with a message; case, dashes, blanks and the look-alikes O, I
// and L do not matter.
TEST(PuzzleFormats, MistypedCodesAreRefused) {
    const std::string alphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
    std::mt19937 random(7);
    std::vector<std::string> codes;
    for (std::uint32_t seed : {0u, 1u, 4294967295u, 123456789u}) {
        codes.push_back(engine::GeneratedPuzzleCode({1, 14, 14, 3, seed}));
    }
    for (int n = 0; n < 20; ++n) codes.push_back(engine::CluesPuzzleCode(RandomGrid(random, 2 + n, 9)));
    int refused = 0;
    for (const std::string& shown : codes) {
        std::string code;
        for (char ch : shown) {
            if (ch != '-') code += ch;
        }
        engine::DecodedPuzzleCode decoded;
        std::string error;
        ASSERT_TRUE(engine::DecodePuzzleCode(code, decoded, error)) << error;
        for (std::size_t i = 0; i < code.size(); ++i) {
            for (char other : alphabet) {
                if (other == code[i]) continue;
                std::string typo = code;
                typo[i] = other;
                EXPECT_FALSE(engine::DecodePuzzleCode(typo, decoded, error)) << shown << " -> " << typo;
                EXPECT_FALSE(error.empty());
                ++refused;
            }
            if (i + 1 < code.size() && code[i] != code[i + 1]) {
                std::string swapped = code;
                std::swap(swapped[i], swapped[i + 1]);
                EXPECT_FALSE(engine::DecodePuzzleCode(swapped, decoded, error)) << shown << " -> " << swapped;
                ++refused;
            }
        }
        for (std::string dropped : {code.substr(1), code.substr(0, code.size() - 1)}) {
            EXPECT_FALSE(engine::DecodePuzzleCode(dropped, decoded, error)) << dropped;
        }
    }
    EXPECT_GT(refused, 20000);

    const std::string code = engine::GeneratedPuzzleCode({1, 9, 9, 2, 1000});  // has a 0 and a 1 in it
    ASSERT_NE(code.find_first_of("01"), std::string::npos) << code;
    std::string loose;
    for (char ch : code) {
        loose += ch == '0' ? 'o' : ch == '1' ? 'l' : ch == '-' ? ' ' : static_cast<char>(std::tolower(ch));
    }
    engine::DecodedPuzzleCode decoded;
    std::string error;
    ASSERT_TRUE(engine::DecodePuzzleCode(" " + loose + " ", decoded, error)) << loose << ": " << error;
    EXPECT_EQ(decoded.id, (engine::GeneratedPuzzleId{1, 9, 9, 2, 1000}));

    const std::pair<std::string, std::string> refusals[] = {
        {"", "no puzzle code given"},
        {"16U6-0000-0JZ7", "character 3 ('U') is not used in puzzle codes, which hold letters and digits only"},
        {"166G-0000-0JZ7\x01", "character 15 is not used in puzzle codes, which hold letters and digits only"},
        {"166G", "the code is too short: a character may be missing"},
        {"166G-0000-0J7Z",
         "the code does not check out: a character is mistyped, missing or swapped with its neighbour"},
        {std::string(20000, 'A'), "this is too long to be a puzzle code"},
    };
    for (const auto& [text, message] : refusals) {
        EXPECT_FALSE(engine::DecodePuzzleCode(text, decoded, error)) << text;
        EXPECT_EQ(error, message);
    }
    // Boards the generator may search long on have no code.
    EXPECT_EQ(engine::GeneratedPuzzleCode({1, 3, 14, 1, 7}), "");
    EXPECT_EQ(engine::GeneratedPuzzleCode({1, 8, 8, 1, 7}), "");
    EXPECT_EQ(engine::GeneratedPuzzleCode({1, 9, 9, 0, 7}), "");
    // A generator this build does not know yet.
    std::string later = engine::GeneratedPuzzleCode({2, 9, 9, 2, 1000});
    ASSERT_FALSE(later.empty());
    EXPECT_FALSE(engine::DecodePuzzleCode(later, decoded, error));
    EXPECT_NE(error.find("later version"), std::string::npos) << error;
}

// Codes are a promise: these opened these puzzles when they were first handed out, and
// must keep doing so. A generator change that breaks this test keeps the old generator
// under its version number (GenerateFromId) instead.
TEST(PuzzleFormats, FixedCodesKeepTheirPuzzles) {
    const struct {
        const char* code;
        const char* grid;
    } fixed[] = {
        {"1668-0000-029M", "#########821###985##971##985###251##"},
        {"177G-0000-04DM", "########17##14#59#179##3859###1425##549#24#96##39"},
        {"199R-0000-06NH", "###########47913####7964123#516##239#13###69###96###16#521##589#9625314####31826#"},
        {"1CCG-0000-0853",
         "##############819##986###9748##721###54#7285431###96#14##95####1875##421#57#53291#94#193##9851####41##14#59##"
         "#8531679#15###712##1637###985##398#"},
        {"1EER-0000-0AZH",
         "#################15##28#41#####671#59#785##71243#1439#31#94#958##98#97###71#1596##72#589###15##76##894##398##"
         "687##65##17###541#93##5489#89###85#81##197#96#62#7326#42317##162#57#631#####96#18##96##"},
    };
    for (const auto& [code, grid] : fixed) {
        engine::DecodedPuzzleCode decoded;
        engine::Puzzle puzzle;
        std::string error;
        ASSERT_TRUE(engine::OpenPuzzleCode(code, puzzle, error, &decoded)) << code << ": " << error;
        std::vector<std::uint8_t> cells;
        ASSERT_TRUE(engine::GenerateFromId(decoded.id, cells));
        EXPECT_EQ(GridText(cells), grid) << code;
    }
}

// The daily puzzles of a date are fixed forever, like codes. The seeds were worked out
// apart from this code, from the formula in Daily.h.
TEST(DailyPuzzles, FixedDatesKeepTheirPuzzles) {
    const struct {
        int year, month, day, level;
        std::uint32_t seed;
        std::uint64_t grid;
    } fixed[] = {
        {2026, 12, 10, 1, 3866478099u, 0x647779FC709C9044ull}, {2026, 12, 10, 2, 136830815u, 0xAAD11EF8CFD4DC58ull},
        {2026, 12, 10, 3, 2021814757u, 0xF5AAA920D681DBEFull}, {2027, 1, 1, 1, 4075854377u, 0x6B1FC08A973852F3ull},
        {2027, 1, 1, 2, 1857283103u, 0x87DCC5F2EEF4398Bull},   {2027, 1, 1, 3, 1996869600u, 0xF33DD97A2DBE4BA8ull},
        {2028, 2, 29, 1, 3461173848u, 0xB09A03CD7B70CAC9ull},  {2028, 2, 29, 2, 3785074337u, 0xCAFC1C1416C321CFull},
        {2028, 2, 29, 3, 3084287991u, 0xFC16401D916D7E16ull},  {1970, 1, 1, 1, 885181228u, 0x0B2615157991A74Bull},
        {1970, 1, 1, 2, 1694925799u, 0xBE3B5EB32887C25Bull},   {1970, 1, 1, 3, 167303374u, 0x390B2DA35BE76C91ull},
        {9999, 12, 31, 1, 2760800901u, 0x530744C192FCA447ull}, {9999, 12, 31, 2, 2588813107u, 0x3455A61A4C07E41Cull},
        {9999, 12, 31, 3, 1080260153u, 0x07BDBBF5CE50493Dull},
    };
    for (const auto& day : fixed) {
        engine::DailyResult result;
        ASSERT_TRUE(engine::DailyPuzzle(day.year, day.month, day.day, day.level, result));
        EXPECT_EQ(result.id.seed, day.seed);
        EXPECT_EQ(Fnv(GridText(result.cells)), day.grid)
            << day.year << "-" << day.month << "-" << day.day << " " << day.level << ": " << GridText(result.cells);
        EXPECT_EQ(result.id.rows, day.level == 1 ? 9u : day.level == 2 ? 12u : 14u);
    }
}

TEST(DailyPuzzles, DatesAreCheckedAndCounted) {
    EXPECT_EQ(engine::DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(engine::DaysFromCivil(2000, 3, 1), 11017);
    EXPECT_EQ(engine::DaysFromCivil(1969, 12, 31), -1);
    EXPECT_EQ(engine::DaysFromCivil(1, 1, 1), -719162);
    // Every day from year 1 to 9999 follows the one before.
    long long previous = engine::DaysFromCivil(1, 1, 1) - 1;
    int days = 0;
    for (int y = 1; y <= 9999; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= 31; ++d) {
                if (!engine::ValidDate(y, m, d)) continue;
                ASSERT_EQ(engine::DaysFromCivil(y, m, d), previous + 1) << y << "-" << m << "-" << d;
                previous = engine::DaysFromCivil(y, m, d);
                ++days;
            }
        }
    }
    EXPECT_EQ(days, 3652059);
    enginetest::CapturedDiagnostics captured;
    engine::DailyResult result;
    for (const auto& [y, m, d] : {std::array{2026, 2, 29}, std::array{2100, 2, 29}, std::array{0, 1, 1},
                                  std::array{2026, 13, 1}, std::array{2026, 4, 31}, std::array{10000, 1, 1}}) {
        EXPECT_FALSE(engine::DailyPuzzle(y, m, d, 1, result)) << y << "-" << m << "-" << d;
    }
    EXPECT_NE(captured.Err().find("no such date"), std::string::npos);
    EXPECT_FALSE(engine::DailyPuzzle(2026, 12, 10, 4, result));
    EXPECT_TRUE(engine::ValidDate(2000, 2, 29));
}

// What a person writing a puzzle file by hand gets told, with the line and column.
TEST(PuzzleFormats, PuzzleFilesAreCheckedWithMessagesThatPointAtTheCell) {
    const struct {
        const char* text;
        engine::PuzzleCheck check;  // kUnique for "parsed and checked fine"
        const char* message;
    } cases[] = {
        {"; a comment\n\n#  4\\  6\\ ; clues\n\\3 . .\r\n\\7 . .\n", engine::PuzzleCheck::kUnique, ""},
        {"#  4\\ 6\\\n\\3 1 .\n\\7 . 4\n", engine::PuzzleCheck::kUnique, ""},
        {"# # #\n# 1 2\n# 3 4\n", engine::PuzzleCheck::kUnique, ""},  // clues from the digits
        {"#  4\\ 6\\\n\\3 2 .\n\\7 . .\n", engine::PuzzleCheck::kNoSolution,
         "line 2, column 4: the digit 2 does not fit the clues; the only solution has 1"},
        {"#  3\\ 5\\\n\\3 . .\n\\4 . .\n", engine::PuzzleCheck::kNoSolution,
         "no filling of the white cells meets every clue"},
        {"# 3\\ 3\\\n\\3 . .\n\\3 . .\n", engine::PuzzleCheck::kSeveral,
         "more than one filling meets every clue: line 2, column 4 can be 1 or 2"},
        {"# 3\\ 3\\\n\\3 . .\n\\40 . .\n", engine::PuzzleCheck::kNoSolution,
         "line 3, column 1: no 2 different digits add up to the across clue 40"},
        {"# # \\\n\\3 . .\n\\4 . .\n", engine::PuzzleCheck::kInvalid,
         "line 1, column 3: white cells below this cell need a down clue"},
        {"# 3\\ 4\\7\n\\3 . .\n\\4 . .\n", engine::PuzzleCheck::kInvalid,
         "line 1, column 6: the across clue 7 has no white cell right of it"},
        {"# . 4\\\n\\3 . .\n\\4 . .\n", engine::PuzzleCheck::kInvalid,
         "line 1, column 3: a white cell on the top edge has no clue cell above its run"},
        {"# 1\\ 2\\ 3\\ 4\\ 5\\ 6\\ 7\\ 8\\ 9\\ 1\\\n\\45 . . . . . . . . . .\n", engine::PuzzleCheck::kInvalid,
         "line 2, column 1: the across run after this cell has 10 cells; at most 9 are allowed"},
    };
    for (const auto& c : cases) {
        engine::Puzzle puzzle;
        std::vector<engine::SourcePosition> positions;
        std::string error;
        ASSERT_TRUE(engine::ParsePuzzleText(c.text, puzzle, positions, error)) << c.text << error;
        const engine::PuzzleCheck check = engine::CheckPuzzle(puzzle, error, &positions);
        EXPECT_EQ(check, c.check) << c.text << error;
        if (check != engine::PuzzleCheck::kUnique) {
            EXPECT_EQ(error, c.message) << c.text;
        }
    }

    const struct {
        std::string text;
        const char* message;
    } unreadable[] = {
        {"", "no puzzle: the text holds no cells"},
        {"; only a comment\n", "no puzzle: the text holds no cells"},
        {"# #\n# x\n",
         "line 2, column 3: 'x' is not a cell: write # for black, DOWN\\ACROSS for clues, . or a digit 1-9 for white"},
        {"# #\n# 0\\1\n", "line 2, column 3: '0\\1' is not a clue cell: a clue is a number from 1 to 45"},
        {"# #\n# \\46\n", "line 2, column 3: '\\46' is not a clue cell: a clue is at most 45"},
        {"# #\n# . .\n", "line 2: 3 cells, but the first row has 2"},
        {"# # #\n", "line 1: a puzzle needs at least 2 rows of at least 2 cells"},
        {"# \x01\xFF\n",
         "line 1, column 3: '\\x01\\xFF' is not a cell: write # for black, DOWN\\ACROSS for clues, . or a digit 1-9 "
         "for white"},
        {std::string(300, '#'),
         "line 1, column 1: '############...' is not a cell: write # for black, DOWN\\ACROSS for clues, . or a digit "
         "1-9 for white"},
    };
    for (const auto& c : unreadable) {
        engine::Puzzle puzzle;
        std::vector<engine::SourcePosition> positions;
        std::string error;
        EXPECT_FALSE(engine::ParsePuzzleText(c.text, puzzle, positions, error)) << c.text;
        EXPECT_EQ(error, c.message);
    }
    std::string tall;
    for (int r = 0; r < 101; ++r) tall += "# #\n";
    engine::Puzzle puzzle;
    std::vector<engine::SourcePosition> positions;
    std::string error;
    EXPECT_FALSE(engine::ParsePuzzleText(tall, puzzle, positions, error));
    EXPECT_EQ(error, "line 101: more than 100 rows");
}
