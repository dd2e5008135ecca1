// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/text/game_text.h"

#include "framework/core/game_state.h"
#include "framework/core/globals.h"
#include "framework/paths/errors.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"

std::shared_ptr<TGameText> TGameText::Create(const std::string& file) {
    auto table = std::make_shared<TGameText>();
    table->Read(file);
    return table;
}

namespace {
// The shipped table is some ten kilobytes; a translation is of the same order.
constexpr int64_t MaxGameTextBytes = 4 << 20;
}  // namespace

int TGameText::Read(const std::string& file) {
    Entries.clear();
    // Absolute: a message about it must say where to look, whatever folder is current.
    const std::string path =
        platform::RealPath((GameState() ? GameState()->TextPath : std::string()) + ResourceName(file));
    Path = path;
    auto stream = platform::ReadStream(path);
    if (!stream) return ShowError("Error loading file " + path, 1);
    if (stream->Size() > MaxGameTextBytes)
        return ShowError("Error loading file " + path + " (it is far larger than a text table can be)", 1);
    Parse(platform::LoadText(*stream));
    // Without a single text every message, the one that would explain this
    // included, would be blank: an empty table is as good as none.
    if (Entries.empty()) return ShowError("Error loading file " + path + " (it holds no texts)", 1);
    return 0;
}

int TGameText::Parse(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        size_t end = lf > start && text[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back(text.substr(start, end - start));
        start = lf + 1;
    }

    size_t i = 0;
    while (i < lines.size()) {
        if (UpperCase(lines[i]) != "[TEXT]")
            return ShowError("Error loading file " + (Path.empty() ? std::string("of the game's texts") : Path) +
                                 " (line " + std::to_string(i + 1) + " should be the header [TEXT])",
                             1);
        ++i;
        size_t first = i;
        while (i < lines.size() && (lines[i].empty() || lines[i][0] != '[')) ++i;
        // A header with no key line before the next header or the end names
        // nothing; it is skipped.
        if (first == i) continue;
        Entries[UpperCase(lines[first])] = std::vector<std::string>(
            lines.begin() + static_cast<std::ptrdiff_t>(first) + 1, lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return 0;
}

std::vector<std::string> TGameText::Find(const std::string& key) const {
    auto it = Entries.find(UpperCase(key));
    return it == Entries.end() ? std::vector<std::string>() : it->second;
}

std::string TGameText::FindString(const std::string& key) const {
    auto it = Entries.find(UpperCase(key));
    if (it == Entries.end()) return "";
    std::string joined;
    for (size_t n = 0; n < it->second.size(); ++n) {
        if (n) joined += "\r\n";
        joined += it->second[n];
    }
    return joined;
}
