#include "core_support.h"
#include "game/core/high_scores.h"

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
    reread->Load();
    ASSERT_EQ(reread->Count(), 3);
    EXPECT_EQ(reread->Entries[0]->name, "Zoë Åström");
    EXPECT_EQ(reread->Entries[1]->name, list->Entries[1]->name);
    EXPECT_EQ(reread->Entries[1]->name.size(), 95u + 128u);  // printable ASCII, then '?' for each lone high byte
    EXPECT_EQ(Times(*reread), (std::vector<int>{61000, 62000, 63000}));
    EXPECT_EQ(reread->Entries[2]->difficulty, 2);
}

TEST_F(CoreTest, HighScoreFilesKeepWhatIsComplete) {
    // Eleven entries stay until the next insertion trims them.
    auto eleven = ListWithTimes(scratch / "x", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    WriteBytes(scratch / "hs7x7.dat", EncodeHighScores(eleven->Entries));
    auto list = TKakuroHighScoreList::Create(scratch / "hs7x7", 10, 10);
    list->Load();
    EXPECT_EQ(list->Count(), 11);
    list->Insert("Z", 12, 0);
    EXPECT_EQ(list->Count(), 10);

    // Cut inside the third entry, in its name or in its numbers: two entries stay.
    const std::string three = EncodeHighScores(ListWithTimes(scratch / "y", {100, 200, 300})->Entries);
    const std::size_t third = 2 * (4 + 1 + 8);  // "P100", its end, two numbers
    for (std::size_t cut : {third + 2, third + 5, third + 9, three.size() - 1}) {
        WriteBytes(scratch / "hs7x7.dat", three.substr(0, cut));
        list->Load();
        EXPECT_EQ(Times(*list), (std::vector<int>{100, 200})) << cut;
    }
    // Nothing complete at all: the default table rather than one no time can enter.
    WriteBytes(scratch / "hs7x7.dat", three.substr(0, 7));
    list->Load();
    EXPECT_EQ(list->Count(), 10);
    EXPECT_EQ(list->Entries[0]->name, "Paper Crane");
    // Entries this game never writes are left out, the rest kept.
    auto odd = ListWithTimes(scratch / "z", {100, -5, 300});
    odd->Add("Q", 400, 7);
    WriteBytes(scratch / "hs7x7.dat", EncodeHighScores(odd->Entries));
    list->Load();
    EXPECT_EQ(Times(*list), (std::vector<int>{100, 300}));
}

TEST_F(CoreTest, HighScoresThatCannotBeWrittenAreReportedNotFatal) {
    auto list = TKakuroHighScoreList::Create(scratch / "gone/hs9x9", 10, 10);
    list->Load();
    EXPECT_EQ(list->Count(), 10);
    ASSERT_EQ(coreNotices.size(), 1u);
    EXPECT_EQ(coreNotices[0], "Could not save the best times to " + scratch / "gone/hs9x9.dat");
    list->Insert("Ann", 1000, 0);
    EXPECT_EQ(list->Save(), 0);
    EXPECT_EQ(list->Entries[0]->name, "Ann");
}

TEST_F(CoreTest, TablesBySize) {
    LoadHighScoreTables();
    for (const char* name : {"hs6x6", "hs7x7", "hs9x9", "hs12x12", "hs14x14"})
        EXPECT_TRUE(Exists(scratch / (std::string(name) + ".dat"))) << name;
    Puzzle.BoardWidth = 12;
    EXPECT_EQ(HighScoreListForSize(), HighScoreTables.HighScores12x12);
    EXPECT_EQ(WillEnterHighscoreForSize(1000), 1);
    EXPECT_EQ(AddHighscoreForSize("Ann", 1, 1000), 1);
    auto reread = TKakuroHighScoreList::Create(scratch / "hs12x12", 10, 10);
    reread->Load();
    EXPECT_EQ(reread->Entries[0]->name, "Ann");
    EXPECT_EQ(reread->Entries[0]->difficulty, 1);
    EXPECT_EQ(HighScoreTables.HighScores9x9->Entries[0]->name, "Paper Crane");

    Puzzle.BoardWidth = 8;
    EXPECT_EQ(HighScoreListForSize(), nullptr);
    EXPECT_EQ(WillEnterHighscoreForSize(1), 0);
}
