// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/paths/paths.h"

#include <cerrno>
#include <vector>

#include "framework/core/game.h"
#include "framework/paths/errors.h"
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
    if (SharedFolderPrepared) return 0;
    SharedFolderPrepared = 1;
    std::string problem;
    if (platform::FileType(SubPath) != platform::FILETYPE_DIR) {
        // Only the folders made here are set to 0700; a folder that exists (or
        // a link to one, a folder shared on purpose) keeps the mode its owner gave it.
        if (!platform::CreateDir(SubPath, true)) {
            // CreateDir stops at the first mkdir that fails, so errno still tells why.
            problem = platform::FileErrorText(errno);
        }
    }
    if (problem.empty() && !platform::ProbeWritable(SubPath, &problem) && problem.empty()) problem = "unknown error";
    if (!problem.empty()) {
        // The game can be played without its folder; it only cannot keep anything.
        SharedData.SavingOff = problem;
        platform::Notify("Tallyfold cannot save anything this time, since its data folder " + SubPath + " " +
                             (platform::FileType(SubPath) == platform::FILETYPE_DIR ? "cannot be written"
                                                                                     : "cannot be made") +
                             ": " + problem + ". You can play, but settings, best times and puzzles will not be kept.",
                         false);
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
    if (UseCorrectPath)
        PrepareSharedFolder();
    else if (!folder.empty() && platform::FileType(folder) != platform::FILETYPE_DIR)
        platform::CreateDir(folder, true);
    // A copy that writes nothing cannot spoil another's files, nor they its:
    // not even the lock file is made then.
    if (!SharedData.SavingOff.empty()) return 1;
    std::string reason;
    switch (platform::AcquireInstanceLock(InstanceLockPath(), &reason)) {
        case platform::InstanceLock::Busy:
            return 0;
        case platform::InstanceLock::Unusable:
            // Running without the lock would let a second copy write over this
            // one's files; better not to run until the name is free again.
            LockProblem = "Tallyfold cannot start: its lock file " + platform::RealPath(InstanceLockPath()) +
                          " cannot be used (" + reason + "). Remove it, then start the game again.";
            return -1;
        case platform::InstanceLock::Unwritable:
            // Nothing can be written there, by this copy or any other.
            SharedData.SavingOff = reason;
            platform::Notify("Tallyfold cannot save anything this time, since its lock file " +
                                 platform::RealPath(InstanceLockPath()) + " cannot be made: " + reason +
                                 ". You can play, but settings, best times and puzzles will not be kept.",
                             false);
            return 1;
        case platform::InstanceLock::Held:
            break;
    }
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
    SetMenuPath(data + "menus");
    SetTextPath(data + "text");
    SetProfilePath(UseCorrectPath ? std::string("profiles") : data + "profiles");
    return 0;
}

int TGame::SetSubPath(const std::string& path) {
    SubPath = path.empty() ? std::string() : EnsureTrailingSlash(path);
    if (UseCorrectPath == 1) {
        SubPath = SpecialFolderPath(CSIDL_COMMON_APPDATA) + SubPath;
        ApplySubPath();
    }
    SharedData.Folder = SubPath;
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
