// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/button.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "framework/audio/channels.h"
#include "framework/audio/game_sound.h"
#include "framework/core/game_state.h"
#include "framework/core/input.h"
#include "framework/util/strings.h"
#include "framework/widgets/font.h"
#include "framework/widgets/input_repeat.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"

namespace {
std::shared_ptr<TGameSound> LoadMenuSound(const std::string& name) {
    if (name.empty() || !GameState()) return nullptr;
    return TGameSound::Create(GameState()->SoundPath + name + ".wav", 0);
}

bool FileExists(const std::string& path) {
    return platform::FileType(platform::ResolveCase(path)) == platform::FILETYPE_FILE;
}

void PlayOn(const std::shared_ptr<TGameSound>& sound, std::shared_ptr<platform::Channel>& ownChannel) {
    if (!sound || !GameState()) return;
    if (GameState()->Channels)
        GameState()->Channels->PlayGameSound(sound, nullptr, 1.0f, 0.0f);
    else
        sound->PlayInChannel(ownChannel, 0.0f);
}
}  // namespace

// ---- TButton: loading and set-up ------------------------------------------------

bool TButton::HasOwnChannels() const { return !(GameState() && GameState()->Channels); }

std::string TButton::GetPath() {
    if (!GameState()) return std::string();
    return UseMenuPath ? GameState()->MenuPath : GameState()->ImagePath;
}

std::shared_ptr<TButton> TButton::CreateSpecial(const std::string& name, const std::string& mouseOverName,
                                                const std::string& soundMouseOverName,
                                                const std::string& soundClickName) {
    auto button = std::make_shared<TButton>();
    button->Load(name, mouseOverName, soundMouseOverName, soundClickName, 0, 0, 1);
    return button;
}

int TButton::Load(const std::string& name, const std::string& mouseOverName, const std::string& soundMouseOverName,
                  const std::string& soundClickName, int cellWidth, int cellHeight, int frames) {
    SetName(name);
    if (HasOwnChannels()) {
        ChannelMouseOver = platform::AllocChannel();
        ChannelClick = platform::AllocChannel();
    }
    LoadImages(name, mouseOverName, cellWidth, cellHeight, frames);
    if (!soundMouseOverName.empty()) SoundMouseOver = LoadMenuSound(soundMouseOverName);
    if (!soundClickName.empty()) SoundClick = LoadMenuSound(soundClickName);
    return Init();
}

int TButton::LoadImages(const std::string& name, const std::string& mouseOverName, int cellWidth, int cellHeight,
                        int frames) {
    const std::string folder = GetPath();
    image = TGameImage::CreateAuto(folder + name + ".png", cellWidth, cellHeight, 0, frames,
                                   platform::IMAGE_DEFAULT_FLAGS, 0);
    if (!mouseOverName.empty())
        ImageMouseOver = TGameImage::CreateAuto(folder + mouseOverName + ".png", cellWidth, cellHeight, 0, frames,
                                                platform::IMAGE_DEFAULT_FLAGS, 0);
    return 0;
}

int TButton::LoadDisabled(const std::string& name) {
    ImageDisabled = TGameImage::Create(GetPath() + name + ".png", platform::IMAGE_DEFAULT_FLAGS, 0);
    return 0;
}

int TButton::LoadMouseClick(const std::string& name, int durationMs) {
    ImageMouseClick = TGameImage::Create(GetPath() + name + ".png", platform::IMAGE_DEFAULT_FLAGS, 0);
    MouseClickDuration = GameState() ? GameState()->CalcAnimLength(static_cast<float>(durationMs)) : 0.0f;
    return 0;
}

int TButton::Init() {
    TSprite::Init();
    GetSize();
    return ClearClick();
}

int TButton::Kill() {
    if (HasOwnChannels()) {
        if (ChannelMouseOver) ChannelMouseOver->Stop();
        if (ChannelClick) ChannelClick->Stop();
    }
    ChannelMouseOver.reset();
    ChannelClick.reset();
    Caption.reset();
    MouseRepeat.reset();
    return TSprite::Kill();
}

int TButton::Precache() {
    for (auto* picture : {&image, &ImageMouseOver, &ImageMouseClick, &ImageDisabled})
        if (*picture) (*picture)->Precache();
    return 0;
}

int TButton::SetupCaption(const std::string& text, std::shared_ptr<platform::ImageFont> imageFont,
                          std::shared_ptr<TColor> colour, std::shared_ptr<TShadow> shadow,
                          std::shared_ptr<TBitmapFont> bitmapFont, std::shared_ptr<TColor> inverseColour) {
    Caption = TLabel::CreateSpecial(text, x + w2, y + h2, 1, 0, 1);
    if (!colour) colour = Caption->Color;
    Caption->Init(std::move(imageFont), std::move(colour), std::move(shadow), 0, std::move(bitmapFont),
                  std::move(inverseColour), "");
    return 0;
}

int TButton::SetupCaptionDown(std::shared_ptr<TColor> colour, float scale, float offsetX, float offsetY) {
    CaptionDownColor = std::move(colour);
    CaptionDownScale = scale;
    CaptionDownOffsetX = offsetX;
    CaptionDownOffsetY = offsetY;
    return 0;
}

int TButton::SetupMouseRepeat(int initialDelayMs, int repeatDelayMs) {
    MouseRepeat = TMouseRepeat::Create(initialDelayMs, repeatDelayMs);
    return 0;
}

int TButton::SetupScaleOnMO(float max, float upSpeed, float downSpeed) {
    ScaleOnMOMax = max;
    ScaleOnMOUpSpeed = upSpeed;
    ScaleOnMODownSpeed = downSpeed;
    return 0;
}

int TButton::SetFixedGlowOnMO(float max, float glowSpeed, int useMouseOverImage) {
    FixedGlowOnMO = 1;
    FixedGlowOnMOUseMO = useMouseOverImage;
    GlowMax = max;
    GlowSpeed = glowSpeed;
    return 0;
}

int TButton::SetAutoGlow(float min, float max, float glowSpeed, int onMouseOver) {
    SetGlow(3, max, glowSpeed, min, max);
    AutoGlowOnMO = onMouseOver;
    return 0;
}

int TButton::MoveTo(float newX, float newY) { return MoveBy(newX - x, newY - y); }

int TButton::MoveBy(float moveX, float moveY) {
    x += moveX;
    y += moveY;
    if (Caption) {
        Caption->X += moveX;
        Caption->Y += moveY;
    }
    return 0;
}

int TButton::CentreX(int newY) { return MoveTo(static_cast<float>((ScreenWidth - w) / 2), static_cast<float>(newY)); }

// ---- TButton: input ---------------------------------------------------------------

bool TButton::PointerOver() const {
    if (!GameState() || !GameState()->Mouse) return false;
    const float left = x + offx, top = y + offy;
    const auto px = static_cast<float>(GameState()->Mouse->x), py = static_cast<float>(GameState()->Mouse->y);
    return px >= left && px < left + static_cast<float>(w) && py >= top && py < top + static_cast<float>(h);
}

int TButton::Manage() {
    bool over = false;
    if (Active && (!Disabled || ClickDisabled)) {
        ManageAnim();
        if (GlowMode > 0) ManageGlow();
        over = PointerOver();
        if (over && MouseOverUserFunction && MouseOverUserFunction() != 0) over = false;
        if (over) {
            if (MouseClickCounter == 0) {
                if (!MouseOver && !NoSound) PlayMouseOver();
                MouseOver = 1;
            }
            FixedGlowOnMOActivate();
            int pressed = 0;
            int repeat = 0;
            if (MouseRepeat) {
                const int state = MouseRepeat->GetButton();
                pressed = state != 0;
                repeat = state == 2;
                // The first press belongs to this button like any other click.
                if (state == 1 && GameState()->Mouse) GameState()->Mouse->GetMh(1);
            } else {
                pressed = GameState()->Mouse && GameState()->Mouse->GetMh(1) ? 1 : 0;
            }
            if (pressed)
                Click(repeat);
            else
                Clicked = 0;
            if (ScaleOnMOMax > 1) ScaleOnMO = std::min(ScaleOnMO + ScaleOnMOUpSpeed * Delta, ScaleOnMOMax);
        } else {
            MouseOver = 0;
            Clicked = 0;
        }
        if (OKButton) {
            if (KeyHit(platform::vk::RETURN))
                SimulateClick();
            else if (OKButtonUseSpace && KeyHit(platform::vk::SPACE))
                SimulateClick();
        }
    } else {
        MouseOver = 0;
        Clicked = 0;
        if (FixedGlowOnMO == 1) ManageGlow();
    }
    if (!over) ManageScaleOnMO();
    if (MouseClickCounter > 0 && !StayDown) MouseClickCounter = std::max(0.0f, MouseClickCounter - Delta);
    return 0;
}

int TButton::ManageNoSound() {
    const int saved = NoSound;
    NoSound = 1;
    Manage();
    NoSound = saved;
    return 0;
}

int TButton::ManageScaleOnMO() {
    if (ScaleOnMO > 1) ScaleOnMO = std::max(1.0f, ScaleOnMO - ScaleOnMODownSpeed * Delta);
    return 0;
}

int TButton::Click(int repeat) {
    if (MouseClickCounter != 0 && !ClickWhenDown) return 0;
    if (!Clicked && !NoSound) {
        if (repeat && SoundClick2)
            PlayClick2();
        else
            PlayClick();
    }
    Clicked = 1;
    if (ImageMouseClick) MouseClickCounter = MouseClickDuration;
    return 1;
}

int TButton::SimulateClick() {
    FixedGlowOnMOActivate();
    if (Click(0) == 1) MouseOver = 1;
    return 0;
}

int TButton::ClearClick() {
    Clicked = 0;
    MouseClickCounter = 0;
    MouseOver = 0;
    Glow = 0;
    return 0;
}

int TButton::FixedGlowOnMOActivate() {
    if (FixedGlowOnMO == 1 && MouseClickCounter == 0) SetGlow(2, GlowMax, GlowSpeed, 0, GlowMax);
    return 0;
}

int TButton::PlayClick() {
    PlayOn(SoundClick, ChannelClick);
    return 0;
}

int TButton::PlayClick2() {
    PlayOn(SoundClick2, ChannelClick);
    return 0;
}

int TButton::PlayMouseOver() {
    PlayOn(SoundMouseOver, ChannelMouseOver);
    return 0;
}

// ---- TButton: drawing ---------------------------------------------------------------

// A state without a caption colour of its own keeps the normal one.
void TButton::ApplyCaptionColour(const std::shared_ptr<TColor>& colour) {
    if (colour)
        Caption->ApplyCustomColor(colour);
    else
        Caption->Apply();
}

int TButton::DrawCaption() {
    if (!Caption) return 0;
    const int rounding = Caption->RoundCoords;
    const bool grown = ScaleOnMO > 1;
    if (grown) {
        platform::SetScale(ScaleOnMO, ScaleOnMO);
        Caption->RoundCoords = 0;
    }
    Caption->Draw(offx, offy, 0);
    Caption->RoundCoords = rounding;
    return 0;
}

void TButton::DrawPressedCaption(bool grown) {
    ApplyCaptionColour(CaptionDownColor);
    const bool scaled = CaptionDownScale != 1 || grown;
    if (scaled) Caption->RoundCoords = 0;
    float captionScale = CaptionDownScale;
    if (grown) {
        platform::SetScale(ScaleOnMO, ScaleOnMO);
        if (!Caption->BitmapFont) captionScale *= ScaleOnMO;
    }
    if (CaptionDownScale != 1) Caption->ApplyScale(captionScale);
    Caption->Draw(CaptionDownOffsetX * ScaleOnMO + offx, CaptionDownOffsetY * ScaleOnMO + offy, 0);
    if (CaptionDownScale != 1) Caption->RestoreScale();
    Caption->RoundCoords = OldRoundedCoords;
}

int TButton::Draw() {
    if (!Active && !AlwaysDraw) return 0;
    platform::SetBlend(platform::ALPHABLEND);
    const float savedX = x, savedY = y, savedScaleX = ScaleX, savedScaleY = ScaleY;
    const int savedUseOffset = UseOffset;
    // The offsets are part of the position for the whole draw, shadow and glow included.
    x += offx;
    y += offy;
    UseOffset = 0;
    if (UseAlpha) platform::SetAlpha(Alpha);
    if (Caption) {
        OldRoundedCoords = Caption->RoundCoords;
        Caption->Alpha = Alpha;
    }
    const bool grown = ScaleOnMO > 1;
    if (grown) {
        // Grow about the centre.
        x += static_cast<float>(w) * (1 - ScaleOnMO) / 2;
        y += static_cast<float>(h) * (1 - ScaleOnMO) / 2;
        ScaleX = ScaleY = ScaleOnMO;
    }
    platform::SetScale(ScaleX, ScaleY);
    const float alpha = platform::GetAlpha();

    // Draws one picture with its shadow; without the picture, the normal one.
    auto drawPicture = [&](const std::shared_ptr<TGameImage>& picture, int frameNumber) {
        const auto& shown = picture && picture->image ? picture : image;
        if (!shown || !shown->image) return;
        DrawShadow(shown, frameNumber);
        platform::DrawImage(shown->image, x, y, frameNumber);
    };
    auto glowOver = [&](const std::shared_ptr<TGameImage>& picture) {
        DrawLight(Glow, 1, 1, 1, picture);
        platform::SetAlpha(alpha);
        platform::SetScale(ScaleX, ScaleY);
    };

    const bool glowing = GlowMode > 0 && Glow > 0;
    if (MouseClickCounter > 0) {
        drawPicture(ImageMouseClick, 0);
        if (glowing) glowOver(ImageMouseClick ? ImageMouseClick : image);
        if (Caption) DrawPressedCaption(grown);
    } else if ((MouseOver && ImageMouseOver) || (FixedGlowOnMOUseMO && glowing)) {
        drawPicture(ImageMouseOver, frame);
        if (glowing && (FixedGlowOnMO || AutoGlowOnMO) && UseGlowOnMO)
            glowOver(ImageMouseOver ? ImageMouseOver : image);
        if (Caption) {
            Caption->ApplyInverse();
            DrawCaption();
        }
    } else if (Disabled) {
        drawPicture(ImageDisabled, 0);
        if (Caption) {
            ApplyCaptionColour(CaptionDisabledColor);
            DrawCaption();
        }
    } else {
        drawPicture(image, frame);
        if (glowing) glowOver(nullptr);
        if (Caption) {
            Caption->Apply();
            DrawCaption();
        }
    }

    x = savedX;
    y = savedY;
    UseOffset = savedUseOffset;
    ScaleX = savedScaleX;
    ScaleY = savedScaleY;
    platform::SetScale(1, 1);
    platform::SetAlpha(1.0f);
    platform::SetColor(255, 255, 255);
    platform::SetBlend(platform::ALPHABLEND);
    return 1;
}

// ---- TMenu ------------------------------------------------------------------------

std::shared_ptr<TMenu> TMenu::Create(const std::string& soundMouseOverName, const std::string& soundClickName, float x,
                                     float y, int gap) {
    auto menu = std::make_shared<TMenu>();
    menu->Init(soundMouseOverName, soundClickName, x, y, gap);
    return menu;
}

int TMenu::Init(const std::string& soundMouseOverName, const std::string& soundClickName, float newX, float newY,
                int gap) {
    Items.clear();
    x = newX;
    y = newY;
    Gap = gap;
    AddGap = 0;
    h = 0;
    NextY = static_cast<int>(newY);
    MouseOverName.clear();
    ClickedName.clear();
    SoundMouseOver = LoadMenuSound(soundMouseOverName);
    SoundClick = LoadMenuSound(soundClickName);
    return 0;
}

int TMenu::Kill() {
    for (auto& button : Items) button->Kill();
    Items.clear();
    return 0;
}

int TMenu::SetButtonCaptionRoundCoords(int round, int roundX, int roundY) {
    for (auto& button : Items) {
        if (!button->Caption) continue;
        button->Caption->RoundCoords = round;
        button->Caption->RoundXCoord = roundX;
        button->Caption->RoundYCoord = roundY;
    }
    return 0;
}

int TMenu::SetShadow(int on, float shadowX, float shadowY, float alpha) {
    Shadow = on;
    ShadowX = shadowX;
    ShadowY = shadowY;
    ShadowAlpha = alpha;
    return 0;
}

int TMenu::ChangeShadow(int on, float shadowX, float shadowY, float alpha) {
    ResetShadow(on, shadowX, shadowY, alpha);
    return SetShadow(on, shadowX, shadowY, alpha);
}

int TMenu::SetAlpha(float alpha) {
    for (auto& button : Items) button->Alpha = alpha;
    return 0;
}

int TMenu::ResetShadow(int on, float shadowX, float shadowY, float alpha) {
    for (auto& button : Items) button->SetShadow(on, shadowX, shadowY, alpha);
    return 0;
}

std::shared_ptr<TButton> TMenu::DoAddNew(const std::string& name, const std::string& mouseOverName,
                                         const std::string& key, int cellWidth, int cellHeight, int frames) {
    auto button = std::make_shared<TButton>();
    button->UseMenuPath = 1;
    button->Load(name, mouseOverName, "", "", cellWidth, cellHeight, frames);
    button->CentreX(NextY);
    button->SoundMouseOver = SoundMouseOver;
    button->SoundClick = SoundClick;
    button->SetShadow(Shadow, ShadowX, ShadowY, ShadowAlpha);
    if (!key.empty()) button->SetName(key);
    Items.push_back(button);
    return button;
}

std::shared_ptr<TButton> TMenu::AddNew(const std::string& name, const std::string& mouseOverName,
                                       const std::string& key, int cellWidth, int cellHeight, int frames) {
    auto button = DoAddNew(name, mouseOverName, key, cellWidth, cellHeight, frames);
    IncreaseHeight(button);
    return button;
}

int TMenu::IncreaseHeight(const std::shared_ptr<TButton>& button) {
    NextY += button->h + Gap;
    h += button->h;
    if (AddGap) h += Gap;
    AddGap = 1;
    return 0;
}

std::shared_ptr<TButton> TMenu::AddQuick(const std::string& name, const std::string& key) {
    return AddNew(name, name + "MO", key, 0, 0, 1);
}

std::shared_ptr<TButton> TMenu::AddQuickAuto(const std::string& name, const std::string& key) {
    auto button = AddQuick(name, key);
    const std::string folder = button->GetPath();
    if (FileExists(folder + name + "_disabled.png")) button->LoadDisabled(name + "_disabled");
    if (FileExists(folder + name + "_down.png")) button->LoadMouseClick(name + "_down", 200);
    return button;
}

int TMenu::AddPair(const std::string& leftName, const std::string& rightName, int gap, const std::string& key) {
    auto left = DoAddNew(leftName, leftName + "MO", "", 0, 0, 1);
    auto right = DoAddNew(rightName, rightName + "MO", "", 0, 0, 1);
    if (!key.empty()) {
        left->SetName(key + leftName);
        right->SetName(key + rightName);
    }
    right->MoveTo(left->x + static_cast<float>(left->w + gap), right->y);
    IncreaseHeight(left->h > right->h ? left : right);
    return 0;
}

std::shared_ptr<TButton> TMenu::FindButton(const std::string& name) {
    const std::string key = UpperCase(name);
    for (auto& button : Items)
        if (button->name == key) return button;
    return nullptr;
}

int TMenu::StoreOriginalCoords() {
    for (auto& button : Items) button->StoreOriginalCoords();
    OX = x;
    OY = y;
    return 0;
}

int TMenu::SetX(float newX) {
    CalcLeft();
    for (auto& button : Items) button->MoveBy(newX - x, 0);
    x = newX;
    return 0;
}

int TMenu::SetY(float newY) {
    CalcTop();
    for (auto& button : Items) button->MoveBy(0, newY - y);
    y = newY;
    return 0;
}

int TMenu::SetPairX(const std::string& leftName, const std::string& rightName, float newX) {
    auto left = FindButton(leftName);
    auto right = FindButton(rightName);
    // Naming a button the menu does not hold is the caller's mistake; leave the menu as it is.
    if (!left || !right) return 0;
    const auto shift = static_cast<float>(static_cast<int>(newX - left->x));
    left->MoveTo(newX, left->y);
    right->MoveBy(shift, 0);
    return 0;
}

int TMenu::ScaleMenu(float sx, float sy) {
    for (auto& button : Items) {
        button->ScaleX = sx;
        button->ScaleY = sy;
        button->x = x + (button->ox - x) * sx;
        button->y = y + (button->oy - y) * sy;
    }
    return 0;
}

int TMenu::CalcLeft() {
    float left = 10000;
    for (auto& button : Items) left = std::min(left, button->x);
    x = left;
    return 0;
}

int TMenu::CalcTop() {
    float top = 10000;
    for (auto& button : Items) top = std::min(top, button->y);
    y = top;
    return 0;
}

int TMenu::CalcCoords() {
    CalcLeft();
    return CalcTop();
}

int TMenu::CalcWidth() {
    int right = -10000, left = 10000;
    for (auto& button : Items) {
        right = std::max(right, static_cast<int>(button->x) + button->w);
        left = std::min(left, static_cast<int>(button->x));
    }
    w = right - left;
    return w;
}

int TMenu::CalcHeight() {
    int bottom = -10000, top = 10000;
    for (auto& button : Items) {
        bottom = std::max(bottom, static_cast<int>(button->y) + button->h);
        top = std::min(top, static_cast<int>(button->y));
    }
    h = bottom - top;
    return h;
}

int TMenu::CentreHoriz() {
    CalcWidth();
    return SetX(static_cast<float>((ScreenWidth - w) / 2));
}

int TMenu::CentreVert() {
    CalcHeight();
    return SetY(static_cast<float>((ScreenHeight - h) / 2));
}

int TMenu::Centre() {
    CentreHoriz();
    return CentreVert();
}

int TMenu::MakeColumn(int gap) {
    int total = 0;
    for (auto& button : Items) {
        total += button->h + gap;
        button->MoveTo(0, static_cast<float>(total));
    }
    return Centre();
}

int TMenu::MakeRow(int gap) {
    int total = 0;
    for (auto& button : Items) {
        total += button->w + gap;
        button->MoveTo(static_cast<float>(total), 0);
    }
    return Centre();
}

int TMenu::ClearStates() {
    ClearGlow();
    ClearMouseClick();
    ClearMouseOver();
    return ClearScale();
}

int TMenu::ClearScale() {
    for (auto& button : Items) button->ScaleOnMO = 1.0f;
    return 0;
}

int TMenu::ClearGlow() {
    for (auto& button : Items) button->Glow = 0;
    return 0;
}

int TMenu::ClearMouseClick() {
    for (auto& button : Items) {
        button->Clicked = 0;
        button->MouseClickCounter = 0;
    }
    return 0;
}

int TMenu::ClearMouseOver() {
    for (auto& button : Items) button->MouseOver = 0;
    return 0;
}

int TMenu::Clicked(const std::string& name) {
    if (ClickedName.empty() || UpperCase(name) != ClickedName) return 0;
    if (ClearClickedName) ClickedName.clear();
    return 1;
}

int TMenu::MouseOver(const std::string& name) {
    if (MouseOverName.empty() || UpperCase(name) != MouseOverName) return 0;
    if (ClearMouseOverName) MouseOverName.clear();
    return 1;
}

int TMenu::ManageNoSound(float offsetX, float offsetY) {
    const int saved = NoSound;
    NoSound = 1;
    const int result = Manage(offsetX, offsetY);
    NoSound = saved;
    return result;
}

int TMenu::Precache() {
    for (auto& button : Items) button->Precache();
    return 0;
}

int TMenu::Manage(float offsetX, float offsetY) {
    if ((GameState() && GameState()->Fading()) || !AcceptInput) {
        PressedByKey.clear();
        ManageFixedGlowOnly();
        return 0;
    }
    if (!GameState() || !GameState()->Mouse || !GameState()->Mouse->Active) return 0;
    MouseOverName.clear();
    ClickedName.clear();
    for (auto& button : Items) {
        button->offx = offsetX;
        button->offy = offsetY;
        if (NoSound)
            button->ManageNoSound();
        else
            button->Manage();
        if (button->MouseOver) MouseOverName = button->name;
        if (button->Clicked) ClickedName = button->name;
    }
    if (!PressedByKey.empty()) ClickedName = std::exchange(PressedByKey, std::string());
    return 1;
}

int TMenu::ManageFixedGlowOnly() {
    for (auto& button : Items)
        if (button->FixedGlowOnMO == 1) button->ManageGlow();
    return 0;
}

int TMenu::ManageScaleOnMO() {
    for (auto& button : Items) button->ManageScaleOnMO();
    return 0;
}

int TMenu::Draw(float offsetX, float offsetY) {
    for (auto& button : Items) {
        button->offx = offsetX;
        button->offy = offsetY;
        button->Draw();
    }
    return 0;
}

// ---- TBox -------------------------------------------------------------------------

std::shared_ptr<TBox> TBox::Create(float x, float y, float w, float h, std::shared_ptr<TColor> colour) {
    auto box = std::make_shared<TBox>();
    box->Init(x, y, w, h, std::move(colour));
    return box;
}

int TBox::Init(float x, float y, float w, float h, std::shared_ptr<TColor> colour) {
    X = x;
    Y = y;
    W = w;
    H = h;
    Color = std::move(colour);
    return 0;
}

int TBox::Draw() {
    if (!Color) return 0;
    Color->Apply();
    platform::DrawRect(X, Y, W, H);
    TColor::Restore();
    return 0;
}

int TBox::Kill() {
    Color.reset();
    return 0;
}
