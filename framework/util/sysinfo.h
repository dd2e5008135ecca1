#pragma once
// System information the framework reports or checks.
#include <string>

// The installed DirectX version; there is none on this platform, so always "".
std::string DirectXVersionName();
