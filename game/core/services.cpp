// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/services.h"

#include <chrono>
#include <ctime>
#include <random>

namespace {
std::mt19937& StandInGenerator() {
    static std::mt19937 generator;
    return generator;
}
}  // namespace

TCoreServices& CoreServices() {
    static TCoreServices services;
    return services;
}

int CoreClock() {
    if (CoreServices().Clock) return CoreServices().Clock();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<int>(
        static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
}

TCoreLocalTime CoreLocalTime() {
    if (CoreServices().LocalTime) return CoreServices().LocalTime();
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    TCoreLocalTime t;
    if (!local) return t;
    t.Year = local->tm_year + 1900;
    t.Month = local->tm_mon + 1;
    t.Day = local->tm_mday;
    t.Hour = local->tm_hour;
    t.Minute = local->tm_min;
    t.Second = local->tm_sec;
    return t;
}

void CoreSeedRandom(int seed) {
    if (CoreServices().SeedRandom) {
        CoreServices().SeedRandom(seed);
        return;
    }
    StandInGenerator().seed(static_cast<std::uint32_t>(seed));
}

int CoreRandom(int min, int max) {
    if (CoreServices().Random) return CoreServices().Random(min, max);
    if (max <= min) return min;
    return std::uniform_int_distribution<int>(min, max)(StandInGenerator());
}

void CoreKeepResponsive() {
    if (CoreServices().KeepResponsive) CoreServices().KeepResponsive();
}

void CoreRestartLogicClock() {
    if (CoreServices().RestartLogicClock) CoreServices().RestartLogicClock();
}

bool CoreLookUpText(const std::string& key, std::string& text) {
    return CoreServices().Text && CoreServices().Text(key, text);
}

std::string CoreText(const std::string& key) {
    std::string text;
    return CoreLookUpText(key, text) ? text : std::string();
}

void CorePlayerNotice(const std::string& message) {
    if (CoreServices().Notice) CoreServices().Notice(message);
}

std::string CoreProfileFolder() {
    return CoreServices().ProfileFolder ? CoreServices().ProfileFolder() : std::string();
}

std::string CoreSharedFolder() { return CoreServices().SharedFolder ? CoreServices().SharedFolder() : std::string(); }

std::string CoreSavingOff() { return CoreServices().SavingOff ? CoreServices().SavingOff() : std::string(); }

bool CoreWriteFile(const std::string& path, const std::string& bytes, std::string* reason) {
    if (CoreServices().WriteFile) return CoreServices().WriteFile(path, bytes, reason);
    if (reason) *reason = "files cannot be written";
    return false;
}

TCoreRead CoreReadFile(const std::string& path, std::int64_t maxBytes, std::string& bytes, std::string* reason,
                       bool followLinks) {
    if (CoreServices().ReadFile) return CoreServices().ReadFile(path, maxBytes, bytes, reason, followLinks);
    if (reason) *reason = "it does not exist";
    return TCoreRead::Missing;
}

bool CoreExists(const std::string& path) { return CoreServices().Exists && CoreServices().Exists(path); }

bool CoreIsPlainFile(const std::string& path) { return CoreServices().IsPlainFile && CoreServices().IsPlainFile(path); }

bool CoreRename(const std::string& from, const std::string& to) {
    return CoreServices().Rename && CoreServices().Rename(from, to);
}

bool CoreDelete(const std::string& path) { return CoreServices().Delete && CoreServices().Delete(path); }

void CoreLogError(const std::string& message) {
    if (CoreServices().LogError) CoreServices().LogError(message);
}

std::string CoreFileFault(const std::string& path, const std::string& reason) {
    return CoreServices().FileFault ? CoreServices().FileFault(path, reason) : path + ": " + reason;
}
