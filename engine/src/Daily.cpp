// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Daily.h"

#include "tallyfold/engine/Diagnostics.h"

namespace engine {

bool ValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

long long DaysFromCivil(int year, int month, int day) {
    // The proleptic Gregorian count with March as the first month, so that the leap day
    // falls at the end of a year.
    const long long y = year - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yearOfEra = y - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::uint32_t DailySeed(int year, int month, int day, int level) {
    std::uint64_t x =
        static_cast<std::uint64_t>(DaysFromCivil(year, month, day)) * 4 + static_cast<std::uint64_t>(level);
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    x ^= x >> 33;
    return static_cast<std::uint32_t>(x);
}

int DailyGeneratorVersion(int, int, int) { return 1; }

bool DailyPuzzle(int year, int month, int day, int level, DailyResult& result) {
    if (!ValidDate(year, month, day)) {
        DiagnosticErr() << "no such date: " << year << '-' << month << '-' << day << '\n';
        return false;
    }
    if (level < 1 || level > 3) {
        DiagnosticErr() << "daily level " << level << " is not 1, 2 or 3\n";
        return false;
    }
    static constexpr unsigned kSizes[3] = {9, 12, 14};
    const unsigned size = kSizes[level - 1];
    result.id = {DailyGeneratorVersion(year, month, day), size, size, level, DailySeed(year, month, day, level)};
    return GenerateFromId(result.id, result.cells, &result.tier);
}

}  // namespace engine
