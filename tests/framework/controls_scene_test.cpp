// SPDX-License-Identifier: GPL-3.0-or-later
// A screen with a menu, a list box, a slider and two open dialogs, driven by
// clicks and keys through the game's own logic step and written to
// test-artifacts/widgets.png for a person to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/archive/pak_manager.h"
#include "framework/core/input.h"
#include "framework/screens/screen.h"
#include "framework/widgets/button.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/font.h"
#include "framework/widgets/list_box.h"
#include "framework/widgets/pointer.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/input.h"
#include "widget_support.h"

namespace vk = platform::vk;

namespace {
const std::string kDataDir = TALLYFOLD_TEST_DATA_DIR;

bool Built(const std::string& name) { return platform::FileType(kDataDir + "/" + name) == platform::FILETYPE_FILE; }

std::shared_ptr<TShadow> TextShadow() { return TShadow::Create(1, 1, 0.6f); }
std::shared_ptr<TColor> White() { return TColor::Create(255, 255, 255, 1.0f); }

// The game's dialog look (no highlight, a soft drop shadow, a shadowed
// caption), placed at (x, y) instead of the centre of the screen.
void DialogStyle(TDialog& dialog, const std::shared_ptr<platform::ImageFont>& font, int x, int y) {
    dialog.DrawHighlight = 0;
    dialog.Shadow = TShadow::Create(3, 3, 0.4f);
    dialog.Centre = 0;
    dialog.x = x;
    dialog.y = y;
    dialog.SetupCaption(font, White(), TextShadow(), nullptr);
}

class SceneScreen : public TScreen {
public:
    std::shared_ptr<platform::ImageFont> Font18, Font20;
    std::shared_ptr<VTListBox> List;
    std::shared_ptr<TSlider> Music;
    std::shared_ptr<TLabel> MusicLabel;
    std::shared_ptr<TDialogYesNo> Question;
    std::shared_ptr<TDialogTextInput> NameInput;
    std::vector<std::string> Clicks;
    std::vector<int> QuestionAnswers;

    int Load() override {
        Menu = TMenu::Create("buttonMO", "buttonclick", 0, 30, 10);
        for (const char* name : {"play", "options", "help"}) Menu->AddQuickAuto(name, "");
        Menu->SetX(30);

        List = VTListBox::Create(10, 5, 0, 1, 500);
        List->SetupFont(Font18, White(), TextShadow());
        List->SetCoords(30, 225, 250, 240);
        List->CalcLineHeight();
        List->SetupBox(TColor::Create(100, 100, 100, 0.5f));
        List->HighlightCol = TColor::Create(255, 255, 255, 0.2f);
        List->HighlightUnder = 0;
        for (const char* save : {"Monday 7x7", "Long one", "Anna's 14x14", "Train ride", "Hard 9x9", "Sunday",
                                 "Lunch break", "Try again", "Spare"})
            List->Strings.push_back(save);
        List->EndList = 7;

        Music = TSlider::CreateSpecial("slider", "marker", 20, 520, 22, "musicslider", 0);
        MusicLabel = TLabel::CreateSpecial("Music volume", 165, 490, 1, 0, 0);
        MusicLabel->Init(Font18, White(), TextShadow(), 0, nullptr, nullptr, "");
        return 0;
    }

    void AskQuestion() {
        Question = TDialogYesNo::Create("Leave this puzzle and go back to the menu?",
                                        platform::LoadImage(Game->ImagePath + "inputlong.png"), 0, 0, 0, 1, 50);
        DialogStyle(*Question, Font20, 305, 40);
        Question->SetTransitions(300, 300, 0.5f, 1, 0, 0);
        Question->Start();
    }

    void AskName() {
        NameInput = TDialogTextInput::Create("Save the game as", "", 14,
                                             platform::LoadImage(Game->ImagePath + "input.png"), 0, 0, 0, 0);
        NameInput->BoxBorderH = 40;
        NameInput->MenuCreate(1, 50);
        NameInput->SetupText(Font20, White(), TextShadow(), 0, nullptr);
        NameInput->TextInput->MakeCharsFileNameSafe();
        DialogStyle(*NameInput, Font20, 345, 330);
        NameInput->Start();
    }

    int Logic() override {
        TScreen::Logic();
        if (Menu->Clicked("play")) Clicks.push_back("play");
        if (Menu->Clicked("help")) Clicks.push_back("help");
        List->Manage();
        Music->Manage();
        if (Question)
            if (int answer = Question->Manage()) QuestionAnswers.push_back(answer);
        if (NameInput) NameInput->Manage();
        return 0;
    }

    int Draw() override {
        TScreen::Draw();
        List->Draw();
        MusicLabel->Draw(0, 0, 1);
        Music->Draw();
        // The question dims only the right-hand side here, so that the
        // widgets on the left stay easy to judge in the picture.
        platform::SetViewport(290, 0, 510, 600);
        if (Question) Question->Draw();
        platform::SetViewport(0, 0, 800, 600);
        if (NameInput) NameInput->Draw();
        return 0;
    }
};
}  // namespace

class ControlsScene : public GraphicsFixture {
protected:
    void SetUp() override {
        GraphicsFixture::SetUp();
        if (!Built("menus/OK.png") || !Built("resources/data.pak")) GTEST_SKIP() << "the game's data are not built";
        Game->ImagePath = kDataDir + "/graphics/";
        Game->MenuPath = kDataDir + "/menus/";
        Game->SoundPath = kDataDir + "/sound/";
        pak = TPakFileManager::Create(kDataDir + "/resources/", ".pak");
    }
    // One logic step of the game: event pump, hot keys and the screen's logic.
    void Tick(int steps = 1) {
        for (int i = 0; i < steps; ++i) Game->LogicWrapper();
    }
    void Post(platform::EventKind kind, int data, int x = 0, int y = 0) { platform::PostEvent({kind, data, x, y}); }
    void ClickAt(int x, int y) {
        Post(platform::EventKind::MouseMove, 0, x, y);
        Post(platform::EventKind::MouseDown, 1, x, y);
        Post(platform::EventKind::MouseUp, 1, x, y);
        Tick();
    }
    void Type(const std::string& text) {
        for (unsigned char c : text) Post(platform::EventKind::KeyChar, c);
        Tick(static_cast<int>(text.size()));
    }

    std::shared_ptr<TPakFileManager> pak;
};

TEST_F(ControlsScene, MenuListSliderAndDialogsTogether) {
    auto screen = std::make_shared<SceneScreen>();
    screen->Font18 = pak->GetImageFont("calibri.ttf", 18, platform::FONT_SMOOTH);
    screen->Font20 = pak->GetImageFont("calibri.ttf", 20, platform::FONT_SMOOTH);
    ASSERT_TRUE(screen->Font18 && screen->Font20);
    screen->Image = pak->GetImage("gamescreen1.jpg", -1);
    ASSERT_TRUE(screen->Image);
    screen->PreStart();
    ASSERT_EQ(Game->CurrentTScreen, screen);
    Game->IgnoreEscapeKey = 0;

    // The menu: a click on "help" is the screen's to read.
    auto help = screen->Menu->FindButton("help");
    ClickAt(static_cast<int>(help->x) + 20, static_cast<int>(help->y) + 20);
    EXPECT_EQ(screen->Clicks, std::vector<std::string>{"help"});

    // A list row and the slider.
    const int line = screen->List->LineHeight;
    ClickAt(60, 225 + 2 * line + line / 2);
    EXPECT_EQ(screen->List->Value, "Anna's 14x14");
    Post(platform::EventKind::MouseMove, 0, 20 + 22 + 172, 530);
    Post(platform::EventKind::MouseDown, 1, 20 + 22 + 172, 530);
    Tick();
    EXPECT_EQ(screen->Music->Value, 70);  // 172 of 246 pixels
    Post(platform::EventKind::MouseUp, 1);
    Tick();

    // Escape answers an open question and does not leave the screen.
    screen->AskQuestion();
    Tick(60);
    EXPECT_EQ(screen->Question->Transitioning, 0);
    Post(platform::EventKind::KeyDown, vk::ESCAPE);
    Post(platform::EventKind::KeyUp, vk::ESCAPE);
    Tick();
    EXPECT_EQ(screen->QuestionAnswers, std::vector<int>{});  // closing takes 300 ms
    Tick(60);
    EXPECT_EQ(screen->QuestionAnswers, std::vector<int>{-1});
    EXPECT_EQ(Game->GameFade->Active, 0);
    EXPECT_EQ(Game->DestinationTScreen, nullptr);
    EXPECT_EQ(Game->IgnoreEscapeKey, 0);

    // Asked again, fully in, with the pointer on "Yes".
    screen->AskQuestion();
    Tick(61);
    auto yes = screen->Question->Menu->FindButton("Yes");
    Post(platform::EventKind::MouseMove, 0, static_cast<int>(yes->x) + 30, static_cast<int>(yes->y) + 20);
    Tick();
    EXPECT_EQ(yes->MouseOver, 1);

    // A name typed into the save dialog; the bar is refused.
    screen->AskName();
    Type("Anna|s Sunday");
    EXPECT_EQ(screen->NameInput->TextInput->Text, "Annas Sunday");
    EXPECT_EQ(Game->BlockKeys, 1);
    EXPECT_EQ(screen->NameInput->Active, 1);

    platform::Cls();
    screen->Draw();
    auto& mouse = *Game->Mouse;
    mouse.Image = platform::LoadImage(Game->ImagePath + "pointer.png");
    mouse.Draw();
    ExpectRestingDrawState();

    // The question's dimming darkens the right-hand background only.
    const uint32_t left = Pixel(5, 595), right = Pixel(795, 595);
    EXPECT_LT(Red(right) + Green(right) + Blue(right), Red(left) + Green(left) + Blue(left));

    auto shot = platform::GrabPixmap(0, 0, 800, 600);
    ASSERT_NE(shot, nullptr);
    const std::string folder = TALLYFOLD_ARTIFACTS_DIR;
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(shot->SavePNG(folder + "/widgets.png"));
    screen->Kill();
}
