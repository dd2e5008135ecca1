// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the core needs from the program around it: the clock, the random numbers, the
// game's texts, telling the player, and the files of the data folder. The shell fills
// these in once at start-up; the core itself knows no window, no text table and no
// file system. An empty hook is never called: each use has a quiet stand-in.
#include <cstdint>
#include <functional>
#include <string>

// How a file read whole turned out.
enum class TCoreRead {
    Read,        // the bytes are there
    Missing,     // nothing at all has this name
    NotRegular,  // a link, folder, pipe or device has the name
    Unreadable,  // it cannot be opened or read
    TooLarge,    // more than the caller will ever accept
};

// The local calendar date and time of day.
struct TCoreLocalTime {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0;
};

struct TCoreServices {
    // Milliseconds of a clock that only moves forward (it may wrap).
    std::function<int()> Clock;
    // The wall clock, which the player may set anywhere.
    std::function<TCoreLocalTime()> LocalTime;
    std::function<void(int seed)> SeedRandom;
    // A number in min..max, both included.
    std::function<int(int min, int max)> Random;
    // Lets the window answer during a long computation.
    std::function<void()> KeepResponsive;
    // A long computation is over: the fixed-rate logic must not catch up on it.
    std::function<void()> RestartLogicClock;
    // The game's text for a key into text ("" when the table lacks it); false when
    // there is no text table at all.
    std::function<bool(const std::string& key, std::string& text)> Text;
    // A problem the player should hear about that does not stop the game.
    std::function<void(const std::string& message)> Notice;

    // The profile folder (save games, the autosave) and the shared data folder (best
    // times, options), each ending in '/'.
    std::function<std::string()> ProfileFolder;
    std::function<std::string()> SharedFolder;
    // Why nothing is written this session; "" while files are written.
    std::function<std::string()> SavingOff;
    // Writes a file as a whole or leaves it as it was; true written, else *reason says why.
    std::function<bool(const std::string& path, const std::string& bytes, std::string* reason)> WriteFile;
    // Reads a regular file of at most maxBytes; followLinks reads through a link to one.
    std::function<TCoreRead(const std::string& path, std::int64_t maxBytes, std::string& bytes, std::string* reason,
                            bool followLinks)>
        ReadFile;
    // True when a file or folder has the name (a link: when what it points to exists).
    std::function<bool(const std::string& path)> Exists;
    // True when a regular file, not a link, has the name.
    std::function<bool(const std::string& path)> IsPlainFile;
    std::function<bool(const std::string& from, const std::string& to)> Rename;
    std::function<bool(const std::string& path)> Delete;
    // A dated line in the error log for a problem the game got over by itself.
    std::function<void(const std::string& message)> LogError;
    // A file that could not be written, in words for the player.
    std::function<std::string(const std::string& path, const std::string& reason)> FileFault;
};

// The one set the core uses; the shell fills it in at start-up.
TCoreServices& CoreServices();

// The uses, each with its stand-in while a hook is empty.
int CoreClock();
TCoreLocalTime CoreLocalTime();
void CoreSeedRandom(int seed);
int CoreRandom(int min, int max);
void CoreKeepResponsive();
void CoreRestartLogicClock();
// The game's text for a key; "" without one.
std::string CoreText(const std::string& key);
// False, and text untouched, when there is no text table at all.
bool CoreLookUpText(const std::string& key, std::string& text);
void CorePlayerNotice(const std::string& message);
std::string CoreProfileFolder();
std::string CoreSharedFolder();
std::string CoreSavingOff();
// Without the hooks nothing is written and nothing found.
bool CoreWriteFile(const std::string& path, const std::string& bytes, std::string* reason);
TCoreRead CoreReadFile(const std::string& path, std::int64_t maxBytes, std::string& bytes, std::string* reason,
                       bool followLinks = false);
bool CoreExists(const std::string& path);
bool CoreIsPlainFile(const std::string& path);
bool CoreRename(const std::string& from, const std::string& to);
bool CoreDelete(const std::string& path);
void CoreLogError(const std::string& message);
std::string CoreFileFault(const std::string& path, const std::string& reason);
