// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/engine/PuzzleCode.h"

#include <array>

#include "tallyfold/engine/Diagnostics.h"
#include "tallyfold/engine/Engine.h"

namespace engine {

namespace {

constexpr std::string_view kAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr int kCluesFormat = 16;
constexpr unsigned kClueBits = 6;
// A 100 x 100 board of clues takes about 7000 characters.
constexpr std::size_t kMaxCodeLength = 16384;

int SymbolValue(char ch) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    if (ch == 'O') return 0;
    if (ch == 'I' || ch == 'L') return 1;
    const std::size_t at = kAlphabet.find(ch);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int GfMultiply(int a, int b) {
    int product = 0;
    for (int bit = 0; bit < 5; ++bit) {
        if (b >> bit & 1) product ^= a;
        a <<= 1;
        if (a & 0x20) a ^= 0x25;  // x^5 + x^2 + 1
    }
    return product;
}

// a^k, with a = x: period 31.
int GfPower(std::size_t k) {
    static const std::array<int, 31> kPowers = [] {
        std::array<int, 31> powers{};
        int value = 1;
        for (int& power : powers) {
            power = value;
            value = GfMultiply(value, 2);
        }
        return powers;
    }();
    return kPowers[k % 31];
}

std::array<int, 2> Syndromes(const std::vector<int>& symbols) {
    int s1 = 0, s2 = 0;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        s1 ^= GfMultiply(symbols[i], GfPower(i));
        s2 ^= GfMultiply(symbols[i], GfPower(2 * i));
    }
    return {s1, s2};
}

class BitWriter {
public:
    void Put(unsigned long long value, unsigned bits) {
        for (unsigned b = bits; b-- > 0;) bits_.push_back(static_cast<bool>(value >> b & 1));
    }
    std::vector<int> Symbols() const {
        std::vector<int> out;
        for (std::size_t i = 0; i < bits_.size(); i += 5) {
            int value = 0;
            for (std::size_t b = i; b < i + 5; ++b) value = value << 1 | (b < bits_.size() && bits_[b]);
            out.push_back(value);
        }
        return out;
    }

private:
    std::vector<bool> bits_;
};

class BitReader {
public:
    BitReader(const std::vector<int>& symbols, std::size_t first, std::size_t end) {
        for (std::size_t i = first; i < end; ++i) {
            for (int b = 4; b >= 0; --b) bits_.push_back(static_cast<bool>(symbols[i] >> b & 1));
        }
    }
    bool Get(unsigned bits, unsigned long long& value) {
        value = 0;
        if (bits_.size() - at_ < bits) return false;
        for (unsigned b = 0; b < bits; ++b) value = value << 1 | bits_[at_++];
        return true;
    }
    // What is left must be the padding of the last character: fewer than five zero bits.
    bool OnlyPadding() const {
        if (bits_.size() - at_ >= 5) return false;
        for (std::size_t b = at_; b < bits_.size(); ++b) {
            if (bits_[b]) return false;
        }
        return true;
    }

private:
    std::vector<bool> bits_;
    std::size_t at_ = 0;
};

std::string Finish(std::vector<int> symbols) {
    // The two check characters are the only pair that zeroes both sums; 1024 tries are
    // nothing next to making the puzzle.
    const std::size_t at = symbols.size();
    const std::array<int, 2> data = Syndromes(symbols);
    symbols.push_back(0);
    symbols.push_back(0);
    const std::size_t n = symbols.size();
    for (int p = 0; p < 1024; ++p) {
        const int p0 = p >> 5, p1 = p & 31;
        const int s1 = data[0] ^ GfMultiply(p0, GfPower(at)) ^ GfMultiply(p1, GfPower(at + 1));
        const int s2 = data[1] ^ GfMultiply(p0, GfPower(2 * at)) ^ GfMultiply(p1, GfPower(2 * at + 2));
        if (s1 == 0 && s2 == 0) {
            symbols[at] = p0;
            symbols[at + 1] = p1;
            break;
        }
    }
    std::string code;
    for (std::size_t i = 0; i < n; ++i) {
        if (i && i % 4 == 0) code += '-';
        code += kAlphabet[static_cast<std::size_t>(symbols[i])];
    }
    return code;
}

bool RunFollows(const Puzzle& puzzle, unsigned index, int direction) {
    const unsigned row = index / puzzle.columns, column = index % puzzle.columns;
    if (direction == kDown) return row + 1 < puzzle.rows && puzzle.cells[index + puzzle.columns] != kBlack;
    return column + 1 < puzzle.columns && puzzle.cells[index + 1] != kBlack;
}

}  // namespace

bool CodableBoard(unsigned rows, unsigned columns) {
    return rows == columns && (rows == 6 || rows == 7 || rows == 9 || rows == 12 || rows == 14);
}

std::string GeneratedPuzzleCode(const GeneratedPuzzleId& id) {
    if (!CodableBoard(id.rows, id.columns) || id.level < 1 || id.level > 3 || id.version < 1 ||
        id.version >= kCluesFormat) {
        return {};
    }
    BitWriter bits;
    bits.Put(id.rows, 5);
    bits.Put(id.columns, 5);
    bits.Put(static_cast<unsigned>(id.level), 2);
    bits.Put(id.seed, 32);
    std::vector<int> symbols{id.version};
    for (int symbol : bits.Symbols()) symbols.push_back(symbol);
    return Finish(symbols);
}

std::string CluesPuzzleCode(const Puzzle& puzzle) {
    TBoard board;
    std::string error;
    if (!BoardFromPuzzle(puzzle, board, error)) return {};
    BitWriter bits;
    bits.Put(puzzle.rows - 2, 7);
    bits.Put(puzzle.columns - 2, 7);
    for (unsigned r = 1; r < puzzle.rows; ++r) {
        for (unsigned c = 1; c < puzzle.columns; ++c) bits.Put(puzzle.cells[puzzle.Index(r, c)] == kBlack, 1);
    }
    for (unsigned i = 0; i < puzzle.cells.size(); ++i) {
        if (puzzle.cells[i] != kBlack) continue;
        for (int direction : {kDown, kAcross}) {
            if (RunFollows(puzzle, i, direction))
                bits.Put(puzzle.clues[i][static_cast<std::size_t>(direction)], kClueBits);
        }
    }
    std::vector<int> symbols{kCluesFormat};
    for (int symbol : bits.Symbols()) symbols.push_back(symbol);
    return Finish(symbols);
}

bool DecodePuzzleCode(std::string_view code, DecodedPuzzleCode& out, std::string& error) {
    if (code.size() > kMaxCodeLength) {
        error = "this is too long to be a puzzle code";
        return false;
    }
    std::vector<int> symbols;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char ch = code[i];
        if (ch == ' ' || ch == '-' || ch == '\t' || ch == '\n' || ch == '\r') continue;
        const int value = SymbolValue(ch);
        if (value < 0) {
            const unsigned char byte = static_cast<unsigned char>(ch);
            error = "character " + std::to_string(i + 1) +
                    (byte >= 0x21 && byte < 0x7F ? " ('" + std::string(1, ch) + "')" : std::string()) +
                    " is not used in puzzle codes, which hold letters and digits only";
            return false;
        }
        symbols.push_back(value);
    }
    if (symbols.empty()) {
        error = "no puzzle code given";
        return false;
    }
    if (symbols.size() < 5) {
        error = "the code is too short: a character may be missing";
        return false;
    }
    if (Syndromes(symbols) != std::array<int, 2>{0, 0}) {
        error = "the code does not check out: a character is mistyped, missing or swapped with its neighbour";
        return false;
    }
    const std::size_t payloadEnd = symbols.size() - 2;
    const int format = symbols[0];
    BitReader bits(symbols, 1, payloadEnd);
    unsigned long long value = 0;
    const std::string broken = "the code checks out but holds no puzzle";
    if (format >= 1 && format < kCluesFormat) {
        if (format > kGeneratorVersion) {
            error = "the code is from a later version of Tallyfold (generator " + std::to_string(format) +
                    "); this one knows generators up to " + std::to_string(kGeneratorVersion);
            return false;
        }
        GeneratedPuzzleId id;
        id.version = format;
        unsigned long long rows = 0, columns = 0, level = 0, seed = 0;
        if (!bits.Get(5, rows) || !bits.Get(5, columns) || !bits.Get(2, level) || !bits.Get(32, seed) ||
            !bits.OnlyPadding() || level < 1) {
            error = broken;
            return false;
        }
        if (!CodableBoard(static_cast<unsigned>(rows), static_cast<unsigned>(columns))) {
            error = "the code names a " + std::to_string(rows) + " x " + std::to_string(columns) +
                    " board, which this version does not make";
            return false;
        }
        id.rows = static_cast<unsigned>(rows);
        id.columns = static_cast<unsigned>(columns);
        id.level = static_cast<int>(level);
        id.seed = static_cast<std::uint32_t>(seed);
        out = {};
        out.generated = true;
        out.id = id;
        return true;
    }
    if (format != kCluesFormat) {
        error = format == 0 ? broken
                            : "the code is from a later version of Tallyfold (format " + std::to_string(format) + ")";
        return false;
    }
    unsigned long long rows = 0, columns = 0;
    if (!bits.Get(7, rows) || !bits.Get(7, columns) || rows + 2 > kMaxDimension || columns + 2 > kMaxDimension) {
        error = broken;
        return false;
    }
    Puzzle puzzle;
    puzzle.Resize(static_cast<unsigned>(rows + 2), static_cast<unsigned>(columns + 2));
    for (unsigned r = 0; r < puzzle.rows; ++r) {
        for (unsigned c = 0; c < puzzle.columns; ++c) {
            unsigned long long black = 1;
            if (r > 0 && c > 0 && !bits.Get(1, black)) {
                error = broken;
                return false;
            }
            puzzle.cells[puzzle.Index(r, c)] = black ? kBlack : kEmpty;
        }
    }
    for (unsigned i = 0; i < puzzle.cells.size(); ++i) {
        if (puzzle.cells[i] != kBlack) continue;
        for (int direction : {kDown, kAcross}) {
            if (!RunFollows(puzzle, i, direction)) continue;
            if (!bits.Get(kClueBits, value) || value == 0 || value > kMaxSum) {
                error = broken;
                return false;
            }
            puzzle.clues[i][static_cast<std::size_t>(direction)] = static_cast<unsigned>(value);
        }
    }
    if (!bits.OnlyPadding()) {
        error = broken;
        return false;
    }
    out = {};
    out.puzzle = std::move(puzzle);
    return true;
}

bool GenerateFromId(const GeneratedPuzzleId& id, std::vector<std::uint8_t>& result, int* tier) {
    // Version 1 is today's level generator. When the generator changes in a way that
    // changes its puzzles, the old one stays here under its number, and the new one
    // gets the next.
    if (id.version != 1) {
        DiagnosticErr() << "generator version " << id.version << " is not known to this build\n";
        return false;
    }
    result.assign(static_cast<std::size_t>(id.rows) * id.columns, 0);
    return GenerateLevelPuzzle(id.rows, id.columns, id.level, 0, result, id.seed, tier);
}

bool OpenPuzzleCode(std::string_view code, Puzzle& puzzle, std::string& error, DecodedPuzzleCode* decoded, int* tier) {
    DecodedPuzzleCode local;
    DecodedPuzzleCode& got = decoded ? *decoded : local;
    if (!DecodePuzzleCode(code, got, error)) return false;
    if (got.generated) {
        std::vector<std::uint8_t> cells;
        if (!GenerateFromId(got.id, cells, tier) || !PuzzleFromSolution(got.id.rows, got.id.columns, cells, puzzle)) {
            error = "no puzzle could be made for this code";
            return false;
        }
        return true;
    }
    Puzzle clues = got.puzzle;
    const PuzzleCheck check = CheckPuzzle(clues, error);
    if (check != PuzzleCheck::kUnique) {
        error = "the code's clues do not make a puzzle with one solution: " + error;
        return false;
    }
    if (tier) *tier = 0;
    puzzle = std::move(clues);
    return true;
}

}  // namespace engine
