// SPDX-License-Identifier: GPL-3.0-or-later
// The record of the puzzle on the board: opened when a puzzle takes the board,
// written to the history when it is finished or left for another.
#include "game/core/model.h"
#include "game/core/services.h"

TPlayHistory& TPuzzleModel::History() {
    if (!PlayHistory.Loaded) {
        const std::string folder = CoreSharedFolder();
        PlayHistory.filepath = folder + "history.txt";
        if (!folder.empty()) {
            PlayHistory.Load();
        } else {
            // Without a data folder the name would be taken in whatever folder the game runs in.
            PlayHistory.Loaded = 1;
            PlayHistory.NotSavedReason = "there is no data folder";
        }
    }
    return PlayHistory;
}

void TPuzzleModel::BeginPlayRecord(const std::string& source) {
    PlayTrack = TPlayTrack{};
    PlayTrack.Active = 1;
    PlayTrack.Source = source;
    PlayTrack.Width = Puzzle.BoardWidth;
    PlayTrack.Height = Puzzle.BoardHeight;
    PlayTrack.Level = Puzzle.PuzzleDifficulty;
    PlayTrack.Solution = Puzzle.ShowSolution ? 1 : 0;
    PlayTrack.Reveals = 0;
}

void TPuzzleModel::EndPlayRecord(int finished) {
    if (!PlayTrack.Active) return;
    PlayTrack.Active = 0;
    if (!finished && !PlayTrack.Touched && !PlayTrack.Solution) return;
    TPlayRecord record;
    const TCoreLocalTime now = CoreLocalTime();
    record.Date = {now.Year, now.Month, now.Day};
    // A clock that gives no date still leaves a record; it just counts for no day.
    if (!record.Date.Valid()) record.Date = {1970, 1, 1};
    record.Hour = now.Hour >= 0 && now.Hour < 24 ? now.Hour : 0;
    record.Minute = now.Minute >= 0 && now.Minute < 60 ? now.Minute : 0;
    record.Second = now.Second >= 0 && now.Second <= 60 ? now.Second : 0;
    record.Width = PlayTrack.Width;
    record.Height = PlayTrack.Height;
    record.Level = PlayTrack.Level >= 0 && PlayTrack.Level <= 2 ? PlayTrack.Level : 0;
    record.Source = PlayTrack.Source;
    record.TimeMs = std::max(0, PuzzleElapsed());
    record.Reveals = PlayTrack.Reveals;
    record.Explains = std::max(0, Puzzle.ExplainsUsed);
    record.Solution = PlayTrack.Solution;
    record.Finished = finished ? 1 : 0;
    History().Append(record);
}

int TPuzzleModel::KeepPlayRecordFor(const TGrid& solution, int width, int height) {
    if (PlayTrack.Active && width == Puzzle.BoardWidth && height == Puzzle.BoardHeight && width == PlayTrack.Width &&
        height == PlayTrack.Height && solution == Puzzle.SolutionGrid)
        return 1;
    EndPlayRecord(0);
    return 0;
}
