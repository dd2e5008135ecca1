// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/util/sysinfo.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "tallyfold/platform/display.h"
#include "tallyfold/platform/system.h"

std::string OSName() { return platform::OSName(); }

int DesktopSize(int& width, int& height) {
    platform::Display().DesktopSize(width, height);
    return 1;
}

void CentreWindow(int /*window*/) { platform::Display().CentreWindow(); }

TRect WindowRect(int /*window*/) {
    int x = 0, y = 0, w = 0, h = 0;
    platform::Display().WindowRect(x, y, w, h);
    return TRect{x, y, x + w, y + h};
}

TWindowInfo WindowInfo(int window) {
    TWindowInfo info;
    info.cbSize = 60;
    TRect outer = WindowRect(window);
    info.wl = outer.L;
    info.wt = outer.T;
    info.wr = outer.R;
    info.wb = outer.B;
    platform::Display().ClientPos(info.cl, info.ct);
    // The display layer gives only the client's corner; the side borders are
    // taken to be equal, and the bottom border as thick as a side one.
    info.cxWindowBorders = std::max(0, info.cl - info.wl);
    info.cyWindowBorders = info.cxWindowBorders;
    info.cr = info.wr - info.cxWindowBorders;
    info.cb = info.wb - info.cyWindowBorders;
    return info;
}

TMemoryStatus MemoryStatus() {
    auto memory = platform::MemoryStatus();
    auto clamp64 = [](uint64_t v) {
        return static_cast<int64_t>(std::min<uint64_t>(v, std::numeric_limits<int64_t>::max()));
    };
    TMemoryStatus status;
    status.dwLength = static_cast<int>(sizeof(TMemoryStatus));
    status.dwMemoryLoad = std::clamp(memory.memoryLoad, 0, 100);
    status.dwTotalPhys = clamp64(memory.totalPhys);
    status.dwAvailPhys = clamp64(memory.availPhys);
    return status;
}
