// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/play_record.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "game/core/services.h"
#include "tallyfold/engine/Daily.h"

namespace {

// Ten thousand lines of well under MaxPlayRecordLine bytes each; more than
// this is not a file the game wrote.
constexpr std::int64_t MaxHistoryFileBytes = static_cast<std::int64_t>(MaxPlayRecords + 1) * MaxPlayRecordLine;
constexpr std::size_t MaxSourceChars = 40;
constexpr int MaxHelpCount = 1000000;

const std::array<std::uint32_t, 256>& CrcTable() {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

bool SourceWord(const std::string& source) {
    if (source.empty() || source.size() > MaxSourceChars) return false;
    for (unsigned char c : source)
        if (c <= ' ' || c >= 127) return false;
    return true;
}

// A whole number of decimal digits within lo..hi, nothing else.
bool ParseInt(std::string_view text, int lo, int hi, int& value) {
    if (text.empty() || text.size() > 10) return false;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < lo || v > hi) return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseClock(std::string_view text, TPlayRecord& r) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
    return ParseInt(text.substr(0, 2), 0, 23, r.Hour) && ParseInt(text.substr(3, 2), 0, 59, r.Minute) &&
           ParseInt(text.substr(6, 2), 0, 60, r.Second);
}

std::string TwoDigits(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

}  // namespace

bool TCivilDate::Valid() const { return engine::ValidDate(Year, Month, Day); }

std::string TCivilDate::Text() const {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", Year, Month, Day);
    return buffer;
}

bool TCivilDate::Parse(std::string_view text, TCivilDate& date) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    TCivilDate d;
    if (!ParseInt(text.substr(0, 4), 1, 9999, d.Year) || !ParseInt(text.substr(5, 2), 1, 12, d.Month) ||
        !ParseInt(text.substr(8, 2), 1, 31, d.Day) || !d.Valid())
        return false;
    date = d;
    return true;
}

long long TCivilDate::DayNumber() const { return engine::DaysFromCivil(Year, Month, Day); }

TCivilDate TCivilDate::FromDayNumber(long long z) {
    // Howard Hinnant's days-to-civil, the inverse of the engine's count.
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    TCivilDate date;
    date.Day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    date.Month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    date.Year = static_cast<int>(yoe + era * 400 + (date.Month <= 2 ? 1 : 0));
    return date;
}

bool TPlayRecord::DailyDate(TCivilDate& date) const {
    constexpr std::string_view prefix = "daily:";
    if (Source.size() != prefix.size() + 10 || Source.compare(0, prefix.size(), prefix) != 0) return false;
    return TCivilDate::Parse(std::string_view(Source).substr(prefix.size()), date);
}

std::uint32_t PlayRecordChecksum(std::string_view text) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char byte : text) c = CrcTable()[(c ^ byte) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string EncodePlayRecord(const TPlayRecord& r) {
    std::string line = "R " + r.Date.Text() + " " + TwoDigits(r.Hour) + ":" + TwoDigits(r.Minute) + ":" +
                       TwoDigits(r.Second) + " " + std::to_string(r.Width) + " " + std::to_string(r.Height) + " " +
                       std::to_string(r.Level) + " " + (SourceWord(r.Source) ? r.Source : "?") + " " +
                       std::to_string(r.TimeMs) + " " + std::to_string(r.Reveals) + " " + std::to_string(r.Explains) +
                       " " + std::to_string(r.Solution) + " " + (r.Finished ? "F" : "A");
    char sum[16];
    std::snprintf(sum, sizeof sum, " *%08x\n", static_cast<unsigned>(PlayRecordChecksum(line)));
    return line + sum;
}

bool DecodePlayRecord(std::string_view line, TPlayRecord& record) {
    if (line.size() > MaxPlayRecordLine) return false;
    const std::size_t star = line.rfind(" *");
    if (star == std::string_view::npos || line.size() - star != 10) return false;
    unsigned sum = 0;
    const auto hex = line.substr(star + 2);
    for (char c : hex)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    std::from_chars(hex.data(), hex.data() + hex.size(), sum, 16);
    const std::string_view body = line.substr(0, star);
    if (sum != PlayRecordChecksum(body)) return false;

    std::vector<std::string_view> fields;
    for (std::size_t at = 0; at <= body.size();) {
        std::size_t end = body.find(' ', at);
        if (end == std::string_view::npos) end = body.size();
        fields.push_back(body.substr(at, end - at));
        at = end + 1;
    }
    if (fields.size() != 12 || fields[0] != "R") return false;
    TPlayRecord r;
    r.Source = std::string(fields[6]);
    const bool ok = TCivilDate::Parse(fields[1], r.Date) && ParseClock(fields[2], r) &&
                    ParseInt(fields[3], 2, 14, r.Width) && ParseInt(fields[4], 2, 14, r.Height) &&
                    ParseInt(fields[5], 0, 2, r.Level) && SourceWord(r.Source) &&
                    ParseInt(fields[7], 0, 0x7FFFFFFF, r.TimeMs) && ParseInt(fields[8], 0, MaxHelpCount, r.Reveals) &&
                    ParseInt(fields[9], 0, MaxHelpCount, r.Explains) && ParseInt(fields[10], 0, 1, r.Solution) &&
                    (fields[11] == "F" || fields[11] == "A");
    if (!ok) return false;
    r.Finished = fields[11] == "F" ? 1 : 0;
    record = r;
    return true;
}

std::vector<TPlayRecord> DecodePlayHistory(const std::string& bytes, int* dropped) {
    std::vector<TPlayRecord> records;
    int bad = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t end = bytes.find('\n', at);
        // The last line without its end is one cut short by damage: the writer
        // always ends a line.
        const bool complete = end != std::string::npos;
        if (!complete) end = bytes.size();
        TPlayRecord record;
        if (complete && DecodePlayRecord(std::string_view(bytes).substr(at, end - at), record))
            records.push_back(std::move(record));
        else if (end > at || complete)
            ++bad;
        at = end + 1;
    }
    if (records.size() > static_cast<std::size_t>(MaxPlayRecords))
        records.erase(records.begin(), records.end() - MaxPlayRecords);
    if (dropped) *dropped = bad;
    return records;
}

std::string EncodePlayHistory(const std::vector<TPlayRecord>& records) {
    std::string bytes;
    bytes.reserve(records.size() * 80);
    for (const auto& record : records) bytes += EncodePlayRecord(record);
    return bytes;
}

std::string TPlayHistory::AsideName() const {
    std::string aside = filepath + ".damaged";
    for (int n = 2; n < 1000 && (CoreIsPlainFile(aside) || CoreExists(aside)); ++n)
        aside = filepath + ".damaged." + std::to_string(n);
    return aside;
}

void TPlayHistory::DropDamagedLines(const std::string& bytes, int dropped) {
    const std::string what = std::to_string(dropped) + " damaged line" + (dropped == 1 ? "" : "s");
    if (!CoreSavingOff().empty()) return;
    // The readable lines go on in the history; the file as it was is kept for
    // whoever wants to look at what was lost, and only then is it rewritten.
    const std::string aside = AsideName();
    std::string reason;
    if (!CoreWriteFile(aside, bytes, &reason)) {
        NotSavedReason = "it is damaged and could not be kept aside";
        CoreLogError("The play history " + filepath + " has " + what + " and could not be kept aside (" + reason +
                     "); nothing is added to it this session.");
        return;
    }
    CoreLogError("The play history " + filepath + " had " + what +
                 "; they were left out and the file as it was kept as " + aside + ".");
    CoreWriteFile(filepath, EncodePlayHistory(Records), &reason);
}

void TPlayHistory::SetAsideTooLarge() {
    if (!CoreSavingOff().empty()) {
        NotSavedReason = "it is far too large";
        return;
    }
    const std::string aside = AsideName();
    if (CoreRename(filepath, aside))
        CoreLogError("The play history " + filepath + " was far too large; it was kept as " + aside +
                     " and a new one begun.");
    else
        NotSavedReason = "it is far too large and could not be kept aside";
}

void TPlayHistory::Load() {
    Records.clear();
    NotSavedReason.clear();
    Loaded = 1;
    std::string bytes, reason;
    switch (CoreReadFile(filepath, MaxHistoryFileBytes, bytes, &reason, true)) {
        case TCoreRead::Missing:
            return;
        case TCoreRead::Read: {
            int dropped = 0;
            Records = DecodePlayHistory(bytes, &dropped);
            if (dropped == 0) return;
            DropDamagedLines(bytes, dropped);
            return;
        }
        case TCoreRead::TooLarge:
            SetAsideTooLarge();
            return;
        case TCoreRead::NotRegular:
        case TCoreRead::Unreadable:
            // Someone else's file, or one we may not read: left as it is.
            NotSavedReason = reason;
            CoreLogError("The play history " + filepath + " cannot be read (" + reason +
                         "); nothing is added to it this session.");
            return;
    }
}

int TPlayHistory::Append(const TPlayRecord& record) {
    if (!Loaded) Load();
    Records.push_back(record);
    if (Records.size() > static_cast<std::size_t>(MaxPlayRecords))
        Records.erase(Records.begin(), Records.end() - MaxPlayRecords);
    if (!NotSavedReason.empty() || !CoreSavingOff().empty()) return 0;
    std::string reason;
    if (CoreWriteFile(filepath, EncodePlayHistory(Records), &reason)) return 1;
    CoreLogError("The play history could not be written to " + filepath + " (" + reason + ").");
    return 0;
}
