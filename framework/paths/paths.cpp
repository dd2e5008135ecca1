// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/paths/paths.h"

#include <cerrno>
#include <vector>

#include "framework/core/game.h"
#include "framework/paths/errors.h"
#include "framework/util/strings.h"
#include "framework/util/sysinfo.h"
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
    if (reason == "the disk is full") text += " Free some space on the disk, then try again.";
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

int TGame::PrepareSharedFolder() {
    Checkpoint = 1001;
    if (platform::FileType(SubPath) != platform::FILETYPE_DIR) {
        Checkpoint = 1002;
        if (!platform::CreateDir(SubPath, true)) {
            // CreateDir stops at the first mkdir that fails, so errno still tells why.
            const int error = errno;
            ShowError("Cannot create shared data folder " + SubPath + ": " + platform::FileErrorText(error) + ".", 1);
        }
    }
    Checkpoint = 1003;
    std::string os = OSName();
    if (os == "Windows 95" || os == "Windows 98" || os == "Windows ME") return 0;

    // The game's folder and each parent up to, not including, the common folder.
    Checkpoint = 1004;
    std::string stop = EnsureTrailingSlash(SpecialFolderPath(CSIDL_COMMON_APPDATA));
    std::string p = SubPath;
    while (!p.empty() && p != stop) {
        // Never reach above the common folder, whatever shape its path has.
        if (p.size() < stop.size() && stop.compare(0, p.size(), p) == 0) break;
        std::string reason;
        if (!GiveFolderFullAccess(p, &reason))
            ShowError("Cannot give shared data folder full access! " + p + ": " + reason + ".", 1);
        std::string rest = p.substr(0, p.size() - 1);
        auto slash = rest.rfind('/');
        if (slash == std::string::npos) break;
        p = rest.substr(0, slash + 1);
    }
    return 0;
}

std::string TGame::InstanceLockPath() const {
    return (UseCorrectPath ? SubPath : DataPrefix + DataFolder) + InstanceLockName;
}

int TGame::LockSharedFolder() {
    const std::string folder = UseCorrectPath ? SubPath : DataPrefix + DataFolder;
    // The lock lives in the folder it guards, so that two copies meet whatever
    // their runtime folders, and nobody else can hold it for us.
    if (!folder.empty() && platform::FileType(folder) != platform::FILETYPE_DIR) platform::CreateDir(folder, true);
    if (!platform::AcquireInstanceLock(InstanceLockPath())) return 0;
    // No other copy writes here now: what a kill in the middle of a save left
    // behind is ours to clear.
    const std::vector<std::string> ours = {"ini", "dat", "txt", "sav"};
    platform::RemoveStaleTempFiles(folder, ours);
    platform::RemoveStaleTempFiles(ProfilePath, ours);
    return 1;
}

int TGame::SetDefaultPaths() {
    const std::string data = DataPrefix + DataFolder;
    SetImagePath(data + "graphics");
    SetSoundPath(data + "sound");
    SetMusicPath(data + "music");
    SetSpeechPath(data + "speech");
    SetMenuPath(data + "menus");
    SetTextPath(data + "text");
    SetLevelsPath(data + "levels");
    SetProfilePath(UseCorrectPath ? std::string("profiles") : data + "profiles");
    return 0;
}

int TGame::SetSubPath(const std::string& path) {
    SubPath = path.empty() ? std::string() : EnsureTrailingSlash(path);
    if (UseCorrectPath == 1) {
        SubPath = SpecialFolderPath(CSIDL_COMMON_APPDATA) + SubPath;
        ApplySubPath();
    }
    SharedDataPath = SubPath;
    return 0;
}

int TGame::SetSubPathWrapper(const std::string& path, int /*ignored*/) {
    SetDefaultPaths();
    return SetSubPath(path);
}

int TGame::ApplySubPath() { return SetProfilePath(SubPath + ProfilePath); }

int TGame::SetImagePath(const std::string& path) {
    ImagePath = EnsureTrailingSlash(path);
    return 0;
}
int TGame::SetSoundPath(const std::string& path) {
    SoundPath = EnsureTrailingSlash(path);
    return 0;
}
int TGame::SetMusicPath(const std::string& path) {
    MusicPath = EnsureTrailingSlash(path);
    return 0;
}
int TGame::SetSpeechPath(const std::string& path) {
    SpeechPath = EnsureTrailingSlash(path);
    return 0;
}
int TGame::SetMenuPath(const std::string& path) {
    MenuPath = EnsureTrailingSlash(path);
    return 0;
}
int TGame::SetProfilePath(const std::string& path) {
    ProfilePath = EnsureTrailingSlash(path);
    return 0;
}
int TGame::SetTextPath(const std::string& path) {
    TextPath = EnsureTrailingSlash(path);
    return 0;
}
int TGame::SetLevelsPath(const std::string& path) {
    LevelsPath = EnsureTrailingSlash(path);
    return 0;
}
