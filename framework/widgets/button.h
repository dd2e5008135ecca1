// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Buttons, the menus that hold them and plain coloured boxes. A screen builds
// its menu once, polls it each logic step, asks Clicked(name) for the buttons
// it cares about and draws it each frame.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/widgets/sprite.h"

namespace platform {
class Channel;
class ImageFont;
}  // namespace platform
class TBitmapFont;
class TGameSound;
class TLabel;
class TMouseRepeat;
class TShadow;

// A sprite whose picture's handle is its top-left corner: x, y is the corner
// and the hit area is [x, x + w) by [y, y + h), at the unscaled size.
class TButton : public TSprite {
public:
    std::shared_ptr<TGameImage> ImageDisabled;
    std::shared_ptr<TGameImage> ImageMouseClick;
    std::shared_ptr<TGameImage> ImageMouseOver;
    std::shared_ptr<TGameSound> SoundMouseOver;
    std::shared_ptr<TGameSound> SoundClick;
    // Played for auto-repeated clicks when present.
    std::shared_ptr<TGameSound> SoundClick2;
    std::shared_ptr<TLabel> Caption;
    std::shared_ptr<TColor> CaptionDisabledColor;
    std::shared_ptr<TMouseRepeat> MouseRepeat;
    int Active = 1;
    int AlwaysDraw = 0;
    int Animated = 0;
    // A disabled button still hovers and clicks while this is 1.
    int ClickDisabled = 1;
    int ClickWhenDown = 0;
    int Disabled = 0;
    // Enter clicks it, and Space too with OKButtonUseSpace.
    int OKButton = 0;
    int OKButtonUseSpace = 1;
    // The pressed picture stays until ClearClick.
    int StayDown = 0;
    int UseGlowOnMO = 1;
    // Pictures come from the game's MenuPath rather than its ImagePath.
    int UseMenuPath = 0;
    // Asked while the pointer is over the button; non-zero makes the button
    // behave as if the pointer were elsewhere. Empty means never.
    std::function<int()> MouseOverUserFunction;
    // Set in the step the button was clicked.
    int Clicked = 0;
    int MouseOver = 0;
    int AutoGlowOnMO = 0;
    std::shared_ptr<TColor> CaptionDownColor;
    float CaptionDownScale = 1.0f;
    float CaptionDownOffsetX = 0, CaptionDownOffsetY = 0;
    // Used only when the game has no channel pool.
    std::shared_ptr<platform::Channel> ChannelMouseOver;
    std::shared_ptr<platform::Channel> ChannelClick;
    int FixedGlowOnMO = 0;
    int FixedGlowOnMOUseMO = 0;
    // Steps left showing the pressed picture, and the full length.
    float MouseClickCounter = 0;
    float MouseClickDuration = 0;
    int NoSound = 0;
    int OldRoundedCoords = 0;
    // Grow-on-hover; a maximum of 1 switches it off. Speeds are per step.
    float ScaleOnMOMax = 1.0f;
    float ScaleOnMO = 1.0f;
    float ScaleOnMOUpSpeed = 0.03f;
    float ScaleOnMODownSpeed = 0.01f;

    virtual int ClearClick();
    // 1 when accepted; refused while the pressed picture shows unless ClickWhenDown.
    virtual int Click(int repeat);
    static std::shared_ptr<TButton> CreateSpecial(const std::string& name, const std::string& mouseOverName,
                                                  const std::string& soundMouseOverName,
                                                  const std::string& soundClickName);
    virtual int DrawCaption();
    virtual int FixedGlowOnMOActivate();
    virtual std::string GetPath();
    // Pictures are read from GetPath() + name + ".png", sounds from SoundPath + name + ".wav";
    // an empty name skips that part. A missing file ends the program.
    virtual int Load(const std::string& name, const std::string& mouseOverName, const std::string& soundMouseOverName,
                     const std::string& soundClickName, int cellWidth, int cellHeight, int frames);
    virtual int LoadDisabled(const std::string& name);
    virtual int LoadImages(const std::string& name, const std::string& mouseOverName, int cellWidth, int cellHeight,
                           int frames);
    virtual int LoadMouseClick(const std::string& name, int durationMs);
    // Once per logic step.
    virtual int Manage();
    virtual int ManageNoSound();
    virtual int ManageScaleOnMO();
    // Both move the caption along with the button.
    virtual int MoveBy(float moveX, float moveY);
    virtual int MoveTo(float newX, float newY);
    virtual int PlayClick();
    virtual int PlayClick2();
    virtual int PlayMouseOver();
    virtual int Precache();
    virtual int SetFixedGlowOnMO(float max, float glowSpeed, int useMouseOverImage);
    virtual int SetAutoGlow(float min, float max, float glowSpeed, int onMouseOver);
    // The caption is centred on the button as it stands now.
    virtual int SetupCaption(const std::string& text, std::shared_ptr<platform::ImageFont> imageFont,
                             std::shared_ptr<TColor> colour, std::shared_ptr<TShadow> shadow,
                             std::shared_ptr<TBitmapFont> bitmapFont, std::shared_ptr<TColor> inverseColour);
    virtual int SetupCaptionDown(std::shared_ptr<TColor> colour, float scale, float offsetX, float offsetY);
    virtual int SetupMouseRepeat(int initialDelayMs, int repeatDelayMs);
    virtual int SetupScaleOnMO(float max, float upSpeed, float downSpeed);
    // A click from the keyboard: as if pressed with the pointer on it.
    virtual int SimulateClick();
    // Centres the button's left edge horizontally; the handle stays top-left.
    int CentreX(int newY) override;
    // 0 when neither active nor AlwaysDraw.
    int Draw() override;
    int Init() override;
    int Kill() override;

protected:
    bool PointerOver() const;
    bool HasOwnChannels() const;
    void ApplyCaptionColour(const std::shared_ptr<TColor>& colour);
    // The caption of a pressed button: its own colour, scale and offset.
    void DrawPressedCaption(bool grown);
};

// An ordered list of buttons with shared sounds, shadow and layout.
class TMenu {
public:
    virtual ~TMenu() = default;

    std::vector<std::shared_ptr<TButton>> Items;
    // Left and top once calculated; OX, OY keep them for ScaleMenu.
    float x = 0, y = 0;
    float OX = 0, OY = 0;
    int w = 0, h = 0;
    // Upper-case names from the last Manage.
    std::string MouseOverName;
    std::string ClickedName;
    // A press from the keyboard walk, answered by Clicked at the next Manage.
    std::string PressedByKey;
    // Given to every button added.
    std::shared_ptr<TGameSound> SoundMouseOver;
    std::shared_ptr<TGameSound> SoundClick;
    int NextY = 0;
    int Gap = 0;
    // The gap counts between buttons only: it is set after the first one.
    int AddGap = 0;
    int NoSound = 0;
    int Shadow = 0;
    float ShadowX = 3.0f, ShadowY = 3.0f;
    float ShadowAlpha = 0.5f;
    // Clicked(name) and MouseOver(name) consume the name they answer yes to.
    int ClearClickedName = 1;
    int ClearMouseOverName = 0;
    // 0: the mouse is ignored.
    int AcceptInput = 1;

    // An empty sound name loads no sound.
    static std::shared_ptr<TMenu> Create(const std::string& soundMouseOverName, const std::string& soundClickName,
                                         float x, float y, int gap);
    virtual int Init(const std::string& soundMouseOverName, const std::string& soundClickName, float x, float y,
                     int gap);
    virtual int Kill();
    virtual int SetButtonCaptionRoundCoords(int round, int roundX, int roundY);
    virtual int SetShadow(int on, float shadowX, float shadowY, float alpha);
    virtual int ChangeShadow(int on, float shadowX, float shadowY, float alpha);
    virtual int SetAlpha(float alpha);
    virtual int ResetShadow(int on, float shadowX, float shadowY, float alpha);
    // A button below the last one, centred on the screen; key, when given, names it.
    virtual std::shared_ptr<TButton> AddNew(const std::string& name, const std::string& mouseOverName,
                                            const std::string& key, int cellWidth, int cellHeight, int frames);
    // As AddNew without growing the menu.
    virtual std::shared_ptr<TButton> DoAddNew(const std::string& name, const std::string& mouseOverName,
                                              const std::string& key, int cellWidth, int cellHeight, int frames);
    virtual int IncreaseHeight(const std::shared_ptr<TButton>& button);
    virtual std::shared_ptr<TButton> AddQuick(const std::string& name, const std::string& key);
    // AddQuick, plus the name + "_disabled" and name + "_down" pictures when they exist.
    virtual std::shared_ptr<TButton> AddQuickAuto(const std::string& name, const std::string& key);
    // Two buttons side by side, gap pixels apart, on one row.
    virtual int AddPair(const std::string& leftName, const std::string& rightName, int gap, const std::string& key);
    // Any letter case; nullptr when absent.
    virtual std::shared_ptr<TButton> FindButton(const std::string& name);
    virtual int StoreOriginalCoords();
    virtual int SetX(float newX);
    virtual int SetY(float newY);
    virtual int SetPairX(const std::string& leftName, const std::string& rightName, float newX);
    // Needs StoreOriginalCoords first.
    virtual int ScaleMenu(float sx, float sy);
    virtual int CalcCoords();
    virtual int CalcLeft();
    virtual int CalcTop();
    virtual int CalcWidth();
    virtual int CalcHeight();
    virtual int CentreHoriz();
    virtual int CentreVert();
    virtual int Centre();
    virtual int MakeColumn(int gap);
    virtual int MakeRow(int gap);
    virtual int ClearStates();
    virtual int ClearScale();
    virtual int ClearGlow();
    virtual int ClearMouseClick();
    virtual int ClearMouseOver();
    // Any letter case.
    virtual int Clicked(const std::string& name);
    virtual int MouseOver(const std::string& name);
    virtual int ManageNoSound(float offsetX, float offsetY);
    virtual int Precache();
    // 1 when the buttons were polled; 0 during a screen fade, with input off
    // or with the pointer hidden.
    virtual int Manage(float offsetX, float offsetY);
    virtual int ManageFixedGlowOnly();
    virtual int ManageScaleOnMO();
    virtual int Draw(float offsetX, float offsetY);
};

class TBox {
public:
    virtual ~TBox() = default;

    int Active = 1;
    // Nothing is drawn without a colour.
    std::shared_ptr<TColor> Color;
    float X = 0, Y = 0, W = 0, H = 0;

    static std::shared_ptr<TBox> Create(float x, float y, float w, float h, std::shared_ptr<TColor> colour);
    virtual int Draw();
    virtual int Init(float x, float y, float w, float h, std::shared_ptr<TColor> colour);
    virtual int Kill();
};
