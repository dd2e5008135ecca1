// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/screens/session.h"

#include <memory>

#include "game/store/framework_services.h"

namespace {

struct TPlaySession {
    // The core reaches the framework only through the services filled in here.
    TPlaySession() { ConnectCoreServices(); }
    TPuzzleModel Model;
    TCore Core{Model};
};

std::unique_ptr<TPlaySession>& Session() {
    static std::unique_ptr<TPlaySession> session = std::make_unique<TPlaySession>();
    return session;
}

}  // namespace

TPuzzleModel& PlayModel() { return Session()->Model; }

TCore& PlayCore() { return Session()->Core; }

void ResetPlaySession() { Session() = std::make_unique<TPlaySession>(); }
