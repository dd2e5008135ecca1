// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/options.h"
#include "framework/core/game.h"
#include "framework/settings/ini_file.h"
#include "store_support.h"

TEST_F(CoreTest, OptionsStartFromTheDefaultsAndAreWrittenInOrder) {
    Model.LoadGameOptions();
    EXPECT_EQ(Resources.GameIni->FileName, scratch / "config");
    EXPECT_EQ(Options.PreventDoubleNumbers + Options.ShowTimer + Options.ShowSumCombinations, 3);
    EXPECT_EQ(Options.ShowRemainingSum + Options.ShowHighlighter + Options.CheckRuns, 0);
    EXPECT_EQ(Options.FirstRun, 1);
    const std::string defaults =
        "PREVENTDOUBLENUMBERS=1\r\nSHOWTIMER=1\r\nSHOWSUMCOMBINATIONS=1\r\nSHOWREMAININGSUM=0\r\n"
        "SHOWHIGHLIGHTER=0\r\nFIRSTRUN=1\r\nCHECKRUNS=0\r\nKEEPPENCILMARKS=1\r\n";
    EXPECT_EQ(ReadBytes(scratch / "config.ini"), defaults);

    Options.ShowHighlighter = 1;
    Options.FirstRun = 0;
    EXPECT_EQ(Model.SaveGameOptions(), 1);
    EXPECT_EQ(ReadBytes(scratch / "config.ini"),
              "PREVENTDOUBLENUMBERS=1\r\nSHOWTIMER=1\r\nSHOWSUMCOMBINATIONS=1\r\nSHOWREMAININGSUM=0\r\n"
              "SHOWHIGHLIGHTER=1\r\nFIRSTRUN=0\r\nCHECKRUNS=0\r\nKEEPPENCILMARKS=1\r\n");
}

TEST_F(CoreTest, OptionsFileIsReadWhateverTheCaseOfItsNames) {
    WriteBytes(scratch / "config.ini",
               "ShowTimer=0\nshowremainingsum=1\nSHOWHIGHLIGHTER=yes\nFIRSTRUN=7\nOther=1\ncheckRuns=1\n");
    Model.LoadGameOptions();
    EXPECT_EQ(Options.ShowTimer, 0);
    EXPECT_EQ(Options.ShowRemainingSum, 1);
    EXPECT_EQ(Options.ShowHighlighter, 0);  // not a number
    EXPECT_EQ(Options.FirstRun, 1);         // any other number is on
    EXPECT_EQ(Options.PreventDoubleNumbers, 1);
    EXPECT_EQ(Options.CheckRuns, 1);
    // A file from before the key keeps the marks up to date, as a new player's does.
    EXPECT_EQ(Options.KeepPencilMarks, 1);
    WriteBytes(scratch / "config.ini", "CheckRuns=1\nkeepPencilMarks=0\n");
    Model.LoadGameOptions();
    EXPECT_EQ(Options.KeepPencilMarks, 0);
    EXPECT_EQ(Options.CheckRuns, 1);

    // A settings file that cannot be written is no reason to end the game.
    Resources.GameIni->FileName = scratch / "gone/config";
    Options.ShowTimer = 1;
    EXPECT_EQ(Model.SaveGameOptions(), 0);
    EXPECT_EQ(Options.ShowTimer, 1);
}
