// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "framework/widgets/slide_line.h"
#include "framework/widgets/sprite.h"
#include "test_support.h"

using SlideLineTest = FrameworkTest;

namespace {
void Steps(TSlideLine& line, int n) {
    for (int i = 0; i < n; ++i) line.Manage();
}
}  // namespace

TEST_F(SlideLineTest, TravelsEachPhaseFromItsStartToItsEnd) {
    // 100 ms is 20 steps, 50 ms 10 steps.
    TSlideLine line;
    line.InitLine("row", 0, 10, 100, 10, 100);
    line.AddPhaseSpecial(100, 10, 100, 50, 50);
    EXPECT_EQ(line.TotalPhases, 2);
    EXPECT_EQ(line.text, "row");
    // Not yet started: already where it will end.
    EXPECT_FLOAT_EQ(line.GetX(), 100);
    EXPECT_FLOAT_EQ(line.GetY(), 50);

    line.Start();
    EXPECT_FLOAT_EQ(line.GetX(), 0);
    EXPECT_FLOAT_EQ(line.GetY(), 10);
    Steps(line, 5);
    EXPECT_FLOAT_EQ(line.GetX(), 25);
    EXPECT_FLOAT_EQ(line.GetY(), 10);

    // The phase change turns the motion from across to down.
    Steps(line, 14);
    EXPECT_EQ(line.Manage(), 1);
    EXPECT_EQ(line.CurrentPhase, 1);
    EXPECT_FLOAT_EQ(line.DX, 0);
    EXPECT_FLOAT_EQ(line.DY, 40);
    EXPECT_FLOAT_EQ(line.GetX(), 100);
    EXPECT_FLOAT_EQ(line.GetY(), 10);
    Steps(line, 5);
    EXPECT_FLOAT_EQ(line.GetY(), 30);

    Steps(line, 5);
    EXPECT_EQ(line.Active, 0);
    EXPECT_EQ(line.Finished, 1);
    Steps(line, 10);
    EXPECT_FLOAT_EQ(line.GetX(), 100);
    EXPECT_FLOAT_EQ(line.GetY(), 50);
}

TEST_F(SlideLineTest, ZeroLengthWaitAndPhaseLimit) {
    // A wait of no length sits on its point and gives way at the first step.
    TSlideLine line;
    line.InitLine("", -640, 200, -640, 200, 0);
    line.AddPhaseSpecial(800, 200, 80, 200, 600);
    line.Start();
    EXPECT_FLOAT_EQ(line.GetX(), -640);
    line.Manage();
    EXPECT_EQ(line.CurrentPhase, 1);
    EXPECT_FLOAT_EQ(line.GetX(), 800);

    // Fifty phases fit; the points of one more are not written anywhere.
    TSlideLine many;
    many.InitLine("", 0, 0, 1, 1, 10);
    for (int i = 1; i < TAnimation::MAX_PHASES; ++i)
        many.AddPhaseSpecial(static_cast<float>(i), 0, static_cast<float>(i + 1), 7, 10);
    EXPECT_EQ(many.TotalPhases, TAnimation::MAX_PHASES);
    many.AddPhaseSpecial(-1, -1, -999, -999, 10);
    EXPECT_EQ(many.TotalPhases, TAnimation::MAX_PHASES);
    EXPECT_FLOAT_EQ(many.EndX.back(), 50);
    many.Start();
    int ends = 0;
    for (int i = 0; i < 200 && many.Active; ++i) ends += many.Manage();
    EXPECT_EQ(ends, TAnimation::MAX_PHASES);
    EXPECT_FLOAT_EQ(many.GetX(), 50);
    EXPECT_FLOAT_EQ(many.GetY(), 7);
}

TEST_F(SlideLineTest, ListSharesItsColourAndRunsEveryLine) {
    TSlideLineList list;
    auto a = list.Add("a", 0, 0, 10, 0, 50);
    auto b = list.Add("b", 0, 0, 0, 20, 100);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(a->Color, list.Color);
    EXPECT_EQ(b->Color, list.Color);
    list.Color->Set(1, 2, 3, 1);
    EXPECT_EQ(b->Color->G, 2);

    auto payload = std::make_shared<int>(7);
    a->AttachObject(payload);
    EXPECT_EQ(*std::static_pointer_cast<int>(a->AttachedObject), 7);

    list.Start();
    EXPECT_EQ(a->Active, 1);
    EXPECT_EQ(b->Active, 1);
    for (int i = 0; i < 10; ++i) list.Manage();
    EXPECT_EQ(a->Active, 0);
    EXPECT_FLOAT_EQ(a->GetX(), 10);
    EXPECT_FLOAT_EQ(b->GetY(), 10);
}
