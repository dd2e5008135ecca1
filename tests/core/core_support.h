// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A game object with its fakes, a private shared data folder, the real text
// table and a puzzle model of the test's own, with a core working on it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/core/model.h"
#include "scratch_dir.h"
#include "test_support.h"

class CoreTest : public FrameworkTest {
protected:
    CoreTest() : CoreTest(nullptr) {}
    // Works on the given model instead of one of its own (the game's, for the screens' tests).
    explicit CoreTest(TPuzzleModel* model)
        : Owned(model ? nullptr : std::make_unique<TPuzzleModel>()), Model(model ? *model : *Owned) {}
    void SetUp() override;
    void TearDown() override;

    // A square n x n puzzle with black cells wherever x or y is a multiple of 3,
    // so every white cell sits in a 2 x 2 block; digits 1..4 and clues to match.
    void BuildBlockPuzzle(int n);

    ScratchDir scratch;
    std::vector<std::string> coreNotices;
    std::unique_ptr<TPuzzleModel> Owned;
    TPuzzleModel& Model;
    // The model's parts under their own names, as the tests read them.
    TPuzzleState& Puzzle = Model.Puzzle;
    TEditHistory& EditHistory = Model.EditHistory;
    TGameOptions& Options = Model.Options;
    std::shared_ptr<TCore> Core = std::make_shared<TCore>(Model);
};
