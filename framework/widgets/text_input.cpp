// SPDX-License-Identifier: GPL-3.0-or-later
// The text cursor, the one-line text entry and the dialog that asks for a text.
#include <algorithm>
#include <cmath>

#include "framework/audio/channels.h"
#include "framework/audio/game_sound.h"
#include "framework/core/game_state.h"
#include "framework/core/input.h"
#include "framework/screens/screen.h"
#include "framework/util/strings.h"
#include "framework/widgets/bitmap_font.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/font.h"
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

int Truncate(float v) { return static_cast<int>(v); }

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

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
    if (GameState()) GameState()->BlockKeys = 1;
    FlushKeys();
    return 0;
}

int TTextInput::SetCursorFlashSpeed(int ms) {
    CursorFlashSpeed = GameState() ? static_cast<int>(GameState()->CalcAnimLength(static_cast<float>(ms))) : 0;
    CursorFlashCounter = 0;
    CursorOn = 1;
    return 0;
}

int TTextInput::Finish() {
    Active = 0;
    Done = 1;
    if (GameState()) GameState()->BlockKeys = 0;
    FlushInput();
    return 0;
}

int TTextInput::MakeCharsFileNameSafe() {
    BannedChars = "\"|*\\/:;~?<>,+=%";
    return 0;
}

int TTextInput::PlayTypingSound() {
    if (TypingSound && GameState() && GameState()->Channels)
        GameState()->Channels->PlayGameSound(TypingSound, nullptr, 1.0f, 0.0f);
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
        if (codePoint >= 1 && codePoint <= 255)
            return BitmapFont->width[static_cast<size_t>(codePoint)] > 0 ||
                   BitmapFont->xAdvance[static_cast<size_t>(codePoint)] > 0;
        return BitmapFont->FindChar(codePoint) != 0;
    }
    auto font = Font ? Font : platform::GetImageFont();
    if (!font) font = platform::DefaultFont();
    return font && font->HasGlyph(static_cast<uint32_t>(codePoint));
}

int TTextInput::Refuse() {
    RefusedCounter = GameState() ? GameState()->CalcAnimLength(static_cast<float>(RefusedShakeMs)) : 0.0f;
    if (RefusedSound && GameState() && GameState()->Channels)
        GameState()->Channels->PlayGameSound(RefusedSound, nullptr, 1.0f, 0.0f);
    return 0;
}

float TTextInput::ShakeOffset() const {
    if (RefusedCounter <= 0 || !GameState()) return 0;
    const float length = GameState()->CalcAnimLength(static_cast<float>(RefusedShakeMs));
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
    if (NumbersOnly && ch != vk::RETURN && ch != vk::ESCAPE && (ch < '0' || ch > '9')) return ch >= 32 ? Refuse() : 0;
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
        TextStyle.Alpha = TextCol->Alpha;
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
    Menu = NewDialogMenu();
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
    // Space and the arrows belong to the text being typed; Enter and Escape answer.
    Focus = nullptr;
    if (TextInput) TextInput->AllowNull = AllowNull;
    if (GameState()) GameState()->BlockKeys = 1;
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
    PlaceDialogMenu(*this);
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
            if (GameState()) GameState()->BlockKeys = 1;
            return 0;
        }
    }
    if (!AllowNull && Trim(TextInput->Text).empty()) {
        if (!TextInput->Active) TextInput->Reset();
        if (GameState()) GameState()->BlockKeys = 1;
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
    if (TextInput && TextInput->Active && GameState()) GameState()->BlockKeys = 0;
    if (DialogOK) DialogOK->Kill();
    DialogOK.reset();
    if (OKClickedDialog) OKClickedDialog->Kill();
    OKClickedDialog.reset();
    OKClickedScreen.reset();
    if (Text) Text->Kill();
    BoxColor.reset();
    return TDialog::Kill();
}
