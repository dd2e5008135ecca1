// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Diagnostics.h"

namespace enginetest {

// Collects what the engine writes to its output and error streams while alive.
class CapturedDiagnostics {
public:
    CapturedDiagnostics() { engine::RedirectDiagnostics(&out_, &err_); }
    ~CapturedDiagnostics() { engine::RedirectDiagnostics(nullptr, nullptr); }
    CapturedDiagnostics(const CapturedDiagnostics&) = delete;
    CapturedDiagnostics& operator=(const CapturedDiagnostics&) = delete;

    std::string Err() const { return err_.str(); }
    std::string Out() const { return out_.str(); }
    void Clear() {
        out_.str({});
        err_.str({});
    }

private:
    std::ostringstream out_;
    std::ostringstream err_;
};

struct Description {
    std::string dimensions;
    std::string unfillable;
    std::string records;
    int count = 0;
};

// The description the game would write for a solved grid (-1 black, 1..9 white).
inline Description DescribeGrid(unsigned rows, unsigned columns, const std::vector<int>& grid) {
    Description d;
    d.dimensions = std::to_string(rows) + " " + std::to_string(columns);
    for (unsigned i = 0; i < rows * columns; ++i) {
        if (grid[i] >= 0) continue;
        d.unfillable += std::to_string(i) + " ";
        const unsigned r = i / columns, c = i % columns;
        int downSum = 0, downLength = 0, acrossSum = 0, acrossLength = 0;
        for (unsigned y = r + 1; y < rows && grid[y * columns + c] > 0; ++y, ++downLength) {
            downSum += grid[y * columns + c];
        }
        for (unsigned x = c + 1; x < columns && grid[r * columns + x] > 0; ++x, ++acrossLength) {
            acrossSum += grid[r * columns + x];
        }
        if (downLength == 0 && acrossLength == 0) continue;
        d.records += std::to_string(i) + " " + std::to_string(downSum) + " " + std::to_string(downLength) + " " +
                     std::to_string(acrossSum) + " " + std::to_string(acrossLength) + " ";
        ++d.count;
    }
    return d;
}

inline bool Parse(const Description& d, engine::TBoard& board) {
    return engine::ParseDescription(d.dimensions, d.unfillable, d.records, d.count, board);
}

}  // namespace enginetest
