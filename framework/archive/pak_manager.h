// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every archive of the resources folder and every loose file below it, by name.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/archive/pak_file.h"
#include "framework/core/globals.h"
#include "tallyfold/platform/stream.h"

namespace platform {
class ImageFont;
}

class TPakFileManager {
public:
    virtual ~TPakFileManager() = default;

    std::string Path;
    std::string Ext = ".pak";
    // Lower-cased item name, folder part included -> item.
    std::map<std::string, std::shared_ptr<TPakItem>> Map;
    // Bytes read in so far; everything together stays within TPakFile::MAX_TOTAL_SIZE.
    int64_t TotalSize = 0;

    static std::shared_ptr<TPakFileManager> Create(const std::string& path, const std::string& ext);
    // Both return how many items they added; 0 when the folder cannot be read.
    // Archives are read in name order so the winner between two archives that
    // hold one name does not depend on the file system.
    virtual int LoadPaks(const std::string& path, const std::string& ext);
    // Loose files override archived items of the same name.
    virtual int LoadFiles(const std::string& path);
    virtual int LoadPakFile(const std::string& path);
    virtual int Reload();

    // nullptr when no item has this name in any letter case.
    virtual std::shared_ptr<TPakItem> GetItem(const std::string& name) const;
    // Empty when the name is missing.
    virtual std::vector<uint8_t> GetBinary(const std::string& name) const;
    virtual std::string GetString(const std::string& name) const;
    // The rest are nullptr when the name is missing or the data does not decode.
    virtual std::shared_ptr<TBank> GetBank(const std::string& name) const;
    virtual std::shared_ptr<platform::Stream> GetStream(const std::string& name) const;
    // "" when the name is missing.
    virtual std::string GetText(const std::string& name) const;
    virtual std::shared_ptr<platform::Pixmap> GetPixmap(const std::string& name) const;
    virtual std::shared_ptr<platform::Image> GetImage(const std::string& name, int flags) const;
    virtual std::shared_ptr<platform::Image> GetAnimImage(const std::string& name, int cellW, int cellH, int first,
                                                          int count, int flags) const;
    virtual std::shared_ptr<platform::ImageFont> GetImageFont(const std::string& name, int size, int style) const;
    virtual std::shared_ptr<platform::Sound> GetSound(const std::string& name, int flags) const;
    virtual std::shared_ptr<platform::Sound> GetAudioSample(const std::string& name) const;

private:
    void Put(const std::shared_ptr<TPakItem>& item);
    std::shared_ptr<platform::Image> WithDouble(std::shared_ptr<platform::Image> image, const std::string& name) const;
};

// Makes archive items reachable as protocol + "::" + name, read-only.
class TPakFileStreamFactory : public platform::StreamFactory {
public:
    std::shared_ptr<TPakFileManager> PakMan;
    std::string Protocoll;

    virtual std::shared_ptr<platform::Stream> CreateStream(const std::string& url, const std::string& protocol,
                                                           const std::string& path, bool readable, bool writable);
    std::shared_ptr<platform::Stream> Open(const std::string& protocol, const std::string& path, bool readable,
                                           bool writable) override;
};

// Resources.Font12 ... Resources.Font34: the manager's "calibri.ttf" at 12, 16, 18, 20, 25 and 34
// pixels, smoothed. Without a usable font nothing can be drawn, so a missing
// one is a fatal error.
// The six game fonts from `systemFont` when that file is a usable font, else
// from the archive's "calibri.ttf".
void CreateArchiveFonts(const TPakFileManager& manager, const std::string& systemFont = "");

// Registers a factory for the protocol over the manager and returns it, so the
// caller can unregister it again.
std::shared_ptr<TPakFileStreamFactory> RegisterPakFileStreamFactory(std::shared_ptr<TPakFileManager> manager,
                                                                    const std::string& protocol);
