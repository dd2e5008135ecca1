// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Clock, random numbers, message box, process and operating-system services.
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// 32-bit millisecond clock; wraps.
int MilliSecs();
// Tests replace the clock; an empty function restores the real one.
void SetMilliSecsSource(std::function<int()> source);
void Delay(int ms);
// Tests make Delay return at once (or advance their fake clock).
void SetDelayHook(std::function<void(int)> hook);

std::string CurrentDate();  // "%d %b %Y"
std::string CurrentTime();  // "%H:%M:%S"
// A moment in seconds since 1970 as local "%d %b %Y %H:%M"; "" when out of range.
std::string LocalDateTimeText(long long seconds);

void SeedRnd(int seed);
int Rand(int min, int max);                  // inclusive
double Rnd(double min = 0, double max = 1);  // [min, max)

// Blocks until dismissed. Tests install a hook so nothing blocks.
void Notify(const std::string& text, bool serious = false);
void SetNotifyHook(std::function<void(const std::string&, bool)> hook);

bool OpenURL(const std::string& url);
std::string AppFile();  // full path of the program file
std::string AppDir();
void SetAppTitle(const std::string& title);
std::string AppTitle();
// The desktop's reverse-DNS name of the program, the name of its desktop
// entry. Set before the first window opens: the window carries it as its
// class, so the desktop matches the window with the entry and its icon.
void SetAppId(const std::string& id);
std::string AppId();
[[noreturn]] void EndProcess(int code);

// Single instance, by a lock file (created owner-only, never through a link,
// with our process id in it). The lock lives until the process ends; a holder
// comes to the front when a second copy calls ShowRunningInstance.
enum class InstanceLock {
    Held,        // this process holds it now
    Busy,        // another process holds it
    Unwritable,  // there is none and its folder cannot take one (read-only, full)
    Unusable,    // something stands under the name that cannot be a lock: a
                 // folder, a link, a device, another user's file
};
// reason says, in words for a message, why the lock is Unwritable or Unusable.
InstanceLock AcquireInstanceLock(const std::string& path, std::string* reason = nullptr);
// Asks the copy of this program that holds the lock file to bring its window
// to the front. True when it was asked.
bool ShowRunningInstance(const std::string& path);
// SIGINT, SIGTERM and SIGHUP become AppTerminate events instead of killing the
// process, so that the game ends in order.
void InstallTerminationSignals();

// Priority: class 1 above normal, 2 high, other normal. Thread value 0 normal,
// positive higher, negative lower. Refusals are ignored.
void SetProcessPriority(int priorityClass);
void SetThreadPriority(int value);

struct MemoryInfo {
    uint64_t totalPhys = 0;
    uint64_t availPhys = 0;
    int memoryLoad = 0;  // percent
};
MemoryInfo MemoryStatus();
std::string OSName();
// The folder for application data shared by this user's programs:
// $XDG_DATA_HOME, else ~/.local/share, with a trailing "/".
std::string AppDataFolder();
// Makes a folder readable, writable and enterable by its owner; nobody else
// gains rights, and others lose the right to write there.
bool GiveOwnerFullAccess(const std::string& path, std::string* reason = nullptr);

}  // namespace platform
