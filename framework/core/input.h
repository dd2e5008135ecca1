// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The framework's own key tables and character queue, filled by the event pump
// once per logic step. Key codes are Windows virtual-key codes 0..255.

struct TKeyInput {
    int KeyHits[256] = {};
    int KeyStates[256] = {};
    int CharQueue[256] = {};
    int CharGet = 0;
    int CharPut = 0;
    // 1 = forward the queries to the platform's polled input (before the display exists).
    int UsePlatformInput = 1;
};
extern TKeyInput Keys;

int KeyHit(int key);
int KeyDown(int key);
int GetChar();
int AnyKeyHit();
int FirstKeyHit();
int FlushKeys();
int ClearKey(int key);
int FlushMouse();
int FlushInput();
// Queues a typed character; drops it when 256 are already waiting.
void QueueChar(int ch);
