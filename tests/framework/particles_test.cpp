// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "framework/widgets/particles.h"
#include "tallyfold/platform/image.h"
#include "widget_support.h"

class ParticleTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        dot = SolidImage(10, 10, 0xFFFFFFFF, 1);
    }
    std::shared_ptr<TParticle> Add(float fadeMs, float scale = 1, float scaleSpeed = 0, int lifeMs = 0) {
        return list.AddNew(400, 300, dot, 0, 0, 0, fadeMs, 0, 0, 0, scale, scaleSpeed, lifeMs, 0);
    }
    // Steps until the list is empty (or the limit).
    int StepsUntilEmpty(int limit = 1000) {
        for (int step = 1; step <= limit; ++step) {
            list.Manage();
            if (list.Count() == 0) return step;
        }
        return -1;
    }
    std::shared_ptr<TGameImage> dot;
    TParticleList list;
};

TEST_F(ParticleTest, PlainFadeStartsVisibleAndEndsTheParticle) {
    auto p = Add(1000);
    p->Draw();
    EXPECT_FLOAT_EQ(p->Alpha, 1.0f);
    for (int i = 0; i < 100; ++i) list.Manage();
    p->Draw();
    EXPECT_NEAR(p->Alpha, 0.5f, 1e-4);
    EXPECT_EQ(StepsUntilEmpty(), 100);
    EXPECT_EQ(p->active, 0);
    EXPECT_EQ(p->Particles, nullptr);
}

TEST_F(ParticleTest, FadeInHoldFadeOut) {
    auto p = Add(0);
    p->SetFade(200, 300, 1000);
    p->Draw();
    EXPECT_FLOAT_EQ(p->Alpha, 0.0f);
    for (int i = 0; i < 20; ++i) list.Manage();
    p->Draw();
    EXPECT_NEAR(p->Alpha, 0.5f, 1e-4);
    for (int i = 0; i < 20; ++i) list.Manage();
    p->Draw();
    EXPECT_FLOAT_EQ(p->Alpha, 1.0f);
    for (int i = 0; i < 59; ++i) list.Manage();
    p->Draw();
    EXPECT_FLOAT_EQ(p->Alpha, 1.0f);  // still holding
    EXPECT_EQ(StepsUntilEmpty(), 201);
}

TEST_F(ParticleTest, ShrinkingOffScreenAndLifeEndParticles) {
    auto shrinking = Add(100000, 0.5f, -0.01f);
    int steps = StepsUntilEmpty();
    EXPECT_GE(steps, 50);
    EXPECT_LE(steps, 51);
    EXPECT_GT(shrinking->FadeCounter, 0);  // removed while still visible

    Add(0, 1, 0, 50);
    EXPECT_EQ(StepsUntilEmpty(), 10);

    auto leaving = Add(0);
    leaving->dx = -100;
    leaving->x = 10;
    EXPECT_EQ(StepsUntilEmpty(), 1);
    auto kept = Add(0);
    kept->NoOutOfBounds = 1;
    kept->x = -500;
    list.Manage();
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(ParticleTest, DrawingOrderSpinAndRestingState) {
    auto older = Add(0);
    auto newer = list.AddNew(1, 1, dot, 0, 0, 0, 0, 1, -1, 7, 1, 0, 0, 1);
    EXPECT_EQ(list.Items().front(), newer);  // beneath the others
    EXPECT_EQ(list.Items().back(), older);
    std::vector<float> angles;
    for (int i = 0; i < 120; ++i) {
        list.Manage();
        angles.push_back(newer->Rotation);
    }
    EXPECT_FLOAT_EQ(angles[0], 353.0f);  // counter-clockwise
    for (float a : angles) {
        EXPECT_GE(a, 0.0f);
        EXPECT_LT(a, 360.0f);
    }
    list.Draw();
    ExpectRestingDrawState();
    EXPECT_EQ(newer->Draw(), 1);
    newer->Hidden = 1;
    EXPECT_EQ(newer->Draw(), 0);
}

TEST_F(ParticleTest, ParticlesMayRemoveOthersAndAddNewOnesDuringAWalk) {
    auto first = Add(0, 1, 0, 5);  // one step of life
    auto second = Add(0);
    auto third = Add(0);
    first->AttachedParticle = second;
    int userKills = 0;
    first->UserKill = [&](TParticle&) {
        ++userKills;
        third->Kill();
        Add(0);  // joins during the walk, moves from the next walk on
        return 0;
    };
    list.Manage();
    EXPECT_EQ(userKills, 1);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(second->active, 0);
    EXPECT_FLOAT_EQ(list.Items().front()->x, 400.0f);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(ParticleTest, PhasesDelayAndAnimationEnd) {
    auto p = Add(0);
    std::vector<int> ended;
    auto moving = p->AddPhase(25);  // 5 steps
    moving->dx = 1;
    moving->UserFunction = [&](TParticle&) { return ended.emplace_back(1), 0; };
    auto hidden = p->AddPhase(25);
    hidden->Hidden = 1;
    hidden->Alpha = 0;
    hidden->UserFunction = [&](TParticle&) { return ended.emplace_back(2), 0; };
    int delayed = 0;
    p->DelayFinished = [&](TParticle&) { return ++delayed; };
    p->SetDelay(25);
    for (int i = 0; i < 4; ++i) list.Manage();
    EXPECT_EQ(p->Hidden, 1);
    EXPECT_FLOAT_EQ(p->x, 400.0f);
    EXPECT_EQ(StepsUntilEmpty(), 10);
    EXPECT_EQ(delayed, 1);
    EXPECT_EQ(ended, (std::vector<int>{1, 2}));
    EXPECT_FLOAT_EQ(p->x, 404.0f);  // the second phase began in the fifth step, before it moved

    auto animated = list.AddNew(400, 300, SolidImage(10, 10, 0xFFFFFFFF, 1, 4), 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0);
    animated->SetupAnim(4, 20, 1, 0, 0, 0, 0);
    animated->KillAfterAnim = 1;
    EXPECT_EQ(StepsUntilEmpty(), 4);
}

TEST_F(ParticleTest, GeneratorsEmitOverTimeAndFinish) {
    int made = 0;
    auto make = [&](TParticleGenerator& g) {
        ++made;
        list.AddNew(static_cast<int>(g.x), static_cast<int>(g.y), dot, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0);
        return 0;
    };
    TParticleGeneratorList generators;
    generators.Add(10, 10, 3, 10, make);  // one at once, then every 2 steps
    EXPECT_EQ(made, 1);
    ASSERT_EQ(generators.Items.size(), 1u);
    for (int i = 0; i < 4; ++i) generators.Manage();
    EXPECT_EQ(made, 3);
    EXPECT_TRUE(generators.Items.empty());

    generators.Add(0, 0, 1, 10, make);
    EXPECT_TRUE(generators.Items.empty());  // finished on the spot
    EXPECT_EQ(made, 4);

    // Without an interval: one particle per step, not an endless burst.
    auto endless = TParticleGenerator::Create(0, 0, 0, 0, make, 0, 0, 0);
    EXPECT_EQ(endless->Manage(), 0);
    EXPECT_EQ(endless->Manage(), 0);
    EXPECT_EQ(made, 6);
}

TEST_F(ParticleTest, CollideWritesEachParticleUnderItsId) {
    platform::ResetCollisions();
    auto p = Add(0);
    list.Collide();
    auto hits = platform::CollideImage(dot->image, 400, 300, 0, 1, 0, 0);
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0], p->CollisionId);
    platform::ResetCollisions();
}
