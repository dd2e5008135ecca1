// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/core/save_game.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "game/core/model.h"
#include "game/core/services.h"

namespace {

const char* const SaveGameHeader = "Tallyfold Savegame";
// A 14 x 14 save is about 6 KB; anything far larger is not one of ours.
constexpr std::int64_t MaxSaveGameBytes = 64 * 1024;
constexpr std::size_t MaxSaveNameBytes = 128;

std::string Text(const std::string& key, const std::string& fallback) {
    std::string text = CoreText(key);
    return text.empty() ? fallback : text;
}

std::string Pad2(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? std::string(2 - text.size(), '0') + text : text;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        std::size_t end = lf == std::string::npos ? text.size() : lf;
        std::string line = text.substr(start, end - start);
        // Editors may drop the CR or leave blanks at line ends; neither changes a value.
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        lines.push_back(line);
        if (lf == std::string::npos) break;
        start = lf + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

std::vector<std::string> SplitBlanks(const std::string& line) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

// A number of 1..maxDigits decimal digits and nothing else.
bool Digits(const std::string& text, std::size_t maxDigits, long long& value) {
    if (text.empty() || text.size() > maxDigits) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

class Parser {
public:
    Parser(const std::vector<std::string>& lines, std::string& reason) : lines_(lines), reason_(reason) {}

    bool Fail(std::size_t line, const std::string& what) {
        reason_ = "line " + std::to_string(line + 1) + ": " + what;
        return false;
    }

    bool Parse(TSaveGameContent& c) {
        if (lines_.empty() || lines_[0] != SaveGameHeader) return Fail(0, "not a Tallyfold save game");
        if (lines_.size() < 6) return Fail(lines_.size(), "the file ends too early");

        const std::string& size = lines_[1];
        const std::size_t cross = size.find('x');
        long long w = 0, h = 0;
        if (cross == std::string::npos || !Digits(size.substr(0, cross), 2, w) || !Digits(size.substr(cross + 1), 2, h))
            return Fail(1, "the board size is not written as 09x09");
        // The game plays square boards; each side must be one of its sizes all the same.
        if (!IsBoardSize(static_cast<int>(w)) || !IsBoardSize(static_cast<int>(h)))
            return Fail(1, "a board of " + size + " does not exist (6, 7, 9, 12 or 14 each way)");
        c.BoardWidth = static_cast<int>(w);
        c.BoardHeight = static_cast<int>(h);

        long long value = 0;
        if (!Digits(lines_[2], 1, value) || value > 2) return Fail(2, "the difficulty must be 0, 1 or 2");
        c.PuzzleDifficulty = static_cast<int>(value);
        if (!Digits(lines_[3], 1, value) || value > 1) return Fail(3, "the pencil-mark flag must be 0 or 1");
        c.AutoMarkup = static_cast<int>(value);
        if (!Digits(lines_[4], 10, value) || value > INT_MAX) return Fail(4, "the play time is not a number of ms");
        c.ElapsedMs = static_cast<int>(value);

        const int n = c.BoardWidth, rows = c.BoardHeight;
        const std::size_t expected = 9 + 4 * static_cast<std::size_t>(rows);
        const bool helpLine = lines_.size() == expected + 2;
        if (lines_.size() != expected && !helpLine)
            return Fail(std::min(lines_.size(), expected + 2),
                        "a " + size + " save game has " + std::to_string(expected) + " or " +
                            std::to_string(expected + 2) + " lines, this file has " + std::to_string(lines_.size()));

        std::size_t at = 5;
        if (!Separator(at++)) return false;
        for (int y = 0; y < rows; ++y, ++at) {
            const auto tokens = Tokens(at, static_cast<std::size_t>(n));
            if (tokens.empty()) return false;
            for (int x = 0; x < n; ++x) {
                const std::string& pair = tokens[static_cast<std::size_t>(x)];
                const std::size_t slash = pair.find('/');
                long long across = 0, down = 0;
                if (slash == std::string::npos || !Digits(pair.substr(0, slash), 2, across) ||
                    !Digits(pair.substr(slash + 1), 2, down) || across > MaxClue || down > MaxClue)
                    return Fail(at, "clue \"" + pair + "\" is not two clues 00..45 written as 07/16");
                c.HorizontalSumGrid[x][y] = static_cast<std::uint8_t>(across);
                c.VerticalSumGrid[x][y] = static_cast<std::uint8_t>(down);
            }
        }
        if (!Separator(at++) || !DigitGrid(at, n, rows, c.PlayerGrid, true)) return false;
        at += static_cast<std::size_t>(rows);
        if (!Separator(at++) || !DigitGrid(at, n, rows, c.SolutionGrid, false)) return false;
        at += static_cast<std::size_t>(rows);
        if (!Separator(at++)) return false;
        for (int y = 0; y < rows; ++y, ++at) {
            const auto tokens = Tokens(at, 9 * static_cast<std::size_t>(n));
            if (tokens.empty()) return false;
            for (int x = 0; x < n; ++x) {
                for (int d = 0; d < 9; ++d) {
                    const std::string& mark = tokens[static_cast<std::size_t>(9 * x + d)];
                    if (mark != "0" && mark != "1") return Fail(at, "a pencil mark must be 0 or 1");
                    c.MarkupGrid[x][y][d] = static_cast<std::uint8_t>(mark[0] - '0');
                }
            }
        }
        if (helpLine && (!Separator(at++) || !HelpTaken(at, c))) return false;
        return CheckPuzzle(c);
    }

private:
    // "revealed 0|1 explained N own 0|1"
    bool HelpTaken(std::size_t at, TSaveGameContent& c) {
        const auto tokens = Tokens(at, 6);
        if (tokens.empty()) return false;
        long long revealed = 0, explained = 0, own = 0;
        if (tokens[0] != "revealed" || tokens[2] != "explained" || tokens[4] != "own" ||
            !Digits(tokens[1], 1, revealed) || revealed > 1 || !Digits(tokens[3], 9, explained) ||
            !Digits(tokens[5], 1, own) || own > 1)
            return Fail(at, "the help line is not written as \"revealed 0 explained 0 own 0\"");
        c.RevealUsed = static_cast<int>(revealed);
        c.ExplainsUsed = static_cast<int>(explained);
        c.IsCustomPuzzle = static_cast<int>(own);
        return true;
    }

    bool Separator(std::size_t at) { return lines_[at] == "-" ? true : Fail(at, "a line \"-\" belongs here"); }

    std::vector<std::string> Tokens(std::size_t at, std::size_t count) {
        auto tokens = SplitBlanks(lines_[at]);
        if (tokens.size() != count) {
            Fail(at, std::to_string(count) + " entries belong on this line, it has " + std::to_string(tokens.size()));
            return {};
        }
        return tokens;
    }

    bool DigitGrid(std::size_t first, int n, int rows, TGrid& grid, bool emptyAllowed) {
        for (int y = 0; y < rows; ++y) {
            const std::size_t at = first + static_cast<std::size_t>(y);
            const auto tokens = Tokens(at, static_cast<std::size_t>(n));
            if (tokens.empty()) return false;
            for (int x = 0; x < n; ++x) {
                long long v = 0;
                const std::string& token = tokens[static_cast<std::size_t>(x)];
                if (!Digits(token, 2, v) || (v > 9 && v != BlackCell) || (v == 0 && !emptyAllowed))
                    return Fail(at, "\"" + token + "\" is not a digit" + (emptyAllowed ? ", 00" : "") + " or 88");
                grid[x][y] = static_cast<std::uint8_t>(v);
            }
        }
        return true;
    }

    // A puzzle the game could have been playing: black cells agree, every white
    // cell lies in a clued run both ways, and every clue is the sum of its run's
    // distinct solution digits. Anything else could never be finished.
    bool CheckPuzzle(const TSaveGameContent& c) {
        const int n = c.BoardWidth, rows = c.BoardHeight;
        auto black = [&](int x, int y) { return c.SolutionGrid[x][y] == BlackCell; };
        // A board without a single white cell would count as solved the moment it loads.
        bool light = false;
        for (int x = 0; x < n; ++x)
            for (int y = 0; y < rows; ++y) light = light || !black(x, y);
        if (!light) return Failed("the board has no white cell to fill");
        for (int x = 0; x < n; ++x) {
            for (int y = 0; y < rows; ++y) {
                const std::string cell = "cell " + std::to_string(x) + "," + std::to_string(y);
                if ((c.PlayerGrid[x][y] == BlackCell) != black(x, y))
                    return Failed(cell + " is black in one grid and white in the other");
                if (!black(x, y)) {
                    if (c.HorizontalSumGrid[x][y] || c.VerticalSumGrid[x][y])
                        return Failed(cell + " is white but has a clue");
                    int left = x, up = y;
                    while (left >= 0 && !black(left, y)) --left;
                    while (up >= 0 && !black(x, up)) --up;
                    if (left < 0 || up < 0) return Failed(cell + " has no clue cell before it");
                    continue;
                }
                for (int direction : {Horizontal, Vertical}) {
                    const int dx = direction == Horizontal ? 1 : 0, dy = 1 - dx;
                    const int clue = direction == Horizontal ? c.HorizontalSumGrid[x][y] : c.VerticalSumGrid[x][y];
                    int sum = 0, length = 0;
                    unsigned used = 0;
                    for (int cx = x + dx, cy = y + dy; cx < n && cy < rows && !black(cx, cy); cx += dx, cy += dy) {
                        const unsigned bit = 1u << c.SolutionGrid[cx][cy];
                        if (used & bit) return Failed("the solution repeats a digit in the run after " + cell);
                        used |= bit;
                        sum += c.SolutionGrid[cx][cy];
                        ++length;
                    }
                    if (length == 0 && clue != 0) return Failed(cell + " has a clue without a run");
                    if (length > 0 && clue != sum)
                        return Failed("the clue " + std::to_string(clue) + " at " + cell + " does not match its run");
                }
            }
        }
        return true;
    }

    bool Failed(const std::string& what) {
        reason_ = what;
        return false;
    }

    const std::vector<std::string>& lines_;
    std::string& reason_;
};

}  // namespace

std::string TPuzzleModel::SaveGameText(int elapsedMs) const {
    const auto& p = Puzzle;
    const int w = p.BoardWidth, h = p.BoardHeight;
    const std::string crlf = "\r\n";
    std::string text = std::string(SaveGameHeader) + crlf;
    text += Pad2(w) + "x" + Pad2(h) + crlf;
    text += std::to_string(p.PuzzleDifficulty) + crlf;
    text += std::to_string(p.AutoMarkup) + crlf;
    text += std::to_string(elapsedMs) + crlf;
    text += "-" + crlf;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) text += Pad2(p.HorizontalSumGrid[x][y]) + "/" + Pad2(p.VerticalSumGrid[x][y]) + " ";
        text += crlf;
    }
    for (const TGrid* grid : {&p.PlayerGrid, &p.SolutionGrid}) {
        text += "-" + crlf;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) text += Pad2((*grid)[x][y]) + " ";
            text += crlf;
        }
    }
    text += "-" + crlf;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            for (int d = 0; d < 9; ++d) text += std::to_string(p.MarkupGrid[x][y][d]) + " ";
        text += crlf;
    }
    text += "-" + crlf;
    text += "revealed " + std::to_string(p.RevealUsed ? 1 : 0) + " explained " +
            std::to_string(std::clamp(p.ExplainsUsed, 0, 999999999)) + " own " +
            std::to_string(p.IsCustomPuzzle ? 1 : 0) + crlf;
    return text;
}

std::optional<TSaveGameContent> ParseSaveGame(const std::string& text, std::string& reason) {
    const std::vector<std::string> lines = SplitLines(text);
    TSaveGameContent content;
    Parser parser(lines, reason);
    if (!parser.Parse(content)) return std::nullopt;
    return content;
}

std::optional<TSaveGameSummary> SummariseSaveGame(const std::string& path, std::string& reason) {
    std::string bytes;
    if (CoreReadFile(path, MaxSaveGameBytes, bytes, &reason) != TCoreRead::Read) return std::nullopt;
    const auto content = ParseSaveGame(bytes, reason);
    if (!content) return std::nullopt;
    TSaveGameSummary summary;
    summary.BoardWidth = content->BoardWidth;
    summary.BoardHeight = content->BoardHeight;
    summary.PuzzleDifficulty = content->PuzzleDifficulty;
    summary.ElapsedMs = content->ElapsedMs;
    for (int x = 0; x < content->BoardWidth; ++x)
        for (int y = 0; y < content->BoardHeight; ++y) {
            if (content->SolutionGrid[x][y] == BlackCell) continue;
            ++summary.CellsToFill;
            const int digit = content->PlayerGrid[x][y];
            if (digit >= 1 && digit <= 9) ++summary.CellsFilled;
        }
    return summary;
}

bool TPuzzleModel::IsReservedSaveName(const std::string& name) const {
    auto lower = [](std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return text;
    };
    for (const auto& reserved : ReservedSaveNames)
        if (lower(reserved) == lower(name)) return true;
    return false;
}

bool IsValidSaveName(const std::string& name) {
    if (name.empty() || name.size() > MaxSaveNameBytes || name[0] == '.') return false;
    for (unsigned char c : name) {
        if (c < 32 || c == 127 || c == '/' || c == '\\') return false;
    }
    return true;
}

// ---------------------------------------------------------------------------

std::shared_ptr<TSaveGame> TSaveGame::Create(TPuzzleModel& model, const std::string& name) {
    auto game = std::make_shared<TSaveGame>(model);
    game->Init(name);
    return game;
}

void TSaveGame::Init(const std::string& name) { Name = name; }

std::string TSaveGame::FilePath() const { return CoreProfileFolder() + Name + ".dat"; }

int TSaveGame::Save() {
    Error.clear();
    if (!IsValidSaveName(Name)) {
        Error = Text("Bad Save Name", "That name cannot be used for a saved game.");
        return 0;
    }
    // The clock wraps; the difference of two readings is still right modulo 2^32.
    int elapsed =
        static_cast<int>(static_cast<std::uint32_t>(CoreClock()) - static_cast<std::uint32_t>(Model.Puzzle.TimerStart));
    if (elapsed < 0) elapsed = 0;
    const std::string path = FilePath();
    std::string reason;
    // The player hears of a failure from the dialog this Error fills.
    if (!CoreWriteFile(path, Model.SaveGameText(elapsed), &reason)) {
        Error = Text("Could Not Create File", "Could not create the save game file '") + path + "'\r\n(" + reason + ")";
        return 0;
    }
    return 1;
}

int TSaveGame::Load() {
    Error.clear();
    if (!IsValidSaveName(Name)) {
        Error = Text("Bad Save Name", "That name cannot be used for a saved game.");
        return -1;
    }
    // Loading only ever reads: a name whose file has gone, or that is a link, a
    // pipe or anything else but a file of its own, is refused and nothing is
    // written in its place.
    const std::string path = FilePath();
    std::string bytes;
    std::string reason;
    std::optional<TSaveGameContent> content;
    if (CoreReadFile(path, MaxSaveGameBytes, bytes, &reason) == TCoreRead::Read) content = ParseSaveGame(bytes, reason);
    if (!content) {
        Error = Text("Damaged Save File", "Could not load the saved game '") + Name + "'\r\n(" + reason + ")";
        return -1;
    }

    Model.ApplySaveGameContent(*content);
    return 1;
}

void TPuzzleModel::ApplySaveGameContent(const TSaveGameContent& content) {
    const int sameRecord = KeepPlayRecordFor(content.SolutionGrid, content.BoardWidth, content.BoardHeight);
    auto& p = Puzzle;
    p.BoardWidth = content.BoardWidth;
    p.BoardHeight = content.BoardHeight;
    p.PuzzleDifficulty = content.PuzzleDifficulty;
    p.AutoMarkup = content.AutoMarkup;
    p.TimerStart =
        static_cast<int>(static_cast<std::uint32_t>(CoreClock()) - static_cast<std::uint32_t>(content.ElapsedMs));
    p.HorizontalSumGrid = content.HorizontalSumGrid;
    p.VerticalSumGrid = content.VerticalSumGrid;
    p.PlayerGrid = content.PlayerGrid;
    p.SolutionGrid = content.SolutionGrid;
    p.MarkupGrid = content.MarkupGrid;
    p.IsCustomPuzzle = content.IsCustomPuzzle;
    // The file keeps the grids, not how they were made: the code is that of the clues.
    p.GeneratedLevel = 0;
    p.RevealUsed = content.RevealUsed;
    p.ExplainsUsed = content.ExplainsUsed;
    p.HintsShown = p.HintsCarried = 0;
    // Nor whether it has several solutions; a typed-in puzzle that has must still be
    // judged by the rules after a reload, and counting again takes milliseconds.
    p.SeveralSolutions = CluesAllowSeveralSolutions();
    p.PuzzleStars = p.SeveralSolutions ? 0 : PuzzleGradeStars();
    ClearEditHistory();
    if (!sameRecord) BeginPlayRecord(content.IsCustomPuzzle ? "own" : "saved");
}

std::shared_ptr<TSaveData> TSaveData::Create() { return std::make_shared<TSaveData>(); }

int TPuzzleModel::SaveGameNamed(const std::string& name, std::string* error) {
    auto game = TSaveGame::Create(*this, name);
    const int result = game->Save();
    if (error) *error = game->Error;
    return result;
}

int TPuzzleModel::LoadGameNamed(const std::string& name, std::string* error) {
    auto game = TSaveGame::Create(*this, name);
    const int result = game->Load();
    if (error) *error = game->Error;
    return result;
}
