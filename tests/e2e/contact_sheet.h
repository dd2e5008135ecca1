// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One picture made of many: the screenshots of a run at half size in a grid,
// each with its caption underneath, for looking over a whole run at once.
#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

struct SheetEntry {
    std::filesystem::path picture;
    std::string caption;
};

// Writes the sheet as a PNG; an empty text when it was written, else what went wrong.
std::string WriteContactSheet(const std::vector<SheetEntry>& entries, const std::filesystem::path& out, int columns);

}  // namespace e2e
