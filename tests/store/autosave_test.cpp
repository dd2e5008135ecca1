// SPDX-License-Identifier: GPL-3.0-or-later
// The autosave: the puzzle in progress kept in one reserved file and given
// back exactly; a damaged file is kept aside with a line in the error log.
#include <filesystem>
#include <fstream>
#include <random>

#include "framework/paths/errors.h"
#include "game/core/autosave.h"
#include "game/core/edits.h"
#include "game/core/save_game.h"
#include "store_support.h"
#include "tallyfold/platform/system.h"

namespace fs = std::filesystem;

namespace {

struct Kept {
    TGrid player, solution, vertical, horizontal;
    TMarkupGrid marks;
    int width, difficulty, autoMarkup, custom;
    bool operator==(const Kept&) const = default;
};

Kept Now(const TPuzzleState& Puzzle) {
    return {Puzzle.PlayerGrid,        Puzzle.SolutionGrid, Puzzle.VerticalSumGrid,
            Puzzle.HorizontalSumGrid, Puzzle.MarkupGrid,   Puzzle.BoardWidth,
            Puzzle.PuzzleDifficulty,  Puzzle.AutoMarkup,   Puzzle.IsCustomPuzzle};
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
        ASSERT_EQ(Model.ApplyEdit(r), TEditResult::Applied);
    }
};

}  // namespace

TEST_F(AutosaveTest, KeepsThePuzzleExactlyAndOnlyWhileItIsWorthKeeping) {
    BuildBlockPuzzle(9);
    Puzzle.PuzzleDifficulty = 2;
    Core->RestartPuzzle();
    EXPECT_EQ(Model.AutosaveWanted(), 0) << "an untouched new puzzle replaces nothing";
    Edit(TEditKind::Digit, 1, 1, 1);
    Edit(TEditKind::Mark, 2, 4, 7);
    Edit(TEditKind::Mark, 2, 4, 3);
    Edit(TEditKind::Digit, 5, 5, 9);
    Puzzle.IsCustomPuzzle = 1;
    EXPECT_EQ(Model.AutosaveWanted(), 1);
    Advance(123456);
    ASSERT_EQ(Model.WriteAutosave(), 1);
    EXPECT_TRUE(fs::exists(Game->ProfilePath + "autosave.sav"));
    const Kept kept = Now(Puzzle);

    // Something else on the board, a while later.
    BuildBlockPuzzle(6);
    Puzzle.PuzzleDifficulty = 0;
    Puzzle.IsCustomPuzzle = 0;
    Puzzle.ShowSolution = Puzzle.PuzzleCompleted = 1;
    Puzzle.TimerStop = now;
    Advance(50000);

    ASSERT_EQ(Model.AutosaveExists(), 1);
    int elapsed = 0;
    ASSERT_EQ(Model.LoadAutosave(&elapsed), 1);
    EXPECT_EQ(Now(Puzzle), kept);
    EXPECT_EQ(elapsed, 123456);
    EXPECT_EQ(Model.PuzzleElapsed(), 123456) << "the clock goes on from the kept time";
    EXPECT_EQ(Puzzle.ShowSolution + Puzzle.PuzzleCompleted + Puzzle.TimerStop + Puzzle.CustomMode, 0);
    EXPECT_EQ(Model.CanUndo(), 1) << "the edits come back with the puzzle";
    EXPECT_EQ(Model.AutosaveWanted(), 1) << "a continued puzzle is kept again even before it changes";
    Advance(1000);
    Puzzle.TimerStop = now;
    Advance(9000);
    EXPECT_EQ(Model.PuzzleElapsed(), 124456) << "a frozen clock counts up to where it stopped";

    Puzzle.PuzzleCompleted = 1;
    EXPECT_EQ(Model.AutosaveWanted(), 0);
    Puzzle.PuzzleCompleted = 0;
    Puzzle.CustomMode = 1;
    EXPECT_EQ(Model.AutosaveWanted(), 0) << "a puzzle being typed in is not one to continue";

    Model.RemoveAutosave();
    EXPECT_EQ(Model.AutosaveExists(), 0);
    EXPECT_EQ(Model.LoadAutosave(), 0);
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
    const std::string good = Model.AutosaveText();
    const Kept onBoard = Now(Puzzle);
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
        {"far too large", std::string(5 * 1024 * 1024, '7')},
    };
    int lines = 0;
    for (const auto& [what, bytes] : damaged) {
        WriteBytes(path, bytes);
        ASSERT_EQ(Model.LoadAutosave(), -1) << what;
        EXPECT_EQ(Now(Puzzle), onBoard) << what << ": the puzzle in play stays as it was";
        EXPECT_FALSE(fs::exists(path)) << what;
        EXPECT_EQ(ReadBytes(path + ".damaged"), bytes) << what;
        WriteBytes(path, bytes);
        EXPECT_EQ(Model.AutosaveExists(), 0) << what;
        EXPECT_FALSE(fs::exists(path)) << what;
        EXPECT_EQ(ReadBytes(path + ".damaged.2"), bytes) << what << ": the first one kept aside stays";
        fs::remove(path + ".damaged");
        fs::remove(path + ".damaged.2");
        const std::string log = Log();
        int count = 0;
        for (size_t at = log.find("was damaged"); at != std::string::npos; at = log.find("was damaged", at + 1))
            ++count;
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
    EXPECT_EQ(Model.AutosaveExists(), 0);
    EXPECT_EQ(Model.LoadAutosave(), -1);
    ASSERT_EQ(coreNotices.size(), 1u);
    EXPECT_EQ(coreNotices[0].rfind("The puzzle kept from last time cannot be read", 0), 0u) << coreNotices[0];
    EXPECT_NE(coreNotices[0].find(path + " (it is not a regular file)"), std::string::npos) << coreNotices[0];
    EXPECT_EQ(Model.WriteAutosave(), 0);
    EXPECT_TRUE(fs::is_directory(path));
    ASSERT_EQ(Model.AutosaveExists(), 1);
    Model.RemoveAutosave();
    EXPECT_TRUE(fs::is_directory(path));
    fs::remove(path);
    Model.AutosaveState = TAutosaveState{};
    fs::create_symlink("/dev/null", path);
    EXPECT_EQ(Model.AutosaveExists(), 0);
    EXPECT_TRUE(fs::is_symlink(path));
    fs::remove(path);
    Model.AutosaveState = TAutosaveState{};
    coreNotices.clear();

    // A write that fails keeps the puzzle in memory: Continue still finds it,
    // the player is told once and the log says why once, and the next chance
    // puts it on disk.
    const std::string profiles = Game->ProfilePath;
    Game->ProfilePath = scratch.Folder() + "missing/";
    EXPECT_EQ(Model.WriteAutosave(), 0);
    Edit(TEditKind::Digit, 2, 1, 3);
    const Kept later = Now(Puzzle);
    const std::string laterText = Model.AutosaveText();
    EXPECT_EQ(Model.WriteAutosave(), 0);
    ASSERT_EQ(coreNotices.size(), 1u);
    EXPECT_EQ(coreNotices[0].rfind("Your puzzle in progress could not be kept on disk.", 0), 0u) << coreNotices[0];
    EXPECT_NE(coreNotices[0].find(scratch.Folder() + "missing/autosave.sav: its folder does not exist."),
              std::string::npos)
        << coreNotices[0];
    const std::string log = Log();
    EXPECT_NE(log.find("Could not write"), std::string::npos);
    EXPECT_EQ(log.find("Could not write"), log.rfind("Could not write"));
    EXPECT_EQ(Model.UnsavedAutosaveReason(), "its folder does not exist");
    BuildBlockPuzzle(6);
    ASSERT_EQ(Model.AutosaveExists(), 1);
    ASSERT_EQ(Model.LoadAutosave(), 1);
    EXPECT_EQ(Now(Puzzle), later);
    Game->ProfilePath = profiles;
    EXPECT_EQ(Model.FlushAutosave(), 1);
    EXPECT_EQ(ReadBytes(path), laterText);
    EXPECT_EQ(Model.UnsavedAutosaveReason(), "");
    EXPECT_EQ(coreNotices.size(), 1u);
}

// Continue brings back undo and redo: every state of a long random game is reached
// again from the loaded puzzle, all the way back and forward. An autosave of the
// older form (no history) still loads, and so does one whose history is damaged or
// hostile: the puzzle comes back without its history, and the log says why.
TEST_F(AutosaveTest, UndoAndRedoComeBackWithTheKeptPuzzle) {
    struct State {
        TGrid player;
        TMarkupGrid marks;
        int autoMarkup;
        bool operator==(const State&) const = default;
    };
    auto state = [this] { return State{Puzzle.PlayerGrid, Puzzle.MarkupGrid, Puzzle.AutoMarkup}; };
    std::mt19937 random(31);
    BuildBlockPuzzle(12);
    Core->RestartPuzzle();
    std::vector<State> states{state()};
    for (int step = 0; step < 300; ++step) {
        TEditRequest r;
        const int kind = static_cast<int>(random() % 20);
        r.Kind = kind < 9    ? TEditKind::Digit
                 : kind < 12 ? TEditKind::Erase
                 : kind < 18 ? TEditKind::Mark
                 : kind < 19 ? TEditKind::Reveal
                             : TEditKind::AutoMarks;
        r.X = static_cast<int>(random() % 12);
        r.Y = static_cast<int>(random() % 12);
        r.Digit = r.Kind == TEditKind::AutoMarks ? 1 - Puzzle.AutoMarkup : 1 + static_cast<int>(random() % 9);
        if (Model.ApplyEdit(r) == TEditResult::Applied) states.push_back(state());
    }
    // Some of it undone: the file keeps what redo would put back too.
    const std::size_t undone = 17;
    for (std::size_t k = 0; k < undone; ++k) ASSERT_EQ(Model.UndoEdit(), 1);
    const std::size_t at = states.size() - 1 - undone;
    ASSERT_EQ(state(), states[at]);
    ASSERT_GT(at, 100u);
    ASSERT_EQ(Model.WriteAutosave(), 1);
    const std::string written = ReadBytes(Game->ProfilePath + "autosave.sav");

    Core->RestartPuzzle();
    ASSERT_EQ(Model.LoadAutosave(), 1);
    EXPECT_EQ(state(), states[at]);
    for (std::size_t k = at; k > 0; --k) {
        ASSERT_EQ(Model.UndoEdit(), 1);
        ASSERT_EQ(state(), states[k - 1]) << "undo to state " << k - 1;
    }
    EXPECT_EQ(Model.CanUndo(), 0);
    for (std::size_t k = 1; k < states.size(); ++k) {
        ASSERT_EQ(Model.RedoEdit(), 1);
        ASSERT_EQ(state(), states[k]) << "redo to state " << k;
    }
    EXPECT_EQ(Model.CanRedo(), 0);

    // The file without its history is the form older versions wrote.
    const std::size_t history = written.find("\r\nhistory ");
    ASSERT_NE(history, std::string::npos);
    const std::string old = written.substr(0, history + 2);
    const std::string section = written.substr(history + 2);
    std::vector<std::pair<std::string, std::string>> files = {{"older form", old}};
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = section;
        const std::size_t where = text.find(from);
        EXPECT_NE(where, std::string::npos) << from;
        return old + text.replace(where, from.size(), to);
    };
    const std::string firstEdit = section.substr(section.find("edit "), 12);
    files.push_back({"counts beyond the file", replaced(section.substr(0, section.find("\r\n")), "history 999999 0")});
    files.push_back({"count not a number", replaced("history ", "history -")});
    files.push_back({"huge count", replaced("history ", "history 99999999999999")});
    files.push_back({"fewer edits than said", old + "history 1 0\r\n"});
    files.push_back({"lines left over", written + "edit 0 0 0 0\r\n"});
    files.push_back({"a kind that changes the shape", replaced("edit ", "edit 5 0 0 0\r\nedit ")});
    files.push_back({"huge cell count", replaced(firstEdit, "edit 0 0 0 99999999")});
    files.push_back({"only the header", old + "history\r\n"});
    // The first cell line of the section.
    const std::size_t cell = section.find("\r\n", section.find("edit ")) + 2;
    const std::string cellLine = section.substr(cell, section.find("\r\n", cell) - cell);
    const std::string rest = cellLine.substr(cellLine.find(' ', cellLine.find(' ') + 1));
    files.push_back({"cell off the board", replaced(cellLine, "13 2" + rest)});
    files.push_back({"cell far off the board", replaced(cellLine, "4294967296 2" + rest)});
    files.push_back({"cut short", written.substr(0, written.size() - 30)});
    std::string player = cellLine;
    player.replace(player.find(' ', player.find(' ') + 1) + 1, 1, "7");
    files.push_back({"a value no table has",
                     replaced(cellLine, player.substr(0, player.find(' ', player.find(' ') + 1) + 1) + "77" +
                                            player.substr(player.find(' ', player.find(' ') + 1) + 2))});
    files.push_back({"binary", old + std::string("history 1 0\r\nedit \0\xff 1 1\r\n", 26)});
    // Well formed, but undo would not lead back from the board: the last edit's result changed.
    std::string last = section.substr(section.rfind("edit "));
    files.push_back({"edits that do not meet the board",
                     old + section.substr(0, section.rfind("edit ")) +
                         last.replace(last.find("\r\n") + 2, 2, "0 0 88 88 3 0 000000000 88 88 3 0 000000000\r\n")
                             .substr(0, last.size())});
    for (const auto& [what, bytes] : files) {
        WriteBytes(Game->ProfilePath + "autosave.sav", bytes);
        Core->RestartPuzzle();
        ASSERT_EQ(Model.LoadAutosave(), 1) << what;
        EXPECT_EQ(state(), states[at]) << what << ": the puzzle is whole";
        EXPECT_EQ(Model.CanUndo() + Model.CanRedo(), 0) << what;
        EXPECT_EQ(Model.AutosaveWanted(), 1) << what;
        if (what != "older form") {
            EXPECT_NE(Log().find("undo history kept with"), std::string::npos) << what;
        }
        std::filesystem::remove(scratch / "ErrorLog.txt");
    }
    EXPECT_TRUE(coreNotices.empty());
}
