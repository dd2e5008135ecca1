// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/widgets/font.h"

#include <cmath>

#include "framework/core/game_state.h"
#include "framework/widgets/bitmap_font.h"
#include "framework/widgets/sprite.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/font.h"

TTextStyle TextStyle;

namespace {
float RoundHalfUp(float v) { return std::floor(v + 0.5f); }

float HorizontalScale() {
    float sx, sy;
    platform::GetScale(sx, sy);
    return sx;
}

void DrawPlainOrShadowed(const std::string& text, float x, float y, int shadow) {
    if (shadow)
        DrawTextWithShadow(x, y, text, 0);
    else
        platform::DrawText(text, x, y);
}

// Moves x left by half the scaled width and y up so that a scaled line keeps
// the middle of its unscaled box.
void CentreForScale(const std::string& text, float& x, float& y) {
    float sx, sy;
    platform::GetScale(sx, sy);
    float width = static_cast<float>(platform::TextWidth(text));
    if (sx != 1.0f) width *= sx;
    if (sy != 1.0f) {
        const float height = static_cast<float>(platform::TextHeight(text));
        y -= (height * sy - height) / 2.0f;
    }
    x -= width / 2.0f;
}
}  // namespace

// ---- TShadow -------------------------------------------------------------------

std::shared_ptr<TShadow> TShadow::Create(float x, float y, float alpha) {
    auto result = std::make_shared<TShadow>();
    result->Init(x, y, alpha);
    return result;
}

void TShadow::Init(float x, float y, float alpha) {
    X = x;
    Y = y;
    Alpha = alpha;
}

void TShadow::ApplyToText() const { SetTextShadow(X, Y, Alpha); }

void TShadow::Copy(const TShadow& other) { Init(other.X, other.Y, other.Alpha); }

void TShadow::Apply() const {
    platform::SetColor(0, 0, 0);
    platform::SetAlpha(Alpha);
}

void TShadow::Restore() {
    platform::SetColor(255, 255, 255);
    platform::SetAlpha(1.0f);
}

// ---- text functions --------------------------------------------------------------

void SetTextShadow(float x, float y, float alpha) {
    TextStyle.ShadowX = x;
    TextStyle.ShadowY = y;
    TextStyle.ShadowAlpha = alpha;
}

void DrawTextWithShadow(float x, float y, const std::string& text, int centred) {
    if (centred) x -= static_cast<float>(platform::TextWidth(text)) / 2.0f;
    const int blend = platform::GetBlend();
    int r, g, b;
    platform::GetColor(r, g, b);
    platform::SetBlend(platform::ALPHABLEND);
    platform::SetColor(0, 0, 0);
    platform::SetAlpha(TextStyle.ShadowAlpha * TextStyle.Alpha);
    platform::DrawText(text, x + TextStyle.ShadowX, y + TextStyle.ShadowY);
    platform::SetColor(r, g, b);
    platform::SetAlpha(TextStyle.Alpha);
    platform::DrawText(text, x, y);
    platform::SetBlend(blend);
}

void DrawTextLinesWithShadow(float x, float y, const std::vector<std::string>& lines, int centred, int lineHeight) {
    const float step = static_cast<float>(lineHeight != 0 ? lineHeight : platform::TextHeight("ABCXYZ"));
    for (const auto& line : lines) {
        DrawTextWithShadow(x, y, line, centred);
        y += step;
    }
}

void DrawTextLeft(const std::string& text, float x, float y, int shadow, int round) {
    if (round) {
        x = RoundHalfUp(x);
        y = RoundHalfUp(y);
    }
    DrawPlainOrShadowed(text, x, y, shadow);
}

void DrawTextCentred(const std::string& text, float x, float y, int shadow, int round) {
    CentreForScale(text, x, y);
    if (round) {
        x = RoundHalfUp(x);
        y = RoundHalfUp(y);
    }
    DrawPlainOrShadowed(text, x, y, shadow);
}

void DrawTextRight(const std::string& text, float x, float y, int shadow, int round) {
    if (round) {
        x = RoundHalfUp(x);
        y = RoundHalfUp(y);
    }
    // The scaled width, so that enlarged text still ends at x.
    x -= static_cast<float>(platform::TextWidth(text)) * HorizontalScale();
    if (round) x = RoundHalfUp(x);
    DrawPlainOrShadowed(text, x, y, shadow);
}

void DrawTextAligned(const std::string& text, float x, float y, int shadow, int alignment, int round) {
    switch (alignment) {
        case 0:
            DrawTextLeft(text, x, y, shadow, round);
            break;
        case 1:
            DrawTextCentred(text, x, y, shadow, round);
            break;
        case 2:
            DrawTextRight(text, x, y, shadow, round);
            break;
        default:
            break;
    }
}

void DrawTextCentredX(const std::string& text, float y, int shadow, int round) {
    DrawTextCentred(text, static_cast<float>(ScreenWidth) / 2.0f, y, shadow, round);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t lf = text.find('\n', start);
        if (lf == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        const size_t end = lf > start && text[lf - 1] == '\r' ? lf - 1 : lf;
        lines.push_back(text.substr(start, end - start));
        start = lf + 1;
    }
}

std::vector<std::string> WordWrapLines(const std::vector<std::string>& lines, int width,
                                       const std::shared_ptr<TBitmapFont>& bitmapFont, float scale) {
    auto measure = [&](const std::string& s) {
        const double w = bitmapFont ? bitmapFont->StringWidth(s) : static_cast<double>(platform::TextWidth(s));
        return w * scale;
    };
    std::vector<std::string> out;
    for (const std::string& input : lines) {
        if (input.empty()) {
            out.emplace_back();
            continue;
        }
        std::string current;
        bool started = false;
        size_t start = 0;
        while (start <= input.size()) {
            size_t space = input.find(' ', start);
            if (space == std::string::npos) space = input.size();
            const std::string word = input.substr(start, space - start);
            start = space + 1;
            // Runs of spaces and spaces at either end separate nothing; a
            // leading space in particular must not lose the rest of the line.
            if (word.empty()) continue;
            if (!started) {
                current = word;
                started = true;
            } else if (measure(current + " " + word) <= width) {
                current += " " + word;
            } else {
                out.push_back(current);
                current = word;
            }
        }
        out.push_back(current);
    }
    return out;
}

// ---- TFont -----------------------------------------------------------------------

std::shared_ptr<platform::ImageFont> TFont::EffectiveImageFont() const {
    return ImageFont ? ImageFont : platform::GetImageFont();
}

void TFont::SelectImageFont() const {
    if (!BitmapFont && ImageFont) platform::SetImageFont(ImageFont);
}

int TFont::Apply() {
    if (Color) Color->Apply();
    if (Shadow) {
        Shadow->ApplyToText();
        if (Color) TextStyle.Alpha = Color->Alpha;
    }
    SelectImageFont();
    return 0;
}

int TFont::ApplyCustomColor(const std::shared_ptr<TColor>& colour) {
    if (colour) colour->Apply();
    if (Shadow) {
        Shadow->ApplyToText();
        if (colour) TextStyle.Alpha = colour->Alpha;
    }
    SelectImageFont();
    return 0;
}

int TFont::ApplyInverse() {
    if (InverseColor) InverseColor->Apply();
    SelectImageFont();
    return 0;
}

int TFont::ApplyScale(float s) {
    if (BitmapFont) {
        OldScale = BitmapFont->ScaleFactor;
        BitmapFont->ScaleFactor = s;
    } else {
        platform::SetScale(s, s);
    }
    return 0;
}

int TFont::RestoreScale() {
    if (BitmapFont)
        BitmapFont->ScaleFactor = OldScale;
    else
        platform::SetScale(1, 1);
    return 0;
}

float TFont::CalcHeight() {
    if (BitmapFont) {
        H = static_cast<float>(BitmapFont->StringHeight(BitmapFont->TestString));
    } else {
        auto font = EffectiveImageFont();
        H = font ? static_cast<float>(font->Height()) : 0.0f;
    }
    return H;
}

std::shared_ptr<TFont> TFont::Create(std::shared_ptr<platform::ImageFont> imageFont, std::shared_ptr<TColor> colour,
                                     std::shared_ptr<TShadow> shadow, int fixedWidth,
                                     std::shared_ptr<TBitmapFont> bitmapFont, std::shared_ptr<TColor> inverseColour,
                                     const std::string& name) {
    auto result = std::make_shared<TFont>();
    result->Init(std::move(imageFont), std::move(colour), std::move(shadow), fixedWidth, std::move(bitmapFont),
                 std::move(inverseColour), name);
    return result;
}

int TFont::Kill() {
    ImageFont.reset();
    BitmapFont.reset();
    Color.reset();
    InverseColor.reset();
    Shadow.reset();
    return 0;
}

int TFont::Init(std::shared_ptr<platform::ImageFont> imageFont, std::shared_ptr<TColor> colour,
                std::shared_ptr<TShadow> shadow, int fixedWidth, std::shared_ptr<TBitmapFont> bitmapFont,
                std::shared_ptr<TColor> inverseColour, const std::string& name) {
    ImageFont = std::move(imageFont);
    Color = std::move(colour);
    Shadow = std::move(shadow);
    FixedWidth = fixedWidth;
    BitmapFont = std::move(bitmapFont);
    InverseColor = std::move(inverseColour);
    Name = name;
    CalcHeight();
    return 0;
}

// ---- TLabel ------------------------------------------------------------------------

std::shared_ptr<TLabel> TLabel::CreateSpecial(const std::string& text, float x, float y, int alignment, int wordWrap,
                                              int centreVertically) {
    auto result = std::make_shared<TLabel>();
    result->Text = text;
    result->X = x;
    result->Y = y;
    result->Alignment = alignment;
    result->WordWrap = wordWrap;
    result->CentreVertically = centreVertically;
    result->Color = TColor::Create(255, 255, 255, 1.0f);
    return result;
}

float TLabel::CalcWidth() {
    if (BitmapFont) {
        W = static_cast<float>(BitmapFont->StringWidth(Text));
    } else {
        auto font = EffectiveImageFont();
        W = font ? static_cast<float>(font->TextWidth(Text)) : 0.0f;
    }
    return W * Scale;
}

float TLabel::CalcHeight() {
    if (WordWrap > 0) {
        if (TotalLines > 0) H = static_cast<float>(TotalLines * LineGap);
        return H * Scale;
    }
    return TFont::CalcHeight() * Scale;
}

int TLabel::CalcSize() {
    CalcWidth();
    CalcHeight();
    return 0;
}

int TLabel::CalcWordWrappedHeight() {
    H = static_cast<float>(TotalLines * LineGap);
    return 0;
}

int TLabel::AutoScale(float maxWidth) {
    CalcWidth();
    if (W > maxWidth && W > 0) Scale = maxWidth / W;
    return 0;
}

int TLabel::PreCalcWordWrap() {
    SelectImageFont();
    TextArray = WordWrapLines(SplitLines(Text), WordWrap, BitmapFont, Scale);
    TotalLines = static_cast<int>(TextArray.size());
    if (LineGap == 0) {
        if (BitmapFont) {
            LineGap = static_cast<int>(BitmapFont->StringHeight(BitmapFont->TestString));
        } else {
            auto font = EffectiveImageFont();
            LineGap = font ? font->Height() : 0;
        }
    }
    return CalcWordWrappedHeight();
}

int TLabel::SetLineGap(int gap) {
    LineGap = gap;
    return CalcWordWrappedHeight();
}

float TLabel::EffectiveAlpha(int applyColour) const { return applyColour && Color ? Alpha * Color->Alpha : Alpha; }

int TLabel::Draw(float offsetX, float offsetY, int applyColour) {
    if (!Visible) return 0;
    float sx, sy;
    platform::GetScale(sx, sy);
    if (Scale != 1.0f) platform::SetScale(sx * Scale, sy * Scale);
    SelectImageFont();
    if (applyColour && Color) Color->Apply();
    const float alpha = EffectiveAlpha(applyColour);
    if (alpha != 1.0f) platform::SetAlpha(alpha);

    if (WordWrap > 0) {
        float lineY = Y + offsetY;
        for (const auto& line : TextArray) {
            DrawTextLine(line, X + offsetX, lineY, applyColour);
            lineY += static_cast<float>(LineGap) * Scale;
        }
    } else if (CentreVertically) {
        float half = H / 2.0f;
        if (BitmapFont) {
            float currentX, currentY;
            platform::GetScale(currentX, currentY);
            half = static_cast<float>(BitmapFont->StringHeight(BitmapFont->TestString)) / 2.0f * currentY;
        }
        DrawTextLine(Text, X + offsetX, Y + offsetY - half, applyColour);
    } else {
        DrawTextLine(Text, X + offsetX, Y + offsetY, applyColour);
    }

    platform::SetColor(255, 255, 255);
    platform::SetAlpha(1.0f);
    if (Scale != 1.0f) platform::SetScale(sx, sy);
    return 1;
}

int TLabel::DrawTextLine(const std::string& text, float x, float y, int applyColour) {
    const int roundX = RoundCoords == 1 ? 1 : RoundXCoord;
    const int roundY = RoundCoords == 1 ? 1 : RoundYCoord;
    if (Shadow) {
        Shadow->ApplyToText();
        // The shadow follows the alpha the text is drawn with, including the
        // label's own, not whatever the last caller left in TextStyle.Alpha.
        const float previous = TextStyle.Alpha;
        TextStyle.Alpha = EffectiveAlpha(applyColour);
        if (BitmapFont)
            BitmapFont->DrawAlignedWithShadow(text, x, y, Alignment, roundX, roundY);
        else
            DrawTextAligned(text, x, y, 1, Alignment, RoundCoords);
        TextStyle.Alpha = previous;
    } else {
        if (BitmapFont)
            BitmapFont->DrawAligned(text, x, y, Alignment, roundX, roundY, 0);
        else
            DrawTextAligned(text, x, y, 0, Alignment, RoundCoords);
    }
    return 0;
}
