// SPDX-License-Identifier: GPL-3.0-or-later
// tallyfold-pak's front end: the first line holds the arguments, the rest is an
// archive (for list and extract) or a file to pack (for create). Every path is kept
// inside a private scratch folder: the archive argument is replaced by the scratch
// archive, create writes there and packs only plain names from its source folder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

int RunPakTool(std::vector<std::string> args);

namespace fs = std::filesystem;

namespace {
fs::path ScratchPath() { return fs::temp_directory_path() / ("tallyfold-pak-fuzz-" + std::to_string(::getpid())); }

const fs::path& Scratch() {
    static const fs::path folder = [] {
        fs::path made = ScratchPath();
        fs::create_directories(made / "src");
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(ScratchPath(), ignored);
        });
        // Extract writes the item to standard output; the fuzzer has no use for it.
        if (!std::freopen("/dev/null", "w", stdout)) std::abort();
        return made;
    }();
    return folder;
}

bool Plain(const std::string& name) {
    return !name.empty() && name[0] != '.' && name[0] != '-' && name.find('/') == std::string::npos;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path& scratch = Scratch();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = bytes.find('\n');
    const std::string body = lineEnd == std::string::npos ? std::string() : bytes.substr(lineEnd + 1);
    std::vector<std::string> words;
    std::istringstream split(bytes.substr(0, lineEnd));
    for (std::string word; split >> word && words.size() < 8;) words.push_back(word);

    const std::string archive = (scratch / "in.pak").string();
    std::vector<std::string> args;
    if (!words.empty()) args.push_back(words[0]);
    if (!words.empty() && words[0] == "create") {
        std::ofstream((scratch / "src" / "item.bin").string(), std::ios::binary) << body;
        args.push_back((scratch / "out.pak").string());
        for (size_t i = 1; i < words.size(); ++i) {
            if (words[i] == "--version" && i + 1 < words.size()) {
                args.push_back(words[i]);
                args.push_back(words[++i]);
            } else if (Plain(words[i])) {
                args.push_back(words[i]);
            }
        }
        args.insert(args.begin() + 2, {"-C", (scratch / "src").string()});
    } else {
        std::ofstream(archive, std::ios::binary) << body;
        for (size_t i = 1; i < words.size(); ++i) args.push_back(i == 1 ? archive : words[i]);
    }

    std::ostringstream out, err;
    auto* coutBuffer = std::cout.rdbuf(out.rdbuf());
    auto* cerrBuffer = std::cerr.rdbuf(err.rdbuf());
    const int status = RunPakTool(args);
    std::cout.rdbuf(coutBuffer);
    std::cerr.rdbuf(cerrBuffer);
    if (status != 0 && status != 1 && status != 2) std::abort();
    if (status == 1 && err.str().empty()) std::abort();  // a failure always says why
    return 0;
}
