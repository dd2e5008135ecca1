// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The core on the framework's services: the game object with its fakes, a private
// shared data folder and the real text table.
#include "core_fixture.h"
#include "scratch_dir.h"
#include "test_support.h"

class StoreServicesTest : public FrameworkTest {
protected:
    void SetUp() override;
    void TearDown() override;

    ScratchDir scratch;
};

using CoreTest = CoreTestOf<StoreServicesTest>;
