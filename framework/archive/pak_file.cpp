// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/archive/pak_file.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

#include "framework/paths/errors.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/compress.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/stream.h"

namespace {

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Names are stored padded; anything up to a space counts as padding.
std::string TrimName(const char* bytes, size_t size) {
    size_t begin = 0, end = size;
    while (begin < end && static_cast<unsigned char>(bytes[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(bytes[end - 1]) <= 32) --end;
    std::string name(bytes + begin, end - begin);
    // A packer that wrote a C string into an uncleared field leaves junk after
    // the terminator; it was never part of the name.
    size_t nul = name.find('\0');
    if (nul != std::string::npos) {
        name.resize(nul);
        while (!name.empty() && static_cast<unsigned char>(name.back()) <= 32) name.pop_back();
    }
    return name;
}

bool HasPrintable(const std::string& name) {
    for (unsigned char c : name)
        if (c > 32 && c != 127) return true;
    return false;
}

std::string Latin1ToUtf8(const std::vector<uint8_t>& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (uint8_t b : bytes) {
        if (b < 0x80) {
            text += static_cast<char>(b);
        } else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

// Deflate cannot shrink data by more than about 1032:1, so a larger claim is a
// damaged header, and refusing it keeps the buffer from being allocated.
constexpr int64_t MAX_DEFLATE_RATIO = 1032;

// An unpacked size an item could have; the others are refused item by item,
// with a message about that item, and do not count towards the total.
bool Plausible(int64_t packed, int64_t real) {
    return real > 0 && real <= TPakFile::MAX_REAL_SIZE && packed >= 0 && real <= packed * MAX_DEFLATE_RATIO;
}

// The packed size of `real` bytes can exceed it by zlib's worst case only
// (compressBound); anything larger is a damaged header, and trusting it would read
// the file's whole length for an item that cannot need it.
int64_t LargestPacked(int64_t real) { return real + (real >> 12) + (real >> 14) + (real >> 25) + 13; }

// Reads the archive from the stream, every count and size checked against what is
// left of the file before anything is read or allocated for it.
class Source {
public:
    Source(platform::Stream& stream, int64_t size, std::function<void(const std::string&)> damaged)
        : stream_(stream), start_(stream.Pos()), size_(size), damaged_(std::move(damaged)) {
        pos_ = start_;
    }
    int64_t Left() const { return size_ - pos_; }
    int64_t Pos() const { return pos_; }
    bool Has(int64_t n) const { return n >= 0 && n <= Left(); }
    void Read(void* buffer, size_t n) {
        if (!Has(static_cast<int64_t>(n))) damaged_("it ends early");
        if (n && stream_.Read(buffer, n) != n) damaged_("it cannot be read to its end");
        pos_ += static_cast<int64_t>(n);
    }
    int32_t Int() {
        uint8_t b[4];
        Read(b, 4);
        return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                    static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
    }
    std::vector<uint8_t> Bytes(size_t n) {
        std::vector<uint8_t> bytes(n);
        Read(bytes.data(), n);
        return bytes;
    }
    void Skip(int64_t n) { SeekTo(pos_ + n); }
    void SeekTo(int64_t at) {
        if (at < start_ || at > size_ || stream_.Seek(at) != at) damaged_("it cannot be read to its end");
        pos_ = at;
    }

private:
    platform::Stream& stream_;
    int64_t start_, size_, pos_ = 0;
    std::function<void(const std::string&)> damaged_;
};

}  // namespace

bool IsSafeItemName(const std::string& name) {
    if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size()) {
            const auto c = static_cast<unsigned char>(name[i]);
            if (c < 32 || c == 127) return false;
            if (c != '/' && c != '\\') continue;
        }
        if (name.compare(start, i - start, "..") == 0 && i - start == 2) return false;
        start = i + 1;
    }
    return true;
}

std::string PrintableItemName(const std::string& name) {
    static const char* const hex = "0123456789abcdef";
    std::string out;
    for (unsigned char c : name) {
        if (c < 32 || c == 127 || c == '\\') {
            out += c == '\\' ? "\\\\" : std::string("\\x") + hex[c >> 4] + hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int PakVarTypeOf(const std::string& fileName) {
    std::string ext = LowerCase(platform::ExtractExt(fileName));
    if (ext == "txt") return PAK_TEXT;
    if (ext == "png" || ext == "jpg" || ext == "tga" || ext == "bmp") return PAK_PICTURE;
    if (ext == "ttf") return PAK_FONT;
    if (ext == "wav" || ext == "ogg") return PAK_SOUND;
    return PAK_RAW;
}

std::vector<uint8_t> TPakItem::GetBinary() const { return Data; }

std::shared_ptr<TBank> TPakItem::GetBank() const { return std::make_shared<TBank>(Data); }

std::string TPakItem::GetString() const { return Latin1ToUtf8(Data); }

std::shared_ptr<platform::Stream> TPakItem::GetStream() const { return platform::CreateMemoryStream(Data); }

std::string TPakItem::GetText() const { return platform::DecodeText(Data); }

std::shared_ptr<platform::Pixmap> TPakItem::GetPixmap() const { return platform::LoadPixmap(Data); }

std::shared_ptr<platform::Image> TPakItem::GetImage(int flags) const { return platform::LoadImage(Data, flags); }

std::shared_ptr<platform::Image> TPakItem::GetAnimImage(int cellW, int cellH, int first, int count, int flags) const {
    return platform::LoadAnimImage(Data, cellW, cellH, first, count, flags);
}

std::shared_ptr<platform::ImageFont> TPakItem::GetImageFont(int size, int style) const {
    for (int s = size; s >= 1; --s)
        if (auto font = platform::LoadImageFont(Data, s, style)) return font;
    return nullptr;
}

std::shared_ptr<platform::Sound> TPakItem::GetSound(int flags) const { return platform::LoadSound(Data, flags); }

std::shared_ptr<platform::Sound> TPakItem::GetAudioSample() const { return platform::LoadSound(Data, 0); }

bool TTableItem::ReadFromStream(platform::Stream& stream) {
    uint8_t entry[ITEM_SIZE];
    if (stream.Read(entry, ITEM_SIZE) != ITEM_SIZE) return false;
    auto at = [&](int offset) {
        return static_cast<int32_t>(
            static_cast<uint32_t>(entry[offset]) | static_cast<uint32_t>(entry[offset + 1]) << 8 |
            static_cast<uint32_t>(entry[offset + 2]) << 16 | static_cast<uint32_t>(entry[offset + 3]) << 24);
    };
    Size = at(0);
    Offset = at(4);
    RealSize = at(8);
    VarType = at(12);
    Name = TrimName(reinterpret_cast<const char*>(entry + 16), NAME_SIZE);
    return true;
}

int64_t TPakFile::TotalSize() const {
    int64_t total = 0;
    for (const auto& item : Items) total += static_cast<int64_t>(item->Data.size());
    return total;
}

std::shared_ptr<TPakFile> TPakFile::Create(const std::string& path, int64_t maxTotal, bool withData) {
    // A folder that happens to end in the archive extension is no archive.
    if (platform::FileType(path) == platform::FILETYPE_DIR) return nullptr;
    auto stream = platform::ReadStream("littleendian::" + path);
    if (!stream) return nullptr;
    auto pak = std::make_shared<TPakFile>();
    pak->Path = path;
    pak->MaxTotalSize = maxTotal;
    pak->WithData = withData;
    pak->ReadFromStream(*stream);
    stream->Close();
    return pak;
}

namespace {
// Reads one archive's header, table and items. Only what the header and the
// table say is read, each size checked against the file's real length first: a
// huge or sparse file that is no archive, or one whose sizes point past its end,
// is refused at once.
class PakReader {
public:
    PakReader(platform::Stream& stream, const std::string& path, int64_t maxTotal, bool withData)
        : path_(path),
          maxTotal_(maxTotal),
          withData_(withData),
          in_(stream, SizeOf(stream), [this](const std::string& why) { Damaged(why); }) {}

    std::vector<std::shared_ptr<TPakItem>> Read() {
        uint8_t magic[4] = {};
        if (!in_.Has(4) || (in_.Read(magic, 4), std::memcmp(magic, "!PAK", 4) != 0))
            throw RaisedText("TPakFile::Invalid pak file " + path_);
        if (!in_.Has(4)) Damaged("it ends before its version");
        const int32_t version = in_.Int();
        if (version == TPakFile::VERSION_1) return ReadVersion1();
        if (version == TPakFile::VERSION_1_1) return ReadVersion11();
        const uint32_t v = static_cast<uint32_t>(version);
        throw RaisedText("TPakFile::Unsupported pakfile version " + std::to_string(v & 0xFFFF) + "." +
                         std::to_string(v >> 16) + " in " + path_);
    }

private:
    static int64_t SizeOf(platform::Stream& stream) { return std::max(stream.Size(), stream.Pos()); }

    [[noreturn]] void Damaged(const std::string& why) const {
        throw RaisedText("TPakFile::Damaged pak file " + path_ + ": " + why);
    }
    static std::string ItemLabel(int index, const std::string& name) {
        return "item " + std::to_string(index + 1) + " \"" + name + "\"";
    }
    void CheckName(int index, const std::string& name) const {
        if (!HasPrintable(name)) Damaged("item " + std::to_string(index + 1) + " has no name");
        if (!IsSafeItemName(name))
            Damaged(ItemLabel(index, PrintableItemName(name)) +
                    " is not a plain relative name (a leading \"/\", a \"..\" folder or a control character)");
    }
    // All items together, claimed before any is unpacked.
    void CheckTotal(int64_t total) const {
        if (total > maxTotal_)
            Damaged("its items claim " + std::to_string(total) + " bytes in all, more than the " +
                    std::to_string(maxTotal_) + " a data archive may hold");
    }
    void CheckSizes(int64_t packed, int64_t real, const std::string& what, int64_t left) const {
        if (packed < 0 || packed > left) Damaged(what + " runs past the end of the file");
        if (real < 0 || real > TPakFile::MAX_REAL_SIZE || real > packed * MAX_DEFLATE_RATIO ||
            (real > 0 && packed > LargestPacked(real)))
            Damaged(what + " claims an impossible unpacked size of " + std::to_string(real) + " bytes");
    }
    // Packed and unpacked sizes of one block, then the block itself.
    std::vector<uint8_t> Unpack(int64_t packed, int64_t real, const std::string& what, bool withData) {
        CheckSizes(packed, real, what, in_.Left());
        if (!withData) {
            in_.Skip(packed);
            return {};
        }
        const std::vector<uint8_t> data = in_.Bytes(static_cast<size_t>(packed));
        // zlib will not inflate into an empty buffer; nothing is lost by not asking it to.
        if (real == 0) return {};
        auto out = platform::Uncompress(data.data(), data.size(), static_cast<size_t>(real));
        if (!out) Damaged(what + " does not unpack to " + std::to_string(real) + " bytes");
        return std::move(*out);
    }

    static constexpr int64_t HEADER_V1 = TPakFile::NAME_SIZE_V1 + 12;

    // A first pass over the records adds up the sizes they claim, reading only
    // the records and stepping over the data.
    void CheckTotalV1(int count) {
        int64_t total = 0;
        for (int i = 0; i < count && in_.Has(HEADER_V1); ++i) {
            uint8_t record[HEADER_V1];
            in_.Read(record, sizeof record);
            auto at = [&](int offset) {
                return static_cast<int64_t>(static_cast<int32_t>(
                    static_cast<uint32_t>(record[offset]) | static_cast<uint32_t>(record[offset + 1]) << 8 |
                    static_cast<uint32_t>(record[offset + 2]) << 16 | static_cast<uint32_t>(record[offset + 3]) << 24));
            };
            const int64_t packed = at(TPakFile::NAME_SIZE_V1 + 4), real = at(TPakFile::NAME_SIZE_V1 + 8);
            if (Plausible(packed, real)) total += real;
            if (!in_.Has(packed)) break;
            in_.Skip(packed);
        }
        CheckTotal(total);
    }

    std::vector<std::shared_ptr<TPakItem>> ReadVersion1() {
        if (!in_.Has(4)) Damaged("it ends before its item count");
        const int32_t count = in_.Int();
        if (count < 0 || count > in_.Left() / HEADER_V1)
            Damaged("its item count " + std::to_string(count) + " does not fit in the file");
        const int64_t first = in_.Pos();
        CheckTotalV1(count);
        in_.SeekTo(first);
        std::vector<std::shared_ptr<TPakItem>> items;
        for (int i = 0; i < count; ++i) {
            if (!in_.Has(HEADER_V1)) Damaged("item " + std::to_string(i + 1) + " runs past the end of the file");
            auto item = std::make_shared<TPakItem>();
            char name[TPakFile::NAME_SIZE_V1];
            in_.Read(name, sizeof name);
            item->Name = TrimName(name, TPakFile::NAME_SIZE_V1);
            CheckName(i, item->Name);
            item->VarType = in_.Int();
            const int32_t packed = in_.Int();
            const int32_t real = in_.Int();
            item->Data = Unpack(packed, real, ItemLabel(i, item->Name), withData_);
            item->RealSize = real;
            items.push_back(std::move(item));
        }
        return items;
    }

    // The table, unpacked and checked whole: every item's data must lie inside
    // the file, and the first that would not is named before any is read.
    std::vector<TTableItem> ReadTable() {
        if (!in_.Has(12)) Damaged("it ends before its table");
        const int32_t count = in_.Int();
        const int32_t tablePacked = in_.Int();
        const int32_t tableReal = in_.Int();
        if (count < 0 || static_cast<int64_t>(count) * TTableItem::ITEM_SIZE > tableReal)
            Damaged("its table of " + std::to_string(tableReal) + " bytes cannot hold " + std::to_string(count) +
                    " items");
        CheckSizes(tablePacked, tableReal, "its table", in_.Left());
        auto tableStream = platform::CreateMemoryStream(Unpack(tablePacked, tableReal, "its table", true));
        std::vector<TTableItem> entries(static_cast<size_t>(count));
        int64_t total = 0, packedTotal = 0;
        for (int i = 0; i < count; ++i) {
            TTableItem& entry = entries[static_cast<size_t>(i)];
            if (!entry.ReadFromStream(*tableStream)) Damaged("its table ends early");
            CheckName(i, entry.Name);
            if (Plausible(entry.Size, entry.RealSize)) total += entry.RealSize;
            CheckSizes(entry.Size, entry.RealSize, ItemLabel(i, entry.Name), in_.Left() - packedTotal);
            packedTotal += entry.Size;
        }
        CheckTotal(total);
        return entries;
    }

    std::vector<std::shared_ptr<TPakItem>> ReadVersion11() {
        std::vector<std::shared_ptr<TPakItem>> items;
        int i = 0;
        for (const TTableItem& entry : ReadTable()) {
            auto item = std::make_shared<TPakItem>();
            item->Name = entry.Name;
            item->VarType = entry.VarType;
            // The data follows the table directly; the recorded offsets are not trusted.
            item->Data = Unpack(entry.Size, entry.RealSize, ItemLabel(i++, item->Name), withData_);
            item->RealSize = entry.RealSize;
            items.push_back(std::move(item));
        }
        return items;
    }

    std::string path_;
    int64_t maxTotal_;
    bool withData_;
    Source in_;
};
}  // namespace

void TPakFile::ReadFromStream(platform::Stream& stream) {
    Items = PakReader(stream, Path, MaxTotalSize, WithData).Read();
}
