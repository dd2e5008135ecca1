#include "framework/paths/errors.h"

#include "framework/core/globals.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/stream.h"
#include "tallyfold/platform/system.h"

std::string SharedDataPath;

int ShowError(const std::string& message, int /*stop*/) {
    platform::Notify(message, false);
    throw RuntimeError(message);
}

std::string ReportException(const std::exception& error) {
    platform::Display().CloseGraphics();
    platform::ShowMouse();
    std::string text = error.what();
    if (dynamic_cast<const RaisedText*>(&error) == nullptr && Checkpoint != 0)
        text = "(" + std::to_string(Checkpoint) + ") " + text;
    platform::Notify(text, false);
    WriteErrorLog(text);
    return text;
}

void WriteErrorLog(const std::string& message) {
    std::string content = "Date: " + platform::CurrentDate() + "\r\n" + "Time: " + platform::CurrentTime() + "\r\n" +
                          message + "\r\n";
    platform::SaveFileAtomic(SharedDataPath + "ErrorLog.txt", content);
}
