// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fills in the core's services from the framework and the platform: the clock and
// random numbers, the game texts, the player notice, the data folders and their files.
void ConnectCoreServices();
