// SPDX-License-Identifier: GPL-3.0-or-later
// Puzzles passed on through codes and puzzle files: what comes back onto the board
// is the puzzle that was passed on, and nothing else ever gets there.
#include <string>

#include "core_support.h"
#include "game/core/engine_adapter.h"
#include "game/core/services.h"
#include "game/core/share.h"

namespace {

// What makes the puzzle: its size, its cells and its clues, nothing of the play.
void ExpectSamePuzzle(const TPuzzleState& got, const TPuzzleState& want, const std::string& what) {
    ASSERT_EQ(got.BoardWidth, want.BoardWidth) << what;
    ASSERT_EQ(got.BoardHeight, want.BoardHeight) << what;
    for (int x = 0; x < want.BoardWidth; ++x)
        for (int y = 0; y < want.BoardHeight; ++y) {
            ASSERT_EQ(got.SolutionGrid[x][y], want.SolutionGrid[x][y]) << what << " at " << x << "," << y;
            ASSERT_EQ(got.PlayerGrid[x][y], want.SolutionGrid[x][y] == BlackCell ? BlackCell : 0) << what;
            ASSERT_EQ(got.VerticalSumGrid[x][y], want.VerticalSumGrid[x][y]) << what << " at " << x << "," << y;
            ASSERT_EQ(got.HorizontalSumGrid[x][y], want.HorizontalSumGrid[x][y]) << what << " at " << x << "," << y;
        }
}

bool OpenCodeOnto(TPuzzleModel& model, const std::string& code, std::string& error) {
    TOpenedPuzzle opened;
    return OpenCodeText(code, opened, error) && PlaceOpenedPuzzle(model, opened, error);
}

// The puzzle a code's clues describe, as a file's text with the digits left out.
std::string FileTextOf(const TPuzzleState& puzzle) {
    return engine::WritePuzzleText(PuzzleFromTables(puzzle, false), false);
}

// A 19 x 19 board of 2 x 2 blocks (1 2 / 3 4): a good puzzle, too large for the game.
engine::Puzzle BlocksPuzzle(unsigned n) {
    engine::Puzzle puzzle;
    puzzle.Resize(n, n);
    for (unsigned r = 0; r < n; ++r)
        for (unsigned c = 0; c < n; ++c) {
            const unsigned i = puzzle.Index(r, c);
            if (r % 3 == 0 || c % 3 == 0) {
                puzzle.cells[i] = engine::kBlack;
                if (r % 3 == 0 && r + 1 < n && c % 3 != 0) puzzle.clues[i][engine::kDown] = c % 3 == 1 ? 4 : 6;
                if (c % 3 == 0 && c + 1 < n && r % 3 != 0) puzzle.clues[i][engine::kAcross] = r % 3 == 1 ? 3 : 7;
            } else {
                puzzle.cells[i] = engine::kEmpty;
            }
        }
    return puzzle;
}

}  // namespace

// Every size and level: the short code of a generated puzzle, the code of its clues
// and its file text each bring back exactly that puzzle, with its level and stars.
TEST_F(CoreTest, CodesAndFilesOfGeneratedPuzzlesOpenThoseVeryPuzzles) {
    for (const int size : {6, 7, 9, 12, 14})
        for (int difficulty = 0; difficulty < 3; ++difficulty)
            for (int round = 0; round < 3; ++round) {
                Advance(7919 * (round + 1) + size * 13 + difficulty);
                ASSERT_TRUE(Core->CreatePuzzle(size, size, difficulty));
                const TPuzzleState made = Puzzle;
                const std::string what = std::to_string(size) + "x" + std::to_string(size) + " level " +
                                         std::to_string(difficulty) + " round " + std::to_string(round);
                const std::string code = PuzzleCodeOf(made);
                ASSERT_LE(code.size(), 14u) << what << ": " << code;

                TPuzzleModel other;
                std::string error;
                ASSERT_TRUE(OpenCodeOnto(other, code, error)) << what << ": " << error;
                ExpectSamePuzzle(other.Puzzle, made, what + " from " + code);
                EXPECT_EQ(other.Puzzle.PuzzleDifficulty, difficulty) << what;
                EXPECT_EQ(other.Puzzle.PuzzleStars, made.PuzzleStars) << what;
                EXPECT_EQ(other.Puzzle.IsCustomPuzzle, 0) << what;
                // Passed on again, it has the same code.
                EXPECT_EQ(PuzzleCodeOf(other.Puzzle), code) << what;

                // The same clues typed in elsewhere: the long code and the file.
                TPuzzleState typed = made;
                typed.IsCustomPuzzle = 1;
                const std::string clues = PuzzleCodeOf(typed);
                ASSERT_GT(clues.size(), code.size()) << what;
                TPuzzleModel fromClues;
                ASSERT_TRUE(OpenCodeOnto(fromClues, clues, error)) << what << ": " << error;
                ExpectSamePuzzle(fromClues.Puzzle, made, what + " from its clues");
                EXPECT_EQ(fromClues.Puzzle.IsCustomPuzzle, 1) << what;
                EXPECT_EQ(PuzzleCodeOf(fromClues.Puzzle), clues) << what;

                TOpenedPuzzle opened;
                TPuzzleModel fromFile;
                ASSERT_TRUE(OpenPuzzleText(FileTextOf(made), opened, error)) << what << ": " << error;
                ASSERT_TRUE(PlaceOpenedPuzzle(fromFile, opened, error)) << what << ": " << error;
                ExpectSamePuzzle(fromFile.Puzzle, made, what + " from its file");
            }
}

// Codes written once stay good: these open the same puzzles in every later version,
// and the game's own generator makes them from the same size, level and seed.
TEST_F(CoreTest, FixedCodesOpenTheirFixedPuzzles) {
    struct Fixed {
        int size, level;
        std::uint32_t seed;
        const char* code;
        const char* solved;  // the puzzle file of its solution, as written the day the code was made
    };
    const Fixed fixed[] = {
        {6, 2, 9, "166G-0000-0JZ7",
         "  #     #   33\\   12\\   19\\     #\n"
         "  #    6\\21   7     9     5     #\n"
         "  \\12   2     6     3     1   12\\\n"
         "  \\7    4     3    5\\12   3     9\n"
         "  #     \\14   8     1     2     3\n"
         "  #     \\21   9     4     8     #\n"},
        {14, 3, 123456, "1EER-007H-40R2",
         "  #     #     #     #   21\\   21\\     #     #   14\\    9\\     #     #   27\\   12\\\n"
         "  #     #     #     \\5    4     1     #    7\\7    5     2   35\\    5\\9    8     1\n"
         "  #     #     #    8\\13   9     4   40\\37   6     9     7     8     1     4     2\n"
         "  #   13\\   27\\22   2     8     6     5     1     #   11\\24   9     4     6     5\n"
         "  \\14   3     5     6     \\15   8     7     #   31\\9    4     5   28\\13   9     4\n"
         "  \\14   6     8   27\\     \\6    2     4   22\\30   9     7     6     8   31\\     #\n"
         "  \\18   4     6     8     #     \\22   8     9     5     \\13   7     5     1     #\n"
         "  #     \\5    1     4   28\\     \\15   6     8     1     #     \\13   6     7    8\\\n"
         "  #     \\17   7     9     1    5\\8    1     5     2   28\\     \\16   9     6     1\n"
         "  #   15\\   28\\19   6     3     1     9     \\6    4     2     #    9\\10   8     2\n"
         "  \\17   8     9    6\\12   8     4     #    6\\15   7     8   21\\22   8     9     5\n"
         "  \\21   4     7     1     9   16\\    6\\22   2     3     9     7     1     #     #\n"
         "  \\36   2     8     5     7     9     1     4     \\15   6     9     #     #     #\n"
         "  \\5    1     4     #     \\12   7     5     #     \\8    3     5     #     #     #\n"},
        {9, 1, 77, "1998-0000-4T91",
         "  #     #     #   13\\    7\\     #     #     #     #\n"
         "  #     #   32\\15   9     6    6\\   23\\     #     #\n"
         "  #   14\\20   5     3     1     2     9   24\\   12\\\n"
         "  \\18   8     9     1     \\13   1     6     4     2\n"
         "  \\7    1     6   23\\   14\\14   3     8     2     1\n"
         "  \\13   2     4     6     1     #   12\\15   9     6\n"
         "  \\27   3     8     9     7    5\\10   1     6     3\n"
         "  #     #     \\20   8     6     1     2     3     #\n"
         "  #     #     #     #     \\13   4     9     #     #\n"},
    };
    for (const auto& f : fixed) {
        TPuzzleModel model;
        std::string error;
        ASSERT_TRUE(OpenCodeOnto(model, f.code, error)) << f.code << ": " << error;
        EXPECT_EQ(engine::WritePuzzleText(PuzzleFromTables(model.Puzzle, true), true), f.solved) << f.code;
        EXPECT_EQ(PuzzleCodeOf(model.Puzzle), f.code);
        EXPECT_EQ(model.Puzzle.PuzzleDifficulty, f.level - 1);

        TGrid generated{};
        ASSERT_TRUE(GenerateSolution(f.size, f.size, f.level, f.seed, generated)) << f.code;
        for (int x = 0; x < f.size; ++x)
            for (int y = 0; y < f.size; ++y)
                ASSERT_EQ(generated[x][y], model.Puzzle.SolutionGrid[x][y]) << f.code << " at " << x << "," << y;
    }
}

// A mistyped code is refused and the board stays as it was: every single wrong
// character, every swap of neighbours, and codes that are no codes at all.
TEST_F(CoreTest, MistypedAndHostileCodesChangeNothing) {
    Advance(4242);
    ASSERT_TRUE(Core->CreatePuzzle(9, 9, 1));
    const TPuzzleState before = Puzzle;
    const std::string code = PuzzleCodeOf(before);
    TPuzzleState typed = before;
    typed.IsCustomPuzzle = 1;
    const std::string clues = PuzzleCodeOf(typed);
    const std::string alphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

    std::vector<std::string> bad;
    for (const std::string& good : {code, clues})
        for (std::size_t i = 0; i < good.size(); ++i) {
            if (good[i] == '-') continue;
            for (const char c : alphabet)
                if (c != good[i]) bad.push_back(good.substr(0, i) + c + good.substr(i + 1));
            if (i + 1 < good.size() && good[i + 1] != '-' && good[i + 1] != good[i]) {
                std::string swapped = good;
                std::swap(swapped[i], swapped[i + 1]);
                bad.push_back(swapped);
            }
        }
    for (const char* text : {"", "-", "    ", "1", "ZZZZ-ZZZZ-ZZZZ", "1O6G-0000-0JZ7", "166G-0000-0JZ",
                             "166G-0000-0JZ7-0", "\xff\xfe", "G"})
        bad.push_back(text);
    bad.push_back(std::string(100000, '1'));
    bad.push_back(code + code);
    // A good code of a board the game cannot hold.
    bad.push_back(engine::CluesPuzzleCode(BlocksPuzzle(19)));
    ASSERT_FALSE(bad.back().empty());

    int refused = 0;
    for (const auto& text : bad) {
        std::string error;
        TOpenedPuzzle opened;
        if (OpenCodeText(text, opened, error)) {
            ADD_FAILURE() << "opened: " << text.substr(0, 80);
            continue;
        }
        EXPECT_FALSE(error.empty()) << text.substr(0, 80);
        ++refused;
    }
    EXPECT_GT(refused, 1000);
    ExpectSamePuzzle(Puzzle, before, "after the refusals");
    EXPECT_EQ(PuzzleCodeOf(Puzzle), code);
    // A case-blind, blank-tolerant reading of the good one still opens it.
    std::string lower = code;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string error;
    TPuzzleModel other;
    ASSERT_TRUE(OpenCodeOnto(other, " " + lower + " ", error)) << error;
    ExpectSamePuzzle(other.Puzzle, before, "lower case");
}

// Files that are no puzzle, or no puzzle with one solution, are refused with a
// message; those read through the services say why they could not be read.
TEST_F(CoreTest, HostileFilesAreRefusedWithAMessage) {
    const std::string good = " #   16\\  24\\   #\n\\17   .    .   17\\\n\\24   .    .    .\n #   \\16   .    .\n";
    TOpenedPuzzle opened;
    std::string error;
    ASSERT_TRUE(OpenPuzzleText(good, opened, error)) << error;

    struct Case {
        std::string text;
        const char* says;  // part of the message
    };
    const Case cases[] = {
        {std::string("#\0#\n", 4), "Puzzle File Not Text"},
        {"\x89PNG\r\n\x1a\n", "Puzzle File Not Text"},
        {"\xc3\x28 comment", "Puzzle File Not Text"},
        {"", "Puzzle File Refused"},
        {"; only a comment\n", "Puzzle File Refused"},
        {" #   16\\  24\\   #\n\\17   .    .   17\\\n\\24   .    .    .\n #   \\16   .\n", "line 4"},
        // The clue 5 instead of 16: no filling.
        {" #   5\\  24\\   #\n\\17   .    .   17\\\n\\24   .    .    .\n #   \\16   .    .\n", "Puzzle File Refused"},
        // Two ways to fill a 2 x 2 block of 3 / 7 across and 5 / 5 down.
        {" #  5\\  5\\\n\\3  .  .\n\\7  .  .\n", "Puzzle File Refused"},
        {engine::WritePuzzleText(BlocksPuzzle(19), false), "Puzzle Board Size"},
        {std::string(300000, '#'), "Puzzle File Refused"},
    };
    for (const auto& c : cases) {
        error.clear();
        EXPECT_FALSE(OpenPuzzleText(c.text, opened, error)) << c.says;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }

    files["/p/good.txt"] = good;
    files["/p/huge.txt"] = std::string(MaxPuzzleFileBytes + 1, '#');
    std::string text;
    EXPECT_TRUE(ReadPuzzleFile("/p/good.txt", text, error)) << error;
    EXPECT_EQ(text, good);
    EXPECT_FALSE(ReadPuzzleFile("/p/huge.txt", text, error));
    EXPECT_NE(error.find("Puzzle File Too Large"), std::string::npos) << error;
    EXPECT_FALSE(ReadPuzzleFile("/p/none.txt", text, error));
    EXPECT_NE(error.find("Puzzle File Missing"), std::string::npos) << error;
}

// A puzzle from a file is played as one typed in; the one on the board before it is
// replaced whole, with nothing of its play left over.
TEST_F(CoreTest, AnOpenedPuzzleStartsAfresh) {
    Advance(99);
    ASSERT_TRUE(Core->CreatePuzzle(14, 14, 2));
    Puzzle.RevealUsed = 1;
    Puzzle.ShowSolution = 1;
    Puzzle.MarkupGrid[3][3][2] = 1;
    const std::string file = " #   16\\  24\\   #\n\\17   .    .   17\\\n\\24   .    .    .\n #   \\16   .    .\n";
    TOpenedPuzzle opened;
    std::string error;
    ASSERT_TRUE(OpenPuzzleText(file, opened, error)) << error;
    ASSERT_TRUE(PlaceOpenedPuzzle(Model, opened, error)) << error;
    EXPECT_EQ(Puzzle.BoardWidth, 4);
    EXPECT_EQ(Puzzle.BoardHeight, 4);
    EXPECT_EQ(Puzzle.IsCustomPuzzle, 1);
    EXPECT_EQ(Puzzle.RevealUsed, 0);
    EXPECT_EQ(Puzzle.ShowSolution, 0);
    EXPECT_EQ(Puzzle.MarkupGrid[3][3][2], 0);
    EXPECT_EQ(Puzzle.SolutionGrid[1][1], 9);
    EXPECT_EQ(Puzzle.SolutionGrid[3][3], 9);
    EXPECT_EQ(Puzzle.HorizontalSumGrid[0][1], 17);
    EXPECT_EQ(Puzzle.VerticalSumGrid[2][0], 24);
    // Beyond the board nothing of the 14 x 14 puzzle is left.
    EXPECT_EQ(Puzzle.SolutionGrid[10][10], 0);
    EXPECT_EQ(Puzzle.HorizontalSumGrid[10][10] + Puzzle.VerticalSumGrid[10][10], 0);
    EXPECT_TRUE(Model.BoardSolved() == 0);
    EXPECT_EQ(PuzzleCodeOf(Puzzle), engine::CluesPuzzleCode(opened.Solved));
}
