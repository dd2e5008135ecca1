// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/PuzzleFile.h"

#include <algorithm>
#include <cstdio>

namespace engine {

namespace {

unsigned Step(const Puzzle& puzzle, int direction) { return direction == kDown ? puzzle.columns : 1; }

// The white cells after a black cell in one direction, up to the next black cell or edge.
unsigned RunLength(const Puzzle& puzzle, unsigned index, int direction) {
    const unsigned row = index / puzzle.columns, column = index % puzzle.columns;
    const unsigned room = direction == kDown ? puzzle.rows - 1 - row : puzzle.columns - 1 - column;
    const unsigned step = Step(puzzle, direction);
    unsigned length = 0;
    while (length < room && puzzle.cells[index + (length + 1) * step] != kBlack) ++length;
    return length;
}

std::string Where(unsigned index, unsigned columns, const std::vector<SourcePosition>* positions) {
    if (positions && index < positions->size() && (*positions)[index].line != 0) {
        return "line " + std::to_string((*positions)[index].line) + ", column " +
               std::to_string((*positions)[index].column);
    }
    return "row " + std::to_string(index / columns + 1) + ", column " + std::to_string(index % columns + 1);
}

const char* DirectionName(int direction) { return direction == kDown ? "down" : "across"; }

// A byte of a hostile file shown so that a terminal prints it plainly.
std::string Shown(std::string_view token) {
    std::string out;
    for (unsigned char ch : token.substr(0, 12)) {
        if (ch >= 0x21 && ch < 0x7F) {
            out += static_cast<char>(ch);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", ch);
            out += hex;
        }
    }
    if (token.size() > 12) out += "...";
    return out;
}

// A clue side of "D\A": empty for none, else 1..45 without a sign or leading zero.
bool ParseClue(std::string_view text, unsigned& clue, std::string& why) {
    clue = 0;
    if (text.empty()) return true;
    if (text.size() > 2 || text[0] == '0' ||
        !std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
        why = "a clue is a number from 1 to 45";
        return false;
    }
    clue = static_cast<unsigned>(std::stoul(std::string(text)));
    if (clue > kMaxSum) {
        why = "a clue is at most 45";
        return false;
    }
    return true;
}

}  // namespace

void Puzzle::Resize(unsigned newRows, unsigned newColumns) {
    rows = newRows;
    columns = newColumns;
    cells.assign(static_cast<std::size_t>(rows) * columns, kEmpty);
    clues.assign(cells.size(), {0, 0});
}

bool PuzzleFromSolution(unsigned rows, unsigned columns, std::span<const std::uint8_t> cells, Puzzle& puzzle) {
    if (rows < 2 || columns < 2 || rows > kMaxDimension || columns > kMaxDimension ||
        cells.size() < static_cast<std::size_t>(rows) * columns) {
        return false;
    }
    puzzle.Resize(rows, columns);
    for (unsigned i = 0; i < puzzle.cells.size(); ++i) {
        if (cells[i] == 0xFF) {
            puzzle.cells[i] = kBlack;
        } else if (cells[i] >= 1 && cells[i] <= 9) {
            puzzle.cells[i] = cells[i];
        } else {
            return false;
        }
    }
    for (unsigned i = 0; i < puzzle.cells.size(); ++i) {
        if (puzzle.cells[i] != kBlack) continue;
        for (int direction : {kDown, kAcross}) {
            const unsigned length = RunLength(puzzle, i, direction);
            unsigned sum = 0;
            for (unsigned k = 1; k <= length; ++k)
                sum += static_cast<unsigned>(puzzle.cells[i + k * Step(puzzle, direction)]);
            puzzle.clues[i][static_cast<std::size_t>(direction)] = sum;
        }
    }
    return true;
}

Puzzle PuzzleFromBoard(const TBoard& board) {
    Puzzle puzzle;
    puzzle.Resize(board.rows, board.columns);
    for (unsigned i = 0; i < board.cellCount; ++i) {
        if (board.cells[i] == kBlack || board.cells[i] == kUncovered) puzzle.cells[i] = kBlack;
    }
    for (const Constraint& run : board.constraints) {
        if (run.length > 0) puzzle.clues[run.clue][static_cast<std::size_t>(run.direction)] = run.sum;
    }
    return puzzle;
}

bool ParsePuzzleText(std::string_view text, Puzzle& puzzle, std::vector<SourcePosition>& positions,
                     std::string& error) {
    std::vector<int> cells;
    std::vector<std::array<unsigned, 2>> clues;
    positions.clear();
    unsigned rows = 0, columns = 0, lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        line = line.substr(0, line.find(';'));
        unsigned cellsInLine = 0;
        std::size_t pos = 0;
        while (pos < line.size()) {
            if (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r') {
                ++pos;
                continue;
            }
            std::size_t stop = pos;
            while (stop < line.size() && line[stop] != ' ' && line[stop] != '\t' && line[stop] != '\r') ++stop;
            const std::string_view token = line.substr(pos, stop - pos);
            const std::string at = "line " + std::to_string(lineNumber) + ", column " + std::to_string(pos + 1);
            int cell = kEmpty;
            std::array<unsigned, 2> clue{0, 0};
            const std::size_t slash = token.find('\\');
            if (token == "#") {
                cell = kBlack;
            } else if (token == ".") {
                cell = kEmpty;
            } else if (token.size() == 1 && token[0] >= '1' && token[0] <= '9') {
                cell = token[0] - '0';
            } else if (slash != std::string_view::npos) {
                std::string why;
                if (!ParseClue(token.substr(0, slash), clue[kDown], why) ||
                    !ParseClue(token.substr(slash + 1), clue[kAcross], why)) {
                    error = at + ": '" + Shown(token) + "' is not a clue cell: " + why;
                    return false;
                }
                cell = kBlack;
            } else {
                error = at + ": '" + Shown(token) +
                        "' is not a cell: write # for black, DOWN\\ACROSS for clues, . or a digit 1-9 for white";
                return false;
            }
            if (++cellsInLine > kMaxDimension) {
                error = at + ": more than " + std::to_string(kMaxDimension) + " cells in a row";
                return false;
            }
            cells.push_back(cell);
            clues.push_back(clue);
            positions.push_back({lineNumber, static_cast<unsigned>(pos + 1)});
            pos = stop;
        }
        if (cellsInLine == 0) continue;
        if (rows == 0) {
            columns = cellsInLine;
        } else if (cellsInLine != columns) {
            error = "line " + std::to_string(lineNumber) + ": " + std::to_string(cellsInLine) +
                    " cells, but the first row has " + std::to_string(columns);
            return false;
        }
        if (++rows > kMaxDimension) {
            error = "line " + std::to_string(lineNumber) + ": more than " + std::to_string(kMaxDimension) + " rows";
            return false;
        }
    }
    if (rows < 2 || columns < 2) {
        error = rows == 0
                    ? "no puzzle: the text holds no cells"
                    : "line " + std::to_string(lineNumber) + ": a puzzle needs at least 2 rows of at least 2 cells";
        return false;
    }
    puzzle.rows = rows;
    puzzle.columns = columns;
    puzzle.cells = std::move(cells);
    puzzle.clues = std::move(clues);
    return true;
}

std::string WritePuzzleText(const Puzzle& puzzle, bool withSolution, std::string_view comment) {
    std::string out;
    while (!comment.empty()) {
        const std::size_t end = comment.find('\n');
        out += "; ";
        out += comment.substr(0, end);
        out += '\n';
        comment.remove_prefix(end == std::string_view::npos ? comment.size() : end + 1);
    }
    for (unsigned r = 0; r < puzzle.rows; ++r) {
        std::string line;
        for (unsigned c = 0; c < puzzle.columns; ++c) {
            const unsigned i = puzzle.Index(r, c);
            char cell[16];
            const int value = puzzle.cells[i];
            const auto& clue = puzzle.clues[i];
            if (value == kBlack && (clue[kDown] || clue[kAcross])) {
                // The backslash in one column keeps the grid readable as a grid.
                const std::string down = clue[kDown] ? std::to_string(clue[kDown]) : "";
                const std::string across = clue[kAcross] ? std::to_string(clue[kAcross]) : "";
                std::snprintf(cell, sizeof cell, "%2s\\%-2s", down.c_str(), across.c_str());
            } else {
                const char ch = value == kBlack                              ? '#'
                                : (withSolution && value >= 1 && value <= 9) ? static_cast<char>('0' + value)
                                                                             : '.';
                std::snprintf(cell, sizeof cell, "  %c  ", ch);
            }
            if (c) line += ' ';
            line += cell;
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line;
        out += '\n';
    }
    return out;
}

std::string WriteDescription(const Puzzle& puzzle) {
    std::string out = std::to_string(puzzle.rows) + ' ' + std::to_string(puzzle.columns) + '\n';
    std::string records;
    unsigned count = 0;
    for (unsigned i = 0; i < puzzle.cells.size(); ++i) {
        if (puzzle.cells[i] != kBlack) continue;
        out += std::to_string(i) + ' ';
        const unsigned down = RunLength(puzzle, i, kDown), across = RunLength(puzzle, i, kAcross);
        if (down == 0 && across == 0) continue;
        ++count;
        records += std::to_string(i) + ' ' + std::to_string(down ? puzzle.clues[i][kDown] : 0) + ' ' +
                   std::to_string(down) + ' ' + std::to_string(across ? puzzle.clues[i][kAcross] : 0) + ' ' +
                   std::to_string(across) + '\n';
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out + '\n' + std::to_string(count) + '\n' + records;
}

bool BoardFromPuzzle(const Puzzle& puzzle, TBoard& board, std::string& error,
                     const std::vector<SourcePosition>* positions) {
    const std::size_t size = static_cast<std::size_t>(puzzle.rows) * puzzle.columns;
    if (puzzle.rows < 2 || puzzle.columns < 2 || puzzle.rows > kMaxDimension || puzzle.columns > kMaxDimension ||
        puzzle.cells.size() != size || puzzle.clues.size() != size) {
        error = "not a puzzle of 2 to " + std::to_string(kMaxDimension) + " rows and columns";
        return false;
    }
    for (unsigned i = 0; i < size; ++i) {
        if (puzzle.cells[i] == kBlack) continue;
        if (i / puzzle.columns == 0 || i % puzzle.columns == 0) {
            error = Where(i, puzzle.columns, positions) + ": a white cell on the " +
                    (i / puzzle.columns == 0 ? "top" : "left") + " edge has no clue cell " +
                    (i / puzzle.columns == 0 ? "above" : "left of") + " its run";
            return false;
        }
    }
    board.Resize(puzzle.rows, puzzle.columns);
    for (unsigned i = 0; i < size; ++i) {
        if (puzzle.cells[i] == kBlack) board.cells[i] = kBlack;
    }
    for (unsigned i = 0; i < size; ++i) {
        if (puzzle.cells[i] != kBlack) continue;
        for (int direction : {kDown, kAcross}) {
            const unsigned clue = puzzle.clues[i][static_cast<std::size_t>(direction)];
            const unsigned length = RunLength(puzzle, i, direction);
            const std::string where = Where(i, puzzle.columns, positions);
            if (length == 0 && clue != 0) {
                error = where + ": the " + DirectionName(direction) + " clue " + std::to_string(clue) +
                        " has no white cell " + (direction == kDown ? "below" : "right of") + " it";
                return false;
            }
            if (length == 0) continue;
            if (clue == 0) {
                error = where + ": white cells " + (direction == kDown ? "below" : "right of") + " this cell need a " +
                        DirectionName(direction) + " clue";
                return false;
            }
            if (clue > kMaxSum) {
                error = where + ": the " + std::string(DirectionName(direction)) + " clue " + std::to_string(clue) +
                        " is above 45";
                return false;
            }
            if (length > kMaxRunLength) {
                error = where + ": the " + std::string(DirectionName(direction)) + " run after this cell has " +
                        std::to_string(length) + " cells; at most 9 are allowed";
                return false;
            }
            if (!AddConstraint(board, i, clue, length, direction)) {
                error = where + ": misplaced clue cell";  // the checks above leave no way here
                return false;
            }
        }
    }
    return true;
}

PuzzleCheck CheckPuzzle(Puzzle& puzzle, std::string& message, const std::vector<SourcePosition>* positions,
                        std::uint64_t effort) {
    BuildCombinations();
    Puzzle work = puzzle;
    const std::size_t size = static_cast<std::size_t>(work.rows) * work.columns;
    if (work.cells.size() == size && work.clues.size() == size) {
        for (unsigned i = 0; i < size; ++i) {
            if (work.cells[i] != kBlack) continue;
            for (int direction : {kDown, kAcross}) {
                const auto d = static_cast<std::size_t>(direction);
                const unsigned length = RunLength(work, i, direction);
                if (length == 0 || work.clues[i][d] != 0) continue;
                unsigned sum = 0;
                bool all = true;
                for (unsigned k = 1; k <= length; ++k) {
                    const int digit = work.cells[i + k * Step(work, direction)];
                    all = all && digit >= 1 && digit <= 9;
                    sum += digit > 0 ? static_cast<unsigned>(digit) : 0;
                }
                if (all) work.clues[i][d] = sum;
            }
        }
    }
    TBoard board;
    if (!BoardFromPuzzle(work, board, message, positions)) return PuzzleCheck::kInvalid;
    for (unsigned i = 0; i < size; ++i) {
        if (work.cells[i] != kBlack && (work.cells[i] < 0 || work.cells[i] > 9)) {
            message = Where(i, work.columns, positions) + ": a white cell holds a digit from 1 to 9 or none";
            return PuzzleCheck::kInvalid;
        }
    }
    ImpossibleClue impossible;
    if (FindImpossibleClue(board, impossible)) {
        message = Where(impossible.cell, work.columns, positions) + ": no " + std::to_string(impossible.length) +
                  " different digits add up to the " + DirectionName(impossible.direction) + " clue " +
                  std::to_string(impossible.sum);
        return PuzzleCheck::kNoSolution;
    }
    int count = 0;
    TBoard stored;
    if (!CountSolutions(board, count, true, &stored, effort)) {
        message = "the puzzle is too hard to check within the search limit";
        return PuzzleCheck::kTooHard;
    }
    if (count == 0) {
        message = "no filling of the white cells meets every clue";
        return PuzzleCheck::kNoSolution;
    }
    if (count > 1) {
        message = "more than one filling meets every clue";
        // Naming a cell that can differ tells the author where a clue or a black cell is
        // missing; the search for it is bounded, the verdict is not.
        int tries = 0;
        for (unsigned i = 0; i < size && tries < 200; ++i) {
            if (board.cells[i] != kEmpty) continue;
            const unsigned candidates = CellCandidates(board, i);
            for (int d = 1; d <= 9 && tries < 200; ++d) {
                if (!(candidates >> d & 1) || d == stored.cells[i]) continue;
                ++tries;
                TBoard other = board;
                int found = 0;
                if (!PlaceDigit(other, i, d) || !CountSolutions(other, found, false, nullptr, effort / 16) ||
                    found == 0) {
                    continue;
                }
                message += ": " + Where(i, work.columns, positions) + " can be " + std::to_string(stored.cells[i]) +
                           " or " + std::to_string(d);
                return PuzzleCheck::kSeveral;
            }
        }
        return PuzzleCheck::kSeveral;
    }
    for (unsigned i = 0; i < size; ++i) {
        if (work.cells[i] > 0 && work.cells[i] != stored.cells[i]) {
            message = Where(i, work.columns, positions) + ": the digit " + std::to_string(work.cells[i]) +
                      " does not fit the clues; the only solution has " + std::to_string(stored.cells[i]);
            return PuzzleCheck::kNoSolution;
        }
    }
    for (unsigned i = 0; i < size; ++i) {
        if (work.cells[i] != kBlack) work.cells[i] = stored.cells[i];
    }
    puzzle = std::move(work);
    return PuzzleCheck::kUnique;
}

}  // namespace engine
