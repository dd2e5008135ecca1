// SPDX-License-Identifier: GPL-3.0-or-later
// The helpers every screen shares.
#include "game/screens/screen_common.h"
#include "game/screens/session.h"

#include <algorithm>
#include <cmath>

#include "framework/archive/pak_manager.h"
#include "framework/core/game.h"
#include "framework/core/globals.h"
#include "framework/screens/fade.h"
#include "framework/screens/screen.h"
#include "framework/text/game_text.h"
#include "framework/util/strings.h"
#include "framework/widgets/button.h"
#include "framework/widgets/font.h"
#include "framework/widgets/image_bank.h"
#include "framework/widgets/particles.h"
#include "framework/widgets/pointer.h"
#include "game/core/core.h"
#include "tallyfold/platform/display.h"
#include "tallyfold/platform/files.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/system.h"

namespace {
int Rand(int low, int high) { return platform::Rand(low, high); }
float Rndf(float low, float high) { return static_cast<float>(platform::Rnd(low, high)); }
}  // namespace

std::string ScreenText(const std::string& key) {
    return Resources.GameText ? Resources.GameText->FindString(key) : std::string();
}

// From the image bank, else the data archive (the large backgrounds and the
// particles live there), else the picture folder; kept in the bank afterwards.
std::shared_ptr<TGameImage> ScreenPicture(const std::string& name) {
    auto found = Resources.ImageBank->Map.find(UpperCase(name));
    if (found != Resources.ImageBank->Map.end()) return found->second;
    if (Resources.PakManager)
        for (const char* ext : {".png", ".jpg"}) {
            auto bytes = Resources.PakManager->GetBinary(name + ext);
            if (bytes.empty()) continue;
            if (auto image = platform::LoadImage(bytes)) {
                auto picture = TGameImage::CreateFromImage(image, UpperCase(name), 1);
                Resources.ImageBank->Map[UpperCase(name)] = picture;
                return picture;
            }
        }
    return Resources.ImageBank->Load(name, "", -1, 1);
}

void FadeToScreen(const std::shared_ptr<TScreen>& destination) {
    Game->DestinationTScreen = destination ? destination : Game->ExitScreen;
    Game->GameFade->Init(FadeTime, 1, nullptr, 0, 0, nullptr);
}

std::shared_ptr<TMenu> NewScreenMenu(int gap) { return TMenu::Create("buttonMO", "buttonclick", 0, 0, gap); }

void UseSparkleTrail() {
    Game->Mouse->ParticleFunc = [] {
        auto& mouse = *Game->Mouse;
        mouse.SparkleCounter -= Delta;
        if (mouse.SparkleCounter > 0 || !mouse.ParticleList) return 0;
        mouse.SparkleCounter += static_cast<float>(mouse.SparkleLength);
        int px = mouse.x + Rand(1, std::max(1, mouse.w - 20)) - 5;
        int py = mouse.y + Rand(1, std::max(1, mouse.h - 25)) - 5;
        auto sparkle =
            mouse.ParticleList->AddNew(px, py, ScreenPicture("particle1"), Rndf(-0.05f, 0.05f), 0, 0.0016f, 1000, 1,
                                       Rand(0, 1) ? 1 : -1, Rndf(0.2f, 0.5f), Rndf(0.2f, 0.5f), 0, 0, 0);
        if (sparkle) {
            sparkle->Color = TColor::Create(Rand(100, 255), Rand(100, 255), Rand(100, 255), 1.0f);
            sparkle->SetFade(200, 300, 1000);
        }
        return 0;
    };
}

int PointInTriangle(float px, float py, float x1, float y1, float x2, float y2, float x3, float y3) {
    auto cross = [](float ax, float ay, float bx, float by, float cx, float cy) {
        return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    };
    float orientation = cross(x1, y1, x2, y2, x3, y3);
    if (orientation == 0) return 0;
    float c1 = cross(x1, y1, x2, y2, px, py);
    float c2 = cross(x2, y2, x3, y3, px, py);
    float c3 = cross(x3, y3, x1, y1, px, py);
    if (orientation > 0) return c1 > 0 && c2 > 0 && c3 > 0 ? 1 : 0;
    return c1 < 0 && c2 < 0 && c3 < 0 ? 1 : 0;
}

void StartPuzzleTimer() {
    PlayModel().Puzzle.TimerStop = 0;
    PlayModel().Puzzle.TimerStart = platform::MilliSecs();
}

void StopPuzzleTimer() { PlayModel().Puzzle.TimerStop = platform::MilliSecs(); }

std::string PuzzleTimerText() {
    int end = PlayModel().Puzzle.TimerStop ? PlayModel().Puzzle.TimerStop : platform::MilliSecs();
    return FormatMinutesSeconds(end - PlayModel().Puzzle.TimerStart);
}

std::string FormatMinutesSeconds(int milliseconds) {
    // A clock that wrapped or a timer not yet started must not show a negative time.
    if (milliseconds < 0) milliseconds = 0;
    int s = milliseconds / 1000;
    int m = s / 60;
    auto two = [](int value) {
        std::string text = "00" + std::to_string(value);
        return text.substr(text.size() - 2);
    };
    // Cutting the minutes to two digits would show a long game as a short one.
    std::string minutes = m >= 100 ? std::to_string(m) : two(m);
    return minutes + ":" + two(s - 60 * m);
}

std::vector<float> MessageLineTops(const std::string& text, float y, int bottomAlign) {
    std::vector<float> tops;
    if (text.empty()) return tops;
    auto lines = SplitLines(text);
    float top = bottomAlign ? y - 25.0f * static_cast<float>(lines.size() - 1) : y;
    for (size_t i = 0; i < lines.size(); ++i) tops.push_back(top + 25.0f * static_cast<float>(i));
    return tops;
}

void DrawMessage(const std::string& text, float x, float y, const std::shared_ptr<platform::ImageFont>& font, int white,
                 int bottomAlign, int round, int alignment) {
    if (text.empty()) return;
    if (white) platform::SetColor(255, 255, 255);
    platform::SetImageFont(font);
    auto lines = SplitLines(text);
    auto tops = MessageLineTops(text, y, bottomAlign);
    for (size_t i = 0; i < lines.size(); ++i) {
        float top = tops[i];
        if (x == -1)
            DrawTextCentredX(lines[i], top, 1, round);
        else
            DrawTextAligned(lines[i], x, top, 1, alignment, round);
    }
}

int OpenGetStartedPage(int open) {
    if (!open) return 0;
    const std::string file = (Game ? Game->TextPath : std::string()) + GetStartedPage;
    if (platform::FileType(file) != platform::FILETYPE_FILE) return 0;
    // The opener gets a full path: the browser does not share our working folder.
    const std::string page = platform::RealPath(file);
    // The browser opens beside the running game, which steps aside for it in
    // full screen; a toggle would save windowed mode as the player's choice.
    if (Game && Game->FullScreen) platform::Display().MinimiseWindow();
    return platform::OpenURL(page) ? 1 : 0;
}
