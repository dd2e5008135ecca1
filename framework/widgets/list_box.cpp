// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/list_box.h"

#include <cmath>

#include "framework/audio/game_sound.h"
#include "framework/core/game_state.h"
#include "framework/widgets/button.h"
#include "framework/widgets/font.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/image.h"

// ---- VTListBox -----------------------------------------------------------------------

VTListBox::VTListBox() : ClickChannel(platform::AllocChannel()) {}

std::shared_ptr<VTListBox> VTListBox::Create(int ignored, int gap, int centred, int drawBox, int doubleClickMs) {
    auto list = std::make_shared<VTListBox>();
    list->Init(ignored, gap, centred, drawBox);
    list->Font = TFont::Create(nullptr, TColor::Create(255, 255, 255, 1.0f), nullptr, 0, nullptr, nullptr, "");
    list->Box = TBox::Create(0, 0, 0, 0, TColor::Create(0, 0, 0, 1.0f));
    list->HighlightCol = TColor::Create(0, 0, 150, 1.0f);
    list->Strings.clear();
    list->DoubleClickTime = GameState() ? GameState()->CalcAnimLength(static_cast<float>(doubleClickMs)) : 0.0f;
    return list;
}

int VTListBox::Init(int, int gap, int centred, int drawBox) {
    Gap = gap;
    Centred = centred;
    DrawBox = drawBox;
    return 0;
}

int VTListBox::SetupFont(std::shared_ptr<platform::ImageFont> imageFont, std::shared_ptr<TColor> colour,
                         std::shared_ptr<TShadow> shadow) {
    Font->Init(std::move(imageFont), std::move(colour), std::move(shadow), 0, nullptr, nullptr, "");
    return CalcLineHeight();
}

int VTListBox::SetCoords(float x, float y, float w, float h) {
    Box->X = x;
    Box->Y = y;
    Box->W = w;
    Box->H = h;
    return 0;
}

int VTListBox::SetupBox(std::shared_ptr<TColor> colour) {
    Box->Color = std::move(colour);
    return 0;
}

int VTListBox::CalcLineHeight() {
    LineHeight = static_cast<int>(Font->H + static_cast<float>(2 * Gap));
    if (RoundHeight == 1 && LineHeight > 0)
        Box->H = std::floor(Box->H / static_cast<float>(LineHeight)) * static_cast<float>(LineHeight);
    return 0;
}

int VTListBox::ClearIndex() {
    Index = -1;
    Clicked = -1;
    Value.clear();
    return 0;
}

int VTListBox::SetIndex(int index) {
    Index = index;
    if (index >= 0 && index < static_cast<int>(Strings.size()))
        Value = Strings[static_cast<size_t>(index)];
    else
        Value.clear();
    return 0;
}

int VTListBox::Manage() {
    auto mouse = GameState() ? GameState()->Mouse : nullptr;
    if (mouse && mouse->GetMh(0) && LineHeight > 0) {
        const auto px = static_cast<float>(mouse->x), py = static_cast<float>(mouse->y);
        const auto line = static_cast<float>(LineHeight);
        for (int r = 0; r <= EndList - StartList; ++r) {
            const int i = StartList + r;
            // Rows past the last entry are empty space, not entries.
            if (i < 0 || i >= static_cast<int>(Strings.size())) continue;
            const float top = Box->Y + static_cast<float>(r) * line;
            if (!(px >= Box->X && px < Box->X + Box->W && py > top && py < top + line)) continue;
            // The press is the list's only when it lands on a line.
            mouse->GetMh(1);
            if (DoubleClickCounter > 0 && Index == i)
                DoubleClicked = i;
            else if (ClickSound)
                ClickSound->PlayInChannel(ClickChannel, 0.0f);
            SetIndex(i);
            DoubleClickCounter = DoubleClickTime;
            break;
        }
    }
    if (DoubleClickCounter > 0) DoubleClickCounter -= Delta;
    return 0;
}

int VTListBox::DrawHighlight() {
    if (!HighlightCol || Index < StartList || Index > EndList) return 0;
    HighlightCol->Apply();
    platform::DrawRect(Box->X, Box->Y + static_cast<float>((Index - StartList) * LineHeight), Box->W,
                       static_cast<float>(LineHeight));
    TColor::Restore();
    return 0;
}

namespace {
// The text as it fits into width pixels of the current font: whole, or cut at
// a character boundary and ended with "..." so that it never runs out of its box.
std::string FitWidth(const std::string& text, float width) {
    if (static_cast<float>(platform::TextWidth(text)) <= width) return text;
    const std::string dots = "...";
    std::string cut = text;
    while (!cut.empty()) {
        // Drop one whole UTF-8 character: its continuation bytes, then its lead.
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) cut.pop_back();
        if (!cut.empty()) cut.pop_back();
        if (static_cast<float>(platform::TextWidth(cut + dots)) <= width) break;
    }
    return cut + dots;
}
}  // namespace

int VTListBox::Draw() {
    platform::SetBlend(platform::ALPHABLEND);
    if (DrawBox == 1) Box->Draw();
    const int textX = Centred ? static_cast<int>(Box->X + Box->W / 2) : static_cast<int>(Box->X + TextBorder);
    auto textY = static_cast<float>(static_cast<int>(Box->Y + static_cast<float>(Gap)));
    if (HighlightUnder == 1) DrawHighlight();
    Font->Apply();
    const float alpha = Font->Color ? Font->Color->Alpha : 1.0f;
    if (StartList >= 0 && EndList < static_cast<int>(Strings.size())) {
        for (int i = StartList; i <= EndList; ++i) {
            const std::string& text = Strings[static_cast<size_t>(i)];
            if (Font->Shadow) {
                Font->Shadow->ApplyToText();
                TextStyle.Alpha = alpha;
            } else {
                platform::SetAlpha(alpha);
            }
            DrawTextAligned(
                FitWidth(text, Box->W - 2.0f * static_cast<float>(TextBorder) - static_cast<float>(RightBorder)),
                static_cast<float>(textX), textY, Font->Shadow ? 1 : 0, Centred ? 1 : 0, 1);
            // Rows lie where clicks and the selection bar find them.
            textY += static_cast<float>(LineHeight > 0 ? LineHeight : platform::TextHeight(text) + 2 * Gap);
        }
    }
    TColor::Restore();
    if (HighlightUnder == 0) DrawHighlight();
    return 0;
}

int VTListBox::Kill() {
    if (Box) Box->Kill();
    if (Font) Font->Kill();
    Strings.clear();
    HighlightCol.reset();
    ClickChannel.reset();
    return 0;
}

// ---- TSlider ---------------------------------------------------------------------------

std::shared_ptr<TSlider> TSlider::CreateSpecial(const std::string& barName, const std::string& dotName, int x, int y,
                                                int border, const std::string& spriteName, int borderY) {
    auto slider = std::make_shared<TSlider>();
    slider->Load(barName, dotName, spriteName);
    slider->x = static_cast<float>(x);
    slider->y = static_cast<float>(y);
    slider->Border = border;
    slider->BorderY = borderY;
    slider->SetValue(50);
    slider->DotY = static_cast<int>(slider->y);
    slider->active = 1;
    return slider;
}

int TSlider::Load(const std::string& barName, const std::string& dotName, const std::string& spriteName) {
    SetName(spriteName);
    LoadImages(barName, dotName);
    return Init();
}

int TSlider::LoadImages(const std::string& barName, const std::string& dotName) {
    const std::string folder = GameState() ? GameState()->ImagePath : std::string();
    image = TGameImage::Create(folder + barName + ".png", platform::IMAGE_DEFAULT_FLAGS, 0);
    DotImage = TGameImage::Create(folder + dotName + ".png", platform::IMAGE_DEFAULT_FLAGS, 0);
    return 0;
}

int TSlider::Init() {
    TSprite::Init();
    return GetSize();
}

int TSlider::SetValue(int value) {
    Value = value < 0 ? 0 : (value > 100 ? 100 : value);
    const float half = DotImage ? DotImage->w2 : 0.0f;
    DotX = static_cast<int>(x + static_cast<float>(Border) +
                            static_cast<float>(Value) / 100.0f * static_cast<float>(w - 2 * Border) - half);
    return 0;
}

int TSlider::Manage() {
    if (!active || !GameState() || !GameState()->Mouse) return 0;
    const auto px = static_cast<float>(GameState()->Mouse->x), py = static_cast<float>(GameState()->Mouse->y);
    const bool over = px >= x - 10 && px < x + static_cast<float>(w) + 10 && py >= y - static_cast<float>(BorderY) &&
                      py < y + static_cast<float>(h + BorderY);
    if (!over) {
        MouseOver = 0;
        return 0;
    }
    MouseOver = 1;
    // A click too quick to be seen held still moves the marker to it.
    if (!GameState()->Mouse->GetMb() && !GameState()->Mouse->GetMh(0)) return 0;
    if (px <= x + static_cast<float>(Border)) {
        SetValue(0);
    } else if (px >= x + static_cast<float>(w - Border)) {
        SetValue(100);
    } else {
        const float share = (px - x - static_cast<float>(Border)) / static_cast<float>(w - 2 * Border) * 100.0f;
        SetValue(static_cast<int>(std::floor(share + 0.5f)));
    }
    return 1;
}

int TSlider::Draw() {
    if (!active) return 0;
    platform::SetBlend(platform::ALPHABLEND);
    if (image && image->image) platform::DrawImage(image->image, x, y, 0);
    if (DotImage && DotImage->image)
        platform::DrawImage(DotImage->image, static_cast<float>(DotX), static_cast<float>(DotY), 0);
    return 0;
}
