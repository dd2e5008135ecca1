// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What all the game's screens share: pictures from the bank or the archive,
// the fade to another screen, menus with the game's sounds, the pointer's
// sparkles, the puzzle timer, multi-line messages, the welcome page and a
// triangle test.
#include <memory>
#include <string>
#include <vector>

class TGameImage;
class TMenu;
class TScreen;
namespace platform {
class ImageFont;
}  // namespace platform

// The game text behind key; empty before the text table is read.
std::string ScreenText(const std::string& key);
// From the image bank, else the data archive, else the picture folder.
std::shared_ptr<TGameImage> ScreenPicture(const std::string& name);
// Fade-out towards destination; nullptr means the exit screen.
void FadeToScreen(const std::shared_ptr<TScreen>& destination);
// Hover and click sounds of the menu screens.
std::shared_ptr<TMenu> NewScreenMenu(int gap);
// The sparkles that follow the pointer on the menu screens.
void UseSparkleTrail();

// 1 when (px, py) lies strictly inside the triangle; a point on an edge is outside.
int PointInTriangle(float px, float py, float x1, float y1, float x2, float y2, float x3, float y3);

void StartPuzzleTimer();
void StopPuzzleTimer();
std::string PuzzleTimerText();
// "mm:ss"; from 100 minutes on the minutes are written in full ("100:00").
std::string FormatMinutesSeconds(int milliseconds);

// Lines 25 pixels apart; x -1 centres each line on the screen, otherwise
// alignment 0 left, 1 centred, 2 right at x. Bottom-aligned, the last line sits at y.
void DrawMessage(const std::string& text, float x, float y, const std::shared_ptr<platform::ImageFont>& font, int white,
                 int bottomAlign, int round, int alignment);
// Where DrawMessage puts the top of each line.
std::vector<float> MessageLineTops(const std::string& text, float y, int bottomAlign);

// With the flag set: leaves full screen and opens the welcome page we ship in
// the text folder. 1 when the page was handed to the browser.
int OpenGetStartedPage(int open);
inline constexpr const char* GetStartedPage = "getstarted.html";
