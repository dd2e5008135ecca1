// SPDX-License-Identifier: GPL-3.0-or-later
// Byte and text streams: files, memory, protocol prefixes and factories,
// whole-file helpers and the atomic file replacement.
#include "tallyfold/platform/stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "internal.h"
#include "tallyfold/platform/files.h"

namespace platform {

// ---- typed access ------------------------------------------------------------

namespace {

bool ReadExact(Stream& s, void* buffer, size_t count) {
    if (s.Read(buffer, count) == count) return true;
    std::memset(buffer, 0, count);
    return false;
}

uint32_t Le32(const uint8_t* b) {
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

}  // namespace

int Stream::ReadByte() {
    uint8_t b = 0;
    ReadExact(*this, &b, 1);
    return b;
}

int Stream::ReadShort() {
    uint8_t b[2];
    ReadExact(*this, b, 2);
    return b[0] | (b[1] << 8);
}

int32_t Stream::ReadInt() {
    uint8_t b[4];
    ReadExact(*this, b, 4);
    return static_cast<int32_t>(Le32(b));
}

float Stream::ReadFloat() {
    uint8_t b[4];
    ReadExact(*this, b, 4);
    uint32_t bits = Le32(b);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

double Stream::ReadDouble() {
    uint8_t b[8];
    ReadExact(*this, b, 8);
    uint64_t bits = uint64_t(Le32(b)) | (uint64_t(Le32(b + 4)) << 32);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

std::string Stream::ReadString(size_t length) {
    // The length often comes from the file itself; read in pieces so a bogus
    // one costs no more memory than the stream actually holds.
    std::string out;
    char chunk[4096];
    while (out.size() < length) {
        size_t want = std::min(sizeof chunk, length - out.size());
        size_t got = Read(chunk, want);
        out.append(chunk, got);
        if (got < want) break;
    }
    return out;
}

void Stream::WriteByte(int v) {
    uint8_t b = static_cast<uint8_t>(v);
    Write(&b, 1);
}

void Stream::WriteShort(int v) {
    uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    Write(b, 2);
}

void Stream::WriteInt(int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                    static_cast<uint8_t>(u >> 24)};
    Write(b, 4);
}

void Stream::WriteFloat(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    WriteInt(static_cast<int32_t>(bits));
}

void Stream::WriteDouble(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    WriteInt(static_cast<int32_t>(static_cast<uint32_t>(bits)));
    WriteInt(static_cast<int32_t>(static_cast<uint32_t>(bits >> 32)));
}

void Stream::WriteString(const std::string& bytes) { Write(bytes.data(), bytes.size()); }

std::string Stream::ReadLine() {
    std::string bytes;
    char c;
    while (Read(&c, 1) == 1) {
        if (c == '\n' || c == '\0') break;
        if (c != '\r') bytes += c;
    }
    return utf8_ ? detail::SanitizeUtf8(bytes) : detail::Latin1ToUtf8(bytes);
}

void Stream::WriteLine(const std::string& line) {
    std::string bytes = utf8_ ? line : detail::Utf8ToLatin1(line);
    bytes += "\r\n";
    Write(bytes.data(), bytes.size());
}

// ---- file and memory streams -------------------------------------------------

namespace {

class FileStream final : public Stream {
public:
    FileStream(FILE* f, bool readable, bool writable) : f_(f), readable_(readable), writable_(writable) {}
    ~FileStream() override { Close(); }

    size_t Read(void* buffer, size_t count) override {
        if (!f_ || !readable_ || count == 0) return 0;
        Switch(false);
        return std::fread(buffer, 1, count, f_);
    }

    size_t Write(const void* buffer, size_t count) override {
        if (!f_ || !writable_ || count == 0) return 0;
        Switch(true);
        return std::fwrite(buffer, 1, count, f_);
    }

    bool Eof() override { return !f_ || Pos() >= Size(); }
    int64_t Pos() override { return f_ ? static_cast<int64_t>(ftello(f_)) : 0; }

    int64_t Seek(int64_t pos) override {
        if (!f_) return 0;
        pos = std::clamp<int64_t>(pos, 0, writable_ ? INT64_MAX : Size());
        fseeko(f_, static_cast<off_t>(pos), SEEK_SET);
        lastWrite_ = -1;
        return Pos();
    }

    int64_t Size() override {
        if (!f_) return 0;
        if (writable_) std::fflush(f_);
        struct stat st;
        return fstat(fileno(f_), &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
    }

    void Close() override {
        if (f_) std::fclose(f_);
        f_ = nullptr;
    }

    bool Readable() const override { return readable_; }
    bool Writable() const override { return writable_; }

private:
    // C streams need a positioning call between reading and writing.
    void Switch(bool write) {
        int op = write ? 1 : 0;
        if (lastWrite_ >= 0 && lastWrite_ != op) fseeko(f_, 0, SEEK_CUR);
        lastWrite_ = op;
    }

    FILE* f_;
    bool readable_, writable_;
    int lastWrite_ = -1;
};

class MemoryStream final : public Stream {
public:
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    size_t Read(void* buffer, size_t count) override {
        size_t n = std::min(count, bytes_.size() - pos_);
        if (n) std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    size_t Write(const void*, size_t) override { return 0; }
    bool Eof() override { return pos_ >= bytes_.size(); }
    int64_t Pos() override { return static_cast<int64_t>(pos_); }
    int64_t Seek(int64_t pos) override {
        pos_ = static_cast<size_t>(std::clamp<int64_t>(pos, 0, static_cast<int64_t>(bytes_.size())));
        return Pos();
    }
    int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }
    void Close() override {}
    bool Readable() const override { return true; }
    bool Writable() const override { return false; }

private:
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

std::vector<std::shared_ptr<StreamFactory>>& Factories() {
    static std::vector<std::shared_ptr<StreamFactory>> factories;
    return factories;
}

// A protocol name is what precedes "::" as long as it is not itself a path.
bool SplitProtocol(const std::string& url, std::string& protocol, std::string& rest) {
    size_t pos = url.find("::");
    if (pos == std::string::npos || pos == 0) return false;
    for (size_t i = 0; i < pos; ++i)
        if (url[i] == '/' || url[i] == '\\') return false;
    protocol = url.substr(0, pos);
    rest = url.substr(pos + 2);
    return true;
}

std::shared_ptr<Stream> OpenFile(const std::string& rawPath, bool readable, bool writable) {
    std::string path = rawPath;
    if (path.empty()) return nullptr;
    if (readable) {
        if (FileType(path) == FILETYPE_NONE) path = ResolveCase(path);
    } else {
        std::string dir = ExtractDir(path);
        if (!dir.empty() && FileType(dir) != FILETYPE_DIR) path = ResolveCase(dir) + "/" + StripDir(path);
    }
    if (FileType(path) == FILETYPE_DIR) return nullptr;
    // A file written in place must be the file itself: a link planted under its
    // name would otherwise send the bytes (and the truncation) elsewhere.
    int flags = O_CLOEXEC;
    if (readable && writable)
        flags |= O_RDWR | O_NOFOLLOW;
    else if (writable)
        flags |= O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW;
    else
        flags |= O_RDONLY | O_NONBLOCK;
    int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        // Pipes and devices are not files to read whole or to replace.
        ::close(fd);
        return nullptr;
    }
    if (!writable) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const char* mode = readable && writable ? "r+b" : writable ? "wb" : "rb";
    FILE* f = ::fdopen(fd, mode);
    if (!f) {
        ::close(fd);
        return nullptr;
    }
    return std::make_shared<FileStream>(f, readable, writable);
}

}  // namespace

void RegisterStreamFactory(std::shared_ptr<StreamFactory> factory) {
    if (factory) Factories().push_back(std::move(factory));
}

void UnregisterStreamFactory(const std::shared_ptr<StreamFactory>& factory) {
    auto& f = Factories();
    f.erase(std::remove(f.begin(), f.end(), factory), f.end());
}

std::shared_ptr<Stream> OpenStream(const std::string& url, bool readable, bool writable) {
    if (!readable && !writable) return nullptr;
    std::string rest = url, protocol, path;
    bool utf8 = false;
    while (SplitProtocol(rest, protocol, path)) {
        std::string lower = detail::LowerAscii(protocol);
        if (lower == "littleendian") {
            rest = path;  // numbers are little-endian on every stream here
        } else if (lower == "utf8") {
            utf8 = true;
            rest = path;
        } else {
            const auto& factories = Factories();
            for (auto it = factories.rbegin(); it != factories.rend(); ++it) {
                auto copy = *it;  // a factory may unregister itself while opening
                if (auto s = copy->Open(protocol, path, readable, writable)) {
                    if (utf8) s->SetUtf8(true);
                    return s;
                }
            }
            return nullptr;
        }
    }
    auto s = OpenFile(rest, readable, writable);
    if (s && utf8) s->SetUtf8(true);
    return s;
}

std::shared_ptr<Stream> ReadStream(const std::string& url) { return OpenStream(url, true, false); }
std::shared_ptr<Stream> WriteStream(const std::string& url) { return OpenStream(url, false, true); }

std::shared_ptr<Stream> CreateMemoryStream(std::vector<uint8_t> bytes) {
    return std::make_shared<MemoryStream>(std::move(bytes));
}

namespace {
std::vector<uint8_t> ReadRest(Stream& s) {
    std::vector<uint8_t> out;
    int64_t remaining = s.Size() - s.Pos();
    if (remaining > 0 && remaining < (int64_t(1) << 30)) out.reserve(static_cast<size_t>(remaining));
    uint8_t chunk[65536];
    for (;;) {
        size_t got = s.Read(chunk, sizeof chunk);
        out.insert(out.end(), chunk, chunk + got);
        if (got == 0) break;
    }
    return out;
}
}  // namespace

std::optional<std::vector<uint8_t>> LoadBytes(const std::string& url) {
    auto s = ReadStream(url);
    if (!s) return std::nullopt;
    return ReadRest(*s);
}

std::optional<std::string> LoadText(const std::string& url) {
    auto bytes = LoadBytes(url);
    if (!bytes) return std::nullopt;
    return DecodeText(*bytes);
}

std::string LoadText(Stream& stream) { return DecodeText(ReadRest(stream)); }

std::string DecodeText(const std::vector<uint8_t>& bytes) {
    const size_t n = bytes.size();
    if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return detail::SanitizeUtf8(std::string(bytes.begin() + 3, bytes.end()));
    if (n >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        const bool little = bytes[0] == 0xFF;
        std::string out;
        out.reserve(n);
        auto unit = [&](size_t i) -> uint32_t {
            return little ? (bytes[i] | (bytes[i + 1] << 8)) : ((bytes[i] << 8) | bytes[i + 1]);
        };
        for (size_t i = 2; i + 1 < n; i += 2) {
            uint32_t u = unit(i);
            if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
                uint32_t low = unit(i + 2);
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    detail::AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                    i += 2;
                    continue;
                }
            }
            detail::AppendUtf8(out, u);  // a lone surrogate becomes U+FFFD there
        }
        return out;
    }
    return detail::Latin1ToUtf8(std::string(bytes.begin(), bytes.end()));
}

// ---- atomic replacement ------------------------------------------------------

bool SaveFileAtomic(const std::string& path, const std::string& bytes, std::string* reason, int newMode) {
    return detail::ReplaceFileWith(path, bytes, reason, static_cast<unsigned>(newMode));
}

}  // namespace platform
