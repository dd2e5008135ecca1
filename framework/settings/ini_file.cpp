#include "framework/settings/ini_file.h"

int TIniFile::Load() { return 0; }
