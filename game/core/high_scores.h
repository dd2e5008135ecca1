// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The best times for each board size: ten entries per table, fastest first,
// kept in a small binary file in the shared data folder.
//
// File: per entry the name's UTF-8 bytes, each stored as (byte + NameOffset)
// mod 256, a 0 byte, the time in ms and the difficulty as signed 32-bit
// little-endian numbers. No header and no count.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Disguises the names in the file. Only byte 0xC1 would be stored as the 0 that
// ends a name, and 0xC1 never occurs in UTF-8, which is all a name holds.
inline constexpr std::uint8_t NameOffset = 0x3F;
// The longest name a player can type for the table, in characters; a longer
// one read from a file is cut to it so that it stays in its column.
inline constexpr int HighScoreNameChars = 13;

class TKakuroHighScore {
public:
    virtual ~TKakuroHighScore() = default;
    std::string name;
    int time = 0;  // ms
    int difficulty = 0;
};

class TKakuroHighScoreList {
public:
    virtual ~TKakuroHighScoreList() = default;
    std::string filepath;
    int MaxNameLength = 20;
    int NumMaxNameEntries = 10;
    // Best first.
    std::vector<std::shared_ptr<TKakuroHighScore>> Entries;

    // path without ".dat".
    static std::shared_ptr<TKakuroHighScoreList> Create(const std::string& path, int maxNameLength, int numEntries);
    virtual void Add(const std::string& name, int time, int difficulty);
    // In rank order; an equal time goes after the entries that have it. Trims to
    // NumMaxNameEntries.
    virtual void Insert(const std::string& name, int time, int difficulty);
    // The 1-based place the time would take, 0 when it does not enter.
    virtual int WillEnterHighscore(int time) const;
    // At most NumMaxNameEntries entries, ranked by time, names cut to
    // HighScoreNameChars. A missing file gives the default table (and writes
    // it); a file cut off inside an entry keeps the entries before. A damaged
    // file (nothing complete in it, or far too large) is renamed with a
    // ".damaged" suffix, noted in the error log and replaced by the default
    // table. A file that cannot be read, or is not a file, is left alone: the
    // default table is shown, nothing is saved this session, and the player
    // is told.
    virtual void Load();
    // 1 written. 0 not written: the player is told (Notice) and the table
    // stays as it is in memory; or saving is off this session (NotSavedReason).
    virtual int Save();
    // Appends the ten placeholder entries, then Save.
    virtual void CreateDefault();
    // Why this table is not saved this session; empty when it is.
    std::string NotSavedReason;
    int Count() const { return static_cast<int>(Entries.size()); }
    // Tells the player of a table that cannot be read or written; empty: a message box.
    std::function<void(const std::string& message)> Notice;
    // 1: a missing file gives the default table in memory only, so that the
    // file appears with the first time that enters it.
    int DefaultsUnsaved = 0;

private:
    void AddDefaults();
    void Tell(const std::string& message) const;
};

// The file bytes of a table, and the entries read from file bytes: the first
// maxEntries complete ones, ranked by time, names as ShownHighScoreName makes them.
std::string EncodeHighScores(const std::vector<std::shared_ptr<TKakuroHighScore>>& entries);
std::vector<std::shared_ptr<TKakuroHighScore>> DecodeHighScores(const std::string& bytes, int maxEntries = 10);
// A name as the tables keep it: valid UTF-8 without control characters.
std::string CleanHighScoreName(const std::string& name);
// The same, cut to HighScoreNameChars characters.
std::string ShownHighScoreName(const std::string& name);

struct THighScoreTables {
    std::shared_ptr<TKakuroHighScoreList> HighScores6x6, HighScores7x7, HighScores9x9, HighScores12x12, HighScores14x14;
    // The same for each level of each size, [size 6, 7, 9, 12, 14][level], in
    // files "hs9x9easy" ... "hs14x14hard" beside the tables of the whole size.
    std::array<std::array<std::shared_ptr<TKakuroHighScoreList>, 3>, 5> LevelTables;
};
// The file name suffix of a level's table: "easy", "medium", "hard".
std::string LevelTableSuffix(int difficulty);
