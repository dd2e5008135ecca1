// SPDX-License-Identifier: GPL-3.0-or-later
// Plays the real program as a player would, from the title through a puzzle
// to the best times and out (the driver is described in game_driver.h), with
// every screen visited left in the test artifacts folder as e2e-NN-name.png.
// Half the puzzle is played from the keyboard, the window closed, and a second
// run finishes it through the title's Continue. At the end the files the game
// left behind must show what was done.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game_driver.h"

namespace {

using namespace e2e;

// Where the screens have their controls, in the logical 800 x 600 pixels.
constexpr Point TitlePlay{400, 209}, TitleHelp{400, 350}, TitleOptions{400, 397}, TitleBestTimes{400, 444},
    TitleExit{400, 491};
// While a puzzle in progress is kept, "Continue" heads a column of six that starts at y 186.
constexpr Point TitleContinue{400, 207};
constexpr Point OptionsOk{400, 558}, HelpOk{400, 558}, BestTimesOk{322, 558};
constexpr Point HighlighterToggle{400, 290};
constexpr int MusicSliderY = 93, SoundSliderY = 149, SliderMiddleX = 490;
constexpr Point SizeSixBySix{220, 252}, Medium{560, 300}, SetupPlay{167, 521}, SetupBack{632, 521};
constexpr Point SaveGame{114, 139};
constexpr Point EndBackToMenu{400, 334};
// A corner without a control on any screen.
constexpr Point Nowhere{790, 10};
// The 6x6 board: 64-pixel cells centred on the 480-pixel sheet at (212, 24).
constexpr int CellX0 = 292, CellY0 = 104, CellPitch = 64;

// NAME=Value lines, names upper-cased.
std::map<std::string, std::string> ReadIni(const fs::path& path) {
    std::map<std::string, std::string> values;
    for (const auto& line : Lines(ReadFile(path))) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string name = line.substr(0, eq);
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        values[name] = line.substr(eq + 1);
    }
    return values;
}

int IniInt(const std::map<std::string, std::string>& ini, const std::string& name) {
    auto found = ini.find(name);
    return found == ini.end() ? -1 : std::atoi(found->second.c_str());
}

struct ScoreEntry {
    std::string name;
    int time = 0;
    int difficulty = 0;
};

// A best-times file: per entry the name's bytes each stored 0x3F higher, a 0
// byte, then time and difficulty as 32-bit little-endian numbers.
std::vector<ScoreEntry> ReadScores(const fs::path& path) {
    const std::string bytes = ReadFile(path);
    std::vector<ScoreEntry> entries;
    size_t at = 0;
    auto number = [&](size_t i) {
        uint32_t u = 0;
        for (int k = 3; k >= 0; --k) u = (u << 8) | static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
        return static_cast<int>(u);
    };
    while (at < bytes.size()) {
        const size_t end = bytes.find('\0', at);
        if (end == std::string::npos || end + 9 > bytes.size()) break;
        ScoreEntry entry;
        for (size_t i = at; i < end; ++i)
            entry.name += static_cast<char>((static_cast<unsigned char>(bytes[i]) - 0x3F) & 0xFF);
        entry.time = number(end + 1);
        entry.difficulty = number(end + 5);
        entries.push_back(entry);
        at = end + 9;
    }
    return entries;
}

// The board's cursor as the arrow keys move it: from light cell to light cell
// over clue cells, staying at the edges; Home and End to the row's ends. The
// first key only shows it, on the first light cell in reading order.
struct Cursor {
    int x = -1, y = -1;
    bool shown = false;
};

using Light = std::vector<std::vector<bool>>;  // [y][x]

Cursor MoveCursor(const Light& light, Cursor c, const std::string& key) {
    const int n = static_cast<int>(light.size());
    const bool jump = key == "HOME" || key == "END";
    if (!c.shown) {
        if (c.x < 0)
            for (int y = 0; y < n && c.x < 0; ++y)
                for (int x = 0; x < n && c.x < 0; ++x)
                    if (light[y][x]) c.x = x, c.y = y;
        c.shown = true;
        if (!jump) return c;
    }
    if (jump) {
        for (int k = 0; k < n; ++k) {
            const int x = key == "HOME" ? k : n - 1 - k;
            if (light[c.y][x]) {
                c.x = x;
                break;
            }
        }
        return c;
    }
    const int dx = key == "RIGHT" ? 1 : key == "LEFT" ? -1 : 0, dy = key == "DOWN" ? 1 : key == "UP" ? -1 : 0;
    for (int x = c.x + dx, y = c.y + dy; x >= 0 && y >= 0 && x < n && y < n; x += dx, y += dy)
        if (light[y][x]) {
            c.x = x;
            c.y = y;
            break;
        }
    return c;
}

// The fewest cursor keys from c to (x, y), as script lines; c ends there.
std::string CursorKeys(const Light& light, Cursor& c, int x, int y) {
    const char* keys[] = {"LEFT", "RIGHT", "UP", "DOWN", "HOME", "END"};
    std::map<std::pair<int, int>, std::string> paths;
    std::string script;
    if (!c.shown) {
        c = MoveCursor(light, c, "LEFT");
        script = "key LEFT\n";
    }
    paths[{c.x, c.y}] = script;
    std::vector<Cursor> queue{c};
    for (size_t at = 0; at < queue.size() && !paths.count({x, y}); ++at)
        for (const char* key : keys) {
            const Cursor next = MoveCursor(light, queue[at], key);
            if (paths.count({next.x, next.y})) continue;
            paths[{next.x, next.y}] = paths[{queue[at].x, queue[at].y}] + "key " + key + "\n";
            queue.push_back(next);
        }
    c.x = x, c.y = y;
    return paths[{x, y}];
}

class Journey : public GameDriver {};

TEST_F(Journey, FromTheTitleThroughAPuzzleToTheBestTimesAndOut) {
    const auto started = SteadyClock::now();
    Launch();

    // Whatever opens the program, the maker's splash or the title fading in,
    // is on screen after a moment. A click skips the splash; the second one
    // covers a click that came while the splash was still setting up, and
    // lands on nothing if the first one did its work.
    Send(Wait(700));
    ASSERT_TRUE(Shot("start"));
    Send(ClickAt(Nowhere) + Wait(500) + ClickAt(Nowhere) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Shot("title"));
    const auto settingsBefore = ReadIni(shared / "tallyfold.ini");
    const auto optionsBefore = ReadIni(shared / "config.ini");
    const int musicBefore = IniInt(settingsBefore, "MUSIC VOLUME");
    const int soundBefore = IniInt(settingsBefore, "SOUND VOLUME");
    const int highlighterBefore = IniInt(optionsBefore, "SHOWHIGHLIGHTER");
    ASSERT_GE(musicBefore, 0) << "no music volume in the settings file after start-up";
    ASSERT_GE(highlighterBefore, 0) << "no highlighter option in config.ini after start-up";

    // Options: an aid's toggle, then both volume sliders dragged, music down
    // near the left end and sound up near the right end.
    Send(ClickAt(TitleOptions) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Shot("options"));
    Send(ClickAt(HighlighterToggle) + Drag(MusicSliderY, SliderMiddleX, 400) + Drag(SoundSliderY, SliderMiddleX, 580) +
         Wait(300));
    ASSERT_TRUE(Shot("options-changed"));
    Send(ClickAt(OptionsOk) + Wait(ScreenChangeMs) + ClickAt(TitleHelp) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Shot("help"));
    Send(ClickAt(HelpOk) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Shot("title-again"));

    // The setup screen: a 6x6 board of medium difficulty.
    Send(ClickAt(TitlePlay) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Shot("setup"));
    Send(ClickAt(SizeSixBySix) + ClickAt(Medium) + Wait(300));
    ASSERT_TRUE(Shot("setup-chosen"));
    Send(ClickAt(SetupPlay) + Wait(300));
    ASSERT_TRUE(Shot("generating"));
    // The puzzle is made, the screen changes and the cells drop into place.
    Send(Wait(4000));
    ASSERT_TRUE(Shot("board"));

    // Saved under a name through the save button and its dialog; the save
    // holds the solution.
    Send(ClickAt(SaveGame) + Wait(800) + "type journey\n" + Wait(200));
    ASSERT_TRUE(Shot("save-name"));
    Send("key RETURN\n");
    fs::path save;
    {
        // The profile folder lies below the shared folder; the name is kept as
        // typed.
        const auto deadline = SteadyClock::now() + ShotTimeout;
        while (save.empty()) {
            if (fs::exists(shared))
                for (const auto& entry : fs::recursive_directory_iterator(shared))
                    if (entry.path().filename() == "journey.dat") save = entry.path();
            ASSERT_TRUE(Running()) << "waiting for the save game: " << Ended();
            ASSERT_LT(SteadyClock::now(), deadline) << "no journey.dat below " << shared;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    // Blocks between "-" lines: settings, clues, the player's digits, the
    // solution, pencil marks, help taken. A half-written file is never seen: the game
    // replaces it in one step.
    const auto lines = Lines(ReadFile(save));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1], "06x06");
    EXPECT_EQ(lines[2], "1") << "medium difficulty";
    std::vector<std::vector<std::string>> blocks(1);
    for (const auto& line : lines) {
        if (line == "-")
            blocks.emplace_back();
        else
            blocks.back().push_back(line);
    }
    // ... and the help taken.
    ASSERT_EQ(blocks.size(), 6u) << ReadFile(save);
    const auto& solution = blocks[3];
    ASSERT_EQ(solution.size(), 6u);

    // The board from the solution: its light cells and their digits.
    Light light(6, std::vector<bool>(6, false));
    std::vector<std::vector<int>> digits(6, std::vector<int>(6, 0));
    std::vector<std::pair<int, int>> whites;  // reading order
    for (int y = 0; y < 6; ++y) {
        std::istringstream row(solution[static_cast<size_t>(y)]);
        for (int x = 0; x < 6; ++x) {
            int digit = 0;
            ASSERT_TRUE(row >> digit) << solution[static_cast<size_t>(y)];
            if (digit == 88) continue;
            ASSERT_GE(digit, 1);
            ASSERT_LE(digit, 9);
            light[static_cast<size_t>(y)][static_cast<size_t>(x)] = true;
            digits[static_cast<size_t>(y)][static_cast<size_t>(x)] = digit;
            whites.push_back({x, y});
        }
    }
    ASSERT_GE(whites.size(), 4u);

    // Half the board from the keyboard: the arrows to each cell, then its digit.
    Cursor cursor;
    std::string play;
    const size_t half = whites.size() / 2;
    for (size_t k = 0; k < half; ++k) {
        const auto [x, y] = whites[k];
        play += CursorKeys(light, cursor, x, y) + "key " + std::to_string(digits[y][x]) + "\n";
    }
    // Two pencil marks on the next cell with Shift, the second taken back with Ctrl+Z.
    const auto [mx, my] = whites[half];
    const int mark = digits[my][mx] % 9 + 1, undone = mark % 9 + 1;
    play += CursorKeys(light, cursor, mx, my) + "keydown LSHIFT\nkey " + std::to_string(mark) + "\nkey " +
            std::to_string(undone) + "\nkeyup LSHIFT\n" + "keydown LCTRL\nkey Z\nkeyup LCTRL\n";
    Send(play + Wait(300));
    ASSERT_TRUE(Shot("keyboard-play"));

    // The window is closed in the middle of the puzzle; the game ends in order
    // and keeps the puzzle for Continue, beside the named save and not as one.
    Send("close\n");
    ASSERT_TRUE(WaitForExit());
    // The volumes changed in this run have held for far more than a few
    // seconds since: a crash now would keep them, so the marker is gone.
    EXPECT_FALSE(fs::exists(shared / "inichanged.dat"));
    const fs::path autosave = save.parent_path() / "autosave.sav";
    ASSERT_TRUE(fs::exists(autosave));
    {
        const auto kept = Lines(ReadFile(autosave));
        ASSERT_GE(kept.size(), 8u);
        EXPECT_EQ(kept[0], "Tallyfold Autosave");
        EXPECT_EQ(kept[2], "Tallyfold Savegame");
        std::vector<std::vector<std::string>> parts(1);
        for (size_t k = 2; k < kept.size(); ++k) {
            if (kept[k] == "-")
                parts.emplace_back();
            else
                parts.back().push_back(kept[k]);
        }
        ASSERT_EQ(parts.size(), 6u);
        ASSERT_GE(parts[5].size(), 2u);
        EXPECT_EQ(parts[5][0], "revealed 0 explained 0 own 0");
        // Then the edits, so that Continue brings back undo and redo too.
        EXPECT_EQ(parts[5][1].rfind("history ", 0), 0u) << parts[5][1];
        for (size_t k = 0; k < whites.size(); ++k) {
            const auto [x, y] = whites[k];
            std::istringstream row(parts[2][static_cast<size_t>(y)]);
            int value = -1;
            for (int i = 0; i <= x; ++i) row >> value;
            EXPECT_EQ(value, k < half ? digits[y][x] : 0) << "cell " << x << "," << y;
        }
        std::istringstream marks(parts[4][static_cast<size_t>(my)]);
        std::vector<int> flags;
        for (int flag; marks >> flag;) flags.push_back(flag);
        ASSERT_EQ(flags.size(), 54u);
        EXPECT_EQ(flags[static_cast<size_t>(9 * mx + mark - 1)], 1) << "the mark kept";
        EXPECT_EQ(flags[static_cast<size_t>(9 * mx + undone - 1)], 0) << "the mark undone";
    }

    // The next start: the title offers Continue first, and the board comes back.
    Launch();
    Send(Wait(700));
    ASSERT_TRUE(Shot("start-again"));
    Send(ClickAt(Nowhere) + Wait(500) + ClickAt(Nowhere) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Shot("title-continue"));
    Send(ClickAt(TitleContinue) + Wait(ScreenChangeMs + 2500));
    ASSERT_TRUE(Shot("continued"));

    // The rest from the keyboard; the cursor starts hidden again.
    cursor = Cursor{};
    std::string rest;
    for (size_t k = half; k < whites.size(); ++k) {
        const auto [x, y] = whites[k];
        rest += CursorKeys(light, cursor, x, y) + "key " + std::to_string(digits[y][x]) + "\n";
    }
    // The last digit completes the puzzle and the first place asks for a name.
    Send(rest + Wait(1500) + "type Ada\n" + Wait(200));
    ASSERT_TRUE(Shot("best-time-name"));
    Send("key RETURN\n" + Wait(1000));
    ASSERT_TRUE(Shot("solved"));
    EXPECT_FALSE(fs::exists(autosave)) << "a finished puzzle is not kept";

    // Back to the title by the end menu (a solved puzzle asks nothing) and the setup screen's back.
    Send(ClickAt(EndBackToMenu) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Shot("setup-after-solved"));
    Send(ClickAt(SetupBack) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Shot("title-after-play"));

    // The best times, where the new name leads the 6x6 table (the lines slide in).
    Send(ClickAt(TitleBestTimes) + Wait(ScreenChangeMs + 2500));
    ASSERT_TRUE(Shot("best-times"));
    Send(ClickAt(BestTimesOk) + Wait(ScreenChangeMs));
    ASSERT_TRUE(Shot("title-last"));

    Send(ClickAt(TitleExit));
    ASSERT_TRUE(WaitForExit());

    // What the game left behind.
    const auto settings = ReadIni(shared / "tallyfold.ini");
    const int music = IniInt(settings, "MUSIC VOLUME"), sound = IniInt(settings, "SOUND VOLUME");
    EXPECT_LT(music, musicBefore);
    EXPECT_LE(music, 30);
    EXPECT_GT(sound, soundBefore);
    EXPECT_GE(sound, 70);
    EXPECT_EQ(IniInt(ReadIni(shared / "config.ini"), "SHOWHIGHLIGHTER"), 1 - highlighterBefore);
    const auto scores = ReadScores(shared / "hs6x6.dat");
    ASSERT_EQ(scores.size(), 10u);
    EXPECT_EQ(scores[0].name, "Ada");
    EXPECT_EQ(scores[0].difficulty, 1);
    EXPECT_GT(scores[0].time, 0);
    EXPECT_TRUE(fs::exists(shared / "goodexit.dat"));
    // The second run changed no setting: a crash now would restore nothing.
    EXPECT_FALSE(fs::exists(shared / "inichanged.dat"));
    EXPECT_FALSE(fs::exists(shared / "ErrorLog.txt")) << ReadFile(shared / "ErrorLog.txt");
    // The script was understood to the last line.
    EXPECT_EQ(ReadFile(scratch / "stderr.txt").find("input script"), std::string::npos)
        << ReadFile(scratch / "stderr.txt");

    std::cout << "journey took "
              << std::chrono::duration_cast<std::chrono::seconds>(SteadyClock::now() - started).count() << " s\n";
}

}  // namespace
