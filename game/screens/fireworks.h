// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sparks over a solved puzzle.
class TParticleList;

// Firework sparks read on both grounds: light over the dark ground, a deep
// ink of their own hue over the paper.
void DrawFireworks(TParticleList& list);
// The ink a spark of colour (r, g, b) becomes on the paper.
void FireworkInk(int& r, int& g, int& b);
