// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "tallyfold/platform/stream.h"

#include "tallyfold/platform/files.h"
#include "test_support.h"

using namespace platform;

namespace {

TEST(Files, CreateCopyRenameDelete) {
    tftest::TempDir dir;
    EXPECT_EQ(FileType(dir.path()), FILETYPE_DIR);
    EXPECT_EQ(FileType(dir / "a.txt"), FILETYPE_NONE);
    ASSERT_TRUE(CreateFile(dir / "a.txt"));
    EXPECT_EQ(FileType(dir / "a.txt"), FILETYPE_FILE);
    tftest::WriteFile(dir / "a.txt", "content");
    ASSERT_TRUE(CopyFile(dir / "a.txt", dir / "b.txt"));
    EXPECT_EQ(tftest::ReadFile(dir / "b.txt"), "content");
    EXPECT_FALSE(CopyFile(dir / "absent", dir / "c.txt"));
    EXPECT_FALSE(CopyFile(dir.path(), dir / "c.txt"));
    ASSERT_TRUE(RenameFile(dir / "b.txt", dir / "c.txt"));
    EXPECT_EQ(FileType(dir / "b.txt"), FILETYPE_NONE);
    ASSERT_TRUE(CreateFile(dir / "c.txt"));  // creating empties an existing file
    EXPECT_EQ(tftest::ReadFile(dir / "c.txt"), "");

    EXPECT_FALSE(CreateDir(dir / "x/y/z"));
    ASSERT_TRUE(CreateDir(dir / "x/y/z", true));
    ASSERT_TRUE(CreateDir(dir / "x/y/z/", true));  // exists already
    EXPECT_EQ(FileType(dir / "x/y/z/"), FILETYPE_DIR);
    tftest::WriteFile(dir / "x/y/z/f", "1");
    EXPECT_FALSE(DeleteFile(dir / "x"));  // not a file
    EXPECT_FALSE(DeleteDir(dir / "x"));   // not empty
    ASSERT_TRUE(DeleteDir(dir / "x", true));
    EXPECT_EQ(FileType(dir / "x"), FILETYPE_NONE);
    ASSERT_TRUE(DeleteFile(dir / "a.txt"));
    EXPECT_FALSE(DeleteFile(dir / "a.txt"));
}

TEST(Files, RecursiveDeleteDoesNotFollowLinks) {
    tftest::TempDir dir;
    ASSERT_TRUE(CreateDir(dir / "keep"));
    tftest::WriteFile(dir / "keep/precious", "x");
    ASSERT_TRUE(CreateDir(dir / "gone"));
    ASSERT_EQ(symlink((dir / "keep").c_str(), (dir / "gone/link").c_str()), 0);
    ASSERT_TRUE(DeleteDir(dir / "gone", true));
    EXPECT_EQ(FileType(dir / "keep/precious"), FILETYPE_FILE);
}

TEST(Files, FolderListings) {
    tftest::TempDir dir;
    tftest::WriteFile(dir / "one", "");
    CreateDir(dir / "two");
    auto names = LoadDir(dir.path());
    ASSERT_TRUE(names);
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::string>{".", "..", "one", "two"}));
    EXPECT_FALSE(LoadDir(dir / "absent"));

    int handle = ReadDir(dir.path());
    ASSERT_NE(handle, 0);
    std::vector<std::string> seen;
    for (std::string n = NextFile(handle); !n.empty(); n = NextFile(handle)) seen.push_back(n);
    CloseDir(handle);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, *names);
    EXPECT_EQ(NextFile(handle), "");  // closed
    EXPECT_EQ(ReadDir(dir / "absent"), 0);
}

TEST(Files, CaseInsensitiveResolution) {
    tftest::TempDir dir;
    CreateDir(dir / "Data/Menus", true);
    tftest::WriteFile(dir / "Data/Menus/OK.png", "");
    EXPECT_EQ(ResolveCase(dir / "data/menus/ok.PNG"), dir / "Data/Menus/OK.png");
    EXPECT_EQ(ResolveCase(dir / "Data/Menus/OK.png"), dir / "Data/Menus/OK.png");
    EXPECT_EQ(ResolveCase(dir / "data/nothing/ok.png"), dir / "data/nothing/ok.png");
    // A backslash is part of a name, never a way into another folder.
    EXPECT_EQ(ResolveCase(dir / "data\\menus\\ok.png"), dir / "data\\menus\\ok.png");
}

TEST(Files, PathHelpers) {
    EXPECT_EQ(StripDir("a/b/c.txt"), "c.txt");
    EXPECT_EQ(StripDir("a\\b\\c.txt"), "a\\b\\c.txt");
    EXPECT_EQ(StripExt("a/b/c.tar.gz"), "a/b/c.tar");
    EXPECT_EQ(StripExt("a.d/b"), "a.d/b");
    EXPECT_EQ(StripAll("a/b/c.txt"), "c");
    EXPECT_EQ(ExtractExt("a/b/c.txt"), "txt");
    EXPECT_EQ(ExtractExt("a.d/b"), "");
    EXPECT_EQ(ExtractDir("a/b/c.txt"), "a/b");
    EXPECT_EQ(ExtractDir("c.txt"), "");
    EXPECT_EQ(ExtractDir("/c.txt"), "/");

    const std::string cwd = CurrentDir();
    EXPECT_EQ(RealPath("x/./y/../z"), cwd + "/x/z");
    EXPECT_EQ(RealPath("/a/b/../../.."), "/");
    EXPECT_EQ(RealPath("/a//b/"), "/a/b");
    tftest::TempDir dir;
    ASSERT_TRUE(ChangeDir(dir.path()));
    EXPECT_EQ(RealPath("."), RealPath(dir.path()));
    ASSERT_TRUE(ChangeDir(cwd));
    EXPECT_FALSE(ChangeDir(dir / "absent"));
}

// Everything the game writes, looked at as a hostile user would leave the folder:
// links planted under the names it writes, a pipe, names with backslashes, an
// umask of 000. Nothing outside the folder may change, and everything it makes
// belongs to the player alone.
TEST(Files, WritesStayPrivateAndNeverFollowLinks) {
    tftest::TempDir dir;
    const mode_t oldMask = umask(0);
    const std::string victim = dir / "victim.txt";
    tftest::WriteFile(victim, "precious");
    auto victimIntact = [&] { return tftest::ReadFile(victim) == "precious"; };
    auto mode = [](const std::string& path) {
        struct stat st;
        return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777u;
    };
    auto isLink = [](const std::string& path) {
        struct stat st;
        return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    };

    // Folders 0700 all the way down, files 0600; a backslash names, never separates.
    ASSERT_TRUE(CreateDir(dir / "da\\ta/Vellacor Games/Tallyfold", true));
    EXPECT_EQ(FileType(dir / "da"), FILETYPE_NONE);
    for (const char* folder : {"da\\ta", "da\\ta/Vellacor Games", "da\\ta/Vellacor Games/Tallyfold"})
        EXPECT_EQ(mode(dir / folder), 0700u) << folder;
    const std::string shared = dir / "da\\ta/Vellacor Games/Tallyfold/";
    ASSERT_TRUE(SaveFileAtomic(shared + "hs6x6.dat", "x"));
    EXPECT_EQ(mode(shared + "hs6x6.dat"), 0600u);
    ASSERT_TRUE(CreateFile(shared + "goodexit.dat"));
    EXPECT_EQ(mode(shared + "goodexit.dat"), 0600u);
    // A file an older version left open to everyone is the player's alone once written again;
    // the folder it is in, made by someone else, keeps its mode.
    tftest::WriteFile(shared + "old.ini", "A=1");
    chmod((shared + "old.ini").c_str(), 0666);
    ASSERT_TRUE(SaveFileAtomic(shared + "old.ini", "A=2"));
    EXPECT_EQ(mode(shared + "old.ini"), 0600u);
    ASSERT_TRUE(CreateDir(dir / "open", false));
    chmod((dir / "open").c_str(), 02775);
    ASSERT_TRUE(CreateDir(dir / "open/made", true));
    EXPECT_EQ(mode(dir / "open"), 02775u);
    EXPECT_EQ(mode(dir / "open/made"), 0700u);

    // Links under the names we write are replaced, never followed.
    for (const char* name : {"inichanged.dat", "tallyfold.ini", "config.ini", "stream.txt"})
        ASSERT_EQ(symlink(victim.c_str(), (shared + name).c_str()), 0) << name;
    EXPECT_TRUE(CreateFile(shared + "inichanged.dat"));
    EXPECT_TRUE(SaveFileAtomic(shared + "tallyfold.ini", "A=1"));
    tftest::WriteFile(dir / "default.ini", "B=2");
    EXPECT_TRUE(CopyFile(dir / "default.ini", shared + "config.ini"));
    EXPECT_EQ(WriteStream(shared + "stream.txt"), nullptr) << "opened in place through a link";
    EXPECT_EQ(OpenStream(shared + "stream.txt", true, true), nullptr);
    EXPECT_TRUE(victimIntact());
    for (const char* name : {"inichanged.dat", "tallyfold.ini", "config.ini"}) {
        EXPECT_FALSE(isLink(shared + name)) << name;
        EXPECT_EQ(mode(shared + name), 0600u) << name;
    }
    EXPECT_EQ(tftest::ReadFile(shared + "config.ini"), "B=2");

    // Reading: only regular files, and a pipe never blocks.
    ASSERT_EQ(mkfifo((shared + "pipe.dat").c_str(), 0600), 0);
    ASSERT_EQ(symlink((dir / "nothing").c_str(), (shared + "dangling.dat").c_str()), 0);
    ASSERT_EQ(symlink(victim.c_str(), (shared + "link.dat").c_str()), 0);
    tftest::WriteFile(shared + "big.dat", std::string(2000, 'x'));
    std::string bytes, reason;
    EXPECT_EQ(ReadRegularFile(shared + "hs6x6.dat", 100, bytes), ReadStatus::Read);
    EXPECT_EQ(bytes, "x");
    EXPECT_EQ(ReadRegularFile(shared + "absent.dat", 100, bytes), ReadStatus::Missing);
    EXPECT_EQ(ReadRegularFile(shared + "pipe.dat", 100, bytes), ReadStatus::NotRegular);
    EXPECT_EQ(ReadRegularFile(shared + "dangling.dat", 100, bytes, &reason), ReadStatus::NotRegular);
    EXPECT_EQ(reason, "it is a symbolic link");
    EXPECT_EQ(ReadRegularFile(shared + "link.dat", 100, bytes), ReadStatus::NotRegular);
    EXPECT_EQ(ReadRegularFile(shared + "link.dat", 100, bytes, nullptr, true), ReadStatus::Read);
    EXPECT_EQ(bytes, "precious");
    EXPECT_EQ(ReadRegularFile(shared + "dangling.dat", 100, bytes, nullptr, true), ReadStatus::NotRegular);
    EXPECT_EQ(ReadRegularFile(shared + "big.dat", 100, bytes), ReadStatus::TooLarge);
    EXPECT_EQ(ReadStream(shared + "pipe.dat"), nullptr);

    // What a kill in the middle of a save leaves is ours to remove; nothing else is.
    for (const char* name : {".tallyfold.ini.a1B2c3", ".hs6x6.dat.ZZZZZZ", ".ErrorLog.txt.000000"})
        tftest::WriteFile(shared + name, "partial");
    for (const char* name : {".notes.backup", ".tallyfold.ini.abc", ".photo.png.a1B2c3", ".x.ini.ab-cde"})
        tftest::WriteFile(shared + name, "keep");
    ASSERT_EQ(symlink(victim.c_str(), (shared + ".config.ini.qwerty").c_str()), 0);
    EXPECT_EQ(RemoveStaleTempFiles(shared, {"ini", "dat", "txt"}), 3);
    for (const char* name : {".notes.backup", ".tallyfold.ini.abc", ".photo.png.a1B2c3", ".x.ini.ab-cde"})
        EXPECT_EQ(FileType(shared + name), FILETYPE_FILE) << name;
    EXPECT_TRUE(isLink(shared + ".config.ini.qwerty"));
    EXPECT_TRUE(victimIntact());
    umask(oldMask);
}

// A full disk: the old file stays whole, no temporary file is left, and the
// reason can be told to the player.
TEST(Files, FullDiskIsReportedAndLosesNothing) {
    tftest::TempDir dir;
    const std::string small = dir / "small";
    ASSERT_TRUE(CreateDir(small));
    if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here (" << std::strerror(errno) << ")";
    const std::string target = small + "/tallyfold.ini";
    ASSERT_TRUE(SaveFileAtomic(target, "A=1\r\n"));
    std::string reason;
    EXPECT_FALSE(SaveFileAtomic(target, std::string(200000, 'x'), &reason));
    EXPECT_EQ(reason, "the disk is full");
    EXPECT_EQ(tftest::ReadFile(target), "A=1\r\n");
    auto entries = LoadDir(small);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->size(), 3u) << "only ., .. and the target";
    umount2(small.c_str(), MNT_DETACH);
}

}  // namespace
