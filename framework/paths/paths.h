#pragma once
// Paths of the program file and the shared data folder.
#include <string>

// The program file's path with a debug build's "debug" infix removed, so debug
// and release builds share one settings file.
std::string ReleaseAppFile(const std::string& appFile);
