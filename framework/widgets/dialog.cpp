// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/dialog.h"

#include <algorithm>
#include <cmath>

#include "framework/audio/channels.h"
#include "framework/audio/game_sound.h"
#include "framework/core/game_state.h"
#include "framework/core/input.h"
#include "framework/screens/screen.h"
#include "framework/util/strings.h"
#include "framework/widgets/animation.h"
#include "framework/widgets/bitmap_font.h"
#include "framework/widgets/button.h"
#include "framework/widgets/focus_ring.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/pointer.h"
#include "framework/widgets/sprite.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace vk = platform::vk;

namespace {

int Truncate(float v) { return static_cast<int>(v); }

}  // namespace

void DrawStretchedFrame(const std::shared_ptr<platform::Image>& picture, float x, float y, float w, float h,
                        int corner) {
    // Whole pixels, so neighbouring pieces neither overlap nor leave a gap.
    x = std::floor(x + 0.5f), y = std::floor(y + 0.5f), w = std::floor(w + 0.5f), h = std::floor(h + 0.5f);
    if (!picture || w <= 0 || h <= 0) return;
    const auto pw = static_cast<float>(picture->Width()), ph = static_cast<float>(picture->Height());
    float c = corner > 0 ? static_cast<float>(corner) : std::floor(std::min(pw, ph) / 3.0f);
    // Corners never overlap, however small the frame.
    c = std::min({c, std::floor(pw / 2.0f), std::floor(ph / 2.0f)});
    const float cx = std::min(c, std::floor(w / 2.0f)), cy = std::min(c, std::floor(h / 2.0f));
    const float sx[3] = {0, c, pw - c}, sw[3] = {c, pw - 2 * c, c};
    const float sy[3] = {0, c, ph - c}, sh[3] = {c, ph - 2 * c, c};
    const float dx[3] = {x, x + cx, x + w - cx}, dw[3] = {cx, w - 2 * cx, cx};
    const float dy[3] = {y, y + cy, y + h - cy}, dh[3] = {cy, h - 2 * cy, cy};
    // Each piece reaches a pixel under the next one, drawn after it, so that no
    // renderer's rounding opens a gap between them (the frames are opaque).
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            if (dw[col] > 0 && dh[row] > 0 && sw[col] > 0 && sh[row] > 0) {
                const float growW = col < 2 && dw[col + 1] > 0 ? 1.0f : 0.0f;
                const float growH = row < 2 && dh[row + 1] > 0 ? 1.0f : 0.0f;
                platform::DrawSubImageRect(picture, dx[col], dy[row], dw[col] + growW, dh[row] + growH, sx[col],
                                           sy[row], sw[col] + growW * sw[col] / dw[col],
                                           sh[row] + growH * sh[row] / dh[row]);
            }
}

// ---- TDialog: set-up ----------------------------------------------------------------

TDialog::TDialog() = default;

int TDialog::Init(const std::string& captionText, std::shared_ptr<platform::Image> background, int newW, int newH,
                  int newX, int newY) {
    Caption = TLabel::CreateSpecial(captionText, 0, 0, 1, 0, 0);
    Background = std::move(background);
    DialogColor = TColor::Create(150, 150, 150, 1.0f);
    w = newW;
    h = newH;
    x = newX;
    y = newY;
    FixedWidth = newW != 0 ? 1 : 0;
    return 0;
}

int TDialog::SetupCaption(std::shared_ptr<platform::ImageFont> imageFont, std::shared_ptr<TColor> colour,
                          std::shared_ptr<TShadow> shadow, std::shared_ptr<TBitmapFont> bitmapFont) {
    if (!colour) colour = Caption->Color;
    Caption->Init(std::move(imageFont), std::move(colour), std::move(shadow), 0, std::move(bitmapFont), nullptr, "");
    CalcAll();
    return MenuPosition();
}

int TDialog::SetupTextHeader(const std::string& text, std::shared_ptr<platform::ImageFont> imageFont,
                             std::shared_ptr<TColor> colour, std::shared_ptr<TShadow> shadow,
                             std::shared_ptr<TBitmapFont> bitmapFont, int textX, int textY, int centreVertically) {
    TextHeader =
        TLabel::CreateSpecial(text, static_cast<float>(textX), static_cast<float>(textY), 1, 0, centreVertically);
    if (!colour) colour = TextHeader->Color;
    TextHeader->Init(std::move(imageFont), std::move(colour), std::move(shadow), 0, std::move(bitmapFont), nullptr, "");
    return 0;
}

int TDialog::HeaderLoad(const std::string& name, int headerX, int headerY) {
    auto picture = TGameImage::Create(GameState()->ImagePath + name + Ext, platform::IMAGE_DEFAULT_FLAGS, 1);
    Header = TSprite::Create(picture, static_cast<float>(headerX), static_cast<float>(headerY));
    return 0;
}

int TDialog::SetWordWrap(int width) {
    FixedWidth = 1;
    WordWrapWidth = width;
    return 0;
}

int TDialog::SetSlide(int slide, int sine) {
    Slide = slide == 5 ? platform::Rand(1, 4) : slide;
    SlideSine = sine;
    if (Slide > 0) {
        if (Caption) Caption->RoundCoords = 0;
        if (TextHeader) TextHeader->RoundCoords = 0;
    }
    return 0;
}

int TDialog::SetTransitions(int inMs, int outMs, float dim, int fade, int slide, int sine) {
    SetSlide(slide, sine);
    if (inMs > 0) {
        TransitionIn = TAnimation::Create(inMs, 0, 0, 0, 0);
        TransitionIn->Start();
        Transitioning = 1;
        CalcOffset();
        if (SlideInSound && GameState() && GameState()->Channels)
            GameState()->Channels->PlayGameSound(SlideInSound, nullptr, 1.0f, 0);
    }
    if (outMs > 0) TransitionOut = TAnimation::Create(outMs, 0, 0, 0, 0);
    DimBackground = dim;
    FadeDialog = fade;
    return 0;
}

int TDialog::Start() {
    CalcAll();
    MenuPosition();
    // Started twice without closing, the first saved value must survive.
    if (!Active && GameState()) {
        OldIgnoreEscapeKey = GameState()->IgnoreEscapeKey;
        GameState()->IgnoreEscapeKey = 1;
    }
    Active = 1;
    Focus = TFocusRing::Create();
    if (Menu) Focus->AddMenu(Menu);
    if (Slide == 5) Slide = platform::Rand(1, 4);
    return CalcOffset();
}

// ---- TDialog: layout ---------------------------------------------------------------

float TDialog::CaptionHeight() const {
    if (!Caption) return 0;
    return Caption->CalcHeight();
}

float TDialog::MenuHeight() const { return Menu && !Menu->Items.empty() ? static_cast<float>(Menu->CalcHeight()) : 0; }

int TDialog::CalcAll() {
    CalcSize();
    return SetLabelsXY();
}

int TDialog::CalcSize() {
    if (!Caption) return CalcXY();
    Caption->WordWrap = 0;
    const float captionWidth = Caption->CalcWidth();
    const auto margins = static_cast<float>(2 * Border);
    if (Background) {
        Background->SetHandle(0, 0);
        w = Background->Width();
        h = Background->Height();
    } else if (!FixedWidth) {
        w = Truncate(captionWidth + margins);
    }
    // A background picture is as fixed as a given width: text must stay on it.
    if (FixedWidth || Background) {
        int wrap = 0;
        if (WordWrapWidth > 0 && captionWidth > static_cast<float>(WordWrapWidth))
            wrap = WordWrapWidth;
        else if (WordWrapWidth == 0 && captionWidth + margins > static_cast<float>(w))
            wrap = w - 2 * Border;
        if (wrap > 0) {
            Caption->WordWrap = wrap;
            Caption->LineGap = 0;
            Caption->PreCalcWordWrap();
        }
    }
    Caption->CalcHeight();
    return CalcXY();
}

int TDialog::CalcXY() {
    if (Centre) {
        x = (ScreenWidth - w) / 2;
        y = (ScreenHeight - h) / 2;
    }
    return 0;
}

int TDialog::CaptionGetCentredX() { return x + w / 2; }

int TDialog::MenuGetCentredX() {
    const int menuWidth = Menu && !Menu->Items.empty() ? Menu->CalcWidth() : 0;
    return x + (w - menuWidth) / 2;
}

int TDialog::SetLabelsXY() {
    if (!Caption) return 0;
    if (CaptionOX == 0 && CaptionOY == 0) {
        Caption->X = static_cast<float>(CaptionGetCentredX());
        if (Caption->WordWrap > 0 || CaptionCentreVert)
            Caption->Y = static_cast<float>(y) + static_cast<float>(h) / 2 - Caption->H / 2 * Caption->Scale;
        else
            Caption->Y = static_cast<float>(y + Border);
    } else {
        Caption->X = static_cast<float>(CaptionOX);
        Caption->Y = static_cast<float>(CaptionOY);
    }
    Caption->X += static_cast<float>(CaptionOffsetX);
    Caption->Y += static_cast<float>(CaptionOffsetY);
    return 0;
}

int TDialog::MenuPosition() {
    if (Menu) Menu->ManageNoSound(OffsetX, OffsetY);
    return 0;
}

void PlaceDialogMenu(TDialog& dialog) {
    dialog.CalcAll();
    if (!dialog.Menu || dialog.Menu->Items.empty()) return;
    if (dialog.MenuOX == 0 && dialog.MenuOY == 0) {
        dialog.Menu->SetX(static_cast<float>(dialog.MenuGetCentredX()));
        dialog.Menu->SetY(static_cast<float>(dialog.y + dialog.h - dialog.Menu->CalcHeight() - dialog.Border));
    } else {
        dialog.Menu->SetX(static_cast<float>(dialog.MenuOX));
        dialog.Menu->SetY(static_cast<float>(dialog.MenuOY));
    }
    dialog.Menu->ManageNoSound(dialog.OffsetX, dialog.OffsetY);
}

// ---- TDialog: transitions and input ------------------------------------------------------

int TDialog::CalcOffset() {
    OffsetX = OffsetY = 0;
    if (Transitioning <= 0 || Slide <= 0) return 0;
    float r = 0;
    if (Transitioning == 1 && TransitionIn)
        r = SlideSine ? 1 - TransitionIn->GetRatioInvSine() : TransitionIn->GetRatio();
    else if (Transitioning == 2 && TransitionOut)
        r = SlideSine ? 1 - TransitionOut->GetRatioSine() : TransitionOut->GetRatioInv();
    switch (Slide) {
        case 1:
            OffsetY = -static_cast<float>(y + h + SlideExtra) * r;
            break;
        case 2:
            OffsetX = static_cast<float>(ScreenWidth - x + SlideExtra) * r;
            break;
        case 3:
            OffsetY = static_cast<float>(ScreenHeight - y + SlideExtra) * r;
            break;
        case 4:
            OffsetX = -static_cast<float>(x + w + SlideExtra) * r;
            break;
        default:
            break;
    }
    return 0;
}

int TDialog::ManageTransitions() {
    if (Transitioning == 1 && TransitionIn && TransitionIn->Manage() == 1 && TransitionIn->Finished) {
        Transitioning = 0;
        if (FadeDialog) SetAlphas(1.0f);
        if (ActivateSound && GameState() && GameState()->Channels)
            FadeChannel = GameState()->Channels->PlayGameSound(ActivateSound, nullptr, 1.0f, 0);
        FlushInput();
    }
    if (Transitioning == 2 && TransitionOut && TransitionOut->Manage() == 1 && TransitionOut->Finished) {
        if (FadeDialog) SetAlphas(0);
        Transitioning = 0;
        FlushInput();
        Finalise();
        if (FadeChannel && FadeChannel->Channel) FadeChannel->Channel->Stop();
        FadeChannel.reset();
        CalcOffset();
        return 1;
    }
    if (Transitioning == 2 && FadeChannel && FadeChannel->Channel && GameState())
        FadeChannel->Channel->SetVolume(TransitionOut->GetRatio() * static_cast<float>(GameState()->SoundVolume) /
                                        100.0f);
    for (auto* label : {Caption.get(), TextHeader.get()}) {
        if (!label) continue;
        if (Slide <= 0) {
            label->RoundCoords = 1;
        } else {
            label->RoundCoords = 0;
            const int settled = Transitioning == 0 ? 1 : 0;
            const bool vertical = Slide == 1 || Slide == 3;
            label->RoundXCoord = vertical ? 1 : settled;
            label->RoundYCoord = vertical ? settled : 1;
        }
    }
    return CalcOffset();
}

int TDialog::ManageCore() {
    if (!Active) return 0;
    if (ManageTransitions() == 1) return 1;
    if (Disabled || Transitioning == 2) {
        if (Menu) Menu->ManageFixedGlowOnly();
    } else if (Transitioning == 0) {
        // The walk goes first: Enter on a framed button is not also the OK button's key.
        if (Focus) Focus->Manage();
        if (Menu) Menu->Manage(0, 0);
    }
    return 1;
}

int TDialog::Manage() { return ManageCore(); }

int TDialog::Close(int result) {
    CloseResultTemp = result;
    if (TransitionOut) {
        TransitionOut->Start();
        Transitioning = 2;
        if (SlideOutSound && GameState() && GameState()->Channels)
            GameState()->Channels->PlayGameSound(SlideOutSound, nullptr, 1.0f, 0);
        return 0;
    }
    Finalise();
    return result;
}

int TDialog::Finalise() {
    Active = 0;
    if (ReenableEscapeKey && GameState()) GameState()->IgnoreEscapeKey = OldIgnoreEscapeKey;
    CloseResult = CloseResultTemp;
    return 0;
}

int TDialog::Kill() {
    // An owner that drops an open dialog gets the Escape key back all the same.
    if (Active) {
        Active = 0;
        if (ReenableEscapeKey && GameState()) GameState()->IgnoreEscapeKey = OldIgnoreEscapeKey;
    }
    if (Caption) Caption->Kill();
    Background.reset();
    Shadow.reset();
    DialogColor.reset();
    if (Menu) Menu->Kill();
    Menu.reset();
    Focus.reset();
    Header.reset();
    if (TextHeader) TextHeader->Kill();
    Picture.reset();
    Picture2.reset();
    ActivateSound.reset();
    SlideInSound.reset();
    SlideOutSound.reset();
    FadeChannel.reset();
    return 0;
}

void TDialog::SimulateButton(const std::string& name) {
    if (!Menu) return;
    if (auto button = Menu->FindButton(name)) button->SimulateClick();
}

// ---- TDialog: drawing ------------------------------------------------------------------

void TDialog::DrawBlackLayer(float alpha) const {
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetColor(0, 0, 0);
    platform::SetAlpha(alpha);
    platform::DrawRect(0, 0, static_cast<float>(ScreenWidth), static_cast<float>(ScreenHeight));
    TColor::Restore();
}

int TDialog::SetAlphas(float alpha) {
    if (Header) Header->Alpha = alpha;
    if (Caption) Caption->Alpha = alpha;
    if (TextHeader) TextHeader->Alpha = alpha;
    if (Menu) Menu->SetAlpha(alpha);
    return 0;
}

int TDialog::DoDrawHighlight(float alpha) {
    if (!DrawHighlight) return 0;
    platform::SetColor(255, 255, 255);
    platform::SetAlpha(0.5f * alpha);
    const float left = static_cast<float>(x) + OffsetX, top = static_cast<float>(y) + OffsetY;
    platform::DrawLine(left, top, left + static_cast<float>(w - 1), top);
    platform::DrawLine(left, top, left, top + static_cast<float>(h - 1));
    platform::SetAlpha(alpha);
    return 0;
}

void TDialog::DrawBox(float left, float top) const {
    // Shadows and the box take the dialog's alpha too, so a fading dialog fades as one.
    if (Background) {
        if (Shadow) {
            platform::SetColor(0, 0, 0);
            platform::SetAlpha(Shadow->Alpha * Alpha);
            platform::DrawImage(Background, left + Shadow->X, top + Shadow->Y);
            platform::SetColor(255, 255, 255);
            platform::SetAlpha(Alpha);
        }
        platform::DrawImage(Background, left, top);
    } else {
        if (Shadow) {
            platform::SetColor(0, 0, 0);
            platform::SetAlpha(Shadow->Alpha * Alpha);
            platform::DrawRect(left + Shadow->X, top + Shadow->Y, static_cast<float>(w), static_cast<float>(h));
        }
        if (DialogColor) {
            platform::SetColor(DialogColor->R, DialogColor->G, DialogColor->B);
            platform::SetAlpha(DialogColor->Alpha * Alpha);
        } else {
            platform::SetColor(255, 255, 255);
            platform::SetAlpha(Alpha);
        }
        platform::DrawRect(left, top, static_cast<float>(w), static_cast<float>(h));
        platform::SetColor(255, 255, 255);
        platform::SetAlpha(Alpha);
    }
}

void TDialog::DrawPicture(const std::shared_ptr<TGameImage>& picture, int px, int py, float scale, float angle,
                          const std::shared_ptr<TShadow>& shadow) const {
    if (!picture || !picture->image) return;
    const float at = static_cast<float>(px) + OffsetX, down = static_cast<float>(py) + OffsetY;
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetScale(scale, scale);
    platform::SetRotation(angle);
    if (shadow) {
        platform::SetColor(0, 0, 0);
        platform::SetAlpha(shadow->Alpha * Alpha);
        platform::DrawImage(picture->image, at + shadow->X, down + shadow->Y);
        platform::SetColor(255, 255, 255);
    }
    platform::SetAlpha(Alpha);
    platform::DrawImage(picture->image, at, down);
    platform::SetScale(1, 1);
    platform::SetRotation(0);
}

int TDialog::Draw() {
    if (!Active) return 0;
    Alpha = 1.0f;
    float dim = DimBackground;
    if (FadeDialog && Transitioning == 1 && TransitionIn) {
        Alpha = TransitionIn->GetRatioInv();
        dim = Alpha * DimBackground;
    } else if (FadeDialog && Transitioning == 2 && TransitionOut) {
        Alpha = TransitionOut->GetRatio();
        dim = Alpha * DimBackground;
    }
    if (dim > 0) DrawBlackLayer(dim);

    platform::SetBlend(platform::ALPHABLEND);
    platform::SetAlpha(Alpha);
    if (Alpha != 1) SetAlphas(Alpha);

    DrawBox(static_cast<float>(x) + OffsetX, static_cast<float>(y) + OffsetY);
    DoDrawHighlight(Alpha);
    platform::SetColor(255, 255, 255);

    if (Header) {
        const int savedUseOffset = Header->UseOffset;
        if (Slide > 0) {
            Header->UseOffset = 1;
            Header->offx = OffsetX;
            Header->offy = OffsetY;
        }
        Header->Draw();
        Header->UseOffset = savedUseOffset;
    }
    if (TextHeader) TextHeader->Draw(OffsetX, OffsetY, 1);
    if (Caption) Caption->Draw(OffsetX, OffsetY, 1);

    if (Menu && MenuShow) {
        TextStyle.Alpha = 1.0f;
        Menu->Draw(OffsetX, OffsetY);
    }

    DrawPicture(Picture, PictureX, PictureY, PictureScale, PictureAngle, PictureShadow);
    DrawPicture(Picture2, Picture2X, Picture2Y, Picture2Scale, Picture2Angle, Picture2Shadow);
    if (Focus && Transitioning == 0) Focus->Draw();

    platform::SetColor(255, 255, 255);
    platform::SetAlpha(1.0f);
    platform::SetBlend(platform::ALPHABLEND);
    return 1;
}

// ---- TDialogOK ------------------------------------------------------------------------------

std::shared_ptr<TMenu> NewDialogMenu() {
    auto menu = TMenu::Create("buttonMO", "buttonclick", 0, 0, 10);
    menu->SetShadow(1, 3, 3, 0.4f);
    return menu;
}

std::shared_ptr<TDialogOK> TDialogOK::Create(const std::string& text, std::shared_ptr<platform::Image> background,
                                             int newW, int newH, int newX) {
    auto dialog = std::make_shared<TDialogOK>();
    dialog->Init(text, std::move(background), newW, newH, newX, 0);
    dialog->MenuCreate();
    return dialog;
}

int TDialogOK::MenuCreate() {
    Menu = NewDialogMenu();
    Menu->AddQuick("OK", "")->OKButton = 1;
    return MenuPosition();
}

int TDialogOK::CalcSize() {
    TDialog::CalcSize();
    if (!Background) {
        h = Truncate(CaptionHeight() + static_cast<float>(Gap + 2 * Border) + MenuHeight());
        CalcXY();
    }
    return 0;
}

int TDialogOK::MenuPosition() {
    PlaceDialogMenu(*this);
    return 0;
}

int TDialogOK::OKClick() {
    FlushInput();
    return Close(1);
}

int TDialogOK::Manage() {
    if (!Active) return 0;
    ManageCore();
    if (!Active) return CloseResult;
    if (Transitioning != 0 || Disabled) return 0;
    bool anywhere = false;
    if (ClickAnywhereCloses && GameState() && GameState()->Mouse && GameState()->Mouse->h1 > 0) {
        GameState()->Mouse->ClearMouseHit();
        anywhere = true;
    }
    if (KeyHit(vk::ESCAPE) || anywhere) {
        SimulateButton("OK");
        return OKClick();
    }
    if (Menu && Menu->Clicked("OK")) return OKClick();
    return 0;
}

// ---- TDialogYesNo ---------------------------------------------------------------------------

std::shared_ptr<TDialogYesNo> TDialogYesNo::Create(const std::string& text, std::shared_ptr<platform::Image> background,
                                                   int newW, int newH, int newX, int makeMenu, int buttonGap) {
    auto dialog = std::make_shared<TDialogYesNo>();
    dialog->Init(text, std::move(background), newW, newH, newX, 0);
    dialog->ButtonGap = buttonGap;
    if (makeMenu) dialog->MenuCreate(dialog->ButtonGap);
    return dialog;
}

int TDialogYesNo::MenuCreate(int gap) {
    Menu = NewDialogMenu();
    Menu->AddPair("Yes", "No", gap, "");
    Menu->FindButton("Yes")->OKButton = 1;
    return MenuPosition();
}

int TDialogYesNo::CalcSize() {
    TDialog::CalcSize();
    if (!Background) {
        h = Truncate(CaptionHeight() + static_cast<float>(Gap + 2 * Border) + MenuHeight());
        CalcXY();
    }
    return 0;
}

int TDialogYesNo::MenuPosition() {
    PlaceDialogMenu(*this);
    return 0;
}

int TDialogYesNo::YesClick() {
    FlushInput();
    if (YesFunc) YesFunc();
    return Close(1);
}

int TDialogYesNo::NoClick() {
    FlushInput();
    if (NoFunc) NoFunc();
    return Close(-1);
}

int TDialogYesNo::ClickSound() {
    if (Menu)
        if (auto yes = Menu->FindButton("Yes")) yes->PlayClick();
    return 0;
}

int TDialogYesNo::Manage() {
    if (!Active) return 0;
    ManageCore();
    if (!Active) return CloseResult;
    if (Transitioning != 0 || Disabled) return 0;
    if (KeyHit(vk::ESCAPE) || KeyHit('N')) {
        SimulateButton("No");
        return NoClick();
    }
    if (KeyHit('Y')) {
        SimulateButton("Yes");
        return YesClick();
    }
    if (Menu && Menu->Clicked("No")) return NoClick();
    if (Menu && Menu->Clicked("Yes")) return YesClick();
    return 0;
}
