#pragma once
// Program-wide values of the framework core.
#include <memory>

class TGame;

extern std::shared_ptr<TGame> Game;
extern int ScreenWidth;
extern int ScreenHeight;
// Fraction of a logic step being run; per-step changes are multiplied by it.
extern float Delta;
// Default screen fade length, ms.
extern int FadeTime;
// Last start-up or progress checkpoint; error reports carry it.
extern int Checkpoint;
// Sync argument of every frame flip.
extern int FlipSync;
extern int StartTime;
