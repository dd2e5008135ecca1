// SPDX-License-Identifier: GPL-3.0-or-later
// What the real program costs while the player only looks: the share of one
// processor core it uses, and the pictures it presents per second, in each
// state it rests in. The game runs headless (the software renderer, as on a
// machine without a graphics processor) as a child process driven by its input
// script; its processor time is the scheduler's count for its threads in
// /proc, so other work on the machine does not count (nor does the sampling).
//
//   SDL_VIDEODRIVER=offscreen build/bin/loop-bench [--seconds=N] [--windowed]
//
// The game starts full screen as it does for a new player (the offscreen
// desktop is 1024 x 768, so the picture is scaled); --windowed measures its
// 800 x 600 window instead.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "game_driver.h"

namespace {

int g_seconds = 10;
bool g_windowed = false;

// Where the screens have their controls, in logical pixels.
constexpr e2e::Point Nowhere{790, 10}, TitlePlay{400, 220}, SizeFourteen{220, 446}, SetupPlay{167, 521},
    PauseButton{115, 113};

class LoopBench : public e2e::GameDriver {
protected:
    void SetUp() override {
        ShotPrefix = "bench-";
        GameDriver::SetUp();
        if (g_windowed) {
            const e2e::fs::path folder = scratch / "data" / "Vellacor Games" / "Tallyfold";
            e2e::fs::create_directories(folder);
            std::string settings = e2e::ReadFile(exe.parent_path() / "data" / "default.ini");
            const auto at = settings.find("FULL SCREEN=1");
            if (at != std::string::npos) settings.replace(at, 13, "FULL SCREEN=0");
            std::ofstream(folder / "tallyfold.ini", std::ios::binary) << settings;
        }
    }

    // The processor time each of the game's threads has had so far, in
    // nanoseconds: the scheduler's own count. The user and system times of
    // /proc/PID/stat are sampled at the clock tick, which overcharges a
    // program that wakes for a moment on a timer, as a resting game does.
    std::map<std::string, long long> ThreadTimes() {
        std::map<std::string, long long> times;
        std::error_code error;
        const e2e::fs::path tasks = "/proc/" + std::to_string(child) + "/task";
        for (const auto& task : e2e::fs::directory_iterator(tasks, error)) {
            std::ifstream in(task.path() / "schedstat");
            long long ns = 0;
            if (in >> ns) times[task.path().filename().string()] = ns;
        }
        return times;
    }

    // Run time over the next `seconds`, sampled every 100 ms: OpenAL ends its
    // mixing thread while the game rests and starts a new one for the next
    // sound, and a thread's time goes with it.
    double CpuSecondsOver(int seconds) {
        auto last = ThreadTimes();
        long long total = 0;
        const auto end = e2e::SteadyClock::now() + std::chrono::seconds(seconds);
        while (e2e::SteadyClock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            auto now = ThreadTimes();
            for (const auto& [tid, ns] : now) {
                const auto before = last.find(tid);
                total += ns - (before == last.end() ? 0 : before->second);
            }
            last.swap(now);
        }
        return static_cast<double>(total) / 1e9;
    }

    long long Presented() {
        const e2e::fs::path file = scratch / ("frames-" + std::to_string(counts++));
        Send("frames " + file.string() + "\n");
        if (!WaitForFile(file)) return -1;
        return std::stoll(e2e::ReadFile(file));
    }

    void Measure(const char* state) {
        const long long framesBefore = Presented();
        const auto start = e2e::SteadyClock::now();
        const double cpu = CpuSecondsOver(g_seconds);
        const double wall = std::chrono::duration<double>(e2e::SteadyClock::now() - start).count();
        const long long framesAfter = Presented();
        std::printf("| %-38s | %6.1f %% | %6.1f |\n", state, 100.0 * cpu / wall,
                    static_cast<double>(framesAfter - framesBefore) / wall);
        std::fflush(stdout);
    }

    int counts = 0;
};

TEST_F(LoopBench, Rest) {
    Launch();
    // Past the maker's splash to the title, the pointer in a corner.
    Send(e2e::Wait(700) + e2e::ClickAt(Nowhere) + e2e::Wait(500) + e2e::ClickAt(Nowhere) +
         e2e::Wait(e2e::ScreenChangeMs));
    ASSERT_TRUE(Shot("title"));
    std::printf("%s, %d s per state\n\n", g_windowed ? "800 x 600 window" : "full screen (1024 x 768, scaled)",
                g_seconds);
    std::printf("| %-38s | %8s | %6s |\n", "state", "CPU", "fps");
    std::printf("|%s|%s|%s|\n", std::string(40, '-').c_str(), std::string(10, '-').c_str(),
                std::string(8, '-').c_str());
    Measure("title, pointer still");

    // A 14 x 14 board, once its cells have dropped into place.
    Send(e2e::ClickAt(TitlePlay) + e2e::Wait(e2e::ScreenChangeMs) + e2e::ClickAt(SizeFourteen) +
         e2e::ClickAt(SetupPlay) + e2e::Wait(300));
    ASSERT_TRUE(Shot("generating"));
    Send(e2e::MoveTo(Nowhere) + e2e::Wait(4000));
    ASSERT_TRUE(Shot("board"));
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

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--seconds=", 10) == 0) g_seconds = std::max(1, std::atoi(argv[i] + 10));
        if (std::strcmp(argv[i], "--windowed") == 0) g_windowed = true;
    }
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(brief, true);
    return RUN_ALL_TESTS();
}
