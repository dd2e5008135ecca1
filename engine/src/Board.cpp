// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Board.h"

#include <bit>
#include <cctype>
#include <limits>

#include "tallyfold/engine/Diagnostics.h"

namespace engine {
namespace {

struct Catalogue {
    CombinationTable bySum;

    Catalogue() {
        for (int i = 0; i < 512; ++i) {
            int mask = 2 * i;
            SumCombination combination;
            combination.mask = mask;
            for (int digit = 1; digit <= 9; ++digit) {
                if (mask & (1 << digit)) {
                    ++combination.count;
                    combination.sum += digit;
                }
            }
            bySum[static_cast<std::size_t>(combination.sum)].push_back(combination);
        }
    }
};

const Catalogue& TheCatalogue() {
    static const Catalogue catalogue;
    return catalogue;
}

// Reads one decimal integer (optional sign) after white space, saturating instead of
// overflowing. Leaves pos untouched when no number starts there.
bool ReadInteger(std::string_view text, std::size_t& pos, long long& value) {
    std::size_t p = pos;
    while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || !std::isdigit(static_cast<unsigned char>(text[p]))) return false;
    constexpr long long kCap = std::numeric_limits<long long>::max() / 10 - 10;
    long long v = 0;
    while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) {
        if (v < kCap) v = v * 10 + (text[p] - '0');
        ++p;
    }
    value = negative ? -v : v;
    pos = p;
    return true;
}

bool OnlySpaceLeft(std::string_view text, std::size_t pos) {
    for (; pos < text.size(); ++pos) {
        if (!std::isspace(static_cast<unsigned char>(text[pos]))) return false;
    }
    return true;
}

}  // namespace

void TBoard::Resize(unsigned newRows, unsigned newColumns) {
    rows = newRows;
    columns = newColumns;
    cellCount = newRows * newColumns;
    cells.assign(cellCount, kUncovered);
    links.assign(cellCount, {kNoLink, kNoLink});
    constraints.clear();
}

const CombinationTable& CombinationsBySum() { return TheCatalogue().bySum; }

void BuildCombinations() { (void)TheCatalogue(); }

unsigned ComboCandidateMask(int sum, int length, unsigned used) {
    unsigned all = 0;
    for (std::uint16_t mask : CombinationMasks(sum, length)) {
        if ((mask & used) == used) all |= mask;
    }
    return all & ~used & 0x3FF;
}

unsigned RunCandidates(const Constraint& constraint) {
    return ComboCandidateMask(static_cast<int>(constraint.sum), static_cast<int>(constraint.length), constraint.used);
}

unsigned CellCandidates(const TBoard& board, unsigned index) {
    const Constraint* down = board.Link(index, kDown);
    const Constraint* across = board.Link(index, kAcross);
    if (!down || !across) return 0;
    return RunCandidates(*down) & RunCandidates(*across);
}

bool PlaceDigit(TBoard& board, unsigned index, int digit) {
    Constraint* down = board.Link(index, kDown);
    Constraint* across = board.Link(index, kAcross);
    if (!down || !across || digit < 0 || digit > 9) return false;
    unsigned bit = digit == 0 ? 0u : 1u << digit;
    if ((down->used & bit) || (across->used & bit)) return false;
    int current = board.cells[index];
    if (current > 0) {
        down->used &= ~(1u << current);
        across->used &= ~(1u << current);
    }
    down->used |= bit;
    across->used |= bit;
    board.cells[index] = digit;
    return true;
}

bool AddConstraint(TBoard& board, unsigned clueIndex, unsigned sum, unsigned length, int direction) {
    if (clueIndex >= board.cellCount || board.cells[clueIndex] == kEmpty) return false;
    board.cells[clueIndex] = kBlack;
    Constraint constraint;
    constraint.length = length;
    constraint.sum = sum;
    constraint.clue = clueIndex;
    constraint.direction = direction;
    board.constraints.push_back(constraint);
    int link = static_cast<int>(board.constraints.size() - 1);
    unsigned step = direction == kAcross ? 1 : board.columns;
    unsigned clueRow = clueIndex / board.columns;
    unsigned index = clueIndex;
    for (unsigned k = 0; k < length; ++k) {
        index += step;
        if (index >= board.cellCount || board.cells[index] == kBlack || board.links[index][direction] != kNoLink) {
            return false;
        }
        // An across run that reached the next row would silently wrap around the board.
        if (direction == kAcross && index / board.columns != clueRow) return false;
        board.cells[index] = kEmpty;
        board.links[index][direction] = link;
    }
    return true;
}

bool ParseDescription(std::string_view dimensionsLine, std::string_view unfillableLine,
                      std::string_view constraintsText, int constraintCount, TBoard& board) {
    std::ostream& err = DiagnosticErr();

    std::size_t pos = 0;
    long long rows = 0;
    long long columns = 0;
    if (!ReadInteger(dimensionsLine, pos, rows) || !ReadInteger(dimensionsLine, pos, columns)) {
        err << "invalid dimensions line\n";
        return false;
    }
    if (rows < 2 || columns < 2) {
        err << "invalid dimensions (must be at least 2 in each direction)\n";
        return false;
    }
    if (rows > kMaxDimension || columns > kMaxDimension) {
        err << "invalid dimensions (must be at most " << kMaxDimension << " in each direction)\n";
        return false;
    }
    board.Resize(static_cast<unsigned>(rows), static_cast<unsigned>(columns));
    const auto cellCount = static_cast<long long>(board.cellCount);

    pos = 0;
    long long index = 0;
    while (ReadInteger(unfillableLine, pos, index)) {
        if (index < 0 || index >= cellCount) {
            err << "unfillable cell outside the board " << index << "\n";
            return false;
        }
        board.cells[static_cast<std::size_t>(index)] = kBlack;
    }
    if (!OnlySpaceLeft(unfillableLine, pos)) {
        err << "invalid unfillable cells line\n";
        return false;
    }

    pos = 0;
    long long clue = 0;
    for (int record = 0; record < constraintCount; ++record) {
        long long downSum = 0, downLength = 0, acrossSum = 0, acrossLength = 0;
        bool complete = ReadInteger(constraintsText, pos, clue);
        complete = complete && ReadInteger(constraintsText, pos, downSum) &&
                   ReadInteger(constraintsText, pos, downLength) && ReadInteger(constraintsText, pos, acrossSum) &&
                   ReadInteger(constraintsText, pos, acrossLength);
        if (!complete) {
            err << "invalid input format for constraint index " << clue << "\n";
            return false;
        }
        // Negative values count as huge, as they would in an unsigned comparison. A sum
        // above 45 is not malformed, just a clue no digits make: the board keeps it, and the
        // check of the puzzle names it.
        auto above = [](long long value, long long limit) { return value < 0 || value > limit; };
        if (downSum < 0 || acrossSum < 0 || above(downLength, kMaxRunLength) || above(acrossLength, kMaxRunLength)) {
            err << "inconsistent data for constraint index " << clue << "\n";
            return false;
        }
        if (clue < 0 || clue >= cellCount) {
            err << "constraint index outside the board " << clue << "\n";
            return false;
        }
        auto clueIndex = static_cast<unsigned>(clue);
        auto add = [&](long long sum, long long length, int direction) {
            const bool beyond = sum > static_cast<long long>(kMaxSum);
            if (!AddConstraint(board, clueIndex, beyond ? 0u : static_cast<unsigned>(sum),
                               static_cast<unsigned>(length), direction)) {
                return false;
            }
            if (beyond) board.constraints.back().statedSum = static_cast<unsigned long long>(sum);
            return true;
        };
        if (!add(downSum, downLength, kDown)) {
            err << "overflowing (down?) run or misplaced constraint cell " << clue << "\n";
            return false;
        }
        if (!add(acrossSum, acrossLength, kAcross)) {
            err << "overflowing (right?) run or misplaced constraint cell " << clue << "\n";
            return false;
        }
    }

    for (unsigned i = 0; i < board.cellCount; ++i) {
        int value = board.cells[i];
        if (value == kUncovered) {
            err << "uncovered cell " << i << "\n";
            return false;
        }
        if (value == kEmpty && (board.links[i][kDown] == kNoLink || board.links[i][kAcross] == kNoLink)) {
            err << "incompletely covered cell " << i << "\n";
            return false;
        }
        if (value != kBlack && value != kEmpty) {
            err << "invalid TBoard initialization";
            return false;
        }
    }
    return true;
}

bool FindImpossibleClue(const TBoard& board, ImpossibleClue& out) {
    // The first in clue-cell order is named, down before across.
    bool found = false;
    for (const Constraint& run : board.constraints) {
        const bool impossible =
            run.statedSum != 0 ||
            (run.length == 0 ? run.sum != 0
                             : CombinationMasks(static_cast<int>(run.sum), static_cast<int>(run.length)).empty());
        if (!impossible) continue;
        if (found && (out.cell < run.clue || (out.cell == run.clue && out.direction == kDown))) continue;
        out = {run.clue, run.direction, run.statedSum != 0 ? run.statedSum : run.sum, run.length};
        found = true;
    }
    return found;
}

void BoardFromDigits(const std::vector<int>& digitGrid, unsigned rows, unsigned columns, TBoard& board) {
    board.Resize(rows, columns);
    for (unsigned index = 0; index < board.cellCount; ++index) {
        if (digitGrid[index] != kBlack) continue;
        board.cells[index] = kBlack;
        unsigned r = index / columns;
        unsigned c = index % columns;
        if (c + 1 < columns) {
            unsigned count = 0;
            unsigned sum = 0;
            for (unsigned x = c + 1; x < columns && digitGrid[r * columns + x] != kBlack; ++x) {
                ++count;
                sum += static_cast<unsigned>(digitGrid[r * columns + x]);
            }
            if (sum != 0) AddConstraint(board, index, sum, count, kAcross);
        }
        if (r + 1 < rows) {
            unsigned count = 0;
            unsigned sum = 0;
            for (unsigned y = r + 1; y < rows && digitGrid[y * columns + c] != kBlack; ++y) {
                ++count;
                sum += static_cast<unsigned>(digitGrid[y * columns + c]);
            }
            if (sum != 0) AddConstraint(board, index, sum, count, kDown);
        }
    }
}

}  // namespace engine
