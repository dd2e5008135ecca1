// SPDX-License-Identifier: GPL-3.0-or-later
// The play history reader: whatever the bytes, at most the newest ten thousand
// records come back, each one this game could have written, and they survive
// being written and read again unchanged; statistics and streaks over them
// stay within their bounds.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/core/play_record.h"
#include "game/core/statistics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    int dropped = -1;
    const auto records = DecodePlayHistory(bytes, &dropped);
    if (records.size() > static_cast<size_t>(MaxPlayRecords) || dropped < 0) std::abort();
    for (const auto& r : records) {
        if (!r.Date.Valid() || r.Width < 2 || r.Width > 14 || r.Level < 0 || r.Level > 2 || r.TimeMs < 0) std::abort();
        std::string line = EncodePlayRecord(r);
        line.pop_back();
        TPlayRecord again;
        if (!DecodePlayRecord(line, again) || !(again == r)) std::abort();
    }
    if (DecodePlayHistory(EncodePlayHistory(records)) != records) std::abort();
    const TStatistics stats = ComputeStatistics(records, {2026, 12, 11});
    for (const auto& size : stats.Levels)
        for (const auto& level : size)
            if (level.Finished > level.Started || level.FinishPercent() > 100 || level.AverageMs() < 0) std::abort();
    if (stats.Streaks.Current > stats.Streaks.Longest) std::abort();
    for (const auto& day : DailyMonthResults(records, 2026, 12))
        for (int best : day)
            if (best < 0) std::abort();
    return 0;
}
