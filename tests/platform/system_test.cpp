// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <thread>

#include "tallyfold/platform/files.h"
#include "tallyfold/platform/system.h"
#include "test_support.h"

using namespace platform;

namespace {

// Sets an environment variable for the scope of a test.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar() {
        if (had_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }

private:
    std::string name_, old_;
    bool had_;
};

TEST(System, ClockAndSleepCanBeReplaced) {
    uint32_t a = static_cast<uint32_t>(MilliSecs());
    Delay(5);
    EXPECT_GE(static_cast<uint32_t>(MilliSecs()) - a, 5u);  // differences survive the wrap

    uint32_t fake = 2147483600u;  // just below the wrap
    std::vector<int> slept;
    SetMilliSecsSource([&] { return static_cast<int>(fake); });
    SetDelayHook([&](int ms) {
        slept.push_back(ms);
        fake += static_cast<uint32_t>(ms);
    });
    Delay(100);
    EXPECT_EQ(slept, std::vector<int>{100});
    EXPECT_EQ(static_cast<uint32_t>(MilliSecs()) - 2147483600u, 100u);
    SetMilliSecsSource(nullptr);
    SetDelayHook(nullptr);
}

TEST(System, DateTimeAndRandomNumbers) {
    EXPECT_TRUE(
        std::regex_match(CurrentDate(), std::regex(R"(\d\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d{4})")))
        << CurrentDate();
    EXPECT_TRUE(std::regex_match(CurrentTime(), std::regex(R"(\d\d:\d\d:\d\d)"))) << CurrentTime();

    SeedRnd(1234);
    std::vector<int> first;
    for (int i = 0; i < 20; ++i) first.push_back(Rand(1, 6));
    SeedRnd(1234);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Rand(1, 6), first[i]);
    bool sawMin = false, sawMax = false;
    for (int i = 0; i < 2000; ++i) {
        int r = Rand(-3, 3);
        ASSERT_GE(r, -3);
        ASSERT_LE(r, 3);
        sawMin |= r == -3;
        sawMax |= r == 3;
        double d = Rnd(2.0, 3.0);
        ASSERT_GE(d, 2.0);
        ASSERT_LT(d, 3.0);
    }
    EXPECT_TRUE(sawMin && sawMax);
    EXPECT_EQ(Rand(5, 5), 5);
    int swapped = Rand(10, 1);
    EXPECT_TRUE(swapped >= 1 && swapped <= 10);
    int full = Rand(INT32_MIN, INT32_MAX);  // the whole range without overflow
    (void)full;
}

TEST(System, NotifyNeverBlocksHeadless) {
    std::string got;
    bool serious = false;
    SetNotifyHook([&](const std::string& text, bool s) {
        got = text;
        serious = s;
    });
    Notify("hello", true);
    EXPECT_EQ(got, "hello");
    EXPECT_TRUE(serious);
    SetNotifyHook(nullptr);
    Notify("printed to the error stream, then on");  // would hang if it waited
}

TEST(System, ProgramFileTitleAndOperatingSystem) {
    EXPECT_EQ(StripDir(AppFile()), "platform_tests");
    EXPECT_EQ(AppDir(), ExtractDir(AppFile()));
    SetAppTitle("Tallyfold test");
    EXPECT_EQ(AppTitle(), "Tallyfold test");
    EXPECT_EQ(OSName().rfind("Linux ", 0), 0u) << OSName();
    MemoryInfo m = MemoryStatus();
    EXPECT_GT(m.totalPhys, 0u);
    EXPECT_LE(m.availPhys, m.totalPhys);
    EXPECT_GE(m.memoryLoad, 0);
    EXPECT_LE(m.memoryLoad, 100);
    // Whether the system grants them or not, priorities never fail loudly.
    SetProcessPriority(1);
    SetThreadPriority(2);
    SetThreadPriority(0);
    SetProcessPriority(0);
}

TEST(System, SharedDataFolderAndOwnerAccess) {
    {
        EnvVar xdg("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(AppDataFolder(), "/srv/data/");
    }
    {
        EnvVar xdg("XDG_DATA_HOME", "relative/ignored");
        EnvVar home("HOME", "/home/player");
        EXPECT_EQ(AppDataFolder(), "/home/player/.local/share/");
    }
    tftest::TempDir dir;
    ASSERT_TRUE(CreateDir(dir / "shared"));
    chmod((dir / "shared").c_str(), 0505);
    ASSERT_TRUE(GiveOwnerFullAccess(dir / "shared/"));
    struct stat st;
    ASSERT_EQ(stat((dir / "shared").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0705u) << "the owner gains everything, nobody else anything";
    EXPECT_FALSE(GiveOwnerFullAccess(dir / "absent"));
}

TEST(System, OpenUrlHandsTheAddressToXdgOpen) {
    tftest::TempDir dir;
    const std::string log = dir / "opened";
    tftest::WriteFile(dir / "xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + log + "'\n");
    chmod((dir / "xdg-open").c_str(), 0755);
    EnvVar path("PATH", dir.path().c_str());
    {
        // A test or scripted run never reaches the opener.
        EnvVar quiet("TALLYFOLD_NONINTERACTIVE", "1");
        EXPECT_FALSE(OpenURL("https://example.org/"));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_NE(FileType(log), FILETYPE_FILE);
    }
    EnvVar interactive("TALLYFOLD_NONINTERACTIVE", nullptr);
    EXPECT_FALSE(OpenURL(""));
    EXPECT_FALSE(OpenURL("--help"));
    EXPECT_FALSE(OpenURL("http://x\ny"));
    ASSERT_TRUE(OpenURL("https://example.org/start?a=1&b=2"));
    for (int i = 0; i < 200 && FileType(log) != FILETYPE_FILE; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(tftest::ReadFile(log), "https://example.org/start?a=1&b=2");
    EnvVar nopath("PATH", "/nonexistent");
    EXPECT_FALSE(OpenURL("https://example.org/"));
}

int RunFlock(const std::vector<std::string>& args, bool wait) {
    std::vector<char*> argv;
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        // Away from our output: a lingering child would hold a reader's pipe open.
        int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 1);
        dup2(devnull, 2);
        execvp("flock", argv.data());
        _exit(127);
    }
    if (!wait) return pid;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The lock is a file of its own in the folder it guards: owner-only, never
// taken through a planted link, and a holder asked to show itself is told
// (not killed, as SIGUSR1 would do by default).
TEST(System, SingleInstanceLockAcrossProcesses) {
    tftest::TempDir dir;
    const std::string a = dir / "a.lock";
    ASSERT_EQ(AcquireInstanceLock(a), InstanceLock::Held);
    EXPECT_EQ(AcquireInstanceLock(a), InstanceLock::Held);  // asking again is harmless
    struct stat st;
    ASSERT_EQ(lstat(a.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(tftest::ReadFile(a), std::to_string(getpid()) + "\n");
    EXPECT_EQ(RunFlock({"flock", "-n", "-E", "42", a, "true"}, true), 42);

    // Another copy holds it: we do not get it, and it is asked to the front.
    const std::string b = dir / "b.lock";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        close(ready[0]);
        if (AcquireInstanceLock(b) != InstanceLock::Held) _exit(2);
        if (write(ready[1], "x", 1) != 1) _exit(3);
        for (int i = 0; i < 500; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        _exit(0);
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    EXPECT_EQ(AcquireInstanceLock(b), InstanceLock::Busy);
    EXPECT_TRUE(ShowRunningInstance(b));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(waitpid(holder, nullptr, WNOHANG), 0) << "the running copy died of the request";
    kill(holder, SIGTERM);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(AcquireInstanceLock(b), InstanceLock::Held);
    // A stale process number that now names some other program is never signalled.
    const pid_t other = fork();
    if (other == 0) {
        execlp("sleep", "sleep", "3", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    tftest::WriteFile(dir / "stale.lock", std::to_string(other) + "\n");
    EXPECT_FALSE(ShowRunningInstance(dir / "stale.lock"));
    EXPECT_EQ(waitpid(other, nullptr, WNOHANG), 0);
    kill(other, SIGTERM);
    waitpid(other, nullptr, 0);

    // Whatever stands under the name and cannot be a lock (a link, even to
    // /dev/null, a folder, a pipe) refuses the lock, says what it is, and is
    // left as it was; so does a file of the name that we may not open.
    tftest::WriteFile(dir / "victim", "precious");
    ASSERT_EQ(symlink((dir / "victim").c_str(), (dir / "c.lock").c_str()), 0);
    ASSERT_EQ(symlink("/dev/null", (dir / "null.lock").c_str()), 0);
    ASSERT_EQ(mkdir((dir / "folder.lock").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((dir / "pipe.lock").c_str(), 0600), 0);
    for (auto [name, why] :
         std::initializer_list<std::pair<const char*, const char*>>{{"c.lock", "it is a symbolic link"},
                                                                    {"null.lock", "it is a symbolic link"},
                                                                    {"folder.lock", "it is a folder"},
                                                                    {"pipe.lock", "it is not a regular file"}}) {
        std::string reason;
        EXPECT_EQ(AcquireInstanceLock(dir / name, &reason), InstanceLock::Unusable) << name;
        EXPECT_EQ(reason, why) << name;
    }
    EXPECT_EQ(tftest::ReadFile(dir / "victim"), "precious");
    EXPECT_EQ(FileType(dir / "folder.lock"), FILETYPE_DIR);

    // No file and a folder that cannot take one: nobody can write there, so
    // the lock is not needed (the caller saves nothing).
    std::string reason;
    EXPECT_EQ(AcquireInstanceLock(dir / "missing/d.lock", &reason), InstanceLock::Unwritable);
    EXPECT_EQ(reason, "it does not exist");
    const std::string disk = dir / "ro";
    ASSERT_EQ(mkdir(disk.c_str(), 0700), 0);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k,mode=0700") != 0) {
        std::printf("skipped the read-only disk: cannot mount a small file system here\n");
        return;
    }
    tftest::WriteFile(disk + "/old.lock", "");
    const bool remounted = mount("tmpfs", disk.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=16k,mode=0700") == 0;
    const InstanceLock fresh = AcquireInstanceLock(disk + "/new.lock", &reason);
    // A lock file the read-only disk already holds still locks.
    const InstanceLock old = AcquireInstanceLock(disk + "/old.lock");
    const int flocked = RunFlock({"flock", "-n", "-E", "42", disk + "/old.lock", "true"}, true);
    umount2(disk.c_str(), MNT_DETACH);
    ASSERT_TRUE(remounted);
    EXPECT_EQ(fresh, InstanceLock::Unwritable);
    EXPECT_EQ(reason, "the disk is read-only");
    EXPECT_EQ(old, InstanceLock::Held);
    EXPECT_EQ(flocked, 42);
}

}  // namespace
