// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every text the game shows, read once from a table file keyed by
// case-insensitive keys. Translating the game means replacing that file.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/globals.h"

class TGameText {
public:
    virtual ~TGameText() = default;
    // Upper-cased key -> value lines.
    std::map<std::string, std::vector<std::string>> Entries;

    // A table read from TextPath + file.
    static std::shared_ptr<TGameText> Create(const std::string& file);
    // Replaces the content with the entries of TextPath + file. A missing file
    // or a misplaced header is a fatal error (ShowError).
    virtual int Read(const std::string& file);
    // The value lines of the key; none when the key is not present.
    virtual std::vector<std::string> Find(const std::string& key) const;
    // The value lines joined with CR LF; "" when the key is not present.
    virtual std::string FindString(const std::string& key) const;
    // Parses the text of a table file into Entries; a misplaced header is
    // reported with the line and the file it came from.
    int Parse(const std::string& text);
    // The file the table was read from, absolute; "" for a table parsed from memory.
    std::string Path;
};
