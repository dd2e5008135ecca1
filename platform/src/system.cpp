// SPDX-License-Identifier: GPL-3.0-or-later
// Clock, random numbers, message box, process and operating-system services.
#include "tallyfold/platform/system.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "internal.h"
#include "tallyfold/platform/files.h"

namespace platform {
namespace {

std::function<int()> g_clock;
std::function<void(int)> g_delay;
std::function<void(const std::string&, bool)> g_notify;
std::mt19937 g_rng(0x7A11F01Du);
std::string g_title = "Tallyfold";
std::string g_appId;

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::tm LocalNow() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

}  // namespace

int MilliSecs() {
    if (g_clock) return g_clock();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    return static_cast<int>(static_cast<uint32_t>(ms));
}

void SetMilliSecsSource(std::function<int()> source) { g_clock = std::move(source); }

void Delay(int ms) {
    if (g_delay) {
        g_delay(ms);
        return;
    }
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetDelayHook(std::function<void(int)> hook) { g_delay = std::move(hook); }

namespace detail {
bool DelayHooked() { return static_cast<bool>(g_delay); }
}  // namespace detail

std::string CurrentDate() {
    // Month names by hand: the abbreviations must not follow the user's locale.
    std::tm tm = LocalNow();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d %s %04d", tm.tm_mday, kMonths[std::clamp(tm.tm_mon, 0, 11)],
                  tm.tm_year + 1900);
    return buf;
}

std::string CurrentTime() {
    std::tm tm = LocalNow();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

std::string LocalDateTimeText(long long seconds) {
    const auto t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (seconds < 0 || static_cast<long long>(t) != seconds || !localtime_r(&t, &tm)) return "";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02d %s %04d %02d:%02d", tm.tm_mday, kMonths[std::clamp(tm.tm_mon, 0, 11)],
                  tm.tm_year + 1900, tm.tm_hour, tm.tm_min);
    return buf;
}

void SeedRnd(int seed) { g_rng.seed(static_cast<uint32_t>(seed)); }

int Rand(int min, int max) {
    if (min > max) std::swap(min, max);
    // Scaling by hand keeps sequences identical across standard libraries,
    // which tests that replay a seed rely on.
    const uint64_t range = uint64_t(int64_t(max) - int64_t(min) + 1);
    const uint64_t r = (uint64_t(g_rng()) * range) >> 32;
    return static_cast<int>(int64_t(min) + int64_t(r));
}

double Rnd(double min, double max) {
    const double unit = g_rng() / 4294967296.0;
    return min + unit * (max - min);
}

void SetNotifyHook(std::function<void(const std::string&, bool)> hook) { g_notify = std::move(hook); }

void Notify(const std::string& text, bool serious) {
    if (g_notify) {
        g_notify(text, serious);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", g_title.c_str(), text.c_str());
    std::fflush(stderr);
    // Nobody could dismiss a dialog here, and waiting for that would hang.
    const char* noninteractive = std::getenv("TALLYFOLD_NONINTERACTIVE");
    if ((noninteractive && *noninteractive) || detail::HeadlessVideo()) return;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!(display && *display) && !(wayland && *wayland)) return;
    SDL_ShowSimpleMessageBox(serious ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION, g_title.c_str(), text.c_str(),
                             detail::Window());
}

bool OpenURL(const std::string& url) {
    // The URL is one argument to xdg-open; refuse what it could take for an
    // option or what no browser needs.
    if (url.empty() || url[0] == '-') return false;
    for (unsigned char c : url)
        if (c < 32 || c == 127) return false;
    // Test runs and scripted runs must never start a browser on the machine.
    const char* noninteractive = std::getenv("TALLYFOLD_NONINTERACTIVE");
    if (noninteractive && *noninteractive) {
        std::fprintf(stderr, "%s: not opening %s (non-interactive run)\n", g_title.c_str(), url.c_str());
        return false;
    }
    std::string opener;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t pos = 0;
    while (pos <= dirs.size()) {
        size_t colon = dirs.find(':', pos);
        std::string dir = dirs.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        std::string candidate = (dir.empty() ? "." : dir) + "/xdg-open";
        if (access(candidate.c_str(), X_OK) == 0) {
            opener = candidate;
            break;
        }
        if (colon == std::string::npos) break;
        pos = colon + 1;
    }
    if (opener.empty()) return false;
    // Twice forked so the browser launcher never lingers as our zombie; the
    // children only call async-signal-safe functions before exec.
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        pid_t grandchild = fork();
        if (grandchild == 0) {
            int devnull = ::open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                dup2(devnull, 0);
                dup2(devnull, 1);
                dup2(devnull, 2);
            }
            char* const argv[] = {const_cast<char*>(opener.c_str()), const_cast<char*>(url.c_str()), nullptr};
            execv(opener.c_str(), argv);
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string AppFile() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    return std::string(buf, static_cast<size_t>(n));
}

std::string AppDir() { return ExtractDir(AppFile()); }

void SetAppTitle(const std::string& title) {
    g_title = title;
    detail::OnTitleChanged(title);
}

std::string AppTitle() { return g_title; }

void SetAppId(const std::string& id) { g_appId = id; }

std::string AppId() { return g_appId; }

void EndProcess(int code) {
    detail::ShutdownAll();
    std::fflush(nullptr);
    std::exit(code);
}

namespace {
// The comm name and uid of a process, "" when it cannot be read.
std::string ProcessComm(const std::string& pid) {
    std::ifstream in("/proc/" + pid + "/comm");
    std::string comm;
    std::getline(in, comm);
    return comm;
}

void OnRaiseSignal(int) { detail::RequestRaise(); }
}  // namespace

InstanceLock AcquireInstanceLock(const std::string& path, std::string* reason) {
    static std::map<std::string, int> held;
    if (held.count(path)) return InstanceLock::Held;
    auto refuse = [&](InstanceLock result, const std::string& why) {
        if (reason) *reason = why;
        return result;
    };
    // Installed before the lock is taken: a second copy may signal as soon as
    // it sees the lock, and SIGUSR1 would otherwise end this process.
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnRaiseSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGUSR1, &sa, nullptr);
    // O_NOFOLLOW: a link planted under the name must not redirect us; 0600: the
    // lock is nobody else's to take.
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | flags, 0600);
    if (fd < 0) {
        const int error = errno;
        struct stat lst;
        // Nothing under the name, and the folder cannot take a file (read-only,
        // full, not there): no copy can write there, so none needs the lock.
        if (lstat(path.c_str(), &lst) != 0) return refuse(InstanceLock::Unwritable, FileErrorText(error));
        if (S_ISLNK(lst.st_mode)) return refuse(InstanceLock::Unusable, "it is a symbolic link");
        if (S_ISDIR(lst.st_mode)) return refuse(InstanceLock::Unusable, "it is a folder");
        if (!S_ISREG(lst.st_mode)) return refuse(InstanceLock::Unusable, "it is not a regular file");
        // A lock file left on a disk that has become read-only still takes the
        // lock through a read-only descriptor.
        fd = ::open(path.c_str(), O_RDONLY | flags);
        if (fd < 0) return refuse(InstanceLock::Unusable, FileErrorText(error));
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid()) {
        const bool regular = S_ISREG(st.st_mode);
        ::close(fd);
        return refuse(InstanceLock::Unusable, regular ? "it belongs to another user" : "it is not a regular file");
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return InstanceLock::Busy;
        return refuse(InstanceLock::Unusable, FileErrorText(error));
    }
    // Who holds it, so that a second copy can ask us to come to the front.
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) == 0) {
        ssize_t ignored = pwrite(fd, pid.data(), pid.size(), 0);
        (void)ignored;
    }
    held[path] = fd;  // stays open, and locked, until the process ends
    return InstanceLock::Held;
}

bool ShowRunningInstance(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    char buf[32] = {};
    ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) return false;
    std::string pid;
    for (ssize_t i = 0; i < n && buf[i] >= '0' && buf[i] <= '9'; ++i) pid += buf[i];
    if (pid.empty() || pid.size() > 9) return false;
    const pid_t target = static_cast<pid_t>(std::stol(pid));
    if (target <= 1 || target == getpid()) return false;
    // The file may name a process that has ended since and whose number went
    // to another program: only a copy of this program, of this user, is told.
    struct stat st;
    if (stat(("/proc/" + pid).c_str(), &st) != 0 || st.st_uid != getuid()) return false;
    const std::string self = ProcessComm("self");
    if (self.empty() || ProcessComm(pid) != self) return false;
    return kill(target, SIGUSR1) == 0;
}

namespace {
void OnTerminationSignal(int) { detail::RequestTermination(); }
}  // namespace

void InstallTerminationSignals() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    // The terminal the game was started from went away, or the session ends.
    sigaction(SIGHUP, &sa, nullptr);
}

namespace {
int g_processNice = 0;
int g_threadOffset = 0;

// On Linux a nice value belongs to a thread; the main thread carries the
// process class and the thread value together.
void ApplyNice() {
    int nice = std::clamp(g_processNice + g_threadOffset, -20, 19);
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), nice);  // refusals are fine
}
}  // namespace

void SetProcessPriority(int priorityClass) {
    g_processNice = priorityClass == 2 ? -10 : priorityClass == 1 ? -5 : 0;
    ApplyNice();
}

void SetThreadPriority(int value) {
    g_threadOffset = -2 * std::clamp(value, -2, 2);
    ApplyNice();
}

MemoryInfo MemoryStatus() {
    MemoryInfo info;
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t value = 0;
    std::string unit;
    uint64_t total = 0, available = 0;
    bool haveAvailable = false;
    while (meminfo >> key >> value >> unit) {
        if (key == "MemTotal:") total = value * 1024;
        if (key == "MemAvailable:") {
            available = value * 1024;
            haveAvailable = true;
        }
    }
    if (total == 0 || !haveAvailable) {
        struct sysinfo si;
        if (sysinfo(&si) == 0) {
            total = uint64_t(si.totalram) * si.mem_unit;
            available = uint64_t(si.freeram + si.bufferram) * si.mem_unit;
        }
    }
    info.totalPhys = total;
    info.availPhys = std::min(available, total);
    info.memoryLoad = total ? static_cast<int>((total - info.availPhys) * 100 / total) : 0;
    return info;
}

std::string OSName() {
    struct utsname u;
    if (uname(&u) != 0) return "Linux";
    return std::string(u.sysname) + " " + u.release;
}

std::string AppDataFolder() {
    // XDG rules: a relative XDG_DATA_HOME is invalid and is ignored.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {
        std::string p = xdg;
        return p.back() == '/' ? p : p + "/";
    }
    const char* home = std::getenv("HOME");
    std::string h = (home && home[0] == '/') ? home : "";
    if (h.empty()) {
        if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) h = pw->pw_dir;
    }
    if (h.empty()) h = "/tmp";
    if (h.back() == '/') h.pop_back();
    return h + "/.local/share/";
}

bool GiveOwnerFullAccess(const std::string& path, std::string* reason) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    struct stat st;
    if (stat(p.c_str(), &st) != 0) {
        if (reason) *reason = FileErrorText(errno);
        return false;
    }
    mode_t add = S_ISDIR(st.st_mode) ? S_IRWXU : (S_IRUSR | S_IWUSR);
    if (chmod(p.c_str(), ((st.st_mode & 07777) & ~(S_IWGRP | S_IWOTH)) | add) != 0) {
        const int error = errno;
        if (reason)
            *reason = error == EPERM && st.st_uid != geteuid() ? "it belongs to another user" : FileErrorText(error);
        return false;
    }
    return true;
}

}  // namespace platform
