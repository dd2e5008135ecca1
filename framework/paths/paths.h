// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Paths of the program file, the common application-data folder and the
// shared data folder below it.
#include <string>

// CSIDL number of the common application-data folder, the only one asked for.
constexpr int CSIDL_COMMON_APPDATA = 35;

// The folder with that number, ending in "/", or "" when it cannot be resolved.
// Only the common application-data folder exists here ($XDG_DATA_HOME, else
// ~/.local/share).
std::string SpecialFolderPath(int id);
// Lets the folder's owner read, write and enter it; nobody else gains rights
// and others lose the right to write. 1 on success; reason says why not.
int GiveFolderFullAccess(const std::string& path, std::string* reason = nullptr);

// The program file's path with a debug build's ".debug" infix removed, so debug
// and release builds share one settings file: "x/Tallyfold.debug.exe" gives
// "x/Tallyfold.exe", "x/tallyfold.debug" gives "x/tallyfold".
std::string ReleaseAppFile(const std::string& appFile);
std::string ReleaseAppFile();

// The game's data tree, ending in "/": "data/" beside the program (a build
// tree or a copy carried around with its data), else "../share/tallyfold/"
// from the program's folder (an installed game) or `installedFromProgram`,
// the path the build was configured to install the data at. The first that
// exists wins. With none, the place beside the program, so that what is
// missing is named there; with no program folder at all, "data/" in the
// current folder.
#ifndef TALLYFOLD_DATA_FROM_PROGRAM
#define TALLYFOLD_DATA_FROM_PROGRAM "../share/tallyfold"
#endif
std::string FindDataFolder(const std::string& programFolder,
                           const std::string& installedFromProgram = TALLYFOLD_DATA_FROM_PROGRAM);

// The framework settings file without ".ini": in the shared data folder under
// the program's name, or beside the program when the shared folder is not used.
std::string SettingsFileName(int useCorrectPath, const std::string& subPath);

// The lock file that keeps a second copy of the game off one data folder.
inline constexpr const char* InstanceLockName = "tallyfold.lock";
// What a failed save of a file tells the player: the file, what went wrong and
// what to do about it ("... the disk is full. Free some space ...").
std::string FileFaultText(const std::string& path, const std::string& reason);
