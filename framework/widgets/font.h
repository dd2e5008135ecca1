// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text drawing: the program-wide text shadow, aligned and shadowed text in the
// current image font, line splitting and word wrapping, fonts with their
// colours, and labels.
#include <memory>
#include <string>
#include <vector>

#include "framework/widgets/text_style.h"

namespace platform {
class ImageFont;
}
class TColor;
class TBitmapFont;

class TShadow {
public:
    float X = 1.0f, Y = 1.0f;
    float Alpha = 0.5f;

    static std::shared_ptr<TShadow> Create(float x, float y, float alpha);
    void Init(float x, float y, float alpha);
    // Copies the shadow into the text shadow globals.
    void ApplyToText() const;
    void Copy(const TShadow& other);
    // Black at Alpha.
    void Apply() const;
    // White at alpha 1.
    static void Restore();
};

void SetTextShadow(float x, float y, float alpha);
// All of these draw in the current image font with the current colour, scale and blend.
void DrawTextWithShadow(float x, float y, const std::string& text, int centred);
// lineHeight 0 means the height of "ABCXYZ".
void DrawTextLinesWithShadow(float x, float y, const std::vector<std::string>& lines, int centred, int lineHeight);
void DrawTextLeft(const std::string& text, float x, float y, int shadow, int round);
// Centred on x; a drawing scale other than 1 keeps the text centred on x and
// on the middle of its unscaled line.
void DrawTextCentred(const std::string& text, float x, float y, int shadow, int round);
// Ends at x, at any horizontal drawing scale.
void DrawTextRight(const std::string& text, float x, float y, int shadow, int round);
// 0 left, 1 centred, 2 right; other values draw nothing.
void DrawTextAligned(const std::string& text, float x, float y, int shadow, int alignment, int round);
void DrawTextCentredX(const std::string& text, float y, int shadow, int round);
// Splits at line feeds; a carriage return before a line feed is dropped.
std::vector<std::string> SplitLines(const std::string& text);
// Wraps each line to width pixels (measured in the bitmap font when given,
// else in the current image font, times scale). A word wider than width
// stands alone on its line; empty lines stay.
std::vector<std::string> WordWrapLines(const std::vector<std::string>& lines, int width,
                                       const std::shared_ptr<TBitmapFont>& bitmapFont, float scale);

class TFont {
public:
    virtual ~TFont() = default;

    std::shared_ptr<TBitmapFont> BitmapFont;
    std::shared_ptr<TColor> Color;
    int FixedWidth = 0;
    std::shared_ptr<platform::ImageFont> ImageFont;
    // Caption colour of a hovered button.
    std::shared_ptr<TColor> InverseColor;
    std::string Name;
    std::shared_ptr<TShadow> Shadow;
    float H = 0;
    double OldScale = 0;

    virtual int Apply();
    // As Apply with another colour; nullptr leaves the colour alone.
    virtual int ApplyCustomColor(const std::shared_ptr<TColor>& colour);
    virtual int ApplyInverse();
    virtual int ApplyScale(float s);
    // The line height, stored in H.
    virtual float CalcHeight();
    static std::shared_ptr<TFont> Create(std::shared_ptr<platform::ImageFont> imageFont, std::shared_ptr<TColor> colour,
                                         std::shared_ptr<TShadow> shadow, int fixedWidth,
                                         std::shared_ptr<TBitmapFont> bitmapFont, std::shared_ptr<TColor> inverseColour,
                                         const std::string& name);
    virtual int Kill();
    virtual int Init(std::shared_ptr<platform::ImageFont> imageFont, std::shared_ptr<TColor> colour,
                     std::shared_ptr<TShadow> shadow, int fixedWidth, std::shared_ptr<TBitmapFont> bitmapFont,
                     std::shared_ptr<TColor> inverseColour, const std::string& name);
    virtual int RestoreScale();

protected:
    // The image font text is drawn and measured in: the own one, else the current one.
    std::shared_ptr<platform::ImageFont> EffectiveImageFont() const;
    void SelectImageFont() const;
};

class TLabel : public TFont {
public:
    float Alpha = 1.0f;
    int CentreVertically = 0;
    // Pixels from one wrapped line to the next; 0 means the font's line height.
    int LineGap = 0;
    float Scale = 1.0f;
    // Anchor: left end, centre or right end by Alignment; the top, or the
    // middle with CentreVertically.
    float X = 0, Y = 0;
    int RoundCoords = 1;
    int RoundXCoord = 0, RoundYCoord = 0;
    int Visible = 1;
    float W = 0;
    // 0 left, 1 centred, 2 right; 3 (bitmap fonts only) centres both ways.
    int Alignment = 0;
    std::string Text;
    std::vector<std::string> TextArray;
    int TotalLines = 0;
    // Wrapping width in pixels; 0 draws Text on one line.
    int WordWrap = 0;

    virtual int AutoScale(float maxWidth);
    virtual int CalcSize();
    virtual float CalcWidth();
    float CalcHeight() override;
    virtual int CalcWordWrappedHeight();
    // White text; the font comes later through Init.
    static std::shared_ptr<TLabel> CreateSpecial(const std::string& text, float x, float y, int alignment, int wordWrap,
                                                 int centreVertically);
    // 0 when invisible, else 1. Afterwards colour is white and alpha 1.
    virtual int Draw(float offsetX, float offsetY, int applyColour);
    virtual int DrawTextLine(const std::string& text, float x, float y, int applyColour);
    // Wraps Text into TextArray; call again after changing Text, WordWrap or Scale.
    virtual int PreCalcWordWrap();
    virtual int SetLineGap(int gap);

private:
    float EffectiveAlpha(int applyColour) const;
};
