// SPDX-License-Identifier: GPL-3.0-or-later
// What the real program costs while the player only looks: the share of one
// processor core it uses, the pictures it presents and the times it wakes up
// per second, in each state it rests in. The game runs as a child process
// driven by its input script; its processor time is the scheduler's count for
// its threads in /proc, so other work on the machine does not count (nor does
// the sampling), and its wake-ups are its threads' context switches, voluntary
// and not.
//
//   SDL_VIDEODRIVER=offscreen build/bin/loop-bench [--seconds=N] [--settle=N] [--windowed]
//   build/bin/loop-bench --x11 [--sizes=800x600,1440x1080w,1920x1080,3840x2160] [--seconds=N] [--settle=N]
//
// Headless, the game draws with the software renderer (as on a machine without
// a graphics processor) and starts full screen as it does for a new player (the
// offscreen desktop is 1024 x 768, so the picture is scaled); --windowed
// measures its 800 x 600 window instead. With --x11 it runs on Xvfb, one X
// server per size, with SDL's default renderer (OpenGL on Mesa's software
// rasteriser); 800x600 is the window on a larger screen, a size ending in w
// (1440x1080w) a window of that size on a 1920x1080 screen, the other sizes
// full screen. The picture is drawn at the window's real size.
// SDL_RENDER_DRIVER=software and SDL_FRAMEBUFFER_ACCELERATION in the bench's
// environment reach the game. Each state is measured after --settle
// seconds (5) without input, for --seconds (10).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "game_driver.h"

namespace {

int g_seconds = 10;
int g_settle = 5;
bool g_windowed = false;
bool g_x11 = false;
std::vector<std::string> g_sizes = {"800x600", "1440x1080w", "1920x1080", "3840x2160"};

// Where the screens have their controls, in logical pixels.
constexpr e2e::Point Nowhere{790, 10}, TitlePlay{400, 220}, SizeFourteen{220, 446}, SetupPlay{167, 521},
    PauseButton{115, 113};

// Runs a command line and gives its first line of output.
std::string FirstLine(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char line[256];
        if (std::fgets(line, sizeof line, pipe)) out = line;
        ::pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// Starts a program in the background; its process id.
pid_t Spawn(const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int none = ::open("/dev/null", O_RDWR);
        if (none >= 0) {
            ::dup2(none, 1);
            ::dup2(none, 2);
        }
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

void Stop(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = 0;
}

class LoopBench : public e2e::GameDriver {
protected:
    void SetUp() override {
        ShotPrefix = "bench-";
        GameDriver::SetUp();
    }

    void TearDown() override {
        Stop(other);
        GameDriver::TearDown();
        Stop(xserver);
    }

    // A window of windowW x windowH when given (and not full screen).
    void Settings(bool fullScreen, int windowW = 0, int windowH = 0) {
        const e2e::fs::path folder = scratch / "data" / "Vellacor Games" / "Tallyfold";
        e2e::fs::create_directories(folder);
        std::string settings = e2e::ReadFile(exe.parent_path() / "data" / "default.ini");
        const auto at = settings.find("FULL SCREEN=1");
        if (!fullScreen && at != std::string::npos) settings.replace(at, 13, "FULL SCREEN=0");
        if (windowW > 0)
            settings +=
                "WINDOW WIDTH=" + std::to_string(windowW) + "\r\nWINDOW HEIGHT=" + std::to_string(windowH) + "\r\n";
        std::ofstream(folder / "tallyfold.ini", std::ios::binary) << settings;
    }

    // An X server with one screen of the size; false when it does not start.
    bool StartXServer(int w, int h) {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return false;
        xserver = ::fork();
        if (xserver == 0) {
            ::close(pipeFds[0]);
            const int none = ::open("/dev/null", O_RDWR);
            if (none >= 0) {
                ::dup2(none, 1);
                ::dup2(none, 2);
            }
            const std::string fd = std::to_string(pipeFds[1]);
            const std::string screen = std::to_string(w) + "x" + std::to_string(h) + "x24";
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        std::string number;
        char c;
        while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(pipeFds[0]);
        if (number.empty()) return false;
        display = ":" + number;
        ::setenv("DISPLAY", display.c_str(), 1);
        ChildEnv = {{"DISPLAY", display}, {"SDL_VIDEODRIVER", "x11"}};
        return true;
    }

    std::string GameWindow() {
        for (int k = 0; k < 200; ++k) {
            const std::string id = FirstLine("xdotool search --onlyvisible --name '^Tallyfold$' 2>/dev/null");
            if (!id.empty()) return id;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return {};
    }

    // Another program takes the focus, as when the player turns to it.
    void FocusElsewhere() {
        other = Spawn({"xmessage", "-geometry", "+0+0", "another program"});
        std::string id;
        for (int k = 0; k < 100 && id.empty(); ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            id = FirstLine("xdotool search --onlyvisible --name '^xmessage$' 2>/dev/null");
        }
        if (!id.empty()) FocusWindow(id);
    }

    // Best effort: the state is measured whether or not the window manager obliged.
    static void FocusWindow(const std::string& id) {
        if (std::system(("xdotool windowfocus " + id + " 2>/dev/null").c_str()) != 0) return;
    }

    void FocusGame() {
        Stop(other);
        const std::string id = GameWindow();
        if (!id.empty()) FocusWindow(id);
    }

    // Run time (ns) and context switches of each of the game's threads so far.
    struct Counts {
        long long ns = 0, switches = 0;
    };
    std::map<std::string, Counts> ThreadCounts() {
        std::map<std::string, Counts> counts;
        std::error_code error;
        const e2e::fs::path tasks = "/proc/" + std::to_string(child) + "/task";
        for (const auto& task : e2e::fs::directory_iterator(tasks, error)) {
            Counts c;
            // The scheduler's own count: the user and system times of
            // /proc/PID/stat are sampled at the clock tick, which overcharges
            // a program that wakes for a moment on a timer, as a resting game does.
            std::ifstream schedstat(task.path() / "schedstat");
            if (!(schedstat >> c.ns)) continue;
            std::ifstream status(task.path() / "status");
            for (std::string line; std::getline(status, line);) {
                if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                    c.switches += std::atoll(line.c_str() + line.find(':') + 1);
            }
            counts[task.path().filename().string()] = c;
        }
        return counts;
    }

    // Run time and wake-ups over the next `seconds`, sampled every 100 ms:
    // OpenAL ends its mixing thread while the game rests and starts a new one
    // for the next sound, and a thread's counts go with it.
    Counts Over(int seconds) {
        auto last = ThreadCounts();
        Counts total;
        const auto end = e2e::SteadyClock::now() + std::chrono::seconds(seconds);
        while (e2e::SteadyClock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            auto now = ThreadCounts();
            for (const auto& [tid, c] : now) {
                const auto before = last.find(tid);
                total.ns += c.ns - (before == last.end() ? 0 : before->second.ns);
                total.switches += c.switches - (before == last.end() ? 0 : before->second.switches);
            }
            last.swap(now);
        }
        return total;
    }

    long long Presented() {
        const e2e::fs::path file = scratch / ("frames-" + std::to_string(counts++));
        Send("frames " + file.string() + "\n");
        if (!WaitForFile(file)) return -1;
        return std::stoll(e2e::ReadFile(file));
    }

    // With `moving`, the pointer goes to and fro over the screen's empty
    // middle ten times a second throughout, so that pictures keep coming: what
    // each costs.
    void Measure(const std::string& state, bool moving = false) {
        if (!moving) std::this_thread::sleep_for(std::chrono::seconds(g_settle));
        const long long framesBefore = Presented();
        if (moving) {
            // The script runs its lines in turn: the count after them comes
            // when they are done.
            std::string moves;
            for (int k = 0; k < 10 * g_seconds; ++k) moves += e2e::MoveTo({k % 2 ? 600 : 650, 560}) + e2e::Wait(100);
            Send(moves);
        }
        const auto start = e2e::SteadyClock::now();
        const Counts used = Over(g_seconds);
        const double wall = std::chrono::duration<double>(e2e::SteadyClock::now() - start).count();
        const long long framesAfter = Presented();
        const double framesWall = std::chrono::duration<double>(e2e::SteadyClock::now() - start).count();
        const double cpu = static_cast<double>(used.ns) / 1e9 / wall;
        const double fps = static_cast<double>(framesAfter - framesBefore) / framesWall;
        std::printf("| %-30s | %-10s | %6.1f %% | %6.1f | %7.1f |", state.c_str(), size.c_str(), 100.0 * cpu, fps,
                    static_cast<double>(used.switches) / wall);
        if (moving && fps > 0) std::printf(" %.1f ms per picture", 1000.0 * cpu / fps);
        std::printf("\n");
        std::fflush(stdout);
    }

    void Header() {
        std::printf("| %-30s | %-10s | %8s | %6s | %7s |\n", "state", "size", "CPU", "fps", "wakes/s");
        std::printf("|%s|%s|%s|%s|%s|\n", std::string(32, '-').c_str(), std::string(12, '-').c_str(),
                    std::string(10, '-').c_str(), std::string(8, '-').c_str(), std::string(9, '-').c_str());
        std::fflush(stdout);
    }

    // Past the maker's splash to the title, the pointer in a corner.
    void ToTitle() {
        Send(e2e::Wait(700) + e2e::ClickAt(Nowhere) + e2e::Wait(500) + e2e::ClickAt(Nowhere) +
             e2e::Wait(e2e::ScreenChangeMs));
    }

    // A 14 x 14 board, once its cells have dropped into place.
    void ToBoard() {
        Send(e2e::ClickAt(TitlePlay) + e2e::Wait(e2e::ScreenChangeMs) + e2e::ClickAt(SizeFourteen) +
             e2e::ClickAt(SetupPlay) + e2e::Wait(300));
        ASSERT_TRUE(Shot(size + "-generating"));
        Send(e2e::MoveTo(Nowhere) + e2e::Wait(4000));
        ASSERT_TRUE(Shot(size + "-board"));
    }

    int counts = 0;
    pid_t xserver = 0, other = 0;
    std::string display, size = "offscreen";
};

TEST_F(LoopBench, Rest) {
    if (g_x11) GTEST_SKIP() << "measured on the X server";
    Settings(!g_windowed);
    Launch();
    ToTitle();
    ASSERT_TRUE(Shot("title"));
    std::printf("%s, %d s per state after %d s settled\n\n",
                g_windowed ? "800 x 600 window" : "full screen (1024 x 768, scaled)", g_seconds, g_settle);
    Header();
    Measure("title, pointer still");
    ToBoard();
    Measure("14x14 board, pointer still");

    Send(e2e::ClickAt(PauseButton) + e2e::MoveTo(Nowhere) + e2e::Wait(300));
    ASSERT_TRUE(Shot("paused"));
    Measure("paused");

    // Back to play, then the window loses the focus (full screen, that
    // pauses the game as well).
    Send(e2e::ClickAt(Nowhere) + e2e::Wait(500) + "focus out\n" + e2e::Wait(300));
    ASSERT_TRUE(Shot("unfocused"));
    Measure("window without the focus");

    Send("focus in\n" + e2e::Wait(300) + "hide\n" + e2e::Wait(300));
    Measure("window hidden");
    Send("show\n" + e2e::Wait(300));
    ASSERT_TRUE(Shot("shown"));
}

class LoopBenchX11 : public LoopBench, public ::testing::WithParamInterface<std::string> {};

TEST_P(LoopBenchX11, Rest) {
    if (!g_x11) GTEST_SKIP() << "--x11 measures on Xvfb";
    size = GetParam();
    int w = 0, h = 0;
    ASSERT_EQ(std::sscanf(size.c_str(), "%dx%d", &w, &h), 2) << size;
    // "1440x1080w": a window of that size.
    const bool sized = size.back() == 'w';
    const bool window = sized || w <= 800 || h <= 600;
    // The window on a screen larger than itself; full screen fills the screen.
    ASSERT_TRUE(window ? StartXServer(std::max(w, 1920), std::max(h, 1080)) : StartXServer(w, h))
        << "Xvfb did not start";
    Settings(!window, sized ? w : 0, sized ? h : 0);
    Launch();
    ASSERT_FALSE(GameWindow().empty()) << "no game window on " << display;
    FocusGame();
    ToTitle();
    ASSERT_TRUE(Shot(size + "-title"));
    const char* renderer = std::getenv("SDL_RENDER_DRIVER");
    const char* acceleration = std::getenv("SDL_FRAMEBUFFER_ACCELERATION");
    std::printf("Xvfb, %s, renderer %s%s%s, %d s per state after %d s settled\n", window ? "window" : "full screen",
                renderer ? renderer : "default", acceleration ? ", SDL_FRAMEBUFFER_ACCELERATION=" : "",
                acceleration ? acceleration : "", g_seconds, g_settle);
    Header();
    Measure("title, pointer moving", true);
    Measure("title, pointer still");
    FocusElsewhere();
    Measure("title without the focus");
    FocusGame();
    // Full screen, the focus loss paused the game; a click goes on.
    Send(e2e::ClickAt(Nowhere) + e2e::Wait(300));
    ToBoard();
    Measure("14x14 board, pointer still");
    Send(e2e::ClickAt(PauseButton) + e2e::MoveTo(Nowhere) + e2e::Wait(300));
    ASSERT_TRUE(Shot(size + "-paused"));
    Measure("paused");
    Send(e2e::ClickAt(Nowhere) + e2e::Wait(300) + "hide\n" + e2e::Wait(300));
    Measure("window hidden");
    Send("show\n" + e2e::Wait(300));
    ASSERT_TRUE(Shot(size + "-shown"));
}

INSTANTIATE_TEST_SUITE_P(Sizes, LoopBenchX11, ::testing::ValuesIn(g_sizes));

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--seconds=", 10) == 0) g_seconds = std::max(1, std::atoi(argv[i] + 10));
        if (std::strncmp(argv[i], "--settle=", 9) == 0) g_settle = std::max(0, std::atoi(argv[i] + 9));
        if (std::strcmp(argv[i], "--windowed") == 0) g_windowed = true;
        if (std::strcmp(argv[i], "--x11") == 0) g_x11 = true;
        if (std::strncmp(argv[i], "--sizes=", 8) == 0) {
            g_sizes.clear();
            std::string list = argv[i] + 8;
            for (size_t at = 0; at <= list.size();) {
                const size_t comma = std::min(list.find(',', at), list.size());
                if (comma > at) g_sizes.push_back(list.substr(at, comma - at));
                at = comma + 1;
            }
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(brief, true);
    return RUN_ALL_TESTS();
}
