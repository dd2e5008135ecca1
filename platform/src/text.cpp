// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 and Latin-1 conversions shared by streams and text drawing.
#include <algorithm>

#include "internal.h"

namespace platform::detail {

std::vector<uint32_t> DecodeUtf8(const std::string& text) {
    std::vector<uint32_t> out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        int len = 0;
        uint32_t cp = 0, min = 0;
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, cp = c & 0x07, min = 0x10000;
        }
        bool ok = len > 0 && i + len <= n;
        for (int k = 1; ok && k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past Unicode are damage, not text.
        if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
        if (ok) {
            out.push_back(cp);
            i += len;
        } else {
            out.push_back(0xFFFD);
            ++i;
        }
    }
    return out;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Latin1ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) AppendUtf8(out, c);
    return out;
}

std::string Utf8ToLatin1(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (uint32_t cp : DecodeUtf8(text)) out += static_cast<char>(cp <= 0xFF ? cp : '?');
    return out;
}

std::string SanitizeUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (uint32_t cp : DecodeUtf8(bytes)) AppendUtf8(out, cp);
    return out;
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace platform::detail
