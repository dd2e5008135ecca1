// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/animation.h"

#include <cmath>

#include "framework/core/game_state.h"

namespace {
constexpr float kPi = 3.14159265358979f;
float SinDeg(float degrees) { return std::sin(degrees * kPi / 180.0f); }
}  // namespace

int CalcAnimFrame(float counter, int length, int frames, int up) {
    if (frames <= 0) return 0;
    // A zero length means the counter is already at its end.
    float r = length > 0 ? counter / static_cast<float>(length) : 1.0f;
    float v = static_cast<float>(frames) * (up ? r : 1.0f - r);
    if (!(v >= 0)) return 0;  // negative or NaN
    if (v >= static_cast<float>(frames)) return frames - 1;
    return static_cast<int>(std::floor(v));
}

float TAnimation::PhaseLength(int phase) const {
    return phase >= 0 && phase < MAX_PHASES ? Length[static_cast<size_t>(phase)] : 0.0f;
}

int TAnimation::AddPhase(int lengthMs) {
    if (TotalPhases >= MAX_PHASES) return 0;
    Length[static_cast<size_t>(TotalPhases)] = GameState()->CalcAnimLength(static_cast<float>(lengthMs));
    ++TotalPhases;
    return 0;
}

std::shared_ptr<TAnimation> TAnimation::Create(int lengthMs, int leaveActive, int reverse, int cycle, int pingPong) {
    auto result = std::make_shared<TAnimation>();
    result->Init(lengthMs, leaveActive, reverse, cycle, pingPong);
    return result;
}

int TAnimation::Clear() {
    Active = LoopTotal = 0;
    Counter = 0;
    CurrentPhase = Finished = 0;
    TotalPhases = 1;
    Cycle = 0;
    Direction = 1;
    LeaveActive = PingPong = Reverse = OriginalReverse = LoopCount = 0;
    return 0;
}

int TAnimation::EndAnim() {
    CurrentPhase += Direction == 1 ? 1 : -1;
    bool passDone = (Direction == 1 && CurrentPhase >= TotalPhases) || (Direction != 1 && CurrentPhase <= -1);
    if (passDone) {
        ++LoopCount;
        bool goOn = Cycle && !(LoopTotal > 0 && LoopCount >= LoopTotal);
        if (goOn && PingPong) {
            if (Direction == 1) {
                Counter = -Counter;
                Reverse = 1;
                Direction = 0;
                CurrentPhase = TotalPhases - 1;
            } else {
                Counter = PhaseLength(0) - (Counter - PhaseLength(0));
                Reverse = 0;
                Direction = 1;
                CurrentPhase = 0;
            }
            return 0;
        }
        if (goOn) {
            CurrentPhase = 0;
        } else {
            Finished = 1;
            if (LeaveActive) {
                CurrentPhase = TotalPhases - 1;
                Counter = Reverse ? PhaseLength(CurrentPhase) : 0.0f;
            } else {
                Counter = 0;
                CurrentPhase = 0;
                Active = 0;
            }
            return 1;
        }
    }
    Counter = Reverse ? 0.0f : PhaseLength(CurrentPhase);
    return 0;
}

int TAnimation::GetAnimFrame(int frames) {
    return CalcAnimFrame(Counter, static_cast<int>(PhaseLength(CurrentPhase)), frames, Reverse);
}

int TAnimation::GetAnimFrameProper(int frames) {
    int frame = GetAnimFrame(frames);
    return Reverse ? frames - 1 - frame : frame;
}

float TAnimation::GetRatio() {
    float length = PhaseLength(CurrentPhase);
    return length > 0 ? Counter / length : 0.0f;
}

float TAnimation::GetRatioInv() { return 1.0f - GetRatio(); }
float TAnimation::GetRatioSine() { return SinDeg(GetRatio() * 90.0f); }
float TAnimation::GetRatioInvSine() { return SinDeg((1.0f - GetRatio()) * 90.0f); }
float TAnimation::GetRatioSine180() { return 0.5f + SinDeg((GetRatio() - 0.5f) * 2.0f * 90.0f) / 2.0f; }
float TAnimation::GetRatioInvSine180() { return 0.5f + SinDeg((GetRatioInv() - 0.5f) * 2.0f * 90.0f) / 2.0f; }

int TAnimation::Init(int lengthMs, int leaveActive, int reverse, int cycle, int pingPong) {
    Length[0] = GameState()->CalcAnimLength(static_cast<float>(lengthMs));
    CurrentPhase = 0;
    Finished = 0;
    TotalPhases = 1;
    Cycle = cycle;
    Direction = 1;
    LeaveActive = leaveActive;
    PingPong = pingPong;
    Reverse = reverse;
    OriginalReverse = reverse;
    LoopCount = 0;
    return 0;
}

int TAnimation::InsertPhase(int lengthMs, int index) {
    if (TotalPhases >= MAX_PHASES || index < 0 || index > TotalPhases) return 0;
    for (int i = TotalPhases; i > index; --i) Length[static_cast<size_t>(i)] = Length[static_cast<size_t>(i - 1)];
    Length[static_cast<size_t>(index)] = GameState()->CalcAnimLength(static_cast<float>(lengthMs));
    ++TotalPhases;
    return 0;
}

int TAnimation::Manage() {
    if (!Active) return 0;
    if (!Reverse) {
        Counter -= Delta;
        if (!(Counter > 0)) {
            EndAnim();
            return 1;
        }
    } else {
        Counter += Delta;
        if (Counter > PhaseLength(CurrentPhase)) {
            EndAnim();
            return 1;
        }
    }
    return 0;
}

int TAnimation::Reset() {
    Counter = 0;
    return Start();
}

int TAnimation::Start() {
    if (PingPong) Reverse = OriginalReverse;
    if (Reverse)
        Counter = 0;
    else if (!(Counter > 0))
        Counter = PhaseLength(CurrentPhase);
    Active = 1;
    CurrentPhase = 0;
    Finished = 0;
    Direction = 1;
    LoopCount = 0;
    return 0;
}

int TAnimation::Stop() {
    CurrentPhase = Direction == 1 ? TotalPhases - 1 : 0;
    return EndAnim();
}
