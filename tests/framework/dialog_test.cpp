// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "controls_support.h"
#include "framework/audio/channels.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"

namespace vk = platform::vk;

class DialogTest : public ControlsTest {
protected:
    // One logic step of an open dialog.
    int Run(TDialog& dialog) {
        Step();
        return dialog.Manage();
    }
    // The middle of a dialog's button, where the player would click it.
    static void Centre(TDialog& dialog, const std::string& name, int& x, int& y) {
        auto button = dialog.Menu->FindButton(name);
        ASSERT_TRUE(button) << name;
        x = static_cast<int>(button->x) + button->w / 2;
        y = static_cast<int>(button->y) + button->h / 2;
    }
    void ClickButton(TDialog& dialog, const std::string& name) {
        int x = 0, y = 0;
        Centre(dialog, name, x, y);
        ClickAt(x, y);
    }

    std::shared_ptr<TDialogTextInput> NameDialog(int withCancel, int maxLength = 10) {
        if (!Game->Channels) Game->Channels = TChannelArray::Create(4);
        auto dialog = TDialogTextInput::Create("Your name?", "", maxLength, nullptr, 300, 0, 0, 0);
        dialog->MenuCreate(withCancel, 20);
        dialog->SetupText(nullptr, TColor::Create(255, 255, 255, 1.0f), TShadow::Create(1, 1, 0.5f), 0, nullptr);
        dialog->TextInput->TypingSound = typing;
        dialog->Start();
        return dialog;
    }

    std::shared_ptr<CountingSound> typing = std::make_shared<CountingSound>();
};

TEST_F(DialogTest, OKDialogSitsCentredWithItsButtonAtTheBottom) {
    auto dialog = TDialogOK::Create("Saved.", nullptr, 0, 0, 0);
    dialog->Start();
    const float captionHeight = dialog->Caption->CalcHeight();
    EXPECT_EQ(dialog->w, static_cast<int>(dialog->Caption->CalcWidth()) + 40);
    EXPECT_EQ(dialog->h, static_cast<int>(captionHeight + 50 + 40 + 40));
    EXPECT_EQ(dialog->x, (800 - dialog->w) / 2);
    EXPECT_EQ(dialog->y, (600 - dialog->h) / 2);
    auto ok = dialog->Menu->FindButton("OK");
    EXPECT_EQ(ok->OKButton, 1);
    EXPECT_FLOAT_EQ(ok->x, static_cast<float>(dialog->x + (dialog->w - 80) / 2));
    EXPECT_FLOAT_EQ(ok->y, static_cast<float>(dialog->y + dialog->h - 40 - 20));
    EXPECT_FLOAT_EQ(dialog->Caption->Y, static_cast<float>(dialog->y + 20));
    EXPECT_FLOAT_EQ(dialog->Caption->X, static_cast<float>(dialog->x + dialog->w / 2));
    EXPECT_EQ(ok->Shadow, 1);
    EXPECT_FLOAT_EQ(ok->ShadowAlpha, 0.4f);

    // A fixed width wraps a long caption inside the margins and grows the dialog downwards.
    auto narrow = TDialogOK::Create("one two three four five six seven eight nine ten", nullptr, 120, 0, 0);
    narrow->Start();
    EXPECT_EQ(narrow->w, 120);
    EXPECT_GT(narrow->Caption->TotalLines, 1);
    EXPECT_EQ(narrow->h, static_cast<int>(narrow->Caption->CalcHeight() + 50 + 40 + 40));
}

TEST_F(DialogTest, OKDialogAnswersOneToEscapeEnterAndItsButtonAndGivesEscapeBack) {
    Game->IgnoreEscapeKey = 0;
    auto dialog = TDialogOK::Create("Saved.", nullptr, 0, 0, 0);
    dialog->Start();
    EXPECT_EQ(Game->IgnoreEscapeKey, 1);
    EXPECT_EQ(Run(*dialog), 0);
    Key(vk::ESCAPE);
    EXPECT_EQ(Run(*dialog), 1);
    EXPECT_EQ(dialog->Active, 0);
    EXPECT_EQ(dialog->CloseResult, 1);
    EXPECT_EQ(Game->IgnoreEscapeKey, 0);
    EXPECT_EQ(Run(*dialog), 0);  // closed dialogs answer nothing more

    dialog->Start();
    Key(vk::RETURN);
    EXPECT_EQ(Run(*dialog), 1);
    dialog->Start();
    Key(vk::SPACE);
    EXPECT_EQ(Run(*dialog), 1);
    dialog->Start();
    ClickButton(*dialog, "OK");
    EXPECT_EQ(Run(*dialog), 1);

    // A click beside the button closes only with ClickAnywhereCloses.
    dialog->Start();
    ClickAt(5, 5);
    EXPECT_EQ(Run(*dialog), 0);
    dialog->ClickAnywhereCloses = 1;
    ClickAt(5, 5);
    EXPECT_EQ(Run(*dialog), 1);

    // Without ReenableEscapeKey the dialog leaves Escape to its owner.
    Game->IgnoreEscapeKey = 0;
    dialog->ReenableEscapeKey = 0;
    dialog->Start();
    Key(vk::ESCAPE);
    EXPECT_EQ(Run(*dialog), 1);
    EXPECT_EQ(Game->IgnoreEscapeKey, 1);
}

TEST_F(DialogTest, DroppingAnOpenDialogRestoresEscapeOnce) {
    Game->IgnoreEscapeKey = 0;
    auto dialog = TDialogOK::Create("Saved.", nullptr, 0, 0, 0);
    dialog->Start();
    dialog->Start();  // twice: the saved value must stay the one from before
    dialog->Kill();
    EXPECT_EQ(Game->IgnoreEscapeKey, 0);
    EXPECT_EQ(dialog->Active, 0);
    EXPECT_EQ(dialog->Draw(), 0);
    EXPECT_EQ(dialog->Manage(), 0);
}

TEST_F(DialogTest, YesNoAnswersKeysAndButtons) {
    int yesCalls = 0, noCalls = 0;
    auto dialog = TDialogYesNo::Create("Back to the menu?", nullptr, 0, 0, 0, 1, 50);
    dialog->YesFunc = [&] { return ++yesCalls; };
    dialog->NoFunc = [&] { return ++noCalls; };
    auto yes = dialog->Menu->FindButton("Yes");
    auto no = dialog->Menu->FindButton("No");
    ASSERT_TRUE(yes && no);
    dialog->Start();
    // Side by side, the pair centred in the dialog.
    EXPECT_FLOAT_EQ(no->x - yes->x, 130);
    EXPECT_FLOAT_EQ(yes->x - static_cast<float>(dialog->x), static_cast<float>(dialog->x + dialog->w) - (no->x + 80));
    EXPECT_FLOAT_EQ(yes->y, no->y);

    struct Answer {
        int key;
        const char* button;
        int result;
    };
    for (const Answer& a : {Answer{'Y', nullptr, 1}, Answer{'N', nullptr, -1}, Answer{vk::ESCAPE, nullptr, -1},
                            Answer{vk::RETURN, nullptr, 1}, Answer{0, "Yes", 1}, Answer{0, "No", -1}}) {
        dialog->Start();
        EXPECT_EQ(Run(*dialog), 0);
        if (a.button)
            ClickButton(*dialog, a.button);
        else
            Key(a.key);
        EXPECT_EQ(Run(*dialog), a.result) << (a.button ? a.button : std::to_string(a.key));
        EXPECT_EQ(dialog->Active, 0);
    }
    EXPECT_EQ(yesCalls, 3);
    EXPECT_EQ(noCalls, 3);
}

TEST_F(DialogTest, SlidingDialogComesFromAboveIgnoresTheMouseAndLeavesTheSameWay) {
    auto dialog = TDialogYesNo::Create("Sure?", nullptr, 0, 0, 0, 1, 50);
    dialog->SetTransitions(500, 500, 0.5f, 0, 1, 0);
    dialog->Start();
    EXPECT_EQ(dialog->Transitioning, 1);
    EXPECT_FLOAT_EQ(static_cast<float>(dialog->y + dialog->h) + dialog->OffsetY, 0);  // just above the screen
    int x = 0, y = 0;
    Centre(*dialog, "Yes", x, y);
    for (int step = 1; step < 100; ++step) {
        ClickAt(x, y);
        Key('Y');
        ASSERT_EQ(Run(*dialog), 0) << step;
        if (step == 50) {
            EXPECT_NEAR(dialog->OffsetY, -0.5f * static_cast<float>(dialog->y + dialog->h), 1.0f);
        }
    }
    EXPECT_EQ(Run(*dialog), 0);  // the 100th step: in place
    EXPECT_EQ(dialog->Transitioning, 0);
    EXPECT_FLOAT_EQ(dialog->OffsetY, 0);

    ClickAt(x, y);
    EXPECT_EQ(Run(*dialog), 0);  // closing starts
    EXPECT_EQ(dialog->Transitioning, 2);
    EXPECT_EQ(dialog->Active, 1);
    for (int step = 1; step < 100; ++step) ASSERT_EQ(Run(*dialog), 0);
    EXPECT_LT(dialog->OffsetY, -0.9f * static_cast<float>(dialog->y + dialog->h));
    Key('N');  // arrives while going out: flushed, not answered
    EXPECT_EQ(Run(*dialog), 1);
    EXPECT_EQ(dialog->Active, 0);
    EXPECT_EQ(KeyHit('N'), 0);
}

TEST_F(DialogTest, TextInputTakesTypedTextWithinItsLimits) {
    auto dialog = NameDialog(0);
    dialog->TextInput->MakeCharsFileNameSafe();
    EXPECT_EQ(Game->BlockKeys, 1);
    Type("a|b c:d");
    EXPECT_EQ(Run(*dialog), 0);
    EXPECT_EQ(dialog->TextInput->Text, "ab cd");
    EXPECT_EQ(typing->plays, 5);
    // Space typed a space rather than pressing OK.
    EXPECT_EQ(dialog->Active, 1);

    // Refused characters are refused visibly.
    EXPECT_GT(dialog->TextInput->RefusedCounter, 0);
    for (int i = 0; i < 60; ++i) Run(*dialog);
    EXPECT_EQ(dialog->TextInput->RefusedCounter, 0);
    Type("efghijkl");
    Run(*dialog);
    EXPECT_EQ(dialog->TextInput->Text, "ab cdefghi");  // ten characters, the rest refused
    EXPECT_EQ(dialog->TextInput->CurrentChar, 11);
    // The player sees the refusal: the text shakes for a moment, then rests.
    EXPECT_GT(dialog->TextInput->RefusedCounter, 0);
    float widest = 0;
    for (int i = 0; i < 60; ++i) {
        widest = std::max(widest, std::abs(dialog->TextInput->ShakeOffset()));
        Run(*dialog);
    }
    EXPECT_GE(widest, 2.0f);
    EXPECT_EQ(dialog->TextInput->ShakeOffset(), 0.0f);

    for (int i = 0; i < 12; ++i) Key(vk::BACK);
    const int before = typing->plays;
    Run(*dialog);
    EXPECT_EQ(dialog->TextInput->Text, "");
    EXPECT_EQ(typing->plays, before + 10);  // the two on an empty text make no sound
    EXPECT_EQ(dialog->TextInput->CurrentChar, 1);

    // Escape without a Cancel button does nothing.
    Type("x");
    Key(vk::ESCAPE);
    EXPECT_EQ(Run(*dialog), 0);
    EXPECT_EQ(Run(*dialog), 0);
    EXPECT_EQ(dialog->Active, 1);
    EXPECT_EQ(dialog->TextInput->Active, 1);
    EXPECT_EQ(dialog->TextInput->Text, "x");
}

TEST_F(DialogTest, EmptyEntryIsRefusedUnlessAllowNullAndTheFirstLetterIsUpperCased) {
    auto dialog = NameDialog(1);
    Type("   ");
    Key(vk::RETURN);
    EXPECT_EQ(Run(*dialog), 0);
    ClickButton(*dialog, "OK");
    EXPECT_EQ(Run(*dialog), 0);
    EXPECT_EQ(dialog->Active, 1);
    EXPECT_EQ(dialog->TextInput->Active, 1);
    EXPECT_EQ(Game->BlockKeys, 1);
    for (int i = 0; i < 3; ++i) Key(vk::BACK);
    Type("anna");
    Run(*dialog);
    ClickButton(*dialog, "OK");
    EXPECT_EQ(Run(*dialog), 1);
    EXPECT_EQ(dialog->TextInput->Text, "Anna");
    EXPECT_EQ(Game->BlockKeys, 0);
    // Every letter with a capital gets it, not only a to z.
    const std::pair<std::vector<int>, std::string> names[] = {
        {{0xE9, 'm', 'i', 'l', 'e'}, "\xC3\x89mile"},
        {{0x142, 'u', 'c', 'j', 'a'}, "\xC5\x81ucja"},
        {{0x436, 0x435, 0x43D, 0x44F}, "\xD0\x96\xD0\xB5\xD0\xBD\xD1\x8F"}};
    for (const auto& [typed, confirmed] : names) {
        auto other = NameDialog(1);
        other->TextInput->AllowExtendedChars = 1;
        for (int code : typed) platform::PostEvent({platform::EventKind::KeyChar, code, 0, 0});
        Key(vk::RETURN);
        EXPECT_EQ(Run(*other), 1);
        EXPECT_EQ(other->TextInput->Text, confirmed);
    }

    auto blank = NameDialog(1);
    blank->AllowNull = 1;
    blank->Start();
    Key(vk::RETURN);
    EXPECT_EQ(Run(*blank), 1);
    EXPECT_EQ(blank->TextInput->Text, "");
}

TEST_F(DialogTest, CancelAndEscapeAnswerMinusOne) {
    auto dialog = NameDialog(1);
    Type("bob");
    Run(*dialog);
    Key(vk::ESCAPE);
    EXPECT_EQ(Run(*dialog), -1);
    EXPECT_EQ(Game->BlockKeys, 0);
    EXPECT_EQ(dialog->TextInput->ForceDraw, 1);

    auto other = NameDialog(1);
    ClickButton(*other, "Cancel");
    EXPECT_EQ(Run(*other), -1);
    EXPECT_EQ(Game->BlockKeys, 0);
}

TEST_F(DialogTest, MoreThanAQueueOfTypedCharactersInOneStep) {
    auto dialog = NameDialog(0, 400);
    std::string burst;
    for (int i = 0; i < 300; ++i) burst += static_cast<char>('a' + i % 26);
    Type(burst);
    Run(*dialog);
    // The queue holds 256; the rest never arrived, and nothing wrapped over the start.
    EXPECT_EQ(dialog->TextInput->Text, burst.substr(0, 256));
    EXPECT_EQ(Run(*dialog), 0);
    EXPECT_EQ(dialog->TextInput->Text.size(), 256u);
}

TEST_F(DialogTest, EnterTypedInTheSameStepAsTextKeepsAllOfIt) {
    auto dialog = NameDialog(0);
    Type("abc");
    Key(vk::RETURN);
    EXPECT_EQ(Run(*dialog), 1);
    EXPECT_EQ(dialog->TextInput->Text, "Abc");
}

TEST_F(DialogTest, RefusedTextShowsTheErrorDialogAndTypingGoesOnAfterIt) {
    auto dialog = NameDialog(1);
    dialog->ErrorCheckFunc = [](const std::string& text, std::string& message) {
        if (text != "Bad") return 1;
        message = "That name is taken.";
        return -1;
    };
    dialog->ErrorDialogFunc = [](const std::string& message) {
        auto error = TDialogOK::Create(message, nullptr, 0, 0, 0);
        error->Start();
        return error;
    };
    Type("bad");
    Key(vk::RETURN);
    EXPECT_EQ(Run(*dialog), 0);
    ASSERT_TRUE(dialog->DialogOK);
    EXPECT_EQ(dialog->DialogOK->Caption->Text, "That name is taken.");
    EXPECT_EQ(dialog->DialogOK->ReenableEscapeKey, 0);
    Type("zzz");  // goes nowhere while the error shows
    EXPECT_EQ(Run(*dialog), 0);
    Key(vk::RETURN);
    EXPECT_EQ(Run(*dialog), 0);
    EXPECT_FALSE(dialog->DialogOK);
    EXPECT_EQ(dialog->TextInput->Active, 1);
    EXPECT_EQ(dialog->TextInput->Text, "Bad");
    EXPECT_EQ(Game->IgnoreEscapeKey, 1);  // still the text dialog's
    Key(vk::BACK);
    Key(vk::BACK);
    Type("en");
    Key(vk::RETURN);
    EXPECT_EQ(Run(*dialog), 1);
    EXPECT_EQ(dialog->TextInput->Text, "Ben");
}

TEST_F(DialogTest, TextEntryRules) {
    TTextInput input;
    input.Init(nullptr, "ab", 0, 0, nullptr);
    EXPECT_EQ(input.CurrentChar, 3);
    input.NumbersOnly = 1;
    Type("1x2");
    Step();
    input.Manage();
    EXPECT_EQ(input.Text, "ab12");

    input.NumbersOnly = 0;
    input.AllowExtendedChars = 0;
    for (int code : {0xE9, 127}) platform::PostEvent({platform::EventKind::KeyChar, code, 0, 0});
    Step();
    input.Manage();
    EXPECT_EQ(input.Text, "ab12");
    input.AllowExtendedChars = 1;
    for (int code : {0xE9, 127, 0x85, 0x20AC}) platform::PostEvent({platform::EventKind::KeyChar, code, 0, 0});
    Step();
    input.Manage();
    // Control characters never enter, extended letters do, as UTF-8.
    EXPECT_EQ(input.Text, "ab12\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(input.CurrentChar, 7);
    input.RefusedCounter = 0;
    // What the font has no glyph for (an emoji, a Chinese character) would
    // show as an empty box: it is refused, and the refusal is shown.
    for (int code : {0x1F600, 0x4E2D}) platform::PostEvent({platform::EventKind::KeyChar, code, 0, 0});
    Step();
    input.Manage();
    EXPECT_EQ(input.Text, "ab12\xC3\xA9\xE2\x82\xAC");
    EXPECT_GT(input.RefusedCounter, 0);
    Key(vk::BACK);
    Step();
    input.Manage();
    EXPECT_EQ(input.Text, "ab12\xC3\xA9");  // a whole character goes

    input.ClearTextOnEscape = 1;
    Key(vk::ESCAPE);
    Step();
    EXPECT_EQ(input.Manage(), -1);
    EXPECT_EQ(input.Text, "");
    EXPECT_EQ(input.Done, 1);

    input.Reset();
    input.UppercaseFirstCharAsTyped = 1;
    input.MaxPixelWidth = input.GetWidth("Ww");
    Type("wwww");
    Step();
    input.Manage();
    EXPECT_EQ(input.Text, "Ww");

    // The cursor blinks 250 ms on, 250 ms off.
    EXPECT_EQ(input.CursorFlashSpeed, 50);
    input.SetCursorFlashSpeed(250);
    for (int i = 0; i < 49; ++i) input.Manage();
    EXPECT_EQ(input.CursorOn, 1);
    input.Manage();
    EXPECT_EQ(input.CursorOn, 0);
}

// ---- drawing ---------------------------------------------------------------------------

using DialogDrawTest = GraphicsFixture;

TEST_F(DialogDrawTest, FadingDialogFadesWithItsShadowAndDimmingAsOne) {
    TDialog dialog;
    dialog.Init("Fading", nullptr, 200, 100, 0, 0);
    dialog.Shadow = TShadow::Create(3, 3, 0.5f);
    dialog.SetTransitions(500, 0, 0.5f, 1, 0, 0);
    dialog.Start();
    EXPECT_EQ(dialog.x, 300);
    EXPECT_EQ(dialog.y, 250);
    for (int step = 0; step < 50; ++step) dialog.Manage();  // half-way in
    platform::SetClsColor(255, 255, 255);
    platform::Cls();
    EXPECT_EQ(dialog.Draw(), 1);
    ExpectRestingDrawState();
    EXPECT_FLOAT_EQ(dialog.Alpha, 0.5f);
    // White behind, dimmed by a quarter; the grey box at half alpha over it
    // (left of where its shadow shows through); the shadow at half its own alpha.
    EXPECT_NEAR(Red(Pixel(100, 100)), 191, 2);
    EXPECT_NEAR(Red(Pixel(301, 330)), 171, 2);
    EXPECT_NEAR(Red(Pixel(501, 330)), 143, 2);
    for (int step = 0; step < 50; ++step) dialog.Manage();
    EXPECT_EQ(dialog.Transitioning, 0);
    platform::Cls();
    dialog.Draw();
    EXPECT_NEAR(Red(Pixel(100, 100)), 128, 2);
    EXPECT_EQ(Pixel(320, 330), 0x969696u);
}
