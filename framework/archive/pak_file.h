// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data archive ("!PAK"): items with zlib-packed data, read whole into memory.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class Stream;
class Pixmap;
class Image;
class ImageFont;
class Sound;
}  // namespace platform

// A growable block of bytes that belongs to whoever asked for it.
using TBank = std::vector<uint8_t>;

// Kinds of content; the archive stores one per item, loose files get theirs
// from the extension. Nothing reads it back: callers pick the getter.
enum TPakVarType : int { PAK_RAW = 0, PAK_TEXT = 1, PAK_PICTURE = 2, PAK_FONT = 3, PAK_SOUND = 4 };
// The kind a file of this name gets, by its extension in any letter case.
int PakVarTypeOf(const std::string& fileName);
// An item name the archive may hold: relative ("\\" counts as "/"), no ".."
// folder, no control characters. Names are looked up, never opened as paths,
// but tools extract them and messages print them.
bool IsSafeItemName(const std::string& name);
// The name with control characters written as \xNN, fit for a message or a listing.
std::string PrintableItemName(const std::string& name);

class TPakItem {
public:
    virtual ~TPakItem() = default;

    std::string Name;
    int VarType = PAK_RAW;
    std::vector<uint8_t> Data;
    // The unpacked size the archive gives; what Data holds once unpacked.
    int64_t RealSize = 0;

    virtual std::vector<uint8_t> GetBinary() const;
    virtual std::shared_ptr<TBank> GetBank() const;
    // One character per byte.
    virtual std::string GetString() const;
    virtual std::shared_ptr<platform::Stream> GetStream() const;
    // Honours a UTF-8 or UTF-16 byte-order mark, else one character per byte.
    virtual std::string GetText() const;
    virtual std::shared_ptr<platform::Pixmap> GetPixmap() const;
    virtual std::shared_ptr<platform::Image> GetImage(int flags) const;
    virtual std::shared_ptr<platform::Image> GetAnimImage(int cellW, int cellH, int first, int count, int flags) const;
    // The largest size from `size` down to 1 that the font can be set to.
    virtual std::shared_ptr<platform::ImageFont> GetImageFont(int size, int style) const;
    virtual std::shared_ptr<platform::Sound> GetSound(int flags) const;
    // The decoded sound, not looping.
    virtual std::shared_ptr<platform::Sound> GetAudioSample() const;
    virtual std::string ToString() const { return Name; }
};

// One entry of a version 1.1 table.
class TTableItem {
public:
    static constexpr int NAME_SIZE = 256;
    static constexpr int ITEM_SIZE = 272;

    int Size = 0;
    int Offset = 0;
    int RealSize = 0;
    int VarType = 0;
    std::string Name;

    // Reads ITEM_SIZE bytes; false when the stream ends first.
    bool ReadFromStream(platform::Stream& stream);
};

class TPakFile {
public:
    // Largest decompressed item or table accepted. The game's own items are a
    // few megabytes; the bound keeps a damaged header from asking for gigabytes.
    static constexpr int64_t MAX_REAL_SIZE = 256ll << 20;
    // Largest total of all items of an archive (and of everything a manager
    // holds): the game's own data are a few megabytes, and zero-filled items
    // that each unpack a thousandfold must not add up to gigabytes.
    static constexpr int64_t MAX_TOTAL_SIZE = 256ll << 20;
    static constexpr int NAME_SIZE_V1 = 52;
    static constexpr int VERSION_1 = 1;
    static constexpr int VERSION_1_1 = 65537;

    std::vector<std::shared_ptr<TPakItem>> Items;
    // What error messages name; Create sets it to the file's path.
    std::string Path;

    // The most the items may unpack to, all together; larger claims are
    // refused before anything is allocated for them.
    int64_t MaxTotalSize = MAX_TOTAL_SIZE;

    // False: the items are listed (name, kind, RealSize) but their data is
    // neither read nor unpacked, so a listing reads only the header and the table.
    bool WithData = true;

    // nullptr when the file cannot be opened. A wrong magic, an unknown version,
    // a damaged archive, an item name that is not a plain relative name or more
    // than maxTotal bytes of items raise a RaisedText naming the file and yield nothing.
    static std::shared_ptr<TPakFile> Create(const std::string& path, int64_t maxTotal = MAX_TOTAL_SIZE,
                                            bool withData = true);
    virtual ~TPakFile() = default;
    // Reads an archive from the stream's position; the stream's size bounds every read.
    virtual void ReadFromStream(platform::Stream& stream);
    // The sum of the items' sizes.
    int64_t TotalSize() const;
};
