// SPDX-License-Identifier: GPL-3.0-or-later
// The build's products as a whole: the archive holds exactly the packed
// items, and the generator gives the same bytes every time it runs.

#include "data_support.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <set>

using namespace datatest;

namespace {

std::uint32_t Le32(const std::string& b, size_t at) {
    return std::uint32_t(static_cast<unsigned char>(b[at])) |
           std::uint32_t(static_cast<unsigned char>(b[at + 1])) << 8 |
           std::uint32_t(static_cast<unsigned char>(b[at + 2])) << 16 |
           std::uint32_t(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::string Inflate(const std::string& packed, size_t size) {
    std::string out(size, '\0');
    uLongf length = static_cast<uLongf>(size);
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(packed.data()),
                   static_cast<uLong>(packed.size())) != Z_OK ||
        length != size)
        return "<damaged>";
    return out;
}

}  // namespace

TEST(Archive, HoldsExactlyTheBackgroundsParticlesAndFont) {
    const fs::path pak = DataDir() / "resources" / "data.pak";
    if (!fs::exists(pak)) GTEST_SKIP() << "data.pak is packed only when tallyfold-pak is part of the build";
    const std::string b = ReadFile(pak);
    ASSERT_GE(b.size(), 20u);
    ASSERT_EQ(b.substr(0, 4), "!PAK");
    ASSERT_EQ(Le32(b, 4), 65537u) << "version 1.1";
    const std::uint32_t count = Le32(b, 8), packedTable = Le32(b, 12), table = Le32(b, 16);
    ASSERT_EQ(table, count * 272u);
    ASSERT_LE(20u + packedTable, b.size());
    const std::string entries = Inflate(b.substr(20, packedTable), table);
    ASSERT_EQ(entries.size(), table);

    std::set<std::string> names;
    size_t data = 20 + packedTable;
    for (std::uint32_t i = 0; i < count; ++i) {
        const size_t e = i * 272u;
        const std::uint32_t size = Le32(entries, e), realSize = Le32(entries, e + 8);
        std::string name = entries.substr(e + 16, 256);
        name = name.substr(0, name.find('\0'));
        ASSERT_LE(data + size, b.size()) << name;
        // Each item is the staged file, byte for byte.
        EXPECT_EQ(Inflate(b.substr(data, size), realSize), ReadFile(PakStaging() / name)) << name;
        data += size;
        names.insert(name);
    }
    EXPECT_EQ(data, b.size());
    const std::set<std::string> expected = {"gamescreen1.jpg", "gamescreen2.jpg", "gamescreen3.jpg",
                                            "gamescreen4.jpg", "playscreen.jpg",  "titlescreen.jpg",
                                            "particle1.png",   "particle2.png",   "calibri.ttf"};
    EXPECT_EQ(names, expected);
    // The game's font is Carlito, unchanged, under the name the game asks for.
    EXPECT_EQ(ReadFile(PakStaging() / "calibri.ttf"), ReadFile(CarlitoDir() / "Carlito-Regular.ttf"));
    EXPECT_TRUE(fs::exists(DataDir() / "fonts" / "Carlito-OFL.txt"));
}

TEST(Generator, GivesTheSameBytesEveryRun) {
    const fs::path again = fs::path(TALLYFOLD_TEST_SCRATCH_DIR) / "regenerated";
    fs::remove_all(again);
    const std::string command = "\"" + AssetsTool().string() + "\" --data \"" + (again / "data").string() +
                                "\" --archive \"" + (again / "pak").string() + "\" --fonts \"" + CarlitoDir().string() +
                                "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);

    size_t compared = 0;
    auto compareTree = [&](const fs::path& fresh, const fs::path& built) {
        for (const auto& entry : fs::recursive_directory_iterator(fresh)) {
            if (!entry.is_regular_file()) continue;
            const fs::path relative = fs::relative(entry.path(), fresh);
            EXPECT_EQ(ReadFile(entry.path()), ReadFile(built / relative)) << relative;
            ++compared;
        }
    };
    compareTree(again / "data", DataDir());
    compareTree(again / "pak", PakStaging());
    EXPECT_GT(compared, 270u);
    fs::remove_all(again);
}
