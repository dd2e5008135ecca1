// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/dialog.h"

#include <algorithm>
#include <cmath>

#include "framework/audio/channels.h"
#include "framework/audio/game_sound.h"
#include "framework/core/game.h"
#include "framework/core/input.h"
#include "framework/screens/screen.h"
#include "framework/util/strings.h"
#include "framework/widgets/animation.h"
#include "framework/widgets/bitmap_font.h"
#include "framework/widgets/button.h"
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

// ---- UTF-8 text of the entry ---------------------------------------------------

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

int CountCharacters(const std::string& text) {
    int count = 0;
    for (unsigned char c : text)
        if (!IsContinuation(c)) ++count;
    return count;
}

// The first n characters.
std::string FirstCharacters(const std::string& text, int n) {
    if (n <= 0) return std::string();
    int seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsContinuation(static_cast<unsigned char>(text[i]))) continue;
        if (seen == n) return text.substr(0, i);
        ++seen;
    }
    return text;
}

std::string Encode(int code) { return EncodeUtf8(code); }

// Characters that can be shown and stored: no control characters (DEL and the
// C1 range included), no lone surrogate halves, nothing beyond Unicode.
bool Printable(int code, int extended) {
    if (code >= 32 && code <= 126) return true;
    if (!extended) return false;
    if (code < 0xA0) return false;
    if (code >= 0xD800 && code <= 0xDFFF) return false;
    return code <= 0x10FFFF;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

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

// ---- TTextCursor ---------------------------------------------------------------------

int TTextCursor::Init(int newX, int newY, int newLinegap) {
    x = newX;
    y = newY;
    linegap = newLinegap;
    return 0;
}

int TTextCursor::NewLine() {
    y += linegap;
    return 0;
}

int TTextCursor::Output(const std::string& text) {
    if (Shadow)
        DrawTextWithShadow(static_cast<float>(x), static_cast<float>(y), text, 0);
    else
        platform::DrawText(text, static_cast<float>(x), static_cast<float>(y));
    return 0;
}

int TTextCursor::OutputNL(const std::string& text) {
    Output(text);
    return NewLine();
}

// ---- TTextInput ------------------------------------------------------------------------

TTextInput::TTextInput()
    : TextCol(std::make_shared<TColor>()),
      TextShadow(std::make_shared<TShadow>()),
      DotCol(std::make_shared<TColor>()),
      CursorCol(std::make_shared<TColor>()) {}

int TTextInput::Characters() const { return CountCharacters(Text); }

int TTextInput::Init(std::shared_ptr<platform::ImageFont> imageFont, const std::string& text, int x, int y,
                     std::shared_ptr<TBitmapFont> bitmapFont) {
    Font = std::move(imageFont);
    BitmapFont = std::move(bitmapFont);
    Text = text;
    CurrentChar = Characters() + 1;
    X = x;
    Y = y;
    TextCol->Set(255, 255, 255, 1.0f);
    DotCol->Set(150, 150, 150, 1.0f);
    CursorCol->Set(0, 255, 255, 1.0f);
    SetCursorFlashSpeed(250);
    return Reset();
}

int TTextInput::Reset() {
    Active = 1;
    Done = 0;
    if (Game) Game->BlockKeys = 1;
    FlushKeys();
    return 0;
}

int TTextInput::SetCursorFlashSpeed(int ms) {
    CursorFlashSpeed = Game ? static_cast<int>(Game->CalcAnimLength(static_cast<float>(ms))) : 0;
    CursorFlashCounter = 0;
    CursorOn = 1;
    return 0;
}

int TTextInput::Finish() {
    Active = 0;
    Done = 1;
    if (Game) Game->BlockKeys = 0;
    FlushInput();
    return 0;
}

int TTextInput::MakeCharsFileNameSafe() {
    BannedChars = "\"|*\\/:;~?<>,+=%";
    return 0;
}

int TTextInput::PlayTypingSound() {
    if (TypingSound && Game && Game->Channels) Game->Channels->PlayGameSound(TypingSound, nullptr, 1.0f, 0.0f);
    return 0;
}

int TTextInput::GetWidth(const std::string& s) {
    const std::string text = Text + s;
    if (BitmapFont) return static_cast<int>(BitmapFont->StringWidth(text));
    if (Font) return Font->TextWidth(text);
    return platform::TextWidth(text);
}

bool TTextInput::Drawable(int codePoint) const {
    if (BitmapFont) {
        if (codePoint >= 1 && codePoint <= 255) return BitmapFont->width[static_cast<size_t>(codePoint)] > 0 ||
                                                      BitmapFont->xAdvance[static_cast<size_t>(codePoint)] > 0;
        return BitmapFont->FindChar(codePoint) != 0;
    }
    auto font = Font ? Font : platform::GetImageFont();
    if (!font) font = platform::DefaultFont();
    return font && font->HasGlyph(static_cast<uint32_t>(codePoint));
}

int TTextInput::Refuse() {
    RefusedCounter = Game ? Game->CalcAnimLength(static_cast<float>(RefusedShakeMs)) : 0.0f;
    if (RefusedSound && Game && Game->Channels) Game->Channels->PlayGameSound(RefusedSound, nullptr, 1.0f, 0.0f);
    return 0;
}

float TTextInput::ShakeOffset() const {
    if (RefusedCounter <= 0 || !Game) return 0;
    const float length = Game->CalcAnimLength(static_cast<float>(RefusedShakeMs));
    if (length <= 0) return 0;
    // Three swings that die away, the way a head shakes "no".
    const float left = RefusedCounter / length;
    return 4.0f * left * std::sin((1.0f - left) * 6.0f * 3.14159265f);
}

int TTextInput::TakeChar(int ch) {
    if (ch > 0 && ch < 128 && BannedChars.find(static_cast<char>(ch)) != std::string::npos) return Refuse();
    if (ch == vk::BACK) {
        if (CurrentChar > 1) {
            --CurrentChar;
            PlayTypingSound();
        }
        Text = FirstCharacters(Text, CurrentChar - 1);
        return 0;
    }
    if (NumbersOnly && ch != vk::RETURN && ch != vk::ESCAPE && (ch < '0' || ch > '9'))
        return ch >= 32 ? Refuse() : 0;
    if (Printable(ch, AllowExtendedChars)) {
        // What the font cannot draw would show as an empty box, here and
        // wherever the text is shown later.
        if (CurrentChar > MaxLength || !Drawable(ch)) return Refuse();
        const int code = UppercaseFirstCharAsTyped && CurrentChar == 1 ? UpperCaseLetter(ch) : ch;
        const std::string typed = Encode(Drawable(code) ? code : ch);
        if (MaxPixelWidth != 0 && GetWidth(typed) > MaxPixelWidth) return Refuse();
        Text += typed;
        ++CurrentChar;
        PlayTypingSound();
        return 0;
    }
    if (ch >= 32 && ch != vk::ESCAPE) return Refuse();
    if (ch == vk::RETURN) {
        if (PlayTypingSoundOnEnter) PlayTypingSound();
        if (AllowNull || !Trim(Text).empty()) {
            Finish();
            return 1;
        }
        FlushKeys();
        return 0;
    }
    if (ch == vk::ESCAPE && AllowEscToAbort) {
        if (ClearTextOnEscape) {
            Text.clear();
            CurrentChar = 1;
        }
        Finish();
        return -1;
    }
    return 0;
}

int TTextInput::Manage() {
    if (!Active) return 0;
    // Everything typed since the last step is taken now, so that characters
    // typed in the same step as Enter are not lost to the OK button.
    for (int ch = GetChar(); ch != 0; ch = GetChar()) {
        // While the player types the cursor stays lit; it blinks again when they pause.
        CursorOn = 1;
        CursorFlashCounter = 0;
        const int result = TakeChar(ch);
        if (result != 0) return result;
        if (!Active) break;
    }
    if (RefusedCounter > 0) RefusedCounter = std::max(0.0f, RefusedCounter - Delta);
    CursorFlashCounter += Delta;
    if (CursorFlashCounter >= static_cast<float>(CursorFlashSpeed)) {
        CursorOn = CursorOn ? 0 : 1;
        CursorFlashCounter = 0;
    }
    return 0;
}

int TTextInput::Draw() {
    if (!Active && !ForceDraw) return 0;
    if (!BitmapFont && Font) platform::SetImageFont(Font);
    const float px = static_cast<float>(X) + OffsetX + ShakeOffset(), py = static_cast<float>(Y) + OffsetY;
    platform::SetBlend(platform::ALPHABLEND);
    auto write = [&](const std::string& text, float at, float top, bool shadow) {
        if (BitmapFont) {
            BitmapFont->DrawAligned(text, at, top, 0, 1, 1, shadow ? 1 : 0);
        } else {
            DrawTextLeft(text, at, top, shadow ? 1 : 0, 1);
        }
    };
    TextCol->Apply();
    if (TextShadow) {
        TextShadow->ApplyToText();
        TextAlpha = TextCol->Alpha;
        if (BitmapFont) write(Text, px, py, true);
    }
    write(Text, px, py, TextShadow && !BitmapFont);
    float after = px + static_cast<float>(GetWidth(""));
    const int count = Characters();
    int reserved = 0;
    if (DrawUnderscore && (count < MaxLength || CursorAtMaxLength)) {
        if (CursorOn) {
            CursorCol->Apply();
            write("_", after, py + static_cast<float>(CursorYOffset), false);
        }
        const int underscore = BitmapFont ? static_cast<int>(BitmapFont->StringWidth("_"))
                                          : (Font ? Font->TextWidth("_") : platform::TextWidth("_"));
        after += static_cast<float>(underscore);
        reserved = 1;
    }
    if (DrawDots) {
        const int dots = MaxLength - count - reserved;
        if (dots > 0) {
            DotCol->Apply();
            write(std::string(static_cast<size_t>(dots), '.'), after, py, false);
        }
    }
    TColor::Restore();
    return 0;
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
    TextHeader = TLabel::CreateSpecial(text, static_cast<float>(textX), static_cast<float>(textY), 1, 0,
                                       centreVertically);
    if (!colour) colour = TextHeader->Color;
    TextHeader->Init(std::move(imageFont), std::move(colour), std::move(shadow), 0, std::move(bitmapFont), nullptr,
                     "");
    return 0;
}

int TDialog::HeaderLoad(const std::string& name, int headerX, int headerY) {
    auto picture = TGameImage::Create(Game->ImagePath + name + Ext, platform::IMAGE_DEFAULT_FLAGS, 1);
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
        if (SlideInSound && Game && Game->Channels) Game->Channels->PlayGameSound(SlideInSound, nullptr, 1.0f, 0);
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
    if (!Active && Game) {
        OldIgnoreEscapeKey = Game->IgnoreEscapeKey;
        Game->IgnoreEscapeKey = 1;
    }
    Active = 1;
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

namespace {
// The subclasses' menu place: centred at the bottom, or where the dialog says.
void PlaceMenu(TDialog& dialog) {
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
}  // namespace

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
        case 1: OffsetY = -static_cast<float>(y + h + SlideExtra) * r; break;
        case 2: OffsetX = static_cast<float>(ScreenWidth - x + SlideExtra) * r; break;
        case 3: OffsetY = static_cast<float>(ScreenHeight - y + SlideExtra) * r; break;
        case 4: OffsetX = -static_cast<float>(x + w + SlideExtra) * r; break;
        default: break;
    }
    return 0;
}

int TDialog::ManageTransitions() {
    if (Transitioning == 1 && TransitionIn && TransitionIn->Manage() == 1 && TransitionIn->Finished) {
        Transitioning = 0;
        if (FadeDialog) SetAlphas(1.0f);
        if (ActivateSound && Game && Game->Channels)
            FadeChannel = Game->Channels->PlayGameSound(ActivateSound, nullptr, 1.0f, 0);
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
    if (Transitioning == 2 && FadeChannel && FadeChannel->Channel && Game)
        FadeChannel->Channel->SetVolume(TransitionOut->GetRatio() * static_cast<float>(Game->SoundVolume) / 100.0f);
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
        if (SlideOutSound && Game && Game->Channels) Game->Channels->PlayGameSound(SlideOutSound, nullptr, 1.0f, 0);
        return 0;
    }
    Finalise();
    return result;
}

int TDialog::Finalise() {
    Active = 0;
    if (ReenableEscapeKey && Game) Game->IgnoreEscapeKey = OldIgnoreEscapeKey;
    CloseResult = CloseResultTemp;
    return 0;
}

int TDialog::Kill() {
    // An owner that drops an open dialog gets the Escape key back all the same.
    if (Active) {
        Active = 0;
        if (ReenableEscapeKey && Game) Game->IgnoreEscapeKey = OldIgnoreEscapeKey;
    }
    if (Caption) Caption->Kill();
    Background.reset();
    Shadow.reset();
    DialogColor.reset();
    if (Menu) Menu->Kill();
    Menu.reset();
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

    const float left = static_cast<float>(x) + OffsetX, top = static_cast<float>(y) + OffsetY;
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
        TextAlpha = 1.0f;
        Menu->Draw(OffsetX, OffsetY);
    }

    auto drawPicture = [&](const std::shared_ptr<TGameImage>& picture, int px, int py, float scale, float angle,
                           const std::shared_ptr<TShadow>& shadow) {
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
    };
    drawPicture(Picture, PictureX, PictureY, PictureScale, PictureAngle, PictureShadow);
    drawPicture(Picture2, Picture2X, Picture2Y, Picture2Scale, Picture2Angle, Picture2Shadow);

    platform::SetColor(255, 255, 255);
    platform::SetAlpha(1.0f);
    platform::SetBlend(platform::ALPHABLEND);
    return 1;
}

// ---- TDialogOK ------------------------------------------------------------------------------

namespace {
std::shared_ptr<TMenu> DialogMenu() {
    auto menu = TMenu::Create("buttonMO", "buttonclick", 0, 0, 10);
    menu->SetShadow(1, 3, 3, 0.4f);
    return menu;
}
}  // namespace

std::shared_ptr<TDialogOK> TDialogOK::Create(const std::string& text, std::shared_ptr<platform::Image> background,
                                             int newW, int newH, int newX) {
    auto dialog = std::make_shared<TDialogOK>();
    dialog->Init(text, std::move(background), newW, newH, newX, 0);
    dialog->MenuCreate();
    return dialog;
}

int TDialogOK::MenuCreate() {
    Menu = DialogMenu();
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
    PlaceMenu(*this);
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
    if (ClickAnywhereCloses && Game && Game->Mouse && Game->Mouse->h1 > 0) {
        Game->Mouse->ClearMouseHit();
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

std::shared_ptr<TDialogYesNo> TDialogYesNo::Create(const std::string& text,
                                                   std::shared_ptr<platform::Image> background, int newW, int newH,
                                                   int newX, int makeMenu, int buttonGap) {
    auto dialog = std::make_shared<TDialogYesNo>();
    dialog->Init(text, std::move(background), newW, newH, newX, 0);
    dialog->ButtonGap = buttonGap;
    if (makeMenu) dialog->MenuCreate(dialog->ButtonGap);
    return dialog;
}

int TDialogYesNo::MenuCreate(int gap) {
    Menu = DialogMenu();
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
    PlaceMenu(*this);
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

// ---- TDialogTextInput -------------------------------------------------------------------------

std::shared_ptr<TDialogTextInput> TDialogTextInput::Create(const std::string& captionText, const std::string& text,
                                                           int maxLength, std::shared_ptr<platform::Image> background,
                                                           int newW, int newX, int newY, int maxPixelWidth) {
    auto dialog = std::make_shared<TDialogTextInput>();
    dialog->Init(captionText, std::move(background), newW, 0, newX, newY);
    dialog->Text = TLabel::CreateSpecial(text, 0, 0, 0, 0, 0);
    dialog->BoxColor = TColor::Create(0, 0, 0, 1.0f);
    dialog->TextInput = std::make_shared<TTextInput>();
    dialog->TextInput->MaxLength = maxLength;
    dialog->TextInput->MaxPixelWidth = maxPixelWidth;
    return dialog;
}

int TDialogTextInput::MenuCreate(int withCancel, int gap) {
    Menu = DialogMenu();
    if (withCancel)
        Menu->AddPair("OK", "Cancel", gap, "");
    else
        Menu->AddQuick("OK", "");
    Menu->FindButton("OK")->OKButton = 1;
    return MenuPosition();
}

int TDialogTextInput::SetupText(std::shared_ptr<platform::ImageFont> imageFont, std::shared_ptr<TColor> colour,
                                std::shared_ptr<TShadow> shadow, int fixedWidth,
                                std::shared_ptr<TBitmapFont> bitmapFont) {
    if (!colour) colour = Text->Color;
    Text->Init(std::move(imageFont), std::move(colour), std::move(shadow), fixedWidth, bitmapFont, nullptr, "");
    TextInput->Init(Text->ImageFont, Text->Text, Truncate(Text->X), Truncate(Text->Y), bitmapFont);
    TextInput->TextCol->Copy(*Text->Color);
    if (Text->Shadow)
        TextInput->TextShadow->Copy(*Text->Shadow);
    else
        TextInput->TextShadow.reset();
    TextInput->DrawDots = Text->FixedWidth;
    TextInput->AllowNull = AllowNull;
    auto cancel = Menu ? Menu->FindButton("Cancel") : nullptr;
    if (!cancel) TextInput->AllowEscToAbort = 0;
    // Space types a space.
    if (auto ok = Menu ? Menu->FindButton("OK") : nullptr) ok->OKButtonUseSpace = 0;
    return MenuPosition();
}

int TDialogTextInput::Start() {
    TDialog::Start();
    if (TextInput) TextInput->AllowNull = AllowNull;
    if (Game) Game->BlockKeys = 1;
    return 0;
}

int TDialogTextInput::CalcSize() {
    TDialog::CalcSize();
    if (!Background) {
        const float textHeight = Text ? Text->CalcHeight() : 0;
        h = Truncate(CaptionHeight() + textHeight + static_cast<float>(2 * Gap + 2 * Border) + MenuHeight());
        CalcXY();
    }
    return 0;
}

int TDialogTextInput::SetLabelsXY() {
    TDialog::SetLabelsXY();
    if (!Text) return 0;
    if (TextOX == 0 && TextOY == 0) {
        Text->X = static_cast<float>(x + BoxBorderH + TextBorder);
        Text->Y = (Caption ? Caption->Y + CaptionHeight() : static_cast<float>(y)) + static_cast<float>(Gap);
    } else {
        Text->X = static_cast<float>(TextOX);
        Text->Y = static_cast<float>(TextOY);
    }
    if (TextInput) {
        TextInput->X = Truncate(Text->X);
        TextInput->Y = Truncate(Text->Y + static_cast<float>(TextYOffset));
    }
    return 0;
}

int TDialogTextInput::MenuPosition() {
    PlaceMenu(*this);
    return 0;
}

int TDialogTextInput::ProcessOKClickedFunc() {
    if (!OKClickedFunc) return 1;
    const int result = OKClickedFunc(*this);
    if (result > 0) return result;
    Active = 1;
    return 0;
}

int TDialogTextInput::OKClickTest() {
    TextInput->ForceDraw = 1;
    if (UppercaseFirstChar) {
        const std::string upper = UpperCaseFirstLetter(TextInput->Text);
        // A capital the font cannot draw is worse than a small letter it can.
        if (upper != TextInput->Text && TextInput->Drawable(FirstCodePoint(upper))) TextInput->Text = upper;
    }
    if (ErrorCheckFunc) {
        std::string message;
        if (ErrorCheckFunc(TextInput->Text, message) == -1) {
            if (ErrorDialogFunc) DialogOK = ErrorDialogFunc(message);
            if (DialogOK) {
                DialogOK->ReenableEscapeKey = 0;
            } else {
                // With no dialog to dismiss, typing goes straight on.
                TextInput->Reset();
            }
            if (Game) Game->BlockKeys = 1;
            return 0;
        }
    }
    if (!AllowNull && Trim(TextInput->Text).empty()) {
        if (!TextInput->Active) TextInput->Reset();
        if (Game) Game->BlockKeys = 1;
        return 0;
    }
    return 1;
}

int TDialogTextInput::OKClick() {
    FlushInput();
    return Close(1);
}

int TDialogTextInput::CancelClick() {
    TextInput->ForceDraw = 1;
    FlushInput();
    return Close(-1);
}

int TDialogTextInput::ClickSound() {
    if (Menu)
        if (auto ok = Menu->FindButton("OK")) ok->PlayClick();
    return 0;
}

int TDialogTextInput::Manage() {
    if (!Active) return 0;
    if (OKClickedScreen) {
        if (OKClickedScreen->Logic() == 1) {
            OKClickedScreen->Kill();
            OKClickedScreen.reset();
            if (Menu) Menu->ClearStates();
            return 1;
        }
        return 0;
    }
    if (OKClickedDialog) {
        if (OKClickedDialog->Manage() != 0) {
            OKClickedDialog->Kill();
            OKClickedDialog.reset();
            if (Menu) Menu->ClearStates();
            return OKClick();
        }
        return 0;
    }
    if (DialogOK) {
        if (DialogOK->Manage() == 0) return 0;
        DialogOK->Kill();
        DialogOK.reset();
        if (Menu) {
            Menu->ClearStates();
            Menu->ManageNoSound(0, 0);
        }
        TextInput->Reset();
    }
    if (ManageTransitions() == 1) return CloseResult;
    if (Disabled || Transitioning == 2) {
        if (Menu) Menu->ManageFixedGlowOnly();
        return 0;
    }
    if (Transitioning != 0) return 0;

    const int typed = TextInput->Manage();
    if (typed == 1) {
        SimulateButton("OK");
        if (OKClickTest() && ProcessOKClickedFunc()) return OKClick();
        return 0;
    }
    if (typed == -1) {
        SimulateButton("Cancel");
        return CancelClick();
    }
    if (!Menu) return 0;
    Menu->Manage(0, 0);
    if (Menu->Clicked("OK") && OKClickTest()) {
        TextInput->Finish();
        if (ProcessOKClickedFunc()) return OKClick();
        return 0;
    }
    if (auto cancel = Menu->FindButton("Cancel")) {
        const bool clicked = Menu->Clicked("Cancel");
        const bool escape = !clicked && cancel->Active && KeyHit(vk::ESCAPE);
        if (clicked || escape) {
            TextInput->Finish();
            if (escape) ClickSound();
            return CancelClick();
        }
    }
    return 0;
}

int TDialogTextInput::Draw() {
    if (!DrawDisabled) {
        if (TDialog::Draw() == 0) return 0;
        const float textHeight = Text ? Text->CalcHeight() : 0;
        const float textY = Text ? Text->Y : static_cast<float>(y);
        const float boxX = static_cast<float>(x + BoxBorderH) + OffsetX;
        const float boxY = textY - static_cast<float>(BoxBorderV) + OffsetY;
        const float boxW = static_cast<float>(w - 2 * BoxBorderH);
        const float boxH = textHeight + static_cast<float>(2 * BoxBorderV);
        if (DrawBox && BoxImage) {
            platform::SetBlend(platform::ALPHABLEND);
            platform::SetColor(255, 255, 255);
            platform::SetAlpha(Alpha);
            DrawStretchedFrame(BoxImage, boxX, boxY, boxW, boxH, BoxImageCorner);
            TColor::Restore();
        } else if (DrawBox && BoxColor) {
            platform::SetColor(BoxColor->R, BoxColor->G, BoxColor->B);
            platform::SetAlpha(BoxColor->Alpha * Alpha);
            platform::DrawRect(boxX, boxY, boxW, boxH);
            TColor::Restore();
        }
        if (TextInput) {
            TextInput->OffsetX = OffsetX;
            TextInput->OffsetY = OffsetY;
            TextInput->Draw();
        }
        if (DialogOK) {
            if (DimWhenShowingDialogs) DrawBlackLayer(0.5f);
            DialogOK->Draw();
        }
    }
    if (OKClickedScreen) OKClickedScreen->Draw();
    if (OKClickedDialog) OKClickedDialog->Draw();
    return 1;
}

int TDialogTextInput::Kill() {
    // Typing ends with the dialog, whichever way it goes.
    if (TextInput && TextInput->Active && Game) Game->BlockKeys = 0;
    if (DialogOK) DialogOK->Kill();
    DialogOK.reset();
    if (OKClickedDialog) OKClickedDialog->Kill();
    OKClickedDialog.reset();
    OKClickedScreen.reset();
    if (Text) Text->Kill();
    BoxColor.reset();
    return TDialog::Kill();
}
