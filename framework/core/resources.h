// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program-wide resources: archives, fonts, texts, settings, pictures, sounds.
#include <functional>
#include <memory>
#include <string>

class TPakFileManager;
namespace platform {
class ImageFont;
}
class TGameText;
class TIniFile;
class TImageBank;
class TSoundBank;

// What the game loads once and every screen draws from or plays.
struct TResources {
    // The archive manager over the resources folder, and that folder.
    std::shared_ptr<TPakFileManager> PakManager;
    std::string ResourcePath;
    // The archive's TrueType font rendered at six sizes, smoothed.
    std::shared_ptr<platform::ImageFont> Font12, Font16, Font18, Font20, Font25, Font34;
    // The same font at any other pixel size (a board whose cells grow with the
    // room), rendered on first use and kept; unset before the fonts are made.
    std::function<std::shared_ptr<platform::ImageFont>(int size)> FontOfSize;
    // The text table every player-facing text comes from.
    std::shared_ptr<TGameText> GameText;
    // The game's own settings file (the framework's is Game->Settings->Ini).
    std::shared_ptr<TIniFile> GameIni;
    // Pictures and sounds by upper-cased name.
    std::shared_ptr<TImageBank> ImageBank;
    std::shared_ptr<TSoundBank> SoundBank;
};
extern TResources Resources;
