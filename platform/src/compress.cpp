// SPDX-License-Identifier: GPL-3.0-or-later
#include "tallyfold/platform/compress.h"

#include <zlib.h>

namespace platform {

std::vector<uint8_t> Compress(const uint8_t* data, size_t size) {
    uLongf bound = compressBound(static_cast<uLong>(size));
    std::vector<uint8_t> out(bound);
    if (compress2(out.data(), &bound, data, static_cast<uLong>(size), Z_BEST_COMPRESSION) != Z_OK) return {};
    out.resize(bound);
    return out;
}

std::optional<std::vector<uint8_t>> Uncompress(const uint8_t* data, size_t size, size_t expectedSize) {
    if (size > 0xFFFFFFFFu || expectedSize > 0xFFFFFFFFu) return std::nullopt;
    std::vector<uint8_t> out(expectedSize);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return std::nullopt;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(expectedSize);
    int result = inflate(&stream, Z_FINISH);
    size_t produced = expectedSize - stream.avail_out;
    // A stream that still has output left when the buffer is full is longer than declared.
    bool complete = result == Z_STREAM_END && produced == expectedSize;
    inflateEnd(&stream);
    if (!complete) return std::nullopt;
    return out;
}

}  // namespace platform
