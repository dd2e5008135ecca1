// SPDX-License-Identifier: GPL-3.0-or-later
#include "framework/util/sysinfo.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "tallyfold/platform/display.h"
#include "tallyfold/platform/system.h"

std::string OSName() { return platform::OSName(); }

std::string DirectXVersionName() { return ""; }

std::string DirectXNameOfRegistryVersion(const std::string& registryText) {
    struct Entry {
        const char* registry;
        const char* name;
    };
    static const Entry table[] = {
        {"4.02.0095", "1.0"},      {"4.03.00.1096", "2.0"},   {"4.04.0068", "3.0"},      {"4.04.0069", "3.0"},
        {"4.05.00.0155", "5.0"},   {"4.05.01.1721", "5.0"},   {"4.05.01.1998", "5.0"},   {"4.06.02.0436", "6.0"},
        {"4.07.00.0700", "7.0"},   {"4.07.00.0716", "7.0a"},  {"4.08.00.0400", "8.0"},   {"4.08.01.0881", "8.1"},
        {"4.08.01.0810", "8.1"},   {"4.09.0000.0900", "9.0"}, {"4.09.00.0900", "9.0"},   {"4.09.0000.0901", "9.0a"},
        {"4.09.00.0901", "9.0a"},  {"4.09.0000.0902", "9.0b"}, {"4.09.00.0902", "9.0b"}, {"4.09.00.0904", "9.0c"},
        {"4.09.0000.0904", "9.0c"},
    };
    for (const auto& entry : table)
        if (registryText == entry.registry) return entry.name;
    return "";
}

int DirectXVersionOK(const std::string& versionName) {
    for (const char* old : {"1.0", "2.0", "3.0", "5.0", "6.0"})
        if (versionName == old) return 0;
    return 1;
}

int DirectXVersionOK() { return DirectXVersionOK(DirectXVersionName()); }

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
