// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tallyfold/engine/PuzzleCode.h"

namespace engine {

// The puzzles of the day are the same in every copy of the game, this version and every
// later one, for the same calendar date: each is made from the date alone.
//
// Level 1 is 9 x 9 Easy, 2 is 12 x 12 Medium, 3 is 14 x 14 Hard. The seed of a date and
// level is DailySeed below; the generator is the one DailyGeneratorVersion names for the
// date, so that a new generator can take over from a day still to come while every day
// already past keeps its puzzles.

// Gregorian dates from 0001-01-01 to 9999-12-31.
bool ValidDate(int year, int month, int day);

// Days since 1970-01-01 (negative before).
long long DaysFromCivil(int year, int month, int day);

// The seed of a date's puzzle of a level, fixed forever:
//   x = days since 1970-01-01 (as an unsigned 64-bit number) * 4 + level,
//   then x ^= x >> 33; x *= 0xFF51AFD7ED558CCD; x ^= x >> 33; x *= 0xC4CEB9FE1A85EC53;
//   x ^= x >> 33 (all modulo 2^64), and the seed is the low 32 bits of x.
std::uint32_t DailySeed(int year, int month, int day, int level);

// 1 for every date so far.
int DailyGeneratorVersion(int year, int month, int day);

struct DailyResult {
    GeneratedPuzzleId id;             // its code is GeneratedPuzzleCode(id)
    std::vector<std::uint8_t> cells;  // one byte a cell: 1..9, or 0xFF for black
    int tier = 0;
};

// False with a message on the error stream for a date that does not exist or a level
// other than 1..3.
bool DailyPuzzle(int year, int month, int day, int level, DailyResult& result);

}  // namespace engine
