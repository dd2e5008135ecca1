// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls_support.h"
#include "framework/widgets/button.h"
#include "framework/widgets/font.h"
#include "framework/widgets/list_box.h"

class ListBoxTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        list = VTListBox::Create(10, 5, 0, 1, 500);
        list->Font->H = 12;  // 22-pixel lines
        list->SetCoords(100, 100, 200, 200);
        list->CalcLineHeight();
        list->ClickSound = sound;
        for (int i = 0; i < 12; ++i) list->Strings.push_back("save " + std::to_string(i));
    }
    void Poll() {
        Step();
        list->Manage();
    }
    // A click in the middle of a row of the window.
    void ClickRow(int row) { ClickAt(150, 100 + row * 22 + 11); }

    std::shared_ptr<VTListBox> list;
    std::shared_ptr<CountingSound> sound = std::make_shared<CountingSound>();
};

TEST_F(ListBoxTest, NewListBoxAndWholeLineHeight) {
    EXPECT_EQ(list->LineHeight, 22);
    EXPECT_FLOAT_EQ(list->Box->H, 198);  // 200 rounded down to nine lines
    list->SetCoords(0, 0, 50, 100);
    list->CalcLineHeight();
    EXPECT_FLOAT_EQ(list->Box->H, 88);
    list->RoundHeight = 0;
    list->SetCoords(0, 0, 50, 100);
    list->CalcLineHeight();
    EXPECT_FLOAT_EQ(list->Box->H, 100);
    EXPECT_FLOAT_EQ(list->DoubleClickTime, 100);
    EXPECT_EQ(list->Index, -1);
    EXPECT_EQ(list->StartList, 0);
    EXPECT_EQ(list->EndList, VTListBox::LastItemInList);
    ASSERT_TRUE(list->HighlightCol);
    EXPECT_EQ(list->HighlightCol->B, 150);
}

TEST_F(ListBoxTest, ClickSelectsTheRowOfTheVisibleWindow) {
    list->StartList = 3;
    list->EndList = 10;
    ClickRow(2);
    Poll();
    EXPECT_EQ(list->Index, 5);
    EXPECT_EQ(list->Value, "save 5");
    EXPECT_EQ(list->DoubleClicked, -1);
    EXPECT_EQ(sound->plays, 1);
    EXPECT_EQ(Game->Mouse->GetMh(0), 0);  // the list took the press
    // Moving the window leaves the selection where it was.
    list->StartList = 0;
    list->EndList = 7;
    EXPECT_EQ(list->Index, 5);
    list->SetIndex(1);
    EXPECT_EQ(list->Value, "save 1");
    list->ClearIndex();
    EXPECT_EQ(list->Index, -1);
    EXPECT_EQ(list->Value, "");
}

TEST_F(ListBoxTest, ClicksOffTheLinesSelectNothingAndStayForOthers) {
    struct Probe {
        int x, y;
    };
    // The border between two rows, left and right of the box, the row below the window.
    for (const Probe& p : std::vector<Probe>{{150, 122}, {99, 111}, {300, 111}, {150, 100 + 8 * 22 + 5}}) {
        ClickAt(p.x, p.y);
        Poll();
        EXPECT_EQ(list->Index, -1) << p.x << "," << p.y;
        EXPECT_EQ(Game->Mouse->GetMh(0), 1);
    }
    EXPECT_EQ(sound->plays, 0);
    ClickAt(100, 101);  // the left edge counts
    Poll();
    EXPECT_EQ(list->Index, 0);

    // An empty list has no lines to select.
    list->Strings.clear();
    list->ClearIndex();
    ClickRow(0);
    Poll();
    EXPECT_EQ(list->Index, -1);
    EXPECT_EQ(list->Value, "");
}

TEST_F(ListBoxTest, SecondQuickClickOnTheSameLineIsADoubleClick) {
    ClickRow(1);
    Poll();
    for (int i = 0; i < 50; ++i) Poll();
    ClickRow(1);
    Poll();
    EXPECT_EQ(list->DoubleClicked, 1);
    EXPECT_EQ(sound->plays, 1);
    // Every further quick click there is a double click again, without sound.
    list->DoubleClicked = -1;
    ClickRow(1);
    Poll();
    EXPECT_EQ(list->DoubleClicked, 1);
    EXPECT_EQ(sound->plays, 1);

    // Another line, or the same one too late, is a single click.
    list->DoubleClicked = -1;
    ClickRow(2);
    Poll();
    EXPECT_EQ(list->DoubleClicked, -1);
    EXPECT_EQ(list->Index, 2);
    for (int i = 0; i < 101; ++i) Poll();
    ClickRow(2);
    Poll();
    EXPECT_EQ(list->DoubleClicked, -1);
    EXPECT_EQ(sound->plays, 3);
}

// ---- slider ------------------------------------------------------------------------------

class SliderTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        WritePng(dir / "graphics/slider.png", 200, 20);
        WritePng(dir / "graphics/marker.png", 11, 20);
        slider = TSlider::CreateSpecial("slider", "marker", 300, 100, 20, "musicslider", 0);
    }
    int PressAt(int x, int y) {
        Down(x, y);
        Step();
        return slider->Manage();
    }

    std::shared_ptr<TSlider> slider;
};

TEST_F(SliderTest, StartsInTheMiddleWithTheMarkerCentredOnItsValue) {
    EXPECT_EQ(slider->name, "MUSICSLIDER");
    EXPECT_EQ(slider->w, 200);
    EXPECT_EQ(slider->Value, 50);
    EXPECT_EQ(slider->DotX, 300 + 20 + 80 - 5);
    EXPECT_EQ(slider->DotY, 100);
    slider->SetValue(-5);
    EXPECT_EQ(slider->Value, 0);
    EXPECT_EQ(slider->DotX, 315);
    slider->SetValue(150);
    EXPECT_EQ(slider->Value, 100);
    EXPECT_EQ(slider->DotX, 475);
}

TEST_F(SliderTest, PressOrDragSetsTheValueWithinTheBar) {
    EXPECT_EQ(PressAt(315, 110), 1);  // inside the left border
    EXPECT_EQ(slider->Value, 0);
    EXPECT_EQ(PressAt(295, 110), 1);  // 5 pixels left of the bar
    EXPECT_EQ(slider->Value, 0);
    EXPECT_EQ(PressAt(485, 110), 1);
    EXPECT_EQ(slider->Value, 100);
    EXPECT_EQ(PressAt(400, 110), 1);
    EXPECT_EQ(slider->Value, 50);
    // Dragging: the value follows the held button.
    MoveTo(361, 105);
    Step();
    EXPECT_EQ(slider->Manage(), 1);
    EXPECT_EQ(slider->Value, 26);  // 41 of 160 pixels, rounded
    // Released, or beyond the 10 pixels of slack, the value stays.
    Up();
    MoveTo(420, 105);
    Step();
    EXPECT_EQ(slider->Manage(), 0);
    EXPECT_EQ(slider->MouseOver, 1);
    EXPECT_EQ(PressAt(510, 110), 0);
    EXPECT_EQ(slider->MouseOver, 0);
    EXPECT_EQ(slider->Value, 26);
    // Above and below the bar only within BorderY.
    EXPECT_EQ(PressAt(400, 99), 0);
    slider->BorderY = 5;
    EXPECT_EQ(PressAt(400, 96), 1);
    EXPECT_EQ(PressAt(400, 124), 1);
    EXPECT_EQ(PressAt(400, 125), 0);
    slider->active = 0;
    EXPECT_EQ(PressAt(400, 110), 0);
}
