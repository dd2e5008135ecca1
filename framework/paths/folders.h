// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's folders: the shared data folder with its lock, and the data
// folders below the program's data tree. The game object owns one.
#include <string>

class TGameState;

class TPaths {
public:
    // The folders it sets (ImagePath, ProfilePath, ...) are kept in the shared
    // state, where widgets and screens read them.
    explicit TPaths(TGameState& state) : State(state) {}

    int UseCorrectPath = 1;
    std::string SubPath = "MossbrookGames/My Game/";
    std::string DataPrefix;
    // The data tree below DataPrefix: "data/" beside the program, or the
    // installed share folder that start-up finds (FindDataFolder).
    std::string DataFolder = "data/";

    int SetDefaultPaths();
    int SetSubPath(const std::string& path);
    int SetSubPathWrapper(const std::string& path, int useCorrectPath);
    int ApplySubPath();
    int SetImagePath(const std::string& path);
    int SetSoundPath(const std::string& path);
    int SetMusicPath(const std::string& path);
    int SetMenuPath(const std::string& path);
    int SetProfilePath(const std::string& path);
    int SetTextPath(const std::string& path);

    // Takes the data folder's single-instance lock (preparing the folder first)
    // and clears what an interrupted save left there. 1 held, or nothing can be
    // written there at all (SharedData.SavingOff says why); 0 when another copy of the game
    // holds it; -1 when something that cannot be a lock stands under its name
    // (LockProblem says what, for the player).
    int LockSharedFolder();
    std::string LockProblem;
    std::string InstanceLockPath() const;
    // Creates the shared data folder when it is missing (only what it creates
    // is set to 0700) and finds out whether it can be written; when not, the
    // player is told and SharedData.SavingOff set. Once per run.
    int PrepareSharedFolder();

private:
    TGameState& State;
    int SharedFolderPrepared = 0;
};
