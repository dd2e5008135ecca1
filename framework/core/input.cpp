// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/core/input.h"

#include "framework/core/game.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/input.h"

int KeyHits[256];
int KeyStates[256];
int CharQueue[256];
int CharGet = 0;
int CharPut = 0;
int UsePlatformInput = 1;

namespace {
bool ValidKey(int key) { return key >= 0 && key < 256; }
}  // namespace

int KeyHit(int key) {
    if (UsePlatformInput) return platform::PolledKeyHit(key);
    if (!ValidKey(key)) return 0;
    int hit = KeyHits[key] > 0 ? 1 : 0;
    KeyHits[key] = 0;
    return hit;
}

int KeyDown(int key) {
    if (UsePlatformInput) return platform::PolledKeyDown(key);
    if (!ValidKey(key)) return 0;
    return KeyStates[key] ? 1 : 0;
}

int GetChar() {
    if (UsePlatformInput) return platform::PolledGetChar();
    if (CharGet == CharPut) return 0;
    int ch = CharQueue[CharGet & 255];
    ++CharGet;
    return ch;
}

int AnyKeyHit() {
    for (int key = 0; key < 256; ++key)
        if (KeyHits[key] == 1) return 1;
    return 0;
}

int FirstKeyHit() {
    for (int key = 0; key < 256; ++key)
        if (KeyHits[key] == 1) return key;
    return -1;
}

int FlushKeys() {
    if (UsePlatformInput) {
        platform::PolledFlushKeys();
        return 0;
    }
    for (int key = 0; key < 256; ++key) {
        KeyHits[key] = 0;
        KeyStates[key] = 0;
    }
    CharGet = CharPut = 0;
    return 0;
}

int ClearKey(int key) {
    if (!ValidKey(key)) return 0;
    KeyHits[key] = 0;
    KeyStates[key] = 0;
    return 0;
}

int FlushMouse() {
    if (UsePlatformInput) {
        platform::PolledFlushMouse();
        return 0;
    }
    if (Game && Game->Mouse) Game->Mouse->ClearButtons();
    return 0;
}

int FlushInput() {
    FlushKeys();
    FlushMouse();
    return 0;
}

void QueueChar(int ch) {
    if (CharPut - CharGet >= 256) return;
    CharQueue[CharPut & 255] = ch;
    ++CharPut;
}
