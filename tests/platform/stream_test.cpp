// SPDX-License-Identifier: GPL-3.0-or-later
#include <signal.h>
#include <sys/resource.h>

#include "tallyfold/platform/files.h"
#include "tallyfold/platform/stream.h"
#include "test_support.h"

using namespace platform;

namespace {

TEST(Streams, NumbersAreLittleEndianAndShortReadsGiveZero) {
    tftest::TempDir dir;
    auto w = WriteStream("littleendian::" + dir / "n.bin");
    ASSERT_TRUE(w);
    EXPECT_FALSE(w->Readable());
    w->WriteByte(0x1FF);
    w->WriteShort(0xBEEF);
    w->WriteInt(-2);
    w->WriteFloat(1.5f);
    w->WriteDouble(-0.25);
    w->WriteString("abc");
    EXPECT_EQ(w->Size(), 1 + 2 + 4 + 4 + 8 + 3);
    w->Close();
    EXPECT_EQ(tftest::ReadFile(dir / "n.bin").substr(0, 7), std::string("\xFF\xEF\xBE\xFE\xFF\xFF\xFF", 7));

    auto r = ReadStream(dir / "n.bin");
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->Writable());
    EXPECT_EQ(r->ReadByte(), 0xFF);
    EXPECT_EQ(r->ReadShort(), 0xBEEF);
    EXPECT_EQ(r->ReadInt(), -2);
    EXPECT_FLOAT_EQ(r->ReadFloat(), 1.5f);
    EXPECT_DOUBLE_EQ(r->ReadDouble(), -0.25);
    EXPECT_FALSE(r->Eof());
    EXPECT_EQ(r->ReadString(1000000000), "abc");  // a bogus length costs nothing
    EXPECT_TRUE(r->Eof());
    EXPECT_EQ(r->ReadInt(), 0);
    EXPECT_EQ(r->Write("x", 1), 0u);
    EXPECT_EQ(r->Seek(3), 3);
    EXPECT_EQ(r->ReadInt(), -2);
    EXPECT_EQ(r->Seek(1000), r->Size());

    // Read and write: an existing file, not truncated.
    auto rw = OpenStream(dir / "n.bin", true, true);
    ASSERT_TRUE(rw);
    EXPECT_EQ(rw->ReadByte(), 0xFF);
    rw->WriteByte(0x11);
    rw->Seek(1);
    EXPECT_EQ(rw->ReadByte(), 0x11);
    EXPECT_EQ(rw->Size(), 22);
    EXPECT_FALSE(OpenStream(dir / "absent.bin", true, true));
    EXPECT_FALSE(OpenStream(dir / "n.bin", false, false));
    EXPECT_FALSE(ReadStream(dir.path()));  // a folder is not a stream
}

TEST(Streams, LinesLatin1AndUtf8) {
    tftest::TempDir dir;
    tftest::WriteFile(dir / "lines.txt", std::string("one\r\ntw\ro\nthree\0four\ncaf\xE9\nlast", 31));
    auto r = ReadStream(dir / "lines.txt");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->ReadLine(), "one");
    EXPECT_EQ(r->ReadLine(), "two");
    EXPECT_EQ(r->ReadLine(), "three");
    EXPECT_EQ(r->ReadLine(), "four");
    EXPECT_EQ(r->ReadLine(), "caf\xC3\xA9");  // Latin-1 byte to the program's UTF-8
    EXPECT_EQ(r->ReadLine(), "last");
    EXPECT_TRUE(r->Eof());
    EXPECT_EQ(r->ReadLine(), "");

    auto w = WriteStream(dir / "out.txt");
    w->WriteLine("caf\xC3\xA9 \xE2\x82\xAC");  // the euro sign has no Latin-1 byte
    w->Close();
    EXPECT_EQ(tftest::ReadFile(dir / "out.txt"), "caf\xE9 ?\r\n");

    auto u = WriteStream("utf8::" + dir / "u.txt");
    ASSERT_TRUE(u);
    EXPECT_TRUE(u->Utf8());
    u->WriteLine("caf\xC3\xA9 \xE2\x82\xAC");
    u->Close();
    EXPECT_EQ(tftest::ReadFile(dir / "u.txt"), "caf\xC3\xA9 \xE2\x82\xAC\r\n");
    auto ur = ReadStream("littleendian::utf8::" + dir / "u.txt");
    ASSERT_TRUE(ur);
    EXPECT_EQ(ur->ReadLine(), "caf\xC3\xA9 \xE2\x82\xAC");

    // Broken UTF-8 under the prefix comes back as valid UTF-8.
    tftest::WriteFile(dir / "bad.txt", "a\xFF\xC3z\n");
    EXPECT_EQ(ReadStream("utf8::" + dir / "bad.txt")->ReadLine(), "a\xEF\xBF\xBD\xEF\xBF\xBDz");
}

TEST(Streams, MemoryStreamsAndFactories) {
    auto m = CreateMemoryStream({1, 0, 0, 0, 'h', 'i', '\n'});
    EXPECT_EQ(m->ReadInt(), 1);
    EXPECT_EQ(m->ReadLine(), "hi");
    EXPECT_TRUE(m->Eof());
    EXPECT_EQ(m->Write("x", 1), 0u);
    EXPECT_EQ(m->Seek(-5), 0);

    struct Factory : StreamFactory {
        std::string name;
        std::string answer;
        std::shared_ptr<Stream> Open(const std::string& protocol, const std::string& path, bool,
                                     bool writable) override {
            if (protocol != name || writable) return nullptr;
            return CreateMemoryStream(tftest::ToBytes(answer + ":" + path));
        }
    };
    auto older = std::make_shared<Factory>();
    older->name = "pak";
    older->answer = "older";
    auto newer = std::make_shared<Factory>();
    newer->name = "pak";
    newer->answer = "newer";
    auto other = std::make_shared<Factory>();
    other->name = "incbin";
    other->answer = "inc";
    RegisterStreamFactory(older);
    RegisterStreamFactory(other);
    RegisterStreamFactory(newer);
    EXPECT_EQ(LoadText("pak::a/b.txt"), "newer:a/b.txt");
    EXPECT_EQ(LoadText("incbin::x"), "inc:x");
    EXPECT_FALSE(WriteStream("pak::a"));
    EXPECT_FALSE(ReadStream("nosuch::a"));
    auto utf = ReadStream("utf8::pak::z");
    ASSERT_TRUE(utf);
    EXPECT_TRUE(utf->Utf8());
    UnregisterStreamFactory(newer);
    EXPECT_EQ(LoadText("pak::q"), "older:q");
    UnregisterStreamFactory(older);
    UnregisterStreamFactory(other);
    EXPECT_FALSE(ReadStream("pak::q"));
}

TEST(Streams, LoadTextFollowsTheByteOrderMark) {
    auto decode = [](const std::string& s) { return DecodeText(tftest::ToBytes(s)); };
    EXPECT_EQ(decode("\xEF\xBB\xBFh\xC3\xA9"), "h\xC3\xA9");
    EXPECT_EQ(decode(std::string("\xFF\xFEh\0\xE9\0", 6)), "h\xC3\xA9");
    EXPECT_EQ(decode(std::string("\xFE\xFF\0h\0\xE9", 6)), "h\xC3\xA9");
    // A surrogate pair, and one left unpaired at the end.
    EXPECT_EQ(decode(std::string("\xFF\xFE\x3D\xD8\x00\xDE\x3D\xD8", 8)), "\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(decode("h\xE9"), "h\xC3\xA9");  // no mark: Latin-1
    EXPECT_EQ(decode(""), "");

    tftest::TempDir dir;
    tftest::WriteFile(dir / "Text.TXT", "\xEF\xBB\xBFok");
    EXPECT_EQ(LoadText(dir / "text.txt"), "ok");
    EXPECT_EQ(LoadText(dir / "absent.txt"), std::nullopt);
    auto s = ReadStream(dir / "TEXT.txt");
    ASSERT_TRUE(s);
    EXPECT_EQ(LoadText(*s), "ok");
    EXPECT_EQ(LoadBytes(dir / "text.txt")->size(), 5u);
}

TEST(Streams, ResourcesOpenWhateverTheirCase) {
    tftest::TempDir dir;
    ASSERT_TRUE(CreateDir(dir / "Data/Graphics", true));
    tftest::WriteFile(dir / "Data/Graphics/Title.PNG", "x");
    EXPECT_TRUE(ReadStream(dir / "data/graphics/title.png"));
    EXPECT_FALSE(ReadStream(dir / "DATA\\GRAPHICS\\TITLE.png")) << "a backslash is part of a name";
    EXPECT_FALSE(ReadStream(dir / "data/graphics/titel.png"));
    // A new file goes into the existing folder, not a second one.
    auto w = WriteStream(dir / "data/graphics/new.txt");
    ASSERT_TRUE(w);
    w->Close();
    EXPECT_EQ(FileType(dir / "Data/Graphics/new.txt"), FILETYPE_FILE);
}

TEST(Streams, AtomicSaveReplacesWholeOrNotAtAll) {
    tftest::TempDir dir;
    const std::string target = dir / "settings.ini";
    ASSERT_TRUE(SaveFileAtomic(target, "A=1\r\n"));
    EXPECT_EQ(tftest::ReadFile(target), "A=1\r\n");
    ASSERT_TRUE(SaveFileAtomic(target, "A=2\r\n"));
    EXPECT_EQ(tftest::ReadFile(target), "A=2\r\n");

    // A disk that fills up in the middle: the old file stays and no
    // temporary file is left behind.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    bool saved = SaveFileAtomic(target, std::string(10000, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(tftest::ReadFile(target), "A=2\r\n");
    auto entries = LoadDir(dir.path());
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->size(), 3u) << "only ., .. and the target";

    EXPECT_FALSE(SaveFileAtomic(dir / "missing/folder/x.ini", "x"));
    EXPECT_FALSE(SaveFileAtomic(dir.path(), "x"));  // a folder is never replaced
    ASSERT_TRUE(CreateDir(dir / "sub"));
    EXPECT_FALSE(SaveFileAtomic(dir / "sub/", "x"));
}

}  // namespace
