#include "framework/paths/paths.h"

#include "framework/core/game.h"

std::string ReleaseAppFile(const std::string& appFile) { return appFile; }

// Creating the shared data folder and giving it full access.
int TGame::PrepareSharedFolder() { return 0; }

int TGame::SetDefaultPaths() { return 0; }
int TGame::SetSubPath(const std::string& path) {
    SubPath = path;
    return 0;
}
int TGame::SetSubPathWrapper(const std::string& path, int useCorrectPath) {
    UseCorrectPath = useCorrectPath;
    return SetSubPath(path);
}
int TGame::ApplySubPath() { return 0; }
int TGame::SetImagePath(const std::string& path) {
    ImagePath = path;
    return 0;
}
int TGame::SetSoundPath(const std::string& path) {
    SoundPath = path;
    return 0;
}
int TGame::SetMusicPath(const std::string& path) {
    MusicPath = path;
    return 0;
}
int TGame::SetSpeechPath(const std::string& path) {
    SpeechPath = path;
    return 0;
}
int TGame::SetMenuPath(const std::string& path) {
    MenuPath = path;
    return 0;
}
int TGame::SetProfilePath(const std::string& path) {
    ProfilePath = path;
    return 0;
}
int TGame::SetTextPath(const std::string& path) {
    TextPath = path;
    return 0;
}
int TGame::SetLevelsPath(const std::string& path) {
    LevelsPath = path;
    return 0;
}
