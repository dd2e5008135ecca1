// SPDX-License-Identifier: GPL-3.0-or-later
// The text table and the default settings file: in the form the game reads,
// holding every key it asks for, with texts that fit where they are drawn.

#include "data_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace datatest;

namespace {

using Table = std::map<std::string, std::vector<std::string>>;

const Table& Texts() {
    static const Table table = ReadTextTable(ReadFile(DataDir() / "text" / "gametext.txt"));
    return table;
}

std::vector<std::string> Lines(const std::string& key) {
    std::string upper = key;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto it = Texts().find(upper);
    return it == Texts().end() ? std::vector<std::string>() : it->second;
}

}  // namespace

TEST(Texts, TableIsPlainAsciiInTheGamesFormat) {
    const std::string bytes = ReadFile(DataDir() / "text" / "gametext.txt");
    ASSERT_FALSE(bytes.empty());
    // Without a byte-order mark the game reads one character per byte, so
    // anything but ASCII would show up garbled.
    for (unsigned char c : bytes) EXPECT_TRUE(c == '\n' || c == '\r' || (c >= 32 && c < 127)) << int(c);
    EXPECT_NO_THROW(Texts());
    EXPECT_EQ(bytes, ReadFile(SourceDataDir() / "text" / "gametext.txt"));
}

TEST(Texts, EveryKeyTheGameAsksForHasAText) {
    std::vector<std::string> keys = {"Data Pak Error",
                                     "Highscore Place",
                                     "Restart Puzzle",
                                     "Exit Playing",
                                     "Enter Save Name",
                                     "Create Puzzle",
                                     "Click Contents Message",
                                     "Finished Puzzle Message",
                                     "Time Field",
                                     "Cell Message",
                                     "Cross Sum Message",
                                     "Possible Combinations Field",
                                     "Not Solvable",
                                     "Enter Vertical Sum",
                                     "Enter Horizontal Sum",
                                     "Easy",
                                     "Medium",
                                     "Hard",
                                     "Version",
                                     "Help Message 1",
                                     "Help Message 2",
                                     "Help Keys 1",
                                     "Help Keys 2",
                                     "Help More Keys 1",
                                     "Help More Keys 2",
                                     "Clear Highscore",
                                     "Name",
                                     "Difficulty",
                                     "Time",
                                     "Delete File",
                                     "Choose Savegame",
                                     "Could Not Create File",
                                     "Failed Save File",
                                     "Easy Asks",
                                     "Medium Asks",
                                     "Hard Asks",
                                     "Help Explain 1",
                                     "Help Explain 2",
                                     "Explain Stuck",
                                     "Explain Run",
                                     "Explain Run One",
                                     "Explain Across",
                                     "Explain Down",
                                     "Explain Counts",
                                     "Explain Or",
                                     "Explain And",
                                     "Explain Combinations",
                                     "Explain Digits Only",
                                     "Explain In Run",
                                     "Explain In Cross",
                                     "Explain Cross Lacks",
                                     "Explain Earlier",
                                     "Explain Exact Place",
                                     "Explain Exact Remove",
                                     "Explain Trial",
                                     "Explain Other Cell",
                                     "Explain So Place",
                                     "Explain So Remove",
                                     "Explain Wrong Repeated",
                                     "Explain Wrong No Combination",
                                     "Explain Wrong Not With Others",
                                     "Explain Wrong No Partner",
                                     "Explain Wrong Cannot Fill",
                                     "Explain Wrong Solution",
                                     "Write Failed",
                                     "Autosave Failed",
                                     "Autosave Not Read",
                                     "Nothing Saved",
                                     "Several Solutions",
                                     "Revealed No Best Time",
                                     "Own Puzzle No Best Time",
                                     "No Combination Fits",
                                     "Must Have Digits",
                                     "Cannot Have Digits",
                                     "Across Combinations",
                                     "Down Combinations",
                                     "Checkpoints Full",
                                     "No Checkpoint",
                                     "Nothing Wrong To Undo",
                                     "Correct Not Reached",
                                     "Own Puzzle No Last Correct",
                                     "Explained One Step",
                                     "Explained Steps",
                                     "Clue Out Of Range",
                                     "Clue Without Run",
                                     "Clue Impossible",
                                     "Clue Impossible One",
                                     "Run Too Long",
                                     "Clue Place",
                                     "Welcome Page",
                                     "About",
                                     "Hint Point Place",
                                     "Hint Point Remove",
                                     "Hint Wrong",
                                     "Hint So Place Cell",
                                     "Hint So Remove Cell",
                                     "Hint So Remove Cells",
                                     "Hint Carry Out",
                                     "Hint Techniques",
                                     "Hint Stages"};
    for (int i = 1; i <= 10; ++i) keys.push_back("Highscore Name " + std::to_string(i));
    for (const char* name : {"single cell left", "unique combination", "combination elimination", "cross-reference",
                             "placed digit", "subset", "exact run", "area sum", "trial"})
        keys.push_back(std::string("Technique ") + name);
    for (const std::string& key : keys) {
        const auto lines = Lines(key);
        ASSERT_FALSE(lines.empty()) << key;
        // A blank last line would add a stray line break (the entries follow
        // each other without blank lines between them).
        EXPECT_FALSE(lines.back().empty()) << key;
        for (const auto& line : lines) EXPECT_EQ(line.find('\t'), std::string::npos) << key;
    }
    // Default high score names must be names a player could type (13 at most).
    for (int i = 1; i <= 10; ++i) EXPECT_LE(Lines("Highscore Name " + std::to_string(i)).front().size(), 13u);
}

TEST(Texts, TextsThatTheGameExtendsEndReadyForWhatFollows) {
    // The game appends the version number, the time, the place, a path.
    for (const char* key : {"Version", "Time Field", "Highscore Place", "Failed Save File"}) {
        const auto lines = Lines(key);
        ASSERT_EQ(lines.size(), 1u) << key;
        EXPECT_EQ(lines.front().back(), ' ') << key;
    }
    const std::string file = Lines("Could Not Create File").front();
    EXPECT_TRUE(file.back() == ' ' || file.back() == '\'') << file;
}

TEST(Texts, FitWhereTheyAreDrawn) {
    // Help texts, a page of two: 25-pixel font, left-aligned at x 285 inside
    // the panel centred on the screen, laid out upward from y 210 and y 410,
    // 25 apart.
    const fs::path backPicture = DataDir() / "graphics" / "blackback.png";
    const Picture back = LoadPicture(backPicture);
    ASSERT_GT(back.width, 0);
    for (const auto& [top, bottom] :
         {std::pair{"Help Message 1", "Help Message 2"}, std::pair{"Help Keys 1", "Help Keys 2"},
          std::pair{"Help More Keys 1", "Help More Keys 2"}, std::pair{"Help Explain 1", "Help Explain 2"}}) {
        const auto first = Lines(top), second = Lines(bottom);
        for (const auto* lines : {&first, &second})
            for (const auto& line : *lines) EXPECT_LE(285 + TextWidth(line, 25), 400 + back.width / 2 - 12) << line;
        EXPECT_GE(210 - 25 * (static_cast<int>(first.size()) - 1), 300 - back.height / 2 + 6) << top;
        EXPECT_GE(410 - 25 * (static_cast<int>(second.size()) - 1), 210 + 25) << bottom;
    }

    // What each level asks: one line, as "Easy: ..." in the 16-pixel font below the help
    // texts, and wrapped to 290 pixels in the 18-pixel font under the setup screen's
    // difficulty buttons, where two lines fit above the menu.
    for (const char* level : {"Easy", "Medium", "Hard"}) {
        const auto asks = Lines(std::string(level) + " Asks");
        ASSERT_EQ(asks.size(), 1u) << level;
        EXPECT_LE(285 + TextWidth(Lines(level).front() + ": " + asks.front(), 16), 400 + back.width / 2 - 12) << level;
        EXPECT_LE(TextWidth(asks.front(), 18), 2 * 290) << level;
    }
    EXPECT_LE(440 + 2 * 17 + 16, 300 + back.height / 2 - 4);

    // The message line at the bottom: centred, 25-pixel font, growing upward
    // from y 565; two lines at most keep it clear of the board.
    for (const char* key :
         {"Cell Message", "Cross Sum Message", "Click Contents Message", "Finished Puzzle Message",
          "Possible Combinations Field", "Revealed No Best Time", "Own Puzzle No Best Time", "Explained Steps"}) {
        const auto lines = Lines(key);
        EXPECT_LE(lines.size(), 2u) << key;
        for (const auto& line : lines) EXPECT_LE(TextWidth(line, 25), 780) << key;
    }

    // Dialog captions: one line in the 20-pixel font inside their panels.
    const int longPanel = LoadPicture(DataDir() / "graphics" / "inputlong.png").width;
    const int shortPanel = LoadPicture(DataDir() / "graphics" / "input.png").width;
    const int managerPanel = LoadPicture(DataDir() / "graphics" / "manager.png").width;
    auto caption = [](const std::string& text, int panel) { EXPECT_LE(TextWidth(text, 20), panel - 40) << text; };
    for (const char* key :
         {"Restart Puzzle", "Exit Playing", "Create Puzzle", "Not Solvable", "Clear Highscore", "Delete File"})
        caption(Lines(key).front(), longPanel);
    caption(Lines("Highscore Place").front() + "10!", longPanel);
    for (const char* key : {"Enter Save Name", "Enter Vertical Sum", "Enter Horizontal Sum"})
        caption(Lines(key).front(), shortPanel);
    caption(Lines("Choose Savegame").front(), managerPanel);
}

TEST(Texts, DefaultSettingsHoldTheFrameworkKeysInOrder) {
    const std::string bytes = ReadFile(DataDir() / "default.ini");
    EXPECT_EQ(bytes, ReadFile(SourceDataDir() / "default.ini"));
    const char* names[] = {"VERSION NO",
                           "FULL SCREEN",
                           "SOUND",
                           "MUSIC",
                           "SPEECH",
                           "SOUND VOLUME",
                           "MUSIC VOLUME",
                           "SPEECH VOLUME",
                           "FADE",
                           "PARTICLES",
                           "PORTAL SPLASH",
                           "PORTAL SPLASH2",
                           "INTRO",
                           "VSYNC",
                           "DRIVER",
                           "SOUND DRIVER",
                           "FULL SCREEN PROCESS PRIORITY",
                           "FULL SCREEN THREAD PRIORITY",
                           "WINDOWED PROCESS PRIORITY",
                           "WINDOWED THREAD PRIORITY",
                           "PROFILE NAME",
                           "REGION",
                           "SUB-REGION"};
    size_t at = 0;
    for (const char* name : names) {
        const size_t end = bytes.find("\r\n", at);
        ASSERT_NE(end, std::string::npos) << name;
        const std::string line = bytes.substr(at, end - at);
        EXPECT_EQ(line.substr(0, line.find('=')), name);
        EXPECT_NE(line.find('='), std::string::npos) << line;
        at = end + 2;
    }
    EXPECT_EQ(at, bytes.size()) << "lines after SUB-REGION";
    EXPECT_NE(bytes.find("SOUND VOLUME=50\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("MUSIC VOLUME=50\r\n"), std::string::npos);
}

TEST(Texts, WelcomePageIsLocalAndTeachesTheGame) {
    const std::string page = ReadFile(DataDir() / "text" / "getstarted.html");
    EXPECT_EQ(page, ReadFile(SourceDataDir() / "text" / "getstarted.html"));
    // Opened on the first exit: it must stand alone, with nothing fetched from the network.
    for (const char* remote : {"http:", "https:", "//www.", "src=\"//"})
        EXPECT_EQ(page.find(remote), std::string::npos) << remote;
    for (const char* topic : {"<title>", "1 to 9", "pencil", "Escape", "Own Puzzle", "Vellacor Games/Tallyfold"})
        EXPECT_NE(page.find(topic), std::string::npos) << topic;
}
