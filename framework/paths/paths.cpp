// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/paths/paths.h"

#include <cerrno>
#include <vector>

#include "framework/util/strings.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/system.h"

std::string SpecialFolderPath(int id) {
    if (id != CSIDL_COMMON_APPDATA) return "";
    std::string folder = platform::AppDataFolder();
    return folder.empty() ? folder : EnsureTrailingSlash(folder);
}

int GiveFolderFullAccess(const std::string& path, std::string* reason) {
    return platform::GiveOwnerFullAccess(path, reason) ? 1 : 0;
}

std::string FileFaultText(const std::string& path, const std::string& reason) {
    std::string text = path;
    if (reason.empty()) return text;
    text += ": " + reason + ".";
    if (reason == "the disk is full")
        text += " Free some space on the disk, then try again.";
    else if (reason == "the disk is read-only" || reason == "permission denied")
        text += " The folder " + platform::ExtractDir(path) + "/ must be writable by you.";
    return text;
}

std::string ReleaseAppFile(const std::string& appFile) {
    static const std::string infix = ".debug";
    auto endsWith = [](const std::string& text, const std::string& tail) {
        return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    };
    // A debug build is named like the release one with ".debug" in front of the
    // extension (or, without an extension, at the end). The dot is required so
    // that a program that merely ends in "debug" keeps its name.
    std::string name = platform::StripDir(appFile);
    if (endsWith(name, infix) && name.size() > infix.size()) return appFile.substr(0, appFile.size() - infix.size());
    std::string ext = platform::ExtractExt(name);
    if (!ext.empty()) {
        std::string stem = name.substr(0, name.size() - ext.size() - 1);
        if (endsWith(stem, infix) && stem.size() > infix.size()) {
            std::string folder = appFile.substr(0, appFile.size() - name.size());
            return folder + stem.substr(0, stem.size() - infix.size()) + "." + ext;
        }
    }
    return appFile;
}

std::string ReleaseAppFile() { return ReleaseAppFile(platform::AppFile()); }

std::string FindDataFolder(const std::string& programFolder, const std::string& installedFromProgram) {
    if (programFolder.empty()) return "data/";
    const std::string beside = EnsureTrailingSlash(programFolder) + "data/";
    // The layout the build was configured for, then the plain one (a program in
    // bin/ or games/ beside share/), so a moved tree still finds its data.
    std::vector<std::string> folders = {beside};
    for (const std::string& relative : {installedFromProgram, std::string("../share/tallyfold")})
        if (!relative.empty())
            folders.push_back(EnsureTrailingSlash(platform::RealPath(programFolder + "/" + relative)));
    for (const std::string& folder : folders)
        if (platform::FileType(folder) == platform::FILETYPE_DIR) return folder;
    return beside;
}

std::string SettingsFileName(int useCorrectPath, const std::string& subPath) {
    std::string program = ReleaseAppFile();
    return useCorrectPath ? subPath + platform::StripAll(program) : platform::StripExt(program);
}
