// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fixed-rate logic timer and the small millisecond counters of the debug panel.
#include <algorithm>
#include <string>
#include <vector>

class TTrackingVar {
public:
    virtual ~TTrackingVar() = default;
    int Current = 0;
    int maximum = 0;
    int displayLimit = 999;
    int displayLimitChars = 3;
    std::string Label;

    virtual int Init();
    int Display(float x, float y);
    virtual std::string GetDisplay();
};

class TDebugVar : public TTrackingVar {
public:
    int Start();
    int Calc();
};

class TFPSCounter : public TTrackingVar {
public:
    int counter = 0;
    int time = 0;
    int framerate = 0;
    int minimum = 999;

    int Init() override;
    int Calc();
    std::string GetDisplay() override;
};

class TFixedRateLogic : public TTrackingVar {
public:
    int FramerateDefault = 200;
    float Framerate = 200.0f;
    double LastTime = 0;
    double TmpMS = 0;
    double NumTicks = 0;
    double LastNumTicks = 0;
    float MS = 0;
    float DeltaMultiplier = 1.0f;
    float FullDelta = 0;
    int Threshold = 50;
    int JitterCorrection = 1;
    int HistorySize = 1;
    int HistorySizeMax = 50;
    std::vector<int> History;
    int HistoryCounter = 0;
    int First = 0;
    int FirstMax = 5;
    int IgnoreHistoryOnSpeedChange = 1;
    // Nobody watches a hidden window: its logic runs in rarer batches, and a
    // frame may then count up to this many milliseconds.
    int HiddenThreshold = 250;
    int Hidden = 0;

    int Init() override;
    int Create();
    int CalcMS();
    int SetThreshold(int ms);
    int SetHidden(int hidden);
    // The most time one frame counts for, hidden or not.
    int FrameCap() const { return Hidden ? std::max(Threshold, HiddenThreshold) : Threshold; }
    int Calc();
    int SetDelta(float delta);
    int SetDefaultFramerate(int rate);
    int HistoryClear();
};
