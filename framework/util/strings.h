// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small string and number helpers shared across the framework.
#include <cstddef>
#include <string>

// The game's own resource names may be written with "\\" between folders, as
// the data files of its Windows days were; they become "/". Paths that come
// from the system are never passed through this: there "\\" is part of a name.
std::string ResourceName(const std::string& name);

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

// The upper case of one Unicode letter (itself when it has none), from the
// system's Unicode tables where a UTF-8 locale exists, else from a table of
// the Latin, Greek and Cyrillic letters.
int UpperCaseLetter(int codePoint);
// The table used without a UTF-8 locale (Latin-1, Latin Extended-A, Greek,
// Cyrillic), and whether the system's tables were found.
int UpperCaseLetterByTable(int codePoint);
bool UnicodeCaseTablesAvailable();
// The UTF-8 text with its first character upper-cased ("émile" -> "Émile").
std::string UpperCaseFirstLetter(const std::string& utf8);
// The UTF-8 encoding of one code point (nothing for an invalid one).
std::string EncodeUtf8(int codePoint);
// The first character of UTF-8 text and its length in bytes; -1 when the text
// is empty or does not start with a whole, valid character.
int FirstCodePoint(const std::string& utf8, size_t* length = nullptr);

// The lenient integer reading used for settings values: leading blanks, an
// optional sign, "$" for hexadecimal or "%" for binary digits, stopping at the
// first character that does not belong. Anything unreadable is 0; values that
// do not fit an int are clamped instead of wrapping.
int ReadInt(const std::string& text);
