// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "framework/paths/errors.h"
#include "framework/text/game_text.h"
#include "scratch_dir.h"
#include "tallyfold/platform/files.h"
#include "test_support.h"

namespace {
std::string Raised(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.what();
    }
    return "";
}

class GameTextTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        Game->Paths->SetTextPath(dir.Folder());
    }
    std::shared_ptr<TGameText> Table(const std::string& bytes) {
        WriteBytes(dir / "gametext.txt", bytes);
        return TGameText::Create("gametext.txt");
    }
    ScratchDir dir;
};

// UTF-16 bytes of an ASCII text.
std::string Utf16(const std::string& text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) {
        out += bigEndian ? '\0' : c;
        out += bigEndian ? c : '\0';
    }
    return out;
}
}  // namespace

TEST_F(GameTextTest, EntriesKeysAndValues) {
    auto text = Table(
        "[TEXT]\n"
        "Data Pak Error\n"
        "The data file is missing.\n"
        "Please reinstall.\n"
        "[text]\r\n"
        "Easy \r\n"
        "Easy with a space\r\n"
        "[Text]\n"
        "Easy\n"
        "Easy\n"
        "\n"
        "[TEXT]\n"
        "No Value\n"
        "[TEXT]\n"
        "Easy\n"
        "Easy again\n");
    EXPECT_EQ(text->FindString("DATA PAK ERROR"), "The data file is missing.\r\nPlease reinstall.");
    EXPECT_EQ(text->FindString("data pak error"), text->FindString("Data Pak Error"));
    EXPECT_EQ(text->Find("Data Pak Error").size(), 2u);
    // A trailing space makes another key.
    EXPECT_EQ(text->FindString("Easy "), "Easy with a space");
    // A later entry replaces an earlier one with the same key.
    EXPECT_EQ(text->FindString("Easy"), "Easy again");
    EXPECT_EQ(text->FindString("No Value"), "");
    EXPECT_TRUE(text->Find("No Value").empty());
    EXPECT_EQ(text->FindString("Not There"), "");
    EXPECT_TRUE(text->Find("Not There").empty());
    EXPECT_EQ(text->Entries.size(), 4u);
}

TEST_F(GameTextTest, EmptyLinesBelongToTheValue) {
    auto text = Table("[TEXT]\nHelp Message 1\nFirst\n\nThird\n\n[TEXT]\nLast\nline\n\n");
    EXPECT_EQ(text->FindString("Help Message 1"), "First\r\n\r\nThird\r\n");
    // Only the very last line break makes no extra line.
    EXPECT_EQ(text->FindString("Last"), "line\r\n");
}

TEST_F(GameTextTest, EntriesWithoutAKeyAreSkipped) {
    auto text = Table("[TEXT]\n[TEXT]\nKey\nValue\n[TEXT]\n");
    EXPECT_EQ(text->FindString("Key"), "Value");
    EXPECT_EQ(text->Entries.size(), 1u);
    EXPECT_TRUE(notices.empty());
}

TEST_F(GameTextTest, MisplacedHeadersAreFatal) {
    const std::string file = platform::RealPath(dir / "gametext.txt");
    for (auto [bad, line] : std::initializer_list<std::pair<const char*, int>>{
             {"Key\nValue\n", 1},                      // no header at the start
             {"[TEXT] \nKey\nValue\n", 1},             // header with a trailing space
             {"[TEXT]\nKey\n[not a header]\nx\n", 3},  // a value line that begins with "["
             {" [TEXT]\nKey\n", 1},
         }) {
        const std::string message =
            "Error loading file " + file + " (line " + std::to_string(line) + " should be the header [TEXT])";
        notices.clear();
        EXPECT_EQ(Raised([&] { Table(bad); }), message) << bad;
        EXPECT_EQ(notices, std::vector<std::string>{message});
    }
    // A value line that is itself a header simply starts the next entry.
    auto text = Table("[TEXT]\nKey\nfirst\n[TEXT]\nsecond\n");
    EXPECT_EQ(text->FindString("Key"), "first");
    EXPECT_EQ(text->FindString("second"), "");
    EXPECT_EQ(text->Entries.count("SECOND"), 1u);
}

TEST_F(GameTextTest, EncodingsByByteOrderMark) {
    EXPECT_EQ(Table("\xEF\xBB\xBF[TEXT]\r\nName\r\nZo\xC3\xAB\r\n")->FindString("Name"), "Zo\xC3\xAB");
    EXPECT_EQ(Table(Utf16("[TEXT]\r\nName\r\nUTF-16 LE\r\n", false))->FindString("name"), "UTF-16 LE");
    EXPECT_EQ(Table(Utf16("[TEXT]\nName\nUTF-16 BE\n", true))->FindString("name"), "UTF-16 BE");
    // Without a mark every byte is one character.
    EXPECT_EQ(Table("[TEXT]\nName\nZo\xEB\n")->FindString("Name"), "Zo\xC3\xAB");
}

TEST_F(GameTextTest, MissingFileIsFatal) {
    const std::string message = "Error loading file " + dir / "absent.txt";
    EXPECT_EQ(Raised([] { TGameText::Create("absent.txt"); }), message);
    EXPECT_EQ(notices, std::vector<std::string>{message});

    // A table without a single text is as useless as none: every message,
    // the one explaining this included, would be blank.
    for (const char* empty : {"", "\xEF\xBB\xBF", "[TEXT]\n", "[text]\r\n[TEXT]\r\n"}) {
        WriteBytes(dir / "empty.txt", empty);
        EXPECT_EQ(Raised([] { TGameText::Create("empty.txt"); }),
                  "Error loading file " + dir / "empty.txt (it holds no texts)")
            << empty;
    }

    // Reading again replaces the whole table.
    auto text = Table("[TEXT]\nA\n1\n");
    WriteBytes(dir / "other.txt", "[TEXT]\nB\n2\n");
    text->Read("other.txt");
    EXPECT_EQ(text->FindString("A"), "");
    EXPECT_EQ(text->FindString("B"), "2");
}
