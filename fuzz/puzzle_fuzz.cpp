// The puzzle description reader: a board it accepts has every white cell in a
// run both ways; anything else is refused with a message.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sstream>
#include <string_view>

#include "tallyfold/engine/Board.h"
#include "tallyfold/engine/Diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The engine's refusals, millions of them, are kept away from libFuzzer's
    // own report; each one is checked for being said at all.
    static std::ostringstream refusals;
    static const bool quiet = [] {
        engine::RedirectDiagnostics(&refusals, &refusals);
        return true;
    }();
    (void)quiet;
    refusals.str("");
    // Lines: dimensions, unfillable cells, record count, then the records.
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string_view rest(text);
    auto line = [&rest] {
        const size_t lf = rest.find('\n');
        std::string_view out = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
        return out;
    };
    const std::string_view dimensions = line();
    const std::string_view unfillable = line();
    const std::string count(line());
    const int records = std::atoi(count.substr(0, 6).c_str());
    // A board of millions of cells is refused by size alone; keep the fuzzer on
    // the interesting ones.
    unsigned rows = 0, columns = 0;
    if (std::sscanf(std::string(dimensions).c_str(), "%u %u", &rows, &columns) == 2 &&
        uint64_t(rows) * columns > 4096)
        return 0;
    engine::TBoard board;
    if (!engine::ParseDescription(dimensions, unfillable, rest, records, board)) {
        if (refusals.str().empty()) std::abort();  // a refusal always says why
        return 0;
    }
    for (unsigned i = 0; i < board.cellCount; ++i) {
        const int cell = board.cells[i];
        if (cell != -1 && cell != 0) std::abort();
        if (cell == 0 && (!board.Link(i, engine::kDown) || !board.Link(i, engine::kAcross))) std::abort();
    }
    return 0;
}
