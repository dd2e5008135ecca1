// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/slide_line.h"

#include <algorithm>

#include "framework/widgets/font.h"
#include "framework/widgets/sprite.h"

int TSlideLine::PointIndex() const { return std::clamp(CurrentPhase, 0, MAX_PHASES - 1); }

int TSlideLine::InitLine(const std::string& lineText, float x1, float y1, float x2, float y2, int lengthMs) {
    Init(lengthMs, 0, 0, 0, 0);
    text = lineText;
    StartX[0] = x1;
    StartY[0] = y1;
    EndX[0] = x2;
    EndY[0] = y2;
    return CalcDistance();
}

int TSlideLine::AddPhaseSpecial(float x1, float y1, float x2, float y2, int lengthMs) {
    // The point tables are as long as the phase table; a phase that cannot be
    // timed must not leave points behind either.
    if (TotalPhases < 0 || TotalPhases >= MAX_PHASES) return 0;
    const auto n = static_cast<size_t>(TotalPhases);
    StartX[n] = x1;
    StartY[n] = y1;
    EndX[n] = x2;
    EndY[n] = y2;
    return AddPhase(lengthMs);
}

int TSlideLine::CalcDistance() {
    const auto n = static_cast<size_t>(PointIndex());
    DX = EndX[n] - StartX[n];
    DY = EndY[n] - StartY[n];
    return 0;
}

int TSlideLine::LastIndex() const { return std::clamp(TotalPhases - 1, 0, MAX_PHASES - 1); }

float TSlideLine::GetX() {
    if (!Active) return EndX[static_cast<size_t>(LastIndex())];
    return StartX[static_cast<size_t>(PointIndex())] + (1.0f - GetRatio()) * DX;
}

float TSlideLine::GetY() {
    if (!Active) return EndY[static_cast<size_t>(LastIndex())];
    return StartY[static_cast<size_t>(PointIndex())] + (1.0f - GetRatio()) * DY;
}

int TSlideLine::Manage() {
    const int changed = TAnimation::Manage();
    if (changed) CalcDistance();
    return changed;
}

int TSlideLine::Draw() {
    if (Color) Color->Apply();
    if (!text.empty()) DrawTextLeft(text, GetX(), GetY(), 0, 0);
    TColor::Restore();
    return 0;
}

int TSlideLine::AttachObject(std::shared_ptr<void> object) {
    AttachedObject = std::move(object);
    return 0;
}

TSlideLineList::TSlideLineList() : Color(TColor::Create(255, 255, 255, 1.0f)) {}

std::shared_ptr<TSlideLine> TSlideLineList::Add(const std::string& text, float x1, float y1, float x2, float y2,
                                                int lengthMs) {
    auto line = std::make_shared<TSlideLine>();
    line->InitLine(text, x1, y1, x2, y2, lengthMs);
    line->Color = Color;
    Items.push_back(line);
    return line;
}

int TSlideLineList::Start() {
    for (auto& line : Items) line->Start();
    return 0;
}

int TSlideLineList::Manage() {
    for (auto& line : Items) line->Manage();
    return 0;
}

int TSlideLineList::Draw() {
    for (auto& line : Items) line->Draw();
    TColor::Restore();
    return 0;
}
