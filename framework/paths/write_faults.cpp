// SPDX-License-Identifier: GPL-3.0-or-later
// Files of the shared data folder written whole, and how a write that failed is
// told: once in the error log for each file, once to the player until a write
// succeeds again.
#include <set>
#include <string>

#include "framework/core/game_state.h"
#include "framework/core/resources.h"
#include "framework/core/timing.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/text/game_text.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"

namespace {
bool WriteFaultTold = false;
// Files whose writes fail now; each is logged once until it is written again.
std::set<std::string> FaultedPaths;
}  // namespace

void PlayerNotice(const std::string& message) {
    if (SharedData.NoticeHook) {
        SharedData.NoticeHook(message);
        return;
    }
    ShowMessageBox(message, 560, 180);
    // The box waited for the player; that time must not come back as a burst of steps.
    if (GameState() && GameState()->FixedRateLogic) GameState()->FixedRateLogic->Init();
}

void ReportWriteFault(const std::string& path, const std::string& reason, bool quiet) {
    if (FaultedPaths.insert(path).second) AppendErrorLog("Could not write " + path + " (" + reason + ").");
    if (quiet || WriteFaultTold) return;
    WriteFaultTold = true;
    std::string text = Resources.GameText ? Resources.GameText->FindString("Write Failed") : std::string();
    if (text.empty())
        text =
            "Tallyfold could not save a file. The game goes on and keeps what you do, and saves it as soon as it can:";
    PlayerNotice(text + "\r\n" + FileFaultText(path, reason));
}

int WriteSharedFile(const std::string& path, const std::string& bytes, std::string* reason, bool quiet) {
    std::string why;
    if (!SharedData.SavingOff.empty()) {
        if (reason) *reason = SharedData.SavingOff;
        return 0;
    }
    if (platform::SaveFileAtomic(path, bytes, &why)) {
        WriteFaultTold = false;
        FaultedPaths.erase(path);
        return 1;
    }
    if (reason) *reason = why;
    ReportWriteFault(path, why, quiet);
    return 0;
}

void ResetWriteFaults() {
    SharedData.SavingOff.clear();
    WriteFaultTold = false;
    FaultedPaths.clear();
}
