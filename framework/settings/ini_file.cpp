// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/settings/ini_file.h"

#include <optional>

#include "framework/core/globals.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"

namespace {
// Settings files are a few hundred bytes; anything much larger is not one of
// ours and is treated as unreadable rather than loaded into memory.
constexpr int64_t MaxSettingsFileSize = 1 << 20;

std::optional<std::string> ReadSettingsBytes(const std::string& path) {
    // Only a regular file (or a link to one) is read: a pipe would hang the start.
    std::string bytes;
    if (platform::ReadRegularFile(path, MaxSettingsFileSize, bytes, nullptr, true) != platform::ReadStatus::Read)
        return std::nullopt;
    return bytes;
}

// Lines end at LF; a CR in front of it is dropped; a final line break makes no
// extra line. A byte-order mark left by a text editor is not part of the first name.
std::vector<std::string> SplitSettingsLines(std::string text) {
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        size_t end = lf == std::string::npos ? text.size() : lf;
        size_t stop = end > start && text[end - 1] == '\r' ? end - 1 : end;
        lines.push_back(text.substr(start, stop - start));
        if (lf == std::string::npos) break;
        start = lf + 1;
    }
    return lines;
}

// One entry must stay one line, whatever a value holds.
std::string OneLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n') out += c;
    return out;
}
}  // namespace

std::string TIniFile::Get(const std::string& name) const {
    std::string upper = UpperCase(name);
    for (const auto& line : Lines)
        if (line->Name == upper) return line->Value;
    return "";
}

int TIniFile::Add(const std::string& name, const std::string& value) {
    auto line = std::make_shared<TIniLine>();
    line->Name = UpperCase(name);
    line->Value = value;
    Lines.push_back(line);
    return 0;
}

int TIniFile::Save() {
    // A settings object that has not been given its file yet has nowhere to go;
    // writing ".ini" into whatever folder is current would only leave litter.
    if (FileName.empty()) return 0;
    const std::string path = FileName + ".ini";
    std::string content;
    for (const auto& line : Lines) {
        content += OneLine(line->Name) + "=" + OneLine(line->Value) + "\r\n";
    }
    // A settings file that cannot be written is no reason to end the game: the
    // values hold in memory, the player is told, and the next save tries again.
    const int written = WriteSharedFile(path, content);
    return written;
}

int TIniFile::Apply(const std::string& bytes) {
    for (const std::string& text : SplitSettingsLines(bytes)) {
        std::string name = UpperCase(BeforeFirst(text, "="));
        std::string value = AfterFirst(text, "=");
        for (const auto& line : Lines)
            if (line->Name == name) line->Value = value;
    }
    return 0;
}

int TIniFile::Load() {
    if (FileName.empty()) return 0;
    const std::string path = FileName + ".ini";
    std::string bytes;
    const auto status = platform::ReadRegularFile(path, MaxSettingsFileSize, bytes, nullptr, true);
    if (status == platform::ReadStatus::Read) Apply(bytes);
    if (status == platform::ReadStatus::TooLarge && SharedData.SavingOff.empty()) {
        // Not one of ours, or damaged beyond use; whatever it holds is kept for
        // whoever wants to look before the defaults take its place.
        const std::string aside = path + ".damaged";
        if (platform::IsPlainFile(path) && platform::FileType(aside) == platform::FILETYPE_NONE &&
            platform::RenameFile(path, aside))
            AppendErrorLog("The settings file " + path + " was far too large to be one; it was kept as " + aside +
                           " and the defaults were written in its place.");
        else
            AppendErrorLog("The settings file " + path +
                           " was far too large to be one; the defaults were written "
                           "in its place.");
    }
    return Save();
}

std::string ReadIniValue(const std::string& path, const std::string& name) {
    auto bytes = ReadSettingsBytes(path);
    if (!bytes) return "";
    std::string wanted = UpperCase(name);
    for (const std::string& line : SplitSettingsLines(*bytes))
        if (UpperCase(BeforeFirst(line, "=")) == wanted) return AfterFirst(line, "=");
    return "";
}

int CopyIniWithValue(const std::string& source, const std::string& target, const std::string& name,
                     const std::string& value) {
    auto bytes = ReadSettingsBytes(source);
    if (!bytes) return 0;
    const std::string wanted = UpperCase(name);
    const std::string replacement = wanted + "=" + OneLine(value);
    std::string content;
    bool replaced = false;
    for (const std::string& line : SplitSettingsLines(*bytes)) {
        if (UpperCase(BeforeFirst(line, "=")) == wanted) {
            content += replacement + "\r\n";
            replaced = true;
        } else {
            content += line + "\r\n";
        }
    }
    if (!replaced) content += replacement + "\r\n";
    return platform::SaveFileAtomic(target, content) ? 1 : 0;
}
