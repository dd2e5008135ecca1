// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/util/strings.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <locale>
#include <optional>

std::string ResourceName(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::string EnsureTrailingSlash(const std::string& path) {
    if (!path.empty() && (path.back() == '/' || path.back() == '\\')) return path;
    return path + "/";
}

std::string BeforeFirst(const std::string& text, const std::string& separator) {
    auto at = text.find(separator);
    return at == std::string::npos ? text : text.substr(0, at);
}

std::string AfterFirst(const std::string& text, const std::string& separator) {
    auto at = text.find(separator);
    return at == std::string::npos ? std::string() : text.substr(at + separator.size());
}

std::string ZeroPad(const std::string& text, int width) {
    if (static_cast<int>(text.size()) >= width) return text;
    return std::string(width - text.size(), '0') + text;
}

void ClampPercent(int& value) {
    if (value < 0) value = 0;
    if (value > 100) value = 100;
}

int RoundToInt(double x) {
    double r = std::floor(x + 0.5);
    if (!(r >= INT_MIN)) return INT_MIN;  // also catches NaN
    if (r > INT_MAX) return INT_MAX;
    return static_cast<int>(r);
}

std::string UpperCase(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

int ReadInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == '%') {
        base = 2;
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        if (digit >= base) break;
        value = value * base + digit;
        if (value > int64_t(INT_MAX) + 1) value = int64_t(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

namespace {

// The C library's Unicode case tables come with a UTF-8 locale; the program
// itself runs in the classic one, so the locale is asked for explicitly.
const std::ctype<wchar_t>* UnicodeCase() {
    static const std::optional<std::locale> locale = []() -> std::optional<std::locale> {
        for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8", "en_US.utf8"}) {
            try {
                return std::locale(name);
            } catch (const std::exception&) {
            }
        }
        return std::nullopt;
    }();
    return locale ? &std::use_facet<std::ctype<wchar_t>>(*locale) : nullptr;
}

}  // namespace

int UpperCaseLetterByTable(int c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c == 0xB5) return 0x39C;
    if (c == 0x131) return 'I';
    if (c == 0x17F) return 'S';
    // Latin Extended-A pairs capital and small letter, mostly capital first.
    if ((c >= 0x101 && c <= 0x12F) || (c >= 0x133 && c <= 0x137) || (c >= 0x14B && c <= 0x177))
        return c % 2 == 1 ? c - 1 : c;
    if ((c >= 0x13A && c <= 0x148) || (c >= 0x17A && c <= 0x17E)) return c % 2 == 0 ? c - 1 : c;
    if (c == 0x371 || c == 0x373 || c == 0x377) return c - 1;
    if (c >= 0x37B && c <= 0x37D) return c + 0x82;
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

bool UnicodeCaseTablesAvailable() { return UnicodeCase() != nullptr; }

int UpperCaseLetter(int codePoint) {
    if (codePoint < 0 || codePoint > 0x10FFFF) return codePoint;
    if (codePoint < 0x80) return codePoint >= 'a' && codePoint <= 'z' ? codePoint - 32 : codePoint;
    if (const auto* ctype = UnicodeCase()) {
        const auto upper = static_cast<int>(ctype->toupper(static_cast<wchar_t>(codePoint)));
        // One letter becomes one letter; anything else means the tables had nothing.
        if (upper > 0 && upper <= 0x10FFFF) return upper;
        return codePoint;
    }
    return UpperCaseLetterByTable(codePoint);
}

std::string EncodeUtf8(int codePoint) {
    std::string out;
    const auto c = static_cast<unsigned>(codePoint);
    if (codePoint < 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

int FirstCodePoint(const std::string& utf8, size_t* length) {
    if (utf8.empty()) return -1;
    const auto lead = static_cast<unsigned char>(utf8[0]);
    size_t n = 1;
    int code = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4, code = lead & 0x07;
    } else if (lead >= 0x80) {
        return -1;
    }
    if (utf8.size() < n) return -1;
    for (size_t i = 1; i < n; ++i) {
        const auto next = static_cast<unsigned char>(utf8[i]);
        if ((next & 0xC0) != 0x80) return -1;
        code = (code << 6) | (next & 0x3F);
    }
    if (length) *length = n;
    return code;
}

std::string UpperCaseFirstLetter(const std::string& utf8) {
    size_t length = 0;
    const int code = FirstCodePoint(utf8, &length);
    // Not the start of a character: the bytes are left alone.
    if (code < 0) return utf8;
    const int upper = UpperCaseLetter(code);
    if (upper == code) return utf8;
    const std::string encoded = EncodeUtf8(upper);
    if (encoded.empty()) return utf8;
    return encoded + utf8.substr(length);
}
