// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "framework/core/game.h"
#include "game/core/save_game.h"
#include "store_support.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(start, text.size()) << "text after the last line end";
    return lines;
}

void ExpectSamePuzzle(const TPuzzleState& a, const TPuzzleState& b) {
    EXPECT_EQ(a.BoardWidth, b.BoardWidth);
    EXPECT_EQ(a.BoardHeight, b.BoardHeight);
    EXPECT_EQ(a.PuzzleDifficulty, b.PuzzleDifficulty);
    EXPECT_EQ(a.AutoMarkup, b.AutoMarkup);
    EXPECT_EQ(a.TimerStart, b.TimerStart);
    EXPECT_EQ(a.PlayerGrid, b.PlayerGrid);
    EXPECT_EQ(a.SolutionGrid, b.SolutionGrid);
    EXPECT_EQ(a.HorizontalSumGrid, b.HorizontalSumGrid);
    EXPECT_EQ(a.VerticalSumGrid, b.VerticalSumGrid);
    EXPECT_EQ(a.MarkupGrid, b.MarkupGrid);
    EXPECT_EQ(a.RevealUsed, b.RevealUsed);
    EXPECT_EQ(a.ExplainsUsed, b.ExplainsUsed);
    EXPECT_EQ(a.IsCustomPuzzle, b.IsCustomPuzzle);
}

class SaveGameTest : public CoreTest {
protected:
    std::string File(const std::string& name) { return Game->ProfilePath + name + ".dat"; }

    // A game in progress: some entries, right and wrong, and pencil marks.
    void PlaySome(int n) {
        BuildBlockPuzzle(n);
        Puzzle.PuzzleDifficulty = 1;
        Puzzle.AutoMarkup = 1;
        for (int x = 0; x < n; ++x)
            for (int y = 0; y < n; ++y)
                if (Puzzle.PlayerGrid[x][y] != BlackCell && (x + 2 * y) % 3 == 0)
                    Puzzle.PlayerGrid[x][y] = static_cast<std::uint8_t>((x * 7 + y) % 10);
        Puzzle.MarkupGrid[1][2][8] = Puzzle.MarkupGrid[n - 1][n - 1][0] = 1;
        Puzzle.TimerStart = now - 65432;
        // Help taken: whoever loads the game must not win a best time with it.
        Puzzle.RevealUsed = 1;
        Puzzle.ExplainsUsed = 12;
        Puzzle.IsCustomPuzzle = 1;
    }
};

}  // namespace

TEST_F(SaveGameTest, SixBySixFileLayoutAndRoundTrip) {
    PlaySome(6);
    ASSERT_EQ(Model.SaveGameNamed("mine"), 1);
    const std::string bytes = ReadBytes(File("mine"));
    const auto lines = Lines(bytes);
    ASSERT_EQ(lines.size(), 9u + 4 * 6 + 2);
    EXPECT_EQ(lines[0], "Tallyfold Savegame");
    EXPECT_EQ(lines[1], "06x06");
    EXPECT_EQ(lines[2], "1");
    EXPECT_EQ(lines[3], "1");
    EXPECT_EQ(lines[4], "65432");
    EXPECT_EQ(lines[5], "-");
    // Row 0: black cells, clues only down, those without any clue 00/00.
    EXPECT_EQ(lines[6], "00/00 00/04 00/06 00/00 00/04 00/06 ");
    EXPECT_EQ(lines[7], "03/00 00/00 00/00 03/00 00/00 00/00 ");
    EXPECT_EQ(lines[12], "-");
    EXPECT_EQ(lines[13], "88 88 88 88 88 88 ");
    EXPECT_EQ(lines[19], "-");
    EXPECT_EQ(lines[21], "88 01 02 88 01 02 ");  // solution row 1
    EXPECT_EQ(lines[26], "-");
    EXPECT_EQ(lines[27].size(), 6u * 9 * 2);
    EXPECT_EQ(lines[29].substr(0, 18), "0 0 0 0 0 0 0 0 0 ");   // marks row 2, cell x = 0
    EXPECT_EQ(lines[29].substr(18, 18), "0 0 0 0 0 0 0 0 1 ");  // x = 1: digit 9
    EXPECT_EQ(lines[33], "-");
    EXPECT_EQ(lines[34], "revealed 1 explained 12 own 1");

    const TPuzzleState saved = Puzzle;
    Puzzle = TPuzzleState{};
    Advance(1000);
    ASSERT_EQ(Model.LoadGameNamed("mine"), 1);
    TPuzzleState expected = saved;
    expected.TimerStart = now - 65432;  // the clock runs on from the saved time
    ExpectSamePuzzle(Puzzle, expected);
    ASSERT_EQ(Model.SaveGameNamed("again"), 1);
    EXPECT_EQ(ReadBytes(File("again")), bytes);

    // A file from before the help line loads as a generated puzzle played without help.
    std::string old;
    for (std::size_t k = 0; k < 33; ++k) old += lines[k] + "\r\n";
    WriteBytes(File("old"), old);
    ASSERT_EQ(Model.LoadGameNamed("old"), 1);
    EXPECT_EQ(Puzzle.RevealUsed, 0);
    EXPECT_EQ(Puzzle.ExplainsUsed, 0);
    EXPECT_EQ(Puzzle.IsCustomPuzzle, 0);
    EXPECT_EQ(Puzzle.PlayerGrid, saved.PlayerGrid);
    // A help line that says something else is damage, not help forgotten.
    for (const char* line : {"revealed 2 explained 0 own 0", "revealed 0 explained x own 0",
                             "own 1 revealed 0 explained 0", "revealed 0 explained 0"}) {
        WriteBytes(File("odd"), old + "-\r\n" + line + "\r\n");
        std::string error;
        EXPECT_EQ(Model.LoadGameNamed("odd", &error), -1) << line;
        EXPECT_NE(error.find("line 35"), std::string::npos) << error;
    }
}

TEST_F(SaveGameTest, FourteenByFourteenRoundTripsByteForByte) {
    PlaySome(14);
    ASSERT_EQ(Model.SaveGameNamed("big"), 1);
    const TPuzzleState saved = Puzzle;
    Puzzle = TPuzzleState{};
    ASSERT_EQ(Model.LoadGameNamed("big"), 1);
    ExpectSamePuzzle(Puzzle, saved);
    ASSERT_EQ(Model.SaveGameNamed("big2"), 1);
    EXPECT_EQ(ReadBytes(File("big2")), ReadBytes(File("big")));

    // A file whose CRs an editor dropped still loads.
    std::string lf = ReadBytes(File("big"));
    std::erase(lf, '\r');
    WriteBytes(File("unix"), lf);
    Puzzle = TPuzzleState{};
    EXPECT_EQ(Model.LoadGameNamed("unix"), 1);
    EXPECT_EQ(Puzzle.PlayerGrid, saved.PlayerGrid);
}

// Loading only ever reads. A name whose file has gone, a dangling link, a pipe
// or a link out of the profile folder is refused with a reason; the puzzle in
// play stays, nothing is created or changed, inside the folder or outside.
TEST_F(SaveGameTest, LoadingNeverWritesAndTakesOnlyRegularFiles) {
    PlaySome(7);
    const TPuzzleState playing = Puzzle;
    const std::string outside = scratch / "outside.dat";
    ASSERT_EQ(Model.SaveGameNamed("elsewhere"), 1);
    std::filesystem::rename(File("elsewhere"), outside);
    const std::string outsideBytes = ReadBytes(outside);
    std::filesystem::create_symlink(scratch / "nothing.dat", File("dangling"));
    std::filesystem::create_symlink(outside, File("linked"));
    ASSERT_EQ(mkfifo(File("pipe").c_str(), 0600), 0);
    auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Game->ProfilePath))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto before = listing();

    const std::vector<std::pair<std::string, std::string>> refused = {
        {"fresh", "it does not exist"},
        {"dangling", "it is a symbolic link"},
        {"linked", "it is a symbolic link"},
        {"pipe", "it is not a regular file"},
    };
    for (const auto& [name, reason] : refused) {
        std::string error;
        EXPECT_EQ(Model.LoadGameNamed(name, &error), -1) << name;
        EXPECT_EQ(error, "Could not load the saved game '" + name + "'\r\n(" + reason + ")");
        ExpectSamePuzzle(Puzzle, playing);
    }
    EXPECT_EQ(listing(), before);
    EXPECT_FALSE(Exists(scratch / "nothing.dat"));
    EXPECT_EQ(ReadBytes(outside), outsideBytes);
}

TEST_F(SaveGameTest, DamagedFilesAreRefusedAndTheGameInPlayStays) {
    PlaySome(6);
    ASSERT_EQ(Model.SaveGameNamed("good"), 1);
    const std::string good = ReadBytes(File("good"));
    PlaySome(9);  // the game in play differs from the file
    const TPuzzleState playing = Puzzle;

    auto replaced = [&](const std::string& from, const std::string& to, std::size_t skip = 0) {
        std::string text = good;
        const std::size_t at = text.find(from, skip);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const std::size_t grids = good.find("-\r\n88");
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"truncated", good.substr(0, good.size() / 2)},
        {"empty", ""},
        {"not a save game", std::string("\x89PNG\r\n\x1a\n") + std::string(300, '\xff')},
        {"size 99", replaced("06x06", "99x99")},
        {"not square", replaced("06x06", "06x07")},
        {"no such board", replaced("06x06", "08x08")},
        {"difficulty", replaced("\r\n1\r\n1\r\n", "\r\n7\r\n1\r\n")},
        {"letter in a grid", replaced("88 01 02", "88 0a 02", grids)},
        {"huge number in a grid", replaced("88 01 02", "88 123456 02", grids)},
        {"huge play time", replaced("65432", "99999999999999999999")},
        {"clue above 45", replaced("00/04", "00/99")},
        {"clue that is not its run's sum", replaced("00/04", "00/05")},
        {"solution digit changed", replaced("88 01 02", "88 05 02", good.find("-\r\n88", grids + 1))},
        {"missing separator", replaced("-\r\n88", "+\r\n88")},
        {"mark of 2", replaced("0 0 0 0 0 0 0 0 1", "0 0 0 0 0 0 0 0 2")},
        {"line too short", replaced("88 01 02 88 01 02 ", "88 01 02 88 01 ")},
        {"extra lines", good + "00 00\r\n"},
    };
    for (const auto& [what, text] : damaged) {
        WriteBytes(File("bad"), text);
        std::string error;
        EXPECT_EQ(Model.LoadGameNamed("bad", &error), -1) << what;
        EXPECT_EQ(error.rfind("Could not load the saved game 'bad'", 0), 0u) << what << ": " << error;
        ExpectSamePuzzle(Puzzle, playing);
        // The damaged file is not replaced either.
        EXPECT_EQ(ReadBytes(File("bad")), text) << what;
    }

    // Every cell black, every clue empty: nothing to fill, so it would count as
    // solved the moment it loaded and take a best time.
    std::string allBlack = "Tallyfold Savegame\r\n06x06\r\n1\r\n0\r\n500\r\n";
    auto block = [&](const std::string& cell) {
        allBlack += "-\r\n";
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 6; ++x) allBlack += cell;
            allBlack += "\r\n";
        }
    };
    block("00/00 ");
    block("88 ");
    block("88 ");
    block("0 0 0 0 0 0 0 0 0 ");
    WriteBytes(File("black"), allBlack);
    std::string error;
    EXPECT_EQ(Model.LoadGameNamed("black", &error), -1);
    EXPECT_NE(error.find("no white cell"), std::string::npos) << error;
    ExpectSamePuzzle(Puzzle, playing);

    // A name that exists but is not a file is not overwritten with the game in play.
    std::filesystem::create_directories(File("folder"));
    EXPECT_EQ(Model.LoadGameNamed("folder"), -1);
    EXPECT_TRUE(std::filesystem::is_directory(File("folder")));
}

TEST_F(SaveGameTest, ASaveThatCannotBeWrittenIsReportedAndPlayGoesOn) {
    PlaySome(6);
    const TPuzzleState playing = Puzzle;
    Game->ProfilePath = scratch.Folder() + "gone/";
    std::string error;
    EXPECT_EQ(Model.SaveGameNamed("mine", &error), 0);
    EXPECT_EQ(error, "Could not create the save game file '" + scratch.Folder() +
                         "gone/mine.dat'\r\n(its folder does not exist)");
    ExpectSamePuzzle(Puzzle, playing);

    Game->ProfilePath = scratch.Folder() + "profiles/";
    for (const char* name : {"", "../escape", "a/b", "back\\slash", ".hidden", "tab\there"}) {
        EXPECT_EQ(Model.SaveGameNamed(name, &error), 0) << name;
        EXPECT_EQ(error, "That name cannot be used for a saved game.");
        EXPECT_EQ(Model.LoadGameNamed(name), -1) << name;
    }
    EXPECT_FALSE(Exists(scratch.Folder() + "escape.dat"));
    EXPECT_EQ(Model.SaveGameNamed("Zoë's puzzle 1"), 1);
}
