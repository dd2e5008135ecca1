// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Lines that travel from point to point over timed phases, for rows that
// slide into place one after another.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "framework/widgets/animation.h"

class TColor;

// A phase timer whose every phase also carries a start and an end point; the
// line's position moves from one to the other while the phase runs.
class TSlideLine : public TAnimation {
public:
    std::array<float, MAX_PHASES> StartX{}, StartY{}, EndX{}, EndY{};
    // End minus start of the current phase.
    float DX = 0, DY = 0;
    std::string text;
    // Shared with the list the line belongs to; nullptr draws in the current colour.
    std::shared_ptr<TColor> Color;
    // Whatever the owner wants carried along with the line.
    std::shared_ptr<void> AttachedObject;

    // One phase of length ms from (x1, y1) to (x2, y2), no cycling; Start must follow.
    virtual int InitLine(const std::string& lineText, float x1, float y1, float x2, float y2, int lengthMs);
    // Appends a phase; past MAX_PHASES it is ignored.
    virtual int AddPhaseSpecial(float x1, float y1, float x2, float y2, int lengthMs);
    virtual int CalcDistance();
    // The position along the current phase; once the line has stopped, the last phase's end.
    virtual float GetX();
    virtual float GetY();
    int Manage() override;
    virtual int Draw();
    virtual int AttachObject(std::shared_ptr<void> object);

private:
    int PointIndex() const;
    int LastIndex() const;
};

class TSlideLineList {
public:
    virtual ~TSlideLineList() = default;

    std::vector<std::shared_ptr<TSlideLine>> Items;
    // Every line added shares this colour, so one change recolours them all.
    std::shared_ptr<TColor> Color;

    TSlideLineList();
    virtual std::shared_ptr<TSlideLine> Add(const std::string& text, float x1, float y1, float x2, float y2,
                                            int lengthMs);
    virtual int Start();
    virtual int Manage();
    // Leaves the drawing colour white.
    virtual int Draw();
    int Count() const { return static_cast<int>(Items.size()); }
};
