// SPDX-License-Identifier: GPL-3.0-or-later
// tallyfold-pak: writes, lists and unpacks the game's data archives.
//
//   tallyfold-pak create OUT.pak [--version 1|1.1] [-C DIR] FILE...
//   tallyfold-pak list PAK
//   tallyfold-pak extract PAK NAME
//
// Item names are the files' paths relative to DIR with "/" between folders.
// A folder given as FILE adds every file below it, in name order, so the same
// tree always packs to the same archive.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/archive/pak_file.h"
#include "framework/paths/errors.h"
#include "tallyfold/platform/compress.h"
#include "tallyfold/platform/stream.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* USAGE =
    "usage: tallyfold-pak create OUT.pak [--version 1|1.1] [-C DIR] FILE...\n"
    "       tallyfold-pak list PAK\n"
    "       tallyfold-pak extract PAK NAME\n"
    "       tallyfold-pak --help | --version\n"
    "\n"
    "create   packs the files (a folder adds every file below it) as items named by\n"
    "         their paths relative to DIR (default: the current folder).\n"
    "list     prints each item's name, type and unpacked size, one a line.\n"
    "extract  writes the item NAME (any letter case) to standard output.\n";

constexpr const char* HINT = "Try 'tallyfold-pak --help' for more information.";

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Entry {
    std::string name;
    int varType = 0;
    std::vector<uint8_t> packed;
    int32_t realSize = 0;
};

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

void PutInt(std::string& out, int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutName(std::string& out, const std::string& name, size_t field) {
    out += name;
    out.append(field - name.size(), '\0');
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure("cannot read " + path.string());
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Failure("cannot read " + path.string());
    return bytes;
}

// The files to pack as (item name, path on disk), in the order given, folders expanded.
std::vector<std::pair<std::string, fs::path>> Gather(const fs::path& base, const std::vector<std::string>& args) {
    std::vector<std::pair<std::string, fs::path>> files;
    fs::path root = fs::weakly_canonical(fs::absolute(base));
    auto add = [&](const fs::path& full) {
        fs::path relative = full.lexically_relative(root);
        std::string name = relative.generic_string();
        if (relative.empty() || name == "." || name.rfind("..", 0) == 0)
            throw Failure(full.string() + " is not inside " + root.string());
        files.emplace_back(name, full);
    };
    for (auto& arg : args) {
        fs::path full = fs::weakly_canonical(fs::absolute(base / arg));
        std::error_code error;
        if (fs::is_directory(full, error)) {
            std::vector<fs::path> below;
            for (auto& entry : fs::recursive_directory_iterator(full))
                if (entry.is_regular_file()) below.push_back(entry.path());
            std::sort(below.begin(), below.end());
            for (auto& path : below) add(path);
        } else if (fs::is_regular_file(full, error)) {
            add(full);
        } else {
            throw Failure("no such file: " + (base / arg).string());
        }
    }
    return files;
}

int Create(const std::vector<std::string>& args) {
    if (args.empty()) throw Failure(std::string("create needs an output file and the files to pack\n") + HINT);
    std::string out = args[0];
    bool version1 = false;
    fs::path base = ".";
    std::vector<std::string> inputs;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--version" && i + 1 < args.size()) {
            std::string v = args[++i];
            if (v == "1")
                version1 = true;
            else if (v == "1.1")
                version1 = false;
            else
                throw Failure("unknown archive version " + v + " (1 or 1.1)");
        } else if (args[i] == "-C" && i + 1 < args.size()) {
            base = args[++i];
        } else {
            inputs.push_back(args[i]);
        }
    }
    if (inputs.empty()) throw Failure(std::string("create needs the files to pack after ") + out + "\n" + HINT);

    const size_t field = version1 ? TPakFile::NAME_SIZE_V1 : TTableItem::NAME_SIZE;
    std::vector<Entry> entries;
    std::map<std::string, std::string> seen;
    for (auto& [name, path] : Gather(base, inputs)) {
        if (name.size() > field)
            throw Failure("name too long for a version " + std::string(version1 ? "1" : "1.1") + " archive (" +
                          std::to_string(field) + " bytes at most): " + name);
        // The game finds items in any letter case, so two spellings of one name collide.
        if (!IsSafeItemName(name)) throw Failure("not a name an archive may hold: " + PrintableItemName(name));
        auto [at, fresh] = seen.emplace(Lower(name), name);
        if (!fresh) throw Failure("two files would share the item name " + name + " (and " + at->second + ")");
        std::vector<uint8_t> data = ReadFile(path);
        if (static_cast<int64_t>(data.size()) > TPakFile::MAX_REAL_SIZE)
            throw Failure(path.string() + " is larger than an archive item may be");
        Entry entry;
        entry.name = name;
        entry.varType = PakVarTypeOf(name);
        entry.realSize = static_cast<int32_t>(data.size());
        entry.packed = platform::Compress(data.data(), data.size());
        if (entry.packed.empty()) throw Failure("cannot compress " + path.string());
        entries.push_back(std::move(entry));
    }

    std::string bytes = "!PAK";
    PutInt(bytes, version1 ? TPakFile::VERSION_1 : TPakFile::VERSION_1_1);
    PutInt(bytes, static_cast<int32_t>(entries.size()));
    if (version1) {
        for (auto& e : entries) {
            PutName(bytes, e.name, field);
            PutInt(bytes, e.varType);
            PutInt(bytes, static_cast<int32_t>(e.packed.size()));
            PutInt(bytes, e.realSize);
            bytes.append(e.packed.begin(), e.packed.end());
        }
    } else {
        std::string table;
        std::vector<uint8_t> packedTable;
        // Offsets are where each item's data starts in the file. The reader does
        // not need them, but they make an archive easy to inspect by hand; they
        // depend on the packed table's size, which depends on them, so settle it.
        size_t guess = 0;
        for (int attempt = 0; attempt < 8; ++attempt) {
            table.clear();
            int64_t offset = 20 + static_cast<int64_t>(guess);
            for (auto& e : entries) {
                PutInt(table, static_cast<int32_t>(e.packed.size()));
                PutInt(table, static_cast<int32_t>(std::min<int64_t>(offset, INT32_MAX)));
                PutInt(table, e.realSize);
                PutInt(table, e.varType);
                PutName(table, e.name, field);
                offset += static_cast<int64_t>(e.packed.size());
            }
            packedTable = platform::Compress(reinterpret_cast<const uint8_t*>(table.data()), table.size());
            if (packedTable.size() == guess) break;
            guess = packedTable.size();
        }
        PutInt(bytes, static_cast<int32_t>(packedTable.size()));
        PutInt(bytes, static_cast<int32_t>(table.size()));
        bytes.append(packedTable.begin(), packedTable.end());
        for (auto& e : entries) bytes.append(e.packed.begin(), e.packed.end());
    }
    if (bytes.size() > INT32_MAX) throw Failure("the archive would be larger than 2 GiB");
    // An archive is for everyone who runs the game, unlike the player's files.
    std::string reason;
    if (!platform::SaveFileAtomic(out, bytes, &reason, 0644)) throw Failure("cannot write " + out + ": " + reason);
    return 0;
}

std::shared_ptr<TPakFile> OpenPak(const std::string& path) {
    auto pak = TPakFile::Create(path);
    if (!pak) throw Failure("cannot open " + path);
    return pak;
}

int List(const std::vector<std::string>& args) {
    if (args.size() != 1) throw Failure(std::string("list takes one archive\n") + HINT);
    // Only the header and the table are read: listing a large archive costs its table.
    auto pak = TPakFile::Create(args[0], TPakFile::MAX_TOTAL_SIZE, false);
    if (!pak) throw Failure("cannot open " + args[0]);
    // The reader refuses names with control characters; escaping them here as
    // well keeps a listing from ever driving the terminal.
    for (auto& item : pak->Items)
        std::cout << PrintableItemName(item->Name) << ' ' << item->VarType << ' ' << item->RealSize << '\n';
    if (!std::cout.flush()) throw Failure("cannot write to standard output");
    return 0;
}

int Extract(const std::vector<std::string>& args) {
    if (args.size() != 2) throw Failure(std::string("extract takes an archive and an item name\n") + HINT);
    auto pak = OpenPak(args[0]);
    // Same rule as the game: any letter case, and a later item of one name wins.
    std::shared_ptr<TPakItem> found;
    for (auto& item : pak->Items)
        if (Lower(item->Name) == Lower(args[1])) found = item;
    if (!found) throw Failure("no item named " + args[1] + " in " + args[0]);
    if (!found->Data.empty() && std::fwrite(found->Data.data(), 1, found->Data.size(), stdout) != found->Data.size())
        throw Failure("cannot write to standard output");
    if (std::fflush(stdout) != 0) throw Failure("cannot write to standard output");
    return 0;
}

}  // namespace

// The whole tool without main(), so that a fuzz target can drive it: args without
// the program name; the result is the exit status.
int RunPakTool(std::vector<std::string> args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "--version")) {
        if (args[0] == "--version")
            std::cout << "tallyfold-pak " << TALLYFOLD_VERSION << "\n";
        else
            std::cout << USAGE;
        if (std::cout.flush()) return 0;
        std::cerr << "tallyfold-pak: cannot write to standard output\n";
        return 1;
    }
    if (args.empty()) {
        std::cerr << "tallyfold-pak: a command is needed: create, list or extract\n" << HINT << "\n";
        return 2;
    }
    std::string command = args[0];
    args.erase(args.begin());
    try {
        if (command == "create") return Create(args);
        if (command == "list") return List(args);
        if (command == "extract") return Extract(args);
        std::cerr << "tallyfold-pak: unknown command '" << command << "'; the commands are create, list and extract\n"
                  << HINT << "\n";
        return 2;
    } catch (const RaisedText& error) {
        // The reader's message names its class for the game's error log; a
        // command line wants the file and what is wrong with it.
        std::string text = error.what();
        const std::string reader = "TPakFile::";
        if (text.compare(0, reader.size(), reader) == 0) text.erase(0, reader.size());
        // The reader names the file after its message; the command line says what is wrong.
        if (text.rfind("Invalid pak file", 0) == 0 && !args.empty())
            text = args[0] + " is not a data archive (it does not begin with \"!PAK\")";
        std::cerr << "tallyfold-pak: " << text << "\n";
    } catch (const std::exception& error) {
        std::cerr << "tallyfold-pak: " << error.what() << "\n";
    }
    return 1;
}

#ifndef TALLYFOLD_PAK_TOOL_NO_MAIN
int main(int argc, char** argv) { return RunPakTool(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
