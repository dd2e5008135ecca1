// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Frame selection from a step counter, and the phase timer that drives fades,
// slides and other timed effects.
#include <array>
#include <memory>

// The frame for a counter running over length steps: counting up from frame 0
// when up is non-zero, down from frame 0 otherwise; always within 0..frames-1.
int CalcAnimFrame(float counter, int length, int frames, int up);

class TAnimation {
public:
    static constexpr int MAX_PHASES = 50;

    virtual ~TAnimation() = default;

    int Active = 0;
    // Passes before it finishes; 0 or less means no limit.
    int LoopTotal = 0;
    float Counter = 0;
    int CurrentPhase = 0;
    int Finished = 0;
    int TotalPhases = 1;
    // Repeat after the last phase.
    int Cycle = 0;
    // 1 forwards through the phases, 0 backwards.
    int Direction = 1;
    // Phase lengths in steps.
    std::array<float, MAX_PHASES> Length{};
    // Stay on the last phase when finished.
    int LeaveActive = 0;
    int PingPong = 0;
    // The counter runs upwards.
    int Reverse = 0;
    int OriginalReverse = 0;
    // Passes done.
    int LoopCount = 0;

    // Phases past MAX_PHASES are ignored.
    virtual int AddPhase(int lengthMs);
    static std::shared_ptr<TAnimation> Create(int lengthMs, int leaveActive, int reverse, int cycle, int pingPong);
    virtual int Clear();
    // 1 when the whole animation ended.
    virtual int EndAnim();
    virtual int GetAnimFrame(int frames);
    virtual int GetAnimFrameProper(int frames);
    // Counter over the current phase's length; 0 for a phase of no length.
    virtual float GetRatio();
    virtual float GetRatioSine();
    virtual float GetRatioSine180();
    virtual float GetRatioInv();
    virtual float GetRatioInvSine();
    virtual float GetRatioInvSine180();
    // Start must follow: Active and Counter are left alone.
    virtual int Init(int lengthMs, int leaveActive, int reverse, int cycle, int pingPong);
    virtual int InsertPhase(int lengthMs, int index);
    // 1 when a phase ended in this step (Finished tells whether it was the last).
    virtual int Manage();
    virtual int Reset();
    virtual int Start();
    virtual int Stop();

protected:
    float PhaseLength(int phase) const;
};
