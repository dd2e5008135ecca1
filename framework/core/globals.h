// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Program-wide values of the framework core.
#include <memory>
#include <string>

class TGame;
class TPakFileManager;
namespace platform {
class ImageFont;
}

extern std::shared_ptr<TGame> Game;
extern int ScreenWidth;
extern int ScreenHeight;
// Fraction of a logic step being run; per-step changes are multiplied by it.
extern float Delta;
// Default screen fade length, ms.
extern int FadeTime;
// Sync argument of every frame flip.
extern int FlipSync;
extern int StartTime;

// The archive manager over the resources folder, and that folder.
extern std::shared_ptr<TPakFileManager> PakManager;
extern std::string ResourcePath;
// The archive's TrueType font rendered at six sizes, smoothed.
extern std::shared_ptr<platform::ImageFont> Font12, Font16, Font18, Font20, Font25, Font34;

class TGameText;
class TIniFile;
// The text table every player-facing text comes from.
extern std::shared_ptr<TGameText> GameText;
// The game's own settings file (the framework's is Game->Ini).
extern std::shared_ptr<TIniFile> GameIni;
