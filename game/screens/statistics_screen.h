// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player's statistics, one board size at a time: the figures of each
// level, the daily streaks and a bar chart of the last finished times.
#include <memory>
#include <vector>

#include "framework/screens/screen.h"
#include "game/core/statistics.h"

class TGameImage;
class TMenu;

class TStatisticsScreen : public TScreen {
public:
    float x = 0, y = 0;
    std::shared_ptr<TMenu> SizeMenu;
    int SizeIndex = 2;  // 9 x 9 first: the size most played
    TStatistics Stats;

    static constexpr int TableY = 176, RowHeight = 26;
    static constexpr int ChartX = 90, ChartY = 350, ChartW = 620, ChartH = 96;

    int Load() override;
    int Start() override;
    int Kill() override;
    int Logic() override;
    int Draw() override;
    int SetEscDestination() override;
    // Reads the history again and works the figures out.
    void Refresh();
    void ShowSize(int index);

private:
    std::vector<std::shared_ptr<TGameImage>> SizePictures;
    void DrawTable();
    void DrawChart();
};
