// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/paths/errors.h"

#include <algorithm>
#include <cstdint>

#include "framework/core/globals.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/stream.h"
#include "tallyfold/platform/system.h"

std::string SharedDataPath;

int ShowError(const std::string& message, int /*stop*/) {
    platform::Notify(message, false);
    throw RuntimeError(message);
}

namespace {
std::string Report(std::string text) {
    platform::Display().CloseGraphics();
    platform::ShowMouse();
    platform::Notify(text, false);
    WriteErrorLog(text);
    return text;
}
}  // namespace

std::string ReportException(const std::exception& error) {
    std::string text = error.what();
    // Plain raised texts already say what they mean; everything else (ShowError,
    // and the runtime's own errors) gets the step it happened in.
    if (dynamic_cast<const RaisedText*>(&error) == nullptr && Checkpoint != 0)
        text = "(" + std::to_string(Checkpoint) + ") " + text;
    return Report(text);
}

std::string ReportUnknownException() {
    std::string text = "Unknown error";
    if (Checkpoint != 0) text = "(" + std::to_string(Checkpoint) + ") " + text;
    return Report(text);
}

void AppendErrorLog(const std::string& message) {
    // Far more than any session writes; a log kept for years must not grow without end.
    constexpr std::size_t MaxLogBytes = 64 * 1024;
    const std::string path = SharedDataPath + "ErrorLog.txt";
    std::string content;
    if (platform::FileType(path) == platform::FILETYPE_FILE) {
        if (auto stream = platform::OpenStream(path, true, false)) {
            const std::int64_t size = stream->Size();
            const std::int64_t keep = std::min<std::int64_t>(size, MaxLogBytes);
            if (keep > 0) {
                stream->Seek(size - keep);
                content.assign(static_cast<std::size_t>(keep), '\0');
                content.resize(stream->Read(content.data(), content.size()));
            }
            stream->Close();
        }
    }
    if (!content.empty() && content.back() != '\n') content += "\r\n";
    content += platform::CurrentDate() + " " + platform::CurrentTime() + ": " + message + "\r\n";
    platform::SaveFileAtomic(path, content);
}

void WriteErrorLog(const std::string& message) {
    std::string content = "Date: " + platform::CurrentDate() + "\r\n" + "Time: " + platform::CurrentTime() + "\r\n" +
                          message + "\r\n";
    // Nothing more can be done when the log cannot be written: the report was shown.
    platform::SaveFileAtomic(SharedDataPath + "ErrorLog.txt", content);
}
