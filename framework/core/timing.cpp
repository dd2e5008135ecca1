// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/core/timing.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "framework/core/game_state.h"
#include "framework/core/globals.h"
#include "framework/core/timing.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/system.h"

namespace {
std::string PadNumber(int value, int width) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}
}  // namespace

int TTrackingVar::Init() {
    Current = 0;
    maximum = 0;
    displayLimit = 999;
    displayLimitChars = static_cast<int>(std::to_string(displayLimit).size());
    return 0;
}

int TTrackingVar::Display(float x, float y) {
    platform::DrawText(GetDisplay(), x, y);
    return 0;
}

std::string TTrackingVar::GetDisplay() {
    return Label + PadNumber(Current, displayLimitChars) + "/" + PadNumber(maximum, displayLimitChars);
}

int TDebugVar::Start() {
    Current = platform::MilliSecs();
    return 0;
}

int TDebugVar::Calc() {
    Current = platform::MilliSecs() - Current;
    if (Current > maximum) maximum = Current;
    if (maximum > displayLimit) maximum = displayLimit;
    return 0;
}

int TFPSCounter::Init() {
    counter = 0;
    framerate = 0;
    time = platform::MilliSecs();
    minimum = 999;
    TTrackingVar::Init();
    return 0;
}

int TFPSCounter::Calc() {
    ++counter;
    int now = platform::MilliSecs();
    if (now - time > 1001) {
        framerate = counter;
        Current = counter;
        counter = 0;
        time = now;
        if (Current > maximum) maximum = Current;
        if (Current < minimum) minimum = Current;
    }
    return 0;
}

std::string TFPSCounter::GetDisplay() {
    return Label + PadNumber(Current, displayLimitChars) + "/" + PadNumber(minimum, displayLimitChars);
}

int TFixedRateLogic::Init() {
    CalcMS();
    LastTime = static_cast<unsigned>(platform::MilliSecs());
    NumTicks = 0;
    LastNumTicks = 1;
    SetDelta(1.0f);
    TTrackingVar::Init();
    First = FirstMax;
    return 0;
}

int TFixedRateLogic::Create() {
    History.assign(std::max(HistorySizeMax, 1), 0);
    return 0;
}

int TFixedRateLogic::CalcMS() {
    int rate = static_cast<int>(Framerate);
    MS = rate > 0 ? 1000.0f / static_cast<float>(rate) : 1000.0f;
    return 0;
}

int TFixedRateLogic::SetThreshold(int ms) {
    Threshold = ms;
    return 0;
}

int TFixedRateLogic::SetHidden(int hidden) {
    hidden = hidden ? 1 : 0;
    if (hidden == Hidden) return 0;
    Hidden = hidden;
    // Frames of another length follow: an average across the change would run
    // the logic fast or slow for the next second.
    HistoryClear();
    return 0;
}

int TFixedRateLogic::Calc() {
    if (GameState() && GameState()->Fast) {
        NumTicks = 1;
        Current = 1;
        return 0;
    }
    if (GameState()) {
        int wx = 0, wy = 0, ww = 0, wh = 0;
        platform::Display().WindowRect(wx, wy, ww, wh);
        if (!GameState()->FullScreen && platform::Display().HasGraphics() &&
            (wx != GameState()->WindowX || wy != GameState()->WindowY)) {
            // The window was dragged: the time the drag took is not made up.
            Init();
            GameState()->SetWindowCoords();
            GameState()->SetClientCoords();
        }
    }
    // The clock is an unsigned 32-bit count that wraps; compare it as such.
    double now = static_cast<unsigned>(platform::MilliSecs());
    if (now < LastTime) {
        NumTicks = LastNumTicks;
    } else {
        TmpMS = now - LastTime;
        if (TmpMS > FrameCap()) TmpMS = FrameCap();
        double value = TmpMS;
        if (First > 0) {
            --First;
        } else {
            if (History.empty()) Create();
            History[HistoryCounter] = static_cast<int>(TmpMS);
            double sum = 0;
            for (int i = 0; i < HistorySize; ++i) sum += History[i];
            double average = sum / HistorySize;
            ++HistoryCounter;
            if (HistorySize < HistorySizeMax) ++HistorySize;
            if (HistoryCounter >= HistorySize) HistoryCounter = 0;
            if (JitterCorrection) {
                value = average;
                if (IgnoreHistoryOnSpeedChange && GameState() && GameState()->VSync &&
                    (TmpMS < average - 1.0 || TmpMS > average + 1.0))
                    value = TmpMS;
            }
        }
        NumTicks = (JitterCorrection ? value : TmpMS) / MS;
    }
    LastTime = now;
    LastNumTicks = NumTicks;
    if (static_cast<int>(NumTicks) > maximum) maximum = static_cast<int>(NumTicks);
    Current = static_cast<int>(NumTicks);
    return 0;
}

int TFixedRateLogic::SetDelta(float delta) {
    FullDelta = delta;
    ::Delta = delta * DeltaMultiplier;
    return 0;
}

int TFixedRateLogic::SetDefaultFramerate(int rate) {
    FramerateDefault = rate;
    Framerate = static_cast<float>(rate);
    return 0;
}

int TFixedRateLogic::HistoryClear() {
    for (int i = 0; i < HistorySize && i < static_cast<int>(History.size()); ++i) History[i] = 0;
    HistorySize = 1;
    HistoryCounter = 0;
    return 0;
}
