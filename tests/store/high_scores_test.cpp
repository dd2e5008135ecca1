// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>

#include <filesystem>

#include "as_user.h"
#include "framework/paths/errors.h"
#include "game/core/high_scores.h"
#include "store_support.h"

namespace {

std::shared_ptr<TKakuroHighScoreList> ListWithTimes(const std::string& path, std::vector<int> times) {
    auto list = TKakuroHighScoreList::Create(path, 10, 10);
    for (int time : times) list->Add("P" + std::to_string(time), time, 1);
    return list;
}

std::vector<int> Times(const TKakuroHighScoreList& list) {
    std::vector<int> times;
    for (const auto& entry : list.Entries) times.push_back(entry->time);
    return times;
}

}  // namespace

TEST_F(CoreTest, DefaultTableIsWrittenAndTakesAnyBetterTime) {
    auto list = TKakuroHighScoreList::Create(scratch / "hs9x9", 10, 10);
    list->Notice = Model.Hooks.Notice;
    EXPECT_EQ(list->filepath, scratch / "hs9x9.dat");
    list->Load();
    ASSERT_EQ(list->Count(), 10);
    EXPECT_EQ(list->Entries[0]->name, "Paper Crane");
    EXPECT_EQ(list->Entries[9]->name, "Paper Moth");
    for (const auto& entry : list->Entries) {
        EXPECT_EQ(entry->time, 5940000);
        EXPECT_EQ(entry->difficulty, 2);
    }
    EXPECT_TRUE(Exists(list->filepath));
    EXPECT_EQ(list->WillEnterHighscore(5939999), 1);
    EXPECT_EQ(list->WillEnterHighscore(5940000), 0);
    EXPECT_TRUE(coreNotices.empty());
}

TEST_F(CoreTest, InsertionRanksEqualTimesAfterAndKeepsTen) {
    auto list = ListWithTimes(scratch / "t", {10, 20, 30, 40, 50, 60, 70, 80, 90, 100});
    EXPECT_EQ(list->WillEnterHighscore(100), 0);
    EXPECT_EQ(list->WillEnterHighscore(99), 10);
    EXPECT_EQ(list->WillEnterHighscore(30), 4);
    list->Insert("New", 30, 0);
    EXPECT_EQ(Times(*list), (std::vector<int>{10, 20, 30, 30, 40, 50, 60, 70, 80, 90}));
    EXPECT_EQ(list->Entries[3]->name, "New");
    list->Insert("Slow", 1000, 0);
    EXPECT_EQ(list->Count(), 10);
    EXPECT_EQ(list->Entries[9]->time, 90);
}

TEST_F(CoreTest, HighScoreFileEncodingSurvivesEveryName) {
    // Every byte value a name string could carry, plus accented letters.
    std::string everything;
    for (int b = 1; b < 256; ++b) everything += static_cast<char>(b);
    auto list = TKakuroHighScoreList::Create(scratch / "hs6x6", 10, 10);
    list->Notice = Model.Hooks.Notice;
    list->Add("Zoë Åström", 61000, 0);
    list->Add(everything, 62000, 1);
    list->Add("\xC1\xFF", 63000, 2);
    EXPECT_EQ(list->Entries[2]->name, "??");
    ASSERT_EQ(list->Save(), 1);

    const std::string bytes = ReadBytes(list->filepath);
    const std::string first = "Zoë Åström";
    ASSERT_GT(bytes.size(), first.size() + 9);
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(static_cast<unsigned char>(bytes[i]), (static_cast<unsigned char>(first[i]) + NameOffset) & 0xFF);
    EXPECT_EQ(bytes.substr(first.size(), 9), std::string("\0\x48\xEE\x00\x00\x00\x00\x00\x00", 9));

    auto reread = TKakuroHighScoreList::Create(scratch / "hs6x6", 10, 10);
    reread->Notice = Model.Hooks.Notice;
    reread->Load();
    ASSERT_EQ(reread->Count(), 3);
    EXPECT_EQ(reread->Entries[0]->name, "Zoë Åström");
    // Printable ASCII, then '?' for each lone high byte, cut to what the table shows.
    EXPECT_EQ(reread->Entries[1]->name, list->Entries[1]->name.substr(0, HighScoreNameChars));
    EXPECT_EQ(ShownHighScoreName("Zoë Åström Zoë Åström"), "Zoë Åström Zo");
    EXPECT_EQ(Times(*reread), (std::vector<int>{61000, 62000, 63000}));
    EXPECT_EQ(reread->Entries[2]->difficulty, 2);
}

TEST_F(CoreTest, HighScoreFilesKeepWhatIsComplete) {
    // At most a table's worth of entries is read, ranked as the table is kept.
    auto eleven = ListWithTimes(scratch / "x", {11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    WriteBytes(scratch / "hs7x7.dat", EncodeHighScores(eleven->Entries));
    auto list = TKakuroHighScoreList::Create(scratch / "hs7x7", 10, 10);
    list->Notice = Model.Hooks.Notice;
    list->Load();
    EXPECT_EQ(Times(*list), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 11}));

    // Cut inside the third entry, in its name or in its numbers: two entries stay.
    const std::string three = EncodeHighScores(ListWithTimes(scratch / "y", {100, 200, 300})->Entries);
    const std::size_t third = 2 * (4 + 1 + 8);  // "P100", its end, two numbers
    for (std::size_t cut : {third + 2, third + 5, third + 9, three.size() - 1}) {
        WriteBytes(scratch / "hs7x7.dat", three.substr(0, cut));
        list->Load();
        EXPECT_EQ(Times(*list), (std::vector<int>{100, 200})) << cut;
    }
    // Entries this game never writes are left out, the rest kept.
    auto odd = ListWithTimes(scratch / "z", {100, -5, 300});
    odd->Add("Q", 400, 7);
    WriteBytes(scratch / "hs7x7.dat", EncodeHighScores(odd->Entries));
    list->Load();
    EXPECT_EQ(Times(*list), (std::vector<int>{100, 300}));
    EXPECT_TRUE(coreNotices.empty());
}

// Garbage and damage, as a hostile or unlucky file system leaves them: the
// table shows what fits, a damaged file is kept aside (never silently
// replaced), and a file that cannot be read is never written over.
TEST_F(CoreTest, HighScoreFilesThatAreDamagedOrForeignAreNeverOverwritten) {
    // 503 entries out of order, one of them a 200-byte name: ten, ranked, cut.
    auto many = TKakuroHighScoreList::Create(scratch / "m", 10, 10);
    many->Notice = Model.Hooks.Notice;
    for (int i = 0; i < 503; ++i) many->Add(i == 3 ? std::string(200, 'W') : "P", 100000 - 7 * i, i % 3);
    WriteBytes(scratch / "hs9x9.dat", EncodeHighScores(many->Entries));
    auto list = TKakuroHighScoreList::Create(scratch / "hs9x9", 10, 10);
    list->Notice = Model.Hooks.Notice;
    list->Load();
    EXPECT_EQ(Times(*list), (std::vector<int>{99937, 99944, 99951, 99958, 99965, 99972, 99979, 99986, 99993, 100000}));
    EXPECT_EQ(list->Entries[6]->name, std::string(HighScoreNameChars, 'W'));

    // Damaged before its first complete entry, or far too large: kept aside with
    // a note in the error log, and a fresh table written.
    const std::string oldShared = SharedData.Folder;
    SharedData.Folder = scratch.Folder();
    const std::string damaged = "\x01\x02\x03 not a table";
    WriteBytes(scratch / "hs9x9.dat", damaged);
    list->Load();
    EXPECT_EQ(list->Count(), 10);
    EXPECT_EQ(list->Entries[0]->name, "Paper Crane");
    EXPECT_EQ(ReadBytes(scratch / "hs9x9.dat.damaged"), damaged);
    EXPECT_EQ(DecodeHighScores(ReadBytes(scratch / "hs9x9.dat")).size(), 10u);
    const std::string huge(200000, '\x41');
    WriteBytes(scratch / "hs9x9.dat", huge);
    list->Load();
    EXPECT_EQ(ReadBytes(scratch / "hs9x9.dat.damaged"), damaged);
    EXPECT_EQ(ReadBytes(scratch / "hs9x9.dat.damaged.2"), huge);
    const std::string log = ReadBytes(scratch / "ErrorLog.txt");
    EXPECT_NE(
        log.find("The best times file " + scratch / "hs9x9.dat was damaged (not one complete entry could be read)"),
        std::string::npos)
        << log;
    EXPECT_NE(log.find("kept as " + scratch / "hs9x9.dat.damaged.2"), std::string::npos) << log;
    EXPECT_TRUE(coreNotices.empty());
    SharedData.Folder = oldShared;

    // A pipe or a link to nothing under the name: left alone, shown with the
    // defaults, not saved this session, and the player is told.
    ASSERT_EQ(mkfifo((scratch / "hs6x6.dat").c_str(), 0600), 0);
    std::filesystem::create_symlink(scratch / "nothing", scratch / "hs7x7.dat");
    for (const char* name : {"hs6x6", "hs7x7"}) {
        coreNotices.clear();
        auto foreign = TKakuroHighScoreList::Create(scratch / name, 10, 10);
        foreign->Notice = Model.Hooks.Notice;
        foreign->Load();
        EXPECT_EQ(foreign->Count(), 10) << name;
        ASSERT_EQ(coreNotices.size(), 1u) << name;
        EXPECT_EQ(coreNotices[0].rfind("The best times cannot be read", 0), 0u) << coreNotices[0];
        foreign->Insert("Ann", 1000, 0);
        EXPECT_EQ(foreign->Save(), 0) << name;
    }
    struct stat st;
    ASSERT_EQ(lstat((scratch / "hs6x6.dat").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(lstat((scratch / "hs7x7.dat").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_FALSE(Exists(scratch / "nothing"));

    // A file the player may not read (only a user without root's rights sees
    // that): left as it is, not saved over.
    const std::string folder = scratch / "private";
    std::filesystem::create_directories(folder);
    WriteBytes(folder + "/hs12x12.dat", EncodeHighScores(ListWithTimes(scratch / "k", {5, 6})->Entries));
    asuser::GiveToChild(folder);
    asuser::GiveToChild(folder + "/hs12x12.dat");
    chmod((folder + "/hs12x12.dat").c_str(), 0);
    const std::string before = ReadBytes(folder + "/hs12x12.dat");
    auto failures = asuser::Run([&] {
        coreNotices.clear();
        auto locked = TKakuroHighScoreList::Create(folder + "/hs12x12", 10, 10);
        locked->Notice = Model.Hooks.Notice;
        locked->Load();
        std::string out;
        if (locked->Count() != 10) out += "not the default table; ";
        if (coreNotices.size() != 1 || coreNotices[0].find("permission denied") == std::string::npos)
            out += "no notice naming the reason; ";
        locked->Insert("Ann", 1000, 0);
        if (locked->Save() != 0) out += "saved over a file it could not read; ";
        return out;
    });
    if (!failures) GTEST_SKIP() << "cannot switch to an unprivileged user here";
    EXPECT_EQ(*failures, "");
    EXPECT_EQ(ReadBytes(folder + "/hs12x12.dat"), before);
}

TEST_F(CoreTest, HighScoresThatCannotBeWrittenAreReportedNotFatal) {
    auto list = TKakuroHighScoreList::Create(scratch / "gone/hs9x9", 10, 10);
    list->Notice = Model.Hooks.Notice;
    list->Load();
    EXPECT_EQ(list->Count(), 10);
    ASSERT_EQ(coreNotices.size(), 1u);
    EXPECT_EQ(coreNotices[0],
              "Could not save the best times to " + scratch / "gone/hs9x9.dat (its folder does not exist)");
    list->Insert("Ann", 1000, 0);
    EXPECT_EQ(list->Save(), 0);
    EXPECT_EQ(list->Entries[0]->name, "Ann");
}

TEST_F(CoreTest, TablesBySize) {
    Model.LoadHighScoreTables();
    for (const char* name : {"hs6x6", "hs7x7", "hs9x9", "hs12x12", "hs14x14"})
        EXPECT_TRUE(Exists(scratch / (std::string(name) + ".dat"))) << name;
    Puzzle.BoardWidth = 12;
    EXPECT_EQ(Model.HighScoreListForSize(), Model.HighScoreTables.HighScores12x12);
    EXPECT_EQ(Model.WillEnterHighscoreForSize(1000), 1);
    EXPECT_EQ(Model.AddHighscoreForSize("Ann", 1, 1000), 1);
    auto reread = TKakuroHighScoreList::Create(scratch / "hs12x12", 10, 10);
    reread->Notice = Model.Hooks.Notice;
    reread->Load();
    EXPECT_EQ(reread->Entries[0]->name, "Ann");
    EXPECT_EQ(reread->Entries[0]->difficulty, 1);
    EXPECT_EQ(Model.HighScoreTables.HighScores9x9->Entries[0]->name, "Paper Crane");

    Puzzle.BoardWidth = 8;
    EXPECT_EQ(Model.HighScoreListForSize(), nullptr);
    EXPECT_EQ(Model.WillEnterHighscoreForSize(1), 0);
}

// Each level of a size has a table of its own beside the size's, written only
// once a time enters it; the size's file keeps its format and its entries.
TEST_F(CoreTest, TablesByLevelBesideTheTablesBySize) {
    auto fast = ListWithTimes(scratch / "fast", {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000});
    WriteBytes(scratch / "hs9x9.dat", EncodeHighScores(fast->Entries));
    Model.LoadHighScoreTables();
    for (const char* level : {"easy", "medium", "hard"})
        EXPECT_FALSE(Exists(scratch / (std::string("hs9x9") + level + ".dat"))) << level;
    Puzzle.BoardWidth = Puzzle.BoardHeight = 9;
    Puzzle.PuzzleDifficulty = 2;
    // Too slow for the size, the best of its level.
    EXPECT_EQ(Model.HighScoreTables.HighScores9x9->WillEnterHighscore(50000), 0);
    EXPECT_EQ(Model.WillEnterHighscoreForSize(50000), 1);
    EXPECT_EQ(Model.AddHighscoreForSize("Ann", 2, 50000), 1);
    EXPECT_EQ(ReadBytes(scratch / "hs9x9.dat"), EncodeHighScores(fast->Entries));
    EXPECT_FALSE(Exists(scratch / "hs9x9easy.dat"));
    auto hard = DecodeHighScores(ReadBytes(scratch / "hs9x9hard.dat"));
    ASSERT_EQ(hard.size(), 10u);
    EXPECT_EQ(hard[0]->name, "Ann");
    // Fast enough for both: in both files.
    EXPECT_EQ(Model.AddHighscoreForSize("Bo", 2, 500), 1);
    EXPECT_EQ(DecodeHighScores(ReadBytes(scratch / "hs9x9.dat"))[0]->name, "Bo");
    EXPECT_EQ(DecodeHighScores(ReadBytes(scratch / "hs9x9hard.dat"))[0]->name, "Bo");
    Model.LoadHighScoreTables();
    EXPECT_EQ(Model.LevelHighScoreList(9, 2)->Entries[1]->name, "Ann");
    EXPECT_EQ(Model.LevelHighScoreList(9, 0)->Entries[0]->name, "Paper Crane");
    EXPECT_EQ(Model.LevelHighScoreList(8, 0), nullptr);
    EXPECT_EQ(Model.LevelHighScoreList(9, 3), nullptr);
}
