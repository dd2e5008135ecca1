// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/paths/errors.h"

#include <algorithm>
#include <cstdint>

#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/stream.h"
#include "tallyfold/platform/system.h"

TSharedData SharedData;

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

std::string ReportException(const std::exception& error) { return Report(error.what()); }

std::string ReportUnknownException() { return Report("Unknown error"); }

namespace {
// Far more than any session writes; a log kept for years must not grow without end.
constexpr std::size_t MaxLogBytes = 64 * 1024;

// The log with text added at its end, its oldest part dropped beyond the bound.
void AddToErrorLog(const std::string& text) {
    if (!SharedData.SavingOff.empty()) return;
    const std::string path = SharedData.Folder + "ErrorLog.txt";
    std::string content;
    if (platform::IsPlainFile(path)) {
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
    if (content.size() + text.size() > MaxLogBytes) {
        // Whole lines only: the cut never leaves half a report at the top.
        const std::size_t cut = content.size() + text.size() - MaxLogBytes;
        const std::size_t lf = content.find('\n', cut);
        content.erase(0, lf == std::string::npos ? content.size() : lf + 1);
    }
    if (!content.empty() && content.back() != '\n') content += "\r\n";
    content += text;
    // Nothing more can be done when the log cannot be written: the problem was shown.
    platform::SaveFileAtomic(path, content);
}

}  // namespace

void AppendErrorLog(const std::string& message) {
    AddToErrorLog(platform::CurrentDate() + " " + platform::CurrentTime() + ": " + message + "\r\n");
}

void WriteErrorLog(const std::string& message) {
    AddToErrorLog("Date: " + platform::CurrentDate() + "\r\n" + "Time: " + platform::CurrentTime() + "\r\n" + message +
                  "\r\n");
}
