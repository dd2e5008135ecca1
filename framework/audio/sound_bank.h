// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sounds by upper-cased name, loaded once at start-up and fetched by the screens.
#include <map>
#include <memory>
#include <string>

#include "framework/audio/game_sound.h"

class TSoundBank {
public:
    virtual ~TSoundBank() = default;

    std::map<std::string, std::shared_ptr<TGameSound>> Items;
    // Folder prefix, ending in "/".
    std::string Path;
    // Extension used for a file named without one.
    std::string Ext = ".wav";

    virtual int SetPath(const std::string& path);
    // Loads Path + file (with Ext when file has no extension) under the
    // upper-cased key, or under the file's own name when key is "".
    virtual int Load(const std::string& file, float pitch, float volume, const std::string& key, int flags);
    // A name that is not in the bank is a fatal error.
    virtual std::shared_ptr<TGameSound> Find(const std::string& name);
};
