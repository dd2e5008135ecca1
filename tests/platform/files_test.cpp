#include <sys/stat.h>

#include <algorithm>

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
    ASSERT_TRUE(CreateDir(dir / "x\\y\\z/", true));  // exists already; backslashes accepted
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
    EXPECT_EQ(ResolveCase(dir / "data\\menus\\ok.png"), dir / "Data/Menus/OK.png");
}

TEST(Files, PathHelpers) {
    EXPECT_EQ(StripDir("a/b/c.txt"), "c.txt");
    EXPECT_EQ(StripDir("a\\b\\c.txt"), "c.txt");
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

}  // namespace
