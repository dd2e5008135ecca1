// The framework settings kept by the game object, and the crash markers.
#include "framework/core/game.h"

int TGame::IniFill() { return 0; }
int TGame::IniExtract() { return 0; }
int TGame::IniUpdate(int /*changed*/) { return 0; }
int TGame::MakeGoodExit() { return 0; }
int TGame::CheckGoodExit() { return 0; }
