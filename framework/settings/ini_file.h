// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Settings files of NAME=Value lines. The object holds every known name with
// its current value; loading only overwrites names it already holds and then
// rewrites the file, so the file always holds exactly the known names in the
// order they were added.
#include <memory>
#include <string>
#include <vector>

#include "framework/core/globals.h"

// The version the framework settings file always records.
inline constexpr const char* ProgramVersion = "0.1";

class TIniLine {
public:
    virtual ~TIniLine() = default;
    std::string Name;  // upper case
    std::string Value;
};

class TIniFile {
public:
    virtual ~TIniFile() = default;
    // Path without the ".ini" extension.
    std::string FileName;
    std::vector<std::shared_ptr<TIniLine>> Lines;

    void Clear() { Lines.clear(); }
    int Count() const { return static_cast<int>(Lines.size()); }
    // The value of the first line with that name (any letter case), "" when none.
    std::string Get(const std::string& name) const;

    // Appends a line; a name added twice gives two lines.
    virtual int Add(const std::string& name, const std::string& value);
    // Replaces FileName + ".ini" as a whole (temporary file, then rename), so a
    // crash or a full disk leaves the previous file. 1 written; 0 not: the
    // player has been told (WriteSharedFile) and the values hold in memory.
    virtual int Save();
    // Reads the values of the names already held, then Save(): a missing or
    // unreadable file is thereby written from the current values. A file far
    // larger than settings can be is first kept aside as FileName.ini.damaged.
    virtual int Load();
    // Takes the values of the names already held from the text of a settings file.
    int Apply(const std::string& bytes);
};

// The value of the first line whose part before "=" matches name (upper-cased
// on both sides); "" when there is none or the file cannot be read.
std::string ReadIniValue(const std::string& path, const std::string& name);
// Copies source into target line by line, every line named name replaced by
// NAME=value; when source holds no such line, one is added at the end so the
// value is never lost. 1 on success, 0 when the source cannot be read or the
// target cannot be written.
int CopyIniWithValue(const std::string& source, const std::string& target, const std::string& name,
                     const std::string& value);
