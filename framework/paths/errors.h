#pragma once
// Failures the program cannot survive, and the top-level report of them.
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

// Shows the message, then raises it as a RuntimeError. Every report ends the program.
int ShowError(const std::string& message, int stop);
// The handler around start-up and the loop: closes the graphics, shows the
// pointer, shows the text (checkpoint-prefixed for runtime errors), writes the
// error log. Returns the text it showed.
std::string ReportException(const std::exception& error);
void WriteErrorLog(const std::string& message);
