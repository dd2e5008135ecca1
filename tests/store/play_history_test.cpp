// SPDX-License-Identifier: GPL-3.0-or-later
// The play history file on the real file system: kills while it is written,
// damage, hostile names and an open umask; and the records the game's own
// puzzles leave in it.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "framework/paths/errors.h"
#include "game/core/daily_puzzle.h"
#include "game/core/play_record.h"
#include "store_support.h"

namespace {

TPlayRecord Numbered(int n) {
    TPlayRecord r;
    r.Date = {2026, 12, 11};
    r.Source = "seed:" + std::to_string(n);
    r.TimeMs = n;
    r.Finished = n % 2;
    return r;
}

int CountLines(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST_F(CoreTest, PlayHistorySurvivesKillsAtAnyMoment) {
    const std::string path = scratch / "history.txt";
    std::size_t seen = 0;
    for (int round = 0; round < 12; ++round) {
        std::fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TPlayHistory history;
            history.filepath = path;
            history.Load();
            for (int n = static_cast<int>(history.Records.size());; ++n) history.Append(Numbered(n));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(15 + 17 * round));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        // Whole lines only, in order, never fewer than before: the old file or the new.
        std::string bytes = ReadBytes(path);
        int dropped = -1;
        const auto records = DecodePlayHistory(bytes, &dropped);
        ASSERT_EQ(dropped, 0) << "round " << round;
        ASSERT_GE(records.size(), seen);
        for (std::size_t i = 0; i < records.size(); ++i) ASSERT_EQ(records[i], Numbered(static_cast<int>(i)));
        seen = records.size();
    }
    EXPECT_GT(seen, 0u);
}

TEST_F(CoreTest, PlayHistoryDamageLosesOnlyTheDamagedLines) {
    const std::string oldShared = SharedData.Folder;
    SharedData.Folder = scratch.Folder();
    std::vector<TPlayRecord> records;
    for (int n = 0; n < 20; ++n) records.push_back(Numbered(n));
    const std::string good = EncodePlayHistory(records);
    // A tail cut off in the middle of a line, and zeros over a line in the middle.
    std::string damaged = good.substr(0, good.size() - 9);
    const std::size_t middle = damaged.find("seed:7 ");
    damaged.replace(middle, 5, std::string(5, '\0'));
    WriteBytes(scratch / "history.txt", damaged);

    TPlayHistory history;
    history.filepath = scratch / "history.txt";
    history.Load();
    ASSERT_EQ(history.Records.size(), 18u);
    EXPECT_EQ(history.Records[6], records[6]);
    EXPECT_EQ(history.Records[7], records[8]);
    EXPECT_TRUE(history.NotSavedReason.empty());
    // What was there is kept aside; the history goes on without the bad lines.
    EXPECT_EQ(ReadBytes(scratch / "history.txt.damaged"), damaged);
    EXPECT_EQ(DecodePlayHistory(ReadBytes(scratch / "history.txt")).size(), 18u);
    EXPECT_EQ(CountLines(ReadBytes(scratch / "ErrorLog.txt"), "The play history"), 1);
    history.Load();
    EXPECT_FALSE(Exists(scratch / "history.txt.damaged.2"));
    EXPECT_EQ(CountLines(ReadBytes(scratch / "ErrorLog.txt"), "The play history"), 1);

    // Far too large: set aside whole, a new history begun.
    const std::string huge(4 * 1024 * 1024, 'R');
    WriteBytes(scratch / "history.txt", huge);
    history.Load();
    EXPECT_TRUE(history.Records.empty());
    EXPECT_EQ(ReadBytes(scratch / "history.txt.damaged.2").size(), huge.size());
    EXPECT_EQ(history.Append(Numbered(1)), 1);
    EXPECT_EQ(DecodePlayHistory(ReadBytes(scratch / "history.txt")).size(), 1u);

    // Ten thousand kept, the oldest dropped as the next is added.
    std::vector<TPlayRecord> full;
    for (int n = 0; n < MaxPlayRecords; ++n) full.push_back(Numbered(n));
    WriteBytes(scratch / "history.txt", EncodePlayHistory(full));
    history.Load();
    EXPECT_EQ(history.Append(Numbered(MaxPlayRecords)), 1);
    const auto kept = DecodePlayHistory(ReadBytes(scratch / "history.txt"));
    ASSERT_EQ(kept.size(), static_cast<std::size_t>(MaxPlayRecords));
    EXPECT_EQ(kept.front(), Numbered(1));
    EXPECT_EQ(kept.back(), Numbered(MaxPlayRecords));
    SharedData.Folder = oldShared;
}

TEST_F(CoreTest, PlayHistoryLeavesForeignNamesAloneAndKeepsToItselfUnderAnOpenUmask) {
    const std::string oldShared = SharedData.Folder;
    SharedData.Folder = scratch.Folder();
    // A pipe, a link to nothing and a folder under the name: never read through,
    // written over or removed; the session's records stay in memory.
    ASSERT_EQ(mkfifo((scratch / "fifo.txt").c_str(), 0600), 0);
    std::filesystem::create_symlink(scratch / "nothing", scratch / "link.txt");
    std::filesystem::create_directories(scratch / "folder.txt");
    for (const char* name : {"fifo.txt", "link.txt", "folder.txt"}) {
        TPlayHistory history;
        history.filepath = scratch / name;
        history.Load();
        EXPECT_FALSE(history.NotSavedReason.empty()) << name;
        EXPECT_EQ(history.Append(Numbered(3)), 0) << name;
        EXPECT_EQ(history.Records.size(), 1u);
    }
    struct stat st;
    ASSERT_EQ(lstat((scratch / "fifo.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(lstat((scratch / "link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_FALSE(Exists(scratch / "nothing"));
    EXPECT_TRUE(std::filesystem::is_directory(scratch / "folder.txt"));

    const mode_t oldMask = umask(0);
    TPlayHistory history;
    history.filepath = scratch / "history.txt";
    history.Load();
    EXPECT_EQ(history.Append(Numbered(1)), 1);
    umask(oldMask);
    ASSERT_EQ(stat((scratch / "history.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u) << std::oct << st.st_mode;
    EXPECT_EQ(CountLines(ReadBytes(scratch / "ErrorLog.txt"), "cannot be read"), 3);
    SharedData.Folder = oldShared;
}

// Generated, daily, continued and typed-in puzzles as the player leaves or finishes them.
TEST_F(CoreTest, PuzzlesLeaveTheirRecords) {
    auto records = [&] { return DecodePlayHistory(ReadBytes(scratch / "history.txt")); };
    auto fillIn = [&] {
        for (int x = 0; x < Puzzle.BoardWidth; ++x)
            for (int y = 0; y < Puzzle.BoardHeight; ++y) Puzzle.PlayerGrid[x][y] = Puzzle.SolutionGrid[x][y];
    };
    ASSERT_TRUE(Core->CreatePuzzle(6, 6, 1));
    const std::string firstSource = Model.PlayTrack.Source;
    EXPECT_EQ(firstSource.rfind("seed:", 0), 0u);
    // Left untouched for another: nothing to record.
    ASSERT_TRUE(Core->CreatePuzzle(6, 6, 1));
    EXPECT_TRUE(records().empty());
    const std::string secondSource = Model.PlayTrack.Source;
    Core->ShowRandomCell();
    Core->ShowRandomCell();
    ASSERT_TRUE(Core->CreatePuzzle(7, 7, 2));
    auto got = records();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].Source, secondSource);
    EXPECT_EQ(got[0].Width, 6);
    EXPECT_EQ(got[0].Level, 1);
    EXPECT_EQ(got[0].Reveals, 2);
    EXPECT_EQ(got[0].Finished, 0);

    // Continued from a save of the same puzzle: one record, not two.
    Core->ShowHideSolution();
    Core->ShowHideSolution();
    TSaveGameContent same;
    same.BoardWidth = same.BoardHeight = 7;
    same.PuzzleDifficulty = 2;
    same.SolutionGrid = Puzzle.SolutionGrid;
    same.PlayerGrid = Puzzle.PlayerGrid;
    same.HorizontalSumGrid = Puzzle.HorizontalSumGrid;
    same.VerticalSumGrid = Puzzle.VerticalSumGrid;
    Model.ApplySaveGameContent(same);
    fillIn();
    ASSERT_EQ(Core->IsPuzzleCompleted(), 1);
    Model.EndPlayRecord(1);
    Model.EndPlayRecord(1);
    got = records();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].Width, 7);
    EXPECT_EQ(got[1].Solution, 1);
    EXPECT_EQ(got[1].Finished, 1);

    // The daily puzzle of a date, by its date.
    TDailyPuzzle daily;
    ASSERT_TRUE(MakeDailyPuzzle({2026, 12, 10}, 0, daily));
    ASSERT_TRUE(PlayDailyPuzzle(*Core, daily));
    EXPECT_EQ(Puzzle.BoardWidth, 9);
    EXPECT_EQ(Model.PlayTrack.Source, "daily:2026-12-10");
    fillIn();
    EXPECT_EQ(Model.BoardSolved(), 1);
    Model.EndPlayRecord(1);
    got = records();
    ASSERT_EQ(got.size(), 3u);
    TCivilDate date;
    ASSERT_TRUE(got[2].DailyDate(date));
    EXPECT_EQ(date, (TCivilDate{2026, 12, 10}));
    EXPECT_EQ(got[2].Level, 0);
}
