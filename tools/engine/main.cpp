// SPDX-License-Identifier: GPL-3.0-or-later
// tallyfold-engine: generates puzzles and solves typed-in descriptions from the command line.
#include <iostream>
#include <string_view>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
  return RunEngineTool(std::vector<std::string_view>(argv + 1, argv + argc), std::cin);
}
