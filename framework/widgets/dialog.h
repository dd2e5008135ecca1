// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialogs shown over a screen (a caption, buttons, optional slide or fade and
// dimming), the ready-made OK, yes/no and text-input dialogs, the one-line
// text entry they use, and a cursor that writes lines of text downwards.
//
// While a dialog is open its owner calls Manage each logic step and Draw each
// frame (after drawing itself) and reads the result of Manage: 0 while open,
// 1 for OK or Yes, -1 for Cancel or No.
#include <functional>
#include <memory>
#include <string>

namespace platform {
class Image;
class ImageFont;
}  // namespace platform
class TAnimation;
class TBitmapFont;
class TColor;
class TGameChannel;
class TGameImage;
class TGameSound;
class TLabel;
class TMenu;
class TScreen;
class TShadow;
class TSprite;

// Draws the picture stretched to (x, y, w, h) with its four corners of
// `corner` pixels (0: a third of its shorter side) kept unscaled, so a rounded
// frame stays round at any size.
void DrawStretchedFrame(const std::shared_ptr<platform::Image>& picture, float x, float y, float w, float h,
                        int corner);

// Writes lines of text in the current image font, one under another.
class TTextCursor {
public:
    virtual ~TTextCursor() = default;

    int x = 0, y = 0;
    int linegap = 20;
    int Shadow = 0;

    virtual int Init(int newX, int newY, int newLinegap);
    virtual int NewLine();
    virtual int Output(const std::string& text);
    virtual int OutputNL(const std::string& text);
};

// A one-line text entry fed from the game's typed-character queue. The text is
// UTF-8; lengths count characters, not bytes.
class TTextInput {
public:
    TTextInput();
    virtual ~TTextInput() = default;

    std::string Text;
    int MaxLength = 10;
    // 0: no limit in pixels.
    int MaxPixelWidth = 0;
    // One more than the number of characters once initialised.
    int CurrentChar = 0;
    int Active = 0;
    int Done = 0;
    // Draw even when not active.
    int ForceDraw = 0;
    int X = 0, Y = 0;
    std::shared_ptr<TColor> TextCol;
    // Null: no shadow.
    std::shared_ptr<TShadow> TextShadow;
    std::shared_ptr<TColor> DotCol;
    std::shared_ptr<TColor> CursorCol;
    int CursorYOffset = 0;
    std::shared_ptr<platform::ImageFont> Font;
    // Drawn and measured with this when set, else with Font.
    std::shared_ptr<TBitmapFont> BitmapFont;
    // Fill the rest of the field with dots (for fixed-width fonts).
    int DrawDots = 0;
    int DrawUnderscore = 1;
    float CursorFlashCounter = 0;
    // Steps per blink phase.
    int CursorFlashSpeed = 0;
    int CursorOn = 1;
    int AllowEscToAbort = 1;
    // An empty (or blank) entry may be confirmed with Enter.
    int AllowNull = 1;
    std::string BannedChars;
    // Characters beyond plain ASCII may be typed.
    int AllowExtendedChars = 0;
    int NumbersOnly = 0;
    std::shared_ptr<TGameSound> TypingSound;
    int PlayTypingSoundOnEnter = 1;
    float OffsetX = 0, OffsetY = 0;
    int ClearTextOnEscape = 0;
    int UppercaseFirstCharAsTyped = 0;
    // Keep showing the cursor once the text is as long as it may be.
    int CursorAtMaxLength = 0;
    // A refused character shakes the text for this long and plays RefusedSound.
    int RefusedShakeMs = 240;
    std::shared_ptr<TGameSound> RefusedSound;
    // Steps of shaking left.
    float RefusedCounter = 0;

    virtual int Init(std::shared_ptr<platform::ImageFont> imageFont, const std::string& text, int x, int y,
                     std::shared_ptr<TBitmapFont> bitmapFont);
    // Typing (again): active, key blocking on, pending keys flushed.
    virtual int Reset();
    virtual int SetCursorFlashSpeed(int ms);
    // Once per logic step: 1 when Enter accepted the text, -1 when Escape
    // aborted, else 0.
    virtual int Manage();
    virtual int PlayTypingSound();
    // Bans the characters that cannot appear in a file name.
    virtual int MakeCharsFileNameSafe();
    virtual int Finish();
    // Pixel width of Text + s in the input's font.
    virtual int GetWidth(const std::string& s);
    virtual int Draw();

    // Whether the input's font can show this character.
    virtual bool Drawable(int codePoint) const;
    // Tells the player a character was not taken.
    virtual int Refuse();
    // How far the text is shaken sideways now, in pixels.
    float ShakeOffset() const;

protected:
    // Handles one character from the queue; the result as for Manage.
    int TakeChar(int ch);
    int Characters() const;
};

class TFocusRing;

class TDialog : public std::enable_shared_from_this<TDialog> {
public:
    TDialog();
    virtual ~TDialog() = default;

    std::shared_ptr<TLabel> Caption;
    // When set the dialog is this picture and takes its size.
    std::shared_ptr<platform::Image> Background;
    int Active = 0;
    // Shown but not taking input.
    int Disabled = 0;
    std::shared_ptr<TShadow> Shadow;
    // A light edge along the top and left.
    int DrawHighlight = 1;
    int w = 0, h = 0, x = 0, y = 0;
    int Border = 20;
    // The box's colour when there is no background.
    std::shared_ptr<TColor> DialogColor;
    std::shared_ptr<TMenu> Menu;
    // The keyboard walk through the dialog's buttons, made by Start from Menu;
    // nullptr where typing has the keys (the text-input dialog).
    std::shared_ptr<TFocusRing> Focus;
    int MenuShow = 1;
    int Centre = 1;
    int FixedWidth = 0;
    int WordWrapWidth = 0;
    // The game's Escape handling is off while the dialog is open and comes
    // back on closing when ReenableEscapeKey is set.
    int ReenableEscapeKey = 1;
    int OldIgnoreEscapeKey = 0;
    // Fixed caption position (both 0: automatic) and a shift added to it.
    int CaptionOX = 0, CaptionOY = 0;
    int CaptionOffsetX = 0, CaptionOffsetY = 0;
    int CaptionCentreVert = 0;
    // Fixed menu position (both 0: automatic).
    int MenuOX = 0, MenuOY = 0;
    std::shared_ptr<TSprite> Header;
    std::string Ext = ".png";
    std::shared_ptr<TLabel> TextHeader;
    std::shared_ptr<TGameImage> Picture, Picture2;
    int PictureX = 0, PictureY = 0;
    float PictureScale = 1.0f, PictureAngle = 0;
    std::shared_ptr<TShadow> PictureShadow;
    int Picture2X = 0, Picture2Y = 0;
    float Picture2Scale = 1.0f, Picture2Angle = 0;
    std::shared_ptr<TShadow> Picture2Shadow;
    std::shared_ptr<TAnimation> TransitionIn, TransitionOut;
    // 0 none, 1 coming in, 2 going out.
    int Transitioning = 0;
    // Alpha of the black layer over everything behind the dialog.
    float DimBackground = 0;
    // Fade the dialog's own alpha with the transitions.
    int FadeDialog = 0;
    int CloseResultTemp = 0;
    int CloseResult = 0;
    // Carries the activation sound; faded out with the closing transition.
    std::shared_ptr<TGameChannel> FadeChannel;
    // 0 none; from the top 1, right 2, bottom 3, left 4; 5 one of them at random.
    int Slide = 0;
    int SlideSine = 0;
    int SlideExtra = 0;
    // Current slide offset, added to every drawn part.
    float OffsetX = 0, OffsetY = 0;
    float Alpha = 1.0f;
    std::shared_ptr<TGameSound> ActivateSound, SlideInSound, SlideOutSound;

    // A non-zero w fixes the width.
    virtual int Init(const std::string& captionText, std::shared_ptr<platform::Image> background, int newW, int newH,
                     int newX, int newY);
    virtual int Start();
    virtual int SetupCaption(std::shared_ptr<platform::ImageFont> imageFont, std::shared_ptr<TColor> colour,
                             std::shared_ptr<TShadow> shadow, std::shared_ptr<TBitmapFont> bitmapFont);
    virtual int SetupTextHeader(const std::string& text, std::shared_ptr<platform::ImageFont> imageFont,
                                std::shared_ptr<TColor> colour, std::shared_ptr<TShadow> shadow,
                                std::shared_ptr<TBitmapFont> bitmapFont, int textX, int textY, int centreVertically);
    virtual int SetSlide(int slide, int sine);
    virtual int SetTransitions(int inMs, int outMs, float dim, int fade, int slide, int sine);
    virtual int CalcAll();
    virtual int CalcSize();
    virtual int CalcXY();
    virtual int CalcOffset();
    virtual int CaptionGetCentredX();
    virtual int HeaderLoad(const std::string& name, int headerX, int headerY);
    virtual int SetLabelsXY();
    virtual int MenuPosition();
    virtual int MenuGetCentredX();
    virtual int Manage();
    // 0 when not active; 1 when the closing transition ended in this step or
    // the dialog was handled.
    virtual int ManageCore();
    // 1 when the closing transition ended in this step.
    virtual int ManageTransitions();
    // 0 when not active.
    virtual int Draw();
    virtual int SetAlphas(float alpha);
    virtual int SetWordWrap(int width);
    virtual int DoDrawHighlight(float alpha);
    // result without a closing transition; 0 while it runs.
    virtual int Close(int result);
    virtual int Finalise();
    virtual int Kill();

protected:
    // Caption height as laid out (wrapped lines included).
    float CaptionHeight() const;
    float MenuHeight() const;
    // Clicks the named button of the menu from the keyboard.
    void SimulateButton(const std::string& name);
    void DrawBlackLayer(float alpha) const;
    // The box (its picture or a filled rectangle) with its shadow at (left, top).
    void DrawBox(float left, float top) const;
    // One of the dialog's two pictures, with its scale, angle and shadow.
    void DrawPicture(const std::shared_ptr<TGameImage>& picture, int px, int py, float scale, float angle,
                     const std::shared_ptr<TShadow>& shadow) const;
};

class TDialogOK : public TDialog {
public:
    int Gap = 50;
    int ClickAnywhereCloses = 0;

    static std::shared_ptr<TDialogOK> Create(const std::string& text, std::shared_ptr<platform::Image> background,
                                             int newW, int newH, int newX);
    virtual int MenuCreate();
    virtual int OKClick();
    int CalcSize() override;
    int MenuPosition() override;
    int Manage() override;
};

class TDialogYesNo : public TDialog {
public:
    int Gap = 50;
    int ButtonGap = 50;
    std::function<int()> YesFunc, NoFunc;

    static std::shared_ptr<TDialogYesNo> Create(const std::string& text, std::shared_ptr<platform::Image> background,
                                                int newW, int newH, int newX, int makeMenu, int buttonGap);
    virtual int MenuCreate(int gap);
    virtual int YesClick();
    virtual int NoClick();
    virtual int ClickSound();
    int CalcSize() override;
    int MenuPosition() override;
    int Manage() override;
};

class TDialogTextInput : public TDialog {
public:
    // The editable text's font, colour and position.
    std::shared_ptr<TLabel> Text;
    int CharWidth = 0;
    int Gap = 30;
    std::shared_ptr<TColor> BoxColor;
    // When set the box is this picture, stretched to the box with its corners
    // (BoxImageCorner pixels, 0: a third of its shorter side) kept as drawn.
    std::shared_ptr<platform::Image> BoxImage;
    int BoxImageCorner = 0;
    int DrawBox = 1;
    int BoxBorderH = 10, BoxBorderV = 5;
    int TextBorder = 10;
    std::shared_ptr<TTextInput> TextInput;
    int TextYOffset = 0;
    int AllowNull = 0;
    // Validation: -1 refuses the text and shows ErrorDialogFunc(message).
    std::function<int(const std::string& text, std::string& message)> ErrorCheckFunc;
    std::function<std::shared_ptr<TDialogOK>(const std::string& message)> ErrorDialogFunc;
    std::shared_ptr<TDialogOK> DialogOK;
    int TextOX = 0, TextOY = 0;
    // Runs after a valid OK; a result of 0 or less means it opened the
    // follow-up screen or dialog below, which the dialog then drives.
    std::function<int(TDialogTextInput&)> OKClickedFunc;
    std::shared_ptr<TScreen> OKClickedScreen;
    std::shared_ptr<TDialog> OKClickedDialog;
    // Draw only the follow-up screen or dialog.
    int DrawDisabled = 0;
    int UppercaseFirstChar = 1;
    int DimWhenShowingDialogs = 0;

    // The creator then calls MenuCreate and SetupText.
    static std::shared_ptr<TDialogTextInput> Create(const std::string& captionText, const std::string& text,
                                                    int maxLength, std::shared_ptr<platform::Image> background,
                                                    int newW, int newX, int newY, int maxPixelWidth);
    virtual int SetupText(std::shared_ptr<platform::ImageFont> imageFont, std::shared_ptr<TColor> colour,
                          std::shared_ptr<TShadow> shadow, int fixedWidth, std::shared_ptr<TBitmapFont> bitmapFont);
    virtual int MenuCreate(int withCancel, int gap);
    virtual int ProcessOKClickedFunc();
    // 1 when the text may be confirmed.
    virtual int OKClickTest();
    virtual int OKClick();
    virtual int CancelClick();
    virtual int ClickSound();
    int Start() override;
    int CalcSize() override;
    int SetLabelsXY() override;
    int MenuPosition() override;
    int Manage() override;
    int Draw() override;
    int Kill() override;
};

// What the dialogs with buttons share: their menu (the dialog button's look and
// sounds), placed centred at the bottom or where the dialog says.
std::shared_ptr<TMenu> NewDialogMenu();
void PlaceDialogMenu(TDialog& dialog);
