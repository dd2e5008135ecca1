// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte and text streams with protocol prefixes ("littleendian::", "utf8::",
// and factories the framework registers, such as the data archive).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Stream {
public:
    virtual ~Stream() = default;
    // Raw access; return the number of bytes moved.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual bool Eof() = 0;
    virtual int64_t Pos() = 0;
    virtual int64_t Seek(int64_t pos) = 0;
    virtual int64_t Size() = 0;
    virtual void Close() = 0;
    virtual bool Readable() const = 0;
    virtual bool Writable() const = 0;

    // Numbers are little-endian on every stream (this platform's native order);
    // short reads yield 0 and leave Eof set.
    int ReadByte();
    int ReadShort();
    int32_t ReadInt();
    float ReadFloat();
    double ReadDouble();
    std::string ReadString(size_t length);
    void WriteByte(int v);
    void WriteShort(int v);
    void WriteInt(int32_t v);
    void WriteFloat(float v);
    void WriteDouble(double v);
    void WriteString(const std::string& bytes);
    // A line ends at LF or NUL; CR is dropped. Written lines end with CR LF.
    // Under "utf8::" characters are UTF-8; otherwise one byte per character
    // (Latin-1), converted to and from the program's UTF-8 strings.
    virtual std::string ReadLine();
    virtual void WriteLine(const std::string& line);
    void SetUtf8(bool on) { utf8_ = on; }
    bool Utf8() const { return utf8_; }

protected:
    bool utf8_ = false;
};

// Opens a protocol path. Factories registered later are tried first.
class StreamFactory {
public:
    virtual ~StreamFactory() = default;
    // nullptr when this factory does not handle the protocol or cannot open the path.
    virtual std::shared_ptr<Stream> Open(const std::string& protocol, const std::string& path, bool readable,
                                         bool writable) = 0;
};
void RegisterStreamFactory(std::shared_ptr<StreamFactory> factory);
void UnregisterStreamFactory(const std::shared_ptr<StreamFactory>& factory);

// url = [protocol "::"] path. Writing only truncates; read+write opens an existing
// file; neither follows a link, and only regular files open. Resource files that do not exist under their exact name
// are matched case-insensitively in their folder. nullptr when it cannot be opened.
std::shared_ptr<Stream> OpenStream(const std::string& url, bool readable, bool writable);
std::shared_ptr<Stream> ReadStream(const std::string& url);
std::shared_ptr<Stream> WriteStream(const std::string& url);
std::shared_ptr<Stream> CreateMemoryStream(std::vector<uint8_t> bytes);

std::optional<std::vector<uint8_t>> LoadBytes(const std::string& url);
// Whole content as UTF-8: UTF-8, UTF-16 LE or BE when it begins with their
// byte-order mark (dropped), otherwise one character per byte (Latin-1).
std::optional<std::string> LoadText(const std::string& url);
std::string LoadText(Stream& stream);
std::string DecodeText(const std::vector<uint8_t>& bytes);

// Replaces a file as a whole: the bytes go to a temporary file in the same
// folder, which is then renamed over the target, so a crash or a full disk
// leaves either the old file or the new one, and a link of that name is
// replaced rather than followed. The file gets newMode (the player's alone
// unless asked otherwise), also when it replaces one with another mode. False on any failure (the old file is then
// untouched), with the reason in words when asked for ("the disk is full").
bool SaveFileAtomic(const std::string& path, const std::string& bytes, std::string* reason = nullptr,
                    int newMode = 0600);

}  // namespace platform
