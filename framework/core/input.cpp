// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/core/input.h"

#include "framework/core/game_state.h"
#include "framework/core/globals.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/input.h"

TKeyInput Keys;

namespace {
bool ValidKey(int key) { return key >= 0 && key < 256; }
}  // namespace

int KeyHit(int key) {
    if (Keys.UsePlatformInput) return platform::PolledKeyHit(key);
    if (!ValidKey(key)) return 0;
    int hit = Keys.KeyHits[key] > 0 ? 1 : 0;
    Keys.KeyHits[key] = 0;
    return hit;
}

int KeyDown(int key) {
    if (Keys.UsePlatformInput) return platform::PolledKeyDown(key);
    if (!ValidKey(key)) return 0;
    return Keys.KeyStates[key] ? 1 : 0;
}

int GetChar() {
    if (Keys.UsePlatformInput) return platform::PolledGetChar();
    if (Keys.CharGet == Keys.CharPut) return 0;
    int ch = Keys.CharQueue[Keys.CharGet & 255];
    ++Keys.CharGet;
    return ch;
}

int AnyKeyHit() {
    for (int key = 0; key < 256; ++key)
        if (Keys.KeyHits[key] == 1) return 1;
    return 0;
}

int FirstKeyHit() {
    for (int key = 0; key < 256; ++key)
        if (Keys.KeyHits[key] == 1) return key;
    return -1;
}

int FlushKeys() {
    if (Keys.UsePlatformInput) {
        platform::PolledFlushKeys();
        return 0;
    }
    for (int key = 0; key < 256; ++key) {
        Keys.KeyHits[key] = 0;
        Keys.KeyStates[key] = 0;
    }
    Keys.CharGet = Keys.CharPut = 0;
    return 0;
}

int ClearKey(int key) {
    if (!ValidKey(key)) return 0;
    Keys.KeyHits[key] = 0;
    Keys.KeyStates[key] = 0;
    return 0;
}

int FlushMouse() {
    if (Keys.UsePlatformInput) {
        platform::PolledFlushMouse();
        return 0;
    }
    if (GameState() && GameState()->Mouse) GameState()->Mouse->ClearButtons();
    return 0;
}

int FlushInput() {
    FlushKeys();
    FlushMouse();
    return 0;
}

void QueueChar(int ch) {
    if (Keys.CharPut - Keys.CharGet >= 256) return;
    Keys.CharQueue[Keys.CharPut & 255] = ch;
    ++Keys.CharPut;
}
