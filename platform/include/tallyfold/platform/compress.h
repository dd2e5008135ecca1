// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// zlib compression as the data archive stores it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// The whole input as one zlib stream (what zlib's compress() writes), best compression.
std::vector<uint8_t> Compress(const uint8_t* data, size_t size);
// Inflates a zlib stream that must yield exactly expectedSize bytes; nullopt when
// the data is damaged or yields another size.
std::optional<std::vector<uint8_t>> Uncompress(const uint8_t* data, size_t size, size_t expectedSize);

}  // namespace platform
