// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Program-wide values of the framework core.
#include <memory>

#include "framework/core/resources.h"

class TGame;

extern std::shared_ptr<TGame> Game;
// The logical screen every position is given in.
inline constexpr int ScreenWidth = 800;
inline constexpr int ScreenHeight = 600;
// Fraction of a logic step being run; per-step changes are multiplied by it.
extern float Delta;
// Default screen fade length, ms.
inline constexpr int FadeTime = 500;
