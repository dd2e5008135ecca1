// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "controls_support.h"
#include "framework/screens/screen.h"
#include "framework/widgets/button.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"

namespace vk = platform::vk;

class ButtonTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        menu = TMenu::Create("buttonMO", "buttonclick", 0, 100, 10);
        ok = menu->AddQuick("OK", "");
        ok->SoundClick = click;
        ok->SoundMouseOver = over;
    }
    // One logic step of the menu.
    int Poll(float offsetX = 0, float offsetY = 0) {
        Step();
        return menu->Manage(offsetX, offsetY);
    }

    std::shared_ptr<TMenu> menu;
    std::shared_ptr<TButton> ok;
    std::shared_ptr<CountingSound> click = std::make_shared<CountingSound>();
    std::shared_ptr<CountingSound> over = std::make_shared<CountingSound>();
};

TEST_F(ButtonTest, AddedButtonIsCentredAtTheTopWithTheMenuSoundsAndShadow) {
    auto fresh = TMenu::Create("buttonMO", "buttonclick", 0, 100, 10);
    auto b = fresh->AddQuick("OK", "");
    EXPECT_EQ(b->name, "OK");
    EXPECT_FLOAT_EQ(b->x, 360);  // (800 - 80) / 2
    EXPECT_FLOAT_EQ(b->y, 100);
    EXPECT_EQ(b->w, 80);
    EXPECT_EQ(b->h, 40);
    ASSERT_TRUE(b->ImageMouseOver);
    EXPECT_EQ(b->SoundMouseOver, fresh->SoundMouseOver);
    EXPECT_EQ(b->SoundClick, fresh->SoundClick);
    EXPECT_EQ(b->SoundMouseOver->name, "BUTTONMO");
    // A key names the button instead of its picture.
    EXPECT_EQ(fresh->AddQuick("Cancel", "back")->name, "BACK");
}

TEST_F(ButtonTest, HitAreaIncludesTheTopLeftEdgesAndExcludesTheBottomRight) {
    struct Probe {
        int x, y, inside;
    };
    // The button covers x 360..439 and y 100..139.
    for (const Probe& p :
         std::vector<Probe>{{360, 100, 1}, {439, 139, 1}, {440, 120, 0}, {400, 140, 0}, {359, 120, 0}, {400, 99, 0}}) {
        MoveTo(p.x, p.y);
        Poll();
        EXPECT_EQ(ok->MouseOver, p.inside) << p.x << "," << p.y;
    }
    // The menu's offsets move the hit area with the picture.
    MoveTo(380, 130);
    Poll(20, 30);
    EXPECT_EQ(ok->MouseOver, 1);
    MoveTo(379, 130);
    Poll(20, 30);
    EXPECT_EQ(ok->MouseOver, 0);
}

TEST_F(ButtonTest, HoverSoundPlaysOnEnteringAndClickSoundOncePerClick) {
    MoveTo(370, 110);
    Poll();
    Poll();
    EXPECT_EQ(over->plays, 1);
    EXPECT_EQ(menu->MouseOverName, "OK");
    ClickAt(370, 110);
    Poll();
    EXPECT_EQ(click->plays, 1);
    // The click lives for one step.
    Poll();
    EXPECT_EQ(ok->Clicked, 0);
    EXPECT_EQ(menu->ClickedName, "");
    MoveTo(10, 10);
    Poll();
    MoveTo(370, 110);
    Poll();
    EXPECT_EQ(over->plays, 2);
    // Polled without sound: states change, nothing is heard.
    ClickAt(370, 110);
    Step();
    menu->ManageNoSound(0, 0);
    EXPECT_EQ(ok->Clicked, 1);
    EXPECT_EQ(click->plays, 1);
    EXPECT_EQ(menu->NoSound, 0);
}

TEST_F(ButtonTest, DisabledButtonClicksOnlyWhileClickDisabledIsSet) {
    ok->Disabled = 1;
    ClickAt(370, 110);
    Poll();
    EXPECT_TRUE(menu->Clicked("OK"));
    EXPECT_EQ(click->plays, 1);
    EXPECT_EQ(over->plays, 1);

    ok->ClickDisabled = 0;
    ClickAt(370, 110);
    Poll();
    EXPECT_FALSE(menu->Clicked("OK"));
    EXPECT_EQ(ok->MouseOver, 0);
    EXPECT_EQ(menu->MouseOverName, "");
    EXPECT_EQ(click->plays, 1);
    // The press was not taken: a widget below may still have it.
    EXPECT_EQ(Game->Mouse->GetMh(0), 1);
}

TEST_F(ButtonTest, ClickedAnswersInAnyCaseAndOnlyOnce) {
    ClickAt(370, 110);
    Poll();
    EXPECT_FALSE(menu->Clicked("Cancel"));
    EXPECT_TRUE(menu->Clicked("ok"));
    EXPECT_FALSE(menu->Clicked("OK"));
    // Hover names are not consumed unless asked for.
    EXPECT_TRUE(menu->MouseOver("Ok"));
    EXPECT_TRUE(menu->MouseOver("oK"));
    menu->ClearMouseOverName = 1;
    EXPECT_TRUE(menu->MouseOver("OK"));
    EXPECT_FALSE(menu->MouseOver("OK"));
    EXPECT_EQ(menu->FindButton("ok"), ok);
    EXPECT_EQ(menu->FindButton("nothing"), nullptr);
}

TEST_F(ButtonTest, EnterAndSpaceClickTheOKButtonWithoutThePointer) {
    ok->OKButton = 1;
    MoveTo(5, 5);
    Key(vk::RETURN);
    Poll();
    EXPECT_TRUE(menu->Clicked("OK"));
    EXPECT_EQ(click->plays, 1);
    Key(vk::SPACE);
    Poll();
    EXPECT_TRUE(menu->Clicked("OK"));
    ok->OKButtonUseSpace = 0;
    Key(vk::SPACE);
    Poll();
    EXPECT_FALSE(menu->Clicked("OK"));
    EXPECT_EQ(KeyHit(vk::SPACE), 1);  // left for whoever wants it
    // A button that is not the OK button ignores Enter.
    ok->OKButton = 0;
    Key(vk::RETURN);
    Poll();
    EXPECT_FALSE(menu->Clicked("OK"));
}

TEST_F(ButtonTest, PressedPictureWindowRefusesASecondClickUnlessClickWhenDown) {
    WritePng(dir / "menus/Yes_down.png", 80, 40);
    auto yes = menu->AddQuickAuto("Yes", "");
    yes->SoundClick = click;
    ASSERT_TRUE(yes->ImageMouseClick);
    EXPECT_FALSE(yes->ImageDisabled);              // no picture, silently skipped
    EXPECT_FLOAT_EQ(yes->MouseClickDuration, 40);  // 200 ms

    ClickAt(370, 160);
    Poll();
    EXPECT_TRUE(menu->Clicked("Yes"));
    for (int i = 0; i < 20; ++i) Poll();
    ClickAt(370, 160);
    Poll();
    EXPECT_FALSE(menu->Clicked("Yes"));
    EXPECT_EQ(click->plays, 1);
    for (int i = 0; i < 20; ++i) Poll();
    EXPECT_FLOAT_EQ(yes->MouseClickCounter, 0);
    ClickAt(370, 160);
    Poll();
    EXPECT_TRUE(menu->Clicked("Yes"));
    EXPECT_EQ(click->plays, 2);

    // Clicks in consecutive steps are one click as far as the sound goes.
    yes->ClickWhenDown = 1;
    Poll();
    ClickAt(370, 160);
    Poll();
    EXPECT_TRUE(menu->Clicked("Yes"));
    EXPECT_EQ(click->plays, 3);

    // StayDown keeps the pressed picture until the click is cleared.
    yes->StayDown = 1;
    for (int i = 0; i < 100; ++i) Poll();
    EXPECT_GT(yes->MouseClickCounter, 0);
    yes->ClearClick();
    EXPECT_FLOAT_EQ(yes->MouseClickCounter, 0);
}

TEST_F(ButtonTest, HeldButtonRepeatsWithTheSecondClickSound) {
    auto repeat = std::make_shared<CountingSound>();
    ok->SoundClick2 = repeat;
    ok->SetupMouseRepeat(300, 100);  // 60 steps, then every 20
    Down(370, 110);
    std::vector<int> clicks;
    for (int step = 0; step < 105; ++step) {
        Poll();
        if (menu->Clicked("OK")) clicks.push_back(step);
    }
    EXPECT_EQ(clicks, (std::vector<int>{0, 60, 80, 100}));
    EXPECT_EQ(click->plays, 1);
    EXPECT_EQ(repeat->plays, 3);
    // Released: no more clicks; the next press is a first press again.
    Up();
    for (int step = 0; step < 30; ++step) {
        Poll();
        EXPECT_FALSE(menu->Clicked("OK"));
    }
    Down(370, 110);
    Poll();
    EXPECT_TRUE(menu->Clicked("OK"));
    EXPECT_EQ(click->plays, 2);
    // Without a second sound, repeats use the first.
    ok->SoundClick2.reset();
    for (int step = 0; step < 60; ++step) Poll();
    EXPECT_EQ(click->plays, 3);
}

TEST_F(ButtonTest, MenuIsDeafDuringAScreenFadeWithInputOffOrWithoutPointer) {
    ok->SetFixedGlowOnMO(1.0f, 0.1f, 0);
    ok->SetGlow(2, 1.0f, 0.1f, 0, 1.0f);
    Game->GameFade->Active = 1;
    ClickAt(370, 110);
    EXPECT_EQ(Poll(), 0);
    EXPECT_EQ(ok->MouseOver, 0);
    EXPECT_FALSE(menu->Clicked("OK"));
    EXPECT_EQ(over->plays, 0);
    // Only the fixed glow goes on fading.
    EXPECT_FLOAT_EQ(ok->Glow, 0.9f);
    Game->GameFade->Active = 0;

    menu->AcceptInput = 0;
    ClickAt(370, 110);
    EXPECT_EQ(Poll(), 0);
    EXPECT_FALSE(menu->Clicked("OK"));
    menu->AcceptInput = 1;

    Game->Mouse->Active = 0;
    ClickAt(370, 110);
    EXPECT_EQ(Poll(), 0);
    EXPECT_FALSE(menu->Clicked("OK"));
    Game->Mouse->Active = 1;
    ClickAt(370, 110);
    EXPECT_EQ(Poll(), 1);
    EXPECT_TRUE(menu->Clicked("OK"));
}

TEST_F(ButtonTest, HoverScaleGrowsToItsMaximumAndShrinksBack) {
    ok->SetupScaleOnMO(1.2f, 0.05f, 0.1f);
    MoveTo(370, 110);
    for (int i = 0; i < 10; ++i) Poll();
    EXPECT_FLOAT_EQ(ok->ScaleOnMO, 1.2f);
    MoveTo(5, 5);
    Poll();
    EXPECT_NEAR(ok->ScaleOnMO, 1.1f, 1e-5);
    Poll();
    Poll();
    EXPECT_FLOAT_EQ(ok->ScaleOnMO, 1.0f);
}

TEST_F(ButtonTest, GapIsCountedBetweenButtonsOnly) {
    for (const char* name : {"A", "B", "C"}) MenuPicture(name, 100, 40);
    auto column = TMenu::Create("", "", 0, 50, 10);
    EXPECT_FALSE(column->SoundClick);
    for (const char* name : {"A", "B", "C"}) column->AddQuick(name, "");
    EXPECT_EQ(column->h, 140);
    EXPECT_EQ(column->NextY, 200);
    EXPECT_FLOAT_EQ(column->Items[2]->y, 150);
    EXPECT_EQ(column->CalcHeight(), 140);
    EXPECT_EQ(column->CalcWidth(), 100);
}

TEST_F(ButtonTest, PairsRowsAndColumnsLayOutButtonsWithTheirCaptions) {
    auto pair = TMenu::Create("", "", 0, 300, 10);
    pair->AddPair("Yes", "No", 50, "");
    auto yes = pair->FindButton("yes");
    auto no = pair->FindButton("NO");
    ASSERT_TRUE(yes && no);
    EXPECT_FLOAT_EQ(no->x, yes->x + 130);
    EXPECT_FLOAT_EQ(no->y, yes->y);
    EXPECT_EQ(pair->NextY, 350);
    pair->AddPair("OK", "Cancel", 10, "dlg");
    EXPECT_TRUE(pair->FindButton("DLGOK"));
    EXPECT_TRUE(pair->FindButton("dlgcancel"));

    yes->SetupCaption("Yes", nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FLOAT_EQ(yes->Caption->X, yes->x + 40);
    EXPECT_FLOAT_EQ(yes->Caption->Y, yes->y + 20);
    pair->SetPairX("Yes", "No", 100.7f);
    EXPECT_FLOAT_EQ(yes->x, 100.7f);
    EXPECT_FLOAT_EQ(no->x, 231);  // moved by the whole pixels of 100.7 - 360
    EXPECT_FLOAT_EQ(yes->Caption->X, 140.7f);

    // Four 80 x 40 buttons in a centred row, 10 pixels apart.
    pair->MakeRow(10);
    EXPECT_EQ(pair->w, 350);
    EXPECT_FLOAT_EQ(pair->Items[0]->x, 225);
    EXPECT_FLOAT_EQ(pair->Items[3]->x, 495);
    for (auto& b : pair->Items) EXPECT_FLOAT_EQ(b->y, 280);
    EXPECT_FLOAT_EQ(yes->Caption->X, 265);
    EXPECT_FLOAT_EQ(yes->Caption->Y, 300);
    pair->MakeColumn(20);
    EXPECT_EQ(pair->h, 220);
    EXPECT_FLOAT_EQ(pair->Items[0]->y, 190);
    EXPECT_FLOAT_EQ(pair->Items[1]->y, 250);
    EXPECT_FLOAT_EQ(pair->Items[0]->x, 360);

    // Scaling about the menu's corner.
    pair->CalcCoords();
    pair->StoreOriginalCoords();
    pair->ScaleMenu(0.5f, 0.5f);
    EXPECT_FLOAT_EQ(pair->Items[1]->y, 220);
    EXPECT_FLOAT_EQ(pair->Items[1]->ScaleX, 0.5f);
}

TEST_F(ButtonTest, KillReleasesCaptionRepeatAndEveryButton) {
    ok->SetupCaption("OK", nullptr, nullptr, nullptr, nullptr, nullptr);
    ok->SetupMouseRepeat(100, 100);
    auto button = ok;
    menu->Kill();
    EXPECT_TRUE(menu->Items.empty());
    EXPECT_FALSE(button->Caption);
    EXPECT_FALSE(button->MouseRepeat);
    EXPECT_FALSE(button->ChannelClick);
    // A screen kills its menu with it.
    auto screen = std::make_shared<TScreen>();
    screen->Menu = TMenu::Create("", "", 0, 0, 0);
    auto held = screen->Menu->AddQuick("OK", "");
    held->SetupCaption("OK", nullptr, nullptr, nullptr, nullptr, nullptr);
    screen->Kill();
    EXPECT_FALSE(screen->Menu);
    EXPECT_FALSE(held->Caption);
}

TEST_F(ButtonTest, BoxDrawsNothingWithoutAColour) {
    auto box = TBox::Create(1, 2, 3, 4, nullptr);
    EXPECT_EQ(box->Draw(), 0);
    box->Init(5, 6, 7, 8, TColor::Create(1, 2, 3, 0.5f));
    EXPECT_FLOAT_EQ(box->W, 7);
    box->Kill();
    EXPECT_FALSE(box->Color);
}

// ---- drawing ---------------------------------------------------------------------------

using ButtonDrawTest = GraphicsFixture;

TEST_F(ButtonDrawTest, EachStateShowsItsOwnPictureAtTheOffsetPosition) {
    TButton b;
    b.SetImage(SolidImage(40, 20, 0xFF0000FFu, 0));
    b.ImageMouseOver = SolidImage(40, 20, 0xFF00FF00u, 0);
    b.ImageDisabled = SolidImage(40, 20, 0xFF808080u, 0);
    b.ImageMouseClick = SolidImage(40, 20, 0xFFFF0000u, 0);
    b.x = 100;
    b.y = 50;
    b.offx = 10;
    b.offy = 5;
    auto shows = [&](uint32_t colour) {
        platform::Cls();
        EXPECT_EQ(b.Draw(), 1);
        EXPECT_EQ(Pixel(111, 56), colour);
        EXPECT_EQ(Pixel(149, 74), colour);
        EXPECT_EQ(Pixel(150, 75), 0u);
        ExpectRestingDrawState();
    };
    shows(0x0000FFu);
    b.MouseOver = 1;
    shows(0x00FF00u);
    b.MouseClickCounter = 3;
    shows(0xFF0000u);
    b.MouseClickCounter = 0;
    b.MouseOver = 0;
    b.Disabled = 1;
    shows(0x808080u);
    // A disabled button without its own picture shows the normal one.
    b.ImageDisabled.reset();
    shows(0x0000FFu);
    EXPECT_FLOAT_EQ(b.x, 100);
    EXPECT_FLOAT_EQ(b.y, 50);

    b.Active = 0;
    platform::Cls();
    EXPECT_EQ(b.Draw(), 0);
    EXPECT_EQ(Pixel(120, 60), 0u);
    b.AlwaysDraw = 1;
    EXPECT_EQ(b.Draw(), 1);
}

TEST_F(ButtonDrawTest, HoverScaleGrowsThePictureAboutItsCentre) {
    TButton b;
    b.SetImage(SolidImage(40, 20, 0xFF0000FFu, 0));
    b.x = 100;
    b.y = 100;
    b.ScaleOnMO = 1.5f;
    b.Draw();
    // 60 x 30 around the same centre (120, 110).
    EXPECT_EQ(Pixel(91, 96), 0x0000FFu);
    EXPECT_EQ(Pixel(148, 124), 0x0000FFu);
    EXPECT_EQ(Pixel(88, 110), 0u);
    EXPECT_FLOAT_EQ(b.ScaleX, 1.0f);
    ExpectRestingDrawState();
}
