// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The puzzle the game plays. The shell owns one model and the core that works on
// it; the screens reach them here instead of through globals of the core.
#include "game/core/model.h"

TPuzzleModel& PlayModel();
TCore& PlayCore();
// A fresh model and core bound to it, as the program starts (tests).
void ResetPlaySession();
