// SPDX-License-Identifier: GPL-3.0-or-later
// The best-time tables' files as the core keeps them, on the fixture's in-memory files.
#include "core_support.h"
#include "game/core/high_scores.h"

TEST_F(CoreTest, BestTimeTablesAreWrittenKeptAndADamagedOneIsSetAside) {
    Model.LoadHighScoreTables();
    const char* const names[] = {"hs6x6.dat", "hs7x7.dat", "hs9x9.dat", "hs12x12.dat", "hs14x14.dat"};
    for (const char* name : names) {
        ASSERT_TRUE(files.count(name)) << name << " is written when missing";
        EXPECT_EQ(DecodeHighScores(files[name]).size(), 10u) << name;
    }

    Puzzle.BoardWidth = Puzzle.BoardHeight = 9;
    const int place = Model.WillEnterHighscoreForSize(1234);
    ASSERT_EQ(place, 1);
    EXPECT_EQ(Model.AddHighscoreForSize("Ada", 2, 1234), 1);
    const std::string kept = files["hs9x9.dat"];
    const auto entries = DecodeHighScores(kept);
    ASSERT_EQ(entries.size(), 10u);
    EXPECT_EQ(entries[0]->name, "Ada");
    EXPECT_EQ(entries[0]->time, 1234);
    EXPECT_EQ(entries[0]->difficulty, 2);

    // Another session reads what this one wrote, byte for byte; a damaged table is
    // kept aside under a name of its own and a fresh one started, with a line in the log.
    files["hs7x7.dat"] = "x";
    TPuzzleModel other;
    other.LoadHighScoreTables();
    other.Puzzle.BoardWidth = 9;
    const auto& reread = other.HighScoreListForSize()->Entries;
    ASSERT_EQ(reread.size(), entries.size());
    for (std::size_t i = 0; i < reread.size(); ++i) {
        EXPECT_EQ(reread[i]->name, entries[i]->name) << i;
        EXPECT_EQ(reread[i]->time, entries[i]->time) << i;
        EXPECT_EQ(reread[i]->difficulty, entries[i]->difficulty) << i;
    }
    EXPECT_EQ(files["hs9x9.dat"], kept);
    EXPECT_EQ(files["hs7x7.dat.damaged"], "x");
    EXPECT_EQ(DecodeHighScores(files["hs7x7.dat"]).size(), 10u);
    ASSERT_EQ(errorLog.size(), 1u);
    EXPECT_NE(errorLog[0].find("hs7x7.dat.damaged"), std::string::npos) << errorLog[0];
}
