// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player's whole record: one line per finished or abandoned puzzle, kept in
// "history.txt" in the shared data folder. Statistics, streaks and the daily
// calendar are all worked out from it.
//
// A line: "R date time width height level source timeMs reveals explains
// solution outcome *checksum", for example
//   R 2026-12-11 09:12:33 9 9 0 seed:123456 184000 2 0 0 F *1a2b3c4d
// source is "seed:N" (a generated puzzle), "daily:YYYY-MM-DD", "own" (typed in)
// or "saved" (loaded from a save game); outcome F finished, A abandoned. The
// checksum is the CRC-32 of everything before " *", so a line cut short or
// changed by damage is found and dropped, and the lines around it stay.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int MaxPlayRecords = 10000;
// The longest line this game writes is far below this; a longer one is damage.
inline constexpr std::size_t MaxPlayRecordLine = 200;

struct TCivilDate {
    int Year = 0, Month = 0, Day = 0;
    auto operator<=>(const TCivilDate&) const = default;
    bool Valid() const;
    // "YYYY-MM-DD".
    std::string Text() const;
    // From "YYYY-MM-DD" exactly; false for anything else or a day no calendar has.
    static bool Parse(std::string_view text, TCivilDate& date);
    // Days since 1970-01-01, and back.
    long long DayNumber() const;
    static TCivilDate FromDayNumber(long long day);
};

struct TPlayRecord {
    TCivilDate Date;  // local date and time the puzzle ended
    int Hour = 0, Minute = 0, Second = 0;
    int Width = 9, Height = 9;
    int Level = 0;  // 0 Easy, 1 Medium, 2 Hard
    std::string Source;
    int TimeMs = 0;
    int Reveals = 0;   // cells revealed
    int Explains = 0;  // steps explained
    int Solution = 0;  // 1 when the solution was shown
    int Finished = 0;  // 1 finished, 0 abandoned

    bool operator==(const TPlayRecord&) const = default;
    // The day of the daily puzzle this record is of; false for any other puzzle.
    bool DailyDate(TCivilDate& date) const;
};

std::uint32_t PlayRecordChecksum(std::string_view text);
// One line, '\n' included. Fields out of range are written as they are given;
// Source must be one word of at most 40 printable characters (anything else is
// written as "?").
std::string EncodePlayRecord(const TPlayRecord& record);
// One line without its '\n'; false for anything this game would not have written.
bool DecodePlayRecord(std::string_view line, TPlayRecord& record);

// The records of a file's bytes, oldest first; lines that fail their checksum or
// do not parse are counted in *dropped and left out. At most the newest
// MaxPlayRecords are kept.
std::vector<TPlayRecord> DecodePlayHistory(const std::string& bytes, int* dropped = nullptr);
std::string EncodePlayHistory(const std::vector<TPlayRecord>& records);

// The puzzle on the board, as its record will tell of it.
struct TPlayTrack {
    int Active = 0;   // a puzzle whose record is still to be written is on the board
    int Touched = 0;  // the player changed it: leaving it unfinished abandons it
    std::string Source;
    int Width = 0, Height = 0, Level = 0;
    int Reveals = 0;
    int Solution = 0;
};

class TPlayHistory {
public:
    std::string filepath;
    std::vector<TPlayRecord> Records;  // oldest first
    int Loaded = 0;
    // Why the history is not written this session; empty while it is.
    std::string NotSavedReason;

    // Reads filepath. Missing: an empty history. Damaged lines are dropped with
    // one line in the error log: the file as it was is kept beside it as
    // ".damaged" and then rewritten without them. A file that is not a plain file, or
    // cannot be read, is left alone and nothing is written this session. A file
    // far too large is set aside as ".damaged" and a new one begun.
    void Load();
    // Adds the record (dropping the oldest past MaxPlayRecords) and writes the
    // whole file by write-and-rename, so a kill at any moment leaves the old or
    // the new file. 1 written, 0 not (the record stays in memory).
    int Append(const TPlayRecord& record);

private:
    std::string AsideName() const;
    void DropDamagedLines(const std::string& bytes, int dropped);
    void SetAsideTooLarge();
};
