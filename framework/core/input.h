// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The framework's own key tables and character queue, filled by the event pump
// once per logic step. Key codes are Windows virtual-key codes 0..255.

extern int KeyHits[256];
extern int KeyStates[256];
extern int CharQueue[256];
extern int CharGet;
extern int CharPut;
// 1 = forward the queries to the platform's polled input (before the display exists).
extern int UsePlatformInput;

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
