// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Failures the program cannot survive, the top-level report of them, the error
// log and the game's own blocking message box.
#include <exception>
#include <stdexcept>
#include <string>

// Raised by ShowError and by the framework; the top-level report prefixes the checkpoint.
class RuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A plain raised text (archive reader, settings save): reported unchanged.
class RaisedText : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Folder that receives the error log; "" (the current folder) until the paths are set.
extern std::string SharedDataPath;

// Shows the message, then raises it as a RuntimeError. Every report ends the
// program; stop is kept for callers that say whether they could go on.
int ShowError(const std::string& message, int stop);
// The handler around start-up and the loop: closes the graphics, shows the
// pointer, shows the text (checkpoint-prefixed for runtime errors), writes the
// error log. Returns the text it showed.
std::string ReportException(const std::exception& error);
// Same for something thrown that is not a std::exception.
std::string ReportUnknownException();
// Replaces ErrorLog.txt in the shared data folder with this one report.
void WriteErrorLog(const std::string& message);
// Adds a dated line to ErrorLog.txt for a problem the game got over by itself,
// keeping what the log already holds (its newest part, when it grew large).
void AppendErrorLog(const std::string& message);

// A message drawn by the game itself in a box of width x height centred on the
// screen; waits for a key or a mouse click. A close request (window close box,
// SIGTERM) also ends the wait, and is left for the main loop to act on. Without
// a display the platform's message box is used instead.
void ShowMessageBox(const std::string& message, int width, int height);
