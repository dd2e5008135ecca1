// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/store/framework_services.h"

#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/core/timing.h"
#include "framework/paths/errors.h"
#include "framework/paths/paths.h"
#include "framework/text/game_text.h"
#include "framework/util/datetime.h"
#include "game/core/services.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/input.h"
#include "tallyfold/platform/system.h"

namespace {

TCoreRead FromPlatform(platform::ReadStatus status) {
    switch (status) {
        case platform::ReadStatus::Read:
            return TCoreRead::Read;
        case platform::ReadStatus::Missing:
            return TCoreRead::Missing;
        case platform::ReadStatus::NotRegular:
            return TCoreRead::NotRegular;
        case platform::ReadStatus::TooLarge:
            return TCoreRead::TooLarge;
        case platform::ReadStatus::Unreadable:
            break;
    }
    return TCoreRead::Unreadable;
}

}  // namespace

void ConnectCoreServices() {
    TCoreServices& s = CoreServices();
    s.Clock = [] { return platform::MilliSecs(); };
    s.LocalTime = [] {
        TDateTime now;
        now.Set_DateTimeCurrent();
        return TCoreLocalTime{now.Year, now.Month, now.Day, now.Hour, now.Minute, now.Second};
    };
    s.SeedRandom = [](int seed) { platform::SeedRnd(seed); };
    s.Random = [](int min, int max) { return platform::Rand(min, max); };
    s.KeepResponsive = [] { platform::PumpMessages(); };
    s.RestartLogicClock = [] {
        if (Game && Game->FixedRateLogic) Game->FixedRateLogic->Init();
    };
    s.Text = [](const std::string& key, std::string& text) {
        if (!Resources.GameText) return false;
        text = Resources.GameText->FindString(key);
        return true;
    };
    s.Notice = [](const std::string& message) { PlayerNotice(message); };
    s.ProfileFolder = [] { return Game ? Game->ProfilePath : std::string(); };
    s.SharedFolder = [] { return Game ? Game->Paths->SubPath : std::string(); };
    s.SavingOff = [] { return SharedData.SavingOff; };
    // The core tells the player of a failed write itself, so the framework stays quiet.
    s.WriteFile = [](const std::string& path, const std::string& bytes, std::string* reason) {
        return WriteSharedFile(path, bytes, reason, true) != 0;
    };
    s.ReadFile = [](const std::string& path, std::int64_t maxBytes, std::string& bytes, std::string* reason,
                    bool followLinks) {
        return FromPlatform(platform::ReadRegularFile(path, maxBytes, bytes, reason, followLinks));
    };
    s.Exists = [](const std::string& path) { return platform::FileType(path) != platform::FILETYPE_NONE; };
    s.IsPlainFile = [](const std::string& path) { return platform::IsPlainFile(path); };
    s.Rename = [](const std::string& from, const std::string& to) { return platform::RenameFile(from, to); };
    s.Delete = [](const std::string& path) { return platform::DeleteFile(path); };
    s.LogError = [](const std::string& message) { AppendErrorLog(message); };
    s.FileFault = [](const std::string& path, const std::string& reason) { return FileFaultText(path, reason); };
}
