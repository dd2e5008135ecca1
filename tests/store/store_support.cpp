// SPDX-License-Identifier: GPL-3.0-or-later
#include "store_support.h"

#include "framework/core/game.h"
#include "framework/text/game_text.h"
#include "game/store/framework_services.h"

void StoreServicesTest::SetUp() {
    FrameworkTest::SetUp();
    ConnectCoreServices();
    Game->Paths->SubPath = scratch.Folder();
    Game->ProfilePath = scratch.Folder() + "profiles/";
    std::filesystem::create_directories(Game->ProfilePath);
    Game->TextPath = TALLYFOLD_TEXT_DIR;
    Resources.GameText = TGameText::Create("gametext.txt");
}

void StoreServicesTest::TearDown() {
    Resources.GameText.reset();
    Resources.GameIni.reset();
    FrameworkTest::TearDown();
}
