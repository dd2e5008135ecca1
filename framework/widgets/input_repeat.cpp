// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/input_repeat.h"

#include "framework/core/game_state.h"
#include "framework/core/input.h"
#include "framework/widgets/pointer.h"

namespace {
float Steps(int ms) { return GameState()->CalcAnimLength(static_cast<float>(ms)); }
}  // namespace

void TKeyRepeat::ClearDelays() {
    InitialDelayCounter = 0;
    DelayCounter = 0;
}

std::shared_ptr<TKeyRepeat> TKeyRepeat::Create(int initialDelayMs, int repeatDelayMs) {
    auto result = std::make_shared<TKeyRepeat>();
    result->InitialDelayLength = initialDelayMs;
    result->DelayLength = repeatDelayMs;
    return result;
}

int TKeyRepeat::Held() {
    int result = 0;
    if (!LastState) {
        InitialDelayCounter = Steps(InitialDelayLength);
        result = 1;
    } else if (InitialDelayCounter > 0) {
        InitialDelayCounter -= Delta;
        if (!(InitialDelayCounter > 0)) {
            InitialDelayCounter = 0;
            DelayCounter = static_cast<int>(Steps(DelayLength));
            result = 1;
        }
    } else {
        // A counter that is not running (no initial delay, or no repeat
        // interval) repeats now instead of never.
        if (DelayCounter > 0) DelayCounter = static_cast<int>(static_cast<float>(DelayCounter) - Delta);
        if (DelayCounter <= 0) {
            DelayCounter = static_cast<int>(Steps(DelayLength));
            result = 1;
        }
    }
    LastState = 1;
    return result;
}

int TKeyRepeat::GetKey(int keyCode) {
    if (!KeyDown(keyCode)) {
        ClearDelays();
        LastState = 0;
        return 0;
    }
    return Held();
}

std::shared_ptr<TMouseRepeat> TMouseRepeat::Create(int initialDelayMs, int repeatDelayMs) {
    auto result = std::make_shared<TMouseRepeat>();
    result->InitialDelayLength = initialDelayMs;
    result->DelayLength = repeatDelayMs;
    return result;
}

int TMouseRepeat::GetButton() {
    if (!GameState()->Mouse || !GameState()->Mouse->GetMb()) {
        ClearDelays();
        LastState = 0;
        return 0;
    }
    const bool fresh = !LastState;
    const int result = Held();
    return result && !fresh ? 2 : result;
}
