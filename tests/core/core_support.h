// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A game object with its fakes, a private shared data folder, the real text
// table and a fresh puzzle core for every test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/core/core.h"
#include "scratch_dir.h"
#include "test_support.h"

class CoreTest : public FrameworkTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A square n x n puzzle with black cells wherever x or y is a multiple of 3,
    // so every white cell sits in a 2 x 2 block; digits 1..4 and clues to match.
    static void BuildBlockPuzzle(int n);

    ScratchDir scratch;
    std::vector<std::string> coreNotices;
};
