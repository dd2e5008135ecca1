// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/high_scores.h"

#include <algorithm>
#include <cstring>

#include "game/core/model.h"
#include "game/core/services.h"

namespace {

// Ten entries with 13-character names take under 300 bytes.
constexpr std::int64_t MaxHighScoreFileBytes = 64 * 1024;
// Longer than any name the game lets a player type; a longer run of bytes
// without its terminator is damage, not a name.
constexpr std::size_t MaxStoredNameBytes = 255;
constexpr int DefaultTime = 5940000;  // 99 minutes

void PutInt(std::string& out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((u >> shift) & 0xFF);
}

std::int32_t GetInt(const std::string& in, std::size_t at) {
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) u = (u << 8) | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(u);
}

// Length of the valid UTF-8 sequence at text[i], 0 when there is none.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length;
    unsigned minimum;
    unsigned code;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, minimum = 0x80, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, minimum = 0x800, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, minimum = 0x10000, code = lead & 0x07;
    else
        return 0;
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string CleanHighScoreName(const std::string& name) {
    std::string clean;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = Utf8SequenceLength(name, i);
        if (length == 0) {
            clean += '?';
            ++i;
            continue;
        }
        const auto c = static_cast<unsigned char>(name[i]);
        if (length > 1 || (c >= 32 && c != 127)) clean.append(name, i, length);
        i += length;
    }
    return clean;
}

std::string EncodeHighScores(const std::vector<std::shared_ptr<TKakuroHighScore>>& entries) {
    std::string bytes;
    for (const auto& entry : entries) {
        for (unsigned char c : CleanHighScoreName(entry->name)) bytes += static_cast<char>((c + NameOffset) & 0xFF);
        bytes += '\0';
        PutInt(bytes, entry->time);
        PutInt(bytes, entry->difficulty);
    }
    return bytes;
}

std::string ShownHighScoreName(const std::string& name) {
    std::string clean = CleanHighScoreName(name);
    std::size_t at = 0;
    for (int chars = 0; at < clean.size() && chars < HighScoreNameChars; ++chars) at += Utf8SequenceLength(clean, at);
    clean.resize(at);
    return clean;
}

std::vector<std::shared_ptr<TKakuroHighScore>> DecodeHighScores(const std::string& bytes, int maxEntries) {
    std::vector<std::shared_ptr<TKakuroHighScore>> entries;
    std::size_t at = 0;
    while (at < bytes.size() && static_cast<int>(entries.size()) < maxEntries) {
        const std::size_t end = bytes.find('\0', at);
        // A name without its end, or cut off before its two numbers: the file
        // stops here, and the entries before stay.
        if (end == std::string::npos || end - at > MaxStoredNameBytes || end + 9 > bytes.size()) break;
        std::string name;
        for (std::size_t i = at; i < end; ++i)
            name += static_cast<char>((static_cast<unsigned char>(bytes[i]) - NameOffset) & 0xFF);
        const int time = GetInt(bytes, end + 1);
        const int difficulty = GetInt(bytes, end + 5);
        at = end + 9;
        // Times and difficulties this game never writes would show as nonsense.
        if (time < 0 || difficulty < 0 || difficulty > 2) continue;
        auto entry = std::make_shared<TKakuroHighScore>();
        entry->name = ShownHighScoreName(name);
        entry->time = time;
        entry->difficulty = difficulty;
        entries.push_back(entry);
    }
    // Ranked as the table is kept, whatever order the file had; equal times
    // keep theirs.
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a->time < b->time; });
    return entries;
}

std::shared_ptr<TKakuroHighScoreList> TKakuroHighScoreList::Create(const std::string& path, int maxNameLength,
                                                                   int numEntries) {
    auto list = std::make_shared<TKakuroHighScoreList>();
    list->filepath = path + ".dat";
    list->MaxNameLength = maxNameLength;
    list->NumMaxNameEntries = numEntries;
    return list;
}

void TKakuroHighScoreList::Add(const std::string& name, int time, int difficulty) {
    auto entry = std::make_shared<TKakuroHighScore>();
    entry->name = CleanHighScoreName(name);
    entry->time = time;
    entry->difficulty = difficulty;
    Entries.push_back(entry);
}

void TKakuroHighScoreList::Insert(const std::string& name, int time, int difficulty) {
    auto entry = std::make_shared<TKakuroHighScore>();
    entry->name = CleanHighScoreName(name);
    entry->time = time;
    entry->difficulty = difficulty;
    auto place = Entries.begin();
    while (place != Entries.end() && (*place)->time <= time) ++place;
    Entries.insert(place, entry);
    while (Count() > NumMaxNameEntries && !Entries.empty()) Entries.pop_back();
}

int TKakuroHighScoreList::WillEnterHighscore(int time) const {
    for (std::size_t i = 0; i < Entries.size(); ++i)
        if (Entries[i]->time > time) return static_cast<int>(i) + 1;
    return 0;
}

void TKakuroHighScoreList::Load() {
    Entries.clear();
    NotSavedReason.clear();
    std::string bytes, reason;
    switch (CoreReadFile(filepath, MaxHighScoreFileBytes, bytes, &reason, true)) {
        case TCoreRead::Missing:
            if (DefaultsUnsaved)
                AddDefaults();
            else
                CreateDefault();
            return;
        case TCoreRead::Read:
            Entries = DecodeHighScores(bytes, NumMaxNameEntries);
            if (!Entries.empty()) return;
            reason = bytes.empty() ? "it is empty" : "not one complete entry could be read";
            break;
        case TCoreRead::TooLarge:
            break;
        case TCoreRead::NotRegular:
        case TCoreRead::Unreadable: {
            // Someone else's file, or one we may not read: it is left as it is,
            // and so that it stays that way nothing is saved over it.
            NotSavedReason = reason;
            AddDefaults();
            std::string text = CoreText("Best Times Not Read");
            if (text.empty()) text = "The best times cannot be read and will not be saved until the game starts again:";
            Tell(text + "\r\n" + filepath + " (" + reason + ")");
            return;
        }
    }
    // Damaged: kept aside for whoever wants to look at it, never overwritten.
    std::string aside = filepath + ".damaged";
    for (int n = 2; n < 1000 && (CoreIsPlainFile(aside) || CoreExists(aside)); ++n)
        aside = filepath + ".damaged." + std::to_string(n);
    if (!CoreSavingOff().empty() || !CoreRename(filepath, aside)) {
        NotSavedReason = "it is damaged and could not be kept aside";
        AddDefaults();
        return;
    }
    CoreLogError("The best times file " + filepath + " was damaged (" + reason + "); it was kept as " + aside +
                 " and a new table was started.");
    CreateDefault();
}

int TKakuroHighScoreList::Save() {
    if (!NotSavedReason.empty()) return 0;
    std::string reason;
    if (CoreWriteFile(filepath, EncodeHighScores(Entries), &reason)) return 1;
    // The title already says that nothing is saved this time.
    if (!CoreSavingOff().empty()) return 0;
    // The best times stay in memory and the next save tries again; not worth ending the game for.
    std::string text = CoreText("Failed Save File");
    if (text.empty()) text = "Could not save the best times to ";
    Tell(text + filepath + " (" + reason + ")");
    return 0;
}

void TKakuroHighScoreList::Tell(const std::string& message) const {
    if (Notice)
        Notice(message);
    else
        CorePlayerNotice(message);
}

void TKakuroHighScoreList::AddDefaults() {
    for (int i = 1; i <= 10; ++i) {
        const std::string key = "Highscore Name " + std::to_string(i);
        Add(CoreText(key), DefaultTime, 2);
    }
}

void TKakuroHighScoreList::CreateDefault() {
    AddDefaults();
    Save();
}

void TPuzzleModel::LoadHighScoreTables() {
    const std::string folder = CoreSharedFolder();
    auto make = [&](const char* name) {
        auto list = TKakuroHighScoreList::Create(folder + name, 10, 10);
        list->Notice = [this](const std::string& message) { CoreNotice(message); };
        list->Load();
        return list;
    };
    HighScoreTables.HighScores6x6 = make("hs6x6");
    HighScoreTables.HighScores7x7 = make("hs7x7");
    HighScoreTables.HighScores9x9 = make("hs9x9");
    HighScoreTables.HighScores12x12 = make("hs12x12");
    HighScoreTables.HighScores14x14 = make("hs14x14");
    const char* sizes[] = {"hs6x6", "hs7x7", "hs9x9", "hs12x12", "hs14x14"};
    for (std::size_t s = 0; s < 5; ++s)
        for (int level = 0; level < 3; ++level) {
            auto list = TKakuroHighScoreList::Create(folder + sizes[s] + LevelTableSuffix(level), 10, 10);
            list->Notice = [this](const std::string& message) { CoreNotice(message); };
            list->DefaultsUnsaved = 1;
            list->Load();
            HighScoreTables.LevelTables[s][static_cast<std::size_t>(level)] = list;
        }
}

std::string LevelTableSuffix(int difficulty) { return difficulty == 0 ? "easy" : difficulty == 1 ? "medium" : "hard"; }

std::shared_ptr<TKakuroHighScoreList> TPuzzleModel::LevelHighScoreList(int width, int difficulty) const {
    static constexpr int widths[] = {6, 7, 9, 12, 14};
    if (difficulty < 0 || difficulty > 2) return nullptr;
    for (std::size_t s = 0; s < 5; ++s)
        if (widths[s] == width) return HighScoreTables.LevelTables[s][static_cast<std::size_t>(difficulty)];
    return nullptr;
}

void TPuzzleModel::ResetHighScoreTables() { HighScoreTables = THighScoreTables{}; }

std::shared_ptr<TKakuroHighScoreList> TPuzzleModel::HighScoreListForSize() const {
    switch (Puzzle.BoardWidth) {
        case 6:
            return HighScoreTables.HighScores6x6;
        case 7:
            return HighScoreTables.HighScores7x7;
        case 9:
            return HighScoreTables.HighScores9x9;
        case 12:
            return HighScoreTables.HighScores12x12;
        case 14:
            return HighScoreTables.HighScores14x14;
        default:
            return nullptr;
    }
}

int TPuzzleModel::WillEnterHighscoreForSize(int time) const {
    auto list = HighScoreListForSize();
    const int place = list ? list->WillEnterHighscore(time) : 0;
    if (place) return place;
    // A time too slow for the whole size may still be among the best of its level.
    auto level = LevelHighScoreList(Puzzle.BoardWidth, Puzzle.PuzzleDifficulty);
    return level && Puzzle.BoardWidth == Puzzle.BoardHeight ? level->WillEnterHighscore(time) : 0;
}

int TPuzzleModel::AddHighscoreForSize(const std::string& name, int difficulty, int time) {
    auto list = HighScoreListForSize();
    if (!list) return 1;
    int saved = 1;
    auto level = LevelHighScoreList(Puzzle.BoardWidth, difficulty);
    if (level && Puzzle.BoardWidth == Puzzle.BoardHeight && level->WillEnterHighscore(time)) {
        level->Insert(name, time, difficulty);
        saved = level->Save();
    }
    list->Insert(name, time, difficulty);
    return list->Save() && saved ? 1 : 0;
}
