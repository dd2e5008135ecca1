// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "framework/archive/pak_manager.h"
#include "framework/paths/errors.h"
#include "tallyfold/platform/audio.h"
#include "tallyfold/platform/compress.h"
#include "tallyfold/platform/font.h"
#include "tallyfold/platform/image.h"
#include "tallyfold/platform/stream.h"
#include "tallyfold/platform/system.h"
#include "wav_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string Int(int64_t v) {
    std::string out;
    for (int i = 0; i < 4; ++i) out += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return out;
}

std::string Pack(const std::string& data) {
    auto packed = platform::Compress(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    return std::string(packed.begin(), packed.end());
}

std::string Field(const std::string& name, size_t size) { return name + std::string(size - name.size(), '\0'); }

// One item as an archive stores it; the sizes and bytes can be falsified.
struct Raw {
    Raw(std::string n, int t, std::string d, int64_t c = -1, int64_t r = -1, std::string p = "")
        : name(std::move(n)), type(t), data(std::move(d)), packedSize(c), realSize(r), packed(std::move(p)) {}
    std::string name;
    int type;
    std::string data;
    int64_t packedSize;  // -1: the true size
    int64_t realSize;
    std::string packed;  // "": zlib of data
    std::string Packed() const { return packed.empty() ? Pack(data) : packed; }
    int64_t C() const { return packedSize >= 0 ? packedSize : static_cast<int64_t>(Packed().size()); }
    int64_t R() const { return realSize >= 0 ? realSize : static_cast<int64_t>(data.size()); }
};

std::string PakV1(const std::vector<Raw>& items, int64_t count = -1) {
    std::string out = "!PAK" + Int(1) + Int(count >= 0 ? count : static_cast<int64_t>(items.size()));
    for (auto& i : items) out += Field(i.name, 52) + Int(i.type) + Int(i.C()) + Int(i.R()) + i.Packed();
    return out;
}

struct TableFake {
    TableFake(int64_t n = -1, int64_t c = -1, int64_t r = -1, std::string p = "")
        : count(n), packedSize(c), realSize(r), packed(std::move(p)) {}
    int64_t count, packedSize, realSize;
    std::string packed;
};

std::string PakV11(const std::vector<Raw>& items, const TableFake& fake = {}) {
    std::string table, data;
    for (auto& i : items) {
        table += Int(i.C()) + Int(0) + Int(i.R()) + Int(i.type) + Field(i.name, 256);
        data += i.Packed();
    }
    std::string packed = fake.packed.empty() ? Pack(table) : fake.packed;
    return "!PAK" + Int(65537) + Int(fake.count >= 0 ? fake.count : static_cast<int64_t>(items.size())) +
           Int(fake.packedSize >= 0 ? fake.packedSize : static_cast<int64_t>(packed.size())) +
           Int(fake.realSize >= 0 ? fake.realSize : static_cast<int64_t>(table.size())) + packed + data;
}

std::string Cut(const std::string& bytes, size_t drop) { return bytes.substr(0, bytes.size() - drop); }

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tallyfold-archive-" + std::to_string(std::random_device{}()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string& relative, const std::string& bytes) {
        fs::path path = dir / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string Folder() const { return dir.string() + "/"; }

    fs::path dir;
};

std::string RaisedText_(const std::function<void()>& action) {
    try {
        action();
    } catch (const RaisedText& e) {
        return e.what();
    }
    return "(nothing raised)";
}

}  // namespace

TEST_F(ArchiveTest, BothVersionsReadWithNamesInAnyLetterCase) {
    Write("one.pak", PakV1({{"Images/Title.PNG", 2, "picture bytes"}, {" readme.txt ", 1, "Hello"}}));
    Write("two.pak", PakV11({{"Fonts/CALIBRI.TTF", 3, std::string(3000, 'f')},
                             {"bom.txt", 1,
                              "\xEF\xBB\xBF"
                              "caf\xC3\xA9"},
                             {"latin.txt", 1, "caf\xE9"},
                             {"empty.dat", 0, ""}}));
    auto pak = TPakFileManager::Create(dir.string(), ".pak");
    EXPECT_EQ(pak->Path, Folder());
    EXPECT_EQ(pak->Map.size(), 6u);

    auto title = pak->GetItem("images/title.png");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->Name, "Images/Title.PNG");
    EXPECT_EQ(title->ToString(), "Images/Title.PNG");
    EXPECT_EQ(title->VarType, 2);
    EXPECT_EQ(Bytes(pak->GetBinary("IMAGES/TITLE.PNG")), "picture bytes");
    EXPECT_EQ(pak->GetItem("title.png"), nullptr) << "the folder part belongs to the name";
    EXPECT_EQ(pak->GetItem("README.TXT")->Name, "readme.txt") << "padding is trimmed";

    EXPECT_EQ(pak->GetItem("fonts/calibri.ttf")->VarType, 3);
    EXPECT_EQ(pak->GetBinary("Fonts/Calibri.ttf").size(), 3000u);
    EXPECT_EQ(pak->GetText("BOM.TXT"), "caf\xC3\xA9");
    EXPECT_EQ(pak->GetText("latin.txt"), "caf\xC3\xA9");
    EXPECT_EQ(pak->GetString("latin.txt"), "caf\xC3\xA9") << "one character per byte";
    EXPECT_EQ(Bytes(*pak->GetBank("readme.txt")), "Hello");
    EXPECT_TRUE(pak->GetItem("empty.dat")->Data.empty());

    auto stream = pak->GetStream("Readme.txt");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->ReadString(5), "Hello");
    EXPECT_TRUE(stream->Eof() || stream->Pos() == 5);

    // Each getter copies: changing what it returned leaves the item alone.
    pak->GetBank("readme.txt")->at(0) = 'J';
    EXPECT_EQ(pak->GetString("readme.txt"), "Hello");
}

TEST_F(ArchiveTest, LaterArchiveWinsAndLooseFilesWinOverBoth) {
    Write("a.pak", PakV1({{"Shared.txt", 1, "from a"}, {"only-a.txt", 1, "a"}}));
    Write("b.pak", PakV11({{"shared.TXT", 1, "from b"}}));
    auto pak = TPakFileManager::Create(dir.string(), ".pak");
    EXPECT_EQ(pak->GetString("shared.txt"), "from b");
    EXPECT_EQ(pak->GetString("only-a.txt"), "a");

    Write("Shared.txt", "loose");
    Write("Sub/Deeper/Loose.txt", "deep");
    Write("pic.JPG", "j");
    Write("noise.ogg", "o");
    Write("face.ttf", "t");
    Write("blob", "b");
    // Archives below the top folder are neither read nor taken as loose files.
    Write("Sub/inner.pak", PakV1({{"inner.txt", 1, "x"}}));
    pak->Reload();
    EXPECT_EQ(pak->GetString("SHARED.TXT"), "loose");
    EXPECT_EQ(pak->GetString("sub/deeper/loose.txt"), "deep");
    EXPECT_EQ(pak->GetItem("sub/deeper/loose.txt")->Name, "Sub/Deeper/Loose.txt");
    EXPECT_EQ(pak->GetItem("loose.txt"), nullptr);
    EXPECT_EQ(pak->GetItem("sub/inner.pak"), nullptr);
    EXPECT_EQ(pak->GetItem("inner.txt"), nullptr);
    EXPECT_EQ(pak->GetItem("sub/deeper/loose.txt")->VarType, 1);
    EXPECT_EQ(pak->GetItem("pic.jpg")->VarType, 2);
    EXPECT_EQ(pak->GetItem("face.ttf")->VarType, 3);
    EXPECT_EQ(pak->GetItem("noise.ogg")->VarType, 4);
    EXPECT_EQ(pak->GetItem("blob")->VarType, 0);

    // A single archive can be added on top.
    Write("extra/late.pak", PakV1({{"only-a.txt", 1, "late"}}));
    EXPECT_EQ(pak->LoadPakFile((dir / "extra/late.pak").string()), 1);
    EXPECT_EQ(pak->GetString("only-a.txt"), "late");
    EXPECT_EQ(pak->LoadPakFile((dir / "absent.pak").string()), 0);
}

TEST_F(ArchiveTest, EmptyOrMissingFoldersAndEmptyArchives) {
    auto none = TPakFileManager::Create((dir / "no-such-folder").string(), ".pak");
    EXPECT_TRUE(none->Map.empty());
    EXPECT_EQ(none->LoadPaks((dir / "no-such-folder").string(), ".pak"), 0);
    EXPECT_EQ(none->LoadFiles((dir / "no-such-folder").string()), 0);

    Write("empty.pak", PakV11({}));
    // An empty table may also be stored as nothing at all.
    Write("bare.pak", "!PAK" + Int(65537) + Int(0) + Int(0) + Int(0));
    Write("empty1.pak", PakV1({}));
    auto pak = TPakFileManager::Create(dir.string(), ".pak");
    EXPECT_TRUE(pak->Map.empty());
    EXPECT_EQ(TPakFile::Create((dir / "empty.pak").string())->Items.size(), 0u);
}

TEST_F(ArchiveTest, MissingNamesGiveNothing) {
    auto pak = TPakFileManager::Create(dir.string(), ".pak");
    EXPECT_EQ(pak->GetItem("x"), nullptr);
    EXPECT_TRUE(pak->GetBinary("x").empty());
    EXPECT_EQ(pak->GetString("x"), "");
    EXPECT_EQ(pak->GetText("x"), "");
    EXPECT_EQ(pak->GetBank("x"), nullptr);
    EXPECT_EQ(pak->GetStream("x"), nullptr);
    EXPECT_EQ(pak->GetPixmap("x"), nullptr);
    EXPECT_EQ(pak->GetImage("x", -1), nullptr);
    EXPECT_EQ(pak->GetAnimImage("x", 4, 4, 0, 1, -1), nullptr);
    EXPECT_EQ(pak->GetImageFont("x", 12, 4), nullptr);
    EXPECT_EQ(pak->GetSound("x", 0), nullptr);
    EXPECT_EQ(pak->GetAudioSample("x"), nullptr);
}

TEST_F(ArchiveTest, ItemsDecodeAsPicturesSoundsAndFontsOrSafelyFail) {
    platform::Pixmap pixmap(8, 4);
    pixmap.WritePixel(1, 1, 0xFF00FF00u);
    ASSERT_TRUE(pixmap.SavePNG((dir / "src.png").string()));
    std::ifstream png(dir / "src.png", std::ios::binary);
    std::string pngBytes((std::istreambuf_iterator<char>(png)), std::istreambuf_iterator<char>());
    fs::remove(dir / "src.png");
    std::string wav = Bytes(MakeWav(0.1));
    std::string font;
    const char* carlito = "/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf";
    if (std::ifstream in{carlito, std::ios::binary})
        font.assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    Write("data.pak", PakV11({{"good.png", 2, pngBytes},
                              {"cut.png", 2, pngBytes.substr(0, pngBytes.size() / 2)},
                              {"click.wav", 4, wav},
                              {"cut.wav", 4, wav.substr(0, 30)},
                              {"calibri.ttf", 3, font.empty() ? "x" : font},
                              {"fake.ttf", 3, std::string(5000, 'x')}}));
    auto pak = TPakFileManager::Create(dir.string(), ".pak");

    auto image = pak->GetImage("GOOD.png", -1);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Width(), 8);
    EXPECT_EQ(image->Height(), 4);
    auto strip = pak->GetAnimImage("good.png", 4, 4, 0, 2, -1);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->Frames(), 2);
    ASSERT_TRUE(pak->GetPixmap("good.png"));
    EXPECT_EQ(pak->GetPixmap("good.png")->ReadPixel(1, 1), 0xFF00FF00u);
    EXPECT_EQ(pak->GetImage("cut.png", -1), nullptr);
    EXPECT_EQ(pak->GetPixmap("cut.png"), nullptr);

    auto sound = pak->GetSound("click.wav", platform::SOUND_LOOP);
    ASSERT_TRUE(sound);
    EXPECT_TRUE(sound->Looping());
    EXPECT_NEAR(sound->Seconds(), 0.1, 0.01);
    ASSERT_TRUE(pak->GetAudioSample("click.wav"));
    EXPECT_FALSE(pak->GetAudioSample("click.wav")->Looping());
    EXPECT_EQ(pak->GetSound("cut.wav", 0), nullptr);

    // Not a font at any size: every size down to 1 is tried, then nothing.
    EXPECT_EQ(pak->GetImageFont("fake.ttf", 12, platform::FONT_SMOOTH), nullptr);
    if (font.empty()) GTEST_SKIP() << "Carlito is not installed";
    auto font25 = pak->GetImageFont("Calibri.TTF", 25, platform::FONT_SMOOTH);
    ASSERT_TRUE(font25);
    EXPECT_EQ(font25->Size(), 25);
    EXPECT_GT(font25->TextWidth("Tallyfold"), 0);
}

// NAME@2x.png beside NAME.png is the picture's double-size companion, for
// single pictures and strips alike; one of the wrong size is noted and the
// picture loads as before.
TEST_F(ArchiveTest, PicturesTakeTheirDoubleSizeItemBeside) {
    auto png = [&](int w, int h) {
        platform::Pixmap pixmap(w, h);
        EXPECT_TRUE(pixmap.SavePNG((dir / "p.png").string()));
        std::ifstream in(dir / "p.png", std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        fs::remove(dir / "p.png");
        return bytes;
    };
    Write("data.pak", PakV11({{"logo.png", 2, png(8, 4)},
                              {"logo@2x.png", 2, png(16, 8)},
                              {"strip.png", 2, png(8, 4)},
                              {"Strip@2x.png", 2, png(16, 9)}}));
    auto pak = TPakFileManager::Create(dir.string(), ".pak");
    std::vector<std::string> problems;
    platform::SetImageProblemHook([&](const std::string& text) { problems.push_back(text); });
    auto logo = pak->GetImage("LOGO.png", -1);
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->Width(), 8);
    EXPECT_TRUE(problems.empty());
    auto strip = pak->GetAnimImage("strip.png", 4, 4, 0, 2, -1);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->Frames(), 2);
    platform::SetImageProblemHook(nullptr);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("strip@2x.png"), std::string::npos) << problems[0];
    EXPECT_NE(problems[0].find("16 x 9"), std::string::npos) << problems[0];
}

TEST_F(ArchiveTest, StreamFactoryServesItemsReadOnlyUnderItsProtocol) {
    Write("Sub/Item.txt", "streamed");
    auto pak = TPakFileManager::Create(dir.string(), ".pak");
    auto factory = RegisterPakFileStreamFactory(pak, "pak");
    auto stream = platform::OpenStream("pak::sub/item.TXT", true, false);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->ReadString(8), "streamed");
    EXPECT_EQ(platform::OpenStream("pak::sub/item.txt", true, true), nullptr);
    EXPECT_EQ(platform::OpenStream("pak::missing.txt", true, false), nullptr);
    EXPECT_EQ(factory->CreateStream("other::sub/item.txt", "other", "sub/item.txt", true, false), nullptr);
    platform::UnregisterStreamFactory(factory);
    EXPECT_EQ(platform::OpenStream("pak::sub/item.txt", true, false), nullptr);
}

TEST_F(ArchiveTest, DamagedArchivesAreRejectedWithTheirName) {
    const std::string payload(400, 'z');
    const std::string ok = Pack(payload);
    const std::string zeros = Pack(std::string(1 << 20, '\0'));
    std::vector<Raw> bomb;
    for (int i = 0; i < 300; ++i) bomb.emplace_back("zero" + std::to_string(i), 0, "", -1, 1 << 20, zeros);
    struct rusage before {};
    getrusage(RUSAGE_SELF, &before);
    struct Case {
        const char* what;
        std::string bytes;
        std::string message;  // expected part of the message
    };
    std::vector<Case> cases = {
        {"wrong magic", "!PAC" + Int(1) + Int(0), "TPakFile::Invalid pak file"},
        {"too short for a magic", "!P", "TPakFile::Invalid pak file"},
        {"version 1.2", "!PAK" + Int(1 | (2 << 16)) + Int(0), "TPakFile::Unsupported pakfile version 1.2"},
        {"version 2", "!PAK" + Int(2), "TPakFile::Unsupported pakfile version 2.0"},
        {"no version", "!PAK", "ends before its version"},
        {"no count", "!PAK" + Int(1), "ends before its item count"},
        {"negative count", PakV1({{"a", 0, payload}}, -1 & 0xFFFFFFFF), "item count -1"},
        {"count beyond the file", PakV1({{"a", 0, payload}}, 1000000), "item count 1000000"},
        {"record cut short", PakV1({{"a", 0, payload}}).substr(0, 40), "item count 1 does not fit"},
        {"data cut short", Cut(PakV1({{"a", 0, payload}, {"b", 0, payload}}), 3), "item 2 \"b\" runs past"},
        {"packed size beyond the file", PakV1({{"a", 0, payload, 1 << 20}}), "runs past the end of the file"},
        {"negative packed size", PakV1({{"a", 0, payload, 0xFFFFFFF0}}), "runs past the end of the file"},
        {"absurd real size", PakV1({{"a", 0, payload, -1, 0x7FFFFFFF}}), "impossible unpacked size of 2147483647"},
        {"negative real size", PakV1({{"a", 0, payload, -1, 0x80000000}}), "impossible unpacked size"},
        {"real size too small", PakV1({{"a", 0, payload, -1, 100}}), "does not unpack to 100 bytes"},
        {"real size too large", PakV1({{"a", 0, payload, -1, 500}}), "does not unpack to 500 bytes"},
        {"garbage data", PakV1({{"a", 0, payload, -1, -1, std::string(ok.size(), '\x55')}}), "does not unpack"},
        {"blank name", PakV1({{"   ", 0, payload}}), "item 1 has no name"},
        {"nameless second item", PakV11({{"a", 0, "x"}, {"", 0, "y"}}), "item 2 has no name"},
        {"table beyond the file", PakV11({{"a", 0, payload}}, {-1, 1 << 20}), "its table runs past the end"},
        {"count beyond the table", PakV11({{"a", 0, payload}}, {2}), "cannot hold 2 items"},
        {"negative count 1.1", PakV11({{"a", 0, payload}}, {0x80000000}), "cannot hold"},
        {"absurd table size", PakV11({{"a", 0, payload}}, {-1, -1, 0x7FFFFFF0}), "impossible unpacked size"},
        {"damaged table", PakV11({{"a", 0, payload}}, {-1, -1, -1, std::string(20, '\x01')}),
         "its table does not unpack"},
        {"item beyond the file", PakV11({{"a", 0, payload, 1 << 20}}), "item 1 \"a\" runs past the end"},
        {"absurd item size", PakV11({{"big.bin", 0, payload, -1, 200 << 20}}), "item 1 \"big.bin\" claims"},
        {"items cut short", Cut(PakV11({{"a", 0, payload}, {"b", 0, payload}}), 3), "item 2 \"b\" runs past"},
        {"header cut short", PakV11({}).substr(0, 12), "ends before its table"},
        // Names that are not plain relative names: a tool would write them
        // outside its folder, a listing would drive the terminal.
        {"parent folder", PakV1({{"../victim.txt", 0, "x"}}), "item 1 \"../victim.txt\" is not a plain relative name"},
        {"parent folder inside", PakV11({{"a", 0, "x"}, {"a/../../b", 0, "x"}}), "item 2 \"a/../../b\" is not"},
        {"backslash parent", PakV11({{"..\\..\\b", 0, "x"}}), "item 1 \"..\\\\..\\\\b\" is not"},
        {"absolute", PakV11({{"/etc/passwd", 0, "x"}}), "item 1 \"/etc/passwd\" is not"},
        {"line feed", PakV1({{"bad\nname", 0, "x"}}), "item 1 \"bad\\x0aname\" is not"},
        {"terminal escape", PakV11({{"x\x1b[2Jy", 0, "x"}}), "item 1 \"x\\x1b[2Jy\" is not"},
        // Zero-filled items that each unpack a thousandfold: a 300 KB file
        // claiming 300 MiB is refused before anything is unpacked.
        {"bomb 1.1", PakV11(bomb), "its items claim 314572800 bytes in all"},
        {"bomb 1", PakV1(bomb), "its items claim 314572800 bytes in all"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir);
        Write("data.pak", c.bytes);
        std::string path = (dir / "data.pak").string();
        std::string message = RaisedText_([&] { TPakFile::Create(path); });
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_NE(message.find(path), std::string::npos) << "every message names the file: " << message;
        // The manager passes the reader's message on.
        EXPECT_EQ(RaisedText_([&] { TPakFileManager::Create(dir.string(), ".pak"); }), message);
    }
    struct rusage after {};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kilobytes more at the peak";
    // Names that only look odd are fine.
    Write("data.pak", PakV11({{"a..b", 0, "1"}, {"..hidden", 0, "2"}, {"x/..y/z", 0, "3"}}));
    EXPECT_EQ(TPakFile::Create((dir / "data.pak").string())->Items.size(), 3u);
    // The texts the player may already know stay as they were, followed by the file.
    Write("data.pak", "!PAC" + Int(1));
    EXPECT_EQ(RaisedText_([&] { TPakFile::Create((dir / "data.pak").string()); }),
              "TPakFile::Invalid pak file " + (dir / "data.pak").string());
}

// The bytes this process has read from files so far (Linux counts them per process).
int64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    int64_t value = -1;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

// A 2 GiB sparse file costs nothing on disk. Whatever its first bytes claim, the
// reader looks at its header and table only, checks them against the file's real
// size and stops: no gigabytes read, none allocated.
TEST_F(ArchiveTest, HugeSparseArchivesAreRefusedFromTheirHeaderAlone) {
    if (BytesRead() < 0) GTEST_SKIP() << "no /proc/self/io to count the bytes read";
    constexpr int64_t huge = int64_t{2} << 30;
    const int64_t past = huge - 4096;  // inside the file: only the size rule can refuse it
    struct Case {
        const char* what;
        std::string head;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"nothing but zeros", "", "Invalid pak file"},
        {"one version 1 item as large as the file", PakV1({{"a", 0, "x", past, 100}}).substr(0, 12 + 64),
         "item 1 \"a\" claims an impossible unpacked size of 100"},
        {"a table item as large as the file", PakV11({{"a", 0, "x", past, 1 << 20}}),
         "item 1 \"a\" claims an impossible unpacked size"},
        {"a table item past the end", PakV11({{"a", 0, "x", 0x7FFFFFF0, 1 << 20}}), "item 1 \"a\" runs past the end"},
        {"a table larger than the file", "!PAK" + Int(65537) + Int(1) + Int(0x7FFFFFF0) + Int(272), "its table"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir);
        Write("data.pak", c.head);
        const std::string path = (dir / "data.pak").string();
        std::error_code error;
        fs::resize_file(path, static_cast<uintmax_t>(huge), error);
        if (error) GTEST_SKIP() << "no sparse 2 GiB file here: " << error.message();
        struct rusage before {};
        getrusage(RUSAGE_SELF, &before);
        const int64_t read = BytesRead();
        const std::string message = RaisedText_([&] { TPakFile::Create(path); });
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_LT(BytesRead() - read, 1 << 20) << "bytes read";
        // The listing mode reads no more.
        EXPECT_EQ(RaisedText_([&] { TPakFile::Create(path, TPakFile::MAX_TOTAL_SIZE, false); }), message);
        struct rusage after {};
        getrusage(RUSAGE_SELF, &after);
        EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024) << "kilobytes more at the peak";
    }
    fs::remove_all(dir);
}

TEST_F(ArchiveTest, AListingReadsTheTableAndNotTheData) {
    const std::string big(3 << 20, 'q');
    Write("data.pak", PakV11({{"a.txt", 1, "alpha"}, {"big.bin", 0, big}}));
    const std::string path = (dir / "data.pak").string();
    auto listed = TPakFile::Create(path, TPakFile::MAX_TOTAL_SIZE, false);
    ASSERT_TRUE(listed);
    ASSERT_EQ(listed->Items.size(), 2u);
    EXPECT_EQ(listed->Items[1]->Name, "big.bin");
    EXPECT_EQ(listed->Items[1]->RealSize, 3 << 20);
    EXPECT_TRUE(listed->Items[1]->Data.empty());
    auto whole = TPakFile::Create(path);
    ASSERT_TRUE(whole);
    EXPECT_EQ(Bytes(whole->Items[1]->Data), big);
    EXPECT_EQ(whole->Items[0]->RealSize, 5);
}

TEST_F(ArchiveTest, NamesCutAtAStrayTerminator) {
    // A packer that left junk after the name's terminator still gives the right name.
    std::string field = "real.txt" + std::string(1, '\0') + "junk";
    std::string bytes = "!PAK" + Int(1) + Int(1) + field + std::string(52 - field.size(), '\0') + Int(1) +
                        Int(static_cast<int64_t>(Pack("v").size())) + Int(1) + Pack("v");
    Write("data.pak", bytes);
    auto pak = TPakFileManager::Create(dir.string(), ".pak");
    EXPECT_EQ(pak->GetString("real.txt"), "v");
}

TEST_F(ArchiveTest, SixFontsFromTheArchiveOrAStop) {
    std::vector<std::string> notices;
    platform::SetNotifyHook([&](const std::string& text, bool) { notices.push_back(text); });
    auto empty = TPakFileManager::Create(dir.string(), ".pak");
    std::string raised;
    try {
        CreateArchiveFonts(*empty);
    } catch (const RuntimeError& e) {
        raised = e.what();
    }
    EXPECT_EQ(raised, "Error loading font " + Folder() + "calibri.ttf");
    EXPECT_EQ(notices.size(), 1u);
    platform::SetNotifyHook({});

    const std::string carlito = "/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf";
    std::ifstream in(carlito, std::ios::binary);
    if (!in) GTEST_SKIP() << "Carlito is not installed";
    // The system's font needs no archive; a system font that is missing or no
    // font at all leaves the archive's, which here has none.
    CreateArchiveFonts(*empty, carlito);
    ASSERT_TRUE(Resources.Font34);
    EXPECT_EQ(Resources.Font34->Size(), 34);
    Write("notafont.ttf", "plain text");
    for (const std::string& bad : {Folder() + "notafont.ttf", Folder() + "absent.ttf"}) {
        platform::SetNotifyHook([](const std::string&, bool) {});
        EXPECT_THROW(CreateArchiveFonts(*empty, bad), RuntimeError) << bad;
        platform::SetNotifyHook({});
    }
    Write("data.pak", PakV11({{"Calibri.ttf", 3, std::string((std::istreambuf_iterator<char>(in)), {})}}));
    CreateArchiveFonts(*TPakFileManager::Create(dir.string(), ".pak"));
    std::vector<std::pair<std::shared_ptr<platform::ImageFont>, int>> fonts = {
        {Resources.Font12, 12}, {Resources.Font16, 16}, {Resources.Font18, 18},
        {Resources.Font20, 20}, {Resources.Font25, 25}, {Resources.Font34, 34}};
    for (auto& [font, size] : fonts) {
        ASSERT_TRUE(font);
        EXPECT_EQ(font->Size(), size);
    }
    EXPECT_LT(Resources.Font12->TextWidth("Kakuro"), Resources.Font34->TextWidth("Kakuro"));
    Resources.Font12 = Resources.Font16 = Resources.Font18 = Resources.Font20 = Resources.Font25 = Resources.Font34 =
        nullptr;
}
