// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drop shadow of text: offset, strength, and the alpha of the text being
// drawn (the shadow is drawn at ShadowAlpha x Alpha).
struct TTextStyle {
    float ShadowX = 1.0f;
    float ShadowY = 1.0f;
    float ShadowAlpha = 0.5f;
    float Alpha = 1.0f;
};
extern TTextStyle TextStyle;
