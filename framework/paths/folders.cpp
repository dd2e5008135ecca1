// SPDX-License-Identifier: GPL-3.0-or-later
// The game's folders: the shared data folder with its lock, and the data
// folders below the program's data tree.
#include <cerrno>
#include <vector>

#include "framework/paths/folders.h"

#include "framework/core/game_state.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/util/strings.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/system.h"

int TPaths::PrepareSharedFolder() {
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
        platform::Notify(
            "Tallyfold cannot save anything this time, since its data folder " + SubPath + " " +
                (platform::FileType(SubPath) == platform::FILETYPE_DIR ? "cannot be written" : "cannot be made") +
                ": " + problem + ". You can play, but settings, best times and puzzles will not be kept.",
            false);
    }
    return 0;
}

std::string TPaths::InstanceLockPath() const {
    return (UseCorrectPath ? SubPath : DataPrefix + DataFolder) + InstanceLockName;
}

int TPaths::LockSharedFolder() {
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
    platform::RemoveStaleTempFiles(State.ProfilePath, ours);
    return 1;
}

int TPaths::SetDefaultPaths() {
    const std::string data = DataPrefix + DataFolder;
    SetImagePath(data + "graphics");
    SetSoundPath(data + "sound");
    SetMusicPath(data + "music");
    SetMenuPath(data + "menus");
    SetTextPath(data + "text");
    SetProfilePath(UseCorrectPath ? std::string("profiles") : data + "profiles");
    return 0;
}

int TPaths::SetSubPath(const std::string& path) {
    SubPath = path.empty() ? std::string() : EnsureTrailingSlash(path);
    if (UseCorrectPath == 1) {
        SubPath = SpecialFolderPath(CSIDL_COMMON_APPDATA) + SubPath;
        ApplySubPath();
    }
    SharedData.Folder = SubPath;
    return 0;
}

int TPaths::SetSubPathWrapper(const std::string& path, int /*ignored*/) {
    SetDefaultPaths();
    return SetSubPath(path);
}

int TPaths::ApplySubPath() { return SetProfilePath(SubPath + State.ProfilePath); }

int TPaths::SetImagePath(const std::string& path) {
    State.ImagePath = EnsureTrailingSlash(path);
    return 0;
}
int TPaths::SetSoundPath(const std::string& path) {
    State.SoundPath = EnsureTrailingSlash(path);
    return 0;
}
int TPaths::SetMusicPath(const std::string& path) {
    State.MusicPath = EnsureTrailingSlash(path);
    return 0;
}
int TPaths::SetMenuPath(const std::string& path) {
    State.MenuPath = EnsureTrailingSlash(path);
    return 0;
}
int TPaths::SetProfilePath(const std::string& path) {
    State.ProfilePath = EnsureTrailingSlash(path);
    return 0;
}
int TPaths::SetTextPath(const std::string& path) {
    State.TextPath = EnsureTrailingSlash(path);
    return 0;
}
