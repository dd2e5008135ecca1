// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command-line front end of tallyfold-engine, apart from main() so that a fuzz target
// can drive its argument and input handling.
#include <cstdint>
#include <istream>
#include <optional>
#include <string_view>
#include <vector>

struct GenerateRequest {
  unsigned rows = 0, columns = 0, level = 0;
  unsigned count = 1;
  double timeLimit = 5;  // seconds, 0 for none
  std::optional<std::uint32_t> seed;
  bool debug = false;
};

// "generate"'s arguments after the command word; false for anything the usage does not allow.
bool ParseGenerateArguments(const std::vector<std::string_view>& args, GenerateRequest& request);

// The whole tool: args without the program name, the description read from
// standardInput where no FILE (or "-") is given. Writes to std::cout and std::cerr;
// the result is the exit status.
int RunEngineTool(std::vector<std::string_view> args, std::istream& standardInput);
