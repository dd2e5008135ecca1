// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drives the real program as a player would: it runs as a child process with
// headless video and sound and private data folders, and an input script (a
// FIFO) feeds it clicks and keys through its own event path. Screenshots the
// game writes on request are the sync points; each is left in the test
// artifacts folder as <prefix>NN-name.png.
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
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

// A place on the logical 800 x 600 screen.
struct Point {
    int x, y;
};

// A screen change fades out and in, 500 ms each; the rest is room to spare.
inline constexpr int ScreenChangeMs = 1400;
// Generous: a sanitizer build on a loaded machine is many times slower.
inline constexpr auto ShotTimeout = std::chrono::seconds(120);
inline constexpr auto ExitTimeout = std::chrono::seconds(60);

inline std::string MoveTo(Point p) { return "move " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n"; }
inline std::string ClickAt(Point p) { return "click " + std::to_string(p.x) + " " + std::to_string(p.y) + "\n"; }
inline std::string Wait(int ms) { return "wait " + std::to_string(ms) + "\n"; }
// Press on the slider, drag through a few points to the target, release.
inline std::string Drag(int y, int fromX, int toX) {
    std::string s = "move " + std::to_string(fromX) + " " + std::to_string(y) + "\ndown 1\n";
    for (int k = 1; k <= 4; ++k)
        s += "move " + std::to_string(fromX + (toX - fromX) * k / 4) + " " + std::to_string(y) + "\n";
    return s + "up 1\n";
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class GameDriver : public ::testing::Test {
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
            if (entry.path().filename().string().rfind(ShotPrefix, 0) == 0) fs::remove(entry.path());
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
            for (const auto& [name, value] : ChildEnv) ::setenv(name.c_str(), value.c_str(), 1);
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

    // Asks for the next frame as <prefix>NN-name.png and waits until it is
    // there: everything sent before has then been carried out.
    ::testing::AssertionResult Shot(const std::string& name) {
        char number[8];
        std::snprintf(number, sizeof number, "%02d", shots++);
        const fs::path file = artifacts / (ShotPrefix + std::string(number) + "-" + name + ".png");
        lastShot = file;
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
                return ::testing::AssertionFailure()
                       << "the game still runs " << ExitTimeout.count() << " s after the exit button";
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!WIFEXITED(exitStatus) || WEXITSTATUS(exitStatus) != 0) return ::testing::AssertionFailure() << Ended();
        return ::testing::AssertionSuccess();
    }

    // The file names of this test's pictures begin with it; old ones are removed.
    std::string ShotPrefix = "e2e-";
    // Set in the game's environment after the headless defaults (a real display, say).
    std::vector<std::pair<std::string, std::string>> ChildEnv;
    fs::path exe, scratch, fifo, artifacts, shared, lastShot;
    int script = -1;
    pid_t child = 0;
    int exitStatus = 0;
    int shots = 0;
};

}  // namespace e2e
