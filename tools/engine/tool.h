// SPDX-License-Identifier: GPL-3.0-or-later
// What the commands of tallyfold-engine share: argument and input handling and the
// generate format of a puzzle.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/PuzzleFile.h"
#include "tallyfold/engine/Quality.h"

namespace tool {

enum class Format { Auto, Grid, Text, Description };
// The lines about a made puzzle (time, tier, score, code) are comments in the
// puzzle file format, so that what --format text prints opens as a file.
inline const char* InfoPrefix(Format format) { return format == Format::Text ? "; " : ""; }
enum class Command { Solve, Rate, Explain, Check, Code };

// A bad command line: what is wrong in one line, and where the rest is told; status 2.
int UsageError(const std::string& what);
std::string Quoted(std::string_view text);
// The board sizes the game offers; anything else is not a puzzle a player would get.
bool GameSize(unsigned n);

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    if (text.empty()) return false;
    unsigned long long v = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return false;
        v = v * 10 + static_cast<unsigned>(ch - '0');
        if (v > 0xFFFFFFFFull) return false;
    }
    value = static_cast<Number>(v);
    return true;
}

// Takes "--format F" out of args; "" when fine, else the usage error. `printing`
// admits the grid, which is output only.
std::string TakeFormat(std::vector<std::string_view>& args, bool printing, Format& format);
bool TakeFlag(std::vector<std::string_view>& args, std::string_view flag);

// The block of a made puzzle in the generate format: everything from "score" on.
void PrintPuzzleBlock(const engine::Puzzle& puzzle, double score, const std::string& code, Format format);
// Difficulty measures of a solved puzzle, as generate prints them.
engine::PuzzleMetrics MeasureSolved(const engine::Puzzle& puzzle);

// FILE, or the standard input for none or "-": 0, or the exit status after the message.
int ReadInput(const std::vector<std::string_view>& args, std::istream& standardInput, std::string& input);
// A description holds numbers only; a puzzle file's first row holds # or a clue cell.
Format DetectFormat(std::string_view input);
// The board of a description text: 0, or the exit status after the message.
int ParseDescriptionInput(std::string_view rest, engine::TBoard& board);

int Solve(std::vector<std::string_view> args, std::istream& standardInput, Command command);
int Code(std::vector<std::string_view> args, std::istream& standardInput);
int Open(std::vector<std::string_view> args);
int Daily(std::vector<std::string_view> args);
int Book(std::vector<std::string_view> args);
int Picture(std::vector<std::string_view> args, std::istream& standardInput);

}  // namespace tool
