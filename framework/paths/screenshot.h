// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

// The file name of a screenshot taken at that moment: "YYYY-MM-DD HHNNSS screenshot.png".
class TDateTime;
std::string ScreenshotName(const TDateTime& when);

// Writes the back buffer as a PNG named by the current date and time into
// folder (the current folder when folder is ""). Two screenshots within one
// second overwrite each other. Returns the path written, "" on failure.
std::string SaveScreenshot(const std::string& folder);
