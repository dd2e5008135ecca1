// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/Template.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Diagnostics.h"

namespace engine {
namespace {

constexpr int kAttempts = 100;
constexpr int kRetryLimit = 100;
constexpr int kFruitlessPicks = 100;
// Some retry paths in the breaking steps carry no limit of their own; on odd board
// shapes they could pick forever. This bound is far beyond anything a sound layout
// needs, so it only ever ends an attempt that would otherwise never end.
constexpr int kPickGuard = 10000;

// Draw's exact sampler, for boards up to 7 x 7: it meets a valid layout in range within
// a few thousand tries at the densities the game uses; the limit only ends a range that
// has none.
constexpr unsigned kExactInterior = 36;
constexpr int kDrawAttempts = 200'000;

}  // namespace

void Template::Reset(unsigned newRows, unsigned newColumns) {
    rows = newRows;
    columns = newColumns;
    cellCount = newRows * newColumns;
    blackCount = 0;
    cells.assign(cellCount, 0);
    runs.clear();
    links.clear();
}

bool Template::StrandsLoneCell(unsigned r, unsigned c) const {
    if (r >= 2 && White(r - 1, c) && !White(r - 2, c)) return true;
    if (r + 2 <= rows && White(r + 1, c) && (r + 1 == rows - 1 || !White(r + 2, c))) return true;
    if (c >= 2 && White(r, c - 1) && !White(r, c - 2)) return true;
    if (c + 2 <= columns && White(r, c + 1) && (c + 1 == columns - 1 || !White(r, c + 2))) {
        return true;
    }
    return false;
}

unsigned Template::LongestRunInRow(unsigned r) const {
    unsigned longest = 0;
    unsigned current = 0;
    for (unsigned c = 1; c < columns; ++c) {
        current = White(r, c) ? current + 1 : 0;
        if (current > longest) longest = current;
    }
    return longest;
}

unsigned Template::LongestRunInColumn(unsigned c) const {
    unsigned longest = 0;
    unsigned current = 0;
    for (unsigned r = 1; r < rows; ++r) {
        current = White(r, c) ? current + 1 : 0;
        if (current > longest) longest = current;
    }
    return longest;
}

Stretch Template::FindLongRunInRow(unsigned r) const {
    unsigned c = 1;
    while (c < columns) {
        if (!White(r, c)) {
            ++c;
            continue;
        }
        unsigned first = c;
        while (c + 1 < columns && White(r, c + 1)) ++c;
        if (c - first > 8) return {true, first, c};
        ++c;
    }
    return {};
}

Stretch Template::FindLongRunInColumn(unsigned c) const {
    unsigned r = 1;
    while (r < rows) {
        if (!White(r, c)) {
            ++r;
            continue;
        }
        unsigned first = r;
        while (r + 1 < rows && White(r + 1, c)) ++r;
        if (r - first > 8) return {true, first, r};
        ++r;
    }
    return {};
}

bool Template::HasIsland() {
    unsigned start = cellCount;
    for (unsigned r = 1; r < rows && start == cellCount; ++r) {
        for (unsigned c = 1; c < columns; ++c) {
            if (White(r, c)) {
                start = r * columns + c;
                break;
            }
        }
    }
    if (start == cellCount) return true;

    // The start cell is not marked when pushed: it only counts as reached when one of its
    // neighbours reaches it back, so a lone white cell is an island too.
    std::vector<unsigned> stack{start};
    while (!stack.empty()) {
        unsigned index = stack.back();
        stack.pop_back();
        unsigned r = index / columns;
        unsigned c = index % columns;
        auto visit = [&](unsigned nr, unsigned nc) {
            if (At(nr, nc) == 0) {
                At(nr, nc) = -2;
                stack.push_back(nr * columns + nc);
            }
        };
        if (c > 1) visit(r, c - 1);
        if (c + 1 < columns) visit(r, c + 1);
        if (r > 1) visit(r - 1, c);
        if (r + 1 < rows) visit(r + 1, c);
    }

    bool island = false;
    for (unsigned r = 1; r < rows; ++r) {
        for (unsigned c = 1; c < columns; ++c) {
            if (At(r, c) == 0) island = true;
            if (At(r, c) == -2) At(r, c) = 0;
        }
    }
    return island;
}

void Template::DumpTemplate() const {
    std::ostream& out = DiagnosticOut();
    for (unsigned r = 0; r < rows; ++r) {
        for (unsigned c = 0; c < columns; ++c) out << (At(r, c) == -1 ? "* " : ". ");
        out << "(" << LongestRunInRow(r) << ")\n";
    }
}

void Template::AddRun(unsigned clueIndex, unsigned length, int direction) {
    if (clueIndex >= cellCount || cells[clueIndex] == 0) return;
    unsigned step = direction == kAcross ? 1 : columns;
    runs.push_back({clueIndex + step, length});
    int run = static_cast<int>(runs.size() - 1);
    unsigned index = clueIndex;
    for (unsigned k = 0; k < length; ++k) {
        index += step;
        if (index >= cellCount || cells[index] != 0 || links[index][direction] != -1) break;
        links[index][direction] = run;
    }
}

void Template::BuildRuns() {
    runs.clear();
    links.assign(cellCount, {-1, -1});
    for (unsigned index = 0; index < cellCount; ++index) {
        if (cells[index] == 0) continue;
        unsigned r = index / columns;
        unsigned c = index % columns;
        if (c + 1 < columns) {
            unsigned count = 0;
            while (c + 1 + count < columns && White(r, c + 1 + count)) ++count;
            if (count != 0) AddRun(index, count, kAcross);
        }
        if (r + 1 < rows) {
            unsigned count = 0;
            while (r + 1 + count < rows && White(r + 1 + count, c)) ++count;
            if (count != 0) AddRun(index, count, kDown);
        }
    }
}

void Template::SetBlack(unsigned r, unsigned c) {
    At(r, c) = -1;
    ++blackCount;
}

void Template::SetWhite(unsigned r, unsigned c) {
    At(r, c) = 0;
    --blackCount;
}

void Template::ReportError(const char* message, int number, bool withNumber) {
    // The attempt is abandoned and the next one usually succeeds: nothing went wrong.
    if (!DebugDiagnostics()) return;
    std::ostream& err = DiagnosticErr();
    err << message;
    if (withNumber) err << number << ") during template generation.";
    err << "\n";
    DumpTemplate();
    DiagnosticOut() << "[End error dump]\n";
}

bool Template::Generate(unsigned newRows, unsigned newColumns, unsigned target, Random& random) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        Reset(newRows, newColumns);
        if (Attempt(target, random)) {
            BuildRuns();
            return true;
        }
    }
    return false;
}

bool Template::Attempt(unsigned target, Random& random) {
    if (rows < 2 || columns < 2) return false;
    for (unsigned c = 0; c < columns; ++c) At(0, c) = -1;
    for (unsigned r = 0; r < rows; ++r) At(r, 0) = -1;

    int forcedRow = 0;
    int forcedColumn = 0;
    if (rows > 12) forcedRow = static_cast<int>(rows / 5 + 1) + random.RandomBelow(static_cast<int>(rows / 5));
    if (columns > 12) {
        forcedColumn = static_cast<int>(columns / 5 + 1) + random.RandomBelow(static_cast<int>(columns / 5));
    }
    if (!ForceBlacksInRowOne(forcedRow, forcedColumn, random)) return false;
    if (!ForceBlacksInColumnOne(forcedColumn, random)) return false;

    if (DebugDiagnostics()) DiagnosticOut() << "\n\n";

    if (columns >= 10 && !BreakLongRows(random)) return false;
    if (rows >= 10 && !BreakLongColumns(random)) return false;

    if (HasIsland()) {
        if (DebugDiagnostics()) {
            DiagnosticErr() << "Debug: Found island so returning false\n";
            DumpTemplate();
        }
        return false;
    }
    FillToTarget(target, random);
    return true;
}

bool Template::ForceBlacksInRowOne(int& forcedRow, int& forcedColumn, Random& random) {
    int failures = 0;
    for (int k = 0; k < forcedRow; ++k) {
        if (LongestRunInRow(1) <= 2) break;
        unsigned c = 0;
        for (;;) {
            c = 1 + static_cast<unsigned>(random.RandomBelow(static_cast<int>(columns - 1)));
            if (White(1, c) && !StrandsLoneCell(1, c)) break;
            if (failures > kRetryLimit) {
                ReportError(
                    "Internal error: Too many retries trying to add black to row=1 during template "
                    "generation.",
                    0, false);
                return false;
            }
            ++failures;
        }
        SetBlack(1, c);
        if (!IsOwnMirror(1, c)) {
            SetBlack(rows - 1, columns - c);
            if (columns - c == 1) --forcedColumn;
        }
    }
    return true;
}

bool Template::ForceBlacksInColumnOne(int forcedColumn, Random& random) {
    int failures = 0;
    for (int k = 0; k < forcedColumn; ++k) {
        if (LongestRunInColumn(1) <= 2) break;
        unsigned r = 0;
        for (;;) {
            r = 1 + static_cast<unsigned>(random.RandomBelow(static_cast<int>(rows - 1)));
            if (White(r, 1) && !StrandsLoneCell(r, 1)) break;
            if (failures > kRetryLimit) {
                ReportError(
                    "Internal error: Too many retries trying to add black to col=1 during template "
                    "generation.",
                    0, false);
                return false;
            }
            ++failures;
        }
        SetBlack(r, 1);
        if (!IsOwnMirror(r, 1)) SetBlack(rows - r, columns - 1);
    }
    return true;
}

bool Template::BreakLongRows(Random& random) {
    for (unsigned l = 1; l <= rows / 2; ++l) {
        for (Stretch s = FindLongRunInRow(l); s.found; s = FindLongRunInRow(l)) {
            int retries = 0;
            for (int picks = 0;; ++picks) {
                if (picks > kPickGuard) {
                    ReportError("Internal error: Too many retries trying to break up rows (row=", static_cast<int>(l),
                                true);
                    return false;
                }
                unsigned c =
                    s.first + static_cast<unsigned>(random.RandomBelow(static_cast<int>(s.last - s.first + 1)));
                // Breaking row 2 also breaks row 1 above it, so that row 1 keeps no lone cell.
                if (l == 2 && White(1, c)) {
                    if (StrandsLoneCell(1, c)) {
                        ++retries;
                        continue;
                    }
                    SetBlack(1, c);
                    if (!IsOwnMirror(1, c)) {
                        if (StrandsLoneCell(rows - 1, columns - c)) {
                            SetWhite(1, c);
                            ++retries;
                            continue;
                        }
                        SetBlack(rows - 1, columns - c);
                    }
                }
                if (StrandsLoneCell(l, c)) {
                    if (retries > kRetryLimit) {
                        ReportError("Internal error: Too many retries trying to break up rows (row=",
                                    static_cast<int>(l), true);
                        return false;
                    }
                    ++retries;
                    continue;
                }
                SetBlack(l, c);
                if (IsOwnMirror(l, c)) break;
                if (StrandsLoneCell(rows - l, columns - c)) {
                    SetWhite(l, c);
                    ++retries;
                    continue;
                }
                SetBlack(rows - l, columns - c);
                break;
            }
        }
    }
    return true;
}

bool Template::BreakLongColumns(Random& random) {
    for (unsigned j = 1; j <= columns / 2; ++j) {
        for (Stretch s = FindLongRunInColumn(j); s.found; s = FindLongRunInColumn(j)) {
            int retries = 0;
            for (int picks = 0;; ++picks) {
                if (picks > kPickGuard) {
                    ReportError("Internal error: Too many retries trying to break up cols (col=", static_cast<int>(j),
                                true);
                    return false;
                }
                unsigned r =
                    s.first + static_cast<unsigned>(random.RandomBelow(static_cast<int>(s.last - s.first + 1)));
                if (j == 2 && White(r, 1)) {
                    if (StrandsLoneCell(r, 1)) {
                        ++retries;
                        continue;
                    }
                    SetBlack(r, 1);
                    if (!IsOwnMirror(r, 1)) {
                        if (StrandsLoneCell(rows - r, columns - 1)) {
                            SetWhite(r, 1);
                            ++retries;
                            continue;
                        }
                        SetBlack(rows - r, columns - 1);
                    }
                }
                if (StrandsLoneCell(r, j)) {
                    if (retries > kRetryLimit) {
                        ReportError("Internal error: Too many retries trying to break up cols (col=",
                                    static_cast<int>(j), true);
                        return false;
                    }
                    ++retries;
                    continue;
                }
                SetBlack(r, j);
                if (IsOwnMirror(r, j)) break;
                if (StrandsLoneCell(rows - r, columns - j)) {
                    SetWhite(r, j);
                    ++retries;
                    continue;
                }
                SetBlack(rows - r, columns - j);
                break;
            }
        }
    }
    return true;
}

void Template::FillToTarget(unsigned target, Random& random) {
    while (blackCount < target) {
        bool found = false;
        int tries = 0;
        do {
            unsigned r = 1 + static_cast<unsigned>(random.RandomBelow(static_cast<int>(rows - 1)));
            unsigned c = 1 + static_cast<unsigned>(random.RandomBelow(static_cast<int>(columns - 1)));
            if (White(r, c) && !StrandsLoneCell(r, c)) {
                SetBlack(r, c);
                if (HasIsland()) {
                    SetWhite(r, c);
                } else if (IsOwnMirror(r, c)) {
                    found = true;
                } else if (StrandsLoneCell(rows - r, columns - c)) {
                    SetWhite(r, c);
                } else {
                    SetBlack(rows - r, columns - c);
                    if (HasIsland()) {
                        SetWhite(r, c);
                        SetWhite(rows - r, columns - c);
                    } else {
                        found = true;
                    }
                }
            }
            ++tries;
            if (tries >= kFruitlessPicks && !found) return;
        } while (!found);
    }
}

bool Template::RunsFit() const {
    for (unsigned r = 1; r < rows; ++r) {
        unsigned length = 0;
        for (unsigned c = 1; c <= columns; ++c) {
            if (c < columns && White(r, c)) {
                ++length;
                continue;
            }
            if (length == 1 || length > kMaxRunLength) return false;
            length = 0;
        }
    }
    for (unsigned c = 1; c < columns; ++c) {
        unsigned length = 0;
        for (unsigned r = 1; r <= rows; ++r) {
            if (r < rows && White(r, c)) {
                ++length;
                continue;
            }
            if (length == 1 || length > kMaxRunLength) return false;
            length = 0;
        }
    }
    return true;
}

bool Template::Connected() const {
    std::vector<unsigned> stack;
    std::vector<std::uint8_t> seen(cellCount, 0);
    unsigned white = 0;
    for (unsigned i = 0; i < cellCount; ++i) {
        if (cells[i] != 0) continue;
        ++white;
        if (stack.empty()) {
            stack.push_back(i);
            seen[i] = 1;
        }
    }
    if (white == 0) return false;
    unsigned reached = 0;
    while (!stack.empty()) {
        const unsigned index = stack.back();
        stack.pop_back();
        ++reached;
        const unsigned r = index / columns, c = index % columns;
        auto visit = [&](unsigned next) {
            if (cells[next] == 0 && !seen[next]) {
                seen[next] = 1;
                stack.push_back(next);
            }
        };
        // The frame is black, so no white neighbour lies off the board.
        visit(index - 1);
        if (c + 1 < columns) visit(index + 1);
        visit(index - columns);
        if (r + 1 < rows) visit(index + columns);
    }
    return reached == white;
}

bool Template::Valid() const {
    if (rows < 2 || columns < 2 || cells.size() != cellCount) return false;
    for (unsigned c = 0; c < columns; ++c) {
        if (White(0, c)) return false;
    }
    for (unsigned r = 0; r < rows; ++r) {
        if (White(r, 0)) return false;
    }
    return RunsFit() && Connected();
}

void Template::SetPair(unsigned r, unsigned c, int value) {
    auto set = [&](unsigned y, unsigned x) {
        if (At(y, x) == value) return;
        At(y, x) = value;
        if (value == 0) {
            --blackCount;
        } else {
            ++blackCount;
        }
    };
    set(r, c);
    set(rows - r, columns - c);
}

bool Template::Draw(unsigned newRows, unsigned newColumns, unsigned fewest, unsigned most, Random& random) {
    // Each mirrored pair is drawn black or white at even odds, so every layout is equally
    // likely, and so is the first valid one in range. Larger boards have too few valid
    // layouts among all to meet one this way.
    if (newRows < 3 || newColumns < 3 || fewest > most || (newRows - 1) * (newColumns - 1) > kExactInterior) {
        return false;
    }
    for (int attempt = 0; attempt < kDrawAttempts; ++attempt) {
        Reset(newRows, newColumns);
        for (unsigned c = 0; c < columns; ++c) At(0, c) = -1;
        for (unsigned r = 0; r < rows; ++r) At(r, 0) = -1;
        for (unsigned r = 1; r < rows; ++r) {
            for (unsigned c = 1; c < columns; ++c) {
                const unsigned mirror = (rows - r) * columns + (columns - c);
                if (r * columns + c <= mirror && (random.Next() & 1)) SetPair(r, c, -1);
            }
        }
        if (blackCount < fewest || blackCount > most || !Valid()) continue;
        BuildRuns();
        return true;
    }
    return false;
}

}  // namespace engine
