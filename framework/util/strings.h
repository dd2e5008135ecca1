#pragma once
// Small string and number helpers shared across the framework.
#include <string>

// Folder paths always end in a separator so names can be appended directly.
std::string EnsureTrailingSlash(const std::string& path);
std::string BeforeFirst(const std::string& text, const std::string& separator);
std::string AfterFirst(const std::string& text, const std::string& separator);
std::string ZeroPad(const std::string& text, int width);
void ClampPercent(int& value);
int RoundToInt(double x);

// ASCII-only: keys and setting names are plain English, and leaving other bytes
// alone keeps UTF-8 text intact.
std::string UpperCase(const std::string& text);

// The lenient integer reading used for settings values: leading blanks, an
// optional sign, "$" for hexadecimal or "%" for binary digits, stopping at the
// first character that does not belong. Anything unreadable is 0; values that
// do not fit an int are clamped instead of wrapping.
int ReadInt(const std::string& text);
