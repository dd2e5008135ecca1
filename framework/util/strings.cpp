#include "framework/util/strings.h"

#include <climits>
#include <cmath>
#include <cstdint>

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
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else break;
        if (digit >= base) break;
        value = value * base + digit;
        if (value > int64_t(INT_MAX) + 1) value = int64_t(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}
