// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A puzzle model of the test's own with a core working on it, over a fixture Base
// that gives the core its services (stand-ins, or the framework's own).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/core/model.h"

// A square n x n puzzle with black cells wherever x or y is a multiple of 3,
// so every white cell sits in a 2 x 2 block; digits 1..4 and clues to match.
void BuildBlockPuzzleOn(TPuzzleModel& model, int n);

template <class Base>
class CoreTestOf : public Base {
protected:
    CoreTestOf() : CoreTestOf(nullptr) {}
    // Works on the given model instead of one of its own (the game's, for the screens' tests).
    explicit CoreTestOf(TPuzzleModel* model)
        : Owned(model ? nullptr : std::make_unique<TPuzzleModel>()), Model(model ? *model : *Owned) {}
    void SetUp() override {
        Base::SetUp();
        Model.Hooks.Notice = [this](const std::string& message) { coreNotices.push_back(message); };
        Core->Start();
    }
    void TearDown() override { Base::TearDown(); }

    void BuildBlockPuzzle(int n) { BuildBlockPuzzleOn(Model, n); }

    std::vector<std::string> coreNotices;
    std::unique_ptr<TPuzzleModel> Owned;
    TPuzzleModel& Model;
    // The model's parts under their own names, as the tests read them.
    TPuzzleState& Puzzle = Model.Puzzle;
    TEditHistory& EditHistory = Model.EditHistory;
    TGameOptions& Options = Model.Options;
    std::shared_ptr<TCore> Core = std::make_shared<TCore>(Model);
};
