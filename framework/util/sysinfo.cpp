#include "framework/util/sysinfo.h"

std::string DirectXVersionName() { return ""; }
