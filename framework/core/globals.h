// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Program-wide values of the framework core: the game object, and through the
// headers below the state it shares and the resources.
#include <memory>

#include "framework/core/game_state.h"
#include "framework/core/resources.h"

class TGame;

extern std::shared_ptr<TGame> Game;
