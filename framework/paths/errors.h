// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Failures the program cannot survive, the top-level report of them, the error
// log and the game's own blocking message box.
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

// Raised by ShowError and by the framework for failures the program cannot survive.
class RuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A plain raised text (archive reader, settings save): reported unchanged.
class RaisedText : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Shows the message, then raises it as a RuntimeError. Every report ends the
// program; stop is kept for callers that say whether they could go on.
int ShowError(const std::string& message, int stop);
// The handler around start-up and the loop: closes the graphics, shows the
// pointer, shows the error's text, writes the error log. Returns the text it showed.
std::string ReportException(const std::exception& error);
// Same for something thrown that is not a std::exception.
std::string ReportUnknownException();
// Adds this report to ErrorLog.txt in the shared data folder, after what the
// log already holds (its newest part, when it grew large).
void WriteErrorLog(const std::string& message);
// Adds a dated line to ErrorLog.txt for a problem the game got over by itself,
// keeping what the log already holds (its newest part, when it grew large).
void AppendErrorLog(const std::string& message);

// A message drawn by the game itself in a box of width x height centred on the
// screen; waits for a key or a mouse click. A close request (window close box,
// SIGTERM) also ends the wait, and is left for the main loop to act on. Without
// a display the platform's message box is used instead.
void ShowMessageBox(const std::string& message, int width, int height);

struct TSharedData {
    // Folder that receives the error log; "" (the current folder) until the paths are set.
    std::string Folder;
    // Why nothing is written this session (the data folder could not be made, or
    // was read-only or full at start); "" while files are written as usual.
    std::string SavingOff;
    // A message for the player that does not stop the game. Tests and the game may
    // replace how it is shown; by default the framework's message box.
    std::function<void(const std::string& message)> NoticeHook;
};
extern TSharedData SharedData;
void PlayerNotice(const std::string& message);

// Writes a file of the shared data folder as a whole (temporary file, then
// rename), so a failure leaves the file as it was. 1 written. 0 not: always
// while SavingOff is set; otherwise the failure goes to the error log (once
// for a file until it is written again) and,
// unless quiet (the caller tells the player itself), the player is told, once
// until a write succeeds again. reason says why.
int WriteSharedFile(const std::string& path, const std::string& bytes, std::string* reason = nullptr,
                    bool quiet = false);
// Tells of a file that could not be written, as WriteSharedFile does.
void ReportWriteFault(const std::string& path, const std::string& reason, bool quiet = false);
// A new session: files are written again and the next failure is told.
void ResetWriteFaults();
