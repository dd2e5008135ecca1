#pragma once
#include <string>

// Writes the back buffer as "YYYY-MM-DD HHNNSS screenshot.png" into folder (the
// current folder when folder is ""). Returns the path written, "" on failure.
std::string SaveScreenshot(const std::string& folder);
