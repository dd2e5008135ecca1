// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A held key or mouse button as a first event and then, after an initial
// delay, repeated events at a fixed interval.
#include <memory>

class TKeyRepeat {
public:
    virtual ~TKeyRepeat() = default;

    int InitialDelayLength = 0;     // ms
    float InitialDelayCounter = 0;  // steps
    int DelayLength = 0;            // ms
    int DelayCounter = 0;           // whole steps
    // The key was held at the previous query.
    int LastState = 0;

    void ClearDelays();
    static std::shared_ptr<TKeyRepeat> Create(int initialDelayMs, int repeatDelayMs);
    // Once per logic step: 1 at the press and at each repeat, else 0.
    int GetKey(int keyCode);

protected:
    // 1 when this step produces an event for a held input.
    int Held();
};

class TMouseRepeat : public TKeyRepeat {
public:
    static std::shared_ptr<TMouseRepeat> Create(int initialDelayMs, int repeatDelayMs);
    // Any button of the game's pointer: 1 at the press, 2 at each repeat, else 0.
    // A button already held at the first query counts as a new press.
    int GetButton();
};
