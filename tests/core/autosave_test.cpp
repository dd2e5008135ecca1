// SPDX-License-Identifier: GPL-3.0-or-later
// The autosave: the puzzle in progress kept in one reserved file and given
// back exactly; a damaged file is kept aside with a line in the error log.
#include <filesystem>
#include <fstream>

#include "core_support.h"
#include "framework/paths/errors.h"
#include "game/core/autosave.h"
#include "game/core/edits.h"
#include "game/core/save_game.h"
#include "tallyfold/platform/system.h"

namespace fs = std::filesystem;

namespace {

struct Kept {
    TGrid player, solution, vertical, horizontal;
    TMarkupGrid marks;
    int width, difficulty, autoMarkup, custom;
    bool operator==(const Kept&) const = default;
};

Kept Now() {
    return {Puzzle.PlayerGrid, Puzzle.SolutionGrid,     Puzzle.VerticalSumGrid, Puzzle.HorizontalSumGrid,
            Puzzle.MarkupGrid, Puzzle.BoardWidth,       Puzzle.PuzzleDifficulty, Puzzle.AutoMarkup,
            Puzzle.IsCustomPuzzle};
}

class AutosaveTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        SharedData.Folder = scratch.Folder();
    }
    void TearDown() override {
        SharedData.Folder.clear();
        CoreTest::TearDown();
    }
    std::string Log() { return fs::exists(scratch / "ErrorLog.txt") ? ReadBytes(scratch / "ErrorLog.txt") : ""; }
    void Edit(TEditKind kind, int x, int y, int digit) {
        TEditRequest r;
        r.Kind = kind;
        r.X = x;
        r.Y = y;
        r.Digit = digit;
        ASSERT_EQ(ApplyEdit(r), TEditResult::Applied);
    }
};

}  // namespace

TEST_F(AutosaveTest, KeepsThePuzzleExactlyAndOnlyWhileItIsWorthKeeping) {
    BuildBlockPuzzle(9);
    Puzzle.PuzzleDifficulty = 2;
    Core->RestartPuzzle();
    EXPECT_EQ(AutosaveWanted(), 0) << "an untouched new puzzle replaces nothing";
    Edit(TEditKind::Digit, 1, 1, 1);
    Edit(TEditKind::Mark, 2, 4, 7);
    Edit(TEditKind::Mark, 2, 4, 3);
    Edit(TEditKind::Digit, 5, 5, 9);
    Puzzle.IsCustomPuzzle = 1;
    EXPECT_EQ(AutosaveWanted(), 1);
    Advance(123456);
    ASSERT_EQ(WriteAutosave(), 1);
    EXPECT_TRUE(fs::exists(Game->ProfilePath + "autosave.sav"));
    const Kept kept = Now();

    // Something else on the board, a while later.
    BuildBlockPuzzle(6);
    Puzzle.PuzzleDifficulty = 0;
    Puzzle.IsCustomPuzzle = 0;
    Puzzle.ShowSolution = Puzzle.PuzzleCompleted = 1;
    Puzzle.TimerStop = now;
    Advance(50000);

    ASSERT_EQ(AutosaveExists(), 1);
    int elapsed = 0;
    ASSERT_EQ(LoadAutosave(&elapsed), 1);
    EXPECT_EQ(Now(), kept);
    EXPECT_EQ(elapsed, 123456);
    EXPECT_EQ(PuzzleElapsed(), 123456) << "the clock goes on from the kept time";
    EXPECT_EQ(Puzzle.ShowSolution + Puzzle.PuzzleCompleted + Puzzle.TimerStop + Puzzle.CustomMode, 0);
    EXPECT_EQ(CanUndo(), 0);
    EXPECT_EQ(AutosaveWanted(), 1) << "a continued puzzle is kept again even before it changes";
    Advance(1000);
    Puzzle.TimerStop = now;
    Advance(9000);
    EXPECT_EQ(PuzzleElapsed(), 124456) << "a frozen clock counts up to where it stopped";

    Puzzle.PuzzleCompleted = 1;
    EXPECT_EQ(AutosaveWanted(), 0);
    Puzzle.PuzzleCompleted = 0;
    Puzzle.CustomMode = 1;
    EXPECT_EQ(AutosaveWanted(), 0) << "a puzzle being typed in is not one to continue";

    RemoveAutosave();
    EXPECT_EQ(AutosaveExists(), 0);
    EXPECT_EQ(LoadAutosave(), 0);
    EXPECT_TRUE(Log().empty()) << Log();
}

// A file that was read and found damaged is kept aside, never deleted; one
// that cannot be read is left alone and never written over; a write that fails
// keeps the puzzle in memory until the disk takes it. The puzzle in play never
// changes on the way, and the player hears of each problem once.
TEST_F(AutosaveTest, DamagedFilesAreSetAsideUnreadableOnesLeftAndFailedWritesKept) {
    WriteBytes(scratch / "ErrorLog.txt", "Date: earlier\r\nan older report\r\n");
    BuildBlockPuzzle(9);
    Core->RestartPuzzle();
    Edit(TEditKind::Digit, 1, 1, 2);
    const std::string good = AutosaveText();
    const Kept onBoard = Now();
    const std::string path = Game->ProfilePath + "autosave.sav";

    std::string wrongClue = good;
    wrongClue.replace(wrongClue.find("00/"), 3, "07/");
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"empty", ""},
        {"not ours", "hello\r\n"},
        {"header only", "Tallyfold Autosave\r\n"},
        {"bad flag", "Tallyfold Autosave\r\n2\r\n" + good.substr(good.find("Tallyfold Savegame"))},
        {"cut short", good.substr(0, good.size() / 2)},
        {"clue off its run", wrongClue},
        {"binary", std::string("Tallyfold Autosave\r\n0\r\n\0\xff\x01", 26)},
        {"far too large", std::string(200 * 1024, '7')},
    };
    int lines = 0;
    for (const auto& [what, bytes] : damaged) {
        WriteBytes(path, bytes);
        ASSERT_EQ(LoadAutosave(), -1) << what;
        EXPECT_EQ(Now(), onBoard) << what << ": the puzzle in play stays as it was";
        EXPECT_FALSE(fs::exists(path)) << what;
        EXPECT_EQ(ReadBytes(path + ".damaged"), bytes) << what;
        WriteBytes(path, bytes);
        EXPECT_EQ(AutosaveExists(), 0) << what;
        EXPECT_FALSE(fs::exists(path)) << what;
        EXPECT_EQ(ReadBytes(path + ".damaged.2"), bytes) << what << ": the first one kept aside stays";
        fs::remove(path + ".damaged");
        fs::remove(path + ".damaged.2");
        const std::string log = Log();
        int count = 0;
        for (size_t at = log.find("was damaged"); at != std::string::npos; at = log.find("was damaged", at + 1)) ++count;
        EXPECT_EQ(count, lines + 2) << what << "\n" << log;
        lines = count;
    }
    EXPECT_NE(Log().find("an older report"), std::string::npos) << "the log keeps what it held";
    EXPECT_NE(Log().find("has been kept as " + path + ".damaged."), std::string::npos) << Log();
    EXPECT_TRUE(coreNotices.empty());

    // Something that cannot be read (a folder, a link to a device) is left as
    // it is, the player is told once, and nothing is written over it; the
    // puzzle of this session is still there to continue.
    fs::create_directories(path);
    EXPECT_EQ(AutosaveExists(), 0);
    EXPECT_EQ(LoadAutosave(), -1);
    ASSERT_EQ(coreNotices.size(), 1u);
    EXPECT_EQ(coreNotices[0].rfind("The puzzle kept from last time cannot be read", 0), 0u) << coreNotices[0];
    EXPECT_NE(coreNotices[0].find(path + " (it is not a regular file)"), std::string::npos) << coreNotices[0];
    EXPECT_EQ(WriteAutosave(), 0);
    EXPECT_TRUE(fs::is_directory(path));
    ASSERT_EQ(AutosaveExists(), 1);
    RemoveAutosave();
    EXPECT_TRUE(fs::is_directory(path));
    fs::remove(path);
    ResetAutosaveState();
    fs::create_symlink("/dev/null", path);
    EXPECT_EQ(AutosaveExists(), 0);
    EXPECT_TRUE(fs::is_symlink(path));
    fs::remove(path);
    ResetAutosaveState();
    coreNotices.clear();

    // A write that fails keeps the puzzle in memory: Continue still finds it,
    // the player is told once and the log says why once, and the next chance
    // puts it on disk.
    const std::string profiles = Game->ProfilePath;
    Game->ProfilePath = scratch.Folder() + "missing/";
    EXPECT_EQ(WriteAutosave(), 0);
    Edit(TEditKind::Digit, 2, 1, 3);
    const Kept later = Now();
    const std::string laterText = AutosaveText();
    EXPECT_EQ(WriteAutosave(), 0);
    ASSERT_EQ(coreNotices.size(), 1u);
    EXPECT_EQ(coreNotices[0].rfind("Your puzzle in progress could not be kept on disk.", 0), 0u) << coreNotices[0];
    EXPECT_NE(coreNotices[0].find(scratch.Folder() + "missing/autosave.sav: its folder does not exist."),
              std::string::npos)
        << coreNotices[0];
    const std::string log = Log();
    EXPECT_NE(log.find("Could not write"), std::string::npos);
    EXPECT_EQ(log.find("Could not write"), log.rfind("Could not write"));
    EXPECT_EQ(UnsavedAutosaveReason(), "its folder does not exist");
    BuildBlockPuzzle(6);
    ASSERT_EQ(AutosaveExists(), 1);
    ASSERT_EQ(LoadAutosave(), 1);
    EXPECT_EQ(Now(), later);
    Game->ProfilePath = profiles;
    EXPECT_EQ(FlushAutosave(), 1);
    EXPECT_EQ(ReadBytes(path), laterText);
    EXPECT_EQ(UnsavedAutosaveReason(), "");
    EXPECT_EQ(coreNotices.size(), 1u);
}
