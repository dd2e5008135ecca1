// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// System information the framework reports or checks: operating system,
// desktop, window and memory.
#include <cstdint>
#include <string>

struct TPoint {
    int X = 0, Y = 0;
};

struct TRect {
    int L = 0, T = 0, R = 0, B = 0;
};

// Byte counts are 64-bit: machines have more memory than a 32-bit int can count.
struct TMemoryStatus {
    int dwLength = 0;
    int dwMemoryLoad = 0;
    int64_t dwTotalPhys = 0, dwAvailPhys = 0;
    int64_t dwTotalPageFile = 0, dwAvailPageFile = 0;
    int64_t dwTotalVirtual = 0, dwAvailVirtual = 0;
};

struct TWindowInfo {
    int cbSize = 0;
    int wl = 0, wt = 0, wr = 0, wb = 0;
    int cl = 0, ct = 0, cr = 0, cb = 0;
    int dwStyle = 0, dwExStyle = 0, dwWindowStatus = 0;
    int cxWindowBorders = 0, cyWindowBorders = 0;
    int16_t atomWindowType = 0, wCreatorVersion = 0;
};

// This platform's own name. It is never one of the Windows names that other
// code compares against ("Windows 95", "Windows 98", "Windows ME", "Windows
// Vista", "Windows 7"), so neither the old-system nor the long-message branch
// is taken here.
std::string OSName();
// Desktop resolution; returns 1.
int DesktopSize(int& width, int& height);
// The window handle is kept for callers written against handles; there is one
// game window and the display layer knows it.
void CentreWindow(int window);
TRect WindowRect(int window);
TWindowInfo WindowInfo(int window);
TMemoryStatus MemoryStatus();
