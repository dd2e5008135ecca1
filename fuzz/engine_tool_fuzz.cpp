// SPDX-License-Identifier: GPL-3.0-or-later
// tallyfold-engine's front end: the first line holds the arguments (split at
// blanks), the rest is the standard input. The tool may refuse anything but must
// not crash, and it never opens or writes a file here: a FILE argument reads the input
// instead.
// "generate" is asked for no puzzles (a last "--count 0"), so only its arguments are read.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

int RunEngineTool(std::vector<std::string_view> args, std::istream& standardInput);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = bytes.find('\n');
    const std::string line = bytes.substr(0, lineEnd);
    std::istringstream input(lineEnd == std::string::npos ? std::string() : bytes.substr(lineEnd + 1));
    std::vector<std::string> words;
    std::istringstream split(line);
    for (std::string word; split >> word && words.size() < 12;) words.push_back(word);
    // Pictures and booklets are left without their -o, so they are refused before they
    // would write a file.
    if (!words.empty() && (words[0] == "book" || words[0] == "picture"))
        for (size_t i = 0; i < words.size(); ++i)
            if (words[i] == "-o") words[i] = "--no-output";
    if (!words.empty() && (words[0] == "solve" || words[0] == "rate" || words[0] == "explain" || words[0] == "check" ||
                           words[0] == "code" || words[0] == "picture"))
        for (size_t i = 1; i < words.size(); ++i)
            if (!words[i].empty() && words[i][0] != '-') words[i] = "-";
    if (!words.empty() && words[0] == "generate") {
        words.push_back("--count");
        words.push_back("0");
    }
    std::vector<std::string_view> args(words.begin(), words.end());

    std::ostringstream out, err;
    auto* coutBuffer = std::cout.rdbuf(out.rdbuf());
    auto* cerrBuffer = std::cerr.rdbuf(err.rdbuf());
    const int status = RunEngineTool(args, input);
    std::cout.rdbuf(coutBuffer);
    std::cerr.rdbuf(cerrBuffer);
    if (status != 0 && status != 1 && status != 2) std::abort();
    // A refusal always says why.
    if (status == 2 && err.str().empty()) std::abort();
    return 0;
}
