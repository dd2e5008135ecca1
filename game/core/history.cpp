// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/history.h"

#include "game/core/model.h"

#include <algorithm>
#include <vector>

namespace {

const char* const Crlf = "\r\n";

std::string CellText(const TCellContent& cell) {
    std::string text = std::to_string(cell.Player) + " " + std::to_string(cell.Solution) + " " +
                       std::to_string(cell.Vertical) + " " + std::to_string(cell.Horizontal) + " ";
    for (std::uint8_t mark : cell.Marks) text += mark ? '1' : '0';
    return text;
}

std::string EditText(const TEdit& edit) {
    std::string text = "edit " + std::to_string(static_cast<int>(edit.Kind)) + " " +
                       std::to_string(edit.AutoMarkupBefore ? 1 : 0) + " " +
                       std::to_string(edit.AutoMarkupAfter ? 1 : 0) + " " + std::to_string(edit.Cells.size()) + Crlf;
    for (const TCellChange& change : edit.Cells)
        text += std::to_string(change.X) + " " + std::to_string(change.Y) + " " + CellText(change.Before) + " " +
                CellText(change.After) + Crlf;
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t end = lf == std::string::npos ? text.size() : lf;
        std::string line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        lines.push_back(line);
        if (lf == std::string::npos) break;
        start = lf + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

std::vector<std::string> Tokens(const std::string& line) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > start) tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

// A number of at most six decimal digits, no sign: nothing here is larger.
bool Number(const std::string& text, int& value) {
    if (text.empty() || text.size() > 6) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

class HistoryReader {
public:
    HistoryReader(const std::vector<std::string>& lines, const TSaveGameContent& board, std::string& reason)
        : lines_(lines), board_(board), reason_(reason) {}

    bool Read(TEditHistory& history) {
        if (lines_.empty()) return Fail(0, "the history is empty");
        const auto head = Tokens(lines_[0]);
        int done = 0, undone = 0;
        if (head.size() != 3 || head[0] != "history" || !Number(head[1], done) || !Number(head[2], undone))
            return Fail(0, "not written as \"history 3 1\"");
        // Every edit takes a line at least.
        if (static_cast<std::size_t>(done) + static_cast<std::size_t>(undone) >= lines_.size())
            return Fail(0, "more edits than lines");
        std::size_t at = 1;
        for (int k = 0; k < done + undone; ++k) {
            TEdit edit;
            if (!ReadEdit(at, edit)) return false;
            (k < done ? history.Done : history.Undone).push_back(std::move(edit));
        }
        if (at != lines_.size()) return Fail(at, "more lines than the edits take");
        return Consistent(history) && CheckpointsNest(history);
    }

private:
    bool Fail(std::size_t line, const std::string& what) {
        reason_ = "history line " + std::to_string(line + 1) + ": " + what;
        return false;
    }

    bool ReadEdit(std::size_t& at, TEdit& edit) {
        // The edits before may have taken every line left with their cells.
        if (at >= lines_.size()) return Fail(at, "the file ends before its last edit");
        const auto tokens = Tokens(lines_[at]);
        int kind = 0, before = 0, after = 0, cells = 0;
        if (tokens.size() != 5 || tokens[0] != "edit" || !Number(tokens[1], kind) || !Number(tokens[2], before) ||
            !Number(tokens[3], after) || !Number(tokens[4], cells) || before > 1 || after > 1)
            return Fail(at, "not an edit line");
        // A puzzle the autosave keeps is being played, never typed in: its shape does not change.
        const auto k = static_cast<TEditKind>(kind);
        if (kind > static_cast<int>(TEditKind::UndoToCorrect) || k == TEditKind::WhiteCell || k == TEditKind::ClueCell)
            return Fail(at, "no edit of kind " + tokens[1] + " is kept for a puzzle in play");
        // A checkpoint only marks a place in the history.
        if (k == TEditKind::Checkpoint && (cells != 0 || before != after))
            return Fail(at, "a checkpoint that changes the board");
        if (cells > board_.BoardWidth * board_.BoardHeight || at + static_cast<std::size_t>(cells) >= lines_.size())
            return Fail(at, "more cells than the board or the file has");
        edit.Kind = k;
        edit.AutoMarkupBefore = before;
        edit.AutoMarkupAfter = after;
        std::vector<bool> seen(static_cast<std::size_t>(board_.BoardWidth * board_.BoardHeight));
        for (++at; cells > 0; --cells, ++at) {
            TCellChange change;
            if (!ReadCell(at, change)) return false;
            const auto index = static_cast<std::size_t>(change.Y * board_.BoardWidth + change.X);
            if (seen[index]) return Fail(at, "the same cell twice in one edit");
            seen[index] = true;
            edit.Cells.push_back(change);
        }
        return true;
    }

    bool ReadCell(std::size_t at, TCellChange& change) {
        const auto tokens = Tokens(lines_[at]);
        if (tokens.size() != 12)
            return Fail(at, "a cell takes 12 entries, this line has " + std::to_string(tokens.size()));
        if (!Number(tokens[0], change.X) || !Number(tokens[1], change.Y) || change.X >= board_.BoardWidth ||
            change.Y >= board_.BoardHeight)
            return Fail(at, "the cell is off the board");
        if (!ReadContent(tokens, 2, change.Before) || !ReadContent(tokens, 7, change.After))
            return Fail(at, "a cell holds values no table has");
        const int x = change.X, y = change.Y;
        for (const TCellContent* cell : {&change.Before, &change.After})
            if (cell->Solution != board_.SolutionGrid[x][y] || cell->Vertical != board_.VerticalSumGrid[x][y] ||
                cell->Horizontal != board_.HorizontalSumGrid[x][y] ||
                (cell->Player == BlackCell) != (board_.SolutionGrid[x][y] == BlackCell))
                return Fail(at, "the edit changes the puzzle itself");
        return true;
    }

    static bool ReadContent(const std::vector<std::string>& tokens, std::size_t from, TCellContent& cell) {
        int player = 0, solution = 0, down = 0, across = 0;
        if (!Number(tokens[from], player) || !Number(tokens[from + 1], solution) || !Number(tokens[from + 2], down) ||
            !Number(tokens[from + 3], across))
            return false;
        if ((player > 9 && player != BlackCell) || (solution > 9 && solution != BlackCell) || down > MaxClue ||
            across > MaxClue || tokens[from + 4].size() != 9)
            return false;
        cell.Player = static_cast<std::uint8_t>(player);
        cell.Solution = static_cast<std::uint8_t>(solution);
        cell.Vertical = static_cast<std::uint8_t>(down);
        cell.Horizontal = static_cast<std::uint8_t>(across);
        for (std::size_t d = 0; d < 9; ++d) {
            const char mark = tokens[from + 4][d];
            if (mark != '0' && mark != '1') return false;
            cell.Marks[d] = static_cast<std::uint8_t>(mark - '0');
        }
        return true;
    }

    // Undo from the board as it is must meet each edit's result, and redo from there each
    // undone edit's start: otherwise undo would put on the board what was never there.
    bool Consistent(const TEditHistory& history) {
        TGrid player = board_.PlayerGrid;
        TMarkupGrid marks = board_.MarkupGrid;
        int autoMarkup = board_.AutoMarkup;
        auto step = [&](const TEdit& edit, bool forward) {
            if (autoMarkup != (forward ? edit.AutoMarkupBefore : edit.AutoMarkupAfter)) return false;
            for (const TCellChange& change : edit.Cells) {
                const TCellContent& from = forward ? change.Before : change.After;
                const TCellContent& to = forward ? change.After : change.Before;
                auto& cellMarks = marks[change.X][change.Y];
                if (player[change.X][change.Y] != from.Player) return false;
                for (int d = 0; d < 9; ++d)
                    if (cellMarks[d] != from.Marks[d]) return false;
                player[change.X][change.Y] = to.Player;
                for (int d = 0; d < 9; ++d) cellMarks[d] = to.Marks[d];
            }
            autoMarkup = forward ? edit.AutoMarkupAfter : edit.AutoMarkupBefore;
            return true;
        };
        for (auto edit = history.Done.rbegin(); edit != history.Done.rend(); ++edit)
            if (!step(*edit, false)) return Fail(0, "the edits to undo do not lead to the board as it is");
        player = board_.PlayerGrid;
        marks = board_.MarkupGrid;
        autoMarkup = board_.AutoMarkup;
        for (auto edit = history.Undone.rbegin(); edit != history.Undone.rend(); ++edit)
            if (!step(*edit, true)) return Fail(0, "the edits to redo do not start from the board as it is");
        return true;
    }

    // The game never opens more checkpoints at once than the model allows, on the
    // way to the board or on the way redo would take.
    bool CheckpointsNest(const TEditHistory& history) {
        int open = 0;
        auto walk = [&](const TEdit& edit) {
            if (edit.Kind == TEditKind::Checkpoint) ++open;
            if (edit.Kind == TEditKind::BackToCheckpoint && open > 0) --open;
            return open <= TPuzzleModel::MaxCheckpoints;
        };
        for (const TEdit& edit : history.Done)
            if (!walk(edit)) return Fail(0, "more checkpoints open at once than the game allows");
        for (auto edit = history.Undone.rbegin(); edit != history.Undone.rend(); ++edit)
            if (!walk(*edit)) return Fail(0, "more checkpoints open at once than the game allows");
        return true;
    }

    const std::vector<std::string>& lines_;
    const TSaveGameContent& board_;
    std::string& reason_;
};

}  // namespace

std::string HistoryText(const TEditHistory& history, std::size_t maxBytes) {
    if (history.Done.empty() && history.Undone.empty()) return "";
    // The edits next to the board come first when not all of them fit.
    std::vector<std::string> done, undone;
    std::size_t bytes = 0;
    for (auto edit = history.Done.rbegin(); edit != history.Done.rend(); ++edit) {
        std::string text = EditText(*edit);
        if (bytes + text.size() > maxBytes) break;
        bytes += text.size();
        done.push_back(std::move(text));
    }
    for (auto edit = history.Undone.rbegin(); edit != history.Undone.rend(); ++edit) {
        std::string text = EditText(*edit);
        if (bytes + text.size() > maxBytes) break;
        bytes += text.size();
        undone.push_back(std::move(text));
    }
    std::reverse(done.begin(), done.end());
    std::reverse(undone.begin(), undone.end());
    std::string text = "history " + std::to_string(done.size()) + " " + std::to_string(undone.size()) + Crlf;
    for (const auto& edit : done) text += edit;
    for (const auto& edit : undone) text += edit;
    return text;
}

bool ParseHistory(const std::string& text, const TSaveGameContent& board, TEditHistory& history, std::string& reason) {
    history = TEditHistory{};
    const std::vector<std::string> lines = Lines(text);
    HistoryReader reader(lines, board, reason);
    if (reader.Read(history)) return true;
    history = TEditHistory{};
    return false;
}
