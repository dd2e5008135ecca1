// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The core on its own: a clock the test advances, random numbers from a fixed seed,
// a text table whose every text is its key, and files kept in memory.
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core_fixture.h"

class CoreServicesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Advance(int ms) { now += ms; }

    int now = 100000;
    std::mt19937 random;
    std::map<std::string, std::string> files;
    std::vector<std::string> notices;
    std::vector<std::string> errorLog;
};

using CoreTest = CoreTestOf<CoreServicesTest>;
