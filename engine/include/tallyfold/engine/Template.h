// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <vector>

#include "tallyfold/engine/Random.h"

namespace engine {

struct TemplateRun {
    unsigned first = 0;
    unsigned length = 0;
};

struct Stretch {
    bool found = false;
    unsigned first = 0;
    unsigned last = 0;
};

// The black/white layout of a puzzle before any digit is chosen.
class Template {
public:
    unsigned rows = 0;
    unsigned columns = 0;
    unsigned cellCount = 0;
    unsigned blackCount = 0;
    std::vector<int> cells;  // -1 black, 0 white, -2 white while HasIsland runs
    std::vector<TemplateRun> runs;
    std::vector<std::array<int, 2>> links;  // [kDown], [kAcross] index into runs, or -1

    // Sizes the layout with every cell white and no runs.
    void Reset(unsigned rows, unsigned columns);

    bool Generate(unsigned rows, unsigned columns, unsigned target, Random& random);

    // Draws a layout evenly from the valid ones of the size (frame black, interior
    // point-symmetric, white cells connected, every run two to nine cells) with `fewest` to
    // `most` interior black cells, so that no layout recurs more often than its share of
    // them. For boards up to 7 x 7 only; false for larger ones and for a range without
    // valid layouts.
    bool Draw(unsigned rows, unsigned columns, unsigned fewest, unsigned most, Random& random);

    // The properties Draw guarantees; the interior's symmetry is assumed.
    bool Valid() const;
    void BuildRuns();
    void AddRun(unsigned clueIndex, unsigned length, int direction);
    bool HasIsland();
    void DumpTemplate() const;

    bool StrandsLoneCell(unsigned r, unsigned c) const;
    unsigned LongestRunInRow(unsigned r) const;
    unsigned LongestRunInColumn(unsigned c) const;
    Stretch FindLongRunInRow(unsigned r) const;
    Stretch FindLongRunInColumn(unsigned c) const;

    int& At(unsigned r, unsigned c) { return cells[r * columns + c]; }
    int At(unsigned r, unsigned c) const { return cells[r * columns + c]; }
    bool White(unsigned r, unsigned c) const { return At(r, c) == 0; }

private:
    bool Attempt(unsigned target, Random& random);
    bool Connected() const;
    bool RunsFit() const;
    void SetPair(unsigned r, unsigned c, int value);
    bool ForceBlacksInRowOne(int& forcedRow, int& forcedColumn, Random& random);
    bool ForceBlacksInColumnOne(int forcedColumn, Random& random);
    bool BreakLongRows(Random& random);
    bool BreakLongColumns(Random& random);
    void FillToTarget(unsigned target, Random& random);
    void SetBlack(unsigned r, unsigned c);
    void SetWhite(unsigned r, unsigned c);
    bool IsOwnMirror(unsigned r, unsigned c) const { return 2 * r == rows && 2 * c == columns; }
    void ReportError(const char* message, int number, bool withNumber);
};

}  // namespace engine
