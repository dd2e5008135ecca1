#pragma once
// Reading the core's own small files whole, refusing anything far larger than
// the program ever writes instead of loading it into memory.
#include <cstdint>
#include <optional>
#include <string>

#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"

namespace core_detail {

enum class ReadResult { Read, Missing, Unreadable, TooLarge };

inline ReadResult ReadSmallFile(const std::string& path, std::int64_t maxBytes, std::string& bytes) {
    // Checked first: opening would fall back to a name that differs in letter case.
    const int kind = platform::FileType(path);
    if (kind == platform::FILETYPE_NONE) return ReadResult::Missing;
    if (kind != platform::FILETYPE_FILE) return ReadResult::Unreadable;
    auto stream = platform::OpenStream(path, true, false);
    if (!stream) return ReadResult::Unreadable;
    const std::int64_t size = stream->Size();
    if (size < 0 || size > maxBytes) {
        stream->Close();
        return size < 0 ? ReadResult::Unreadable : ReadResult::TooLarge;
    }
    bytes.assign(static_cast<std::size_t>(size), '\0');
    const std::size_t got = size > 0 ? stream->Read(bytes.data(), bytes.size()) : 0;
    stream->Close();
    bytes.resize(got);
    return ReadResult::Read;
}

}  // namespace core_detail
