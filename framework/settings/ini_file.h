#pragma once
// A NAME=Value settings file.
#include <string>

class TIniFile {
public:
    virtual ~TIniFile() = default;
    // Path without the ".ini" extension.
    std::string FileName;

    virtual int Load();
};
