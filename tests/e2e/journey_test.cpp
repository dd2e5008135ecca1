// Plays the real program as a player would: it runs as a child process with
// headless video and sound and private data folders, and an input script (a
// FIFO) feeds it clicks and keys through its own event path. Screenshots the
// game writes on request are the sync points, and every screen visited is left
// in the test artifacts folder as e2e-NN-name.png. At the end the files the
// game left behind must show what was done.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

namespace {

// Where the screens have their controls, in the logical 800 x 600 pixels.
struct Point {
    int x, y;
};
constexpr Point TitlePlay{400, 220}, TitleHelp{400, 284}, TitleOptions{400, 348}, TitleBestTimes{400, 412},
    TitleExit{400, 476};
constexpr Point OptionsOk{400, 558}, HelpOk{400, 558}, BestTimesOk{322, 558};
constexpr Point HighlighterToggle{400, 310};
constexpr int MusicSliderY = 93, SoundSliderY = 149, SliderMiddleX = 490;
constexpr Point SizeSixBySix{220, 252}, Medium{560, 300}, SetupPlay{167, 521}, SetupBack{632, 521};
constexpr Point SaveGame{114, 148};
constexpr Point EndBackToMenu{400, 334}, QuestionYes{305, 351};
// A corner without a control on any screen.
constexpr Point Nowhere{790, 10};
// The 6x6 board: cell (0, 0) is centred at ((800 - 6 * 32) / 2 + 68, (600 - 6 * 32) / 2 - 20).
constexpr int CellX0 = 372, CellY0 = 184, CellPitch = 32;

// A screen change fades out and in, 500 ms each; the rest is room to spare.
constexpr int ScreenChangeMs = 1400;
// Generous: a sanitizer build on a loaded machine is many times slower.
constexpr auto ShotTimeout = std::chrono::seconds(120);
constexpr auto ExitTimeout = std::chrono::seconds(60);

std::string ClickAt(Point p) { return "click " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n"; }
std::string Wait(int ms) { return "wait " + std::to_string(ms) + "\n"; }
// Press on the slider, drag through a few points to the target, release.
std::string Drag(int y, int fromX, int toX) {
    std::string s = "move " + std::to_string(fromX) + " " + std::to_string(y) + "\ndown 1\n";
    for (int k = 1; k <= 4; ++k) s += "move " + std::to_string(fromX + (toX - fromX) * k / 4) + " " + std::to_string(y) + "\n";
    return s + "up 1\n";
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

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
        for (size_t i = at; i < end; ++i) entry.name += static_cast<char>((static_cast<unsigned char>(bytes[i]) - 0x3F) & 0xFF);
        entry.time = number(end + 1);
        entry.difficulty = number(end + 5);
        entries.push_back(entry);
        at = end + 9;
    }
    return entries;
}

class Journey : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path bin = TALLYFOLD_BIN_DIR;
        exe = bin / "tallyfold";
        if (!fs::exists(exe) || !fs::exists(bin / "data/resources/data.pak"))
            GTEST_SKIP() << "the build has not made the program and its data";
        char pattern[] = "/tmp/tallyfold-e2e-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        scratch = pattern;
        for (const char* folder : {"data", "run", "home"}) fs::create_directory(scratch / folder);
        fs::permissions(scratch / "run", fs::perms::owner_all, fs::perm_options::replace);
        fifo = scratch / "script";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        // Read and write: opening does not wait for the game, and writing never
        // fails because the game has not opened its end yet.
        script = ::open(fifo.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(script, 0);
        artifacts = TALLYFOLD_ARTIFACTS_DIR;
        fs::create_directories(artifacts);
        for (const auto& entry : fs::directory_iterator(artifacts))
            if (entry.path().filename().string().rfind("e2e-", 0) == 0) fs::remove(entry.path());
        shared = scratch / "data" / "Vellacor Games" / "Tallyfold";
    }

    void TearDown() override {
        if (child > 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        if (script >= 0) ::close(script);
        if (HasFailure() && !scratch.empty()) std::cerr << "game's stderr:\n" << ReadFile(scratch / "stderr.txt");
        if (!scratch.empty()) fs::remove_all(scratch);
    }

    void Launch() {
        const std::string out = (scratch / "stdout.txt").string(), err = (scratch / "stderr.txt").string();
        child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
            ::setenv("ALSOFT_DRIVERS", "null", 1);
            ::setenv("SDL_AUDIODRIVER", "dummy", 1);
            ::setenv("TALLYFOLD_NONINTERACTIVE", "1", 1);
            ::setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", (scratch / "run").c_str(), 1);
            ::setenv("HOME", (scratch / "home").c_str(), 1);
            ::setenv("TALLYFOLD_INPUT_SCRIPT", fifo.c_str(), 1);
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int none = ::open("/dev/null", O_RDONLY);
            if (o >= 0) ::dup2(o, 1);
            if (e >= 0) ::dup2(e, 2);
            if (none >= 0) ::dup2(none, 0);
            ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }

    void Send(const std::string& text) {
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(script, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            ASSERT_GT(n, 0) << "writing the input script";
            done += static_cast<size_t>(n);
        }
    }

    // False once the game has ended; its exit status is kept.
    bool Running() {
        if (child <= 0) return false;
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) {
            child = 0;
            exitStatus = status;
            return false;
        }
        return true;
    }

    std::string Ended() const {
        if (WIFEXITED(exitStatus)) return "the game ended with code " + std::to_string(WEXITSTATUS(exitStatus));
        if (WIFSIGNALED(exitStatus)) return "the game was killed by signal " + std::to_string(WTERMSIG(exitStatus));
        return "the game ended";
    }

    // Asks for the next frame as e2e-NN-name.png and waits until it is there:
    // everything sent before has then been carried out.
    ::testing::AssertionResult Shot(const std::string& name) {
        char number[8];
        std::snprintf(number, sizeof number, "%02d", shots++);
        const fs::path file = artifacts / ("e2e-" + std::string(number) + "-" + name + ".png");
        Send("shot " + file.string() + "\n");
        const auto deadline = SteadyClock::now() + ShotTimeout;
        while (!fs::exists(file)) {
            if (!Running())
                return ::testing::AssertionFailure() << "waiting for the screenshot " << file << ": " << Ended();
            if (SteadyClock::now() > deadline)
                return ::testing::AssertionFailure()
                       << "no screenshot " << file << " after " << ShotTimeout.count() << " s";
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult WaitForFile(const fs::path& file) {
        const auto deadline = SteadyClock::now() + ShotTimeout;
        while (!fs::exists(file)) {
            if (!Running()) return ::testing::AssertionFailure() << "waiting for " << file << ": " << Ended();
            if (SteadyClock::now() > deadline) return ::testing::AssertionFailure() << "no file " << file;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult WaitForExit() {
        const auto deadline = SteadyClock::now() + ExitTimeout;
        while (Running()) {
            if (SteadyClock::now() > deadline)
                return ::testing::AssertionFailure() << "the game still runs " << ExitTimeout.count()
                                                     << " s after the exit button";
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!WIFEXITED(exitStatus) || WEXITSTATUS(exitStatus) != 0) return ::testing::AssertionFailure() << Ended();
        return ::testing::AssertionSuccess();
    }

    fs::path exe, scratch, fifo, artifacts, shared;
    int script = -1;
    pid_t child = 0;
    int exitStatus = 0;
    int shots = 0;
};

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
        // The profile folder lies below the shared folder; the name is kept
        // with a capital first letter.
        const auto deadline = SteadyClock::now() + ShotTimeout;
        while (save.empty()) {
            if (fs::exists(shared))
                for (const auto& entry : fs::recursive_directory_iterator(shared))
                    if (entry.path().filename() == "Journey.dat") save = entry.path();
            ASSERT_TRUE(Running()) << "waiting for the save game: " << Ended();
            ASSERT_LT(SteadyClock::now(), deadline) << "no Journey.dat below " << shared;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    // Blocks between "-" lines: settings, clues, the player's digits, the
    // solution, pencil marks. A half-written file is never seen: the game
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
    ASSERT_EQ(blocks.size(), 5u) << ReadFile(save);
    const auto& solution = blocks[3];
    ASSERT_EQ(solution.size(), 6u);

    // Every white cell gets its digit: the digit key, then a click on the cell.
    int whites = 0;
    std::string fill;
    for (int y = 0; y < 6; ++y) {
        std::istringstream row(solution[static_cast<size_t>(y)]);
        for (int x = 0; x < 6; ++x) {
            int digit = 0;
            ASSERT_TRUE(row >> digit) << solution[static_cast<size_t>(y)];
            if (digit == 88) continue;
            ASSERT_GE(digit, 1);
            ASSERT_LE(digit, 9);
            ++whites;
            fill += "key " + std::to_string(digit) + "\n" + ClickAt({CellX0 + CellPitch * x, CellY0 + CellPitch * y});
        }
    }
    ASSERT_GT(whites, 0);
    // The last digit completes the puzzle and the first place asks for a name.
    Send(fill + Wait(1500) + "type Ada\n" + Wait(200));
    ASSERT_TRUE(Shot("best-time-name"));
    Send("key RETURN\n" + Wait(1000));
    ASSERT_TRUE(Shot("solved"));

    // Back to the title by the end menu, the question and the setup screen's back.
    Send(ClickAt(EndBackToMenu) + Wait(800));
    ASSERT_TRUE(Shot("leave-question"));
    Send(ClickAt(QuestionYes) + Wait(ScreenChangeMs) + ClickAt(SetupBack) + Wait(ScreenChangeMs));
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
    // A volume was changed in this run: a crash now would restore the defaults.
    EXPECT_TRUE(fs::exists(shared / "inichanged.dat"));
    EXPECT_FALSE(fs::exists(shared / "ErrorLog.txt")) << ReadFile(shared / "ErrorLog.txt");
    // The script was understood to the last line.
    EXPECT_EQ(ReadFile(scratch / "stderr.txt").find("input script"), std::string::npos)
        << ReadFile(scratch / "stderr.txt");

    std::cout << "journey took "
              << std::chrono::duration_cast<std::chrono::seconds>(SteadyClock::now() - started).count() << " s\n";
}

}  // namespace
